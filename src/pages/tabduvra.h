#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class ServicosDaPagina;

// Where the picture and the consult button go on the first page for a page of
// width w and height h: centred across, the picture two thirds of the way down.
// Integer divisions truncate toward zero, so a page narrower than the picture gives
// a negative left edge.
struct PosicoesTabDuvra {
    int imagemEsquerda;
    int imagemTopo;
    int botaoEsquerda;
};
PosicoesTabDuvra posicoesFormResize(int w, int h, int larguraImagem, int alturaImagem, int larguraBotao);

// The first page: the device picture, the consult button and its verdict, and the
// bottom bar with the company and the library version.
class TabDuvra final : public QWidget {
    Q_OBJECT
public:
    explicit TabDuvra(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Asks the device whether it is in operation (side-bar "SAT - BRISEL" and
    // "Consultar SAT"): green "SAT em operação" for 08000, red "SAT inoperante" for
    // anything else, the side-bar button's text in the same colour.
    void BtnPrincipalClick();

    QLabel* lbloperante;
    QLabel* lblEmpresa;
    QLabel* lblVersaoDLL;
    QPushButton* BitBtn6;

protected:
    void resizeEvent(QResizeEvent* evento) override;

private:
    void FormResize();
    void mostrarVeredito(bool emOperacao);

    ServicosDaPagina& servicos_;
    QLabel* ImgSAT;
};
