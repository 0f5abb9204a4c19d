#include "pages/tabteste.h"

#include "operations/operacoes.h"
#include "core/caminhosat.h"
#include "core/estado.h"
#include "widgets/servicos.h"
#include "core/texto.h"
#include "dialogs/tffimafim.h"
#include "widgets/pagina.h"
#include "sat/resposta.h"
#include "settings/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

const QString separador = QStringLiteral("------------------------------------------------------");

// The bottom band: the memo above it is 305 pixels high at the page's design size
// (407 pixels, less the 25 of the title) and takes whatever the page grows by.
constexpr int alturaPanel14 = 77;

QPushButton* botao(QWidget* dono, const char* nome, const QString& legenda, QRect lugar) {
    auto* b = new QPushButton(legenda, dono);
    b->setObjectName(QString::fromLatin1(nome));
    b->setGeometry(lugar);
    return b;
}

} // namespace

TabTeste::TabTeste(ServicosDaPagina& servicos, QWidget* parent) : QWidget(parent), servicos_(servicos) {
    pagina::preparar(this, "TabTeste");
    Panel4 = pagina::criarPainelTitulo(this, "Panel4", QString());

    MemoCFe = new QPlainTextEdit(this);
    MemoCFe->setObjectName(QStringLiteral("MemoCFe"));
    MemoCFe->setReadOnly(true);
    MemoCFe->setFont(pagina::fonteFixa(13));
    MemoCFe->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoCFe->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoCFe->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The memo grows with the page, in place of the page's stretch.
    auto* colunas = static_cast<QVBoxLayout*>(layout());
    delete colunas->takeAt(colunas->count() - 1);
    colunas->addWidget(MemoCFe, 1);

    auto* Panel14 = new QWidget(this);
    Panel14->setObjectName(QStringLiteral("Panel14"));
    Panel14->setFixedHeight(alturaPanel14);
    colunas->addWidget(Panel14);

    BtnTesteAtivacao =
        botao(Panel14, "BtnTesteAtivacao", QStringLiteral("FimAFim Ativação"), {8, 6, 125, 29});
    BtnTesteProducao =
        botao(Panel14, "BtnTesteProducao", QStringLiteral("FimAFim Produção"), {139, 6, 125, 29});
    BtnNaveg = botao(Panel14, "BtnNaveg", QStringLiteral("Abrir no Navegador"), {270, 6, 125, 29});
    BtnNaveg->setEnabled(false);

    auto* Label1 = new QLabel(QStringLiteral("Sessão:"), Panel14);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 46, 46, 16);
    Edit1 = new QLineEdit(Panel14);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(56, 43, 70, 21);
    Edit1->setMaxLength(6);
    Edit1->setAlignment(Qt::AlignCenter);
    Edit1->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), Edit1));
    Label1->setBuddy(Edit1);
    BtnSessao = botao(Panel14, "BtnSessao", QStringLiteral("Consulta Sessão"), {139, 40, 125, 29});
    auto* Label2 = new QLabel(QStringLiteral("Sessão Fiscal:"), Panel14);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(276, 46, 84, 16);
    BtnSessaoFiscal =
        botao(Panel14, "BtnSessaoFiscal", QStringLiteral("Consulta Sessão Fiscal"), {362, 40, 150, 29});
    Label2->setBuddy(BtnSessaoFiscal);

    servicos_.aoClicar(BtnTesteAtivacao, [this] { BtnTesteAtivacaoClick(); });
    servicos_.aoClicar(BtnTesteProducao, [this] { BtnTesteProducaoClick(); });
    servicos_.aoClicar(BtnNaveg, [this] { BtnNavegClick(); });
    servicos_.aoClicar(BtnSessao, [this] { BtnSessaoClick(); });
    servicos_.aoClicar(BtnSessaoFiscal, [this] { BtnSessaoFiscalClick(); });

    setTabOrder(BtnTesteAtivacao, BtnTesteProducao);
    setTabOrder(BtnTesteProducao, BtnNaveg);
    setTabOrder(BtnNaveg, Edit1);
    setTabOrder(Edit1, BtnSessao);
    setTabOrder(BtnSessao, BtnSessaoFiscal);

    // The page's own dialog, a window of its own beside the code prompt.
    FFimAFim =
        new TFFimAFim(servicos_.cds(), servicos_.estado(), servicos_.ui(), &servicos_.janelaPrincipal());
}

