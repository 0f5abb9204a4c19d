#include "app/bloqueiodeentrada.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

BloqueioDeEntrada::BloqueioDeEntrada(std::function<void()> aoPedirInterrupcao, QObject* parent)
    : QObject(parent), aoPedirInterrupcao_(std::move(aoPedirInterrupcao)) {
    qApp->installEventFilter(this);
}

BloqueioDeEntrada::~BloqueioDeEntrada() {
    qApp->removeEventFilter(this);
}

namespace {

bool entradaDoUsuario(QEvent::Type tipo) {
    switch (tipo) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::TabletPress:
        return true;
    default:
        return false;
    }
}

} // namespace

bool BloqueioDeEntrada::eventFilter(QObject* objeto, QEvent* evento) {
    if (!entradaDoUsuario(evento->type()))
        return false;
    // A dialog opened during the wait works as usual.
    if (const QWidget* modal = QApplication::activeModalWidget()) {
        if (const auto* widget = qobject_cast<const QWidget*>(objeto)) {
            if (widget == modal || modal->isAncestorOf(widget))
                return false;
        } else if (const auto* janela = qobject_cast<const QWindow*>(objeto)) {
            if (janela == modal->windowHandle())
                return false;
        }
    }
    if (evento->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(evento)->key() == Qt::Key_Escape &&
        !static_cast<QKeyEvent*>(evento)->isAutoRepeat())
        QTimer::singleShot(0, this, [this] { aoPedirInterrupcao_(); });
    return true;
}
