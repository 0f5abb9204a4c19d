#include "operations/tabteste.h"

#include "nucleo/caminhosat.h"
#include "nucleo/estado.h"
#include "nucleo/servicos.h"
#include "nucleo/texto.h"
#include "dialogs/tffimafim.h"
#include "operations/arquivotexto.h"
#include "operations/pagina.h"
#include "sat/resposta.h"
#include "settings/atomicfile.h"
#include "validation/cnpj.h"

#include <algorithm>
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
const QString codigoCurto = QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.");
const QString cnpjContribuinteInvalido = QStringLiteral("CNPJ do Contribuinte inválido.");
const QString sessaoInvalida = QStringLiteral("Número de sessão consultada inválida.");

constexpr int pagina5 = 5;
constexpr qsizetype limiteAssinatura = 344;

// The bottom band: the memo above it is 305 pixels high at the page's design size
// (407 pixels, less the 25 of the title) and takes whatever the page grows by.
constexpr int alturaPanel14 = 77;

QString elemento(const char* nome, const QString& valor) {
    const QString n = QString::fromLatin1(nome);
    return u'<' + n + u'>' + sat::escaparTexto(valor) + QStringLiteral("</") + n + u'>';
}

template <typename Texto, typename Lista> Lista separarLinhas(const Texto& texto) {
    Lista linhas;
    qsizetype inicio = 0;
    const qsizetype fim = texto.size();
    while (inicio < fim) {
        qsizetype i = inicio;
        while (i < fim && texto[i] != u'\r' && texto[i] != u'\n')
            ++i;
        linhas.append(texto.mid(inicio, i - inicio));
        if (i < fim && texto[i] == u'\r' && i + 1 < fim && texto[i + 1] == u'\n')
            ++i;
        inicio = i + 1;
    }
    return linhas;
}

QPushButton* botao(QWidget* dono, const char* nome, const QString& legenda, QRect lugar) {
    auto* b = new QPushButton(legenda, dono);
    b->setObjectName(QString::fromLatin1(nome));
    b->setGeometry(lugar);
    return b;
}

} // namespace

QString documentoTeste(VarianteTeste variante, const DadosTeste& dados) {
    const bool producao = variante == VarianteTeste::Producao;
    QString doc =
        QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?><CFe><infCFe versaoDadosEnt="0.08"><ide>)");
    doc += elemento("CNPJ", producao ? aparar(dados.cnpjSoftwareHouse) : QString(14, u'0'));
    doc += elemento("signAC", producao ? aparar(dados.assinatura) : QString(344, u'0'));
    doc += QStringLiteral("<numeroCaixa>099</numeroCaixa></ide><emit>");
    doc += elemento("CNPJ", aparar(dados.cnpjContribuinte));
    doc += elemento("IE", producao ? aparar(dados.ieContribuinte) : QString(12, u'0'));
    doc += QStringLiteral("<cRegTribISSQN>1</cRegTribISSQN><indRatISSQN>N</indRatISSQN></emit>");
    doc += producao ? QStringLiteral("<dest><CNPJ>11222333000181</CNPJ></dest>") : QStringLiteral("<dest/>");
    doc += QStringLiteral(
        R"(<det nItem="1"><prod><cProd>001</cProd><xProd>MiniPc Brisel</xProd><CFOP>5001</CFOP><uCom>UN</uCom>)"
        R"(<qCom>1.0000</qCom><vUnCom>654.320</vUnCom><indRegra>A</indRegra></prod><imposto>)"
        R"(<vItem12741>1.00</vItem12741><ICMS><ICMS00><Orig>0</Orig><CST>00</CST><pICMS>12.00</pICMS></ICMS00></ICMS>)"
        R"(<PIS><PISAliq><CST>01</CST><vBC>654.32</vBC><pPIS>0.0600</pPIS></PISAliq></PIS>)"
        R"(<COFINS><COFINSAliq><CST>01</CST><vBC>654.32</vBC><pCOFINS>0.0400</pCOFINS></COFINSAliq></COFINS>)"
        R"(</imposto></det><total><vCFeLei12741>1.00</vCFeLei12741></total>)"
        R"(<pgto><MP><cMP>01</cMP><vMP>2000.00</vMP></MP></pgto></infCFe></CFe>)");
    return doc;
}

QByteArrayList linhasDeBytes(const QByteArray& texto) {
    return separarLinhas<QByteArray, QByteArrayList>(texto);
}

QStringList linhasDeTexto(const QString& texto) {
    return separarLinhas<QString, QStringList>(texto);
}

QByteArray cfeDaVenda(const QByteArray& retorno) {
    QByteArray umCampoPorLinha = retorno;
    umCampoPorLinha.replace('|', '\n');
    const QByteArrayList linhas = linhasDeBytes(umCampoPorLinha);
    QByteArray base64;
    for (qsizetype i = 5; i <= linhas.size() - 6; ++i)
        base64 += linhas[i];
    return QByteArray::fromBase64(base64);
}

