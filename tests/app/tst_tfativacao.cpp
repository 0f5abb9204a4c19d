#include "app/tfativacao.h"
#include "bibliotecaroteirizada.h"
#include "interacaoroteirizada.h"
#include "pages/tabduvra.h"
#include "sat/resposta.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

// What the status bar and the pointer showed while the library was working.
QString statusDuranteAChamada;
bool cursorDeEsperaDuranteAChamada = false;
QLabel* painelObservado = nullptr;

const char* consultaQueObserva(int) {
    statusDuranteAChamada = painelObservado->text();
    cursorDeEsperaDuranteAChamada =
        QApplication::overrideCursor() != nullptr && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    return "000001|08000|ok|||";
}

} // namespace

class TestTFAtivacao : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void escolhaDaBiblioteca_data();
    void escolhaDaBiblioteca();
    void semBibliotecaOProgramaTermina();
    void parametrosIlegiveisEncerramSemTocarNoArquivo();
    void parametrosGravadosAoFimQuandoMudaram();
    void tituloEListaDeEstados();
    void barraLateral();
    void barraLateralSelecionaPaginas_data();
    void barraLateralSelecionaPaginas();
    void sairFechaAJanela();
    void posicoesDaPrimeiraPagina_data();
    void posicoesDaPrimeiraPagina();
    void primeiraPaginaSegueOTamanho();

    void chamadaPercorreOCaminhoComum();
    void semBibliotecaNadaEChamado();
    void bibliotecasIncompletasDoDisco_data();
    void bibliotecasIncompletasDoDisco();
    void erroNaoTratadoVaiParaACaixaDeErro();
    void mensagemSefaz();

private:
    std::unique_ptr<TFAtivacao> janelaRoteirizada();
    QString parametros() const { return pasta_->filePath(QStringLiteral("Parametros.xml")); }

    InteracaoRoteirizada ui_;
    std::unique_ptr<QTemporaryDir> pasta_;
};

void TestTFAtivacao::init() {
    ui_ = InteracaoRoteirizada();
    pasta_ = std::make_unique<QTemporaryDir>();
    roteiro::limpar();
}

void TestTFAtivacao::cleanup() { pasta_.reset(); }

std::unique_ptr<TFAtivacao> TestTFAtivacao::janelaRoteirizada() {
    return std::make_unique<TFAtivacao>(
        ui_, TFAtivacao::Opcoes{pasta_->path(), roteiro::funcoes(), parametros()});
}

void TestTFAtivacao::escolhaDaBiblioteca_data() {
    QTest::addColumn<QString>("x64");  // what SAT_x64.DLL is: "" absent, "lixo", "link" or "copia"
    QTest::addColumn<QString>("sat");  // the same for SAT.DLL
    QTest::addColumn<QString>("rotulo");
    QTest::addColumn<bool>("erroDeCarga");
    QTest::newRow("só SAT_x64.DLL, link versionado") << "link" << "" << "DLL: SAT_x64.DLL(64 bits) - Versão: 2.1.0" << false;
#if defined(Q_OS_WIN)
    // The version is the library's own resource, whatever the file is called.
    QTest::newRow("só SAT.DLL, versão do recurso") << ""
                                                   << "copia"
                                                   << "DLL: SAT.DLL(64 bits) - Versão: 2.1.0" << false;
#else
    QTest::newRow("só SAT.DLL, sem versão") << "" << "copia" << "DLL: SAT.DLL(64 bits) - Versão: " << false;
#endif
    QTest::newRow("as duas: só SAT_x64.DLL") << "link" << "lixo" << "DLL: SAT_x64.DLL(64 bits) - Versão: 2.1.0" << false;
    QTest::newRow("SAT_x64.DLL não carrega: SAT.DLL não é tentada") << "lixo" << "copia" << "Versão da DLL: " << true;
}

