#pragma once

#include <QString>
#include <QTime>

#include <array>
#include <cstdint>
#include <functional>

namespace sat {

// Hands out the six-digit session numbers that every library call carries.
// Each draw re-seeds a linear congruential generator from the wall clock, and a
// number is never repeated among the last 100 handed out: the device refuses or
// confuses a session number it has just seen.
class GeradorSessao {
public:
    using Relogio = std::function<QTime()>;

    explicit GeradorSessao(Relogio relogio = &QTime::currentTime);

    // A new number, "000001" to "999998". Draws that fall inside the same
    // millisecond give the same candidate, so a repeated candidate waits for the
    // clock to move on.
    QString geranumsessao();

    // One candidate for the clock time t, without looking at the ring.
    static QString candidato(const QTime& t);

    const std::array<QString, 100>& sessoesusadas() const { return sessoesusadas_; }

private:
    bool usado(const QString& numero) const;

    Relogio relogio_;
    std::array<QString, 100> sessoesusadas_;
    std::size_t indice_ = 0;
};

} // namespace sat
