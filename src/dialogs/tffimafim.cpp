#include "dialogs/tffimafim.h"

#include "core/estado.h"
#include "core/interacao.h"
#include "dialogs/natela.h"
#include "settings/campos.h"
#include "widgets/pagina.h"
#include "settings/parameterstore.h"

#include <QButtonGroup>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {

// A signature is 344 characters; a path to the file that holds one may be longer.
constexpr int limiteAssinatura = 344;
constexpr int limiteCaminho = 32767;

QLabel* rotulo(QWidget* dono, const char* nome, const QString& texto, QRect lugar, QWidget* parceiro) {
    auto* label = new QLabel(texto, dono);
    label->setObjectName(QString::fromLatin1(nome));
    label->setGeometry(lugar);
    if (parceiro != nullptr)
        label->setBuddy(parceiro);
    return label;
}

} // namespace

TFFimAFim::TFFimAFim(settings::ParameterStore& cds, EstadoConsole& estado, Interacao& ui, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      cds_(cds), estado_(estado), ui_(ui) {
    setObjectName(QStringLiteral("TFFimAFim"));
    setWindowTitle(QStringLiteral("SAT - BRISEL (Testes FimAFim)"));
    setFixedSize(380, 276);
    setModal(true);
    setAutoFillBackground(true);
    QPalette paleta = palette();
    paleta.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(paleta);

    EdtCNPJContrib2 = pagina::criarEditCNPJ(this, "EdtCNPJContrib2", {16, 30}, 160);
    rotulo(this, "Label1", QStringLiteral("CNPJ do Contribuinte:"), {16, 12, 160, 16}, EdtCNPJContrib2);

    EdtIEContrib = new QLineEdit(this);
    EdtIEContrib->setObjectName(QStringLiteral("EdtIEContrib"));
    EdtIEContrib->setGeometry(200, 30, 160, 21);
    EdtIEContrib->setInputMask(QStringLiteral("999.999.999.999;_"));
    rotulo(this, "Label2", QStringLiteral("IE do Contribuinte:"), {200, 12, 160, 16}, EdtIEContrib);

    EdtCNPJSw = pagina::criarEditCNPJ(this, "EdtCNPJSw", {16, 76}, 160);
    rotulo(this, "Label3", QStringLiteral("CNPJ Software House:"), {16, 58, 160, 16}, EdtCNPJSw);

    rotulo(this, "Label4", QStringLiteral("Assinatura do Aplicativo Comercial:"), {16, 106, 344, 16},
           nullptr);
    const pagina::FormaDeEnvio forma = pagina::criarFormaDeEnvio(this, {16, 124});
    rgAssinatura = forma.caixa;
    itensAssinatura_ = forma.itens;
    connect(itensAssinatura_, &QButtonGroup::idToggled, this, [this](int id, bool marcado) {
        if (marcado)
            rgAssinaturaClick(id);
    });

    EdtAssinatura =
        pagina::criarEditRotulado(this, "EdtAssinatura", QStringLiteral("Texto:"), {16, 199}, 310);
    EdtAssinatura->setMaxLength(limiteAssinatura);
    Button3 = new QPushButton(QStringLiteral("..."), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(332, 196, 28, 28);
    Button3->hide();
    connect(Button3, &QPushButton::clicked, this, &TFFimAFim::Button3Click);

    BtnOk = new QPushButton(QStringLiteral("Ok"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setGeometry(280, 236, 80, 29);
    BtnOk->setDefault(true);
    BtnOk->setAutoDefault(true);
    connect(BtnOk, &QPushButton::clicked, this, &TFFimAFim::BtnOkClick);

    setTabOrder(EdtCNPJContrib2, EdtIEContrib);
    setTabOrder(EdtIEContrib, EdtCNPJSw);
    setTabOrder(EdtCNPJSw, rgAssinatura);
    setTabOrder(rgAssinatura, EdtAssinatura);
    setTabOrder(EdtAssinatura, Button3);
    setTabOrder(Button3, BtnOk);

    FormCreate();
}

void TFFimAFim::FormCreate() {
    estado_.cancelado = 1;
}

void TFFimAFim::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (!evento->spontaneous()) { // not when the window comes back from the task bar
        centrarNaTela(*this);     // not over the main window, which a dialog would follow
        FormShow();
    }
}

void TFFimAFim::FormShow() {
    // What is stored wins over what was typed at the last showing; the IE and the form
    // of sending are not stored and stay as they were.
    EdtCNPJContrib2->setText(cds_.text(settings::campo::CNPJContribuinte));
    EdtCNPJSw->setText(cds_.text(settings::campo::CNPJSH));
    EdtAssinatura->setText(cds_.text(settings::campo::Assinatura));
    estado_.cancelado = 1;
    EdtCNPJContrib2->setFocus();
}

void TFFimAFim::rgAssinaturaClick(int item) {
    EdtAssinatura->clear();
    const bool arquivo = item == Arquivo;
    pagina::rotuloDe(EdtAssinatura)->setText(arquivo ? QStringLiteral("Arquivo") : QStringLiteral("Texto"));
    EdtAssinatura->setMaxLength(arquivo ? limiteCaminho : limiteAssinatura);
    Button3->setVisible(arquivo);
}

void TFFimAFim::Button3Click() {
    const QString arquivo = ui_.arquivoParaAbrir(QString(), QString());
    if (!arquivo.isEmpty())
        EdtAssinatura->setText(QDir::toNativeSeparators(arquivo));
}

void TFFimAFim::BtnOkClick() {
    estado_.cancelado = 0;
    accept();
}

void TFFimAFim::habilitarDadosDeProducao(bool habilitar) {
    for (QWidget* controle : {static_cast<QWidget*>(EdtCNPJSw), static_cast<QWidget*>(EdtIEContrib),
                              static_cast<QWidget*>(rgAssinatura), static_cast<QWidget*>(EdtAssinatura),
                              static_cast<QWidget*>(Button3)})
        controle->setEnabled(habilitar);
}

QString TFFimAFim::cnpjContribuinte() const {
    return pagina::digitos(EdtCNPJContrib2);
}
QString TFFimAFim::ieContribuinte() const {
    return pagina::digitos(EdtIEContrib);
}
QString TFFimAFim::cnpjSoftwareHouse() const {
    return pagina::digitos(EdtCNPJSw);
}
QString TFFimAFim::assinatura() const {
    return EdtAssinatura->text();
}
TFFimAFim::FormaDeEnvio TFFimAFim::formaDeEnvio() const {
    return itensAssinatura_->checkedId() == Arquivo ? Arquivo : Texto;
}
