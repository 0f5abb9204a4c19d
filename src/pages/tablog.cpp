#include "pages/tablog.h"

#include "operations/operacoes.h"
#include "core/caminhosat.h"
#include "core/estado.h"
#include "widgets/servicos.h"
#include "core/texto.h"
#include "operations/conteudolog.h"
#include "widgets/pagina.h"
#include "sat/resposta.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TabLog::TabLog(ServicosDaPagina& servicos, QWidget* parent)
    : QWidget(parent), servicos_(servicos), MemoLogs(new QPlainTextEdit(this)), memo_(MemoLogs) {
    pagina::preparar(this, "TabLog");
    Panel11 = pagina::criarPainelTitulo(this, "Panel11", QStringLiteral("EXTRAÇÃO DOS LOGS"));
    Panel11->setProperty("Tag", 0);

    // The code travels from the prompt into the extraction through this edit; neither
    // it nor the extraction's button is ever shown.
    EdtCodAtiv5 = pagina::criarEditCodigo(
        this, "EdtCodAtiv5", QStringLiteral("Digite o Código de Ativação do S@T:"), {16, 60}, 254);
    EdtCodAtiv5->hide();
    pagina::rotuloDe(EdtCodAtiv5)->hide();
    BtnLogs = new QPushButton(QStringLiteral("Extrair Logs"), this);
    BtnLogs->setObjectName(QStringLiteral("BtnLogs"));
    BtnLogs->hide();
    servicos_.aoClicar(BtnLogs, [this] { BtnLogsClick(); });

    MemoLogs->setObjectName(QStringLiteral("MemoLogs"));
    MemoLogs->setReadOnly(true);
    MemoLogs->setUndoRedoEnabled(false);
    MemoLogs->setFont(pagina::fonteFixa(13));
    MemoLogs->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoLogs->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoLogs->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* barra = new QWidget(this);
    barra->setObjectName(QStringLiteral("BarraSalvar"));
    auto* colunas = new QHBoxLayout(barra);
    colunas->setContentsMargins(8, 6, 8, 6);
    colunas->setSpacing(6);
    EdtLogs = new QLineEdit(barra);
    EdtLogs->setObjectName(QStringLiteral("EdtLogs"));
    auto* rotulo = new QLabel(QStringLiteral("Salvar em:"), barra);
    rotulo->setObjectName(QStringLiteral("EdtLogsLabel"));
    rotulo->setBuddy(EdtLogs);
    BtnLog1 = new QPushButton(QStringLiteral("..."), barra);
    BtnLog1->setObjectName(QStringLiteral("BtnLog1"));
    BtnLog1->setFixedWidth(28);
    BtnLog2 = new QPushButton(QStringLiteral("Salvar"), barra);
    BtnLog2->setObjectName(QStringLiteral("BtnLog2"));
    colunas->addWidget(rotulo);
    colunas->addWidget(EdtLogs, 1);
    colunas->addWidget(BtnLog1);
    colunas->addWidget(BtnLog2);
    servicos_.aoClicar(BtnLog1, [this] { BtnLog1Click(); });
    servicos_.aoClicar(BtnLog2, [this] { BtnLog2Click(); });

    // The memo fills the page between the title and the bar, in place of the stretch.
    auto* linhas = static_cast<QVBoxLayout*>(layout());
    delete linhas->takeAt(linhas->count() - 1);
    linhas->addWidget(MemoLogs, 1);
    linhas->addWidget(barra);

    setTabOrder(MemoLogs, EdtLogs);
    setTabOrder(EdtLogs, BtnLog1);
    setTabOrder(BtnLog1, BtnLog2);
}

void TabLog::BitLogsClick() {
    pedirLogs(conteudolog::modoLogInteiro, QStringLiteral("EXTRAÇÃO DOS LOGS"));
}

void TabLog::BitSuperLogClick() {
    pedirLogs(conteudolog::modoSuperLog, QStringLiteral("SuperLog BRISEL"));
}

void TabLog::pedirLogs(int modo, const QString& titulo) {
    servicos_.estado().codigoativacao.clear();
    memo_.esvaziar();
    servicos_.mostrastatus({});
    servicos_.mostrarValida();
    // The page shows its mode also when the prompt was closed without a code.
    servicos_.selecionarPagina(Pagina::TabLog);
    Panel11->setProperty("Tag", modo);
    Panel11->setText(titulo);
    if (servicos_.estado().cancelado == 0)
        BtnLogs->click();
}

void TabLog::BtnLogsClick() {
    EdtCodAtiv5->setText(servicos_.estado().codigoativacao);
    const QString codigo = aparar(EdtCodAtiv5->text());
    if (const comandos::Recusa recusa = comandos::verificarCodigo(codigo))
        return servicos_.ui().mensagem(*recusa);
    memo_.esvaziar();
    if (!comandos::extrairLogs(servicos_.caminho(), codigo))
        return;

    QByteArrayList campos = sat::campos(servicos_.caminho().retorno());
    pagina::ignorarFalhas([&] {
        if (sat::campo(campos, 1) != comandos::logsExtraidos) {
            servicos_.ui().mensagem(sat::mensagemResposta(campos));
            return;
        }
        // The log leaves campos here; a 15000 answer has its SEFAZ fields in 3 and 4.
        memo_.definirTexto(conteudolog::textoDoLog(campos, Panel11->property("Tag").toInt()));
        memo_.rolarAteOFim();
    });
    servicos_.MostraMSefaz(campos);
}

void TabLog::BtnLog1Click() {
    const QString arquivo = servicos_.ui().arquivoParaSalvar(QString(), QString(), QString());
    if (arquivo.isEmpty())
        return;
    EdtLogs->clear();
    EdtLogs->setText(QDir::toNativeSeparators(arquivo));
}

void TabLog::BtnLog2Click() {
    // Not trimmed: a name of blanks is tried as a file name.
    const QString arquivo = EdtLogs->text();
    if (arquivo.isEmpty()) {
        servicos_.ui().mensagem(QStringLiteral("O nome do arquivo não foi especificado"));
        BtnLog1->setFocus();
        return;
    }
    if (memo_.gravar(arquivo))
        servicos_.ui().mensagem(QStringLiteral("Arquivo ") + arquivo + QStringLiteral(" salvo com sucesso"));
    else
        servicos_.ui().mensagem(QStringLiteral("Erro ao tentar salvar o arquivo: ") + arquivo);
}

void esvaziarMemoLogs(ServicosDaPagina& servicos) {
    if (auto* pagina = servicos.janelaPrincipal().findChild<TabLog*>())
        pagina->esvaziarLogs();
}
