#include "cli/comando.h"

#include "cli/codigo.h"
#include "cli/respostajson.h"
#include "comandos/teste.h"
#include "nucleo/texto.h"
#include "sat/resposta.h"
#include "settings/atomicfile.h"

#include <QDir>
#include <QRegularExpression>

namespace cli {

const Opcao opcaoArquivoCodigo{"arquivo-codigo",
                               "Arquivo cuja primeira linha é o Código de Ativação do SAT (ou a variável de "
                               "ambiente SAT_CODIGO_ATIVACAO; num terminal, digitado sem eco).",
                               "ARQUIVO"};
const Opcao opcaoSaida{"saida", "Pasta onde gravar o CFe.xml, como a janela grava ao lado do programa.",
                       "PASTA"};

Saida lerResposta(Contexto& c, const char* sucesso,
                  const std::function<QString(const QByteArrayList&)>& mensagem) {
    const QByteArrayList campos = sat::campos(c.caminho.retorno());
    c.saida = respostaEmJson(c.caminho, campos);
    if (!c.json) {
        QString texto;
        try {
            texto = mensagem(campos);
        } catch (const std::exception&) {
            texto = sat::decodificar(c.caminho.retorno()); // too short to read: as it came
        }
        c.console.linha(texto);
        if (const std::optional<QString> sefaz = sat::textoSefaz(campos))
            c.console.linha(QStringLiteral("Mensagem da SEFAZ: ") +
                            QString(*sefaz).replace(QStringLiteral("\n\n"), QStringLiteral(" - ")));
    }
    return campos.size() > 1 && campos[1] == sucesso ? Sucesso : Recusado;
}

Saida desfechoSemResposta(const CaminhoSat& caminho) {
    switch (caminho.desfecho()) {
    case CaminhoSat::Desfecho::SemBiblioteca:
        return SemBiblioteca;
    default:
        return SemResposta;
    }
}

ComandoDoCodigo::ComandoDoCodigo(const char* nome, const char* descricao, Operacao operacao,
                                 const char* sucesso, std::vector<Opcao> outras)
    : Comando(nome, descricao,
              [&] {
                  outras.insert(outras.begin(), opcaoArquivoCodigo);
                  return std::move(outras);
              }()),
      operacao_(operacao), sucesso_(sucesso) {}

Preparo ComandoDoCodigo::preparar(const QCommandLineParser& p, Console& console) const {
    const auto lido = codigoVerificado(p, console);
    if (const Fim* fim = std::get_if<Fim>(&lido))
        return *fim;
    const QString codigo = std::get<QString>(lido);
    return Execucao([codigo, operacao = operacao_, sucesso = sucesso_](Contexto& c) {
        if (!operacao(c.caminho, codigo))
            return desfechoSemResposta(c.caminho);
        return lerResposta(c, sucesso, &sat::mensagemResposta);
    });
}

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

QString digitosDoCnpj(const QString& texto) {
    QString digitos = aparar(texto);
    digitos.remove(QRegularExpression(QStringLiteral("[./-]")));
    return digitos;
}

} // namespace cli
