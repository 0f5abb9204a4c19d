#include "cli/linhadecomando.h"

#include "comandos/conteudolog.h"
#include "comandos/operacoes.h"
#include "comandos/status.h"
#include "comandos/teste.h"
#include "nucleo/caminhosat.h"
#include "nucleo/carga.h"
#include "nucleo/texto.h"
#include "platform/codepage.h"
#include "platform/terminal.h"
#include "sat/executorremoto.h"
#include "sat/resposta.h"
#include "settings/atomicfile.h"
#include "settings/confrede.h"
#include "settings/parameterstore.h"
#include "validation/cnpj.h"

#include <cstdio>
#include <functional>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>

namespace cli {

namespace {

void escrever(std::FILE* destino, const QString& texto) {
    const QByteArray bytes = texto.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), destino);
    std::fflush(destino);
}

void linhaNaSaida(const QString& texto) { escrever(stdout, texto + u'\n'); }
void linhaNoErro(const QString& texto) { escrever(stderr, texto + u'\n'); }

// What the road says to the user goes to standard error, where a script's log keeps it.
class AvisosNoErro final : public Avisos {
public:
    void mensagem(const QString& texto) override { linhaNoErro(texto); }
};

// A failure that ends the command with an exit status and a message on standard error.
struct Fim {
    Saida saida;
    QString mensagem;
};

// ---- the activation code, never from the command line ----

constexpr char variavelDoCodigo[] = "SAT_CODIGO_ATIVACAO";
constexpr char variavelDoNovoCodigo[] = "SAT_NOVO_CODIGO_ATIVACAO";

// The first line of a file, without its line break.
std::optional<QString> primeiraLinha(const QString& caminho) {
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray linha = arquivo.readLine();
    while (linha.endsWith('\n') || linha.endsWith('\r'))
        linha.chop(1);
    return QString::fromUtf8(linha);
}

// A code from the environment variable, else the file named by `opcaoArquivo`, else
// typed at the terminal without echo (twice when `confirmar`). What the user gives is
// returned as given: the operation's own checks trim and measure it.
struct CodigoLido {
    QString codigo;
    QString confirmacao;
};
std::variant<CodigoLido, Fim> lerCodigo(const QCommandLineParser& p, const char* variavel,
                                        const QString& opcaoArquivo, const QString& descricao, bool confirmar) {
    if (qEnvironmentVariableIsSet(variavel)) {
        const QString codigo = qEnvironmentVariable(variavel);
        return CodigoLido{codigo, codigo};
    }
    if (p.isSet(opcaoArquivo)) {
        const QString caminho = p.value(opcaoArquivo);
        const std::optional<QString> codigo = primeiraLinha(caminho);
        if (!codigo)
            return Fim{ErroDeUso, QStringLiteral("Não foi possível ler o %1 do arquivo \"%2\".")
                                      .arg(descricao, QDir::toNativeSeparators(caminho))};
        return CodigoLido{*codigo, *codigo};
    }
    if (terminal::entradaEhTerminal()) {
        const std::optional<std::string> codigo =
            terminal::lerSemEco(QStringLiteral("Digite o %1: ").arg(descricao).toStdString());
        if (!codigo)
            return Fim{ErroDeUso, QStringLiteral("O %1 não foi digitado.").arg(descricao)};
        std::optional<std::string> confirmacao = codigo;
        if (confirmar)
            confirmacao = terminal::lerSemEco(QStringLiteral("Digite novamente o %1: ").arg(descricao).toStdString());
        return CodigoLido{QString::fromStdString(*codigo), QString::fromStdString(confirmacao.value_or(""))};
    }
    return Fim{ErroDeUso, QStringLiteral("O %1 não foi informado: defina %2, use --%3 ARQUIVO ou digite-o num "
                                         "terminal. Ele nunca vai na linha de comando, onde qualquer usuário "
                                         "da máquina o leria.")
                              .arg(descricao, QLatin1String(variavel), opcaoArquivo)};
}

// The activation code of the operations that send it trimmed and check it alone, or
// why the command ends.
std::variant<QString, Fim> codigoVerificado(const QCommandLineParser& p,
                                            const QString& mensagem = comandos::codigoCurto) {
    auto lido = lerCodigo(p, variavelDoCodigo, QStringLiteral("arquivo-codigo"),
                          QStringLiteral("Código de Ativação do SAT"), false);
    if (const Fim* fim = std::get_if<Fim>(&lido))
        return *fim;
    const QString codigo = aparar(std::get<CodigoLido>(lido).codigo);
    if (const comandos::Recusa recusa = comandos::verificarCodigo(codigo, mensagem))
        return Fim{ErroDeUso, *recusa};
    return codigo;
}

// ---- output ----

QJsonArray camposEmJson(const QByteArrayList& campos) {
    QJsonArray lista;
    for (const QByteArray& campo : campos)
        lista.append(sat::decodificar(campo));
    return lista;
}

