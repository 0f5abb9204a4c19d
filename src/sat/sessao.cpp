#include "sat/sessao.h"

#include <algorithm>

namespace sat {

GeradorSessao::GeradorSessao(Relogio relogio) : relogio_(std::move(relogio)) {}

QString GeradorSessao::candidato(const QTime& t) {
    // The seed is a 16-bit sum: only its low 16 bits count.
    const auto h = static_cast<std::uint32_t>(t.hour());
    const auto m = static_cast<std::uint32_t>(t.minute());
    const auto s = static_cast<std::uint32_t>(t.second());
    const auto ms = static_cast<std::uint32_t>(t.msec());
    std::uint32_t estado = (h * 999u + m * 9999u + s + ms * 34463u) & 0xFFFFu;

    estado = estado * 134775813u + 1u; // modulo 2^32 by unsigned wrap-around
    const auto r = static_cast<std::uint32_t>((static_cast<std::uint64_t>(estado) * 999998u) >> 32);
    return QStringLiteral("%1").arg(r + 1u, 6, 10, QLatin1Char('0'));
}

bool GeradorSessao::usado(const QString& numero) const {
    return std::find(sessoesusadas_.begin(), sessoesusadas_.end(), numero) != sessoesusadas_.end();
}

QString GeradorSessao::geranumsessao() {
    QString numero = candidato(relogio_());
    while (usado(numero))
        numero = candidato(relogio_());
    sessoesusadas_[indice_] = numero;
    indice_ = (indice_ + 1) % sessoesusadas_.size();
    return numero;
}

} // namespace sat
