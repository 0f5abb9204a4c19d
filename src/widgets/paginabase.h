#pragma once

#include <QWidget>

class QShowEvent;

namespace pagina {

// A page with a show handler: it runs each time the console shows the page (a side-bar
// button, a page selected by a command), not when the window comes back from the task
// bar or another window.
class Base : public QWidget {
public:
    using QWidget::QWidget;

protected:
    // The page's show handler.
    virtual void aoMostrar() = 0;
    void showEvent(QShowEvent* evento) override;
};

} // namespace pagina
