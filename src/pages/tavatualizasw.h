#pragma once

#include "widgets/paginabase.h"

class QLineEdit;
class QPushButton;
class ServicosDaPagina;

// Page 10, "ATUALIZAR SOFTWARE BÁSICO": tells the device to update its basic software.
// The notice says the device must be activated; the device itself checks that.
class TavAtualizaSW final : public pagina::Base {
    Q_OBJECT
public:
    explicit TavAtualizaSW(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Side-bar "Atualizar SW Básico": empties the code box and shows the page.
    void BitAtualizaSWClick();
    // "Atualizar".
    void BtnAtualizarSWClick();

protected:
    void aoMostrar() override;

private:
    // The page's show handler: the keyboard focus in the code box.
    void TavAtualizaSWShow();

    ServicosDaPagina& servicos_;
    QLineEdit* EdtCodAtiv7;
    QPushButton* BtnAtualizarSW;
};
