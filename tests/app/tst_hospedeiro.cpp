// The SAT library in the helper process: the console survives the library's crashes,
// exits and hangs, keeps painting during a call while taking no input, says in plain
// words why a library does not load, and gets a fresh helper for the next command.
#include "app/tfativacao.h"
#include "interacaoroteirizada.h"
#include "sat/executorremoto.h"

#include <functional>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#if defined(Q_OS_WIN)
#include <windows.h>
#endif

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

// Counts the paints a widget receives.
class ContaPinturas final : public QObject {
public:
    int pinturas = 0;
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Paint)
            ++pinturas;
        return QObject::eventFilter(objeto, evento);
    }
};

// Runs `acao` once the event loop has run for `ms` (inside the wait for the helper),
// unless `dono` is gone by then.
void depois(QObject* dono, int ms, std::function<void()> acao) {
    QTimer::singleShot(ms, dono, std::move(acao));
}

bool processoVivo(qint64 pid) {
#if defined(Q_OS_WIN)
    if (pid <= 0)
        return false;
    HANDLE processo = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (processo == nullptr)
        return false;
    const bool vivo = WaitForSingleObject(processo, 0) == WAIT_TIMEOUT;
    CloseHandle(processo);
    return vivo;
#else
    return pid > 0 && QDir(QStringLiteral("/proc/%1").arg(pid)).exists();
#endif
}

} // namespace

class TestHospedeiro : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void falhaDuranteAConsulta_data();
    void falhaDuranteAConsulta();
    void falhaEmCadaOperacao_data();
    void falhaEmCadaOperacao();
    void chamadaQueNaoVoltaEInterrompidaComEsc();
    void fecharDuranteAChamadaPergunta();
    void entradaBloqueadaEJanelaPintadaDuranteAChamada();
    void bibliotecaQueEscreveNaSaidaPadrao();
    void respostaGrandeChegaIntacta();
    void causasDoErroDeCarga_data();
    void causasDoErroDeCarga();
    void fimDoProgramaEncerraOHospedeiro();

private:
    void abrir(const QString& biblioteca = QStringLiteral(SATTESTE_FALHA));
    // The helper reads it when it starts: set before abrir().
    void falharEm(const QByteArray& funcaoEModo) { qputenv("SATTESTE_FALHA", funcaoEModo); }
    template <typename T = QWidget> T* controle(const char* nome) const {
        T* w = janela_->findChild<T*>(QString::fromLatin1(nome));
        if (w == nullptr)
            qFatal("no control named %s", nome);
        return w;
    }
    qint64 pidDoHospedeiro() const {
        return static_cast<sat::ExecutorRemoto&>(janela_->caminho().executor()).processoDoHospedeiro();
    }
    void consultar() { controle<QPushButton>("BtnPrincipal")->click(); }
    // The user's answer to the next activation-code prompt.
    void validar() {
        ui_.dialogos.push_back([](QDialog& prompt) {
            prompt.findChild<QLineEdit*>(QStringLiteral("EdtCodigo"))->setText(QStringLiteral("12345678"));
            prompt.findChild<QPushButton*>(QStringLiteral("BtnTrocarCod"))->click();
        });
    }
    void verificarConsultaBemSucedida();

    InteracaoRoteirizada ui_;
    std::unique_ptr<QTemporaryDir> pasta_;
    std::unique_ptr<TFAtivacao> janela_;
};

void TestHospedeiro::initTestCase() {
    // The helper reports a crash as the signal it died of, not as the sanitizer's exit.
    qputenv("ASAN_OPTIONS", qgetenv("ASAN_OPTIONS") + ":handle_segv=0:handle_abort=0:handle_sigbus=0");
}

void TestHospedeiro::init() {
    ui_ = InteracaoRoteirizada();
    pasta_ = std::make_unique<QTemporaryDir>();
    qunsetenv("SATTESTE_FALHA");
}

void TestHospedeiro::cleanup() {
    janela_.reset();
    qunsetenv("SATTESTE_FALHA");
}

void TestHospedeiro::abrir(const QString& biblioteca) {
    QVERIFY(QFile::copy(biblioteca, pasta_->filePath(QStringLiteral("SAT_x64.DLL"))));
    janela_ = std::make_unique<TFAtivacao>(
        ui_,
        TFAtivacao::Opcoes{pasta_->path(), std::nullopt, pasta_->filePath(QStringLiteral("Parametros.xml"))});
    QVERIFY(!janela_->terminacaoSolicitada());
    janela_->show();
    QVERIFY(QTest::qWaitForWindowExposed(janela_.get()));
}

