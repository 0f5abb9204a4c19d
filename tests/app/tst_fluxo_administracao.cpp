// The console driven against the emulated device, loaded from a folder as at start-up:
// an activated device blocked, unblocked, blocked again by the deactivation, its basic
// software updated, and its log extracted whole and as its SuperLog section, shown and
// saved; then a log padded to 50 MB by the device's fault file.
#include "fluxosatemu.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString codigo = QStringLiteral("12345678");
const QString hifens(54, u'-');
const QString inicioSuperLog = QStringLiteral("SAT|info|==================== SuperLog =====================");
const QString fimSuperLog = QStringLiteral("SAT|info|===================================================");

} // namespace

class TestFluxoAdministracao : public FluxoSatemu {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void bloqueioDesbloqueioDesativacaoEAtualizacao();
    void logInteiroESuperLogMostradosESalvos();
    void logDe50MB();

private:
    // The command's one message, which must start with the code.
    void comandoDeBloqueio(const char* botao, const char* codigoEsperado, bool confirmar = false) {
        ui_.exibidos.clear();
        controle<QPushButton>("BtnBloquearSAT")->click();
        controle<QLineEdit>("EdtCodAtiv6")->setText(codigo);
        if (confirmar)
            ui_.confirmacoes.push_back(true);
        controle<QPushButton>(botao)->click();
        QCOMPARE(ui_.mensagens().size(), 1);
        QVERIFY2(ui_.mensagens().first().startsWith(QLatin1String(codigoEsperado)),
                 qPrintable(ui_.mensagens().first()));
        QVERIFY(controle<QLineEdit>("EdtCodAtiv6")->text().isEmpty());
    }
    QString estadoDeOperacao() {
        ui_.exibidos.clear();
        digitarCodigoNoPrompt(codigo);
        controle<QPushButton>("BitBtnStatus")->click();
        return controle<QPlainTextEdit>("MemoStatus")->toPlainText().split(u'\n').last();
    }
    void extrair(const char* botao) {
        ui_.exibidos.clear();
        digitarCodigoNoPrompt(codigo);
        controle<QPushButton>(botao)->click();
        QVERIFY2(ui_.mensagens().isEmpty(), qPrintable(ui_.mensagens().join(u'\n')));
    }
    QByteArray salvar(const QString& nome) {
        ui_.exibidos.clear();
        const QString arquivo = pasta_->filePath(nome);
        ui_.arquivos.push_back(arquivo);
        controle<QPushButton>("BtnLog1")->click();
        controle<QPushButton>("BtnLog2")->click();
        if (ui_.mensagens() !=
            QStringList{QStringLiteral("Arquivo ") + controle<QLineEdit>("EdtLogs")->text() +
                        QStringLiteral(" salvo com sucesso")})
            return "(não salvo: " + ui_.mensagens().join(u'\n').toUtf8() + ")";
        QFile f(arquivo);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(não abriu)");
    }
    QString memoLogs() { return controle<QPlainTextEdit>("MemoLogs")->toPlainText(); }
};

void TestFluxoAdministracao::init() {
    abrirNoSatemu();
    QVERIFY(ativar(codigo));
}

void TestFluxoAdministracao::cleanup() { fechar(); }

void TestFluxoAdministracao::bloqueioDesbloqueioDesativacaoEAtualizacao() {
    QCOMPARE(estadoDeOperacao(), QStringLiteral(" ESTADO_OPERACAO .. DESBLOQUEADO"));

    comandoDeBloqueio("BitBloquSAT", "16000: ");
    QCOMPARE(estadoDeOperacao(), QStringLiteral(" ESTADO_OPERACAO .. BLOQUEIO CONTRIBUINTE"));
    comandoDeBloqueio("BitBloquSAT", "16003: "); // already blocked: the device's refusal, shown as is

    comandoDeBloqueio("BitBtn5", "17000: ");
    QCOMPARE(estadoDeOperacao(), QStringLiteral(" ESTADO_OPERACAO .. DESBLOQUEADO"));
    comandoDeBloqueio("BitBtn5", "17003: ");

    // The deactivation blocks the device after its warning.
    comandoDeBloqueio("BitDesatSAT", "16000: ", true);
    QCOMPARE(ui_.textos(Tipo::Confirmacao).size(), 1);
    QVERIFY(ui_.textos(Tipo::Confirmacao).first().startsWith(QStringLiteral("Atenção:\n\rVerifique")));
    QCOMPARE(estadoDeOperacao(), QStringLiteral(" ESTADO_OPERACAO .. BLOQUEIO CONTRIBUINTE"));
    comandoDeBloqueio("BitBtn5", "17000: ");

    // The update installs the next version once.
    for (const char* esperado : {"14000: Software atualizado com sucesso", "14003: "}) {
        ui_.exibidos.clear();
        controle<QPushButton>("BitAtualizaSW")->click();
        controle<QLineEdit>("EdtCodAtiv7")->setText(codigo);
        controle<QPushButton>("BtnAtualizarSW")->click();
        QCOMPARE(ui_.mensagens().size(), 1);
        QVERIFY2(ui_.mensagens().first().startsWith(QString::fromUtf8(esperado)),
                 qPrintable(ui_.mensagens().first()));
    }
    estadoDeOperacao();
    QVERIFY(controle<QPlainTextEdit>("MemoStatus")
                ->toPlainText()
                .contains(QStringLiteral(" VER_SB ........... 01.06.00")));
}

