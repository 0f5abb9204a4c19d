#include "operations/certificado.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace comandos {

namespace {

constexpr qsizetype maiorArquivo = 1024 * 1024;

// One DER element: its tag, where its contents start and where it ends.
struct Elemento {
    quint8 tag = 0;
    qsizetype conteudo = 0;
    qsizetype fim = 0;
};

// The element at `pos`, which must end by `limite`: definite lengths only, as DER has.
std::optional<Elemento> elemento(const QByteArray& d, qsizetype pos, qsizetype limite) {
    if (pos + 2 > limite)
        return std::nullopt;
    const auto byte = [&](qsizetype i) { return static_cast<quint8>(d.at(i)); };
    Elemento e;
    e.tag = byte(pos);
    if ((e.tag & 0x1F) == 0x1F) // tag numbers above 30: nothing of what is read here
        return std::nullopt;
    const quint8 primeiro = byte(pos + 1);
    qsizetype tamanho = 0;
    qsizetype i = pos + 2;
    if (primeiro < 0x80) {
        tamanho = primeiro;
    } else {
        const int bytes = primeiro & 0x7F;
        if (bytes == 0 || bytes > 4 || i + bytes > limite) // 0: the indefinite form
            return std::nullopt;
        for (int k = 0; k < bytes; ++k)
            tamanho = (tamanho << 8) | byte(i++);
    }
    if (tamanho > limite - i)
        return std::nullopt;
    e.conteudo = i;
    e.fim = i + tamanho;
    return e;
}

// The elements inside a constructed element, which must fill it exactly.
std::optional<std::vector<Elemento>> filhos(const QByteArray& d, const Elemento& pai) {
    std::vector<Elemento> lista;
    for (qsizetype pos = pai.conteudo; pos < pai.fim;) {
        const std::optional<Elemento> e = elemento(d, pos, pai.fim);
        if (!e)
            return std::nullopt;
        lista.push_back(*e);
        pos = e->fim;
    }
    return lista;
}

constexpr quint8 inteiro = 0x02, cadeiaDeBits = 0x03, cadeiaDeOctetos = 0x04, identificador = 0x06,
                 sequencia = 0x30, explicito0 = 0xA0;

bool tags(const std::vector<Elemento>& e, std::initializer_list<quint8> esperadas) {
    if (e.size() < esperadas.size())
        return false;
    std::size_t i = 0;
    for (quint8 t : esperadas)
        if (e[i++].tag != t)
            return false;
    return true;
}

// The inside of a signed structure (a certificate's or a request's first element).
TipoDer tipoDoCorpo(const QByteArray& d, const Elemento& corpo) {
    const std::optional<std::vector<Elemento>> c = filhos(d, corpo);
    if (!c)
        return TipoDer::Outro;
    // Certificate: [0] version (absent in version 1), serial, signature algorithm,
    // issuer, validity, subject, subject public key, then optional parts.
    std::vector<Elemento> semVersao = *c;
    if (!semVersao.empty() && semVersao.front().tag == explicito0)
        semVersao.erase(semVersao.begin());
    if (tags(semVersao, {inteiro, sequencia, sequencia, sequencia, sequencia, sequencia}))
        return TipoDer::Certificado;
    // Request: version, subject, subject public key, [0] attributes.
    if (c->size() == 4 && tags(*c, {inteiro, sequencia, sequencia, explicito0}))
        return TipoDer::Pedido;
    return TipoDer::Outro;
}

// The 9 bytes of the PKCS#7 signedData identifier (1.2.840.113549.1.7.2).
const QByteArray oidSignedData = QByteArray::fromHex("2a864886f70d010702");

QString mensagemDoTipo(TipoDer tipo) {
    switch (tipo) {
    case TipoDer::Pedido:
        return QStringLiteral("O arquivo traz um pedido de certificado (CSR), não um certificado: envie-o à "
                              "autoridade certificadora e informe aqui o certificado que ela emitir.");
    case TipoDer::ChavePrivada:
        return QStringLiteral("O arquivo traz uma chave privada, que nunca é enviada: informe só o certificado.");
    case TipoDer::Pkcs12:
        return QStringLiteral("O arquivo é um PKCS#12 (.pfx, .p12), que guarda uma chave privada, que nunca é "
                              "enviada: exporte dele só o certificado, em PEM ou DER.");
    case TipoDer::ChavePublica:
        return QStringLiteral("O arquivo traz uma chave pública, não um certificado.");
    case TipoDer::Pkcs7:
        return QStringLiteral("O arquivo é uma cadeia PKCS#7 (.p7b): exporte dela só o certificado do SAT, em PEM "
                              "ou DER.");
    case TipoDer::Certificado:
    case TipoDer::Outro:
        break;
    }
    return QStringLiteral("O arquivo não traz um certificado X.509.");
}

// Base64 with its blanks and line breaks left out, decoded strictly; at least one byte.
std::optional<QByteArray> deBase64(QByteArray texto) {
    texto.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    if (texto.isEmpty())
        return std::nullopt;
    QByteArray::FromBase64Result r = QByteArray::fromBase64Encoding(texto, QByteArray::AbortOnBase64DecodingErrors);
    if (!r || r.decoded.isEmpty()) // "0": no whole byte, nothing to write or send
        return std::nullopt;
    return std::move(*r);
}

CertificadoLido recusado(const QString& mensagem) { return {QString(), mensagem}; }

CertificadoLido lido(const QByteArray& der) { return {QString::fromLatin1(der.toBase64()), std::nullopt}; }

// A DER structure alone: accepted when it is one certificate.
CertificadoLido deDer(const QByteArray& der) {
    const TipoDer tipo = tipoDer(der);
    return tipo == TipoDer::Certificado ? lido(der) : recusado(mensagemDoTipo(tipo));
}

const QByteArray inicioPem = "-----BEGIN ";
const QByteArray fimDoRotulo = "-----";

// The PEM blocks of a text: every one is read, so that a key beside a certificate is
// seen; one certificate and no key is what the device is given.
CertificadoLido dePem(const QByteArray& texto) {
    std::optional<QByteArray> certificado;
    int certificados = 0;
    std::optional<TipoDer> outro;
    for (qsizetype pos = texto.indexOf(inicioPem); pos >= 0; pos = texto.indexOf(inicioPem, pos)) {
        const qsizetype rotuloInicio = pos + inicioPem.size();
        const qsizetype rotuloFim = texto.indexOf(fimDoRotulo, rotuloInicio);
        const qsizetype quebra = texto.indexOf('\n', rotuloInicio);
        if (rotuloFim < 0 || (quebra >= 0 && quebra < rotuloFim))
            return recusado(QStringLiteral("O arquivo tem uma linha \"-----BEGIN\" incompleta: não é um PEM legível."));
        const QByteArray rotulo = texto.mid(rotuloInicio, rotuloFim - rotuloInicio);
        // Whatever it holds, a key is never read further.
        if (rotulo.contains("PRIVATE KEY"))
            return recusado(mensagemDoTipo(TipoDer::ChavePrivada));
        const qsizetype corpo = rotuloFim + fimDoRotulo.size();
        const QByteArray fim = "-----END " + rotulo + "-----";
        const qsizetype fimPos = texto.indexOf(fim, corpo);
        if (fimPos < 0)
            return recusado(QStringLiteral("O bloco \"%1\" do arquivo não termina: falta a linha \"%2\".")
                                .arg(QString::fromLatin1(rotulo), QString::fromLatin1(fim)));
        pos = fimPos + fim.size();
        const std::optional<QByteArray> der = deBase64(texto.mid(corpo, fimPos - corpo));
        if (!der)
            return recusado(QStringLiteral("O bloco \"%1\" do arquivo não é Base64: não é um PEM legível.")
                                .arg(QString::fromLatin1(rotulo)));
        const TipoDer tipo = tipoDer(*der);
        if (tipo == TipoDer::ChavePrivada || tipo == TipoDer::Pkcs12)
            return recusado(mensagemDoTipo(tipo));
        if (tipo == TipoDer::Certificado) {
            ++certificados;
            certificado = *der;
        } else if (!outro) {
            outro = tipo;
        }
    }
    if (certificados > 1)
        return recusado(QStringLiteral("O arquivo traz %1 certificados (uma cadeia): informe só o certificado do SAT.")
                            .arg(certificados));
    if (certificado)
        return lido(*certificado);
    return recusado(mensagemDoTipo(outro.value_or(TipoDer::Outro)));
}

} // namespace

