#include "platform/platform.h"
#include "sat/bibliotecasat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using sat::BibliotecaSat;
using sat::FuncoesSAT;

namespace {

int slotsPreenchidos(const FuncoesSAT& f) {
    int n = 0;
    sat::paraCadaFuncao([&](const char*, auto membro) { n += (f.*membro.value) != nullptr ? 1 : 0; });
    return n;
}

} // namespace

class TestBibliotecaSat : public QObject {
    Q_OBJECT
private slots:
    void carregaTodasAsFuncoes();
    void funcaoAusenteDeixaSlotVazio();
    void arquivoQueNaoCarregaDizOMotivo_data();
    void arquivoQueNaoCarregaDizOMotivo();
    void segundaCargaLiberaAPrimeira();
    void cargaQueFalhaEsqueceAsFuncoesAnteriores();
    void versao_data();
    void versao();
    void versaoDeArquivoInexistente();
    void versaoDoExecutavel();

private:
    QTemporaryDir pasta_;
};

void TestBibliotecaSat::carregaTodasAsFuncoes() {
    BibliotecaSat biblioteca;
    QString erro;
    QVERIFY2(biblioteca.carregar(QStringLiteral(SATTESTE_COMPLETA), erro), qPrintable(erro));
    QVERIFY(biblioteca.vinculada());
    QCOMPARE(slotsPreenchidos(biblioteca.funcoes()), 17);
    QCOMPARE(QByteArray(biblioteca.funcoes().ConsultarSAT(123)), QByteArray("000123|08000|ConsultarSAT|||"));
    QCOMPARE(QByteArray(biblioteca.funcoes().AtivarSAT(7, 1, "c", "n", 35)), QByteArray("000007|04000|AtivarSAT|||"));
}

void TestBibliotecaSat::funcaoAusenteDeixaSlotVazio() {
    BibliotecaSat biblioteca;
    QString erro;
    QVERIFY(biblioteca.carregar(QStringLiteral(SATTESTE_PARCIAL), erro));
    QCOMPARE(slotsPreenchidos(biblioteca.funcoes()), 1);
    QVERIFY(biblioteca.funcoes().ConsultarSAT != nullptr);
    QVERIFY(biblioteca.funcoes().AtivarSAT == nullptr);
}

void TestBibliotecaSat::arquivoQueNaoCarregaDizOMotivo_data() {
    QTest::addColumn<QByteArray>("conteudo");
    QTest::addColumn<bool>("existe");
    QTest::newRow("não é uma biblioteca") << QByteArray("isto não é uma biblioteca") << true;
    QTest::newRow("arquivo vazio") << QByteArray() << true;
    QTest::newRow("arquivo ausente") << QByteArray() << false;
}

void TestBibliotecaSat::arquivoQueNaoCarregaDizOMotivo() {
    QFETCH(QByteArray, conteudo);
    QFETCH(bool, existe);
    const QString caminho = pasta_.filePath(QStringLiteral("SAT_x64.DLL"));
    QFile::remove(caminho);
    if (existe) {
        QFile arquivo(caminho);
        QVERIFY(arquivo.open(QIODevice::WriteOnly));
        arquivo.write(conteudo);
    }
    BibliotecaSat biblioteca;
    QString erro;
    QVERIFY(!biblioteca.carregar(caminho, erro));
    QVERIFY(!biblioteca.vinculada());
    QVERIFY2(erro.contains(QStringLiteral("SAT_x64.DLL")), qPrintable(erro)); // the loader's own words
    QCOMPARE(slotsPreenchidos(biblioteca.funcoes()), 0);
}

void TestBibliotecaSat::segundaCargaLiberaAPrimeira() {
    BibliotecaSat biblioteca;
    QString erro;
    QVERIFY(biblioteca.carregar(QStringLiteral(SATTESTE_COMPLETA), erro));
    QVERIFY(biblioteca.carregar(QStringLiteral(SATTESTE_PARCIAL), erro));
    QCOMPARE(slotsPreenchidos(biblioteca.funcoes()), 1);
}

void TestBibliotecaSat::cargaQueFalhaEsqueceAsFuncoesAnteriores() {
    BibliotecaSat biblioteca;
    QString erro;
    QVERIFY(biblioteca.carregar(QStringLiteral(SATTESTE_COMPLETA), erro));
    QVERIFY(!biblioteca.carregar(pasta_.filePath(QStringLiteral("nada.so")), erro));
    QVERIFY(!biblioteca.vinculada());
    QCOMPARE(slotsPreenchidos(biblioteca.funcoes()), 0);
}

void TestBibliotecaSat::versao_data() {
    QTest::addColumn<QString>("nome");
    QTest::addColumn<bool>("link");
    QTest::addColumn<QString>("esperado");
#if defined(Q_OS_WIN)
    // The version resource, whatever the file is called.
    QTest::newRow("recurso de versão") << "SAT_x64.DLL" << false << "2.1.0";
    QTest::newRow("cópia com outro nome") << "SAT.DLL" << false << "2.1.0";
#else
    QTest::newRow("link para arquivo versionado") << "SAT_x64.DLL" << true << "2.1.0";
    QTest::newRow("cópia sem sufixo numérico") << "SAT.DLL" << false << "";
#endif
}

void TestBibliotecaSat::versao() {
    QFETCH(QString, nome);
    QFETCH(bool, link);
    QFETCH(QString, esperado);
    const QString caminho = pasta_.filePath(nome);
    QFile::remove(caminho);
    if (link)
        QVERIFY(QFile::link(QStringLiteral(SATTESTE_COMPLETA), caminho));
    else
        QVERIFY(QFile::copy(QStringLiteral(SATTESTE_COMPLETA), caminho));
    QCOMPARE(QString::fromStdString(platform::versaoDoArquivo(caminho.toStdString())), esperado);
}

void TestBibliotecaSat::versaoDeArquivoInexistente() {
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             platform::versaoDoArquivo(pasta_.filePath(QStringLiteral("ausente.DLL")).toStdString()));
}

void TestBibliotecaSat::versaoDoExecutavel() {
    QCOMPARE(QString::fromStdString(platform::versaoDoArquivo(platform::caminhoDoExecutavel())),
             QStringLiteral(SATCONSOLE_VERSION));
    QCOMPARE(QDir::fromNativeSeparators(QString::fromStdString(platform::pastaDoExecutavel())),
             QCoreApplication::applicationDirPath());
}

QTEST_GUILESS_MAIN(TestBibliotecaSat)
#include "tst_bibliotecasat.moc"