QByteArray conteudoCFe(const QByteArrayList& linhas) {
    QByteArray bytes;
    for (const QByteArray& linha : linhas)
        bytes += linha + "\r\n";
    return bytes;
}

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
    servicos_.selecionarPagina(pagina5);
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
    QString assinatura = aparar(FFimAFim->assinatura());
    if (FFimAFim->formaDeEnvio() == TFFimAFim::Arquivo) {
        // The field holds the path of the file, used as typed.
        const QString caminho = FFimAFim->assinatura();
        if (!QFileInfo(caminho).isFile()) {
            servicos_.ui().mensagem(QStringLiteral("Arquivo especificado não foi encontrado!"));
            return std::nullopt;
        }
        const std::optional<QString> lida = LeArquivosCert(caminho);
        if (!lida) {
            servicos_.ui().mensagem(QStringLiteral("Erro ao tentar acessar o arquivo especificado!"));
            return std::nullopt;
        }
        assinatura = aparar(*lida);
        if (assinatura.isEmpty()) {
            servicos_.ui().mensagem(QStringLiteral("Assinatura não pode estar em branco."));
            return std::nullopt;
        }
    }
    if (assinatura.size() > limiteAssinatura) {
        servicos_.ui().mensagem(
            QStringLiteral(
                "A assinatura tem %1 caracteres; a assinatura do aplicativo comercial tem no máximo 344.")
                .arg(assinatura.size()));
        return std::nullopt;
    }
    return assinatura;
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
    if (codigo.size() < 8)
        return servicos_.ui().mensagem(codigoCurto);

    Panel4->setText(producao ? QStringLiteral("FIM-A-FIM PRODUÇÃO") : QStringLiteral("FIM-A-FIM ATIVAÇÃO"));
    FFimAFim->habilitarDadosDeProducao(producao);
    servicos_.ui().executar(*FFimAFim);
    if (estado.cancelado != 0)
        return;

    DadosTeste dados{aparar(FFimAFim->cnpjContribuinte()), aparar(FFimAFim->ieContribuinte()),
                     aparar(FFimAFim->cnpjSoftwareHouse()), aparar(FFimAFim->assinatura())};
    if (dados.cnpjContribuinte.isEmpty())
        return servicos_.ui().mensagem(cnpjContribuinteInvalido);
    if (producao) {
        // Only what is missing is refused: the production test sends the CNPJs as typed.
        if (dados.ieContribuinte.isEmpty())
            return servicos_.ui().mensagem(QStringLiteral("IE do Contribuinte inválido."));
        if (dados.cnpjSoftwareHouse.isEmpty())
            return servicos_.ui().mensagem(QStringLiteral("CNPJ da Software House inválido."));
        if (dados.assinatura.isEmpty())
            return servicos_.ui().mensagem(QStringLiteral("Assinatura não pode estar em branco."));
        const std::optional<QString> assinatura = assinaturaDeProducao();
        if (!assinatura)
            return;
        dados.assinatura = *assinatura;
    } else if (!validation::isCNPJ(dados.cnpjContribuinte)) {
        return servicos_.ui().mensagem(cnpjContribuinteInvalido);
    }

    if (!servicos_.caminho().chamar(&sat::FuncoesSAT::TesteFimAFim, codigo, documentoTeste(variante, dados)))
        return;

    const QByteArrayList campos = sat::campos(servicos_.caminho().retorno());
    pagina::ignorarFalhas([&] {
        if (sat::campo(campos, 1) != "09000") {
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
    const QByteArray cfe = QByteArray::fromBase64(sat::campo(campos, 5));
    const QStringList linhas = linhasDeTexto(sat::decodificar(cfe));
    adicionarLinhas({separador});
    QString documento;
    for (const QString& linha : linhas)
        documento += linha + QStringLiteral("\r\n");
    adicionarLinhas(linhasDeTexto(sat::FormatXMLString(documento)));
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
    if (codigo.size() < 8)
        return servicos_.ui().mensagem(codigoCurto);

    bool respondeu = false;
    if (fiscal) {
        respondeu = servicos_.caminho().chamar(&sat::FuncoesSAT::ConsultarUltimaSessaoFiscal, codigo);
    } else {
        const QString texto = aparar(Edit1->text());
        if (texto.isEmpty())
            return servicos_.ui().mensagem(sessaoInvalida);
        // The box takes only digits when typed; pasted or set text is checked here.
        bool numero = std::all_of(texto.begin(), texto.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        const int sessao = numero ? texto.toInt(&numero, 10) : 0;
        if (!numero)
            return servicos_.ui().mensagem(QStringLiteral("Número de sessão consultada inválida: \"%1\" não "
                                                          "é um número inteiro de até 6 algarismos.")
                                               .arg(texto));
        respondeu = servicos_.caminho().chamar(&sat::FuncoesSAT::ConsultarNumeroSessao, codigo, sessao);
    }
    if (!respondeu)
        return;

    const QByteArray& retorno = servicos_.caminho().retorno();
    const QByteArrayList campos = sat::campos(retorno);
    pagina::ignorarFalhas([&] {
        if (sat::campo(campos, 0) == servicos_.caminho().numsessao().toLatin1()) {
            // The device answered the query itself (a refusal): no session to show.
            servicos_.ui().mensagem(sat::mensagemResposta(campos));
            return;
        }
        adicionarLinhas({separador});
        adicionarLinhas(linhasDeTexto(sat::decodificar(retorno)));
        QByteArrayList linhasDoArquivo = campos;
        if (sat::campo(campos, 1) == "06000")
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
