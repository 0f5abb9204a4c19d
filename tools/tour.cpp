// The README's first tour, photographed. The real main window and pages drive the real
// emulated device, loaded from a fresh folder as at start-up; a user who types the
// tour's values answers every question and dialog. After each step the window is saved
// as a PNG, with the message the step ended on drawn over it where the user saw it.
// scripts/screenshots.sh builds and runs it; it is no test, but it stops at the first
// step whose outcome is not the one the README describes.
//
//   tour OUTPUT_FOLDER
#include "app/aplicacao.h"
#include "app/tfativacao.h"
#include "core/interacao.h"
#include "core/linhaslongas.h"
#include "settings/checkconfigs.h"

#include <cstdio>
#include <deque>
#include <functional>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <stdexcept>

namespace {

// The tour's values, as the README gives them.
const QString codigo = QStringLiteral("12345678");
const QString novoCodigo = QStringLiteral("87654321");
const QString cnpjContribuinte = QStringLiteral("11222333000181");
const QString cnpjSoftwareHouse = QStringLiteral("11444777000161");
// 256 bytes in Base64, as an RSA-2048 signature is: docs/assinatura-teste.txt.
const QString assinatura = QString::fromLatin1(QByteArray(256, '3').toBase64());

// A picture with a plain title bar above it, as a window manager would draw one:
// grabbed widgets have no frame of their own.
QImage comMoldura(const QPixmap& conteudo, const QString& titulo) {
    constexpr int barra = 22;
    QImage imagem(conteudo.width() + 2, conteudo.height() + barra + 1, QImage::Format_RGB32);
    imagem.fill(QColor(0x3b, 0x58, 0x75));
    QPainter p(&imagem);
    p.drawPixmap(1, barra, conteudo);
    QFont fonte = QApplication::font();
    fonte.setBold(true);
    fonte.setPointSize(9);
    p.setFont(fonte);
    p.setPen(Qt::white);
    p.drawText(QRect(8, 0, imagem.width() - 16, barra), Qt::AlignVCenter | Qt::AlignLeft, titulo);
    return imagem;
}

// The user of the tour: answers from its queues like the tests' scripted user, and
// photographs each message box over the window it belongs to.
class InteracaoDoTour final : public Interacao {
public:
    QWidget* janela = nullptr;
    QStringList mensagens;
    QStringList erros;
    std::deque<std::function<void(QDialog&)>> dialogos;
    // The window as it was when the last message box came up, and that box.
    QImage fundo;
    QImage caixa;

    void mensagem(const QString& texto) override {
        mensagens.append(texto);
        fotografar(QMessageBox::NoIcon, texto, QMessageBox::Ok);
    }
    bool confirmar(const QString& texto) override {
        fotografar(QMessageBox::Question, texto, QMessageBox::Ok | QMessageBox::Cancel);
        return true;
    }
    void erro(const QString& texto) override { erros.append(texto); }
    void mensagemSemDono(const QString& titulo, const QString& texto) override {
        erros.append(titulo + QStringLiteral(": ") + texto);
    }
    int executar(QDialog& dialogo) override {
        dialogo.setResult(QDialog::Rejected);
        dialogo.show();
        if (dialogos.empty()) {
            erros.append(QStringLiteral("diálogo sem roteiro: ") + dialogo.windowTitle());
        } else {
            const auto roteiro = dialogos.front();
            dialogos.pop_front();
            roteiro(dialogo);
        }
        if (dialogo.isVisible())
            dialogo.close();
        return dialogo.result();
    }
    QString arquivoParaAbrir(const QString&, const QString&) override { return {}; }
    QString arquivoParaSalvar(const QString&, const QString&, const QString&) override { return {}; }
    void abrirComProgramaAssociado(const QString&) override {}

private:
    void fotografar(QMessageBox::Icon icone, const QString& texto, QMessageBox::StandardButtons botoes) {
        // The box the console shows (InteracaoQt), shown without its modal loop.
        QMessageBox mostrada(icone, Aplicacao::titulo, textoExibivel(texto), botoes, janela);
        if (QAbstractButton* cancelar = mostrada.button(QMessageBox::Cancel))
            cancelar->setText(QStringLiteral("Cancelar"));
        mostrada.show();
        QCoreApplication::processEvents();
        fundo = comMoldura(janela->grab(), janela->windowTitle());
        caixa = comMoldura(mostrada.grab(), mostrada.windowTitle());
        mostrada.hide();
    }
};

// Where a step's picture puts the message box the step ended on: centred, as Qt shows
// it, or with its centre at a point of the picture where it hides none of the values
// the README gives; or the window once the box was closed.
struct Caixa {
    QPoint centro;
    bool fechada = false;
};
constexpr Caixa centrada{};
constexpr Caixa semCaixa{{}, true};

class Tour {
public:
    Tour(InteracaoDoTour& ui, TFAtivacao& janela, const QDir& saida)
        : ui_(ui), janela_(janela), saida_(saida) {}

