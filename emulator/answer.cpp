#include "answer.h"

#include "text.h"

#include <map>

namespace satemu {

namespace {

const std::map<std::string, std::string>& messages() {
    static const std::map<std::string, std::string> table = {
        {"04000", "Ativado corretamente"},
        {"04001", "Código de ativação inválido"},
        {"04002", "SEFAZ não reconhece este SAT (CNPJ inválido)"},
        {"04003", "SAT já ativado"},
        {"04005", "Erro de comunicação com a SEFAZ"},
        {"04006", "CSR ICP-BRASIL criado com sucesso"},
        {"04007", "Erro na criação do CSR ICP-BRASIL"},
        {"04008", "Código da UF inválido"},
        {"04009", "Subcomando inválido"},
        {"04099", "Erro desconhecido na ativação"},
        {"05000", "Certificado transmitido com sucesso"},
        {"05001", "Código de ativação inválido"},
        {"05002", "Certificado inválido"},
        {"05003", "Não há CSR ICP-BRASIL aguardando certificado"},
        {"05099", "Erro desconhecido"},
        {"06000", "Emitido com sucesso + conteúdo notas."},
        {"06001", "Código de ativação inválido."},
        {"06002", "SAT ainda não ativado."},
        {"06003", "SAT não vinculado ao AC."},
        {"06004", "Vinculação do AC não confere."},
        {"06005", "Tamanho do CF-e-SAT superior a 1.500KB."},
        {"06006", "SAT bloqueado pelo contribuinte."},
        {"06007", "SAT bloqueado pela SEFAZ."},
        {"06008", "SAT bloqueado por falta de comunicação."},
        {"06010", "Erro de validação do conteúdo."},
        {"06099", "Erro desconhecido na emissão."},
        {"07000", "Cupom cancelado com sucesso + conteúdo CF-eSAT cancelado."},
        {"07001", "Código de ativação inválido."},
        {"07002", "Cupom inválido."},
        {"07003", "SAT ainda não ativado."},
        {"07004", "Vinculação do AC não confere."},
        {"07005", "SAT bloqueado."},
        {"07006", "Erro de validação do conteúdo."},
        {"07099", "Erro desconhecido no cancelamento."},
        {"08000", "SAT em operação."},
        {"08097", "SAT bloqueado para desativação. Pressione o botão reset por 5 segundos."},
        {"08099", "Erro desconhecido."},
        {"09000", "Emitido com sucesso"},
        {"09001", "Código de ativação inválido"},
        {"09002", "SAT ainda não ativado"},
        {"09003", "SAT bloqueado"},
        {"09004", "Erro de validação do conteúdo"},
        {"09005", "SAT não vinculado ao AC"},
        {"09006", "Vinculação do AC não confere"},
        {"09099", "Erro desconhecido"},
        {"10000", "Resposta com Sucesso."},
        {"10001", "Código de ativação inválido."},
        {"10002", "SAT ainda não ativado."},
        {"10099", "Erro desconhecido."},
        {"11001", "Código de ativação inválido."},
        {"11002", "SAT ainda não ativado."},
        {"11003", "Sessão não existe."},
        {"11099", "Erro desconhecido."},
        {"12000", "Rede Configurada"},
        {"12001", "Código de ativação inválido."},
        {"12002", "Dados fora do padrão a ser informado"},
        {"12003", "SAT ainda não ativado."},
        {"12099", "Erro desconhecido"},
        {"13000", "Assinatura do AC Registrada"},
        {"13001", "Código de ativação inválido"},
        {"13002", "Erro de comunicação com a SEFAZ"},
        {"13003", "Assinatura fora do padrão informado"},
        {"13004", "CNPJ da Software House ou do contribuinte inválido"},
        {"13005", "CNPJ do contribuinte diferente do CNPJ do SAT ativado"},
        {"13006", "SAT ainda não ativado"},
        {"13099", "Erro desconhecido"},
        {"14000", "Software atualizado com sucesso"},
        {"14001", "Código de ativação inválido"},
        {"14002", "SAT ainda não ativado"},
        {"14003", "SAT já está com a versão mais recente do software básico"},
        {"14099", "Erro desconhecido"},
        {"15000", "Transferência completa"},
        {"15001", "Código de ativação inválido"},
        {"15002", "SAT ainda não ativado"},
        {"15099", "Erro desconhecido"},
        {"16000", "Equipamento SAT bloqueado com sucesso."},
        {"16001", "Código de ativação inválido."},
        {"16002", "SAT ainda não ativado."},
        {"16003", "SAT já bloqueado."},
        {"16099", "Erro desconhecido."},
        {"17000", "Equipamento SAT desbloqueado com sucesso."},
        {"17001", "Código de ativação inválido."},
        {"17002", "SAT ainda não ativado."},
        {"17003", "SAT não está bloqueado."},
        {"17004", "Bloqueio não pode ser desfeito pelo contribuinte."},
        {"17099", "Erro desconhecido."},
        {"18000", "Código de ativação alterado."},
        {"18001", "Código de ativação inválido."},
        {"18002", "Código de ativação de emergência incorreto."},
        {"18003", "SAT ainda não ativado."},
        {"18004", "Novo código de ativação inválido."},
        {"18005", "Confirmação do novo código de ativação não confere."},
        {"18006", "Opção inválida."},
        {"18099", "Erro desconhecido."},
        {"19001", "Código de ativação inválido."},
        {"19002", "SAT ainda não ativado."},
        {"19003", "Nenhuma sessão fiscal registrada."},
        {"19099", "Erro desconhecido."},
        {"20000", "Driver definido."},
        {"20001", "Driver desconhecido."},
        {"20099", "Erro desconhecido."},
    };
    return table;
}

} // namespace

std::string standardMessage(const std::string& code) {
    const auto& table = messages();
    const auto it = table.find(code);
    if (it != table.end())
        return it->second;
    if (code.size() == 5 && code.compare(2, 3, "098") == 0)
        return "SAT em processamento. Tente novamente.";
    return {};
}

Answer makeAnswer(int functionClass, int detail, const std::string& extra) {
    Answer a;
    a.code = zeroPad(functionClass, 2) + zeroPad(detail, 3);
    a.message = standardMessage(a.code);
    if (!extra.empty()) {
        if (!a.message.empty() && a.message.back() == '.')
            a.message.pop_back();
        a.message += ": " + extra;
    }
    return a;
}

std::string sessionText(int session) {
    return session >= 0 && session <= 999999 ? zeroPad(session, 6) : std::to_string(session);
}

std::string formatAnswer(int session, Layout layout, const Answer& a) {
    if (a.verbatim)
        return *a.verbatim;
    std::string out = sessionText(session) + "|" + a.code + "|";
    if (layout == Layout::WithAlert)
        out += a.alert + "|";
    // A "|" inside a text field would shift the fields that follow it.
    auto clean = [](std::string text) {
        for (char& c : text)
            if (c == '|' || c == '\n' || c == '\r')
                c = ' ';
        return text;
    };
    out += clean(a.message) + "|" + clean(a.sefazCode) + "|" + clean(a.sefazMessage);
    for (const auto& d : a.data)
        out += "|" + d;
    return out;
}

} // namespace satemu