// The object every answer gives in JSON: the session, the code, the message, the SEFAZ
// fields and every field as the device sent it.
QJsonObject respostaEmJson(const CaminhoSat& caminho, const QByteArrayList& campos) {
    const bool comAlerta = campos.size() > 1 && campos[1].startsWith("130");
    const auto campo = [&](qsizetype i) { return i < campos.size() ? sat::decodificar(campos[i]) : QString(); };
    QJsonObject objeto{{QStringLiteral("sessao"), caminho.numsessao()},
                       {QStringLiteral("codigo"), campo(1)},
                       {QStringLiteral("mensagem"), campo(comAlerta ? 3 : 2)},
                       {QStringLiteral("campos"), camposEmJson(campos)}};
    if (comAlerta)
        objeto.insert(QStringLiteral("alerta"), campo(2));
    const qsizetype sefaz = comAlerta ? 4 : 3;
    if (campos.size() > sefaz && !campos[sefaz].isEmpty())
        objeto.insert(QStringLiteral("sefaz"), QJsonObject{{QStringLiteral("codigo"), campo(sefaz)},
                                                           {QStringLiteral("mensagem"), campo(sefaz + 1)}});
    else
        objeto.insert(QStringLiteral("sefaz"), QJsonValue::Null);
    return objeto;
}

// ---- the subcommands ----

struct Contexto {
    const QCommandLineParser& opcoes;
    CaminhoSat& caminho;
    bool json;
    QJsonObject saida;  // what --json prints, filled by the subcommand
    QString biblioteca; // the library file loaded
};

// An option by its name, its help in the words of the window's labels, and the name of
// its value ("" for a switch).
struct Opcao {
    const char* nome;
    const char* ajuda;
    const char* valor;
};

// What a subcommand does once the library is loaded: the exit status. Its checks ran
// before (verificar), so nothing here refuses what the user gave.
using Execucao = std::function<Saida(Contexto&)>;
// The checks of the subcommand's inputs, before the library is loaded: nothing, or the
// message of the first that fails. It also reads what the execution needs.
using Preparo = std::function<std::variant<Execucao, Fim>(const QCommandLineParser&)>;

struct Subcomando {
    const char* nome;
    const char* resumo;
    std::vector<Opcao> opcoes;
    Preparo preparar;
};

const Opcao opcaoArquivoCodigo{"arquivo-codigo",
                               "Arquivo cuja primeira linha é o Código de Ativação do SAT (ou a variável de "
                               "ambiente SAT_CODIGO_ATIVACAO; num terminal, digitado sem eco).",
                               "ARQUIVO"};
const Opcao opcaoSaida{"saida", "Pasta onde gravar o CFe.xml, como a janela grava ao lado do programa.", "PASTA"};

// The code of the operation's success, against which the answer is read: 0 or 1, and
// the answer printed (text: what the page shows; JSON: every field).
Saida lerResposta(Contexto& c, const char* sucesso, const std::function<QString(const QByteArrayList&)>& mensagem) {
    const QByteArrayList campos = sat::campos(c.caminho.retorno());
    c.saida = respostaEmJson(c.caminho, campos);
    if (!c.json) {
        QString texto;
        try {
            texto = mensagem(campos);
        } catch (const std::exception&) {
            texto = sat::decodificar(c.caminho.retorno()); // too short to read: as it came
        }
        linhaNaSaida(texto);
        if (const std::optional<QString> sefaz = sat::textoSefaz(campos))
            linhaNaSaida(QStringLiteral("Mensagem da SEFAZ: ") + QString(*sefaz).replace(QStringLiteral("\n\n"),
                                                                                           QStringLiteral(" - ")));
    }
    return campos.size() > 1 && campos[1] == sucesso ? Sucesso : Recusado;
}

Saida desfechoSemResposta(const CaminhoSat& caminho) {
    switch (caminho.desfecho()) {
    case CaminhoSat::Desfecho::SemBiblioteca: return SemBiblioteca;
    default: return SemResposta;
    }
}

// The operations that send the code alone: block, unblock, deactivate, update.
Preparo comCodigo(bool (*operacao)(CaminhoSat&, const QString&), const char* sucesso) {
    return [operacao, sucesso](const QCommandLineParser& p) -> std::variant<Execucao, Fim> {
        const auto lido = codigoVerificado(p);
        if (const Fim* fim = std::get_if<Fim>(&lido))
            return *fim;
        const QString codigo = std::get<QString>(lido);
        return Execucao([=](Contexto& c) {
            if (!operacao(c.caminho, codigo))
                return desfechoSemResposta(c.caminho);
            return lerResposta(c, sucesso, &sat::mensagemResposta);
        });
    };
}

// The deactivation cannot be taken back by the taxpayer: as the window asks for OK on
// its warning, the command line asks for --confirmar and shows the warning without it.
std::variant<Execucao, Fim> prepararDesativacao(const QCommandLineParser& p) {
    if (!p.isSet(QStringLiteral("confirmar"))) {
        QString aviso = comandos::avisoDesativacao;
        aviso.remove(u'\r').replace(QStringLiteral("Clique OK para continuar."),
                                     QStringLiteral("Use --confirmar para continuar."));
        return Fim{ErroDeUso, aviso};
    }
    return comCodigo(&comandos::bloquear, comandos::bloqueado)(p);
}

