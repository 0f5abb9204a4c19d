#pragma once

#include "core/caminhosat.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QString>

class QLockFile;

// The device's state for a fleet monitor: one reading (the consult, then the status
// report) written in Prometheus' text format, the file that node_exporter's and
// windows_exporter's textfile collectors read from a folder. A scheduled job writes it;
// nothing here runs a server.
//
// The monitor shares the device with the store's sales: the device serves one call at a
// time and answers "xx098" while it is busy, so a reading waits and asks again a bounded
// number of times, and two readings never run at once on one workstation (Trava).
namespace metricas {

// Why a reading gave no status. Each kind is the value of the label `failure` of
// sat_reading_success, which alerts and dashboards group by.
enum class Falha {
    Nenhuma,
    Configuracao,  // no activation code, or one too short: nothing was sent
    SemBiblioteca, // the library did not load, or lacks the entry point
    Recusada,      // the device answered the status with another code (code refused, not activated)
    Ocupado,       // still busy ("xx098") after every attempt
    Parou,         // the library stopped (crashed, ended) during the call
    TempoEsgotado, // the call was given up at the time limit
    SemResposta,   // a null answer, or the helper could not make the call
    Ilegivel,      // an answer without a code
};
// "configuration", "no_library", "refused", "busy", "crashed", "timeout", "no_answer",
// "malformed"; "" for Nenhuma.
QString rotulo(Falha falha);

// How a busy device is waited for. The defaults give a sale about a minute: six
// attempts ten seconds apart, for the whole reading (consult and status together).
struct Repeticao {
    int tentativas = 6;
    std::chrono::milliseconds intervalo{10000};
    // Waits between two attempts; empty: the thread sleeps. Tests record instead.
    std::function<void(std::chrono::milliseconds)> esperar;
};

struct Leitura {
    Falha falha = Falha::Nenhuma;
    QByteArray codigo;     // the answer code behind a refusal or a busy device
    QByteArrayList status; // the fields of the status answer, when it was read
    QDateTime instante;    // when the status answer was given: halfway through its call
    QDateTime fim;         // when the reading ended
    int ocupado = 0;       // busy answers waited out (or given up on)
    double duracao = 0;    // seconds the whole reading took, waits included
};

// Whether an answer code says the device is busy ("xx098", any function).
bool ocupado(const QByteArray& codigo);

// The reading: the consult, then the status report, each call asked again after
// `repeticao.intervalo` while the device answers busy, with one budget of attempts for
// both. `esgotado` tells a call given up at the time limit from one that stopped;
// `relogio` is the workstation's clock (tests set it).
Leitura ler(CaminhoSat& caminho, const QString& codigo, const Repeticao& repeticao,
            const std::function<bool()>& esgotado = {}, const std::function<QDateTime()>& relogio = {});

// The text format: the reading's success (0 with the failure's kind as a label), its
// time and length, the time of the last good reading (this one's, or `ultimaBoa` kept
// from before: nothing when there was none), and, from a status read, the device's
// values. A field the device left empty or sent as zeros gives no sample.
QByteArray texto(const Leitura& leitura, std::optional<qint64> ultimaBoa);

// The time of the last good reading kept in an earlier file's text, if it holds one.
std::optional<qint64> ultimaLeituraBoa(const QByteArray& textoAnterior);

// A date of the device, AAAAMMDDhhmmss or AAAAMMDD (padding blanks aside), read in the
// workstation's time zone, as seconds since 1970; a date alone is its first second.
// Nothing for an empty value, all zeros, or what is no date.
std::optional<qint64> instanteDoDispositivo(const QString& valor);

// Writes the text over `caminho` atomically (a temporary file beside it, renamed over
// it), so that a collector never reads half a file; on Windows a collector that has the
// old file open makes the rename fail for a moment, so it is tried a few times.
bool gravar(const QString& caminho, const QByteArray& texto, QString* motivo = nullptr);

// The one reading of a workstation at a time: a lock file (QLockFile, which works the
// same on Windows and POSIX). A lock whose process has ended is taken over; a lock held
// by a running reading is never, however long it runs (every call has a time limit).
class Trava {
public:
    explicit Trava(const QString& caminho);
    ~Trava();
    Trava(const Trava&) = delete;
    Trava& operator=(const Trava&) = delete;

    // Takes the lock at once or not at all: false when another reading holds it (or the
    // file cannot be made), and motivo() says which process or why.
    bool obter();
    QString motivo() const { return motivo_; }

private:
    std::unique_ptr<QLockFile> arquivo_;
    QString motivo_;
};

// The lock all readings of a workstation share by default: in /run/lock on Linux, in
// %ProgramData% on Windows (the user's temporary folder where those cannot be written).
QString travaPadrao();

} // namespace metricas
