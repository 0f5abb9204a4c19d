#include "operations/tabstatus.h"

#include "nucleo/caminhosat.h"
#include "nucleo/estado.h"
#include "nucleo/linhaslongas.h"
#include "nucleo/servicos.h"
#include "nucleo/texto.h"
#include "operations/pagina.h"
#include "sat/resposta.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace {

enum class Exibicao { Texto, DataHora, Data, EstadoOperacao };

struct CampoStatus {
    const char* nome;
    Exibicao exibicao;
};

// The status fields in the order the device sends them, from position 5 of the answer.
constexpr std::array<CampoStatus, 23> NomesStatus{{
    {"NSERIE", Exibicao::Texto},          {"TIPO_LAN", Exibicao::Texto},
    {"LAN_IP", Exibicao::Texto},          {"LAN_MAC", Exibicao::Texto},
    {"LAN_MASK", Exibicao::Texto},        {"LAN_GW", Exibicao::Texto},
    {"LAN_DNS_1", Exibicao::Texto},       {"LAN_DNS_2", Exibicao::Texto},
    {"STATUS_LAN", Exibicao::Texto},      {"NIVEL_BATERIA", Exibicao::Texto},
    {"MT_TOTAL", Exibicao::Texto},        {"MT_USADA", Exibicao::Texto},
    {"DH_ATUAL", Exibicao::DataHora},     {"VER_SB", Exibicao::Texto},
    {"VER_LAYOUT", Exibicao::Texto},      {"ULTIMO_CF-E-SAT", Exibicao::Texto},
    {"LISTA_INICIAL", Exibicao::Texto},   {"LISTA_FINAL", Exibicao::Texto},
    {"DH_CFe", Exibicao::DataHora},       {"DH_ULTIMA", Exibicao::DataHora},
    {"CERT_EMISSAO", Exibicao::Data},     {"CERT_VENCIMENTO", Exibicao::Data},
    {"ESTADO_OPERACAO", Exibicao::EstadoOperacao},
}};

constexpr std::array<const char*, 5> EstadosOperacao{
    "DESBLOQUEADO", "BLOQUEIO SEFAZ", "BLOQUEIO CONTRIBUINTE", "BLOQUEIO AUTONOMO", "BLOQUEIO PARA DESATIVACAO",
};

constexpr qsizetype primeiroCampoStatus = 5;
constexpr qsizetype larguraNome = 17;

// Characters from..from+n-1 (counted from 1); a slice past the end is empty.
// Counted in characters, not UTF-16 units, so a slice never splits a surrogate pair.
QString fatia(const QString& v, qsizetype de, qsizetype n) {
    const QList<uint> caracteres = v.toUcs4();
    const qsizetype inicio = std::min(de - 1, caracteres.size());
    const qsizetype fim = std::min(inicio + n, caracteres.size());
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(caracteres.constData()) + inicio, fim - inicio);
}

QString dataHora(const QString& v) {
    return fatia(v, 7, 2) + u'/' + fatia(v, 5, 2) + u'/' + fatia(v, 1, 4) + QStringLiteral(" - ") + fatia(v, 9, 2) +
           u':' + fatia(v, 11, 2) + u':' + fatia(v, 13, 2);
}

QString data(const QString& v) { return fatia(v, 7, 2) + u'/' + fatia(v, 5, 2) + u'/' + fatia(v, 1, 4); }

QString estadoOperacao(const QString& v) {
    bool numero = false;
    const int indice = v.toInt(&numero);
    if (numero && indice >= 0 && indice < static_cast<int>(EstadosOperacao.size()))
        return QString::fromLatin1(EstadosOperacao[static_cast<std::size_t>(indice)]);
    return v; // a state this console does not know: what the device said
}

QString linha(const QString& nome, const QString& valor) {
    const qsizetype pontos = std::max<qsizetype>(0, larguraNome - nome.size());
    return u' ' + nome + u' ' + QString(pontos, u'.') + u' ' + valor;
}

} // namespace