std::optional<QByteArray> pedidoEmPem(const QByteArrayList& campos) {
    if (campos.size() < 6)
        return std::nullopt;
    const std::optional<QByteArray> der = deBase64(campos[5]);
    if (!der)
        return std::nullopt;
    QByteArray pem = "-----BEGIN CERTIFICATE REQUEST-----\n";
    const QByteArray b64 = der->toBase64();
    for (qsizetype i = 0; i < b64.size(); i += 64)
        pem += b64.mid(i, 64) + '\n';
    pem += "-----END CERTIFICATE REQUEST-----\n";
    return pem;
}

TipoDer tipoDer(const QByteArray& der) {
    const std::optional<Elemento> raiz = elemento(der, 0, der.size());
    if (!raiz || raiz->tag != sequencia || raiz->fim != der.size())
        return TipoDer::Outro;
    const std::optional<std::vector<Elemento>> e = filhos(der, *raiz);
    if (!e)
        return TipoDer::Outro;
    // Signed structures: the body, the signature algorithm, the signature.
    if (e->size() == 3 && tags(*e, {sequencia, sequencia, cadeiaDeBits}))
        return tipoDoCorpo(der, e->front());
    // Keys: PKCS#8 (version, algorithm, key), encrypted PKCS#8 (algorithm, key),
    // RSA and DSA (integers only), EC (version, key).
    if (tags(*e, {inteiro, sequencia, cadeiaDeOctetos}) || (e->size() == 2 && tags(*e, {sequencia, cadeiaDeOctetos})) ||
        tags(*e, {inteiro, cadeiaDeOctetos}))
        return TipoDer::ChavePrivada;
    if (e->size() >= 6 && std::all_of(e->begin(), e->end(), [](const Elemento& x) { return x.tag == inteiro; }))
        return TipoDer::ChavePrivada;
    if (e->size() == 2 && tags(*e, {sequencia, cadeiaDeBits}))
        return TipoDer::ChavePublica;
    // PKCS#12: version, the contents, the integrity data.
    if (e->size() >= 2 && tags(*e, {inteiro, sequencia}))
        return TipoDer::Pkcs12;
    if (!e->empty() && e->front().tag == identificador &&
        der.mid(e->front().conteudo, e->front().fim - e->front().conteudo) == oidSignedData)
        return TipoDer::Pkcs7;
    return TipoDer::Outro;
}

