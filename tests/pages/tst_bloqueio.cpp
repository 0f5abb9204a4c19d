// Block, unblock and deactivation (page 4) and the basic software update (page 10):
// each command proves the activation code typed on its page, calls the device once and
// shows its answer, whatever the code; the code box is emptied after every command.

#include "bancada.h"
#include "operations/operacoes.h"
#include "pages/tabbloq.h"

#include <QFontInfo>
#include <QPlainTextEdit>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString codigoCurto = QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.");

// A command of these pages as the user starts it.
struct Comando {
    const char* pagina;
    const char* edit;
    const char* botao;
    const char* funcao;
};
const QMap<QString, Comando> comandosDasPaginas{
    {QStringLiteral("Bloquear"), {"TabBloq", "EdtCodAtiv6", "BitBloquSAT", "BloquearSAT"}},
    {QStringLiteral("Desbloquear"), {"TabBloq", "EdtCodAtiv6", "BitBtn5", "DesbloquearSAT"}},
    {QStringLiteral("Atualizar"), {"TavAtualizaSW", "EdtCodAtiv7", "BtnAtualizarSW", "AtualizarSoftwareSAT"}},
};

} // namespace

class TestBloqueio : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void paginaBloqueio();
    void paginaAtualizacao();
    void barraLateralEsvaziaEFoca_data();
    void barraLateralEsvaziaEFoca();

    void comandos_data();
    void comandos();
    void enterPressionaOBotaoPadrao_data();
    void enterPressionaOBotaoPadrao();
    void respostasMalformadas_data();
    void respostasMalformadas();

    void avisoDeDesativacao();
    void desativarCancelado();
    void desativarConfirmado();
    void desativarSemCodigo();

private:
    QLineEdit* edit(const Comando& c) const {
        return b_->controleEm<QLineEdit>(QString::fromLatin1(c.pagina), QString::fromLatin1(c.edit));
    }
    void executar(const Comando& c, const QString& codigo) {
        edit(c)->setText(codigo);
        QTest::mouseClick(
            b_->controleEm<QPushButton>(QString::fromLatin1(c.pagina), QString::fromLatin1(c.botao)),
            Qt::LeftButton);
    }
    QString memoLogs() const {
        return b_->controle<QPlainTextEdit>(QStringLiteral("MemoLogs"))->toPlainText();
    }
    // Something in the log page, to see whether a command empties it.
    void preencherMemoLogs() {
        b_->ui.dialogos.push_back(validarCom(QStringLiteral("12345678")));
        roteiro::responder("{sessao}|15000|ok|||" + QByteArray("linha do log\n").toBase64());
        QTest::mouseClick(b_->lateral(QStringLiteral("BitLogs")), Qt::LeftButton);
        QVERIFY(!memoLogs().isEmpty());
        roteiro::limpar();
        b_->ui.exibidos.clear();
    }

    std::unique_ptr<Bancada> b_;
};

void TestBloqueio::init() {
    b_ = std::make_unique<Bancada>();
}

void TestBloqueio::cleanup() {
    b_.reset();
}

