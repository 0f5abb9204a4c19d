// Small SAT libraries for the loading tests, built in three flavours:
//  - complete: all 17 entry points, each answering "<session>|<code>|<its name>|||";
//  - SATTESTE_PARCIAL: only ConsultarSAT, to show missing entry points;
//  - SATTESTE_NULA: ConsultarSAT answers a null pointer.
#include <cstdio>

#if defined(_WIN32)
#define EXPORTA extern "C" __declspec(dllexport)
#else
#define EXPORTA extern "C" __attribute__((visibility("default")))
#endif

namespace {
char resposta[128];

const char* responder(int sessao, const char* codigo, const char* nome) {
    std::snprintf(resposta, sizeof resposta, "%06d|%s|%s|||", sessao, codigo, nome);
    return resposta;
}
} // namespace

#if defined(SATTESTE_NULA)
EXPORTA const char* ConsultarSAT(int) { return nullptr; }
#else
EXPORTA const char* ConsultarSAT(int sessao) { return responder(sessao, "08000", "ConsultarSAT"); }
#endif

#if !defined(SATTESTE_PARCIAL) && !defined(SATTESTE_NULA)
#define SOMENTE_CODIGO(nome, codigo)                                                                             \
    EXPORTA const char* nome(int sessao, const char*) { return responder(sessao, codigo, #nome); }

EXPORTA const char* ComunicarCertificadoICPBRASIL(int s, const char*, const char*) {
    return responder(s, "05000", "ComunicarCertificadoICPBRASIL");
}
EXPORTA const char* EnviarDadosVenda(int s, const char*, const char*) { return responder(s, "06000", "EnviarDadosVenda"); }
EXPORTA const char* CancelarUltimaVenda(int s, const char*, const char*, const char*) {
    return responder(s, "07000", "CancelarUltimaVenda");
}
EXPORTA const char* TesteFimAFim(int s, const char*, const char*) { return responder(s, "09000", "TesteFimAFim"); }
SOMENTE_CODIGO(ConsultarStatusOperacional, "10000")
EXPORTA const char* ConsultarNumeroSessao(int s, const char*, int) {
    return responder(s, "11000", "ConsultarNumeroSessao");
}
EXPORTA const char* AssociarAssinatura(int s, const char*, const char*, const char*) {
    return responder(s, "13000", "AssociarAssinatura");
}
SOMENTE_CODIGO(AtualizarSoftwareSAT, "14000")
SOMENTE_CODIGO(ExtrairLogs, "15000")
SOMENTE_CODIGO(BloquearSAT, "16000")
SOMENTE_CODIGO(DesbloquearSAT, "17000")
EXPORTA const char* TrocarCodigoDeAtivacao(int s, const char*, int, const char*, const char*) {
    return responder(s, "18000", "TrocarCodigoDeAtivacao");
}
EXPORTA const char* ConfigurarInterfaceDeRede(int s, const char*, const char*) {
    return responder(s, "12000", "ConfigurarInterfaceDeRede");
}
EXPORTA const char* AtivarSAT(int s, int, const char*, const char*, int) { return responder(s, "04000", "AtivarSAT"); }
SOMENTE_CODIGO(SetDriver, "00000")
SOMENTE_CODIGO(ConsultarUltimaSessaoFiscal, "19000")
#endif
