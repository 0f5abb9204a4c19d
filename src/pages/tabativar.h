#pragma once

#include "widgets/paginabase.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class ServicosDaPagina;

// Page 2, "ATIVAÇÃO DO SAT": puts a new device into service for a taxpayer's CNPJ
// and state with the activation code the user chooses.
class TabAtivar final : public pagina::Base {
    Q_OBJECT
public:
    explicit TabAtivar(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Side-bar "Ativação do SAT": fills the taxpayer from the parameter store.
    void BtnAtivacaoClick();
    // "&Ativar": checks, stores the taxpayer, confirms the wait and activates.
    void BitAtivaSATClick();

    QComboBox* cbo;

protected:
    void aoMostrar() override;

private:
    void TabAtivarShow();
    void rgTipoCertClick(int item);
    int tipoCertificado() const;
    void selecionarTipoCertificado(int item);
    void falhaNaVerificacao(const QString& mensagem, std::initializer_list<QLineEdit*> esvaziar, QWidget* foco);

    ServicosDaPagina& servicos_;
    QLineEdit* EdtCodAtiv2;
    QLineEdit* EdtCodAtiv2Conf;
    QGroupBox* rgTipoCert;
    QButtonGroup* itensTipoCert_;
    QLineEdit* EdtCNPJContrib;
    QPushButton* BtnAtivar;
};