QString TabTeste::arquivoCFe() const {
    return QDir(servicos_.pastaDoExecutavel()).absoluteFilePath(QStringLiteral("CFe.xml"));
}

void TabTeste::BtnTestefimafimClick() {
    Panel4->clear();
    MemoCFe->clear();
    BtnNaveg->setEnabled(false);
    servicos_.mostrastatus({});
    servicos_.selecionarPagina(Pagina::TabTeste);
}

void TabTeste::BtnTesteAtivacaoClick() {
    testar(VarianteTeste::Ativacao);
}

void TabTeste::BtnTesteProducaoClick() {
    testar(VarianteTeste::Producao);
}

void TabTeste::adicionarLinhas(const QStringList& linhas) {
    for (const QString& linha : linhas)
        MemoCFe->appendPlainText(linha);
}

bool TabTeste::gravarCFe(const QByteArrayList& linhas) {
    // Atomic, so that the browser never opens a half-written document; the old file
    // stays when the new one cannot be written, and the user is told, as the button
    // would otherwise open the previous CF-e as if it were this one.
    QString motivo;
    if (settings::writeFileAtomically(arquivoCFe(), conteudoCFe(linhas), &motivo))
        return true;
    servicos_.ui().mensagem(QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2")
                                .arg(QDir::toNativeSeparators(arquivoCFe()), motivo));
    return false;
}

std::optional<QString> TabTeste::assinaturaDeProducao() {
    const comandos::AssinaturaLida assinatura = comandos::assinaturaDeProducao(
        FFimAFim->assinatura(), FFimAFim->formaDeEnvio() == TFFimAFim::Arquivo);
    if (assinatura.recusa) {
        servicos_.ui().mensagem(*assinatura.recusa);
        return std::nullopt;
    }
    return assinatura.texto;
}

bool TabTeste::pedirCodigo() {
    EstadoConsole& estado = servicos_.estado();
    estado.codigoativacao.clear();
    MemoCFe->clear();
    servicos_.mostrarValida();
    return estado.cancelado == 0;
}

void TabTeste::testar(VarianteTeste variante) {
    const bool producao = variante == VarianteTeste::Producao;
    if (!pedirCodigo())
        return;
    EstadoConsole& estado = servicos_.estado();
    const QString codigo = aparar(estado.codigoativacao);
    if (const comandos::Recusa recusa = comandos::verificarCodigo(codigo))
        return servicos_.ui().mensagem(*recusa);

    Panel4->setText(producao ? QStringLiteral("FIM-A-FIM PRODUÇÃO") : QStringLiteral("FIM-A-FIM ATIVAÇÃO"));
    FFimAFim->habilitarDadosDeProducao(producao);
    servicos_.ui().executar(*FFimAFim);
    if (estado.cancelado != 0)
        return;

    DadosTeste dados{aparar(FFimAFim->cnpjContribuinte()), aparar(FFimAFim->ieContribuinte()),
                     aparar(FFimAFim->cnpjSoftwareHouse()), aparar(FFimAFim->assinatura())};
    if (const comandos::Recusa recusa = comandos::verificar(variante, dados))
        return servicos_.ui().mensagem(*recusa);
    if (producao) {
        const std::optional<QString> assinatura = assinaturaDeProducao();
        if (!assinatura)
            return;
        dados.assinatura = *assinatura;
    }

    if (!comandos::testeFimAFim(servicos_.caminho(), codigo, variante, dados))
        return;

    const QByteArrayList campos = sat::campos(servicos_.caminho().retorno());
    pagina::ignorarFalhas([&] {
        if (sat::campo(campos, 1) != comandos::testeEmitido) {
            // The file must not go on showing an earlier test's CF-e as this one's.
            QFile::remove(arquivoCFe());
            servicos_.ui().mensagem(sat::mensagemResposta(campos));
            servicos_.MostraMSefaz(campos);
            return;
        }
        servicos_.ui().mensagem(sat::mensagemResposta(campos));
        servicos_.MostraMSefaz(campos);
        mostrarCFeDoTeste(campos);
    });
}

