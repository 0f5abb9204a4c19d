#include "sat/sessao.h"

#include <QSet>
#include <QTest>

using sat::GeradorSessao;

class TestSessao : public QObject {
    Q_OBJECT
private slots:
    void candidato_data();
    void candidato();
    void cemSeguidosSaoDistintosEOCentesimoPrimeiroNaoRepeteOPrimeiro();
    void duasSessoesNoMesmoMilissegundoDiferem();
    void faixaDeValores();
};

void TestSessao::candidato_data() {
    QTest::addColumn<QTime>("hora");
    QTest::addColumn<QString>("numero");
    // Expected values worked out by hand from the seed formula and the generator step.
    QTest::newRow("meia-noite: semente 0, estado 1, R 0") << QTime(0, 0, 0, 0) << "000001";
    QTest::newRow("um milissegundo") << QTime(0, 0, 0, 1) << "446847";
    QTest::newRow("12:34:56.789") << QTime(12, 34, 56, 789) << "020756";
    QTest::newRow("23:59:59.999") << QTime(23, 59, 59, 999) << "197451";
    QTest::newRow("10:00:00.000") << QTime(10, 0, 0, 0) << "485593";
}

void TestSessao::candidato() {
    QFETCH(QTime, hora);
    QFETCH(QString, numero);
    QCOMPARE(GeradorSessao::candidato(hora), numero);
}

void TestSessao::cemSeguidosSaoDistintosEOCentesimoPrimeiroNaoRepeteOPrimeiro() {
    // The clock offers every draw a new millisecond, but draws 101 and 102 start at
    // the time of the first draw again.
    int leitura = 0;
    const QTime inicio(9, 0, 0, 0);
    GeradorSessao gerador([&]() {
        const int n = leitura++;
        if (n == 100 || n == 102)
            return inicio;
        return inicio.addMSecs(n);
    });

    QSet<QString> vistos;
    QString primeiro;
    for (int i = 0; i < 100; ++i) {
        const QString numero = gerador.geranumsessao();
        if (i == 0)
            primeiro = numero;
        QVERIFY2(!vistos.contains(numero), qPrintable(numero));
        vistos.insert(numero);
    }
    // The first number is still among the last 100: the 101st cannot be it...
    const QString centesimoPrimeiro = gerador.geranumsessao();
    QVERIFY(centesimoPrimeiro != primeiro);
    QVERIFY(!vistos.contains(centesimoPrimeiro));
    // ...but it has just pushed the first out of the ring, so the 102nd may repeat it.
    QCOMPARE(gerador.geranumsessao(), primeiro);
}

void TestSessao::duasSessoesNoMesmoMilissegundoDiferem() {
    int leituras = 0;
    const QTime agora(14, 30, 15, 250);
    // Five readings inside the same millisecond before the clock moves on.
    GeradorSessao gerador([&]() { return agora.addMSecs(leituras++ < 5 ? 0 : 1); });

    const QString primeiro = gerador.geranumsessao();
    const QString segundo = gerador.geranumsessao();
    QVERIFY(primeiro != segundo);
    QCOMPARE(segundo, GeradorSessao::candidato(agora.addMSecs(1)));
    QCOMPARE(leituras, 6); // the second draw waited for the clock to move on
}

void TestSessao::faixaDeValores() {
    // Every millisecond of a second, across several hours: six digits, never
    // "000000" nor "999999".
    for (int h : {0, 7, 13, 23})
        for (int ms = 0; ms < 1000; ++ms) {
            const QString n = GeradorSessao::candidato(QTime(h, 17, 42, ms));
            QCOMPARE(n.size(), 6);
            const int valor = n.toInt();
            QVERIFY(valor >= 1 && valor <= 999998);
        }
}

QTEST_APPLESS_MAIN(TestSessao)
#include "tst_sessao.moc"
