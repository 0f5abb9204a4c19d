#pragma once

#include <QByteArrayList>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ServicosDaPagina;

// The operational status report: one line per status field, each value starting in
// column 21 of the fixed-pitch memo. Dates arrive as AAAAMMDDhhmmss or AAAAMMDD and
// are shown as DD/MM/AAAA - hh:mm:ss and DD/MM/AAAA, copied character by character.
// An operation state outside the five known ones, and fields past the 23 known ones,
// are shown as the device sent them rather than dropped.
QStringList relatorioStatus(const QByteArrayList& campos);

// Page 8: "STATUS OPERACIONAL".
class TabStatus final : public QWidget {
    Q_OBJECT
public:
    explicit TabStatus(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Side-bar "Status": clears the report, asks for the activation code, shows the
    // page and, when the user confirmed, queries the device.
    void BitBtnStatusClick();
    // The query and the report.
    void BtnStatusClick();

private:
    ServicosDaPagina& servicos_;
    QLineEdit* EdtCodAtiv4;
    QPushButton* BtnStatus;
    QPlainTextEdit* MemoStatus;
};
