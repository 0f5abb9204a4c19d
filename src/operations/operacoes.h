#pragma once

#include "operations/teste.h"
#include "core/caminhosat.h"

#include <optional>
#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>

// What each device operation checks, sends and reads of the answer, with no window. The
// pages and the command line both run these; each front end keeps only what is its own
// (focus, boxes emptied, the order of its messages, how it shows the answer).
namespace comandos {

// The answer codes that mean each operation was done.
inline constexpr char emOperacao[] = "08000";
inline constexpr char ativado[] = "04000";
inline constexpr char statusLido[] = "10000";
inline constexpr char associado[] = "13000";
inline constexpr char redeConfigurada[] = "12000";
inline constexpr char testeEmitido[] = "09000";
inline constexpr char logsExtraidos[] = "15000";
inline constexpr char bloqueado[] = "16000";
inline constexpr char desbloqueado[] = "17000";
inline constexpr char atualizado[] = "14000";
inline constexpr char codigoTrocado[] = "18000";
// A session query that returns a sale carries that sale's code.
inline constexpr char vendaConcluida[] = "06000";
// The consult's answer whose message is shown although the device is not in operation.
inline constexpr char consultaComMensagem[] = "08097";
// The activation's answer that unlocks nothing, not even the code change.
inline constexpr char ativacaoSemDesbloqueio[] = "04098";

// The messages of the checks made before anything is sent.
inline const QString codigoCurto = QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.");
inline const QString novoCodigoCurto = QStringLiteral("Novo código de ativação deve ter no mínimo 8 caracteres.");
inline const QString confirmacaoDiferente = QStringLiteral("Erro na confirmação do Código de Ativação.");
inline const QString novaConfirmacaoDiferente = QStringLiteral("Erro na confirmação do novo Código de Ativação.");
inline const QString cnpjInvalido = QStringLiteral("CNPJ inválido.");
inline const QString ufInvalida = QStringLiteral("UF inválida.");
inline const QString cnpjContribuinteInvalido = QStringLiteral("CNPJ Contribuinte inválido.");
inline const QString cnpjSoftwareHouseInvalido = QStringLiteral("CNPJ Software House inválido.");
inline const QString assinaturaVazia =
    QStringLiteral("O campo \"Assinatura da Aplic. Comercial\" deve ser preenchido!");
inline const QString arquivoNaoEncontrado = QStringLiteral("Arquivo especificado não foi encontrado!");
inline const QString arquivoIlegivel = QStringLiteral("Erro ao tentar acessar o arquivo especificado!");
inline const QString testeCnpjContribuinteInvalido = QStringLiteral("CNPJ do Contribuinte inválido.");
inline const QString testeIeInvalida = QStringLiteral("IE do Contribuinte inválido.");
inline const QString testeCnpjSoftwareHouseInvalido = QStringLiteral("CNPJ da Software House inválido.");
inline const QString testeAssinaturaVazia = QStringLiteral("Assinatura não pode estar em branco.");
inline const QString sessaoInvalida = QStringLiteral("Número de sessão consultada inválida.");
// The confirmation shown before a deactivation: its lines end with a line feed and a
// carriage return, in that order, and an extra line feed comes before the last one.
inline const QString avisoDesativacao = QStringLiteral(
    "Atenção:\n\r"
    "Verifique se após finalizar esta função o LED \"SAT Bloqueado\" está piscando.\n\r"
    "Isto indica que o processo de DESATIVAÇÂO foi concluído na retaguarda da SEFAZ.\n\r"
    "Para que o SAT recupere as configurações de fábrica você deve agora pressionar o botão reset por "
    "5 segundos.\n\r"
    "Por favor aguarde.\n\r"
    "Esta função pode demorar alguns minutos.\n\n\r"
    "Clique OK para continuar.");
inline const QString mensagemAtivado =
    QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial.");

// The operations whose answer unlocks side-bar buttons.
enum class Desbloqueio { Ativacao, TrocaDeCodigo, Associacao };
// The side-bar buttons (by their object names) that the answer code `codigo` of
// `operacao` unlocks; none for most codes.
QStringList botoesDesbloqueados(Desbloqueio operacao, const QByteArray& codigo);

// The message of the first check that failed; nothing is sent then.
using Recusa = std::optional<QString>;

// A code, trimmed, has at least 8 characters.
Recusa verificarCodigo(const QString& codigo, const QString& mensagem = codigoCurto);

// The activation: the code twice, the taxpayer's CNPJ, the state.
struct Ativacao {
    int tipoCertificado = 0; // item of the list: 0 AC-SAT SEFAZ, 1 ICP-BRASIL, 2 its renewal
    QString codigo;          // trimmed
    QString confirmacao;     // trimmed
    QString cnpj;            // the digits, trimmed
    int linhaUF = -1;        // row of TabelaUF; -1 when no state was chosen
};
// Which input a refused activation blames, so that a page empties and focuses it.
enum class CampoDaAtivacao { Codigo, Confirmacao, Ambos, Cnpj, Uf };
struct RecusaDaAtivacao {
    CampoDaAtivacao campo;
    QString mensagem;
};
std::optional<RecusaDaAtivacao> verificar(const Ativacao& ativacao);
// The row of TabelaUF for a state's abbreviation ("SP"), or -1.
int linhaDaUF(const QString& sigla);
bool ativar(CaminhoSat& caminho, const Ativacao& ativacao);
// What the user reads of an activation's answer.
QString mensagemDaAtivacao(const QByteArrayList& campos);

// The code change: the current code (or the emergency code) and the new one twice.
struct TrocaDeCodigo {
    QString atual; // trimmed
    bool emergencia = false;
    QString novo;        // trimmed
    QString confirmacao; // trimmed
};
Recusa verificar(const TrocaDeCodigo& troca);
bool trocarCodigo(CaminhoSat& caminho, const TrocaDeCodigo& troca);

// The association: the taxpayer's and the software house's CNPJ (digits) and the
// signature, sent after the code.
struct Associacao {
    QString cnpjContribuinte;
    QString cnpjSoftwareHouse;
    QString assinatura;
    QString codigo; // trimmed
};
// A signature as an operation takes it, or the message of the check that refused it.
struct AssinaturaLida {
    QString texto;
    Recusa recusa;
};
// The association's signature kept in a file (lines joined, nothing else removed), or
// why it cannot be had: no such file, or one that cannot be read (a folder).
AssinaturaLida assinaturaDeArquivo(const QString& caminho);
bool associar(CaminhoSat& caminho, const Associacao& associacao);
// "code: message", or "code: [alert] message" when the answer carries an alert.
QString mensagemDaAssociacao(const QByteArrayList& campos);

// The network: the document (the bytes of ConfRede.xml read back) sent with the code as
// typed.
bool configurarRede(CaminhoSat& caminho, const QString& codigo, const QByteArray& documento);
// "code: message"; a four-character second field is an alert code and the message is
// the next field.
QString mensagemDaRede(const QByteArrayList& campos);

// The end-to-end test. The checks of the data, in the page's order; for production the
// signature given is the one to send (a file already read).
Recusa verificar(VarianteTeste variante, const DadosTeste& dados);
bool testeFimAFim(CaminhoSat& caminho, const QString& codigo, VarianteTeste variante, const DadosTeste& dados);
// The production test's signature: the trimmed text as given, or, sent as a file, what
// the file holds (lines joined, trimmed); refused when the file is missing, unreadable or
// blank, or when the signature is longer than a signature can be (344 characters).
AssinaturaLida assinaturaDeProducao(const QString& campo, bool porArquivo);
// The CF-e a successful test returned (field 5, Base64), as the device sent it.
QByteArray cfeDoTeste(const QByteArrayList& campos);

// The session queries. A session box's text becomes the number it holds, or the check's
// message.
struct NumeroDeSessao {
    int numero = 0;
    Recusa recusa;
};
NumeroDeSessao lerNumeroDeSessao(const QString& texto);
bool consultarSessao(CaminhoSat& caminho, const QString& codigo, int sessao);
bool consultarSessaoFiscal(CaminhoSat& caminho, const QString& codigo);
// Whether the device answered the query itself (a refusal) rather than with the
// answer of the session looked up.
bool respondeuAPropriaConsulta(const QByteArrayList& campos, const QString& numsessao);

// The ICP-Brasil certificate (comandos/certificado.h reads it) sent with the code: the
// DER in Base64, one line.
bool comunicarCertificado(CaminhoSat& caminho, const QString& codigo, const QString& certificado);

// The operations that send the code alone.
bool consultarStatus(CaminhoSat& caminho, const QString& codigo);
bool extrairLogs(CaminhoSat& caminho, const QString& codigo);
bool bloquear(CaminhoSat& caminho, const QString& codigo);
bool desbloquear(CaminhoSat& caminho, const QString& codigo);
bool atualizar(CaminhoSat& caminho, const QString& codigo);

// Whether the device is in operation, from the consult's answer.
bool consultar(CaminhoSat& caminho);
bool emOperacaoNaResposta(const QByteArrayList& campos);

} // namespace comandos
