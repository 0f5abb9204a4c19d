// The ICP-Brasil certificate files as users have them: what a certificate authority and
// the openssl tool write (PEM, DER, chains, PKCS#12, keys of every form), each read as
// the command line reads it before anything is sent.
#include "operations/certificado.h"

#include "../support/autoridadeteste.h"

#include <QTemporaryDir>
#include <QtTest>

using autoridadeteste::ler;
using autoridadeteste::openssl;

class TestCertificado : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void arquivos_data();
    void arquivos();
    void arquivoQueNaoSeLe_data();
    void arquivoQueNaoSeLe();
    void pedidoEmPem();
    void respostaSemPedido_data();
    void respostaSemPedido();

private:
    QString caminho(const QString& nome) const { return QDir(pasta_->path()).filePath(nome); }
    void rodar(const QStringList& argumentos) {
        const autoridadeteste::Execucao e = openssl(argumentos, pasta_->path());
        QVERIFY2(e.status == 0, e.saida.constData());
    }
    void gravar(const QString& nome, const QByteArray& bytes) {
        QVERIFY(autoridadeteste::gravar(caminho(nome), bytes));
    }

    std::unique_ptr<QTemporaryDir> pasta_;
    QByteArray certificadoDer_; // the DER of certificado.pem
};

void TestCertificado::initTestCase() {
    // A folder with blanks, accents and characters outside Windows-1252, as users' are.
    pasta_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Certificados Conceição 証明書 XXXXXX"));
    QVERIFY(pasta_->isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty()) {
#if defined(Q_OS_WIN)
        QSKIP("the openssl tool makes these files; it runs on Linux (scripts/common.sh installs it)");
#else
        QFAIL("the openssl tool is not installed (scripts/common.sh installs it)");
#endif
    }
    const autoridadeteste::Autoridade ac(pasta_->path());
    QVERIFY2(ac.criada(), ac.criacao().saida.constData());
    const QString s = QStringLiteral("-out");
    rodar({QStringLiteral("genpkey"), QStringLiteral("-algorithm"), QStringLiteral("RSA"), s,
           QStringLiteral("chave.pem")});
    rodar({QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-key"), QStringLiteral("chave.pem"),
           QStringLiteral("-subj"), QStringLiteral("/C=BR/CN=SAT de teste"), s, QStringLiteral("pedido.pem")});
    rodar({QStringLiteral("req"), QStringLiteral("-in"), QStringLiteral("pedido.pem"), QStringLiteral("-outform"),
           QStringLiteral("DER"), s, QStringLiteral("pedido.der")});
    const autoridadeteste::Execucao assinado = ac.assinar(QStringLiteral("pedido.pem"), QStringLiteral("certificado.pem"));
    QVERIFY2(assinado.status == 0, assinado.saida.constData());
    rodar({QStringLiteral("x509"), QStringLiteral("-in"), QStringLiteral("certificado.pem"), QStringLiteral("-outform"),
           QStringLiteral("DER"), s, QStringLiteral("certificado.der")});
    rodar({QStringLiteral("x509"), QStringLiteral("-in"), QStringLiteral("certificado.pem"), QStringLiteral("-text"),
           s, QStringLiteral("certificado-com-texto.pem")});
    const QStringList pkey{QStringLiteral("pkey"), QStringLiteral("-in"), QStringLiteral("chave.pem")};
    rodar(pkey + QStringList{QStringLiteral("-traditional"), s, QStringLiteral("chave-rsa.pem")});
    rodar({QStringLiteral("pkcs8"), QStringLiteral("-topk8"), QStringLiteral("-nocrypt"), QStringLiteral("-in"),
           QStringLiteral("chave.pem"), QStringLiteral("-outform"), QStringLiteral("DER"), s,
           QStringLiteral("chave.der")});
    rodar(pkey + QStringList{QStringLiteral("-traditional"), QStringLiteral("-outform"), QStringLiteral("DER"), s,
                             QStringLiteral("chave-rsa.der")});
    rodar(pkey + QStringList{QStringLiteral("-pubout"), QStringLiteral("-outform"), QStringLiteral("DER"), s,
                             QStringLiteral("publica.der")});
    rodar(pkey + QStringList{QStringLiteral("-pubout"), s, QStringLiteral("publica.pem")});
    rodar({QStringLiteral("pkcs8"), QStringLiteral("-topk8"), QStringLiteral("-in"), QStringLiteral("chave.pem"),
           QStringLiteral("-passout"), QStringLiteral("pass:teste"), QStringLiteral("-outform"), QStringLiteral("DER"),
           s, QStringLiteral("chave-cifrada.der")});
    rodar({QStringLiteral("pkcs8"), QStringLiteral("-topk8"), QStringLiteral("-in"), QStringLiteral("chave.pem"),
           QStringLiteral("-passout"), QStringLiteral("pass:teste"), s, QStringLiteral("chave-cifrada.pem")});
    rodar({QStringLiteral("genpkey"), QStringLiteral("-algorithm"), QStringLiteral("EC"), QStringLiteral("-pkeyopt"),
           QStringLiteral("ec_paramgen_curve:P-256"), s, QStringLiteral("ec.pem")});
    rodar({QStringLiteral("pkey"), QStringLiteral("-in"), QStringLiteral("ec.pem"), QStringLiteral("-traditional"),
           QStringLiteral("-outform"), QStringLiteral("DER"), s, QStringLiteral("ec.der")});
    rodar({QStringLiteral("pkcs12"), QStringLiteral("-export"), QStringLiteral("-in"), QStringLiteral("certificado.pem"),
           QStringLiteral("-inkey"), QStringLiteral("chave.pem"), QStringLiteral("-passout"),
           QStringLiteral("pass:teste"), s, QStringLiteral("certificado.pfx")});
    rodar({QStringLiteral("crl2pkcs7"), QStringLiteral("-nocrl"), QStringLiteral("-certfile"),
           QStringLiteral("certificado.pem"), QStringLiteral("-certfile"), ac.certificado(), QStringLiteral("-outform"),
           QStringLiteral("DER"), s, QStringLiteral("cadeia.p7b")});

    certificadoDer_ = ler(caminho(QStringLiteral("certificado.der")));
    QVERIFY(certificadoDer_.startsWith('\x30'));
    const QByteArray pem = ler(caminho(QStringLiteral("certificado.pem")));
    gravar(QStringLiteral("cadeia.pem"), pem + ler(ac.certificado()));
    gravar(QStringLiteral("certificado-e-chave.pem"), pem + ler(caminho(QStringLiteral("chave.pem"))));
    gravar(QStringLiteral("chave-e-certificado.pem"), ler(caminho(QStringLiteral("chave-rsa.pem"))) + pem);
    gravar(QStringLiteral("certificado-crlf.cer"), QByteArray(pem).replace("\n", "\r\n"));
    gravar(QStringLiteral("certificado-bom.pem"), "\xEF\xBB\xBF" + pem);
    gravar(QStringLiteral("certificado.b64"), certificadoDer_.toBase64() + "\n");
    gravar(QStringLiteral("pedido-e-certificado.pem"), ler(caminho(QStringLiteral("pedido.pem"))) + pem);
    gravar(QStringLiteral("vazio.pem"), {});
    gravar(QStringLiteral("brancos.pem"), " \r\n\t\n");
    gravar(QStringLiteral("texto.txt"), "isto não é um certificado\n");
    QByteArray estragado = pem;
    estragado.replace(40, 3, "@@@");
    gravar(QStringLiteral("estragado.pem"), estragado);
    gravar(QStringLiteral("sem-fim.pem"), pem.left(pem.indexOf("-----END")));
    gravar(QStringLiteral("cortado.der"), certificadoDer_.chopped(1));
    gravar(QStringLiteral("sobra.der"), certificadoDer_ + '\0');
    gravar(QStringLiteral("sequencia.der"), QByteArray::fromHex("3003020105"));
    gravar(QStringLiteral("grande.der"), QByteArray(1024 * 1024 + 1, '\x30'));
}

