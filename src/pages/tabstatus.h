#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ServicosDaPagina;

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
