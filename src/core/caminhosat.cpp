#include "core/caminhosat.h"

CaminhoSat::CaminhoSat(Avisos& ui, std::unique_ptr<sat::Executor> executor, sat::GeradorSessao sessoes)
    : ui_(ui), executor_(executor ? std::move(executor) : std::make_unique<sat::ExecutorLocal>()),
      sessoes_(std::move(sessoes)) {}

bool CaminhoSat::chamar(int indice, std::vector<sat::ArgumentoSat> argumentos) {
    const QString nome = QString::fromLatin1(sat::nomeDaFuncao(indice));
    desfecho_ = Desfecho::SemBiblioteca;
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
    emCurso_ = nome;
    sat::RespostaSat resposta;
    try {
        resposta = executor_->chamar({indice, numsessao_.toInt(), std::move(argumentos)});
    } catch (...) {
        // The pointer and the status bar never stay in their waiting state.
        desfecho_ = Desfecho::NaoChamada;
        emCurso_.clear();
        retorno_.clear();
        if (observador_ != nullptr)
            observador_->depoisDaChamada(numsessao_, retorno_);
        throw;
    }
    emCurso_.clear();
    retorno_ = resposta.tipo == sat::RespostaSat::Tipo::Texto ? std::move(resposta.bytes) : QByteArray();
    if (observador_ != nullptr)
        observador_->depoisDaChamada(numsessao_, retorno_);

    switch (resposta.tipo) {
    case sat::RespostaSat::Tipo::Texto:
        desfecho_ = Desfecho::Respondeu;
        return true;
    case sat::RespostaSat::Tipo::Nula:
        desfecho_ = Desfecho::SemResposta;
        ui_.mensagem(QStringLiteral("A biblioteca SAT não devolveu resposta à função %1.").arg(nome));
        break;
    case sat::RespostaSat::Tipo::Interrompida:
        desfecho_ = Desfecho::Interrompida;
        ui_.mensagem(QStringLiteral("A biblioteca SAT parou durante a função %1 (%2).\n\n"
                                    "O estado do SAT é desconhecido: a operação pode ter sido feita ou não. "
                                    "Consulte o SAT (botão \"Consultar SAT\") antes de repeti-la. "
                                    "A biblioteca será carregada de novo no próximo comando.")
                         .arg(nome, resposta.motivo));
        break;
    case sat::RespostaSat::Tipo::Indisponivel:
        desfecho_ = Desfecho::NaoChamada;
        ui_.mensagem(QStringLiteral("A função %1 não foi chamada: %2.").arg(nome, resposta.motivo));
        break;
    }
    return false;
}
