// satemu: an emulated SAT device packaged as a SAT library.
//
// The 17 entry points below are exported with C linkage and plain (cdecl)
// calling convention; a 32-bit Windows build with SATEMU_STDCALL defined makes them
// stdcall instead, as many makers' libraries are. Every one takes the caller's session number first and
// returns a NUL-terminated 8-bit text owned by the library: it stays valid until
// the next call made on the same thread. Text arguments may be null (read as
// empty). Calls from several threads are serialized.
#ifndef SATEMU_H
#define SATEMU_H

#if defined(_WIN32)
#if defined(SATEMU_BUILDING) && defined(SATEMU_DEF_FILE)
#define SATEMU_API // the exported names come from the .def file
#elif defined(SATEMU_BUILDING)
#define SATEMU_API __declspec(dllexport)
#else
#define SATEMU_API __declspec(dllimport)
#endif
#else
#define SATEMU_API __attribute__((visibility("default")))
#endif

#if defined(_WIN32) && !defined(_WIN64) && defined(SATEMU_STDCALL)
#define SATEMU_CALL __stdcall
#else
#define SATEMU_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

SATEMU_API const char* SATEMU_CALL ComunicarCertificadoICPBRASIL(int numeroSessao,
                                                                 const char* codigoDeAtivacao,
                                                                 const char* certificado);
SATEMU_API const char* SATEMU_CALL EnviarDadosVenda(int numeroSessao, const char* codigoDeAtivacao,
                                                    const char* dadosVenda);
SATEMU_API const char* SATEMU_CALL CancelarUltimaVenda(int numeroSessao, const char* codigoDeAtivacao,
                                                       const char* chave, const char* dadosCancelamento);
SATEMU_API const char* SATEMU_CALL ConsultarSAT(int numeroSessao);
SATEMU_API const char* SATEMU_CALL TesteFimAFim(int numeroSessao, const char* codigoDeAtivacao,
                                                const char* dadosVenda);
SATEMU_API const char* SATEMU_CALL ConsultarStatusOperacional(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* SATEMU_CALL ConsultarNumeroSessao(int numeroSessao, const char* codigoDeAtivacao,
                                                         int cNumeroDeSessao);
SATEMU_API const char* SATEMU_CALL AssociarAssinatura(int numeroSessao, const char* codigoDeAtivacao,
                                                      const char* CNPJvalue, const char* assinaturaCNPJs);
SATEMU_API const char* SATEMU_CALL AtualizarSoftwareSAT(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* SATEMU_CALL ExtrairLogs(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* SATEMU_CALL BloquearSAT(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* SATEMU_CALL DesbloquearSAT(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* SATEMU_CALL TrocarCodigoDeAtivacao(int numeroSessao, const char* codigoDeAtivacao,
                                                          int opcao, const char* novoCodigo,
                                                          const char* confNovoCodigo);
SATEMU_API const char* SATEMU_CALL ConfigurarInterfaceDeRede(int numeroSessao, const char* codigoDeAtivacao,
                                                             const char* dadosConfiguracao);
SATEMU_API const char* SATEMU_CALL AtivarSAT(int numeroSessao, int subComando, const char* codigoDeAtivacao,
                                             const char* CNPJ, int cUF);
SATEMU_API const char* SATEMU_CALL SetDriver(int numeroSessao, const char* driver);
SATEMU_API const char* SATEMU_CALL ConsultarUltimaSessaoFiscal(int numeroSessao,
                                                               const char* codigoDeAtivacao);

#ifdef __cplusplus
}
#endif

#endif
