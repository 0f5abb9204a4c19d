#pragma once

#include "core/interacao.h"
#include "platform/codepage.h"
#include "sat/executor.h"
#include "sat/sessao.h"

#include <memory>
#include <QByteArray>
#include <QString>
#include <type_traits>

// Told before and after every library call, so that what the user sees keeps its
// order: the waiting text and the hourglass painted before the call (which may block
// for minutes), then the normal pointer, the session box and the answer's echo.
class ObservadorDoCaminho {
public:
    virtual ~ObservadorDoCaminho() = default;
    virtual void antesDaChamada() = 0;
    virtual void depoisDaChamada(const QString& numsessao, const QByteArray& retorno) = 0;
};

// The road of every device call. It holds the executor that reaches the library, the
// session numbers, and the number and answer of the last call. One call: a new
// session number, the text arguments in the 8-bit code page, the call with the
// number first, the answer copied. An entry point the library lacks, or no library
// at all, is reported to the user and nothing is called; a null answer, or a library
// that stopped during the call, is reported once and leaves retorno empty.
class CaminhoSat {
public:
    explicit CaminhoSat(Avisos& ui, std::unique_ptr<sat::Executor> executor = nullptr,
                        sat::GeradorSessao sessoes = sat::GeradorSessao());

    void definirObservador(ObservadorDoCaminho* observador) { observador_ = observador; }
    void usar(std::unique_ptr<sat::Executor> executor) { executor_ = std::move(executor); }
    sat::Executor& executor() { return *executor_; }

    // Makes one call through the road. Arguments are QString (sent as 8-bit text) or
    // integers, in the entry point's order after the session number. Returns true
    // when there is an answer for the operation to read.
    template <typename Funcao, typename... Argumentos>
    bool chamar(Funcao sat::FuncoesSAT::*slot, const Argumentos&... argumentos) {
        static_assert(std::is_invocable_v<Funcao, int, TipoNaBiblioteca<Argumentos>...>,
                      "the arguments do not match the entry point");
        return chamar(sat::indiceDaFuncao(slot), {argumentoSat(argumentos)...});
    }

    // The session number of the current or last call ("" before the first one).
    const QString& numsessao() const { return numsessao_; }
    // The last answer, byte for byte.
    const QByteArray& retorno() const { return retorno_; }
    const sat::GeradorSessao& sessoes() const { return sessoes_; }
    // The entry point of the call in progress, or "" between calls.
    const QString& chamadaEmCurso() const { return emCurso_; }

    // How the last call through the road ended.
    enum class Desfecho {
        Nenhum,          // no call yet
        Respondeu,       // an answer for the operation to read
        SemBiblioteca,   // no library loaded, or it lacks the entry point: nothing was called
        SemResposta,     // the library answered a null pointer
        Interrompida,    // the library stopped, or was given up, during the call
        NaoChamada,      // the helper could not make the call
    };
    Desfecho desfecho() const { return desfecho_; }

private:
    template <typename T>
    using TipoNaBiblioteca = std::conditional_t<std::is_same_v<T, QString>, const char*, int>;

    template <typename T> static sat::ArgumentoSat argumentoSat(const T& valor) {
        if constexpr (std::is_same_v<T, QString>)
            return platform::toAnsi(valor).toStdString();
        else
            return static_cast<int>(valor);
    }

    bool chamar(int indice, std::vector<sat::ArgumentoSat> argumentos);

    Avisos& ui_;
    std::unique_ptr<sat::Executor> executor_;
    sat::GeradorSessao sessoes_;
    ObservadorDoCaminho* observador_ = nullptr;
    QString numsessao_;
    QByteArray retorno_;
    QString emCurso_;
    Desfecho desfecho_ = Desfecho::Nenhum;
};
