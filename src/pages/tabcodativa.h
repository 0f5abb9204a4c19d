#pragma once

#include "widgets/paginabase.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class ServicosDaPagina;

// Page 1, "CÓDIGO DE ATIVAÇÃO": changes the device's activation code, proving either
// the current code or the device's emergency code. The page stays locked until the
// user ticks "Trocar Código de Ativação".
class TabCodAtiva final : public pagina::Base {
    Q_OBJECT
public:
    explicit TabCodAtiva(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Side-bar "Trocar Cód. Ativação": empties the three codes and shows the page.
    void BtnCodAtivacaoClick();
    // "Trocar": the change command.
    void BtnTrocarCodClick();

protected:
    void aoMostrar() override;

private:
    void TabCodAtivaShow();
    void CheckMudaCodigoClick();
    void CheckemergenciaClick();
    void habilitarEntradas(bool habilitar);
    void esvaziarCodigos();

    ServicosDaPagina& servicos_;
    QCheckBox* CheckMudaCodigo;
    QLineEdit* EdtCodigo;
    QCheckBox* Checkemergencia;
    QLineEdit* EdtNovoCodigo;
    QLineEdit* EdtNovoCodigo2;
    QPushButton* BtnTrocarCod;
};
