// The signature file: read in the 8-bit code page with its line breaks dropped.
#include "operations/arquivotexto.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestArquivoTexto : public QObject {
    Q_OBJECT
private slots:
    void linhasJuntas_data();
    void linhasJuntas();
    void arquivoQueNaoSeLe();
};

void TestArquivoTexto::linhasJuntas_data() {
    QTest::addColumn<QByteArray>("conteudo");
    QTest::addColumn<QString>("texto");
    QTest::newRow("uma linha sem fim de linha") << QByteArray("abc+/=") << "abc+/=";
    QTest::newRow("LF") << QByteArray("abc\ndef\n") << "abcdef";
    QTest::newRow("CR LF") << QByteArray("abc\r\ndef\r\n") << "abcdef";
    QTest::newRow("CR sozinho") << QByteArray("abc\rdef") << "abcdef";
    QTest::newRow("linhas vazias") << QByteArray("\n\nabc\n\n") << "abc";
    QTest::newRow("brancos e tabulações ficam") << QByteArray(" a b\t\n c ") << " a b\t c ";
    QTest::newRow("8 bits: Windows-1252") << QByteArray("S\xe3o Jo\xe3o \x80") << "São João €";
    QTest::newRow("vazio") << QByteArray() << "";
}

void TestArquivoTexto::linhasJuntas() {
    QFETCH(QByteArray, conteudo);
    QFETCH(QString, texto);
    QTemporaryDir pasta;
    QFile arquivo(pasta.filePath(QStringLiteral("assinatura.txt")));
    QVERIFY(arquivo.open(QIODevice::WriteOnly));
    QCOMPARE(arquivo.write(conteudo), conteudo.size());
    arquivo.close();
    QCOMPARE(LeArquivosCert(arquivo.fileName()), std::optional<QString>(texto));
}

void TestArquivoTexto::arquivoQueNaoSeLe() {
    QTemporaryDir pasta;
    QCOMPARE(LeArquivosCert(pasta.filePath(QStringLiteral("ausente.txt"))), std::nullopt);
    // A folder opens but cannot be read as a file.
    QCOMPARE(LeArquivosCert(pasta.path()), std::nullopt);
}

QTEST_GUILESS_MAIN(TestArquivoTexto)
#include "tst_arquivotexto.moc"
