#pragma once

#include <QDialog>

class Interacao;
class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;
struct EstadoConsole;

namespace settings {
class ParameterStore;
}

// The data of an end-to-end test: the taxpayer's CNPJ and IE, the software house's
// CNPJ and the commercial application's signature, typed or as a file. Every showing
// starts from the stored CNPJs and signature; the IE and the form of sending stay as
// the user left them. It says through cancelado whether the user confirmed ("Ok"
// sets 0); the test reads the values from it afterwards.
class TFFimAFim final : public QDialog {
    Q_OBJECT
public:
    enum FormaDeEnvio { Texto = 0, Arquivo = 1 };

    TFFimAFim(settings::ParameterStore& cds, EstadoConsole& estado, Interacao& ui, QWidget* parent = nullptr);

    // The activation variant sends only the taxpayer's CNPJ; the production variant
    // also the IE, the software house's CNPJ and the signature.
    void habilitarDadosDeProducao(bool habilitar);

    // The values as the user left them: the masked edits give their digits alone, the
    // signature (or the path of its file) its text as typed.
    QString cnpjContribuinte() const;
    QString ieContribuinte() const;
    QString cnpjSoftwareHouse() const;
    QString assinatura() const;
    FormaDeEnvio formaDeEnvio() const;

protected:
    void showEvent(QShowEvent* evento) override;

private:
    void FormCreate();
    void FormShow();
    void rgAssinaturaClick(int item);
    void Button3Click();
    void BtnOkClick();

    settings::ParameterStore& cds_;
    EstadoConsole& estado_;
    Interacao& ui_;
    QLineEdit* EdtCNPJContrib2;
    QLineEdit* EdtIEContrib;
    QLineEdit* EdtCNPJSw;
    QGroupBox* rgAssinatura;
    QButtonGroup* itensAssinatura_;
    QLineEdit* EdtAssinatura;
    QPushButton* Button3;
    QPushButton* BtnOk;
};