void TestHospedeiro::verificarConsultaBemSucedida() {
    ui_.exibidos.clear();
    qunsetenv("SATTESTE_FALHA");
    consultar();
    QCOMPARE(ui_.mensagens(), QStringList());
    QCOMPARE(controle<QLabel>("lbloperante")->text(), QStringLiteral("SAT em operação"));
    QVERIFY(janela_->caminho().retorno().endsWith("|08000|ConsultarSAT|||"));
}

void TestHospedeiro::falhaDuranteAConsulta_data() {
    QTest::addColumn<QByteArray>("modo");
    QTest::addColumn<QString>("causa");
#if defined(Q_OS_WIN)
    QTest::newRow("falha de segmentação") << QByteArray("segv") << "violação de acesso à memória";
    // MinGW's C runtime ends an aborting program with exit code 3.
    QTest::newRow("abort") << QByteArray("abort") << "a biblioteca encerrou o programa com o código 3";
#else
    QTest::newRow("falha de segmentação") << QByteArray("segv") << "falha de segmentação";
    QTest::newRow("abort") << QByteArray("abort") << "a biblioteca abortou";
#endif
    QTest::newRow("exit") << QByteArray("exit") << "a biblioteca encerrou o programa com o código 3";
}

void TestHospedeiro::falhaDuranteAConsulta() {
    QFETCH(QByteArray, modo);
    QFETCH(QString, causa);
    falharEm("ConsultarSAT=" + modo);
    abrir();
    janela_->cds().edit();
    janela_->cds().setText(u"CNPJSH", QStringLiteral("11222333000181"));
    janela_->cds().post();
    const qint64 primeiro = pidDoHospedeiro();
    QVERIFY(processoVivo(primeiro));

    consultar();
    QCOMPARE(ui_.mensagens().size(), 1);
    const QString mensagem = ui_.mensagens().first();
    QVERIFY2(mensagem.startsWith(QStringLiteral("A biblioteca SAT parou durante a função ConsultarSAT (") +
                                 causa + QStringLiteral(").")),
             qPrintable(mensagem));
    QVERIFY(mensagem.contains(QStringLiteral("O estado do SAT é desconhecido")));
    QVERIFY(mensagem.contains(QStringLiteral("Consulte o SAT")));
    // The operation ended as for a null answer; nothing else was lost.
    QCOMPARE(janela_->caminho().retorno(), QByteArray());
    QCOMPARE(controle<QLabel>("lbloperante")->text(), QStringLiteral("SAT inoperante"));
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(janela_->isVisible());
    QCOMPARE(janela_->cds().text(u"CNPJSH"), QStringLiteral("11222333000181"));

    verificarConsultaBemSucedida();
    QVERIFY(pidDoHospedeiro() != primeiro); // a fresh helper
}

void TestHospedeiro::falhaEmCadaOperacao_data() {
    QTest::addColumn<QByteArray>("funcao");
    QTest::addColumn<int>("operacao");
    QTest::newRow("consulta") << QByteArray("ConsultarSAT") << 0;
    QTest::newRow("status") << QByteArray("ConsultarStatusOperacional") << 1;
    QTest::newRow("ativação") << QByteArray("AtivarSAT") << 2;
    QTest::newRow("troca do código") << QByteArray("TrocarCodigoDeAtivacao") << 3;
    QTest::newRow("associação") << QByteArray("AssociarAssinatura") << 4;
    QTest::newRow("rede") << QByteArray("ConfigurarInterfaceDeRede") << 5;
    QTest::newRow("teste fim a fim") << QByteArray("TesteFimAFim") << 6;
    QTest::newRow("consulta de sessão") << QByteArray("ConsultarNumeroSessao") << 7;
    QTest::newRow("consulta de sessão fiscal") << QByteArray("ConsultarUltimaSessaoFiscal") << 8;
    QTest::newRow("logs") << QByteArray("ExtrairLogs") << 9;
    QTest::newRow("bloqueio") << QByteArray("BloquearSAT") << 10;
    QTest::newRow("desbloqueio") << QByteArray("DesbloquearSAT") << 11;
    QTest::newRow("atualização") << QByteArray("AtualizarSoftwareSAT") << 12;
}

