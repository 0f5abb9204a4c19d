#pragma once

class QWidget;

// Places a window at the centre of the screen, as the console's windows open: the
// screen its owner is on (its own when it has none), wherever the owner was dragged.
// Called before the window is shown, it is shown there at once.
void centrarNaTela(QWidget& janela);
