#pragma once

#include <functional>
#include <QObject>

// While a library call is out, the window keeps painting but takes no input: no click
// or key reaches it, so no second command can start. Only a dialog opened during the
// wait (the question whether to give the call up) gets input. Esc asks for that
// question through `aoPedirInterrupcao`, which runs once the key's event is over.
class BloqueioDeEntrada final : public QObject {
public:
    explicit BloqueioDeEntrada(std::function<void()> aoPedirInterrupcao, QObject* parent = nullptr);
    ~BloqueioDeEntrada() override;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    std::function<void()> aoPedirInterrupcao_;
};