void TestHospedeiro::falhaEmCadaOperacao() {
    QFETCH(QByteArray, funcao);
    QFETCH(int, operacao);
    falharEm(funcao + "=segv");
    abrir();
    switch (operacao) {
    case 0:
        consultar();
        break;
    case 1:
        validar();
        controle<QPushButton>("BitBtnStatus")->click();
        break;
    case 2:
        controle<QPushButton>("BtnAtivacao")->click();
        controle<QLineEdit>("EdtCodAtiv2")->setText(QStringLiteral("12345678"));
        controle<QLineEdit>("EdtCodAtiv2Conf")->setText(QStringLiteral("12345678"));
        controle<QLineEdit>("EdtCNPJContrib")->setText(QStringLiteral("11222333000181"));
        controle<QComboBox>("cbo")->setCurrentIndex(25);
        ui_.confirmacoes.push_back(true);
        controle<QPushButton>("BtnAtivar")->click();
        break;
    case 4:
        controle<QPushButton>("BtnAssocAssin")->click();
        controle<QLineEdit>("EdtCNPJContrib2")->setText(QStringLiteral("11222333000181"));
        controle<QLineEdit>("EdtCNPJSw")->setText(QStringLiteral("11444777000161"));
        controle<QLineEdit>("EdtAssinatura")->setText(QStringLiteral("assinatura"));
        controle<QLineEdit>("EdtCodAtiv3")->setText(QStringLiteral("12345678"));
        controle<QPushButton>("BitAssociar")->click();
        break;
    case 5:
        controle<QPushButton>("BtnConfRede")->click();
        controle<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
        controle<QPushButton>("BitBtn4")->click();
        break;
    case 6:
        controle<QPushButton>("BtnTestefimafim")->click();
        validar();
        ui_.dialogos.push_back([](QDialog& d) {
            d.findChild<QLineEdit*>(QStringLiteral("EdtCNPJContrib2"))
                ->setText(QStringLiteral("11222333000181"));
            d.findChild<QPushButton*>(QStringLiteral("BtnOk"))->click();
        });
        controle<QPushButton>("BtnTesteAtivacao")->click();
        break;
    case 7:
    case 8:
        controle<QPushButton>("BtnTestefimafim")->click();
        controle<QLineEdit>("Edit1")->setText(QStringLiteral("000123"));
        validar();
        controle<QPushButton>(operacao == 7 ? "BtnSessao" : "BtnSessaoFiscal")->click();
        break;
    case 9:
        validar();
        controle<QPushButton>("BitLogs")->click();
        break;
    case 10:
    case 11:
        controle<QPushButton>("BtnBloquearSAT")->click();
        controle<QLineEdit>("EdtCodAtiv6")->setText(QStringLiteral("12345678"));
        controle<QPushButton>(operacao == 10 ? "BitBloquSAT" : "BitBtn5")->click();
        break;
    case 12:
        controle<QPushButton>("BitAtualizaSW")->click();
        controle<QLineEdit>("EdtCodAtiv7")->setText(QStringLiteral("12345678"));
        controle<QPushButton>("BtnAtualizarSW")->click();
        break;
    case 3: {
        controle<QPushButton>("BtnCodAtivacao")->click();
        controle<QCheckBox>("CheckMudaCodigo")->setChecked(true);
        auto* pagina = controle<QWidget>("TabCodAtiva");
        pagina->findChild<QLineEdit*>(QStringLiteral("EdtCodigo"))->setText(QStringLiteral("12345678"));
        controle<QLineEdit>("EdtNovoCodigo")->setText(QStringLiteral("novocodigo"));
        controle<QLineEdit>("EdtNovoCodigo2")->setText(QStringLiteral("novocodigo"));
        pagina->findChild<QPushButton*>(QStringLiteral("BtnTrocarCod"))->click();
        break;
    }
    }
    // The one message about the crash (the association first shows the signature it
    // read, and nothing else is said of the call).
    const QStringList parou =
        ui_.mensagens().filter(QStringLiteral("A biblioteca SAT parou durante a função "));
    QCOMPARE(parou.size(), 1);
    QVERIFY2(parou.first().startsWith(QStringLiteral("A biblioteca SAT parou durante a função ") +
                                      QString::fromLatin1(funcao) + QStringLiteral(" (")),
             qPrintable(ui_.mensagens().join(u'\n')));
    QVERIFY2(ui_.mensagens().last() == parou.first(), qPrintable(ui_.mensagens().join(u'\n')));
    QVERIFY(janela_->isVisible());
    verificarConsultaBemSucedida();
}

