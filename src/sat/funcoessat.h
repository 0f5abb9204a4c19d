#pragma once

#include <type_traits>

// The 17 entry points of a SAT library, in the order the console binds them.
// Every entry point takes the session number first and answers a NUL-terminated
// 8-bit text owned by the library, valid until its next call: callers copy it at once.

#if defined(_WIN32) && !defined(_WIN64)
#define SAT_CALL __stdcall
#else
#define SAT_CALL
#endif

namespace sat {

struct FuncoesSAT {
    using TComunicarCertificadoICPBRASIL = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao,
                                                                   const char* certificado);
    using TEnviarDadosVenda = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao,
                                                      const char* dadosVenda);
    using TCancelarUltimaVenda = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao, const char* chave,
                                                         const char* dadosCancelamento);
    using TConsultarSAT = const char*(SAT_CALL*)(int sessao);
    using TTesteFimAFim = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao, const char* dadosVenda);
    using TConsultarStatusOperacional = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao);
    using TConsultarNumeroSessao = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao,
                                                           int sessaoConsultada);
    using TAssociarAssinatura = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao,
                                                        const char* cnpjs, const char* assinatura);
    using TAtualizarSoftwareSAT = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao);
    using TExtrairLogs = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao);
    using TBloquearSAT = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao);
    using TDesbloquearSAT = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao);
    using TTrocarCodigoDeAtivacao = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao, int opcao,
                                                            const char* novoCodigo, const char* confirmacao);
    using TConfigurarInterfaceDeRede = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao,
                                                               const char* dadosConfiguracao);
    using TAtivarSAT = const char*(SAT_CALL*)(int sessao, int subComando, const char* codigoAtivacao,
                                               const char* cnpj, int codigoUF);
    using TSetDriver = const char*(SAT_CALL*)(int sessao, const char* driver);
    using TConsultarUltimaSessaoFiscal = const char*(SAT_CALL*)(int sessao, const char* codigoAtivacao);

    TComunicarCertificadoICPBRASIL ComunicarCertificadoICPBRASIL = nullptr;
    TEnviarDadosVenda EnviarDadosVenda = nullptr;
    TCancelarUltimaVenda CancelarUltimaVenda = nullptr;
    TConsultarSAT ConsultarSAT = nullptr;
    TTesteFimAFim TesteFimAFim = nullptr;
    TConsultarStatusOperacional ConsultarStatusOperacional = nullptr;
    TConsultarNumeroSessao ConsultarNumeroSessao = nullptr;
    TAssociarAssinatura AssociarAssinatura = nullptr;
    TAtualizarSoftwareSAT AtualizarSoftwareSAT = nullptr;
    TExtrairLogs ExtrairLogs = nullptr;
    TBloquearSAT BloquearSAT = nullptr;
    TDesbloquearSAT DesbloquearSAT = nullptr;
    TTrocarCodigoDeAtivacao TrocarCodigoDeAtivacao = nullptr;
    TConfigurarInterfaceDeRede ConfigurarInterfaceDeRede = nullptr;
    TAtivarSAT AtivarSAT = nullptr;
    TSetDriver SetDriver = nullptr;
    TConsultarUltimaSessaoFiscal ConsultarUltimaSessaoFiscal = nullptr;
};

// A slot as a type: its pointer to member is `Slot<...>::value`, usable where a
// constant is needed.
template <auto Membro>
using Slot = std::integral_constant<decltype(Membro), Membro>;

// Visits the 17 slots in table order as (exported name, Slot<pointer to member>):
// the one list from which binding and naming are derived.
template <typename Visitor>
constexpr void paraCadaFuncao(Visitor&& visita) {
    visita("ComunicarCertificadoICPBRASIL", Slot<&FuncoesSAT::ComunicarCertificadoICPBRASIL>{});
    visita("EnviarDadosVenda", Slot<&FuncoesSAT::EnviarDadosVenda>{});
    visita("CancelarUltimaVenda", Slot<&FuncoesSAT::CancelarUltimaVenda>{});
    visita("ConsultarSAT", Slot<&FuncoesSAT::ConsultarSAT>{});
    visita("TesteFimAFim", Slot<&FuncoesSAT::TesteFimAFim>{});
    visita("ConsultarStatusOperacional", Slot<&FuncoesSAT::ConsultarStatusOperacional>{});
    visita("ConsultarNumeroSessao", Slot<&FuncoesSAT::ConsultarNumeroSessao>{});
    visita("AssociarAssinatura", Slot<&FuncoesSAT::AssociarAssinatura>{});
    visita("AtualizarSoftwareSAT", Slot<&FuncoesSAT::AtualizarSoftwareSAT>{});
    visita("ExtrairLogs", Slot<&FuncoesSAT::ExtrairLogs>{});
    visita("BloquearSAT", Slot<&FuncoesSAT::BloquearSAT>{});
    visita("DesbloquearSAT", Slot<&FuncoesSAT::DesbloquearSAT>{});
    visita("TrocarCodigoDeAtivacao", Slot<&FuncoesSAT::TrocarCodigoDeAtivacao>{});
    visita("ConfigurarInterfaceDeRede", Slot<&FuncoesSAT::ConfigurarInterfaceDeRede>{});
    visita("AtivarSAT", Slot<&FuncoesSAT::AtivarSAT>{});
    visita("SetDriver", Slot<&FuncoesSAT::SetDriver>{});
    visita("ConsultarUltimaSessaoFiscal", Slot<&FuncoesSAT::ConsultarUltimaSessaoFiscal>{});
}

// The exported name of a slot, e.g. nomeDaFuncao(&FuncoesSAT::AtivarSAT) == "AtivarSAT".
template <typename Ponteiro>
const char* nomeDaFuncao(Ponteiro FuncoesSAT::*slot) {
    const char* nome = "";
    paraCadaFuncao([&](const char* candidato, auto membro) {
        if constexpr (std::is_same_v<typename decltype(membro)::value_type, Ponteiro FuncoesSAT::*>) {
            if (membro.value == slot)
                nome = candidato;
        }
    });
    return nome;
}

} // namespace sat
