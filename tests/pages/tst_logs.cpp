// The log page: "Extrair Logs" and "SuperLog" ask for the activation code, show the
// page in their mode and fill the memo from the device's log; "..." chooses a file
// and "Salvar" writes the memo's lines to it.

#include "app/interacaoqt.h"
#include "bancada.h"
#include "pages/tablog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString codigoCurto = QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.");
const QString hifens(54, u'-');
const QByteArray data = "16/05/2024 10:11:12.123|";
const QByteArray inicio = "SAT|info|==================== SuperLog =====================";
const QByteArray fim = "SAT|info|===================================================";

// A device log with one SuperLog section, its lines ended with CR LF.
const QByteArray logComSecao = data + "SAT|info|Sessao 000001 ConsultarSAT: 08000\r\n" + data + inicio +
                               "\r\n" + data + "SAT|info|Numero de serie ........ 900004019\r\n" + data +
                               fim + "\r\n" + data + "SAT|info|Sessao 000002 ExtrairLogs: 15000\r\n";

QByteArray respostaComLog(const QByteArray& log) {
    return "{sessao}|15000|Transferência completa|||" + log.toBase64();
}

} // namespace

class TestLogs : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pagina();
    void extrairLogs_data();
    void extrairLogs();
    void promptFechado_data();
    void promptFechado();
    void codigoDe7Recusado();
    void recusaDoDispositivo();
    void respostaSemLog_data();
    void respostaSemLog();
    void rolaAteOFim();
    void ultimaExtracaoFica();

    void escolherArquivo();
    void dialogoDeSalvarNaoPergunta();
    void salvar();
    void salvarSemNome();
    void salvarEmCaminhoImpossivel();
    void nomeDeBrancosETentado();

private:
    QPlainTextEdit* memo() const { return b_->controle<QPlainTextEdit>(QStringLiteral("MemoLogs")); }
    QLineEdit* edtLogs() const { return b_->controle<QLineEdit>(QStringLiteral("EdtLogs")); }
    QLabel* titulo() const { return b_->controle<QLabel>(QStringLiteral("Panel11")); }
    void extrair(const char* botao, const QString& codigo, const QByteArray& resposta) {
        b_->ui.dialogos.push_back(validarCom(codigo));
        roteiro::responder(resposta);
        QTest::mouseClick(b_->lateral(QString::fromLatin1(botao)), Qt::LeftButton);
    }
    // The dialogs shown, by object name.
    QStringList dialogos() const {
        QStringList nomes;
        for (const InteracaoRoteirizada::Exibido& e : b_->ui.exibidos)
            if (e.tipo == Tipo::Dialogo)
                nomes.append(e.titulo);
        return nomes;
    }
    QByteArray lerArquivo(const QString& caminho) const {
        QFile f(caminho);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(não abriu)");
    }

    std::unique_ptr<Bancada> b_;
};

void TestLogs::init() {
    b_ = std::make_unique<Bancada>();
}

void TestLogs::cleanup() {
    b_.reset();
}

void TestLogs::pagina() {
    QCOMPARE(titulo()->text(), QStringLiteral("EXTRAÇÃO DOS LOGS"));
    QVERIFY(b_->controleEm<QWidget>(QStringLiteral("TabLog"), QStringLiteral("Panel11")) == titulo());
    QVERIFY(b_->controle(QStringLiteral("EdtCodAtiv5"))->isHidden());
    QCOMPARE(b_->controle<QLineEdit>(QStringLiteral("EdtCodAtiv5"))->echoMode(), QLineEdit::Password);
    QVERIFY(b_->controle(QStringLiteral("BtnLogs"))->isHidden());
    QCOMPARE(b_->controle<QPushButton>(QStringLiteral("BtnLogs"))->text(), QStringLiteral("Extrair Logs"));
    QVERIFY(memo()->isReadOnly());
    QCOMPARE(memo()->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(memo()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(memo()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(memo()->font().pixelSize(), 13);
    QVERIFY(QFontInfo(memo()->font()).fixedPitch());
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("EdtLogsLabel"))->text(), QStringLiteral("Salvar em:"));
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("EdtLogsLabel"))->buddy(), edtLogs());
    QCOMPARE(b_->controle<QPushButton>(QStringLiteral("BtnLog1"))->text(), QStringLiteral("..."));
    QCOMPARE(b_->controle<QPushButton>(QStringLiteral("BtnLog2"))->text(), QStringLiteral("Salvar"));

    // The memo grows with the page.
    QVERIFY(b_->mostrar());
    b_->selecionarPagina(9);
    const int antes = memo()->height();
    b_->janela->resize(b_->janela->width() + 100, b_->janela->height() + 200);
    QTRY_COMPARE(memo()->height(), antes + 200);
}