void TestBloqueio::paginaBloqueio() {
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("Panel6"))->text(), QStringLiteral("BLOQUEAR/DESBLOQUEAR"));
    auto* codigo = b_->controle<QLineEdit>(QStringLiteral("EdtCodAtiv6"));
    QCOMPARE(codigo->echoMode(), QLineEdit::Password);
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("EdtCodAtiv6Label"))->text(),
             QStringLiteral("Digite o Código de Ativação do SAT:"));
    // One row below the code box: "Desbloquear", "Bloquear", "Desativar".
    auto* desbloquear = b_->controle<QPushButton>(QStringLiteral("BitBtn5"));
    auto* bloquear = b_->controle<QPushButton>(QStringLiteral("BitBloquSAT"));
    auto* desativar = b_->controle<QPushButton>(QStringLiteral("BitDesatSAT"));
    QCOMPARE(desbloquear->text(), QStringLiteral("Desbloquear"));
    QCOMPARE(bloquear->text(), QStringLiteral("Bloquear"));
    QCOMPARE(desativar->text(), QStringLiteral("Desativar"));
    QVERIFY(desbloquear->x() < bloquear->x() && bloquear->x() < desativar->x());
    for (QPushButton* b : {desbloquear, bloquear, desativar}) {
        QCOMPARE(b->y(), desbloquear->y());
        QVERIFY(b->y() > codigo->geometry().bottom());
    }
    // The code box is first in the keyboard order, then the buttons left to right.
    QStringList ordem;
    for (QWidget* w = codigo; ordem.size() < 4; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            ordem.append(w->objectName());
    QCOMPARE(ordem, (QStringList{"EdtCodAtiv6", "BitBtn5", "BitBloquSAT", "BitDesatSAT"}));

    auto* aviso = b_->controle<QLabel>(QStringLiteral("Memo1"));
    const QString texto =
        QStringList{QString(),
                    QStringLiteral("ATENÇÃO: "),
                    QStringLiteral("ESTAS OPÇÕES REFEREM-SE APENAS AO BLOQUEIO PELO CONTRIBUINTE. AS "),
                    QStringLiteral("MESMAS NÃO TEM  EFEITO PARA CASOS  DE BLOQUEIO PELA SEFAZ, OU "),
                    QStringLiteral("BLOQUEIO AUTONOMO OU BLOQUEIO DEVIDO A ERRO DO CÓDIGO DE "),
                    QStringLiteral("ATIVAÇÃO."),
                    QString(),
                    QString()}
            .join(u'\n');
    QCOMPARE(aviso->text(), texto);
    QCOMPARE(aviso->focusPolicy(), Qt::NoFocus);
    QCOMPARE(cor(aviso, QPalette::WindowText), verde);
    QCOMPARE(aviso->font().pixelSize(), 12);
    QVERIFY(QFontInfo(aviso->font()).fixedPitch());
    QCOMPARE(aviso->alignment(), Qt::AlignCenter);
}

void TestBloqueio::paginaAtualizacao() {
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("Panel12"))->text(),
             QStringLiteral("ATUALIZAR SOFTWARE BÁSICO"));
    auto* codigo = b_->controle<QLineEdit>(QStringLiteral("EdtCodAtiv7"));
    QCOMPARE(codigo->echoMode(), QLineEdit::Password);
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("EdtCodAtiv7Label"))->text(),
             QStringLiteral("Digite o Código de Ativação do SAT:"));
    auto* atualizar = b_->controle<QPushButton>(QStringLiteral("BtnAtualizarSW"));
    QCOMPARE(atualizar->text(), QStringLiteral("Atualizar"));
    QVERIFY(atualizar->y() > codigo->geometry().bottom());

    auto* aviso = b_->controle<QLabel>(QStringLiteral("Memo5"));
    QCOMPARE(
        aviso->text(),
        QStringLiteral("\nATENÇÃO:\n \nESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO. \n"));
    QCOMPARE(aviso->focusPolicy(), Qt::NoFocus);
    QCOMPARE(cor(aviso, QPalette::WindowText), verde);
}

void TestBloqueio::barraLateralEsvaziaEFoca_data() {
    QTest::addColumn<QString>("lateral");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("pagina");
    QTest::newRow("Bloquear/Desbloquear")
        << QStringLiteral("BtnBloquearSAT") << QStringLiteral("EdtCodAtiv6") << 4;
    QTest::newRow("Atualizar SW Básico")
        << QStringLiteral("BitAtualizaSW") << QStringLiteral("EdtCodAtiv7") << 10;
}

void TestBloqueio::barraLateralEsvaziaEFoca() {
    QFETCH(QString, lateral);
    QFETCH(QString, edit);
    QFETCH(int, pagina);
    QVERIFY(b_->mostrar());
    b_->controle<QLineEdit>(edit)->setText(QStringLiteral("esquecido"));
    QTest::mouseClick(b_->lateral(lateral), Qt::LeftButton);
    QCOMPARE(b_->paginaAtual(), pagina);
    QVERIFY(b_->controle<QLineEdit>(edit)->text().isEmpty());
    QCOMPARE(b_->foco(), edit);
    QVERIFY(roteiro::chamadas().isEmpty());
}