void TestFluxoAdministracao::logInteiroESuperLogMostradosESalvos() {
    comandoDeBloqueio("BitBloquSAT", "16000: ");

    extrair("BitLogs");
    const QStringList linhas = memoLogs().split(u'\n');
    QCOMPARE(controle<QLabel>("Panel11")->text(), QStringLiteral("EXTRAÇÃO DOS LOGS"));
    QVERIFY(linhas.size() > 20);
    QCOMPARE(linhas.last(), hifens);
    QCOMPARE(linhas[linhas.size() - 2], QString()); // the device ends its log with a line feed
    for (const QString& linha : linhas.first(linhas.size() - 2))
        QVERIFY2(linha.mid(23, 10) == QStringLiteral("|SAT|info|"), qPrintable(linha));
    QVERIFY(memoLogs().contains(QStringLiteral("BloquearSAT: 16000")));
    QVERIFY(!memoLogs().contains(codigo)); // activation codes are never logged

    QByteArray esperado = memoLogs().toUtf8().replace("\n", "\r\n") + "\r\n";
    QCOMPARE(salvar(QStringLiteral("log inteiro.txt")), esperado);

    // The SuperLog section that this very extraction appended to the log.
    extrair("BitSuperLog");
    QCOMPARE(controle<QLabel>("Panel11")->text(), QStringLiteral("SuperLog BRISEL"));
    const QStringList secao = memoLogs().split(u'\n');
    QCOMPARE(secao.first(), QString());
    QCOMPARE(secao[1], QStringLiteral("   ") + inicioSuperLog);
    QCOMPARE(secao.last(), QStringLiteral("   ") + fimSuperLog);
    QVERIFY(secao.contains(QStringLiteral("   SAT|info|Numero de serie ........ 900004019")));
    QVERIFY(secao.contains(
        QStringLiteral("   SAT|info|Situacao ............... ATIVADO - BLOQUEIO CONTRIBUINTE")));
    esperado = memoLogs().toUtf8().replace("\n", "\r\n") + "\r\n";
    QCOMPARE(salvar(QStringLiteral("superlog.txt")), esperado);
}

void TestFluxoAdministracao::logDe50MB() {
    QFile falhas(pasta_->filePath(QStringLiteral("satemu-faults.conf")));
    QVERIFY(falhas.open(QIODevice::WriteOnly));
    QVERIFY(falhas.write("log_padding_mb=50\n") > 0);
    falhas.close();

    extrair("BitLogs");
    const QTextDocument* documento = controle<QPlainTextEdit>("MemoLogs")->document();
    QVERIFY2(documento->characterCount() > 50'000'000,
             qPrintable(QString::number(documento->characterCount())));
    QVERIFY(documento->firstBlock().text().endsWith(
        QStringLiteral("|SAT|info|Registro antigo de preenchimento do log (arquivo de falhas)")));
    QCOMPARE(documento->lastBlock().text(), hifens);
    QVERIFY(documento->lastBlock().previous().text().isEmpty());

    // Its SuperLog section is found at the end of it.
    extrair("BitSuperLog");
    const QStringList secao = memoLogs().split(u'\n');
    QCOMPARE(secao[1], QStringLiteral("   ") + inicioSuperLog);
    QCOMPARE(secao.last(), QStringLiteral("   ") + fimSuperLog);
}

QTEST_MAIN(TestFluxoAdministracao)
#include "tst_fluxo_administracao.moc"