    // One step of the README: its actions, the message it must end on (none when
    // empty), then its picture (none when `arquivo` is empty).
    void passo(const QString& arquivo, const std::function<void()>& acoes, const QString& esperado = {},
               Caixa onde = centrada) {
        ui_.mensagens.clear();
        ui_.fundo = ui_.caixa = QImage();
        acoes();
        QCoreApplication::processEvents();
        if (!ui_.erros.isEmpty())
            throw std::runtime_error(ui_.erros.join(u'\n').toStdString());
        if (!ui_.dialogos.empty())
            throw std::runtime_error(arquivo.toStdString() + ": um diálogo esperado não apareceu");
        const QString ultima = ui_.mensagens.value(ui_.mensagens.size() - 1);
        if (esperado.isEmpty() ? !ui_.mensagens.isEmpty() : !ultima.startsWith(esperado))
            throw std::runtime_error(
                QStringLiteral("%1: esperado \"%2\", mostrado \"%3\"")
                    .arg(arquivo, esperado, ui_.mensagens.join(QStringLiteral("\" / \"")))
                    .toStdString());
        std::printf("%-22s %s\n", qPrintable(arquivo.isEmpty() ? QStringLiteral("(sem imagem)") : arquivo),
                    qPrintable(ultima.isEmpty() ? QStringLiteral("(sem mensagem)") : ultima));
        if (arquivo.isEmpty())
            return;
        QImage imagem;
        if (ui_.caixa.isNull() || onde.fechada) {
            imagem = comMoldura(janela_.grab(), janela_.windowTitle());
        } else {
            imagem = ui_.fundo;
            const QPoint centro = onde.centro.isNull() ? imagem.rect().center() : onde.centro;
            QPainter p(&imagem);
            p.drawImage(centro - ui_.caixa.rect().center(), ui_.caixa);
        }
        if (!imagem.save(saida_.filePath(arquivo)))
            throw std::runtime_error("não foi possível gravar " + saida_.filePath(arquivo).toStdString());
    }

    template <typename T = QWidget> T* controle(const char* nome, QWidget* dentro = nullptr) {
        T* w = (dentro != nullptr ? dentro : static_cast<QWidget*>(&janela_))
                   ->findChild<T*>(QString::fromLatin1(nome));
        if (w == nullptr)
            throw std::runtime_error(std::string("nenhum controle chamado ") + nome);
        return w;
    }
    void clicar(const char* nome) { controle<QPushButton>(nome)->click(); }
    void digitar(const char* nome, const QString& texto) { controle<QLineEdit>(nome)->setText(texto); }
    // The activation-code prompt of the status, logs, tests and session queries.
    void responderPrompt(const QString& codigoAtual) {
        ui_.dialogos.push_back([codigoAtual](QDialog& prompt) {
            prompt.findChild<QLineEdit*>(QStringLiteral("EdtCodigo"))->setText(codigoAtual);
            prompt.findChild<QPushButton*>(QStringLiteral("BtnTrocarCod"))->click();
        });
    }
    void exigir(bool condicao, const char* o_que) {
        if (!condicao)
            throw std::runtime_error(o_que);
    }