CertificadoLido certificadoDeConteudo(const QByteArray& conteudo) {
    QByteArray texto = conteudo;
    if (texto.startsWith("\xEF\xBB\xBF"))
        texto.remove(0, 3);
    if (texto.trimmed().isEmpty())
        return recusado(QStringLiteral("O arquivo do certificado está vazio."));
    if (texto.contains(inicioPem))
        return dePem(texto);
    // DER as it is, whose first byte opens a sequence; else its Base64.
    if (const std::optional<Elemento> raiz = elemento(texto, 0, texto.size());
        raiz && raiz->tag == sequencia && raiz->fim == texto.size())
        return deDer(texto);
    if (texto.contains("PRIVATE KEY"))
        return recusado(mensagemDoTipo(TipoDer::ChavePrivada));
    const std::optional<QByteArray> der = deBase64(texto);
    if (!der && texto.startsWith(static_cast<char>(sequencia))) // a DER cut short or followed by more
        return recusado(mensagemDoTipo(TipoDer::Outro));
    if (!der)
        return recusado(QStringLiteral("O arquivo não traz um certificado: não é PEM, nem DER, nem Base64."));
    return deDer(*der);
}

CertificadoLido certificadoDeArquivo(const QString& caminho) {
    const QFileInfo info(caminho);
    if (!info.exists())
        return recusado(arquivoNaoEncontrado);
    QFile arquivo(caminho);
    if (info.isDir() || !arquivo.open(QIODevice::ReadOnly))
        return recusado(arquivoIlegivel);
    if (arquivo.size() > maiorArquivo)
        return recusado(QStringLiteral("O arquivo tem mais de 1 MB: não é um certificado."));
    const QByteArray conteudo = arquivo.read(maiorArquivo + 1);
    if (arquivo.error() != QFileDevice::NoError)
        return recusado(arquivoIlegivel);
    return certificadoDeConteudo(conteudo);
}

} // namespace comandos
