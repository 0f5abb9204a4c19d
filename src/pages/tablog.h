#pragma once

#include "widgets/memolinhas.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ServicosDaPagina;

// Page 9, the device's log: the whole log ("Extrair Logs") or only its last SuperLog
// section ("SuperLog"), and saving what the memo shows to a file. The mode is the tag
// of the title panel (the property "Tag" of Panel11): 1 the whole log, anything else
// the SuperLog section.
class TabLog final : public QWidget {
    Q_OBJECT
public:
    explicit TabLog(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Side-bar "Extrair Logs" and "SuperLog": empty the memo, ask for the activation
    // code, show the page in their mode and, when the user confirmed, extract the log.
    void BitLogsClick();
    void BitSuperLogClick();
    // The extraction (the hidden button BtnLogs).
    void BtnLogsClick();
    // "...": chooses the file name. "Salvar": saves the memo's lines.
    void BtnLog1Click();
    void BtnLog2Click();

    // The block, unblock and update commands empty the memo before they call the device.
    void esvaziarLogs() { memo_.esvaziar(); }
    const MemoDeLinhas& linhas() const { return memo_; }

private:
    void pedirLogs(int modo, const QString& titulo);

    ServicosDaPagina& servicos_;
    QLabel* Panel11;
    QLineEdit* EdtCodAtiv5;
    QPushButton* BtnLogs;
    QPlainTextEdit* MemoLogs;
    QLineEdit* EdtLogs;
    QPushButton* BtnLog1;
    QPushButton* BtnLog2;
    MemoDeLinhas memo_;
};

// Empties the log page's memo, when the window has that page.
void esvaziarMemoLogs(ServicosDaPagina& servicos);
