#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class TFAtivacao;

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
    explicit TabDuvra(TFAtivacao& janela, QWidget* parent = nullptr);

    QLabel* lbloperante;
    QLabel* lblEmpresa;
    QLabel* lblVersaoDLL;
    QPushButton* BitBtn6;

protected:
    void resizeEvent(QResizeEvent* evento) override;

private:
    void FormResize();

    TFAtivacao& janela_;
    QLabel* ImgSAT;
};
