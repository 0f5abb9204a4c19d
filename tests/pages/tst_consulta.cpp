// The consult: "SAT - BRISEL" on the side bar and "Consultar SAT" on the first page ask
// the device whether it is in operation and paint the verdict.

#include "bancada.h"

#include <QDialog>
#include <QPlainTextEdit>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

// For the call that watches the window while the device is being asked.
QStackedWidget* paginasObservadas = nullptr;
int paginaDuranteAChamada = -1;

const char* consultaQueObserva(int) {
    paginaDuranteAChamada = paginasObservadas->currentIndex();
    return "000001|08000|SAT em operação|||";
}

} // namespace

class TestConsulta : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void veredito_data();
    void veredito();
    void botaoDaPaginaFazOMesmo();
    void cadaConsultaRefazOVeredito();
    void janelaSefazDepoisDoVeredito_data();
    void janelaSefazDepoisDoVeredito();
    void comecaPelaPrimeiraPagina();
    void consultaQueNaoAconteceNaoDeixaVerde();

private:
    QLabel* lbloperante() const { return b_->controle<QLabel>(QStringLiteral("lbloperante")); }
    QPushButton* BtnPrincipal() const { return b_->lateral(QStringLiteral("BtnPrincipal")); }

    std::unique_ptr<Bancada> b_;
};

void TestConsulta::init() {
    b_ = std::make_unique<Bancada>();
}

void TestConsulta::cleanup() {
    b_.reset();
}

void TestConsulta::veredito_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QColor>("corEsperada");
    QTest::addColumn<QStringList>("mensagens");

    const QString emOperacao = QStringLiteral("SAT em operação");
    const QString inoperante = QStringLiteral("SAT inoperante");
    QTest::newRow("08000: em operação")
        << QByteArray("{sessao}|08000|SAT em operação|||") << emOperacao << verde << QStringList();
    QTest::newRow("08000 sem mais campos")
        << QByteArray("{sessao}|08000") << emOperacao << verde << QStringList();
    QTest::newRow("08097: mensagem e vermelho")
        << QByteArray("{sessao}|08097|Falha de comunicação com o SAT|||") << inoperante << vermelho
        << QStringList{QStringLiteral("08097: Falha de comunicação com o SAT")};
    QTest::newRow("08097 sem mensagem: vermelho, nenhuma caixa")
        << QByteArray("{sessao}|08097") << inoperante << vermelho << QStringList();
    QTest::newRow("outro código: vermelho sem mensagem")
        << QByteArray("{sessao}|08098|SAT bloqueado|||") << inoperante << vermelho << QStringList();
    QTest::newRow("sem separador") << QByteArray("08000") << inoperante << vermelho << QStringList();
    QTest::newRow("vazia") << QByteArray() << inoperante << vermelho << QStringList();
    QTest::newRow("código com branco não é 08000")
        << QByteArray("{sessao}| 08000|SAT em operação|||") << inoperante << vermelho << QStringList();
    QTest::newRow("mensagem com UTF-8 inválido")
        << QByteArray("{sessao}|08097|Falha \xc3\x28 \xff|||") << inoperante << vermelho
        << QStringList{QStringLiteral("08097: Falha \uFFFD( \uFFFD")};
}

void TestConsulta::veredito() {
    QFETCH(QByteArray, resposta);
    QFETCH(QString, texto);
    QFETCH(QColor, corEsperada);
    QFETCH(QStringList, mensagens);

    QVERIFY(lbloperante()->isHidden()); // until the first consult
    roteiro::responder(resposta);
    QTest::mouseClick(BtnPrincipal(), Qt::LeftButton);

    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(roteiro::chamadas().first().funcao, QStringLiteral("ConsultarSAT"));
    QVERIFY(roteiro::chamadas().first().argumentos.isEmpty());
    const QString sessao = b_->janela->caminho().numsessao();
    QCOMPARE(roteiro::chamadas().first().sessao, sessao.toInt());
    QCOMPARE(b_->controle<QLineEdit>(QStringLiteral("Edit1"))->text(), sessao);
    // The answer is echoed in the status bar whatever it says.
    QCOMPARE(b_->barraDeStatus(), QString::fromUtf8(resposta.replace("{sessao}", sessao.toLatin1())));

    QVERIFY(!lbloperante()->isHidden());
    QCOMPARE(lbloperante()->text(), texto);
    QCOMPARE(cor(lbloperante(), QPalette::WindowText), corEsperada);
    QCOMPARE(cor(BtnPrincipal(), QPalette::ButtonText), corEsperada);
    QCOMPARE(b_->ui.mensagens(), mensagens);
    QCOMPARE(b_->ui.exibidos.size(), mensagens.size()); // no SEFAZ window, no error box
    QCOMPARE(b_->paginaAtual(), 0);
}

void TestConsulta::botaoDaPaginaFazOMesmo() {
    roteiro::responder(QByteArray("{sessao}|08000|SAT em operação|||"));
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BitBtn6")), Qt::LeftButton);
    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(roteiro::chamadas().first().funcao, QStringLiteral("ConsultarSAT"));
    QCOMPARE(lbloperante()->text(), QStringLiteral("SAT em operação"));
    QCOMPARE(cor(BtnPrincipal(), QPalette::ButtonText), verde);

    roteiro::responder(QByteArray("{sessao}|08097|SAT inoperante por falha|||"));
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BitBtn6")), Qt::LeftButton);
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("08097: SAT inoperante por falha")});
    QCOMPARE(lbloperante()->text(), QStringLiteral("SAT inoperante"));
    QCOMPARE(cor(BtnPrincipal(), QPalette::ButtonText), vermelho);
}

