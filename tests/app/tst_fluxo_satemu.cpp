// The console driven against the emulated device, loaded from a folder as at start-up:
// a factory device activated, consulted, its status read and its code changed.
#include "app/tfativacao.h"
#include "fluxosatemu.h"
#include "interacaoroteirizada.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using Tipo = InteracaoRoteirizada::Tipo;

class TestFluxoSatemu : public QObject {
    Q_OBJECT
private slots:
    void init();
    void dispositivoDeFabricaAteATrocaDeCodigo();

private:
    template <typename T>
    T* controle(const char* nome) {
        T* w = janela_->findChild<T*>(QString::fromLatin1(nome));
        if (w == nullptr)
            qFatal("no control named %s", nome);
        return w;
    }
    void digitarCodigoNoPrompt(const QString& codigo);
    QStringList relatorio();
    void trocarCodigo(const QString& atual, bool emergencia, const QString& novo);

    InteracaoRoteirizada ui_;
    std::unique_ptr<QTemporaryDir> pasta_;
    std::unique_ptr<TFAtivacao> janela_;
};

void TestFluxoSatemu::init() {
    pasta_ = std::make_unique<QTemporaryDir>();
    // The device keeps its state beside itself unless told otherwise.
    qputenv("SATEMU_HOME", pasta_->path().toLocal8Bit());
    QVERIFY(colocarSatemu(pasta_->filePath(QStringLiteral("SAT_x64.DLL"))));
    janela_ = std::make_unique<TFAtivacao>(
        ui_, TFAtivacao::Opcoes{pasta_->path(), std::nullopt, pasta_->filePath(QStringLiteral("Parametros.xml"))});
    QVERIFY(!janela_->terminacaoSolicitada());
    QVERIFY(ui_.exibidos.isEmpty());
}

void TestFluxoSatemu::digitarCodigoNoPrompt(const QString& codigo) {
    ui_.dialogos.push_back([codigo](QDialog& prompt) {
        prompt.findChild<QLineEdit*>(QStringLiteral("EdtCodigo"))->setText(codigo);
        prompt.findChild<QPushButton*>(QStringLiteral("BtnTrocarCod"))->click();
    });
}

QStringList TestFluxoSatemu::relatorio() {
    return controle<QPlainTextEdit>("MemoStatus")->toPlainText().split(u'\n');
}

void TestFluxoSatemu::trocarCodigo(const QString& atual, bool emergencia, const QString& novo) {
    controle<QPushButton>("BtnCodAtivacao")->click();
    controle<QCheckBox>("CheckMudaCodigo")->setChecked(true);
    controle<QCheckBox>("Checkemergencia")->setChecked(emergencia);
    auto* pagina = janela_->findChild<QWidget*>(QStringLiteral("TabCodAtiva"));
    pagina->findChild<QLineEdit*>(QStringLiteral("EdtCodigo"))->setText(atual);
    controle<QLineEdit>("EdtNovoCodigo")->setText(novo);
    controle<QLineEdit>("EdtNovoCodigo2")->setText(novo);
    pagina->findChild<QPushButton*>(QStringLiteral("BtnTrocarCod"))->click();
}

