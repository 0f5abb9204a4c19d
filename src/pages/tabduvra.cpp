#include "pages/tabduvra.h"

#include "operations/operacoes.h"
#include "core/caminhosat.h"
#include "widgets/servicos.h"
#include "widgets/pagina.h"
#include "sat/resposta.h"

#include <QByteArrayList>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

PosicoesTabDuvra posicoesFormResize(int w, int h, int larguraImagem, int alturaImagem, int larguraBotao) {
    return {(w - larguraImagem) / 2, ((h - alturaImagem) * 2) / 3, (w - larguraBotao) / 2};
}

TabDuvra::TabDuvra(ServicosDaPagina& servicos, QWidget* parent) : QWidget(parent), servicos_(servicos) {
    pagina::preparar(this, "TabDuvra");
    pagina::criarPainelTitulo(this, "Panel7", QStringLiteral("SAT BRISEL"));

    auto* Label8 = new QLabel(QStringLiteral("Status:"), this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 13px;"));
    Label8->setGeometry(11, 42, 120, 17);

    lbloperante = new QLabel(QStringLiteral("SAT inoperante"), this);
    lbloperante->setObjectName(QStringLiteral("lbloperante"));
    QFont negrito13 = lbloperante->font();
    negrito13.setBold(true);
    negrito13.setPixelSize(13);
    lbloperante->setFont(negrito13);
    QPalette vermelho = lbloperante->palette();
    vermelho.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lbloperante->setPalette(vermelho);
    lbloperante->setGeometry(11, 67, 170, 17);
    lbloperante->setAttribute(Qt::WA_TranslucentBackground);
    lbloperante->hide();

    ImgSAT = new QLabel(this);
    ImgSAT->setObjectName(QStringLiteral("ImgSAT"));
    ImgSAT->setPixmap(QPixmap(QStringLiteral(":/imagens/sat.png")));
    ImgSAT->setAlignment(Qt::AlignCenter);
    ImgSAT->setGeometry(164, 150, 200, 200);

    BitBtn6 = new QPushButton(QStringLiteral("Consultar SAT"), this);
    BitBtn6->setObjectName(QStringLiteral("BitBtn6"));
    BitBtn6->setGeometry(189, 97, 139, 29);
    servicos_.aoClicar(BitBtn6, [this] { BtnPrincipalClick(); });

    auto* Panel13 = new QFrame(this);
    Panel13->setObjectName(QStringLiteral("Panel13"));
    Panel13->setFixedHeight(24);
    Panel13->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblEmpresa = new QLabel(QStringLiteral("Brisel Informática"), Panel13);
    lblEmpresa->setObjectName(QStringLiteral("lblEmpresa"));
    lblVersaoDLL = new QLabel(QStringLiteral("Versão da DLL: "), Panel13);
    lblVersaoDLL->setObjectName(QStringLiteral("lblVersaoDLL"));
    lblVersaoDLL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* barra = new QHBoxLayout(Panel13);
    barra->setContentsMargins(4, 0, 4, 0);
    barra->addWidget(lblEmpresa);
    barra->addStretch(1);
    barra->addWidget(lblVersaoDLL);
    static_cast<QVBoxLayout*>(layout())->addWidget(Panel13);
}

void TabDuvra::BtnPrincipalClick() {
    servicos_.selecionarPagina(Pagina::TabDuvra);
    const bool consultado = comandos::consultar(servicos_.caminho());
    lbloperante->show();
    if (!consultado) {
        // No library, no entry point or no answer: not in operation either.
        mostrarVeredito(false);
    } else {
        const QByteArrayList campos = sat::campos(servicos_.caminho().retorno());
        if (comandos::emOperacaoNaResposta(campos)) {
            mostrarVeredito(true);
        } else {
            if (campos.size() > 2 && campos[1] == comandos::consultaComMensagem)
                servicos_.ui().mensagem(sat::mensagemResposta(campos));
            mostrarVeredito(false);
        }
        servicos_.MostraMSefaz(campos);
    }
    servicos_.selecionarPagina(Pagina::TabDuvra);
    servicos_.janelaPrincipal().repaint();
}

void TabDuvra::mostrarVeredito(bool emOperacao) {
    const QColor cor = emOperacao ? QColor(0, 128, 0) : QColor(255, 0, 0);
    lbloperante->setText(emOperacao ? QStringLiteral("SAT em operação") : QStringLiteral("SAT inoperante"));
    QPalette paleta = lbloperante->palette();
    paleta.setColor(QPalette::WindowText, cor);
    lbloperante->setPalette(paleta);

    QPushButton* botao = servicos_.botaoLateral(QStringLiteral("BtnPrincipal"));
    paleta = botao->palette();
    paleta.setColor(QPalette::ButtonText, cor);
    botao->setPalette(paleta);
}

void TabDuvra::resizeEvent(QResizeEvent* evento) {
    QWidget::resizeEvent(evento);
    FormResize();
}

void TabDuvra::FormResize() {
    const PosicoesTabDuvra p = posicoesFormResize(width(), height(), ImgSAT->width(), ImgSAT->height(),
                                                  BitBtn6->width());
    ImgSAT->move(p.imagemEsquerda, p.imagemTopo);
    BitBtn6->move(p.botaoEsquerda, BitBtn6->y());
}
