#pragma once

#include "core/interacao.h"

class QWidget;

// The real thing: Qt message boxes and file dialogs, the platform's "open".
class InteracaoQt final : public Interacao {
public:
    void definirJanela(QWidget* janela) { janela_ = janela; }

    void mensagem(const QString& texto) override;
    bool confirmar(const QString& texto) override;
    void erro(const QString& texto) override;
    void mensagemSemDono(const QString& titulo, const QString& texto) override;
    int executar(QDialog& dialogo) override;
    QString arquivoParaAbrir(const QString& titulo, const QString& filtro) override;
    QString arquivoParaSalvar(const QString& titulo, const QString& filtro, const QString& nomeSugerido) override;
    void abrirComProgramaAssociado(const QString& alvo) override;

private:
    QWidget* janela_ = nullptr;
};
