#include "pages/tabbloq.h"

#include "operations/operacoes.h"
#include "core/caminhosat.h"
#include "widgets/servicos.h"
#include "core/texto.h"
#include "widgets/pagina.h"
#include "pages/tablog.h"
#include "sat/resposta.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

void comandoComCodigo(ServicosDaPagina& servicos, QLineEdit* edit,
                      bool (*operacao)(CaminhoSat&, const QString&)) {
    const QString codigo = aparar(edit->text());
    if (const comandos::Recusa recusa = comandos::verificarCodigo(codigo)) {
        servicos.ui().mensagem(*recusa);
        edit->clear();
        return;
    }
    esvaziarMemoLogs(servicos);
    if (operacao(servicos.caminho(), codigo)) {
        const QByteArrayList campos = sat::campos(servicos.caminho().retorno());
        pagina::ignorarFalhas([&] { servicos.ui().mensagem(sat::mensagemResposta(campos)); });
        servicos.MostraMSefaz(campos);
    }
    edit->clear();
}

TabBloq::TabBloq(ServicosDaPagina& servicos, QWidget* parent) : pagina::Base(parent), servicos_(servicos) {
    pagina::preparar(this, "TabBloq");
    pagina::criarPainelTitulo(this, "Panel6", QStringLiteral("BLOQUEAR/DESBLOQUEAR"));

    EdtCodAtiv6 = pagina::criarEditCodigo(
        this, "EdtCodAtiv6", QStringLiteral("Digite o Código de Ativação do SAT:"), {27, 75}, 334);

    const auto botao = [this](const char* nome, const char* legenda, int esquerda) {
        auto* b = new QPushButton(QString::fromUtf8(legenda), this);
        b->setObjectName(QString::fromLatin1(nome));
        b->setGeometry(esquerda, 113, 102, 29);
        return b;
    };
    BitBtn5 = botao("BitBtn5", "Desbloquear", 27);
    BitBloquSAT = botao("BitBloquSAT", "Bloquear", 143);
    BitDesatSAT = botao("BitDesatSAT", "Desativar", 259);
    servicos_.aoClicar(BitBtn5, [this] { BitBtn5Click(); });
    servicos_.aoClicar(BitBloquSAT, [this] { BitBloquSATClick(); });
    servicos_.aoClicar(BitDesatSAT, [this] { BitDesatSATClick(); });
    pagina::definirBotaoPadrao(this, BitBtn5);

    Memo1 = pagina::criarAviso(
        this, "Memo1",
        {QString(), QStringLiteral("ATENÇÃO: "),
         QStringLiteral("ESTAS OPÇÕES REFEREM-SE APENAS AO BLOQUEIO PELO CONTRIBUINTE. AS "),
         QStringLiteral("MESMAS NÃO TEM  EFEITO PARA CASOS  DE BLOQUEIO PELA SEFAZ, OU "),
         QStringLiteral("BLOQUEIO AUTONOMO OU BLOQUEIO DEVIDO A ERRO DO CÓDIGO DE "),
         QStringLiteral("ATIVAÇÃO."), QString(), QString()});
    Memo1->setFixedHeight(120);

    setTabOrder(EdtCodAtiv6, BitBtn5);
    setTabOrder(BitBtn5, BitBloquSAT);
    setTabOrder(BitBloquSAT, BitDesatSAT);
}

void TabBloq::aoMostrar() { TabBloqShow(); }

void TabBloq::TabBloqShow() { EdtCodAtiv6->setFocus(); }

void TabBloq::BtnBloquearSATClick() {
    EdtCodAtiv6->clear();
    servicos_.selecionarPagina(Pagina::TabBloq);
}

void TabBloq::BitBloquSATClick() {
    comandoComCodigo(servicos_, EdtCodAtiv6, &comandos::bloquear);
}

void TabBloq::BitBtn5Click() {
    comandoComCodigo(servicos_, EdtCodAtiv6, &comandos::desbloquear);
}

void TabBloq::BitDesatSATClick() {
    // The deactivation is a block that the device and the SEFAZ complete on their side.
    if (servicos_.ui().confirmar(comandos::avisoDesativacao))
        BitBloquSAT->click();
}
