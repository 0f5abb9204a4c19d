// A 32-bit library on the console's side: which helper serves which library file, the
// version label's "(32 bits)", and the calling convention the helper saw shown in the
// label's tooltip. The helper here is a stand-in that answers as the 32-bit helper
// does (a 32-bit DLL cannot be loaded on Linux).
#include "app/tfativacao.h"
#include "cabecalhope.h"
#include "core/carga.h"
#include "interacaoroteirizada.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool gravar(const QString& caminho, const QByteArray& dados) {
    QFile f(caminho);
    return f.open(QIODevice::WriteOnly) && f.write(dados) == dados.size();
}

} // namespace

class TestBiblioteca32 : public QObject {
    Q_OBJECT
private slots:
    void escolhaDoHospedeiro_data();
    void escolhaDoHospedeiro();
    void rotuloEConvencao_data();
    void rotuloEConvencao();
};

void TestBiblioteca32::escolhaDoHospedeiro_data() {
    QTest::addColumn<QByteArray>("biblioteca"); // empty: no library file
    QTest::addColumn<bool>("comHospedeiro32");  // sat-host32.exe beside the console
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("DLL x86 com o helper de 32 bits")
        << cabecalhoPe(0x014c) << true << true << QStringLiteral("sat-host32.exe");
    // The 64-bit helper then fails to load it, and the load error says why in plain words.
    QTest::newRow("DLL x86 sem o helper de 32 bits")
        << cabecalhoPe(0x014c) << false << true << QStringLiteral("sat-host.exe");
    QTest::newRow("DLL x86-64") << cabecalhoPe(0x8664) << true << true << QStringLiteral("sat-host.exe");
    QTest::newRow("DLL ARM de 32 bits")
        << cabecalhoPe(0x01c4) << true << true << QStringLiteral("sat-host.exe");
    QTest::newRow("não é biblioteca")
        << QByteArray("texto") << true << true << QStringLiteral("sat-host.exe");
    QTest::newRow("sem biblioteca") << QByteArray() << true << true << QStringLiteral("sat-host.exe");
    QTest::newRow("Linux") << cabecalhoPe(0x014c) << true << false << QStringLiteral("sat-host");
}

void TestBiblioteca32::escolhaDoHospedeiro() {
    QFETCH(QByteArray, biblioteca);
    QFETCH(bool, comHospedeiro32);
    QFETCH(bool, windows);
    QFETCH(QString, esperado);
    QTemporaryDir programas;
    QTemporaryDir dados;
    QVERIFY(gravar(programas.filePath(QStringLiteral("sat-host.exe")), "MZ"));
    if (comHospedeiro32)
        QVERIFY(gravar(programas.filePath(QStringLiteral("sat-host32.exe")), "MZ"));
    QString caminho;
    if (!biblioteca.isEmpty()) {
        caminho = dados.filePath(QStringLiteral("SAT.DLL"));
        QVERIFY(gravar(caminho, biblioteca));
    }
    QCOMPARE(carga::hospedeiroPara(programas.path(), caminho, windows), programas.filePath(esperado));
}

void TestBiblioteca32::rotuloEConvencao_data() {
    QTest::addColumn<quint16>("maquina");
    QTest::addColumn<QByteArray>("primeiroByte"); // of the helper's text answers
    QTest::addColumn<QString>("rotulo");
    QTest::addColumn<QString>("dicaAntes"); // the label's tooltip before the first call
    QTest::addColumn<QString>("dicaDepois");
    const QString inicio =
        QStringLiteral("Biblioteca de 32 bits, atendida pelo programa auxiliar de 32 bits.\n"
                       "Convenção de chamada: ");
    QTest::newRow("32 bits, stdcall")
        << quint16(0x014c) << QByteArray("P") << QStringLiteral("DLL: SAT.DLL(32 bits) - Versão: ")
        << inicio + QStringLiteral("conhecida na primeira chamada")
        << inicio + QStringLiteral("stdcall (a biblioteca retira os argumentos da pilha)");
    QTest::newRow("32 bits, cdecl") << quint16(0x014c) << QByteArray("D")
                                    << QStringLiteral("DLL: SAT.DLL(32 bits) - Versão: ")
                                    << inicio + QStringLiteral("conhecida na primeira chamada")
                                    << inicio +
                                           QStringLiteral("cdecl (quem chama retira os argumentos da pilha)");
    // A helper that sees no convention (64 bits) leaves the 32-bit one's tooltip waiting.
    QTest::newRow("32 bits, convenção não vista")
        << quint16(0x014c) << QByteArray("R") << QStringLiteral("DLL: SAT.DLL(32 bits) - Versão: ")
        << inicio + QStringLiteral("conhecida na primeira chamada")
        << inicio + QStringLiteral("conhecida na primeira chamada");
    QTest::newRow("64 bits") << quint16(0x8664) << QByteArray("R")
                             << QStringLiteral("DLL: SAT.DLL(64 bits) - Versão: ") << QString() << QString();
}

void TestBiblioteca32::rotuloEConvencao() {
    QFETCH(quint16, maquina);
    QFETCH(QByteArray, primeiroByte);
    QFETCH(QString, rotulo);
    QFETCH(QString, dicaAntes);
    QFETCH(QString, dicaDepois);
    QTemporaryDir pasta;
    QVERIFY(gravar(pasta.filePath(QStringLiteral("SAT.DLL")), cabecalhoPe(maquina)));
    qputenv("HOSPEDEIRO_FALSO", "texto=" + primeiroByte);
    InteracaoRoteirizada ui;
    TFAtivacao janela(ui, TFAtivacao::Opcoes{pasta.path(), std::nullopt,
                                             pasta.filePath(QStringLiteral("Parametros.xml")),
                                             QStringLiteral(HOSPEDEIRO_FALSO)});
    QVERIFY(!janela.terminacaoSolicitada());
    QCOMPARE(ui.textos(InteracaoRoteirizada::Tipo::MensagemSemDono), QStringList());
    auto* label = janela.findChild<QLabel*>(QStringLiteral("lblVersaoDLL"));
    QVERIFY(label != nullptr);
    // The label's text is the version rule's; only the word size comes from the file.
    QCOMPARE(label->text(), rotulo);
    QCOMPARE(label->toolTip(), dicaAntes);

    janela.findChild<QPushButton*>(QStringLiteral("BtnPrincipal"))->click();
    QCOMPARE(ui.mensagens(), QStringList());
    QVERIFY(janela.caminho().retorno().endsWith("|08000|SAT em operacao||"));
    QCOMPARE(label->text(), rotulo);
    QCOMPARE(label->toolTip(), dicaDepois);
    qunsetenv("HOSPEDEIRO_FALSO");
}

QTEST_MAIN(TestBiblioteca32)
#include "tst_biblioteca32.moc"