std::variant<Execucao, Fim> prepararConsulta(const QCommandLineParser&) {
    return Execucao([](Contexto& c) {
        if (!comandos::consultar(c.caminho)) {
            if (!c.json)
                linhaNaSaida(QStringLiteral("SAT inoperante"));
            return desfechoSemResposta(c.caminho);
        }
        const Saida saida = lerResposta(c, comandos::emOperacao, [](const QByteArrayList& campos) {
            if (comandos::emOperacaoNaResposta(campos))
                return QStringLiteral("SAT em operação");
            if (campos.size() > 2 && campos[1] == "08097")
                return QStringLiteral("SAT inoperante\n") + sat::mensagemResposta(campos);
            return QStringLiteral("SAT inoperante");
        });
        if (carga::ehSatemu(c.biblioteca)) {
            if (c.json)
                c.saida.insert(QStringLiteral("emulado"), true);
            else
                linhaNaSaida(QString::fromUtf16(carga::avisoDoSatemu));
        }
        return saida;
    });
}

std::variant<Execucao, Fim> prepararStatus(const QCommandLineParser& p) {
    const auto lido = codigoVerificado(p, comandos::novoCodigoCurto);
    if (const Fim* fim = std::get_if<Fim>(&lido))
        return *fim;
    const QString codigo = std::get<QString>(lido);
    return Execucao([=](Contexto& c) {
        if (!comandos::consultarStatus(c.caminho, codigo))
            return desfechoSemResposta(c.caminho);
        const Saida saida = lerResposta(c, comandos::statusLido, [](const QByteArrayList& campos) {
            if (sat::campo(campos, 1) != comandos::statusLido)
                return sat::mensagemResposta(campos);
            return relatorioStatus(campos).join(u'\n');
        });
        if (saida == Sucesso) {
            QJsonObject status;
            for (const CampoDoStatus& campo : camposDoStatus(sat::campos(c.caminho.retorno())))
                status.insert(campo.nome, QJsonValue::fromVariant(campo.valor));
            c.saida.insert(QStringLiteral("status"), status);
        }
        return saida;
    });
}

// A CNPJ as typed, with or without its punctuation: its digits.
QString digitosDoCnpj(const QString& texto) {
    QString digitos = aparar(texto);
    digitos.remove(QRegularExpression(QStringLiteral("[./-]")));
    return digitos;
}

std::variant<Execucao, Fim> prepararAtivacao(const QCommandLineParser& p) {
    static const QStringList tipos{QStringLiteral("ac-sat"), QStringLiteral("icp-brasil"),
                                   QStringLiteral("renovacao-icp-brasil")};
    const int tipo = p.isSet(QStringLiteral("certificado")) ? int(tipos.indexOf(p.value(QStringLiteral("certificado")))) : 0;
    if (tipo < 0)
        return Fim{ErroDeUso, QStringLiteral("Tipo de Certificado desconhecido: \"%1\" (use %2).")
                                  .arg(p.value(QStringLiteral("certificado")), tipos.join(QStringLiteral(", ")))};
    auto lido = lerCodigo(p, variavelDoCodigo, QStringLiteral("arquivo-codigo"),
                          QStringLiteral("Código de Ativação do SAT"), true);
    if (auto* fim = std::get_if<Fim>(&lido))
        return *fim;
    const CodigoLido& codigo = std::get<CodigoLido>(lido);
    const comandos::Ativacao ativacao{tipo, aparar(codigo.codigo), aparar(codigo.confirmacao),
                                      digitosDoCnpj(p.value(QStringLiteral("cnpj"))),
                                      comandos::linhaDaUF(aparar(p.value(QStringLiteral("uf"))))};
    if (const auto recusa = comandos::verificar(ativacao))
        return Fim{ErroDeUso, recusa->mensagem};
    return Execucao([=](Contexto& c) {
        if (!comandos::ativar(c.caminho, ativacao))
            return desfechoSemResposta(c.caminho);
        return lerResposta(c, comandos::ativado, &comandos::mensagemDaAtivacao);
    });
}

std::variant<Execucao, Fim> prepararTrocaDeCodigo(const QCommandLineParser& p) {
    const bool emergencia = p.isSet(QStringLiteral("emergencia"));
    auto atual = lerCodigo(p, variavelDoCodigo, QStringLiteral("arquivo-codigo"),
                           emergencia ? QStringLiteral("Código de Ativação de Emergência")
                                      : QStringLiteral("Código de Ativação atual"),
                           false);
    if (auto* fim = std::get_if<Fim>(&atual))
        return *fim;
    auto novo = lerCodigo(p, variavelDoNovoCodigo, QStringLiteral("arquivo-novo-codigo"),
                          QStringLiteral("Novo Código de Ativação"), true);
    if (auto* fim = std::get_if<Fim>(&novo))
        return *fim;
    const comandos::TrocaDeCodigo troca{aparar(std::get<CodigoLido>(atual).codigo), emergencia,
                                        aparar(std::get<CodigoLido>(novo).codigo),
                                        aparar(std::get<CodigoLido>(novo).confirmacao)};
    if (const comandos::Recusa recusa = comandos::verificar(troca))
        return Fim{ErroDeUso, *recusa};
    return Execucao([=](Contexto& c) {
        if (!comandos::trocarCodigo(c.caminho, troca))
            return desfechoSemResposta(c.caminho);
        return lerResposta(c, comandos::codigoTrocado, &sat::mensagemResposta);
    });
}