void TestCertificado::arquivos_data() {
    QTest::addColumn<QString>("arquivo");
    QTest::addColumn<QString>("recusa"); // a part of the message; empty: accepted

    const QString pedido = QStringLiteral("pedido de certificado (CSR)");
    const QString chave = QStringLiteral("O arquivo traz uma chave privada, que nunca é enviada");
    const QString naoCertificado = QStringLiteral("não traz um certificado X.509");
    for (const char* aceito : {"certificado.pem", "certificado.der", "certificado-com-texto.pem",
                               "certificado-crlf.cer", "certificado-bom.pem", "certificado.b64",
                               "pedido-e-certificado.pem"})
        QTest::newRow(aceito) << QString::fromLatin1(aceito) << QString();
    QTest::newRow("pedido PEM") << QStringLiteral("pedido.pem") << pedido;
    QTest::newRow("pedido DER") << QStringLiteral("pedido.der") << pedido;
    for (const char* arquivo : {"chave.pem", "chave.der", "chave-rsa.pem", "chave-rsa.der", "chave-cifrada.der",
                                "chave-cifrada.pem", "ec.pem", "ec.der", "certificado-e-chave.pem",
                                "chave-e-certificado.pem"})
        QTest::newRow(arquivo) << QString::fromLatin1(arquivo) << chave;
    QTest::newRow("PKCS#12") << QStringLiteral("certificado.pfx") << QStringLiteral("PKCS#12 (.pfx, .p12)");
    QTest::newRow("PKCS#7") << QStringLiteral("cadeia.p7b") << QStringLiteral("cadeia PKCS#7");
    QTest::newRow("cadeia PEM") << QStringLiteral("cadeia.pem") << QStringLiteral("traz 2 certificados");
    QTest::newRow("chave pública DER") << QStringLiteral("publica.der") << QStringLiteral("chave pública");
    QTest::newRow("chave pública PEM") << QStringLiteral("publica.pem") << QStringLiteral("chave pública");
    QTest::newRow("vazio") << QStringLiteral("vazio.pem") << QStringLiteral("está vazio");
    QTest::newRow("só brancos") << QStringLiteral("brancos.pem") << QStringLiteral("está vazio");
    QTest::newRow("texto") << QStringLiteral("texto.txt") << QStringLiteral("não é PEM, nem DER, nem Base64");
    QTest::newRow("PEM que não é Base64") << QStringLiteral("estragado.pem")
                                          << QStringLiteral("\"CERTIFICATE\" do arquivo não é Base64");
    QTest::newRow("PEM sem fim") << QStringLiteral("sem-fim.pem")
                                 << QStringLiteral("falta a linha \"-----END CERTIFICATE-----\"");
    QTest::newRow("DER cortado") << QStringLiteral("cortado.der") << naoCertificado;
    QTest::newRow("DER com sobra") << QStringLiteral("sobra.der") << naoCertificado;
    QTest::newRow("outra sequência DER") << QStringLiteral("sequencia.der") << naoCertificado;
    QTest::newRow("maior que 1 MB") << QStringLiteral("grande.der") << QStringLiteral("mais de 1 MB");
}