QStringList relatorioStatus(const QByteArrayList& campos) {
    QStringList linhas{QStringLiteral(" ")};
    for (qsizetype p = primeiroCampoStatus; p < campos.size(); ++p) {
        const QString v = sat::decodificar(campos[p]);
        const qsizetype indice = p - primeiroCampoStatus;
        if (indice >= static_cast<qsizetype>(NomesStatus.size())) {
            linhas.append(linha(QStringLiteral("CAMPO_%1").arg(p), v));
            continue;
        }
        const CampoStatus& campo = NomesStatus[static_cast<std::size_t>(indice)];
        QString valor;
        switch (campo.exibicao) {
        case Exibicao::Texto: valor = v; break;
        case Exibicao::DataHora: valor = dataHora(v); break;
        case Exibicao::Data: valor = data(v); break;
        case Exibicao::EstadoOperacao: valor = estadoOperacao(v); break;
        }
        linhas.append(linha(QString::fromLatin1(campo.nome), valor));
    }
    return linhas;
}

TabStatus::TabStatus(ServicosDaPagina& servicos, QWidget* parent) : QWidget(parent), servicos_(servicos) {
    pagina::preparar(this, "TabStatus");
    pagina::criarPainelTitulo(this, "Panel10", QStringLiteral("STATUS OPERACIONAL"));

    // The code travels from the prompt into the query through this edit; neither it
    // nor the query button is ever shown.
    EdtCodAtiv4 = pagina::criarEditCodigo(this, "EdtCodAtiv4", QStringLiteral("Digite o Código de Ativação do S@T:"),
                                          {16, 60}, 254);
    EdtCodAtiv4->hide();
    pagina::rotuloDe(EdtCodAtiv4)->hide();
    BtnStatus = new QPushButton(QStringLiteral("Solicitar Status"), this);
    BtnStatus->setObjectName(QStringLiteral("BtnStatus"));
    BtnStatus->hide();
    servicos_.aoClicar(BtnStatus, [this] { BtnStatusClick(); });

    MemoStatus = new QPlainTextEdit(this);
    MemoStatus->setObjectName(QStringLiteral("MemoStatus"));
    MemoStatus->setReadOnly(true);
    MemoStatus->setFont(pagina::fonteFixa(13));
    MemoStatus->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The report fills the page below the title, in place of the page's stretch.
    auto* colunas = static_cast<QVBoxLayout*>(layout());
    delete colunas->takeAt(colunas->count() - 1);
    colunas->addWidget(MemoStatus, 1);
}

void TabStatus::BitBtnStatusClick() {
    servicos_.estado().codigoativacao.clear();
    MemoStatus->clear();
    servicos_.mostrastatus({});
    servicos_.mostrarValida();
    servicos_.selecionarPagina(8);
    if (servicos_.estado().cancelado == 0)
        BtnStatus->click();
}

void TabStatus::BtnStatusClick() {
    EdtCodAtiv4->setText(servicos_.estado().codigoativacao);
    const QString codigo = aparar(EdtCodAtiv4->text());
    if (codigo.size() < 8) {
        servicos_.ui().mensagem(QStringLiteral("Novo código de ativação deve ter no mínimo 8 caracteres."));
        return;
    }
    if (!servicos_.caminho().chamar(&sat::FuncoesSAT::ConsultarStatusOperacional, codigo))
        return;

    const QByteArrayList campos = sat::campos(servicos_.caminho().retorno());
    pagina::ignorarFalhas([&] {
        if (sat::campo(campos, 1) != "10000") {
            servicos_.ui().mensagem(sat::mensagemResposta(campos));
            return;
        }
        MemoStatus->setPlainText(textoExibivel(relatorioStatus(campos).join(u'\n')));
    });
    servicos_.MostraMSefaz(campos);
}