std::variant<Execucao, Fim> prepararAssociacao(const QCommandLineParser& p) {
    // In the page's order: the two CNPJs, the signature (a file read), the code, the
    // signature not empty.
    const QString contribuinte = digitosDoCnpj(p.value(QStringLiteral("cnpj-contribuinte")));
    if (!validation::isCNPJ(contribuinte))
        return Fim{ErroDeUso, comandos::cnpjContribuinteInvalido};
    const QString softwareHouse = digitosDoCnpj(p.value(QStringLiteral("cnpj-software-house")));
    if (!validation::isCNPJ(softwareHouse))
        return Fim{ErroDeUso, comandos::cnpjSoftwareHouseInvalido};
    QString assinatura = aparar(p.value(QStringLiteral("assinatura")));
    if (p.isSet(QStringLiteral("arquivo-assinatura"))) {
        const comandos::AssinaturaLida lida =
            comandos::assinaturaDeArquivo(p.value(QStringLiteral("arquivo-assinatura")));
        if (lida.recusa)
            return Fim{ErroDeUso, *lida.recusa};
        assinatura = lida.texto;
    }
    const auto lido = codigoVerificado(p);
    if (const Fim* fim = std::get_if<Fim>(&lido))
        return *fim;
    const QString codigo = std::get<QString>(lido);
    if (aparar(assinatura).isEmpty())
        return Fim{ErroDeUso, comandos::assinaturaVazia};
    const comandos::Associacao associacao{contribuinte, softwareHouse, assinatura, codigo};
    return Execucao([=](Contexto& c) {
        if (!comandos::associar(c.caminho, associacao))
            return desfechoSemResposta(c.caminho);
        return lerResposta(c, comandos::associado, &comandos::mensagemDaAssociacao);
    });
}

// The network settings as the page's lists and boxes give them, by the store's names.
struct CampoDeRede {
    const char* opcao;
    const char* campo;
};
constexpr CampoDeRede camposDeRede[] = {
    {"interface", "tipoInter"}, {"ssid", "SSID"},        {"seguranca", "seg"},       {"chave", "codigo"},
    {"tipo-lan", "tipoLan"},    {"ip", "lanIP"},         {"mascara", "lanMask"},     {"gateway", "lanGW"},
    {"dns1", "lanDNS1"},        {"dns2", "lanDNS2"},     {"usuario", "usuario"},     {"senha", "senha"},
    {"proxy", "proxy"},         {"proxy-ip", "proxy_ip"}, {"proxy-porta", "proxy_porta"},
    {"proxy-usuario", "proxy_user"}, {"proxy-senha", "proxy_senha"},
};

std::variant<Execucao, Fim> prepararRede(const QCommandLineParser& p) {
    auto lido = lerCodigo(p, variavelDoCodigo, QStringLiteral("arquivo-codigo"),
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
    if (const settings::StoreResult aberto = registro.open(QStringLiteral(":/sem-arquivo/Parametros.xml")); !aberto)
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
            return Fim{ErroDeUso, QStringLiteral("Não foi possível gravar o arquivo ConfRede.xml: %1.").arg(motivo)};
    }
    // What the device receives is the document as the window reads it back from the file.
    const QByteArray enviado = settings::semQuebrasDeLinha(*documento);
    return Execucao([=](Contexto& c) {
        if (!comandos::configurarRede(c.caminho, codigo, enviado))
            return desfechoSemResposta(c.caminho);
        return lerResposta(c, comandos::redeConfigurada, &comandos::mensagemDaRede);
    });
}

// CFe.xml in the folder --saida names, as the window writes it beside the program.
std::optional<Fim> gravarCFe(const QCommandLineParser& p, const QByteArrayList& linhas) {
    if (!p.isSet(QStringLiteral("saida")))
        return std::nullopt;
    const QString arquivo = QDir(p.value(QStringLiteral("saida"))).filePath(QStringLiteral("CFe.xml"));
    QString motivo;
    if (!settings::writeFileAtomically(arquivo, conteudoCFe(linhas), &motivo))
        return Fim{ErroDeUso, QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2")
                                  .arg(QDir::toNativeSeparators(arquivo), motivo)};
    return std::nullopt;
}

