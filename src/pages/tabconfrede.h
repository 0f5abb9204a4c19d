#pragma once

#include "widgets/paginabase.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ServicosDaPagina;

// Page 6, "CONFIGURAÇÕES DE REDE": the device's network settings, kept in the network
// fields of the parameter store and sent to the device as the network configuration
// document (ConfRede.xml). The wireless and PPPoE controls belong to the page and take
// part in filling, enabling and sending, but are never shown.
class TabConfRede final : public pagina::Base {
    Q_OBJECT
public:
    explicit TabConfRede(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Side-bar "Config. da Rede": selects the page; showing it fills it.
    void BtnConfRedeClick();
    // "Enviar ao SAT": stores the page, writes the document and sends it.
    void BitConfRedeClick();

protected:
    void aoMostrar() override;

private:
    void TabConfRedeShow();
    // The change rules: which boxes apply to the chosen options.
    void CbotipoInterChange();
    void CbosegChange();
    void CbotipoLanChange();
    void cboProxyChange();

    ServicosDaPagina& servicos_;
    QComboBox* CbotipoInter;
    QComboBox* CbotipoLan;
    QLineEdit* EdtlanIP;
    QLineEdit* EdtlanMask;
    QLineEdit* EdtlanGW;
    QLineEdit* EdtlanDNS1;
    QLineEdit* EdtlanDNS2;
    QComboBox* cboProxy;
    QLineEdit* Edtproxy_ip;
    QLineEdit* Edtproxy_porta;
    QLineEdit* Edtproxy_user;
    QLineEdit* Edtproxy_senha;
    QLineEdit* LblEdtCodRede;
    QPushButton* BitBtn4;
    // Never shown.
    QLineEdit* Edtusuario;
    QLineEdit* Edtsenha;
    QLineEdit* EdtSSID;
    QLabel* Label11;
    QComboBox* Cboseg;
    QLineEdit* Edtcod;
};