void TestCertificado::arquivos() {
    QFETCH(QString, arquivo);
    QFETCH(QString, recusa);
    const comandos::CertificadoLido lido = comandos::certificadoDeArquivo(caminho(arquivo));
    if (recusa.isEmpty()) {
        QVERIFY2(!lido.recusa, qPrintable(lido.recusa.value_or(QString())));
        // The DER in Base64 on one line: the form in which the device gave its request.
        QCOMPARE(lido.base64, QString::fromLatin1(certificadoDer_.toBase64()));
    } else {
        QVERIFY(lido.recusa);
        QVERIFY2(lido.recusa->contains(recusa), qPrintable(*lido.recusa));
        QVERIFY(lido.base64.isEmpty());
    }
}

void TestCertificado::arquivoQueNaoSeLe_data() {
    QTest::addColumn<QString>("arquivo");
    QTest::addColumn<QString>("recusa");
    QTest::newRow("não existe") << QStringLiteral("não existe.pem") << comandos::arquivoNaoEncontrado;
    QTest::newRow("uma pasta") << QStringLiteral(".") << comandos::arquivoIlegivel;
}

void TestCertificado::arquivoQueNaoSeLe() {
    QFETCH(QString, arquivo);
    QFETCH(QString, recusa);
    QCOMPARE(comandos::certificadoDeArquivo(caminho(arquivo)).recusa, std::optional<QString>(recusa));
}

void TestCertificado::pedidoEmPem() {
    const QByteArray der = ler(caminho(QStringLiteral("pedido.der")));
    // The device's Base64 may come in lines of its own: the PEM is written anew.
    QByteArray base64 = der.toBase64();
    base64.insert(10, "\r\n");
    const std::optional<QByteArray> pem =
        comandos::pedidoEmPem({"000123", "04006", "CSR ICP-BRASIL criado com sucesso", "", "", base64});
    QVERIFY(pem);
    const QList<QByteArray> linhas = pem->split('\n');
    QCOMPARE(linhas.first(), QByteArray("-----BEGIN CERTIFICATE REQUEST-----"));
    QCOMPARE(linhas.at(linhas.size() - 2), QByteArray("-----END CERTIFICATE REQUEST-----"));
    QCOMPARE(linhas.last(), QByteArray()); // the last line ends too
    for (qsizetype i = 1; i < linhas.size() - 3; ++i)
        QCOMPARE(linhas[i].size(), 64);
    QVERIFY(linhas.at(linhas.size() - 3).size() <= 64);
    // Byte for byte what openssl writes for the same request.
    QCOMPARE(*pem, ler(caminho(QStringLiteral("pedido.pem"))));
}

void TestCertificado::respostaSemPedido_data() {
    QTest::addColumn<QByteArrayList>("campos");
    QTest::newRow("cinco campos") << QByteArrayList{"000123", "04006", "CSR ICP-BRASIL criado com sucesso", "", ""};
    QTest::newRow("sexto campo vazio") << QByteArrayList{"000123", "04006", "ok", "", "", ""};
    QTest::newRow("sexto campo não Base64") << QByteArrayList{"000123", "04006", "ok", "", "", "não é Base64!"};
    // One Base64 character holds no whole byte: an empty request.
    QTest::newRow("sexto campo sem um byte") << QByteArrayList{"000123", "04006", "ok", "", "", "0"};
}

void TestCertificado::respostaSemPedido() {
    QFETCH(QByteArrayList, campos);
    QCOMPARE(comandos::pedidoEmPem(campos), std::nullopt);
}

QTEST_GUILESS_MAIN(TestCertificado)
#include "tst_certificado.moc"