void TestTFAtivacao::escolhaDaBiblioteca() {
    QFETCH(QString, x64);
    QFETCH(QString, sat);
    QFETCH(QString, rotulo);
    QFETCH(bool, erroDeCarga);
    const auto preparar = [&](const QString& nome, const QString& como) {
        const QString caminho = pasta_->filePath(nome);
#if defined(Q_OS_WIN)
        // Windows has no links a loader follows: the library is a copy there, and its
        // version comes from its resource.
        if (como == QLatin1String("link") || como == QLatin1String("copia"))
#else
        if (como == QLatin1String("link"))
            QVERIFY(QFile::link(QStringLiteral(SATTESTE_COMPLETA), caminho));
        else if (como == QLatin1String("copia"))
#endif
            QVERIFY(QFile::copy(QStringLiteral(SATTESTE_COMPLETA), caminho));
        else if (como == QLatin1String("lixo")) {
            QFile f(caminho);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("não é uma biblioteca");
        }
    };
    preparar(QStringLiteral("SAT_x64.DLL"), x64);
    preparar(QStringLiteral("SAT.DLL"), sat);

    TFAtivacao janela(ui_, {pasta_->path(), std::nullopt, parametros()});
    QVERIFY(!janela.terminacaoSolicitada());
    QCOMPARE(janela.findChild<QLabel*>(QStringLiteral("lblVersaoDLL"))->text(), rotulo);
    // A maker's library changes nothing in the caption (only satemu adds to it).
    QCOMPARE(janela.windowTitle(), QStringLiteral("SAT - BRISEL Ativação (64 bits) - Versão: " SATCONSOLE_VERSION));
    QCOMPARE(janela.findChild<QStackedWidget*>(QStringLiteral("PageControl"))->currentIndex(), 0);

    const QStringList erros = ui_.textos(Tipo::MensagemSemDono);
    if (erroDeCarga) {
        QCOMPARE(erros.size(), 1);
        QCOMPARE(ui_.exibidos.first().titulo, QStringLiteral("Erro!"));
        const QString esperado = QStringLiteral("Erro ao carregar a DLL: ") +
                                 QDir::toNativeSeparators(pasta_->filePath(QStringLiteral("SAT_x64.DLL")));
        QVERIFY2(erros.first().startsWith(esperado), qPrintable(erros.first()));
        QVERIFY2(erros.first().size() > esperado.size() + 2, "the loader's reason follows the path");
    } else {
        QVERIFY(erros.isEmpty());
        // The bound library answers through the window's road.
        QVERIFY(janela.caminho().chamar(&sat::FuncoesSAT::ConsultarSAT));
        QVERIFY(janela.caminho().retorno().endsWith("|08000|ConsultarSAT|||"));
    }
    QVERIFY(ui_.mensagens().isEmpty());
}

void TestTFAtivacao::semBibliotecaOProgramaTermina() {
    TFAtivacao janela(ui_, {pasta_->path(), std::nullopt, parametros()});
    QVERIFY(janela.terminacaoSolicitada());
    QCOMPARE(ui_.exibidos.size(), 1);
    QCOMPARE(ui_.mensagens(), QStringList{QStringLiteral("Erro: DLL não foi encotrada.")});
}