void TestFluxoSatemu::dispositivoDeFabricaAteATrocaDeCodigo() {
    const QString rotulo = controle<QLabel>("lblVersaoDLL")->text();
    QVERIFY2(rotulo.startsWith(QStringLiteral("DLL: SAT_x64.DLL(64 bits) - Versão: 1.")), qPrintable(rotulo));
#if defined(Q_OS_WIN)
    // satemu names itself in its version resource: the label and the caption say who answers.
    QVERIFY2(rotulo.endsWith(QStringLiteral(" - SAT EMULADO (satemu)")), qPrintable(rotulo));
    QCOMPARE(janela_->windowTitle(),
             QStringLiteral("SAT - BRISEL Ativação (64 bits) - Versão: " SATCONSOLE_VERSION " - SAT EMULADO (satemu)"));
#else
    QVERIFY2(!rotulo.contains(QStringLiteral("satemu")), qPrintable(rotulo));
#endif

    // A factory device refuses the status report: it is not activated yet.
    digitarCodigoNoPrompt(QStringLiteral("12345678"));
    controle<QPushButton>("BitBtnStatus")->click();
    QCOMPARE(ui_.mensagens().size(), 1);
    QVERIFY2(!ui_.mensagens().first().startsWith(QStringLiteral("10000")), qPrintable(ui_.mensagens().first()));
    ui_.exibidos.clear();

    // Activation for a taxpayer in SP.
    controle<QPushButton>("BtnAtivacao")->click();
    controle<QLineEdit>("EdtCodAtiv2")->setText(QStringLiteral("12345678"));
    controle<QLineEdit>("EdtCodAtiv2Conf")->setText(QStringLiteral(" 12345678"));
    controle<QLineEdit>("EdtCNPJContrib")->setText(QStringLiteral("11222333000181"));
    controle<QComboBox>("cbo")->setCurrentIndex(25);
    ui_.confirmacoes.push_back(true);
    controle<QPushButton>("BtnAtivar")->click();
    QCOMPARE(ui_.mensagens(),
             QStringList{QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial.")});
    QCOMPARE(janela_->cds().text(u"CNPJContribuinte"), QStringLiteral("11222333000181"));
    QCOMPARE(janela_->cds().integer(u"uf"), 25);
    ui_.exibidos.clear();

    // Consulted: in operation.
    controle<QPushButton>("BitBtn6")->click();
    QCOMPARE(controle<QLabel>("lbloperante")->text(), QStringLiteral("SAT em operação"));
    QVERIFY(ui_.mensagens().isEmpty());

    // Its status report, with the activation code.
    digitarCodigoNoPrompt(QStringLiteral("12345678"));
    controle<QPushButton>("BitBtnStatus")->click();
    QVERIFY2(ui_.mensagens().isEmpty(), qPrintable(ui_.mensagens().join(u'\n')));
    const QStringList linhas = relatorio();
    QCOMPARE(linhas.size(), 24);
    QCOMPARE(linhas.first(), QStringLiteral(" "));
    QCOMPARE(linhas[1], QStringLiteral(" NSERIE ........... 900004019"));
    QCOMPARE(linhas.last(), QStringLiteral(" ESTADO_OPERACAO .. DESBLOQUEADO"));
    for (const QString& linha : linhas.mid(1))
        QCOMPARE(linha.mid(18, 2), QStringLiteral(". ")); // every value starts in column 21

    // The code changed with the current code, then with the emergency code.
    trocarCodigo(QStringLiteral("12345678"), false, QStringLiteral("novocodigo1"));
    QCOMPARE(ui_.mensagens().size(), 1);
    QVERIFY2(ui_.mensagens().first().startsWith(QStringLiteral("18000: ")), qPrintable(ui_.mensagens().first()));
    QVERIFY(!controle<QCheckBox>("CheckMudaCodigo")->isChecked());
    ui_.exibidos.clear();

    trocarCodigo(QStringLiteral("EMERGENCIA-SATEMU"), true, QStringLiteral("novocodigo2"));
    QCOMPARE(ui_.mensagens().size(), 1);
    QVERIFY2(ui_.mensagens().first().startsWith(QStringLiteral("18000: ")), qPrintable(ui_.mensagens().first()));
    ui_.exibidos.clear();

    // Only the newest code opens the status report now.
    digitarCodigoNoPrompt(QStringLiteral("novocodigo1"));
    controle<QPushButton>("BitBtnStatus")->click();
    QCOMPARE(ui_.mensagens().size(), 1);
    QVERIFY(!ui_.mensagens().first().startsWith(QStringLiteral("10000")));
    ui_.exibidos.clear();
    digitarCodigoNoPrompt(QStringLiteral("novocodigo2"));
    controle<QPushButton>("BitBtnStatus")->click();
    QVERIFY(ui_.mensagens().isEmpty());
    QCOMPARE(relatorio().size(), 24);
}

QTEST_MAIN(TestFluxoSatemu)
#include "tst_fluxo_satemu.moc"
