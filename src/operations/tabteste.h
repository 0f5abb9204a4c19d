#pragma once

#include <QWidget>

class QLineEdit;
class ServicosDaPagina;

// Page 5, the device tests. For now it holds the session box `Edit1`: after every
// library call it shows the session number that call used.
class TabTeste final : public QWidget {
    Q_OBJECT
public:
    explicit TabTeste(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Side-bar "Testes": shows the page.
    void BtnTestefimafimClick();

private:
    ServicosDaPagina& servicos_;
    QLineEdit* Edit1;
};
