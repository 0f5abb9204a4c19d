#pragma once

#include "core/interacao.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>

// A user who answers from a script: records everything the console shows and never
// blocks on a modal loop.
class InteracaoRoteirizada final : public Interacao {
public:
    enum class Tipo { Mensagem, Confirmacao, Erro, MensagemSemDono, Dialogo, AbrirArquivo, SalvarArquivo, Abrir };
    struct Exibido {
        Tipo tipo;
        QString titulo;
        QString texto;
    };

    // What the user does with the next dialog shown: fill it, press its buttons. A
    // dialog still open when the script returns is closed as the title-bar button does.
    using RoteiroDialogo = std::function<void(QDialog&)>;

    void mensagem(const QString& texto) override;
    bool confirmar(const QString& texto) override;
    void erro(const QString& texto) override;
    void mensagemSemDono(const QString& titulo, const QString& texto) override;
    int executar(QDialog& dialogo) override;
    QString arquivoParaAbrir(const QString& titulo, const QString& filtro) override;
    QString arquivoParaSalvar(const QString& titulo, const QString& filtro, const QString& nomeSugerido) override;
    void abrirComProgramaAssociado(const QString& alvo) override;

    // The answers to come, in order. A confirmation with no queued answer is refused,
    // a dialog with no script is closed, a file dialog with no answer is cancelled.
    std::deque<bool> confirmacoes;
    std::deque<RoteiroDialogo> dialogos;
    std::deque<QString> arquivos;

    QList<Exibido> exibidos;
    // Just the texts of one kind, in the order shown.
    QStringList textos(Tipo tipo) const;
    QStringList mensagens() const { return textos(Tipo::Mensagem); }
};