void TestTFAtivacao::parametrosIlegiveisEncerramSemTocarNoArquivo() {
    const QByteArray danificado("<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"><METADATA>");
    QFile arquivo(parametros());
    QVERIFY(arquivo.open(QIODevice::WriteOnly));
    arquivo.write(danificado);
    arquivo.close();

    TFAtivacao janela(ui_, {pasta_->path(), roteiro::funcoes(), parametros()});
    QVERIFY(janela.terminacaoSolicitada());
    QCOMPARE(ui_.mensagens().size(), 1);
    QVERIFY2(ui_.mensagens().first().contains(QStringLiteral("Parametros.xml")), qPrintable(ui_.mensagens().first()));
    janela.gravarParametros();
    QVERIFY(arquivo.open(QIODevice::ReadOnly));
    QCOMPARE(arquivo.readAll(), danificado);
}

void TestTFAtivacao::parametrosGravadosAoFimQuandoMudaram() {
    const auto janela = janelaRoteirizada();
    janela->gravarParametros(); // a missing file is written even without an edit
    QVERIFY(QFile::exists(parametros()));
    janela->cds().edit();
    janela->cds().setText(u"CNPJSH", QStringLiteral("11222333000181"));
    janela->cds().post();
    janela->gravarParametros();
    QVERIFY(ui_.exibidos.isEmpty());

    settings::ParameterStore relido;
    QVERIFY(relido.open(parametros()).ok());
    QCOMPARE(relido.text(u"CNPJSH"), QStringLiteral("11222333000181"));
}

void TestTFAtivacao::tituloEListaDeEstados() {
    const auto janela = janelaRoteirizada();
    QCOMPARE(janela->windowTitle(), QStringLiteral("SAT - BRISEL Ativação (64 bits) - Versão: " SATCONSOLE_VERSION));
    QCOMPARE(janela->findChild<QLabel*>(QStringLiteral("lblEmpresa"))->text(), QStringLiteral("Brisel Informática"));
    QCOMPARE(janela->findChild<QLabel*>(QStringLiteral("lblVersaoDLL"))->text(), QStringLiteral("Versão da DLL: "));
    QVERIFY(janela->findChild<QLabel*>(QStringLiteral("lbloperante"))->isHidden());
    QCOMPARE(janela->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QString());

    const auto* cbo = janela->findChild<QComboBox*>(QStringLiteral("cbo"));
    QCOMPARE(cbo->count(), 27);
    QCOMPARE(cbo->itemText(0), QStringLiteral("AC"));
    QCOMPARE(cbo->itemText(25), QStringLiteral("SP"));
    QCOMPARE(cbo->itemText(26), QStringLiteral("TO"));
    QCOMPARE(cbo->currentIndex(), -1);
}

void TestTFAtivacao::barraLateral() {
    const auto janela = janelaRoteirizada();
    const QList<std::tuple<QString, QString, int>> botoes = {
        {"BtnPrincipal", "SAT - BRISEL", 0},
        {"BtnConfRede", "Config. da Rede", 28},
        {"BtnAtivacao", "Ativação do SAT", 56},
        {"BtnAssocAssin", "Associar Aplic. Comercial", 84},
        {"BtnTestefimafim", "Testes", 112},
        {"BitBtnStatus", "Status", 140},
        {"BitLogs", "Extrair Logs", 168},
        {"BtnCodAtivacao", "Trocar Cód. Ativação", 196},
        {"BtnBloquearSAT", "Bloquear/Desbloquear", 224},
        {"BitAtualizaSW", "Atualizar SW Básico", 252},
        {"BtnSair", "Sair", 376},
        {"BitSuperLog", "SuperLog", 347},
    };
    QWidget* anterior = nullptr;
    for (const auto& [nome, legenda, topo] : botoes) {
        QPushButton* botao = janela->botaoLateral(nome);
        QVERIFY2(botao != nullptr, qPrintable(nome));
        QCOMPARE(botao->text(), legenda);
        QCOMPARE(botao->geometry(), QRect(1, topo, 130, 29));
        // Keyboard order: the list order, "Sair" before "SuperLog".
        if (anterior != nullptr)
            QCOMPARE(anterior->nextInFocusChain(), botao);
        anterior = botao;
    }
}

void TestTFAtivacao::barraLateralSelecionaPaginas_data() {
    QTest::addColumn<QString>("botao");
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<int>("indice");
    QTest::newRow("Config. da Rede") << "BtnConfRede" << "TabConfRede" << 6;
    QTest::newRow("Associar") << "BtnAssocAssin" << "TabAssocAss" << 3;
    QTest::newRow("Bloquear") << "BtnBloquearSAT" << "TabBloq" << 4;
    QTest::newRow("Atualizar") << "BitAtualizaSW" << "TavAtualizaSW" << 10;
}

void TestTFAtivacao::barraLateralSelecionaPaginas() {
    QFETCH(QString, botao);
    QFETCH(QString, pagina);
    QFETCH(int, indice);
    const auto janela = janelaRoteirizada();
    auto* paginas = janela->findChild<QStackedWidget*>(QStringLiteral("PageControl"));
    QCOMPARE(paginas->count(), 11);
    QTest::mouseClick(janela->botaoLateral(botao), Qt::LeftButton);
    QCOMPARE(paginas->currentIndex(), indice);
    QCOMPARE(paginas->currentWidget()->objectName(), pagina);
}

void TestTFAtivacao::sairFechaAJanela() {
    const auto janela = janelaRoteirizada();
    janela->show();
    QVERIFY(QTest::qWaitForWindowExposed(janela.get()));
    QTest::mouseClick(janela->botaoLateral(QStringLiteral("BtnSair")), Qt::LeftButton);
    QVERIFY(!janela->isVisible());
    QVERIFY(ui_.exibidos.isEmpty()); // nothing asks for confirmation
}

void TestTFAtivacao::posicoesDaPrimeiraPagina_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("imagemEsquerda");
    QTest::addColumn<int>("imagemTopo");
    QTest::addColumn<int>("botaoEsquerda");
    QTest::newRow("tamanho de projeto") << 528 << 399 << 164 << 132 << 194;
    QTest::newRow("ímpar trunca") << 529 << 400 << 164 << 133 << 195;
    QTest::newRow("mais estreita que a imagem: -5 dá -2") << 195 << 200 << -2 << 0 << 28;
    QTest::newRow("mais baixa que a imagem") << 200 << 190 << 0 << -6 << 30;
}

