// rede: the network settings sent to the device, in the document the page writes.
#include "cli/codigo.h"
#include "cli/comando.h"
#include "comandos/operacoes.h"
#include "settings/confrede.h"
#include "settings/parameterstore.h"

namespace cli {

namespace {

// The network settings as the page's lists and boxes give them, by the store's names.
struct CampoDeRede {
    const char* opcao;
    const char* campo;
};
constexpr CampoDeRede camposDeRede[] = {
    {"interface", "tipoInter"},
    {"ssid", "SSID"},
    {"seguranca", "seg"},
    {"chave", "codigo"},
    {"tipo-lan", "tipoLan"},
    {"ip", "lanIP"},
    {"mascara", "lanMask"},
    {"gateway", "lanGW"},
    {"dns1", "lanDNS1"},
    {"dns2", "lanDNS2"},
    {"usuario", "usuario"},
    {"senha", "senha"},
    {"proxy", "proxy"},
    {"proxy-ip", "proxy_ip"},
    {"proxy-porta", "proxy_porta"},
    {"proxy-usuario", "proxy_user"},
    {"proxy-senha", "proxy_senha"},
};

class Rede final : public Comando {
public:
    Rede()
        : Comando(
              "rede", "Config. da Rede: envia ao SAT a configuração da interface de rede.",
              {opcaoArquivoCodigo,
               {"interface", "Tipo de Interface: ETHE (o padrão) ou WIFI.", "TIPO"},
               {"ssid", "SSID da rede sem fio.", "SSID"},
               {"seguranca", "Segurança da rede sem fio: NONE, WEP, WPA-PERS ou WPA PROF.", "TIPO"},
               {"chave", "Chave da rede sem fio.", "CHAVE"},
               {"tipo-lan", "Tipo de LAN: DHCP (o padrão), IPFIX (IP fixo) ou PPPoE.", "TIPO"},
               {"ip", "IP (IP fixo).", "IP"},
               {"mascara", "Máscara (IP fixo).", "MASCARA"},
               {"gateway", "Gateway (IP fixo).", "IP"},
               {"dns1", "DNS 1 (IP fixo).", "IP"},
               {"dns2", "DNS 2 (IP fixo).", "IP"},
               {"usuario", "Usuário (PPPoE).", "USUARIO"},
               {"senha", "Senha (PPPoE).", "SENHA"},
               {"proxy", "Proxy: 0 (NÃO USA, o padrão), 1 (COM CONFIGURAÇÃO) ou 2 (TRANSPARENTE).", "N"},
               {"proxy-ip", "IP do proxy.", "IP"},
               {"proxy-porta", "Porta do proxy.", "PORTA"},
               {"proxy-usuario", "Usuário do proxy.", "USUARIO"},
               {"proxy-senha", "Senha do proxy.", "SENHA"},
               {"saida", "Pasta onde gravar o ConfRede.xml enviado, como a janela grava ao lado do programa.",
                "PASTA"}}) {}

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        auto lido = lerCodigo(p, console, variavelDoCodigo, QStringLiteral("arquivo-codigo"),
                              QStringLiteral("Código de Ativação do SAT"), false);
        if (auto* fim = std::get_if<Fim>(&lido))
            return *fim;
        const QString codigo = std::get<CodigoLido>(lido).codigo; // sent as typed, as the page does
        if (const comandos::Recusa recusa = comandos::verificarCodigo(codigo))
            return Fim{ErroDeUso, *recusa};

        // The document is built by the same writer as the page's, from a record of the
        // store's fields that lives in memory only: the command line never writes
        // Parametros.xml.
        settings::ParameterStore registro;
        if (const settings::StoreResult aberto =
                registro.open(QStringLiteral(":/sem-arquivo/Parametros.xml"));
            !aberto)
            return Fim{ErroDeUso, aberto.message()};
        registro.edit();
        registro.setText(u"tipoInter", QStringLiteral("ETHE"));
        registro.setText(u"tipoLan", QStringLiteral("DHCP"));
        registro.setText(u"proxy", QStringLiteral("0"));
        for (const CampoDeRede& campo : camposDeRede)
            if (p.isSet(QLatin1String(campo.opcao)))
                registro.setText(QString::fromLatin1(campo.campo), p.value(QLatin1String(campo.opcao)));
        registro.post();
        const std::optional<QByteArray> documento = settings::documentoConfRede(registro);
        if (!documento)
            return Fim{ErroDeUso, QStringLiteral("Um dos valores contém caracteres que o XML não admite.")};
        if (p.isSet(QStringLiteral("saida"))) {
            QString motivo;
            if (!settings::geraxml(registro, p.value(QStringLiteral("saida")), &motivo))
                return Fim{ErroDeUso,
                           QStringLiteral("Não foi possível gravar o arquivo ConfRede.xml: %1.").arg(motivo)};
        }
        // What the device receives is the document as the window reads it back from the file.
        const QByteArray enviado = settings::semQuebrasDeLinha(*documento);
        return Execucao([=](Contexto& c) {
            if (!comandos::configurarRede(c.caminho, codigo, enviado))
                return desfechoSemResposta(c.caminho);
            return lerResposta(c, comandos::redeConfigurada, &comandos::mensagemDaRede);
        });
    }
};

} // namespace

const Comando& subcomando::rede() {
    static const Rede comando;
    return comando;
}

} // namespace cli
