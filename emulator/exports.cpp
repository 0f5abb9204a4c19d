// The exported entry points: each one serializes the call, runs it on the
// device and keeps the answer in a per-thread buffer until the thread's next call.
#include "device.h"
#include "operations.h"
#include "satemu.h"

#include <cstdio>
#include <mutex>
#include <string>

using namespace satemu;

namespace {

std::mutex g_device;
thread_local std::string t_answer;
thread_local char t_fallback[64];

std::string arg(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

const char* run(Fn fn, int session, const Operation& op) {
    try {
        std::lock_guard<std::mutex> lock(g_device);
        t_answer = callDevice(fn, session, op);
    } catch (...) {
        // Only a failure to allocate the answer itself gets here: answer without allocating.
        std::snprintf(t_fallback, sizeof t_fallback, "%06d|%02d099|Erro desconhecido||", session,
                      describe(fn).functionClass);
        return t_fallback;
    }
    return t_answer.c_str();
}

} // namespace

extern "C" {

const char* SATEMU_CALL ComunicarCertificadoICPBRASIL(int numeroSessao, const char* codigoDeAtivacao,
                                                      const char* certificado) {
    return run(Fn::ComunicarCertificadoICPBRASIL, numeroSessao, [&](Context& c) {
        return ops::comunicarCertificado(c, arg(codigoDeAtivacao), arg(certificado));
    });
}

const char* SATEMU_CALL EnviarDadosVenda(int numeroSessao, const char* codigoDeAtivacao,
                                         const char* dadosVenda) {
    return run(Fn::EnviarDadosVenda, numeroSessao,
               [&](Context& c) { return ops::enviarDadosVenda(c, arg(codigoDeAtivacao), arg(dadosVenda)); });
}

const char* SATEMU_CALL CancelarUltimaVenda(int numeroSessao, const char* codigoDeAtivacao, const char* chave,
                                            const char* dadosCancelamento) {
    return run(Fn::CancelarUltimaVenda, numeroSessao, [&](Context& c) {
        return ops::cancelarUltimaVenda(c, arg(codigoDeAtivacao), arg(chave), arg(dadosCancelamento));
    });
}

const char* SATEMU_CALL ConsultarSAT(int numeroSessao) {
    return run(Fn::ConsultarSAT, numeroSessao, [&](Context& c) { return ops::consultarSat(c); });
}

const char* SATEMU_CALL TesteFimAFim(int numeroSessao, const char* codigoDeAtivacao, const char* dadosVenda) {
    return run(Fn::TesteFimAFim, numeroSessao,
               [&](Context& c) { return ops::testeFimAFim(c, arg(codigoDeAtivacao), arg(dadosVenda)); });
}

const char* SATEMU_CALL ConsultarStatusOperacional(int numeroSessao, const char* codigoDeAtivacao) {
    return run(Fn::ConsultarStatusOperacional, numeroSessao,
               [&](Context& c) { return ops::consultarStatus(c, arg(codigoDeAtivacao)); });
}

const char* SATEMU_CALL ConsultarNumeroSessao(int numeroSessao, const char* codigoDeAtivacao,
                                              int cNumeroDeSessao) {
    return run(Fn::ConsultarNumeroSessao, numeroSessao, [&](Context& c) {
        return ops::consultarNumeroSessao(c, arg(codigoDeAtivacao), cNumeroDeSessao);
    });
}

const char* SATEMU_CALL AssociarAssinatura(int numeroSessao, const char* codigoDeAtivacao,
                                           const char* CNPJvalue, const char* assinaturaCNPJs) {
    return run(Fn::AssociarAssinatura, numeroSessao, [&](Context& c) {
        return ops::associarAssinatura(c, arg(codigoDeAtivacao), arg(CNPJvalue), arg(assinaturaCNPJs));
    });
}

const char* SATEMU_CALL AtualizarSoftwareSAT(int numeroSessao, const char* codigoDeAtivacao) {
    return run(Fn::AtualizarSoftwareSAT, numeroSessao,
               [&](Context& c) { return ops::atualizarSoftware(c, arg(codigoDeAtivacao)); });
}

const char* SATEMU_CALL ExtrairLogs(int numeroSessao, const char* codigoDeAtivacao) {
    return run(Fn::ExtrairLogs, numeroSessao,
               [&](Context& c) { return ops::extrairLogs(c, arg(codigoDeAtivacao)); });
}

const char* SATEMU_CALL BloquearSAT(int numeroSessao, const char* codigoDeAtivacao) {
    return run(Fn::BloquearSAT, numeroSessao,
               [&](Context& c) { return ops::bloquear(c, arg(codigoDeAtivacao)); });
}

const char* SATEMU_CALL DesbloquearSAT(int numeroSessao, const char* codigoDeAtivacao) {
    return run(Fn::DesbloquearSAT, numeroSessao,
               [&](Context& c) { return ops::desbloquear(c, arg(codigoDeAtivacao)); });
}

const char* SATEMU_CALL TrocarCodigoDeAtivacao(int numeroSessao, const char* codigoDeAtivacao, int opcao,
                                               const char* novoCodigo, const char* confNovoCodigo) {
    return run(Fn::TrocarCodigoDeAtivacao, numeroSessao, [&](Context& c) {
        return ops::trocarCodigo(c, arg(codigoDeAtivacao), opcao, arg(novoCodigo), arg(confNovoCodigo));
    });
}

const char* SATEMU_CALL ConfigurarInterfaceDeRede(int numeroSessao, const char* codigoDeAtivacao,
                                                  const char* dadosConfiguracao) {
    return run(Fn::ConfigurarInterfaceDeRede, numeroSessao, [&](Context& c) {
        return ops::configurarRede(c, arg(codigoDeAtivacao), arg(dadosConfiguracao));
    });
}

const char* SATEMU_CALL AtivarSAT(int numeroSessao, int subComando, const char* codigoDeAtivacao,
                                  const char* CNPJ, int cUF) {
    return run(Fn::AtivarSAT, numeroSessao,
               [&](Context& c) { return ops::ativar(c, subComando, arg(codigoDeAtivacao), arg(CNPJ), cUF); });
}

const char* SATEMU_CALL SetDriver(int numeroSessao, const char* driver) {
    return run(Fn::SetDriver, numeroSessao, [&](Context& c) { return ops::setDriver(c, arg(driver)); });
}

const char* SATEMU_CALL ConsultarUltimaSessaoFiscal(int numeroSessao, const char* codigoDeAtivacao) {
    return run(Fn::ConsultarUltimaSessaoFiscal, numeroSessao,
               [&](Context& c) { return ops::consultarUltimaSessaoFiscal(c, arg(codigoDeAtivacao)); });
}

} // extern "C"