void TestHospedeiro::chamadaQueNaoVoltaEInterrompidaComEsc() {
    falharEm("ConsultarSAT=dorme");
    abrir();
    ui_.confirmacoes.push_back(true);
    QElapsedTimer relogio;
    relogio.start();
    depois(janela_.get(), 300, [this] { QTest::keyClick(janela_.get(), Qt::Key_Escape); });
    consultar();
    QVERIFY(relogio.elapsed() < 30000); // given up, not waited out
    const QStringList perguntas = ui_.textos(Tipo::Confirmacao);
    QCOMPARE(perguntas.size(), 1);
    QVERIFY2(
        perguntas.first().startsWith(QStringLiteral("O SAT ainda não respondeu à função ConsultarSAT (")),
        qPrintable(perguntas.first()));
    QCOMPARE(ui_.mensagens().size(), 1);
    QVERIFY2(ui_.mensagens().first().startsWith(QStringLiteral(
                 "A biblioteca SAT parou durante a função ConsultarSAT (encerrada a pedido do usuário).")),
             qPrintable(ui_.mensagens().first()));
    verificarConsultaBemSucedida();
}

void TestHospedeiro::fecharDuranteAChamadaPergunta() {
    falharEm("ConsultarSAT=dorme");
    abrir();
    ui_.confirmacoes.push_back(false); // the first question: keep waiting
    ui_.confirmacoes.push_back(true);  // the second: give up
    bool visivelDepoisDoNao = false;
    depois(janela_.get(), 200, [this] { janela_->close(); });
    depois(janela_.get(), 700, [&] {
        visivelDepoisDoNao = janela_->isVisible();
        QTest::keyClick(janela_.get(), Qt::Key_Escape);
    });
    consultar();
    QVERIFY(visivelDepoisDoNao);
    QCOMPARE(ui_.textos(Tipo::Confirmacao).size(), 2);
    QVERIFY(janela_->isVisible());
    QVERIFY(ui_.mensagens().first().contains(QStringLiteral("encerrada a pedido do usuário")));
    // Between calls the window closes as always.
    janela_->close();
    QVERIFY(!janela_->isVisible());
}

void TestHospedeiro::entradaBloqueadaEJanelaPintadaDuranteAChamada() {
    falharEm("ConsultarSAT=dorme:2500");
    abrir();
    ContaPinturas pinturas;
    auto* barra = controle<QStatusBar>("StatusBar");
    barra->installEventFilter(&pinturas);
    QString statusNoComeco;
    QString statusDepoisDeUmSegundo;
    int paginaDepoisDoClique = -1;
    depois(janela_.get(), 100, [&] { statusNoComeco = controle<QLabel>("StatusPanel0")->text(); });
    depois(janela_.get(), 600, [&] {
        // A click on another command and a key in a page do nothing meanwhile.
        QTest::mouseClick(controle<QPushButton>("BtnAtivacao"), Qt::LeftButton);
        QTest::keyClick(controle<QPushButton>("BitBtn6"), Qt::Key_Space);
        paginaDepoisDoClique = controle<QStackedWidget>("PageControl")->currentIndex();
    });
    depois(janela_.get(), 1700, [&] { statusDepoisDeUmSegundo = controle<QLabel>("StatusPanel0")->text(); });
    consultar();

    QCOMPARE(statusNoComeco, QStringLiteral("Aguardando retorno do SAT ..."));
    QVERIFY2(statusDepoisDeUmSegundo.startsWith(QStringLiteral("Aguardando retorno do SAT ... ")) &&
                 statusDepoisDeUmSegundo.endsWith(QStringLiteral(" s (Esc interrompe)")),
             qPrintable(statusDepoisDeUmSegundo));
    QCOMPARE(paginaDepoisDoClique, 0);
    QVERIFY2(pinturas.pinturas >= 2, "the status bar is painted while the helper works");
    QCOMPARE(ui_.mensagens(), QStringList());
    QCOMPARE(controle<QLabel>("lbloperante")->text(), QStringLiteral("SAT em operação"));
    // Input flows again after the call.
    QTest::mouseClick(controle<QPushButton>("BtnAtivacao"), Qt::LeftButton);
    QCOMPARE(controle<QStackedWidget>("PageControl")->currentIndex(), 2);
}

void TestHospedeiro::bibliotecaQueEscreveNaSaidaPadrao() {
    falharEm("ConsultarSAT=imprime");
    abrir();
    consultar();
    QCOMPARE(ui_.mensagens(), QStringList());
    QVERIFY(janela_->caminho().retorno().endsWith("|08000|ConsultarSAT|||"));
}