void TestTFAtivacao::posicoesDaPrimeiraPagina() {
    QFETCH(int, w);
    QFETCH(int, h);
    const PosicoesTabDuvra p = posicoesFormResize(w, h, 200, 200, 139);
    QTEST(p.imagemEsquerda, "imagemEsquerda");
    QTEST(p.imagemTopo, "imagemTopo");
    QTEST(p.botaoEsquerda, "botaoEsquerda");
}

void TestTFAtivacao::primeiraPaginaSegueOTamanho() {
    const auto janela = janelaRoteirizada();
    janela->show();
    QVERIFY(QTest::qWaitForWindowExposed(janela.get()));
    janela->resize(900, 600);
    QApplication::processEvents();
    auto* pagina = janela->findChild<QWidget*>(QStringLiteral("TabDuvra"));
    const PosicoesTabDuvra p = posicoesFormResize(pagina->width(), pagina->height(), 200, 200, 139);
    QCOMPARE(janela->findChild<QLabel*>(QStringLiteral("ImgSAT"))->pos(), QPoint(p.imagemEsquerda, p.imagemTopo));
    QCOMPARE(janela->findChild<QPushButton*>(QStringLiteral("BitBtn6"))->pos(), QPoint(p.botaoEsquerda, 97));
}

void TestTFAtivacao::chamadaPercorreOCaminhoComum() {
    sat::FuncoesSAT funcoes;
    funcoes.ConsultarSAT = &consultaQueObserva;
    TFAtivacao janela(ui_, {pasta_->path(), funcoes, parametros()});
    painelObservado = janela.findChild<QLabel*>(QStringLiteral("StatusPanel0"));
    statusDuranteAChamada.clear();
    cursorDeEsperaDuranteAChamada = false;

    QVERIFY(janela.caminho().chamar(&sat::FuncoesSAT::ConsultarSAT));

    QCOMPARE(statusDuranteAChamada, QStringLiteral("Aguardando retorno do SAT ..."));
    QVERIFY(cursorDeEsperaDuranteAChamada);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(janela.caminho().numsessao().size(), 6);
    QCOMPARE(janela.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), janela.caminho().numsessao());
    QCOMPARE(janela.caminho().retorno(), QByteArray("000001|08000|ok|||"));
    QCOMPARE(painelObservado->text(), QStringLiteral("000001|08000|ok|||"));
}

void TestTFAtivacao::semBibliotecaNadaEChamado() {
    QFile lixo(pasta_->filePath(QStringLiteral("SAT_x64.DLL")));
    QVERIFY(lixo.open(QIODevice::WriteOnly));
    lixo.write("x");
    lixo.close();
    TFAtivacao janela(ui_, {pasta_->path(), std::nullopt, parametros()});
    QVERIFY(!janela.caminho().chamar(&sat::FuncoesSAT::ConsultarSAT));
    QCOMPARE(ui_.mensagens(), QStringList{QStringLiteral(
                                  "Nenhuma biblioteca SAT está carregada: a função ConsultarSAT não pode ser chamada.")});
}