std::variant<Execucao, Fim> prepararTeste(const QCommandLineParser& p) {
    const VarianteTeste variante =
        p.isSet(QStringLiteral("producao")) ? VarianteTeste::Producao : VarianteTeste::Ativacao;
    const auto lido = codigoVerificado(p);
    if (const Fim* fim = std::get_if<Fim>(&lido))
        return *fim;
    const QString codigo = std::get<QString>(lido);
    const bool porArquivo = p.isSet(QStringLiteral("arquivo-assinatura"));
    DadosTeste dados{aparar(p.value(QStringLiteral("cnpj-contribuinte"))), aparar(p.value(QStringLiteral("ie"))),
                     aparar(p.value(QStringLiteral("cnpj-software-house"))),
                     porArquivo ? p.value(QStringLiteral("arquivo-assinatura"))
                                : aparar(p.value(QStringLiteral("assinatura")))};
    if (const comandos::Recusa recusa = comandos::verificar(variante, dados))
        return Fim{ErroDeUso, *recusa};
    if (variante == VarianteTeste::Producao) {
        const comandos::AssinaturaLida assinatura = comandos::assinaturaDeProducao(dados.assinatura, porArquivo);
        if (assinatura.recusa)
            return Fim{ErroDeUso, *assinatura.recusa};
        dados.assinatura = assinatura.texto;
    }
    return Execucao([=, &p](Contexto& c) {
        if (!comandos::testeFimAFim(c.caminho, codigo, variante, dados))
            return desfechoSemResposta(c.caminho);
        const Saida saida = lerResposta(c, comandos::testeEmitido, &sat::mensagemResposta);
        if (saida != Sucesso)
            return saida;
        const QByteArray cfe = comandos::cfeDoTeste(sat::campos(c.caminho.retorno()));
        QString documento;
        for (const QString& linha : linhasDeTexto(sat::decodificar(cfe)))
            documento += linha + QStringLiteral("\r\n");
        QString formatado;
        try {
            formatado = sat::FormatXMLString(documento);
        } catch (const std::exception&) {
            formatado = documento; // not XML: shown as the device sent it
        }
        formatado.remove(u'\r');
        c.saida.insert(QStringLiteral("cfe"), formatado);
        if (!c.json)
            escrever(stdout, formatado);
        if (const std::optional<Fim> fim = gravarCFe(p, linhasDeBytes(cfe))) {
            linhaNoErro(fim->mensagem);
            return fim->saida;
        }
        return saida;
    });
}

std::variant<Execucao, Fim> prepararSessao(const QCommandLineParser& p) {
    const bool fiscal = p.isSet(QStringLiteral("fiscal"));
    const auto lido = codigoVerificado(p);
    if (const Fim* fim = std::get_if<Fim>(&lido))
        return *fim;
    const QString codigo = std::get<QString>(lido);
    if (fiscal == p.isSet(QStringLiteral("numero")))
        return Fim{ErroDeUso, QStringLiteral("Informe --numero SESSAO ou --fiscal (um dos dois).")};
    const comandos::NumeroDeSessao sessao =
        fiscal ? comandos::NumeroDeSessao{} : comandos::lerNumeroDeSessao(p.value(QStringLiteral("numero")));
    if (sessao.recusa)
        return Fim{ErroDeUso, *sessao.recusa};
    return Execucao([=, &p](Contexto& c) {
        const bool respondeu = fiscal ? comandos::consultarSessaoFiscal(c.caminho, codigo)
                                      : comandos::consultarSessao(c.caminho, codigo, sessao.numero);
        if (!respondeu)
            return desfechoSemResposta(c.caminho);
        const QByteArray& retorno = c.caminho.retorno();
        const QByteArrayList campos = sat::campos(retorno);
        c.saida = respostaEmJson(c.caminho, campos);
        if (campos.isEmpty() || comandos::respondeuAPropriaConsulta(campos, c.caminho.numsessao())) {
            // The device answered the query itself (a refusal): no session to show.
            if (!c.json) {
                QString texto = sat::decodificar(retorno);
                try {
                    texto = sat::mensagemResposta(campos);
                } catch (const std::exception&) {
                }
                linhaNaSaida(texto);
            }
            return Recusado;
        }
        // The session looked up: its answer, and the sale's CF-e when it is a sale.
        QByteArrayList linhasDoArquivo = campos;
        c.saida.insert(QStringLiteral("resposta"), sat::decodificar(retorno));
        if (campos.size() > 1 && campos[1] == comandos::vendaConcluida) {
            linhasDoArquivo = linhasDeBytes(cfeDaVenda(retorno));
            QString cfe;
            for (const QByteArray& linha : linhasDoArquivo)
                cfe += sat::decodificar(linha) + u'\n';
            c.saida.insert(QStringLiteral("cfe"), cfe);
        }
        if (!c.json) {
            linhaNaSaida(sat::decodificar(retorno));
            if (c.saida.contains(QStringLiteral("cfe")))
                escrever(stdout, c.saida.value(QStringLiteral("cfe")).toString());
        }
        if (const std::optional<Fim> fim = gravarCFe(p, linhasDoArquivo)) {
            linhaNoErro(fim->mensagem);
            return fim->saida;
        }
        return Sucesso;
    });
}

