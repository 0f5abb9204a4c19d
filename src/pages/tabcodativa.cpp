#include "pages/tabcodativa.h"

#include "operations/operacoes.h"
#include "core/caminhosat.h"
#include "widgets/servicos.h"
#include "core/texto.h"
#include "widgets/pagina.h"
#include "sat/resposta.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <exception>

namespace {

const QString rotuloAtual = QStringLiteral("Digite o Código de Ativação atual:");
const QString rotuloEmergencia = QStringLiteral("Digite o Código de Ativação de Emergência:");

} // namespace

TabCodAtiva::TabCodAtiva(ServicosDaPagina& servicos, QWidget* parent) : pagina::Base(parent), servicos_(servicos) {
    pagina::preparar(this, "TabCodAtiva");
    pagina::criarPainelTitulo(this, "Panel2", QStringLiteral("CÓDIGO DE ATIVAÇÃO"));

    CheckMudaCodigo = new QCheckBox(QStringLiteral("Trocar Código de Ativação"), this);
    CheckMudaCodigo->setObjectName(QStringLiteral("CheckMudaCodigo"));
    CheckMudaCodigo->setGeometry(16, 59, 254, 17);
    EdtCodigo = pagina::criarEditCodigo(this, "EdtCodigo", rotuloAtual, {16, 102}, 254, pagina::limiteDoCodigo);
    Checkemergencia = new QCheckBox(QStringLiteral("Cód. de emergência"), this);
    Checkemergencia->setObjectName(QStringLiteral("Checkemergencia"));
    Checkemergencia->setGeometry(275, 102, 160, 21);
    EdtNovoCodigo = pagina::criarEditCodigo(this, "EdtNovoCodigo", QStringLiteral("Digite o Novo Código de Ativação:"),
                                            {16, 148}, 254, pagina::limiteDoCodigo);
    EdtNovoCodigo2 = pagina::criarEditCodigo(this, "EdtNovoCodigo2", QStringLiteral("Confirme o Novo Código de Ativação:"),
                                             {16, 190}, 254, pagina::limiteDoCodigo);
    BtnTrocarCod = new QPushButton(QStringLiteral("Trocar"), this);
    BtnTrocarCod->setObjectName(QStringLiteral("BtnTrocarCod"));
    BtnTrocarCod->setGeometry(16, 246, 80, 29);
    pagina::definirBotaoPadrao(this, BtnTrocarCod);

    pagina::criarAviso(this, "Memo2",
                       {QString(), QStringLiteral("ATENÇÃO:"), QStringLiteral(" "),
                        QStringLiteral("ESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO. "), QString()});

    // The handlers run on every change of the boxes, by the user or by the command.
    connect(CheckMudaCodigo, &QCheckBox::toggled, this, [this] { servicos_.protegido([this] { CheckMudaCodigoClick(); }); });
    connect(Checkemergencia, &QCheckBox::toggled, this, [this] { servicos_.protegido([this] { CheckemergenciaClick(); }); });
    servicos_.aoClicar(BtnTrocarCod, [this] { BtnTrocarCodClick(); });

    setTabOrder(CheckMudaCodigo, EdtCodigo);
    setTabOrder(EdtCodigo, Checkemergencia);
    setTabOrder(Checkemergencia, EdtNovoCodigo);
    setTabOrder(EdtNovoCodigo, EdtNovoCodigo2);
    setTabOrder(EdtNovoCodigo2, BtnTrocarCod);
}

void TabCodAtiva::aoMostrar() { TabCodAtivaShow(); }

void TabCodAtiva::habilitarEntradas(bool habilitar) {
    for (QWidget* w : std::initializer_list<QWidget*>{EdtCodigo, EdtNovoCodigo, EdtNovoCodigo2, Checkemergencia})
        w->setEnabled(habilitar);
}

void TabCodAtiva::esvaziarCodigos() {
    EdtCodigo->clear();
    EdtNovoCodigo->clear();
    EdtNovoCodigo2->clear();
}

void TabCodAtiva::BtnCodAtivacaoClick() {
    esvaziarCodigos();
    servicos_.selecionarPagina(Pagina::TabCodAtiva);
}

void TabCodAtiva::TabCodAtivaShow() {
    for (QWidget* w : std::initializer_list<QWidget*>{CheckMudaCodigo, EdtCodigo, EdtNovoCodigo, EdtNovoCodigo2,
                                                      Checkemergencia})
        w->setVisible(true);
    habilitarEntradas(false);
    BtnTrocarCod->setText(QStringLiteral("Trocar"));
    BtnTrocarCod->setEnabled(false);
    // The boxes keep their state between visits: a page left unlocked opens unlocked.
    if (CheckMudaCodigo->isChecked()) {
        habilitarEntradas(true);
        BtnTrocarCod->setEnabled(true);
        EdtCodigo->setFocus();
    }
}

void TabCodAtiva::CheckMudaCodigoClick() {
    const bool marcado = CheckMudaCodigo->isChecked();
    habilitarEntradas(marcado);
    BtnTrocarCod->setEnabled(marcado);
    if (marcado)
        EdtCodigo->setFocus();
}

void TabCodAtiva::CheckemergenciaClick() {
    QLabel* rotulo = pagina::rotuloDe(EdtCodigo);
    const bool emergencia = Checkemergencia->isChecked();
    rotulo->setText(emergencia ? rotuloEmergencia : rotuloAtual);
    QPalette paleta = rotulo->palette();
    paleta.setColor(QPalette::WindowText, emergencia ? QColor(255, 0, 0) : palette().color(QPalette::WindowText));
    rotulo->setPalette(paleta);
    EdtCodigo->setFocus();
}

void TabCodAtiva::BtnTrocarCodClick() {
    const comandos::TrocaDeCodigo troca{aparar(EdtCodigo->text()), Checkemergencia->isChecked(),
                                        aparar(EdtNovoCodigo->text()), aparar(EdtNovoCodigo2->text())};
    const auto recusar = [this](const QString& mensagem) {
        servicos_.ui().mensagem(mensagem);
        EdtNovoCodigo->clear();
        EdtNovoCodigo2->clear();
        EdtNovoCodigo->setFocus();
    };
    if (const comandos::Recusa recusa = comandos::verificar(troca))
        return recusar(*recusa);
    if (!comandos::trocarCodigo(servicos_.caminho(), troca))
        return;

    const QByteArrayList campos = sat::campos(servicos_.caminho().retorno());
    // The SEFAZ step runs in any case; an answer too short to read is reported after it.
    std::exception_ptr falha;
    try {
        servicos_.ui().mensagem(sat::mensagemResposta(campos));
        if (campos[1] == comandos::codigoTrocado) {
            Checkemergencia->setChecked(false);
            CheckMudaCodigo->setVisible(true);
            CheckMudaCodigo->setChecked(false);
            BtnTrocarCod->setEnabled(false);
            EdtCodigo->setEnabled(false);
            for (const QString& nome : comandos::botoesDesbloqueados(comandos::Desbloqueio::TrocaDeCodigo, campos[1]))
                servicos_.botaoLateral(nome)->setEnabled(true);
            esvaziarCodigos();
            EdtCodigo->setEnabled(false);
            EdtNovoCodigo->setEnabled(false);
            EdtNovoCodigo2->setEnabled(false);
        } else {
            esvaziarCodigos();
            EdtCodigo->setFocus();
        }
    } catch (...) {
        falha = std::current_exception();
    }
    servicos_.MostraMSefaz(campos);
    if (falha)
        std::rethrow_exception(falha);
    repaint();
}