    void percorrer();

private:
    InteracaoDoTour& ui_;
    TFAtivacao& janela_;
    QDir saida_;
};

void Tour::percorrer() {
    passo(QStringLiteral("01-consulta.png"), [this] { clicar("BitBtn6"); });
    exigir(controle<QLabel>("lbloperante")->text() == QStringLiteral("SAT em operação"),
           "consulta sem resposta");

    passo(
        QStringLiteral("02-ativacao.png"),
        [this] {
            clicar("BtnAtivacao");
            digitar("EdtCodAtiv2", codigo);
            digitar("EdtCodAtiv2Conf", codigo);
            digitar("EdtCNPJContrib", cnpjContribuinte);
            auto* uf = controle<QComboBox>("cbo");
            uf->setCurrentIndex(uf->findText(QStringLiteral("SP")));
            clicar("BtnAtivar");
        },
        QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial."),
        Caixa{{400, 372}});

    passo(
        QStringLiteral("03-associacao.png"),
        [this] {
            clicar("BtnAssocAssin");
            digitar("EdtCodAtiv3", codigo);
            digitar("EdtCNPJSw", cnpjSoftwareHouse);
            controle<QRadioButton>("rgAssinaturaItem0")->click();
            digitar("EdtAssinatura", assinatura);
            clicar("BitAssociar");
        },
        QStringLiteral("13000: Assinatura do AC Registrada"), Caixa{{540, 378}});

    const auto rede = [this](const QString& gateway) {
        clicar("BtnConfRede");
        controle<QComboBox>("CbotipoLan")->setCurrentIndex(1); // IP FIXO
        digitar("EdtlanIP", QStringLiteral("192.168.15.20"));
        digitar("EdtlanMask", QStringLiteral("255.255.255.0"));
        digitar("EdtlanGW", gateway);
        digitar("EdtlanDNS1", QStringLiteral("192.168.15.1"));
        digitar("EdtlanDNS2", QStringLiteral("8.8.4.4"));
        digitar("LblEdtCodRede", codigo);
        clicar("BitBtn4");
    };
    // A gateway outside the network: the device refuses it.
    passo(
        {}, [&rede] { rede(QStringLiteral("10.0.0.1")); },
        QStringLiteral("12002: Dados fora do padrão a ser informado: "));
    passo(
        QStringLiteral("04-rede.png"), [&rede] { rede(QStringLiteral("192.168.15.1")); },
        QStringLiteral("12000: Rede Configurada"), Caixa{{535, 302}});
    QString sessaoDoTeste;
    passo(
        QStringLiteral("05-teste-fim-a-fim.png"),
        [this, &sessaoDoTeste] {
            clicar("BtnTestefimafim");
            responderPrompt(codigo);
            // The test's data: the taxpayer comes from the activation.
            ui_.dialogos.push_back(
                [](QDialog& d) { d.findChild<QPushButton*>(QStringLiteral("BtnOk"))->click(); });
            clicar("BtnTesteAtivacao");
            sessaoDoTeste = controle<QLineEdit>("Edit1")->text();
        },
        QStringLiteral("09000: Emitido com sucesso"), semCaixa);
    // The production test: only the IE is typed, the association fills the rest.
    passo(
        {},
        [this] {
            responderPrompt(codigo);
            ui_.dialogos.push_back([](QDialog& d) {
                d.findChild<QLineEdit*>(QStringLiteral("EdtIEContrib"))
                    ->setText(QStringLiteral("111222333444"));
                d.findChild<QPushButton*>(QStringLiteral("BtnOk"))->click();
            });
            clicar("BtnTesteProducao");
        },
        QStringLiteral("09000: Emitido com sucesso"));

    passo(QStringLiteral("06-status.png"), [this] {
        responderPrompt(codigo);
        clicar("BitBtnStatus");
    });
    exigir(controle<QPlainTextEdit>("MemoStatus")
               ->toPlainText()
               .contains(QStringLiteral("LAN_IP ........... 192.168.015.020")),
           "relatório de status sem o endereço configurado");

    passo(QStringLiteral("07-sessao.png"), [this, &sessaoDoTeste] {
        clicar("BtnTestefimafim");
        digitar("Edit1", sessaoDoTeste);
        responderPrompt(codigo);
        clicar("BtnSessao");
    });
    exigir(controle<QPlainTextEdit>("MemoCFe")->toPlainText().contains(sessaoDoTeste +
                                                                       QStringLiteral("|09000|")),
           "a sessão do teste não foi encontrada");
    // No sale yet: no fiscal session.
    passo(
        {},
        [this] {
            responderPrompt(codigo);
            clicar("BtnSessaoFiscal");
        },
        QStringLiteral("19003: "));

    passo(QStringLiteral("08-logs.png"), [this] {
        responderPrompt(codigo);
        clicar("BitLogs");
    });
    exigir(controle<QPlainTextEdit>("MemoLogs")->toPlainText().contains(QStringLiteral("SuperLog")),
           "log sem a seção SuperLog");

    passo(
        QStringLiteral("09-codigo.png"),
        [this] {
            clicar("BtnCodAtivacao");
            auto* pagina = controle("TabCodAtiva");
            controle<QCheckBox>("CheckMudaCodigo")->setChecked(true);
            controle<QLineEdit>("EdtCodigo", pagina)->setText(codigo);
            digitar("EdtNovoCodigo", novoCodigo);
            digitar("EdtNovoCodigo2", novoCodigo);
            controle<QPushButton>("BtnTrocarCod", pagina)->click();
        },
        QStringLiteral("18000: Código de ativação alterado."), Caixa{{545, 200}});

    passo(
        QStringLiteral("10-bloqueio.png"),
        [this] {
            clicar("BtnBloquearSAT");
            digitar("EdtCodAtiv6", novoCodigo);
            clicar("BitBloquSAT");
        },
        QStringLiteral("16000: Equipamento SAT bloqueado com sucesso."));
    passo(
        {},
        [this] {
            digitar("EdtCodAtiv6", novoCodigo);
            clicar("BitBtn5");
        },
        QStringLiteral("17000: Equipamento SAT desbloqueado com sucesso."));

    passo(
        QStringLiteral("11-atualizacao.png"),
        [this] {
            clicar("BitAtualizaSW");
            digitar("EdtCodAtiv7", novoCodigo);
            clicar("BtnAtualizarSW");
        },
        QStringLiteral("14000: Software atualizado com sucesso"));
    passo(
        {},
        [this] {
            digitar("EdtCodAtiv7", novoCodigo);
            clicar("BtnAtualizarSW");
        },
        QStringLiteral("14003: "));
}

} // namespace