std::variant<Execucao, Fim> prepararLogs(const QCommandLineParser& p) {
    const auto lido = codigoVerificado(p);
    if (const Fim* fim = std::get_if<Fim>(&lido))
        return *fim;
    const QString codigo = std::get<QString>(lido);
    const int modo = p.isSet(QStringLiteral("superlog")) ? conteudolog::modoSuperLog : conteudolog::modoLogInteiro;
    return Execucao([=, &p](Contexto& c) {
        if (!comandos::extrairLogs(c.caminho, codigo))
            return desfechoSemResposta(c.caminho);
        QByteArrayList campos = sat::campos(c.caminho.retorno());
        if (campos.size() < 2 || campos[1] != comandos::logsExtraidos)
            return lerResposta(c, comandos::logsExtraidos, &sat::mensagemResposta);
        c.saida = respostaEmJson(c.caminho, campos);
        QString texto;
        try {
            texto = conteudolog::textoDoLog(campos, modo);
        } catch (const std::exception&) {
            linhaNoErro(QStringLiteral("A resposta não traz o log."));
            return Recusado;
        }
        // The log is not repeated among the fields: it is the "log" member.
        QJsonArray semLog = c.saida.value(QStringLiteral("campos")).toArray();
        if (semLog.size() > 5)
            semLog[5] = QString();
        c.saida.insert(QStringLiteral("campos"), semLog);
        if (p.isSet(QStringLiteral("arquivo"))) {
            // As "Salvar" writes it: CR LF after every line, in the 8-bit code page.
            QString comFins = texto;
            comFins.replace(u'\n', QStringLiteral("\r\n"));
            QString motivo;
            const QString arquivo = p.value(QStringLiteral("arquivo"));
            if (!settings::writeFileAtomically(arquivo, platform::toAnsi(comFins), &motivo)) {
                linhaNoErro(QStringLiteral("Erro ao tentar salvar o arquivo: %1 (%2)").arg(arquivo, motivo));
                return ErroDeUso;
            }
            c.saida.insert(QStringLiteral("arquivo"), QDir::toNativeSeparators(QFileInfo(arquivo).absoluteFilePath()));
        } else {
            c.saida.insert(QStringLiteral("log"), texto);
            if (!c.json)
                escrever(stdout, texto);
        }
        return Sucesso;
    });
}

const std::vector<Subcomando>& subcomandos() {
    static const Opcao codigo = opcaoArquivoCodigo;
    static const std::vector<Subcomando> lista{
        {"consultar", "Consultar SAT: se o SAT está em operação.", {}, &prepararConsulta},
        {"status", "Status: o status operacional do SAT.", {codigo}, &prepararStatus},
        {"ativar",
         "Ativação do SAT.",
         {codigo,
          {"cnpj", "CNPJ do Contribuinte.", "CNPJ"},
          {"uf", "UF do contribuinte (sigla: SP, RJ, ...).", "UF"},
          {"certificado", "Tipo de Certificado: ac-sat (AC-SAT - SEFAZ, o padrão), icp-brasil ou renovacao-icp-brasil.",
           "TIPO"}},
         &prepararAtivacao},
        {"trocar-codigo",
         "Trocar Cód. Ativação.",
         {{"arquivo-codigo",
           "Arquivo com o Código de Ativação atual (ou SAT_CODIGO_ATIVACAO; num terminal, digitado sem eco).",
           "ARQUIVO"},
          {"emergencia", "Cód. de emergência: o código informado é o de emergência.", ""},
          {"arquivo-novo-codigo",
           "Arquivo com o Novo Código de Ativação (ou SAT_NOVO_CODIGO_ATIVACAO; num terminal, digitado duas vezes sem "
           "eco).",
           "ARQUIVO"}},
         &prepararTrocaDeCodigo},
        {"associar",
         "Associar Aplic. Comercial.",
         {codigo,
          {"cnpj-contribuinte", "CNPJ do Contribuinte.", "CNPJ"},
          {"cnpj-software-house", "CNPJ da Software House.", "CNPJ"},
          {"assinatura", "Assinatura da Aplic. Comercial (Forma de envio: Texto).", "TEXTO"},
          {"arquivo-assinatura", "Arquivo com a assinatura (Forma de envio: Arquivo).", "ARQUIVO"}},
         &prepararAssociacao},
        {"rede",
         "Config. da Rede: envia ao SAT a configuração da interface de rede.",
         {codigo,
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
          {"saida", "Pasta onde gravar o ConfRede.xml enviado, como a janela grava ao lado do programa.", "PASTA"}},
         &prepararRede},
        {"teste",
         "Testes: FimAFim Ativação, ou FimAFim Produção com --producao.",
         {codigo,
          {"producao", "FimAFim Produção (sem ela, FimAFim Ativação).", ""},
          {"cnpj-contribuinte", "CNPJ do Contribuinte.", "CNPJ"},
          {"ie", "IE do Contribuinte (produção).", "IE"},
          {"cnpj-software-house", "CNPJ Software House (produção).", "CNPJ"},
          {"assinatura", "Assinatura do Aplicativo Comercial (produção; Forma de envio: Texto).", "TEXTO"},
          {"arquivo-assinatura", "Arquivo com a assinatura (produção; Forma de envio: Arquivo).", "ARQUIVO"},
          opcaoSaida},
         &prepararTeste},
        {"sessao",
         "Consulta Sessão (--numero) ou Consulta Sessão Fiscal (--fiscal).",
         {codigo,
          {"numero", "Sessão: o número da sessão consultada.", "SESSAO"},
          {"fiscal", "Consulta Sessão Fiscal: a última sessão fiscal.", ""},
          opcaoSaida},
         &prepararSessao},
        {"logs",
         "Extrair Logs: o log inteiro, ou só a última seção SuperLog com --superlog.",
         {codigo,
          {"superlog", "SuperLog: só a última seção SuperLog do log.", ""},
          {"arquivo", "Salvar: grava o log neste arquivo em vez da saída padrão.", "ARQUIVO"}},
         &prepararLogs},
        {"bloquear", "Bloquear/Desbloquear: Bloquear.", {codigo}, comCodigo(&comandos::bloquear, comandos::bloqueado)},
        {"desbloquear", "Bloquear/Desbloquear: Desbloquear.", {codigo},
         comCodigo(&comandos::desbloquear, comandos::desbloqueado)},
        {"desativar",
         "Bloquear/Desbloquear: Desativar. Depois, verifique se o LED \"SAT Bloqueado\" está piscando e pressione "
         "o botão reset do SAT por 5 segundos.",
         {codigo,
          {"confirmar", "O aviso que a janela mostra antes de desativar, lido e aceito (sem ela, nada é enviado).",
           ""}},
         &prepararDesativacao},
        {"atualizar", "Atualizar SW Básico.", {codigo}, comCodigo(&comandos::atualizar, comandos::atualizado)},
    };
    return lista;
}

