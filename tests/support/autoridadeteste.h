// A certificate authority of the tests' own, run with the openssl tool as a real one
// would sign what a device asks for: its key and self-signed certificate in a folder,
// and `openssl x509 -req` for every request it is given.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace autoridadeteste {

struct Execucao {
    int status = -1; // -1: did not start or did not end
    QByteArray saida; // standard output and error together
};

// `openssl ARGS` in `pasta`.
inline Execucao openssl(const QStringList& argumentos, const QString& pasta) {
    Execucao e;
    const QString programa = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (programa.isEmpty()) {
        e.saida = "the openssl tool is not installed (scripts/common.sh installs it)";
        return e;
    }
    QProcess p;
    p.setWorkingDirectory(pasta);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(programa, argumentos);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        e.saida = "openssl did not end: " + p.readAll();
        return e;
    }
    e.saida = p.readAll();
    e.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return e;
}

inline QByteArray emPem(const QByteArray& der, const char* rotulo) {
    QByteArray pem = QByteArray("-----BEGIN ") + rotulo + "-----\n";
    const QByteArray b64 = der.toBase64();
    for (qsizetype i = 0; i < b64.size(); i += 64)
        pem += b64.mid(i, 64) + '\n';
    return pem + "-----END " + rotulo + "-----\n";
}

inline bool gravar(const QString& caminho, const QByteArray& bytes) {
    QFile f(caminho);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray ler(const QString& caminho) {
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One DER element (lengths up to 65535).
inline QByteArray derDe(quint8 tag, const QByteArray& conteudo) {
    QByteArray e(1, static_cast<char>(tag));
    const qsizetype n = conteudo.size();
    if (n < 0x80)
        e += static_cast<char>(n);
    else if (n < 0x100)
        e += QByteArray("\x81") + static_cast<char>(n);
    else
        e += QByteArray("\x82") + static_cast<char>(n >> 8) + static_cast<char>(n & 0xFF);
    return e + conteudo;
}

// DER with the outline of a certificate (version, serial, algorithm, issuer, validity,
// subject, key; then algorithm and signature) and nothing real in it, of more than 64
// bytes: where no openssl tool runs (under Wine), and for the emulated device's stand-in.
inline QByteArray contornoDeCertificado() {
    const QByteArray seq = derDe(0x30, {});
    const QByteArray nome = derDe(0x30, derDe(0x31, derDe(0x30, derDe(0x06, "\x55\x04\x03") + derDe(0x0C, "SAT"))));
    const QByteArray corpo = derDe(0xA0, derDe(0x02, "\x02")) + derDe(0x02, "\x01") + seq + nome +
                             derDe(0x30, derDe(0x17, "250101000000Z") + derDe(0x17, "350101000000Z")) + nome +
                             derDe(0x30, seq + derDe(0x03, QByteArray(9, '\0')));
    return derDe(0x30, derDe(0x30, corpo) + seq + derDe(0x03, QByteArray(9, '\0')));
}

// DER with the outline of a certificate request (version, subject, key, attributes).
inline QByteArray contornoDePedido() {
    const QByteArray seq = derDe(0x30, {});
    const QByteArray corpo = derDe(0x02, QByteArray(1, '\0')) + seq + derDe(0x30, seq + derDe(0x03, QByteArray(1, '\0'))) +
                             derDe(0xA0, {});
    return derDe(0x30, derDe(0x30, corpo) + seq + derDe(0x03, QByteArray(1, '\0')));
}

class Autoridade {
public:
    // Makes the authority's key (ac.key, unencrypted PKCS#8) and certificate (ac.pem) in `pasta`.
    explicit Autoridade(const QString& pasta) : pasta_(pasta) {
        criada_ = openssl({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                           QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                           chavePrivada(), QStringLiteral("-out"), certificado(), QStringLiteral("-days"),
                           QStringLiteral("30"), QStringLiteral("-subj"),
                           QStringLiteral("/C=BR/O=Autoridade de teste/CN=AC de teste")},
                          pasta_);
    }
    const Execucao& criacao() const { return criada_; }
    bool criada() const { return criada_.status == 0; }
    QString chavePrivada() const { return QDir(pasta_).filePath(QStringLiteral("ac.key")); }
    // A certificate that carries the authority's key, not a device's.
    QString certificado() const { return QDir(pasta_).filePath(QStringLiteral("ac.pem")); }

    // Signs the request in the file `pedido` (PEM, or DER with `pedidoDer`) into the
    // file `saida`, PEM or DER.
    Execucao assinar(const QString& pedido, const QString& saida, bool saidaDer = false,
                     bool pedidoDer = false) const {
        QStringList a{QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), pedido,
                      QStringLiteral("-CA"), certificado(), QStringLiteral("-CAkey"), chavePrivada(),
                      QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("365"),
                      QStringLiteral("-sha256"), QStringLiteral("-out"), saida};
        if (pedidoDer)
            a << QStringLiteral("-inform") << QStringLiteral("DER");
        if (saidaDer)
            a << QStringLiteral("-outform") << QStringLiteral("DER");
        return openssl(a, pasta_);
    }

private:
    QString pasta_;
    Execucao criada_;
};

} // namespace autoridadeteste