int main(int argc, char* argv[]) {
    Aplicacao app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "uso: %s PASTA_DAS_IMAGENS\n", argv[0]);
        return 2;
    }
    // The arguments as Qt reads them: on Windows from the wide command line, whole in a
    // folder whose name the system's code page lacks.
    const QDir saida(QCoreApplication::arguments().at(1));
    if (!saida.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "não foi possível criar %s\n", argv[1]);
        return 1;
    }

    // A factory device of its own, in a folder laid out as the console's: the library
    // under the name the console loads, the settings files start-up writes.
    // The device keeps its state beside its library file, in this folder.
    QTemporaryDir pasta;
    qunsetenv("SATEMU_HOME");
    // A link on Linux; on Windows a copy (a loader follows no .lnk shortcut).
#if defined(Q_OS_WIN)
    if (!QFile::copy(QStringLiteral(SATEMU_BIBLIOTECA), pasta.filePath(QStringLiteral("SAT_x64.DLL")))) {
#else
    if (!QFile::link(QStringLiteral(SATEMU_BIBLIOTECA), pasta.filePath(QStringLiteral("SAT_x64.DLL")))) {
#endif
        std::fprintf(stderr, "não foi possível ligar %s\n", SATEMU_BIBLIOTECA);
        return 1;
    }
    InteracaoDoTour ui;
    settings::CheckConfigs(pasta.path(), [&ui](const QString& m) { ui.erros.append(m); });

    TFAtivacao janela(ui, {pasta.path(), std::nullopt, pasta.filePath(QStringLiteral("Parametros.xml"))});
    ui.janela = &janela;
    if (janela.terminacaoSolicitada() || !ui.erros.isEmpty()) {
        std::fprintf(stderr, "o console não começou: %s\n", qPrintable(ui.erros.join(u'\n')));
        return 1;
    }
    janela.show();
    QCoreApplication::processEvents();

    try {
        Tour(ui, janela, saida).percorrer();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tour interrompido: %s\n", e.what());
        return 1;
    }
    return 0;
}
