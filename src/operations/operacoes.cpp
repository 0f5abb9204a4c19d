#include "operations/operacoes.h"

#include "operations/arquivotexto.h"
#include "core/tabelauf.h"
#include "core/texto.h"
#include "platform/codepage.h"
#include "sat/resposta.h"
#include "validation/cnpj.h"

#include <algorithm>
#include <QFileInfo>

namespace comandos {

namespace {

// The option of TrocarCodigoDeAtivacao: which code comes first.
constexpr int codigoAtual = 1;
constexpr int codigoEmergencia = 2;

constexpr char semAlerta[] = "0000";
constexpr qsizetype limiteAssinatura = 344;

} // namespace

QStringList botoesDesbloqueados(Desbloqueio operacao, const QByteArray& codigo) {
    switch (operacao) {
    case Desbloqueio::Ativacao:
        if (codigo == ativado)
            return {QStringLiteral("BtnAssocAssin"), QStringLiteral("BtnBloquearSAT"), QStringLiteral("BtnCodAtivacao"),
                    QStringLiteral("BtnTestefimafim"), QStringLiteral("BitAtualizaSW"), QStringLiteral("BitBtnStatus"),
                    QStringLiteral("BitLogs")};
        // A refused activation still lets the user change the code, but for this answer.
        if (codigo != ativacaoSemDesbloqueio)
            return {QStringLiteral("BtnCodAtivacao")};
        return {};
    case Desbloqueio::TrocaDeCodigo:
        if (codigo == codigoTrocado)
            return {QStringLiteral("BtnTestefimafim"), QStringLiteral("BitBtnStatus"), QStringLiteral("BitLogs"),
                    QStringLiteral("BtnAtivacao"), QStringLiteral("BtnAssocAssin")};
        return {};
    case Desbloqueio::Associacao:
        if (codigo == associado)
            return {QStringLiteral("BtnTestefimafim"), QStringLiteral("BitAtualizaSW")};
        return {};
    }
    return {};
}

Recusa verificarCodigo(const QString& codigo, const QString& mensagem) {
    if (aparar(codigo).size() < 8)
        return mensagem;
    return std::nullopt;
}

std::optional<RecusaDaAtivacao> verificar(const Ativacao& a) {
    if (a.codigo.size() < 8)
        return RecusaDaAtivacao{CampoDaAtivacao::Codigo, codigoCurto};
    if (a.confirmacao.size() < 8)
        return RecusaDaAtivacao{CampoDaAtivacao::Confirmacao, codigoCurto};
    if (a.codigo != a.confirmacao)
        return RecusaDaAtivacao{CampoDaAtivacao::Ambos, confirmacaoDiferente};
    if (!validation::isCNPJ(a.cnpj))
        return RecusaDaAtivacao{CampoDaAtivacao::Cnpj, cnpjInvalido};
    if (a.linhaUF < 0 || a.linhaUF >= static_cast<int>(TabelaUF.size()))
        return RecusaDaAtivacao{CampoDaAtivacao::Uf, ufInvalida};
    return std::nullopt;
}

int linhaDaUF(const QString& sigla) {
    const auto linha = std::find_if(TabelaUF.begin(), TabelaUF.end(), [&](const UnidadeFederativa& uf) {
        return sigla.compare(QLatin1String(uf.sigla), Qt::CaseInsensitive) == 0;
    });
    return linha == TabelaUF.end() ? -1 : static_cast<int>(linha - TabelaUF.begin());
}

bool ativar(CaminhoSat& caminho, const Ativacao& a) {
    const int codigoUF = QString::fromLatin1(TabelaUF.at(static_cast<std::size_t>(a.linhaUF)).codigoIBGE).toInt();
    return caminho.chamar(&sat::FuncoesSAT::AtivarSAT, a.tipoCertificado + 1, a.codigo, a.cnpj, codigoUF);
}

QString mensagemDaAtivacao(const QByteArrayList& campos) {
    if (sat::campo(campos, 1) == ativado)
        return mensagemAtivado;
    return sat::mensagemResposta(campos);
}

bool comunicarCertificado(CaminhoSat& caminho, const QString& codigo, const QString& certificado) {
    return caminho.chamar(&sat::FuncoesSAT::ComunicarCertificadoICPBRASIL, codigo, certificado);
}

Recusa verificar(const TrocaDeCodigo& troca) {
    if (troca.novo.size() < 8)
        return novoCodigoCurto;
    if (troca.novo != troca.confirmacao)
        return novaConfirmacaoDiferente;
    return std::nullopt;
}

bool trocarCodigo(CaminhoSat& caminho, const TrocaDeCodigo& troca) {
    return caminho.chamar(&sat::FuncoesSAT::TrocarCodigoDeAtivacao, troca.atual,
                          troca.emergencia ? codigoEmergencia : codigoAtual, troca.novo, troca.confirmacao);
}

AssinaturaLida assinaturaDeArquivo(const QString& caminho) {
    if (!QFileInfo::exists(caminho))
        return {{}, arquivoNaoEncontrado};
    const std::optional<QString> lida = LeArquivosCert(caminho);
    if (!lida)
        return {{}, arquivoIlegivel};
    return {*lida, std::nullopt};
}

bool associar(CaminhoSat& caminho, const Associacao& a) {
    // The software house first, then the taxpayer: 28 digits.
    return caminho.chamar(&sat::FuncoesSAT::AssociarAssinatura, a.codigo, a.cnpjSoftwareHouse + a.cnpjContribuinte,
                          a.assinatura);
}

QString mensagemDaAssociacao(const QByteArrayList& campos) {
    // Every field the message needs is read first: a short answer shows nothing.
    const QByteArray& resultado = sat::campo(campos, 1);
    const QByteArray& alerta = sat::campo(campos, 2);
    const QByteArray& mensagem = sat::campo(campos, 3);
    return sat::decodificar(alerta == semAlerta ? resultado + ": " + mensagem
                                                : resultado + ": [" + alerta + "] " + mensagem);
}

bool configurarRede(CaminhoSat& caminho, const QString& codigo, const QByteArray& documento) {
    // The road sends texts in the 8-bit code page, which carries every byte there and
    // back: decoded from it, the document's UTF-8 bytes reach the library exactly as
    // they are in the file.
    return caminho.chamar(&sat::FuncoesSAT::ConfigurarInterfaceDeRede, codigo, platform::fromAnsi(documento));
}

QString mensagemDaRede(const QByteArrayList& campos) {
    const QByteArray& codigo = sat::campo(campos, 1);
    const QByteArray& segundo = sat::campo(campos, 2);
    // A four-character second field is an alert code: the message is the next one.
    const QByteArray& mensagem = segundo.size() == 4 ? sat::campo(campos, 3) : segundo;
    return sat::decodificar(codigo + ": " + mensagem);
}

Recusa verificar(VarianteTeste variante, const DadosTeste& dados) {
    if (dados.cnpjContribuinte.isEmpty())
        return testeCnpjContribuinteInvalido;
    if (variante == VarianteTeste::Producao) {
        // Only what is missing is refused: the production test sends the CNPJs as typed.
        if (dados.ieContribuinte.isEmpty())
            return testeIeInvalida;
        if (dados.cnpjSoftwareHouse.isEmpty())
            return testeCnpjSoftwareHouseInvalido;
        if (dados.assinatura.isEmpty())
            return testeAssinaturaVazia;
    } else if (!validation::isCNPJ(dados.cnpjContribuinte)) {
        return testeCnpjContribuinteInvalido;
    }
    return std::nullopt;
}

AssinaturaLida assinaturaDeProducao(const QString& campo, bool porArquivo) {
    QString assinatura = aparar(campo);
    if (porArquivo) {
        // The field holds the path of the file, used as typed.
        if (!QFileInfo(campo).isFile())
            return {{}, arquivoNaoEncontrado};
        const std::optional<QString> lida = LeArquivosCert(campo);
        if (!lida)
            return {{}, arquivoIlegivel};
        assinatura = aparar(*lida);
        if (assinatura.isEmpty())
            return {{}, testeAssinaturaVazia};
    }
    if (assinatura.size() > limiteAssinatura)
        return {{},
                QStringLiteral("A assinatura tem %1 caracteres; a assinatura do aplicativo comercial tem no "
                               "máximo 344.")
                    .arg(assinatura.size())};
    return {assinatura, std::nullopt};
}

bool testeFimAFim(CaminhoSat& caminho, const QString& codigo, VarianteTeste variante, const DadosTeste& dados) {
    return caminho.chamar(&sat::FuncoesSAT::TesteFimAFim, codigo, documentoTeste(variante, dados));
}

QByteArray cfeDoTeste(const QByteArrayList& campos) {
    return QByteArray::fromBase64(sat::campo(campos, 5));
}

NumeroDeSessao lerNumeroDeSessao(const QString& texto) {
    const QString aparado = aparar(texto);
    if (aparado.isEmpty())
        return {0, sessaoInvalida};
    // A box takes only digits when typed; pasted or set text is checked here.
    bool numero = std::all_of(aparado.begin(), aparado.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    const int sessao = numero ? aparado.toInt(&numero, 10) : 0;
    if (!numero)
        return {0, QStringLiteral("Número de sessão consultada inválida: \"%1\" não é um número inteiro de até 6 "
                                  "algarismos.")
                       .arg(aparado)};
    return {sessao, std::nullopt};
}

bool consultarSessao(CaminhoSat& caminho, const QString& codigo, int sessao) {
    return caminho.chamar(&sat::FuncoesSAT::ConsultarNumeroSessao, codigo, sessao);
}

bool consultarSessaoFiscal(CaminhoSat& caminho, const QString& codigo) {
    return caminho.chamar(&sat::FuncoesSAT::ConsultarUltimaSessaoFiscal, codigo);
}

bool respondeuAPropriaConsulta(const QByteArrayList& campos, const QString& numsessao) {
    return sat::campo(campos, 0) == numsessao.toLatin1();
}

bool consultarStatus(CaminhoSat& caminho, const QString& codigo) {
    return caminho.chamar(&sat::FuncoesSAT::ConsultarStatusOperacional, codigo);
}

bool extrairLogs(CaminhoSat& caminho, const QString& codigo) {
    return caminho.chamar(&sat::FuncoesSAT::ExtrairLogs, codigo);
}

bool bloquear(CaminhoSat& caminho, const QString& codigo) {
    return caminho.chamar(&sat::FuncoesSAT::BloquearSAT, codigo);
}

bool desbloquear(CaminhoSat& caminho, const QString& codigo) {
    return caminho.chamar(&sat::FuncoesSAT::DesbloquearSAT, codigo);
}

bool atualizar(CaminhoSat& caminho, const QString& codigo) {
    return caminho.chamar(&sat::FuncoesSAT::AtualizarSoftwareSAT, codigo);
}

bool consultar(CaminhoSat& caminho) {
    return caminho.chamar(&sat::FuncoesSAT::ConsultarSAT);
}

bool emOperacaoNaResposta(const QByteArrayList& campos) {
    // Any answer without a code counts as a device not in operation.
    return campos.size() > 1 && campos[1] == emOperacao;
}

} // namespace comandos
