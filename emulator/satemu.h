// satemu: an emulated SAT device packaged as a SAT library.
//
// The 17 entry points below are exported with C linkage and plain (cdecl)
// calling convention. Every one takes the caller's session number first and
// returns a NUL-terminated 8-bit text owned by the library: it stays valid until
// the next call made on the same thread. Text arguments may be null (read as
// empty). Calls from several threads are serialized.
#ifndef SATEMU_H
#define SATEMU_H

#if defined(_WIN32)
#if defined(SATEMU_BUILDING)
#define SATEMU_API __declspec(dllexport)
#else
#define SATEMU_API __declspec(dllimport)
#endif
#else
#define SATEMU_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

SATEMU_API const char* ComunicarCertificadoICPBRASIL(int numeroSessao, const char* codigoDeAtivacao,
                                                     const char* certificado);
SATEMU_API const char* EnviarDadosVenda(int numeroSessao, const char* codigoDeAtivacao,
                                        const char* dadosVenda);
SATEMU_API const char* CancelarUltimaVenda(int numeroSessao, const char* codigoDeAtivacao, const char* chave,
                                           const char* dadosCancelamento);
SATEMU_API const char* ConsultarSAT(int numeroSessao);
SATEMU_API const char* TesteFimAFim(int numeroSessao, const char* codigoDeAtivacao, const char* dadosVenda);
SATEMU_API const char* ConsultarStatusOperacional(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* ConsultarNumeroSessao(int numeroSessao, const char* codigoDeAtivacao,
                                             int cNumeroDeSessao);
SATEMU_API const char* AssociarAssinatura(int numeroSessao, const char* codigoDeAtivacao,
                                          const char* CNPJvalue, const char* assinaturaCNPJs);
SATEMU_API const char* AtualizarSoftwareSAT(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* ExtrairLogs(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* BloquearSAT(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* DesbloquearSAT(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* TrocarCodigoDeAtivacao(int numeroSessao, const char* codigoDeAtivacao, int opcao,
                                              const char* novoCodigo, const char* confNovoCodigo);
SATEMU_API const char* ConfigurarInterfaceDeRede(int numeroSessao, const char* codigoDeAtivacao,
                                                 const char* dadosConfiguracao);
SATEMU_API const char* AtivarSAT(int numeroSessao, int subComando, const char* codigoDeAtivacao,
                                 const char* CNPJ, int cUF);
SATEMU_API const char* SetDriver(int numeroSessao, const char* driver);
SATEMU_API const char* ConsultarUltimaSessaoFiscal(int numeroSessao, const char* codigoDeAtivacao);

#ifdef __cplusplus
}
#endif

#endif