void TestHospedeiro::respostaGrandeChegaIntacta() {
    constexpr int tamanho = 5 * 1000 * 1000;
    falharEm("ConsultarSAT=grande:" + QByteArray::number(tamanho));
    abrir();
    consultar();
    const QByteArray& r = janela_->caminho().retorno();
    QCOMPARE(r.size(), tamanho);
    bool intacta = true;
    for (int i = 0; i < tamanho && intacta; ++i)
        intacta = r[i] == char('a' + i % 26);
    QVERIFY(intacta);
}

void TestHospedeiro::causasDoErroDeCarga_data() {
    QTest::addColumn<QString>("arquivo"); // what is put as SAT_x64.DLL
    QTest::addColumn<QString>("causa");
    QTest::newRow("texto") << "texto"
                           << "O arquivo não é uma biblioteca.";
    QTest::newRow("ELF de 32 bits") << "elf32"
                                    << "É uma biblioteca de 32 bits; este programa é de 64 bits e só carrega "
                                       "bibliotecas de 64 bits.";
    QTest::newRow("outra máquina")
        << "arm64"
        << "É uma biblioteca para outro processador (ARM 64 bits); este programa é para "
           "x86-64 (Intel/AMD).";
#if defined(Q_OS_WIN)
    // Windows' loader does not say which library is missing.
    QTest::newRow("dependência ausente") << "dependente"
                                         << "Falta uma biblioteca de que ela precisa.";
#else
    QTest::newRow("dependência ausente")
        << "dependente"
        << "Falta a biblioteca libsatteste_dependencia.so, de que ela precisa.";
#endif
}

void TestHospedeiro::causasDoErroDeCarga() {
    QFETCH(QString, arquivo);
    QFETCH(QString, causa);
#if !defined(__x86_64__)
    QSKIP("the expected sentences name an x86-64 program");
#endif
#if defined(Q_OS_WIN)
    if (arquivo == QLatin1String("elf32") || arquivo == QLatin1String("arm64"))
        QSKIP("Linux only: the row patches the test library's ELF header");
#endif
    const QString destino = pasta_->filePath(QStringLiteral("SAT_x64.DLL"));
    if (arquivo == QLatin1String("dependente")) {
        QVERIFY(QFile::copy(QStringLiteral(SATTESTE_DEPENDENTE), destino));
    } else {
        QByteArray dados("não sou uma biblioteca");
        if (arquivo != QLatin1String("texto")) {
            QFile so(QStringLiteral(SATTESTE_COMPLETA));
            QVERIFY(so.open(QIODevice::ReadOnly));
            dados = so.readAll();
            if (arquivo == QLatin1String("elf32"))
                dados[4] = 1;
            else
                dados.replace(18, 2, QByteArray("\xb7\0", 2));
        }
        QFile f(destino);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(dados);
    }
    janela_ = std::make_unique<TFAtivacao>(
        ui_,
        TFAtivacao::Opcoes{pasta_->path(), std::nullopt, pasta_->filePath(QStringLiteral("Parametros.xml"))});
    QVERIFY(!janela_->terminacaoSolicitada());
    const QStringList erros = ui_.textos(Tipo::MensagemSemDono);
    QCOMPARE(erros.size(), 1);
    const QStringList linhas = erros.first().split(u'\n');
    QCOMPARE(linhas.value(0), QStringLiteral("Erro ao carregar a DLL: ") + QDir::toNativeSeparators(destino));
    QCOMPARE(linhas.value(1), causa);
    QCOMPARE(linhas.value(2), QString());
    QVERIFY2(!linhas.value(3).isEmpty(), "the loader's own words follow");
    // The window runs without a library.
    ui_.exibidos.clear();
    consultar();
    QCOMPARE(ui_.mensagens(),
             QStringList{QStringLiteral(
                 "Nenhuma biblioteca SAT está carregada: a função ConsultarSAT não pode ser chamada.")});
}

void TestHospedeiro::fimDoProgramaEncerraOHospedeiro() {
    abrir();
    const qint64 pid = pidDoHospedeiro();
    QVERIFY(processoVivo(pid));
    janela_.reset();
    QTRY_VERIFY(!processoVivo(pid));
}

QTEST_MAIN(TestHospedeiro)
#include "tst_hospedeiro.moc"