void TestBloqueio::comandos_data() {
    QTest::addColumn<QString>("comando");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QByteArray>("enviado"); // the code the device receives; empty: no call
    QTest::addColumn<QStringList>("mensagens");
    QTest::addColumn<bool>("sefaz");

    for (const QString& c : comandosDasPaginas.keys()) {
        const auto linha = [&](const char* caso) -> QTestData& {
            return QTest::addRow("%s: %s", qPrintable(c), caso) << c;
        };
        linha("sucesso") << QStringLiteral("abcd1234") << QByteArray("{sessao}|16000|Feito.|||")
                         << QByteArray("abcd1234") << QStringList{QStringLiteral("16000: Feito.")} << false;
        linha("código aparado") << QStringLiteral("  abcd1234\t") << QByteArray("{sessao}|17000|Feito.|||")
                                << QByteArray("abcd1234") << QStringList{QStringLiteral("17000: Feito.")}
                                << false;
        // Whatever the code, the device's own answer is shown.
        linha("recusa") << QStringLiteral("abcd1234") << QByteArray("{sessao}|16003|SAT já bloqueado.|||")
                        << QByteArray("abcd1234") << QStringList{QStringLiteral("16003: SAT já bloqueado.")}
                        << false;
        linha("com mensagem da SEFAZ")
            << QStringLiteral("abcd1234") << QByteArray("{sessao}|14099|Erro.|123|Texto")
            << QByteArray("abcd1234") << QStringList{QStringLiteral("14099: Erro.")} << true;
        linha("7 caracteres") << QStringLiteral(" 1234567 ") << QByteArray() << QByteArray()
                              << QStringList{codigoCurto} << false;
        linha("vazio") << QString() << QByteArray() << QByteArray() << QStringList{codigoCurto} << false;
        linha("8 caracteres") << QStringLiteral("12345678") << QByteArray("{sessao}|16000|ok|||")
                              << QByteArray("12345678") << QStringList{QStringLiteral("16000: ok")} << false;
        // These boxes take a code of any length: a 32-character code pasted with blanks
        // around it reaches the device whole, and a longer one is the device's to judge.
        const QByteArray codigo32("0123456789abcdefghijklmnopqrstuv");
        linha("32 caracteres entre brancos")
            << QStringLiteral("   %1  ").arg(QLatin1String(codigo32)) << QByteArray("{sessao}|16000|ok|||")
            << codigo32 << QStringList{QStringLiteral("16000: ok")} << false;
        linha("40 caracteres") << QString::fromLatin1(codigo32 + "ABCDEFGH")
                               << QByteArray("{sessao}|16001|Código inválido.|||") << codigo32 + "ABCDEFGH"
                               << QStringList{QStringLiteral("16001: Código inválido.")} << false;
    }
}

void TestBloqueio::comandos() {
    QFETCH(QString, comando);
    QFETCH(QString, codigo);
    QFETCH(QByteArray, resposta);
    QFETCH(QByteArray, enviado);
    QFETCH(QStringList, mensagens);
    QFETCH(bool, sefaz);
    const Comando& c = comandosDasPaginas[comando];
    const QString aviso = b_->controle<QLabel>(QStringLiteral("Memo1"))->text();

    preencherMemoLogs();
    if (!resposta.isEmpty())
        roteiro::responder(resposta);
    executar(c, codigo);

    QCOMPARE(b_->ui.mensagens(), mensagens);
    QVERIFY(edit(c)->text().isEmpty()); // after every command, refused or not
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("Memo1"))->text(), aviso);
    if (enviado.isEmpty()) {
        QVERIFY(roteiro::chamadas().isEmpty());
        QVERIFY(!memoLogs().isEmpty()); // a refused code leaves the log page alone
        return;
    }
    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(roteiro::chamadas().first().funcao, QString::fromLatin1(c.funcao));
    QCOMPARE(roteiro::chamadas().first().argumentos, QVariantList{enviado});
    QCOMPARE(b_->controle<QLineEdit>(QStringLiteral("Edit1"))->text(),
             QString::fromLatin1(b_->sessaoDaUltimaChamada()));
    QVERIFY(b_->barraDeStatus().startsWith(QString::fromLatin1(b_->sessaoDaUltimaChamada())));
    QVERIFY(memoLogs().isEmpty());
    // The SEFAZ window comes after the answer's message.
    QCOMPARE(b_->ui.exibidos.size(), 1 + (sefaz ? 1 : 0));
    if (sefaz)
        QCOMPARE(b_->ui.exibidos.last().titulo, QStringLiteral("TFMSefaz"));
}