void TestConsulta::consultaQueNaoAconteceNaoDeixaVerde() {
    roteiro::responder(QByteArray("{sessao}|08000|ok|||"));
    QTest::mouseClick(BtnPrincipal(), Qt::LeftButton);
    QCOMPARE(cor(BtnPrincipal(), QPalette::ButtonText), verde);

    // A null answer: told once, and the earlier green verdict does not stay on screen.
    roteiro::responder(std::nullopt);
    QTest::mouseClick(BtnPrincipal(), Qt::LeftButton);
    QCOMPARE(b_->ui.mensagens(),
             QStringList{QStringLiteral("A biblioteca SAT não devolveu resposta à função ConsultarSAT.")});
    QCOMPARE(lbloperante()->text(), QStringLiteral("SAT inoperante"));
    QCOMPARE(cor(lbloperante(), QPalette::WindowText), vermelho);
    QCOMPARE(cor(BtnPrincipal(), QPalette::ButtonText), vermelho);
}

void TestConsulta::cadaConsultaRefazOVeredito() {
    // The colour stays until the next consult, which may turn it either way.
    const QList<std::pair<QByteArray, QColor>> sequencia{
        {"{sessao}|08000|ok|||", verde},
        {"{sessao}|08098|bloqueado|||", vermelho},
        {"{sessao}|08000|ok|||", verde},
        {"", vermelho},
    };
    QStringList sessoes;
    for (const auto& [resposta, esperada] : sequencia) {
        roteiro::responder(resposta);
        QTest::mouseClick(BtnPrincipal(), Qt::LeftButton);
        QCOMPARE(cor(lbloperante(), QPalette::WindowText), esperada);
        QCOMPARE(cor(BtnPrincipal(), QPalette::ButtonText), esperada);
        sessoes.append(b_->janela->caminho().numsessao());
    }
    QCOMPARE(roteiro::chamadas().size(), sequencia.size());
    // A fresh session number for every consult.
    sessoes.removeDuplicates();
    QCOMPARE(sessoes.size(), sequencia.size());
}

void TestConsulta::janelaSefazDepoisDoVeredito_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QString>("veredito");
    QTest::addColumn<QStringList>("mensagens");
    QTest::addColumn<QString>("textoSefaz");
    QTest::newRow("08000") << QByteArray(
                                  "{sessao}|08000|SAT em operação|1234|Contribuinte em situação irregular")
                           << QStringLiteral("SAT em operação") << QStringList()
                           << QStringLiteral("Código: 1234\n\nContribuinte em situação irregular");
    QTest::newRow("08097: a mensagem, depois a SEFAZ")
        << QByteArray("{sessao}|08097|Falha|99|") << QStringLiteral("SAT inoperante")
        << QStringList{QStringLiteral("08097: Falha")} << QStringLiteral("Código: 99\n\n");
}

void TestConsulta::janelaSefazDepoisDoVeredito() {
    QFETCH(QByteArray, resposta);
    QFETCH(QString, veredito);
    QFETCH(QStringList, mensagens);
    QFETCH(QString, textoSefaz);

    QString vereditoNaJanela;
    QString textoNaJanela;
    b_->ui.dialogos.push_back([&](QDialog& d) {
        vereditoNaJanela = lbloperante()->text();
        textoNaJanela = d.findChild<QPlainTextEdit*>(QStringLiteral("MemoSefaz"))->toPlainText();
    });
    roteiro::responder(resposta);
    QTest::mouseClick(BtnPrincipal(), Qt::LeftButton);

    QCOMPARE(vereditoNaJanela, veredito);
    QCOMPARE(textoNaJanela, textoSefaz);
    QCOMPARE(b_->ui.mensagens(), mensagens);
    // The SEFAZ window comes last, after any message.
    QCOMPARE(b_->ui.exibidos.size(), mensagens.size() + 1);
    QCOMPARE(b_->ui.exibidos.last().tipo, Tipo::Dialogo);
    QCOMPARE(b_->ui.exibidos.last().titulo, QStringLiteral("TFMSefaz"));
}

void TestConsulta::comecaPelaPrimeiraPagina() {
    sat::FuncoesSAT funcoes = roteiro::funcoes();
    funcoes.ConsultarSAT = &consultaQueObserva;
    b_ = std::make_unique<Bancada>(funcoes);
    paginasObservadas = b_->controle<QStackedWidget>(QStringLiteral("PageControl"));

    for (const int outra : {8, 2}) {
        b_->selecionarPagina(outra);
        paginaDuranteAChamada = -1;
        QTest::mouseClick(BtnPrincipal(), Qt::LeftButton);
        // Page 0 is already showing while the device is being asked.
        QCOMPARE(paginaDuranteAChamada, 0);
        QCOMPARE(b_->paginaAtual(), 0);
        QCOMPARE(lbloperante()->text(), QStringLiteral("SAT em operação"));
    }
}

QTEST_MAIN(TestConsulta)
#include "tst_consulta.moc"
