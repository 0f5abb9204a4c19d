#include "validation/cnpj.h"

#include <QTest>

class TestCnpj : public QObject {
    Q_OBJECT

private slots:
    void isCNPJ_data();
    void isCNPJ();
    void everySingleDigitChangeIsRejected();
};

void TestCnpj::isCNPJ_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");

    // Real numbers with both check digits right.
    QTest::newRow("example 11222333000181") << QStringLiteral("11222333000181") << true;
    QTest::newRow("check digits 0 and 1") << QStringLiteral("33000167000101") << true;
    QTest::newRow("leading zeros") << QStringLiteral("00000000000191") << true;
    QTest::newRow("60701190000104") << QStringLiteral("60701190000104") << true;
    QTest::newRow("60746948000112") << QStringLiteral("60746948000112") << true;
    QTest::newRow("00360305000104") << QStringLiteral("00360305000104") << true;
    QTest::newRow("11444777000161") << QStringLiteral("11444777000161") << true;

    // Fourteen equal digits: the zeros would pass the digit rule, all are refused.
    for (char d = '0'; d <= '9'; ++d) {
        QTest::newRow(qPrintable(QStringLiteral("fourteen %1").arg(QLatin1Char(d))))
            << QString(14, QLatin1Char(d)) << false;
    }
    QTest::newRow("thirteen ones, length rule") << QString(13, u'1') << false;
    QTest::newRow("fifteen zeros") << QString(15, u'0') << false;

    QTest::newRow("first check digit wrong") << QStringLiteral("11222333000191") << false;
    QTest::newRow("second check digit wrong") << QStringLiteral("11222333000182") << false;
    QTest::newRow("body digit changed") << QStringLiteral("11222334000181") << false;
    QTest::newRow("check digits swapped") << QStringLiteral("11222333000118") << false;
    QTest::newRow("with mask punctuation") << QStringLiteral("11.222.333/0001-81") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blank 14") << QString(14, u' ') << false;
    QTest::newRow("valid with trailing blank") << QStringLiteral("11222333000181 ") << false;
    QTest::newRow("letter in body") << QStringLiteral("1122233300A181") << false;
    QTest::newRow("letter first") << QStringLiteral("A1222333000181") << false;
    QTest::newRow("letter as last digit") << QStringLiteral("1122233300018X") << false;
    QTest::newRow("letter as first check digit") << QStringLiteral("112223330001X1") << false;
    // Digits of other scripts are not the decimal digits 0 to 9.
    QTest::newRow("arabic-indic digit") << QStringLiteral("1122233300018") + QChar(0x0661) << false;
    QTest::newRow("fullwidth digit") << QChar(0xFF11) + QStringLiteral("1222333000181") << false;
    // ':' is the character after '9': arithmetic on it would give a digit value of 10.
    QTest::newRow("colon in body") << QStringLiteral("1122233300:181") << false;
}

void TestCnpj::isCNPJ() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(validation::isCNPJ(text), valid);
}

// A modulo-11 check digit catches every single-digit error: no variant of a valid
// number with one digit changed may pass.
void TestCnpj::everySingleDigitChangeIsRejected() {
    const QString valid = QStringLiteral("11222333000181");
    QVERIFY(validation::isCNPJ(valid));
    for (qsizetype pos = 0; pos < valid.size(); ++pos) {
        for (char16_t d = u'0'; d <= u'9'; ++d) {
            if (valid.at(pos) == QChar(d))
                continue;
            QString changed = valid;
            changed[pos] = QChar(d);
            QVERIFY2(!validation::isCNPJ(changed), qPrintable(changed));
        }
    }
}

QTEST_GUILESS_MAIN(TestCnpj)
#include "tst_cnpj.moc"
