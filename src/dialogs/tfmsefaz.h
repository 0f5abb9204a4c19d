#pragma once

#include <QDialog>

class QPlainTextEdit;

// The window that shows a message the SEFAZ sent through the device.
class TFMSefaz final : public QDialog {
    Q_OBJECT
public:
    explicit TFMSefaz(QWidget* parent = nullptr);

    // Replaces the text shown; the window keeps it until the next display. A line
    // longer than limiteDeLinha is shown by its start and its length.
    void definirTexto(const QString& texto);

protected:
    void showEvent(QShowEvent* evento) override;

private:
    QPlainTextEdit* MemoSefaz;
};