void TestLogs::extrairLogs_data() {
    QTest::addColumn<QString>("botao");
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("titulo");
    QTest::addColumn<QString>("texto");

    QTest::newRow("Extrair Logs") << QStringLiteral("BitLogs") << 1 << QStringLiteral("EXTRAÇÃO DOS LOGS")
                                  << QString::fromLatin1(logComSecao).remove(u'\r') + u'\n' + hifens;
    QTest::newRow("SuperLog") << QStringLiteral("BitSuperLog") << 2 << QStringLiteral("SuperLog BRISEL")
                              << QStringLiteral("\n   ") + QString::fromLatin1(inicio) +
                                     QStringLiteral("\n   SAT|info|Numero de serie ........ 900004019\n   ") +
                                     QString::fromLatin1(fim);
}

void TestLogs::extrairLogs() {
    QFETCH(QString, botao);
    QFETCH(int, tag);
    QFETCH(QString, titulo);
    QFETCH(QString, texto);

    // What was on the page before goes at the press of the side-bar button.
    extrair("BitLogs", QStringLiteral("12345678"), respostaComLog("anterior\n"));
    QVERIFY(memo()->toPlainText().startsWith(QStringLiteral("anterior")));
    b_->ui.exibidos.clear();
    b_->selecionarPagina(0);

    extrair(qPrintable(botao), QStringLiteral("  abcd1234 "), respostaComLog(logComSecao));

    QCOMPARE(b_->paginaAtual(), 9);
    QCOMPARE(this->titulo()->text(), titulo);
    QCOMPARE(this->titulo()->property("Tag").toInt(), tag);
    QCOMPARE(roteiro::chamadas().size(), 2);
    const roteiro::Chamada& chamada = roteiro::chamadas().last();
    QCOMPARE(chamada.funcao, QStringLiteral("ExtrairLogs"));
    QCOMPARE(chamada.argumentos, QVariantList{QByteArray("abcd1234")}); // trimmed
    QCOMPARE(b_->controle<QLineEdit>(QStringLiteral("EdtCodAtiv5"))->text(), QStringLiteral("abcd1234"));
    QCOMPARE(b_->controle<QLineEdit>(QStringLiteral("Edit1"))->text(),
             QString::fromLatin1(b_->sessaoDaUltimaChamada()));
    QVERIFY(b_->barraDeStatus().startsWith(QString::fromLatin1(b_->sessaoDaUltimaChamada() + "|15000|")));
    QCOMPARE(memo()->toPlainText(), texto);
    // The prompt, and nothing else: no message on success.
    QCOMPARE(dialogos(), QStringList{QStringLiteral("TFValida")});
    QVERIFY(b_->ui.mensagens().isEmpty());
}

void TestLogs::promptFechado_data() {
    QTest::addColumn<QString>("botao");
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("titulo");
    QTest::newRow("Extrair Logs") << QStringLiteral("BitLogs") << 1 << QStringLiteral("EXTRAÇÃO DOS LOGS");
    QTest::newRow("SuperLog") << QStringLiteral("BitSuperLog") << 2 << QStringLiteral("SuperLog BRISEL");
}

void TestLogs::promptFechado() {
    QFETCH(QString, botao);
    QFETCH(int, tag);
    QFETCH(QString, titulo);

    extrair("BitLogs", QStringLiteral("12345678"), respostaComLog("anterior\n"));
    roteiro::limpar();
    b_->ui.exibidos.clear();
    // The other mode first, so that the title and tag really change.
    b_->ui.dialogos.push_back(digitarEFechar(QStringLiteral("12345678")));
    QTest::mouseClick(b_->lateral(botao == QLatin1String("BitLogs") ? QStringLiteral("BitSuperLog")
                                                                    : QStringLiteral("BitLogs")),
                      Qt::LeftButton);
    b_->selecionarPagina(0);
    b_->ui.dialogos.push_back(digitarEFechar(QStringLiteral("12345678")));
    QTest::mouseClick(b_->lateral(botao), Qt::LeftButton);

    QCOMPARE(b_->paginaAtual(), 9);
    QCOMPARE(this->titulo()->text(), titulo);
    QCOMPARE(this->titulo()->property("Tag").toInt(), tag);
    QVERIFY(memo()->toPlainText().isEmpty());
    QVERIFY(roteiro::chamadas().isEmpty());
    QVERIFY(b_->ui.mensagens().isEmpty());
    QVERIFY(b_->barraDeStatus().isEmpty());
    QVERIFY(b_->janela->estado().codigoativacao.isEmpty());
}

