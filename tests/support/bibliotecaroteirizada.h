#pragma once

#include "sat/funcoessat.h"

#include <QByteArray>
#include <QList>
#include <QVariant>

#include <deque>
#include <optional>

// A SAT library table whose 17 entry points record what they receive and answer
// from a queue, as C function pointers the console calls like the real ones.
namespace roteiro {

struct Chamada {
    QString funcao;
    int sessao;
    QVariantList argumentos; // texts as QByteArray (the 8-bit bytes received), integers as int
};

// The table with every slot filled.
sat::FuncoesSAT funcoes();

// Queues the next answer; "{sessao}" in it becomes the session number received.
// std::nullopt makes the entry point answer a null pointer.
void responder(std::optional<QByteArray> resposta);

// What was called since the last limpar(), in order.
const QList<Chamada>& chamadas();

// Forgets the calls and the queued answers.
void limpar();

// Answers still queued: a test that queued more than was called checks this.
std::size_t respostasPendentes();

} // namespace roteiro
