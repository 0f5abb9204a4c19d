#include "dialogs/tfmsefaz.h"

#include "core/linhaslongas.h"
#include "dialogs/natela.h"

#include <QPlainTextEdit>
#include <QShowEvent>
#include <QVBoxLayout>

TFMSefaz::TFMSefaz(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      MemoSefaz(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("TFMSefaz"));
    setWindowTitle(QStringLiteral("SAT_Ativação (Mensagem Sefaz)"));
    setModal(true);
    resize(447, 129);

    MemoSefaz->setObjectName(QStringLiteral("MemoSefaz"));
    MemoSefaz->setReadOnly(true);
    MemoSefaz->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MemoSefaz);
}

void TFMSefaz::definirTexto(const QString& texto) { MemoSefaz->setPlainText(textoExibivel(texto)); }

void TFMSefaz::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (!evento->spontaneous()) // not when the window comes back from the task bar
        centrarNaTela(*this);
}
