#include "app/caminhosat.h"

CaminhoSat::CaminhoSat(Interacao& ui, std::unique_ptr<sat::Executor> executor, sat::GeradorSessao sessoes)
    : ui_(ui), executor_(executor ? std::move(executor) : std::make_unique<sat::ExecutorLocal>()),
      sessoes_(std::move(sessoes)) {}

bool CaminhoSat::chamar(int indice, std::vector<sat::ArgumentoSat> argumentos) {
    const QString nome = QString::fromLatin1(sat::nomeDaFuncao(indice));
    if (!executor_->vinculada()) {
        ui_.mensagem(
            QStringLiteral("Nenhuma biblioteca SAT está carregada: a função %1 não pode ser chamada.")
                .arg(nome));
        return false;
    }
    if (!executor_->possui(indice)) {
        ui_.mensagem(QStringLiteral("A biblioteca SAT carregada não possui a função %1.").arg(nome));
        return false;
    }

    if (observador_ != nullptr)
        observador_->antesDaChamada();
    numsessao_ = sessoes_.geranumsessao();
    std::optional<QByteArray> resposta;
    try {
        resposta = executor_->chamar({indice, numsessao_.toInt(), std::move(argumentos)});
    } catch (...) {
        // The pointer and the status bar never stay in their waiting state.
        retorno_.clear();
        if (observador_ != nullptr)
            observador_->depoisDaChamada(numsessao_, retorno_);
        throw;
    }
    retorno_ = resposta.value_or(QByteArray());
    if (observador_ != nullptr)
        observador_->depoisDaChamada(numsessao_, retorno_);

    if (!resposta) {
        ui_.mensagem(QStringLiteral("A biblioteca SAT não devolveu resposta à função %1.").arg(nome));
        return false;
    }
    return true;
}