QString ajudaGeral(const QString& programa) {
    QString texto = QStringLiteral("Uso: %1 SUBCOMANDO [opções]\n\nOperações do SAT pela linha de comando. "
                                   "Subcomandos:\n")
                        .arg(programa);
    for (const Subcomando& s : subcomandos())
        texto += QStringLiteral("  %1  %2\n").arg(QString::fromLatin1(s.nome).leftJustified(14), QString::fromUtf8(s.resumo));
    texto += QStringLiteral(
        "\n'%1 SUBCOMANDO --help' lista as opções de cada um. O Código de Ativação nunca vai na linha de "
        "comando: vem da variável SAT_CODIGO_ATIVACAO, de --arquivo-codigo ARQUIVO, ou é digitado sem eco num "
        "terminal.\nSaída: 0 sucesso, 1 recusado pelo SAT, 2 erro de uso ou verificação, 3 biblioteca não "
        "carregada, 4 a biblioteca parou, não respondeu ou foi abandonada.\n")
                 .arg(programa);
    return texto;
}

// Loads the library as the window does; the message when it does not load.
std::optional<QString> carregarBiblioteca(CaminhoSat& caminho, const QCommandLineParser& p, QString& biblioteca) {
    const QString pastaDoPrograma = QCoreApplication::applicationDirPath();
    if (p.isSet(QStringLiteral("biblioteca"))) {
        biblioteca = QFileInfo(p.value(QStringLiteral("biblioteca"))).absoluteFilePath();
        if (!QFileInfo::exists(biblioteca))
            return QStringLiteral("Erro: DLL não foi encotrada: %1").arg(QDir::toNativeSeparators(biblioteca));
    } else {
        const QString nome = carga::bibliotecaEscolhida(pastaDoPrograma);
        if (nome.isEmpty())
            return QStringLiteral("Erro: DLL não foi encotrada.");
        biblioteca = QDir(pastaDoPrograma).filePath(nome);
    }
    const QString hospedeiro = carga::hospedeiroPara(pastaDoPrograma, biblioteca, carga::noWindows);
    const bool remoto = QFileInfo::exists(hospedeiro);
    if (remoto)
        caminho.usar(std::make_unique<sat::ExecutorRemoto>(hospedeiro));
    QString motivo;
    if (!caminho.executor().carregar(biblioteca, motivo))
        return carga::mensagemDeFalha(biblioteca, motivo, remoto && carga::ehHospedeiro32(hospedeiro) ? 32 : 0);
    return std::nullopt;
}

// Gives up a call that runs past --tempo-limite, as Esc does in the window.
class LimiteDeTempo final : public ObservadorDoCaminho {
public:
    LimiteDeTempo(CaminhoSat& caminho, int segundos) : caminho_(caminho), segundos_(segundos) {
        relogio_.setSingleShot(true);
        QObject::connect(&relogio_, &QTimer::timeout, [this] {
            esgotado_ = true;
            caminho_.executor().abandonar();
        });
    }
    void antesDaChamada() override {
        if (segundos_ > 0)
            relogio_.start(segundos_ * 1000);
    }
    void depoisDaChamada(const QString&, const QByteArray&) override { relogio_.stop(); }
    bool esgotado() const { return esgotado_; }

private:
    CaminhoSat& caminho_;
    int segundos_;
    QTimer relogio_;
    bool esgotado_ = false;
};

} // namespace

