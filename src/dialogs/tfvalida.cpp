#include "dialogs/tfvalida.h"

#include "core/estado.h"
#include "core/texto.h"
#include "dialogs/natela.h"
#include "widgets/pagina.h"

#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

TFValida::TFValida(EstadoConsole& estado, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      estado_(estado) {
    setObjectName(QStringLiteral("TFValida"));
    setWindowTitle(QStringLiteral("SAT - BRISEL (Valida Cód. Ativação)"));
    setFixedSize(372, 90);
    setModal(true);
    setAutoFillBackground(true);
    QPalette paleta = palette();
    paleta.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(paleta);

    EdtCodigo = pagina::criarEditCodigo(this, "EdtCodigo", QStringLiteral("Digite o Código de Ativação atual:"),
                                        {16, 38}, 254, pagina::limiteDoCodigo);
    BtnTrocarCod = new QPushButton(QStringLiteral("Validar"), this);
    BtnTrocarCod->setObjectName(QStringLiteral("BtnTrocarCod"));
    BtnTrocarCod->setGeometry(276, 34, 80, 29);
    BtnTrocarCod->setDefault(true);
    BtnTrocarCod->setAutoDefault(true);
    connect(BtnTrocarCod, &QPushButton::clicked, this, &TFValida::BtnTrocarCodClick);

    estado_.cancelado = 1;
}

void TFValida::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (!evento->spontaneous()) { // not when the window comes back from the task bar
        centrarNaTela(*this);     // not over the main window, which a dialog would follow
        FormShow();
    }
}

void TFValida::FormShow() {
    estado_.codigoativacao.clear();
    EdtCodigo->clear();
    estado_.cancelado = 1;
    EdtCodigo->setFocus();
}

void TFValida::BtnTrocarCodClick() {
    estado_.codigoativacao = aparar(EdtCodigo->text());
    estado_.cancelado = 0;
    accept();
}