void TestLogs::codigoDe7Recusado() {
    extrair("BitLogs", QStringLiteral(" 1234567 "), "{sessao}|15000|nunca|||");
    QCOMPARE(b_->ui.mensagens(), QStringList{codigoCurto});
    QVERIFY(roteiro::chamadas().isEmpty());
    QCOMPARE(roteiro::respostasPendentes(), std::size_t{1});
    QCOMPARE(dialogos(), QStringList{QStringLiteral("TFValida")}); // no SEFAZ window
    QCOMPARE(b_->paginaAtual(), 9);
}

void TestLogs::recusaDoDispositivo() {
    extrair("BitSuperLog", QStringLiteral("12345678"),
            "{sessao}|15001|Código de ativação inválido|777|Mensagem da SEFAZ");
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("15001: Código de ativação inválido")});
    QVERIFY(memo()->toPlainText().isEmpty());
    // The SEFAZ message comes after the answer's message.
    QCOMPARE(b_->ui.exibidos.size(), 3);
    QCOMPARE(b_->ui.exibidos[1].tipo, Tipo::Mensagem);
    QCOMPARE(b_->ui.exibidos[2].titulo, QStringLiteral("TFMSefaz"));
}

void TestLogs::respostaSemLog_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<int>("janelasSefaz");
    QTest::newRow("só código") << QByteArray("{sessao}|15000") << 0;
    QTest::newRow("sem o campo 5") << QByteArray("{sessao}|15000|Transferência completa|12|Sefaz") << 1;
    QTest::newRow("vazia") << QByteArray() << 0;
}

void TestLogs::respostaSemLog() {
    QFETCH(QByteArray, resposta);
    QFETCH(int, janelasSefaz);
    extrair("BitLogs", QStringLiteral("12345678"), resposta);
    QCOMPARE(roteiro::chamadas().size(), 1);
    QVERIFY(b_->ui.mensagens().isEmpty());
    QVERIFY(memo()->toPlainText().isEmpty());
    QCOMPARE(b_->ui.textos(Tipo::Dialogo).size(), 1 + janelasSefaz);
}

void TestLogs::rolaAteOFim() {
    QVERIFY(b_->mostrar());
    QByteArray log;
    for (int i = 0; i < 2000; ++i)
        log += data + "SAT|info|linha " + QByteArray::number(i) + '\n';
    extrair("BitLogs", QStringLiteral("12345678"), respostaComLog(log));
    QCOMPARE(memo()->document()->blockCount(), 2002);
    QCOMPARE(memo()->textCursor().position(), memo()->document()->characterCount() - 1);
    QVERIFY(memo()->verticalScrollBar()->value() > 1900);
    QVERIFY(memo()->viewport()->rect().contains(memo()->cursorRect()));
}

void TestLogs::ultimaExtracaoFica() {
    extrair("BitLogs", QStringLiteral("12345678"), respostaComLog("a\n"));
    b_->selecionarPagina(0);
    b_->selecionarPagina(9);
    QCOMPARE(memo()->toPlainText(), QStringLiteral("a\n\n") + hifens);
    QCOMPARE(b_->controle<QLineEdit>(QStringLiteral("EdtCodAtiv5"))->text(), QStringLiteral("12345678"));
}

void TestLogs::escolherArquivo() {
    edtLogs()->setText(QStringLiteral("anterior.txt"));
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BtnLog1")), Qt::LeftButton); // cancelled
    QCOMPARE(edtLogs()->text(), QStringLiteral("anterior.txt"));

    const QString escolhido = b_->pasta.filePath(QStringLiteral("logs/sat.log"));
    b_->ui.arquivos.push_back(escolhido);
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BtnLog1")), Qt::LeftButton);
    QCOMPARE(edtLogs()->text(), QDir::toNativeSeparators(escolhido));

    // A save dialog with no title and no filter, each time.
    const QList<InteracaoRoteirizada::Exibido>& e = b_->ui.exibidos;
    QCOMPARE(e.size(), 2);
    for (const InteracaoRoteirizada::Exibido& d : e) {
        QCOMPARE(d.tipo, Tipo::SalvarArquivo);
        QVERIFY(d.titulo.isEmpty());
        QVERIFY(d.texto.isEmpty());
    }
    QVERIFY(roteiro::chamadas().isEmpty());
}

