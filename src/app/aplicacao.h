#pragma once

#include <QApplication>

// The application object. Commands run under TFAtivacao::protegido(); this is the
// last net for an error raised anywhere else in an event, so that no exception ever
// unwinds through Qt's event loop.
class Aplicacao final : public QApplication {
    Q_OBJECT
public:
    Aplicacao(int& argc, char** argv);

    bool notify(QObject* receptor, QEvent* evento) override;

    // The caption of the console's own message boxes. It is not Qt's display name,
    // which would be appended to every window's caption.
    static const QString titulo;
};
