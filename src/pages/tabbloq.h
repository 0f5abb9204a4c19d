#pragma once

#include <QString>
#include "widgets/paginabase.h"

class CaminhoSat;
class QLineEdit;
class QPushButton;
class QLabel;
class ServicosDaPagina;


// A command that proves the activation code typed on its page and calls one entry
// point with it (block, unblock, update): the code trimmed and at least 8 characters,
// the log page's memo emptied, the call, the device's "code: message" whatever the
// code, the SEFAZ message; the code box is emptied at the end, also after a refusal.
void comandoComCodigo(ServicosDaPagina& servicos, QLineEdit* codigo,
                      bool (*operacao)(CaminhoSat&, const QString&));

// Page 4, "BLOQUEAR/DESBLOQUEAR": the taxpayer's own block of the device, its removal,
// and the start of a deactivation, which blocks the device after a warning.
class TabBloq final : public pagina::Base {
    Q_OBJECT
public:
    explicit TabBloq(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Side-bar "Bloquear/Desbloquear": empties the code box and shows the page.
    void BtnBloquearSATClick();
    // "Bloquear", "Desbloquear" and "Desativar".
    void BitBloquSATClick();
    void BitBtn5Click();
    void BitDesatSATClick();

protected:
    void aoMostrar() override;

private:
    // The page's show handler: the keyboard focus in the code box.
    void TabBloqShow();

    ServicosDaPagina& servicos_;
    QLineEdit* EdtCodAtiv6;
    QPushButton* BitBtn5;
    QPushButton* BitBloquSAT;
    QPushButton* BitDesatSAT;
    QLabel* Memo1;
};