void TestBloqueio::enterPressionaOBotaoPadrao_data() {
    QTest::addColumn<QString>("lateral");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("funcao");
    QTest::newRow("Desbloquear, não Bloquear")
        << QStringLiteral("BtnBloquearSAT") << QStringLiteral("EdtCodAtiv6")
        << QStringLiteral("DesbloquearSAT");
    QTest::newRow("Atualizar") << QStringLiteral("BitAtualizaSW") << QStringLiteral("EdtCodAtiv7")
                               << QStringLiteral("AtualizarSoftwareSAT");
}

void TestBloqueio::enterPressionaOBotaoPadrao() {
    QFETCH(QString, lateral);
    QFETCH(QString, edit);
    QFETCH(QString, funcao);
    QVERIFY(b_->mostrar());
    QTest::mouseClick(b_->lateral(lateral), Qt::LeftButton);
    auto* codigo = b_->controle<QLineEdit>(edit);
    QTest::keyClicks(codigo, QStringLiteral("abcd1234"));
    roteiro::responder("{sessao}|17000|ok|||");
    QTest::keyClick(codigo, Qt::Key_Return);
    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(roteiro::chamadas().first().funcao, funcao);
    QVERIFY(codigo->text().isEmpty());
}

void TestBloqueio::respostasMalformadas_data() {
    QTest::addColumn<QString>("comando");
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<bool>("nula");
    QTest::addColumn<QStringList>("mensagens");
    QTest::addColumn<int>("janelasSefaz");

    for (const QString& c : comandosDasPaginas.keys()) {
        const auto linha = [&](const char* caso) -> QTestData& {
            return QTest::addRow("%s: %s", qPrintable(c), caso) << c;
        };
        // Fewer than three fields: no message, and the command still ends as usual.
        linha("vazia") << QByteArray() << false << QStringList() << 0;
        linha("sem separador") << QByteArray("16000") << false << QStringList() << 0;
        linha("sessão e código") << QByteArray("{sessao}|16000") << false << QStringList() << 0;
        linha("ponteiro nulo") << QByteArray() << true
                               << QStringList{QStringLiteral(
                                                  "A biblioteca SAT não devolveu resposta à função %1.")
                                                  .arg(QLatin1String(comandosDasPaginas[c].funcao))}
                               << 0;
        linha("só separadores") << QByteArray(40, '|') << false << QStringList{QStringLiteral(": ")} << 0;
        linha("UTF-8 inválido") << QByteArray("{sessao}|16001|\xff\xfe r\xc3|\xc3|") << false
                                << QStringList{QStringLiteral("16001: \uFFFD\uFFFD r\uFFFD")} << 1;
        linha("código 130 com cinco campos") << QByteArray("{sessao}|13000|0000|Mensagem|77") << false
                                             << QStringList{QStringLiteral("13000: 0000")} << 1;
    }
}

void TestBloqueio::respostasMalformadas() {
    QFETCH(QString, comando);
    QFETCH(QByteArray, resposta);
    QFETCH(bool, nula);
    QFETCH(QStringList, mensagens);
    QFETCH(int, janelasSefaz);
    const Comando& c = comandosDasPaginas[comando];

    roteiro::responder(nula ? std::nullopt : std::optional<QByteArray>(resposta));
    executar(c, QStringLiteral("abcd1234"));
    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(b_->ui.mensagens(), mensagens);
    QCOMPARE(b_->ui.textos(Tipo::Dialogo).size(), janelasSefaz);
    QVERIFY(b_->ui.textos(Tipo::Erro).isEmpty());
    QVERIFY(edit(c)->text().isEmpty());

    // The next well-formed answer is handled as usual.
    b_->ui.exibidos.clear();
    roteiro::responder("{sessao}|16000|ok|||");
    executar(c, QStringLiteral("abcd1234"));
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("16000: ok")});
}

