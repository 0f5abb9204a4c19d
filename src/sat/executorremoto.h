#pragma once

#include "sat/executor.h"

#include <memory>
#include <QByteArray>
#include <QProcess>
#include <QString>

class QEventLoop;

namespace sat {

// The library held by the helper program (sat-host) in a process of its own: a crash,
// an exit or a hang inside the library ends the helper, never the console. While a
// call is out, this thread runs an event loop, so the window keeps painting; whoever
// shows the window blocks the user's input meanwhile. After the helper ends, the next
// call starts a fresh one and loads the same library again.
class ExecutorRemoto final : public Executor {
public:
    // `programa`: the helper's executable. `limiteDeCargaMs`: how long a library may
    // take to load before it is given up as hung.
    explicit ExecutorRemoto(QString programa, int limiteDeCargaMs = 60000);
    ~ExecutorRemoto() override;

    // Starts the helper now, without waiting for it, so that it is up by the time the
    // library is loaded.
    void iniciar();
    // Starts the helper and asks it to load `caminho` now; carregar() of the same file
    // then only waits for the answer.
    void antecipar(const QString& caminho);

    bool carregar(const QString& caminho, QString& erro) override;
    bool vinculada() const override { return vinculada_; }
    bool possui(int indice) const override;
    RespostaSat chamar(const Invocacao& chamada) override;
    void abandonar() override;
    protocolo::Convencao convencao() const override { return convencao_; }

    // The helper's process id while it runs, else 0 (tests end it from outside).
    qint64 processoDoHospedeiro() const;

private:
    enum class Espera { Quadro, Terminou, Abandonada, Excedida, Malformada };

    // A frame as read: its first byte (what kind of answer), and the rest, read
    // straight into its own buffer so that a large answer is copied only once.
    struct Quadro {
        char primeiro = 0;
        QByteArray corpo;
        std::string inteiro() const { return primeiro + corpo.toStdString(); }
    };

    bool iniciarSeParado(QString& erro);
    bool carregarNoHospedeiro(const QString& caminho, QString& erro);
    bool enviar(const std::string& conteudo);
    Espera esperarQuadro(Quadro& quadro, int limiteMs);
    bool quadroCompleto(Quadro& quadro, Espera& falha);
    QString comoTerminou();
    void encerrar();

    QString programa_;
    int limiteDeCargaMs_;
    std::unique_ptr<QProcess> processo_;
    // The frame being read: its body's size once the header came, and how much of it.
    bool lendoCorpo_ = false;
    Quadro emLeitura_;
    qsizetype lidos_ = 0;
    QString caminho_;
    QString cargaAntecipada_; // a load request sent and not yet answered
    bool vinculada_ = false;
    quint32 funcoes_ = 0;
    bool abandonada_ = false;
    protocolo::Convencao convencao_ = protocolo::Convencao::Desconhecida;
    QEventLoop* espera_ = nullptr;
};

} // namespace sat