void TabTeste::mostrarCFeDoTeste(const QByteArrayList& campos) {
    // The device's bytes go to the file unchanged: the document declares UTF-8, so
    // they must not pass through the 8-bit code page.
    const QByteArray cfe = comandos::cfeDoTeste(campos);
    adicionarLinhas({separador});
    adicionarLinhas(linhasDeTexto(cfeIndentado(cfe)));
    adicionarLinhas({separador});
    MemoCFe->moveCursor(QTextCursor::Start); // the document from its beginning
    if (gravarCFe(linhasDeBytes(cfe)))
        BtnNaveg->setEnabled(true);
}

void TabTeste::BtnSessaoClick() {
    consultar(false);
}

void TabTeste::BtnSessaoFiscalClick() {
    consultar(true);
}

void TabTeste::consultar(bool fiscal) {
    if (!pedirCodigo())
        return;
    EstadoConsole& estado = servicos_.estado();
    Panel4->setText(fiscal ? QStringLiteral("CONSULTAR ÚLTIMA SESSÃO FISCAL")
                           : QStringLiteral("CONSULTAR NÚMERO DE SESSÃO"));
    const QString codigo = aparar(estado.codigoativacao);
    if (const comandos::Recusa recusa = comandos::verificarCodigo(codigo))
        return servicos_.ui().mensagem(*recusa);

    bool respondeu = false;
    if (fiscal) {
        respondeu = comandos::consultarSessaoFiscal(servicos_.caminho(), codigo);
    } else {
        const comandos::NumeroDeSessao sessao = comandos::lerNumeroDeSessao(Edit1->text());
        if (sessao.recusa)
            return servicos_.ui().mensagem(*sessao.recusa);
        respondeu = comandos::consultarSessao(servicos_.caminho(), codigo, sessao.numero);
    }
    if (!respondeu)
        return;

    const QByteArray& retorno = servicos_.caminho().retorno();
    const QByteArrayList campos = sat::campos(retorno);
    pagina::ignorarFalhas([&] {
        if (comandos::respondeuAPropriaConsulta(campos, servicos_.caminho().numsessao())) {
            // The device answered the query itself (a refusal): no session to show.
            servicos_.ui().mensagem(sat::mensagemResposta(campos));
            return;
        }
        adicionarLinhas({separador});
        adicionarLinhas(linhasDeTexto(sat::decodificar(retorno)));
        QByteArrayList linhasDoArquivo = campos;
        if (sat::campo(campos, 1) == comandos::vendaConcluida)
            mostrarVenda(campos, linhasDoArquivo);
        MemoCFe->moveCursor(QTextCursor::Start);
        gravarCFe(linhasDoArquivo);
    });
}

void TabTeste::mostrarVenda(const QByteArrayList& campos, QByteArrayList& linhasDoArquivo) {
    const QByteArray sessao = sat::campo(campos, 0);
    const QByteArray chave = sat::campo(campos, 8);
    linhasDoArquivo = linhasDeBytes(cfeDaVenda(servicos_.caminho().retorno()));
    adicionarLinhas({separador, QStringLiteral("Sessão: ") + sat::decodificar(sessao),
                     QStringLiteral("Chave: ") + sat::decodificar(chave), separador});
    QStringList linhas;
    for (const QByteArray& linha : linhasDoArquivo)
        linhas.append(sat::decodificar(linha));
    adicionarLinhas(linhas);
    adicionarLinhas({separador});
}

void TabTeste::BtnNavegClick() {
    if (QFileInfo::exists(arquivoCFe()) && !MemoCFe->document()->isEmpty())
        servicos_.ui().abrirComProgramaAssociado(QDir::toNativeSeparators(arquivoCFe()));
}
