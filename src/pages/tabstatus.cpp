#include "pages/tabstatus.h"

#include "operations/operacoes.h"
#include "operations/status.h"
#include "core/caminhosat.h"
#include "core/estado.h"
#include "core/linhaslongas.h"
#include "widgets/servicos.h"
#include "core/texto.h"
#include "widgets/pagina.h"
#include "sat/resposta.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

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
    servicos_.selecionarPagina(Pagina::TabStatus);
    if (servicos_.estado().cancelado == 0)
        BtnStatus->click();
}

void TabStatus::BtnStatusClick() {
    EdtCodAtiv4->setText(servicos_.estado().codigoativacao);
    const QString codigo = aparar(EdtCodAtiv4->text());
    if (const comandos::Recusa recusa = comandos::verificarCodigo(codigo, comandos::novoCodigoCurto))
        return servicos_.ui().mensagem(*recusa);
    if (!comandos::consultarStatus(servicos_.caminho(), codigo))
        return;

    const QByteArrayList campos = sat::campos(servicos_.caminho().retorno());
    pagina::ignorarFalhas([&] {
        if (sat::campo(campos, 1) != comandos::statusLido) {
            servicos_.ui().mensagem(sat::mensagemResposta(campos));
            return;
        }
        MemoStatus->setPlainText(textoExibivel(relatorioStatus(campos).join(u'\n')));
    });
    servicos_.MostraMSefaz(campos);
}
