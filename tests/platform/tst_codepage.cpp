#include "platform/codepage.h"

#include <QTest>

class TestCodepage : public QObject {
    Q_OBJECT
private slots:
    void paraAnsi_data();
    void paraAnsi();
    void todosOsBytesVoltamIguais();
};

void TestCodepage::paraAnsi_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("cabe");
    QTest::newRow("ASCII") << QStringLiteral("AtivarSAT 123") << QByteArray("AtivarSAT 123") << true;
    QTest::newRow("acentos do português") << QStringLiteral("Ativação é ü")
                                          << QByteArray("Ativa\xe7\xe3o \xe9 \xfc") << true;
    QTest::newRow("faixa 0x80 do Windows") << QStringLiteral("€ “x” – ‰") << QByteArray("\x80 \x93x\x94 \x96 \x89")
                                           << true;
    QTest::newRow("fora da página vira ?") << QStringLiteral("aĀb") << QByteArray("a?b") << false;
    QTest::newRow("fora do plano básico vira um só ?") << QString::fromUtf8("x\xF0\x9F\x98\x80y")
                                                      << QByteArray("x?y") << false;
}

void TestCodepage::paraAnsi() {
    QFETCH(QString, texto);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, cabe);
    QCOMPARE(platform::toAnsi(texto), bytes);
    QCOMPARE(platform::ansiCanEncode(texto), cabe);
    if (cabe)
        QCOMPARE(platform::fromAnsi(bytes), texto);
}

void TestCodepage::todosOsBytesVoltamIguais() {
    QByteArray todos;
    for (int b = 0; b < 256; ++b)
        todos.append(static_cast<char>(b));
    QCOMPARE(platform::toAnsi(platform::fromAnsi(todos)), todos);
}

QTEST_APPLESS_MAIN(TestCodepage)
#include "tst_codepage.moc"
