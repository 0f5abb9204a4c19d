#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
struct EstadoConsole;

// Asks for the current activation code on behalf of the operations that need it
// (status, logs, end-to-end tests, session queries). It only collects the code into
// codigoativacao and says through cancelado whether the user confirmed; the callers
// check the code themselves.
class TFValida final : public QDialog {
    Q_OBJECT
public:
    explicit TFValida(EstadoConsole& estado, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* evento) override;

private:
    void FormShow();
    void BtnTrocarCodClick();

    EstadoConsole& estado_;
    QLineEdit* EdtCodigo;
    QPushButton* BtnTrocarCod;
};