void TestTFAtivacao::bibliotecasIncompletasDoDisco_data() {
    QTest::addColumn<QString>("biblioteca");
    QTest::addColumn<bool>("consultaRespondida");
    QTest::addColumn<QString>("mensagemDaConsulta");
    QTest::newRow("responde nulo") << QStringLiteral(SATTESTE_NULA) << false
                                   << "A biblioteca SAT não devolveu resposta à função ConsultarSAT.";
    QTest::newRow("só exporta ConsultarSAT") << QStringLiteral(SATTESTE_PARCIAL) << true << "";
}

void TestTFAtivacao::bibliotecasIncompletasDoDisco() {
    QFETCH(QString, biblioteca);
    QFETCH(bool, consultaRespondida);
    QFETCH(QString, mensagemDaConsulta);
    QVERIFY(QFile::copy(biblioteca, pasta_->filePath(QStringLiteral("SAT.DLL"))));
    TFAtivacao janela(ui_, {pasta_->path(), std::nullopt, parametros()});
#if defined(Q_OS_WIN)
    // These DLLs carry no version resource: the user is told why the label shows no version.
    const QStringList erros = ui_.textos(Tipo::Erro);
    QCOMPARE(erros.size(), 1);
    QVERIFY2(erros.first().contains(QStringLiteral("SAT.DLL")), qPrintable(erros.first()));
    ui_.exibidos.clear();
#endif
    QVERIFY(ui_.exibidos.isEmpty());

    QCOMPARE(janela.caminho().chamar(&sat::FuncoesSAT::ConsultarSAT), consultaRespondida);
    QCOMPARE(ui_.mensagens().join(u'\n'), mensagemDaConsulta);
    ui_.exibidos.clear();
    // A slot the library does not fill is never called through.
    QVERIFY(!janela.caminho().chamar(&sat::FuncoesSAT::AtivarSAT, 1, QStringLiteral("12345678"), QStringLiteral("1"), 35));
    QCOMPARE(ui_.mensagens(), QStringList{QStringLiteral("A biblioteca SAT carregada não possui a função AtivarSAT.")});
}

void TestTFAtivacao::erroNaoTratadoVaiParaACaixaDeErro() {
    const auto janela = janelaRoteirizada();
    janela->protegido([] { throw std::runtime_error("Falha de teste"); });
    QCOMPARE(ui_.textos(Tipo::Erro), QStringList{QStringLiteral("Falha de teste")});
    // A button wired with aoClicar behaves the same through a real click.
    auto* botao = new QPushButton(janela.get());
    janela->aoClicar(botao, [] { throw std::out_of_range("campo ausente"); });
    QTest::mouseClick(botao, Qt::LeftButton);
    QCOMPARE(ui_.textos(Tipo::Erro).last(), QStringLiteral("campo ausente"));
}

void TestTFAtivacao::mensagemSefaz() {
    const auto janela = janelaRoteirizada();
    janela->MostraMSefaz(sat::campos("1|08000|ok|||"));
    QVERIFY(ui_.exibidos.isEmpty());

    QString texto;
    ui_.dialogos.push_back([&](QDialog& d) {
        texto = d.findChild<QPlainTextEdit*>(QStringLiteral("MemoSefaz"))->toPlainText();
    });
    janela->MostraMSefaz(sat::campos("1|08000|ok|321|Nota da SEFAZ|"));
    QCOMPARE(ui_.exibidos.size(), 1);
    QCOMPARE(ui_.exibidos.first().titulo, QStringLiteral("TFMSefaz"));
    QCOMPARE(ui_.exibidos.first().texto, QStringLiteral("SAT_Ativação (Mensagem Sefaz)"));
    QCOMPARE(texto, QStringLiteral("Código: 321\n\nNota da SEFAZ"));
}

QTEST_MAIN(TestTFAtivacao)
#include "tst_tfativacao.moc"