void TestBloqueio::avisoDeDesativacao() {
    const QString esperado =
        QStringList{
            QStringLiteral("Atenção:"),
            QStringLiteral("Verifique se após finalizar esta função o LED \"SAT Bloqueado\" está piscando."),
            QStringLiteral("Isto indica que o processo de DESATIVAÇÂO foi concluído na retaguarda da SEFAZ."),
            QStringLiteral("Para que o SAT recupere as configurações de fábrica você deve agora pressionar o "
                           "botão reset por 5 segundos."),
            QStringLiteral("Por favor aguarde."),
            QStringLiteral("Esta função pode demorar alguns minutos.")}
            .join(QStringLiteral("\n\r")) +
        // The extra line feed makes the empty line before the last one, as in the
        // activation's confirmation.
        QStringLiteral("\n\n\rClique OK para continuar.");
    QCOMPARE(comandos::avisoDesativacao, esperado);
    QCOMPARE(comandos::avisoDesativacao.size(), 367);
    QVERIFY(comandos::avisoDesativacao.contains(QStringLiteral("DESATIVAÇÂO")));
}

void TestBloqueio::desativarCancelado() {
    preencherMemoLogs();
    auto* codigo = b_->controle<QLineEdit>(QStringLiteral("EdtCodAtiv6"));
    codigo->setText(QStringLiteral("abcd1234"));
    b_->ui.confirmacoes.push_back(false);
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BitDesatSAT")), Qt::LeftButton);
    QCOMPARE(b_->ui.textos(Tipo::Confirmacao), QStringList{comandos::avisoDesativacao});
    QCOMPARE(b_->ui.exibidos.size(), 1);
    QVERIFY(roteiro::chamadas().isEmpty());
    QCOMPARE(codigo->text(), QStringLiteral("abcd1234")); // nothing happened
    QVERIFY(!memoLogs().isEmpty());
}

void TestBloqueio::desativarConfirmado() {
    roteiro::responder("{sessao}|16000|ok|||");
    roteiro::responder("{sessao}|16000|Equipamento SAT bloqueado com sucesso.|||");
    executar(comandosDasPaginas[QStringLiteral("Bloquear")], QStringLiteral("abcd1234"));
    const int sessaoAnterior = roteiro::chamadas().last().sessao;
    b_->ui.exibidos.clear();

    auto* codigo = b_->controle<QLineEdit>(QStringLiteral("EdtCodAtiv6"));
    codigo->setText(QStringLiteral(" abcd1234 "));
    b_->ui.confirmacoes.push_back(true);
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BitDesatSAT")), Qt::LeftButton);

    QCOMPARE(roteiro::chamadas().size(), 2);
    const roteiro::Chamada& chamada = roteiro::chamadas().last();
    QCOMPARE(chamada.funcao, QStringLiteral("BloquearSAT"));
    QCOMPARE(chamada.argumentos, QVariantList{QByteArray("abcd1234")});
    QVERIFY(chamada.sessao != sessaoAnterior);
    QCOMPARE(b_->ui.exibidos.size(), 2);
    QCOMPARE(b_->ui.exibidos[0].tipo, Tipo::Confirmacao);
    QCOMPARE(b_->ui.exibidos[1].texto, QStringLiteral("16000: Equipamento SAT bloqueado com sucesso."));
    QVERIFY(codigo->text().isEmpty());
}

void TestBloqueio::desativarSemCodigo() {
    b_->ui.confirmacoes.push_back(true);
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BitDesatSAT")), Qt::LeftButton);
    QCOMPARE(b_->ui.textos(Tipo::Confirmacao), QStringList{comandos::avisoDesativacao});
    QCOMPARE(b_->ui.mensagens(), QStringList{codigoCurto});
    QVERIFY(roteiro::chamadas().isEmpty());
}

QTEST_MAIN(TestBloqueio)
#include "tst_bloqueio.moc"
