#include "pages/tavatualizasw.h"

#include "operations/operacoes.h"
#include "widgets/servicos.h"
#include "widgets/pagina.h"
#include "pages/tabbloq.h"

#include <QLineEdit>
#include <QPushButton>

TavAtualizaSW::TavAtualizaSW(ServicosDaPagina& servicos, QWidget* parent)
    : pagina::Base(parent), servicos_(servicos) {
    pagina::preparar(this, "TavAtualizaSW");
    pagina::criarPainelTitulo(this, "Panel12", QStringLiteral("ATUALIZAR SOFTWARE BÁSICO"));

    EdtCodAtiv7 = pagina::criarEditCodigo(
        this, "EdtCodAtiv7", QStringLiteral("Digite o Código de Ativação do SAT:"), {27, 75}, 334);
    BtnAtualizarSW = new QPushButton(QStringLiteral("Atualizar"), this);
    BtnAtualizarSW->setObjectName(QStringLiteral("BtnAtualizarSW"));
    BtnAtualizarSW->setGeometry(27, 113, 102, 29);
    servicos_.aoClicar(BtnAtualizarSW, [this] { BtnAtualizarSWClick(); });
    pagina::definirBotaoPadrao(this, BtnAtualizarSW);

    pagina::criarAviso(this, "Memo5",
                       {QString(), QStringLiteral("ATENÇÃO:"), QStringLiteral(" "),
                        QStringLiteral("ESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO. "),
                        QString()});

    setTabOrder(EdtCodAtiv7, BtnAtualizarSW);
}

void TavAtualizaSW::aoMostrar() { TavAtualizaSWShow(); }

void TavAtualizaSW::TavAtualizaSWShow() { EdtCodAtiv7->setFocus(); }

void TavAtualizaSW::BitAtualizaSWClick() {
    EdtCodAtiv7->clear();
    servicos_.selecionarPagina(Pagina::TavAtualizaSW);
}

void TavAtualizaSW::BtnAtualizarSWClick() {
    comandoComCodigo(servicos_, EdtCodAtiv7, &comandos::atualizar);
}