int executar(const QStringList& argumentos) {
    const QString programa = argumentos.isEmpty() ? QStringLiteral("ativacao-sat-cli")
                                                  : QFileInfo(argumentos.first()).completeBaseName();
    if (argumentos.size() < 2) {
        escrever(stderr, ajudaGeral(programa));
        return ErroDeUso;
    }
    const QString nome = argumentos.at(1);
    if (nome == u"--help" || nome == u"-h" || nome == u"ajuda") {
        escrever(stdout, ajudaGeral(programa));
        return Sucesso;
    }
    const auto& lista = subcomandos();
    const auto subcomando = std::find_if(lista.begin(), lista.end(), [&](const Subcomando& s) {
        return nome == QLatin1String(s.nome);
    });
    if (subcomando == lista.end()) {
        linhaNoErro(QStringLiteral("Subcomando desconhecido: \"%1\". Use %2 --help.").arg(nome, programa));
        return ErroDeUso;
    }

    QCommandLineParser p;
    p.setApplicationDescription(QString::fromUtf8(subcomando->resumo));
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    p.addOption({QStringLiteral("biblioteca"),
                 QStringLiteral("A biblioteca SAT a usar (sem ela: SAT_x64.DLL, ou SAT.DLL, na pasta do programa)."),
                 QStringLiteral("ARQUIVO")});
    p.addOption({QStringLiteral("json"), QStringLiteral("Escreve a resposta como um objeto JSON.")});
    p.addOption({QStringLiteral("tempo-limite"),
                 QStringLiteral("Abandona a chamada que não voltar em SEGUNDOS (a biblioteca é encerrada)."),
                 QStringLiteral("SEGUNDOS")});
    p.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Mostra estas opções.")});
    for (const Opcao& o : subcomando->opcoes) {
        if (*o.valor == '\0')
            p.addOption({QLatin1String(o.nome), QString::fromUtf8(o.ajuda)});
        else
            p.addOption({QLatin1String(o.nome), QString::fromUtf8(o.ajuda), QLatin1String(o.valor)});
    }
    QStringList resto = argumentos.mid(2);
    resto.prepend(programa + u' ' + nome);
    if (!p.parse(resto)) {
        // In the user's language, not the parser's.
        const QStringList desconhecidas = p.unknownOptionNames();
        linhaNoErro(desconhecidas.isEmpty()
                        ? p.errorText()
                        : QStringLiteral("Opção desconhecida: %1. Use %2 %3 --help.")
                              .arg(desconhecidas.first(), programa, nome));
        return ErroDeUso;
    }
    if (p.isSet(QStringLiteral("help"))) {
        // The parser's text less its first line, which names the program as it was run.
        const QString ajuda = p.helpText();
        escrever(stdout, QStringLiteral("Uso: %1 %2 [opções]").arg(programa, nome) +
                             ajuda.mid(ajuda.indexOf(u'\n')).replace(QStringLiteral("Options:"),
                                                                       QStringLiteral("Opções:")));
        return Sucesso;
    }
    if (!p.positionalArguments().isEmpty()) {
        linhaNoErro(QStringLiteral("Argumento inesperado: \"%1\". O Código de Ativação nunca vai na linha de comando.")
                        .arg(p.positionalArguments().first()));
        return ErroDeUso;
    }
    int segundos = 0;
    if (p.isSet(QStringLiteral("tempo-limite"))) {
        bool numero = false;
        segundos = p.value(QStringLiteral("tempo-limite")).toInt(&numero);
        if (!numero || segundos <= 0) {
            linhaNoErro(QStringLiteral("--tempo-limite: um número de segundos maior que zero."));
            return ErroDeUso;
        }
    }

    // The inputs are checked (and the code read) before anything is loaded or sent.
    std::variant<Execucao, Fim> preparo = subcomando->preparar(p);
    if (const Fim* fim = std::get_if<Fim>(&preparo)) {
        linhaNoErro(fim->mensagem);
        return fim->saida;
    }

    AvisosNoErro avisos;
    CaminhoSat caminho(avisos);
    LimiteDeTempo limite(caminho, segundos);
    caminho.definirObservador(&limite);
    QString biblioteca;
    if (const std::optional<QString> falha = carregarBiblioteca(caminho, p, biblioteca)) {
        linhaNoErro(*falha);
        return SemBiblioteca;
    }

    Contexto contexto{p, caminho, p.isSet(QStringLiteral("json")), {}, biblioteca};
    const Saida saida = std::get<Execucao>(preparo)(contexto);
    if (limite.esgotado())
        linhaNoErro(QStringLiteral("A chamada foi abandonada após %1 segundos (--tempo-limite).").arg(segundos));
    if (contexto.json) {
        if (contexto.saida.isEmpty())
            contexto.saida.insert(QStringLiteral("sessao"), caminho.numsessao());
        contexto.saida.insert(QStringLiteral("saida"), saida);
        escrever(stdout, QString::fromUtf8(QJsonDocument(contexto.saida).toJson(QJsonDocument::Indented)));
    }
    return saida;
}

} // namespace cli
