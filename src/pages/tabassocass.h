#pragma once

#include "widgets/paginabase.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;
class ServicosDaPagina;

// Page 3, "ASSOCIAR APLIC. COMERCIAL": associates an activated device with the
// commercial application, giving it the software house's CNPJ, the taxpayer's CNPJ
// and the application's signature, typed in or read from a text file.
class TabAssocAss final : public pagina::Base {
    Q_OBJECT
public:
    explicit TabAssocAss(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Side-bar "Associar Aplic. Comercial": fills the page from the parameter store.
    void BtnAssocAssinClick();
    // "A&ssociar": checks, stores the software house and signature, associates.
    void BitAssociarClick();

protected:
    void aoMostrar() override;

private:
    void TabAssocAssShow();
    void rgAssinaturaClick(int item);
    void Button3Click();
    void falhaNaVerificacao(const QString& mensagem, QLineEdit* esvaziar, QWidget* foco);

    ServicosDaPagina& servicos_;
    QLineEdit* EdtCodAtiv3;
    QLineEdit* EdtCNPJContrib2;
    QLineEdit* EdtCNPJSw;
    QGroupBox* rgAssinatura;
    QButtonGroup* itensAssinatura_;
    QLineEdit* EdtAssinatura;
    QPushButton* Button3;
    QPushButton* BitAssociar;
};