void TestLogs::dialogoDeSalvarNaoPergunta() {
    // Choosing the name writes nothing, so the real dialog does not ask about an
    // existing file; "Salvar" replaces it later.
    InteracaoQt ui;
    bool visto = false;
    bool naoPergunta = false;
    QTimer::singleShot(0, [&] {
        auto* dialogo = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialogo == nullptr)
            return;
        visto = true;
        naoPergunta = dialogo->testOption(QFileDialog::DontConfirmOverwrite);
        dialogo->reject();
    });
    QVERIFY(ui.arquivoParaSalvar(QString(), QString(), QString()).isEmpty());
    QVERIFY(visto);
    QVERIFY(naoPergunta);
}

void TestLogs::salvar() {
    extrair("BitLogs", QStringLiteral("12345678"), respostaComLog(logComSecao + "Situação\r\n"));
    const QString texto = memo()->toPlainText();
    b_->ui.exibidos.clear();

    const QString arquivo = b_->pasta.filePath(QStringLiteral("log.txt"));
    edtLogs()->setText(arquivo);
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BtnLog2")), Qt::LeftButton);

    QCOMPARE(b_->ui.mensagens(),
             QStringList{QStringLiteral("Arquivo ") + arquivo + QStringLiteral(" salvo com sucesso")});
    // The memo's lines, each followed by CR LF (never CR CR LF), in the 8-bit code page.
    QCOMPARE(lerArquivo(arquivo), logComSecao + "Situa\xe7\xe3o\r\n\r\n" + hifens.toLatin1() + "\r\n");
    QCOMPARE(memo()->toPlainText(), texto);

    // Saved again over the same file: replaced.
    extrair("BitSuperLog", QStringLiteral("12345678"), respostaComLog(logComSecao));
    b_->ui.exibidos.clear();
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BtnLog2")), Qt::LeftButton);
    QCOMPARE(b_->ui.mensagens().size(), 1);
    QCOMPARE(lerArquivo(arquivo),
             "\r\n   " + inicio + "\r\n   SAT|info|Numero de serie ........ 900004019\r\n   " + fim + "\r\n");
}

void TestLogs::salvarSemNome() {
    QVERIFY(b_->mostrar());
    b_->selecionarPagina(9);
    edtLogs()->clear();
    edtLogs()->setFocus();
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BtnLog2")), Qt::LeftButton);
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("O nome do arquivo não foi especificado")});
    QCOMPARE(b_->foco(), QStringLiteral("BtnLog1"));
}

void TestLogs::salvarEmCaminhoImpossivel() {
    extrair("BitLogs", QStringLiteral("12345678"), respostaComLog("a\n"));
    b_->ui.exibidos.clear();
    for (const QString& arquivo :
         {b_->pasta.filePath(QStringLiteral("não existe/log.txt")), b_->pasta.path()}) {
        b_->ui.exibidos.clear();
        edtLogs()->setText(arquivo);
        QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BtnLog2")), Qt::LeftButton);
        QCOMPARE(b_->ui.mensagens(),
                 QStringList{QStringLiteral("Erro ao tentar salvar o arquivo: ") + arquivo});
        QCOMPARE(memo()->toPlainText(), QStringLiteral("a\n\n") + hifens);
    }
}

void TestLogs::nomeDeBrancosETentado() {
    const QString antes = QDir::currentPath();
    QVERIFY(QDir::setCurrent(b_->pasta.path()));
    extrair("BitLogs", QStringLiteral("12345678"), respostaComLog("a"));
    b_->ui.exibidos.clear();
    edtLogs()->setText(QStringLiteral("   "));
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BtnLog2")), Qt::LeftButton);
    const QByteArray salvo = lerArquivo(QStringLiteral("   "));
    QDir::setCurrent(antes);
#if defined(Q_OS_WIN)
    // Windows drops trailing blanks from a file name, so a name of blanks names no file.
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("Erro ao tentar salvar o arquivo:    ")});
    QCOMPARE(salvo, QByteArray("(não abriu)"));
#else
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("Arquivo     salvo com sucesso")});
    QCOMPARE(salvo, "a\r\n" + hifens.toLatin1() + "\r\n");
#endif
}

QTEST_MAIN(TestLogs)
#include "tst_logs.moc"
