// What the emulated device does for each entry point, on the state loaded
// for the call.
#ifndef SATEMU_OPERATIONS_H
#define SATEMU_OPERATIONS_H

#include "device.h"

#include <string>

namespace satemu::ops {

Answer comunicarCertificado(Context& c, const std::string& code, const std::string& certificate);
Answer enviarDadosVenda(Context& c, const std::string& code, const std::string& sale);
Answer cancelarUltimaVenda(Context& c, const std::string& code, const std::string& key,
                           const std::string& request);
Answer consultarSat(Context& c);
Answer testeFimAFim(Context& c, const std::string& code, const std::string& document);
Answer consultarStatus(Context& c, const std::string& code);
Answer consultarNumeroSessao(Context& c, const std::string& code, int asked);
Answer associarAssinatura(Context& c, const std::string& code, const std::string& cnpjs,
                          const std::string& signature);
Answer atualizarSoftware(Context& c, const std::string& code);
Answer extrairLogs(Context& c, const std::string& code);
Answer bloquear(Context& c, const std::string& code);
Answer desbloquear(Context& c, const std::string& code);
Answer trocarCodigo(Context& c, const std::string& code, int option, const std::string& newCode,
                    const std::string& confirmation);
Answer configurarRede(Context& c, const std::string& code, const std::string& document);
Answer ativar(Context& c, int subCommand, const std::string& code, const std::string& cnpj, int uf);
Answer setDriver(Context& c, const std::string& driver);
Answer consultarUltimaSessaoFiscal(Context& c, const std::string& code);

} // namespace satemu::ops

#endif
