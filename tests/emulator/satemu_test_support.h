// Shared helpers of the emulated device's tests: a fresh device folder per
// test, answer splitting and the documents a console or an application sends.
#ifndef SATEMU_TEST_SUPPORT_H
#define SATEMU_TEST_SUPPORT_H

#include "satemu.h"

#include <memory>
#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

namespace satemu_test {

inline const QByteArray kCode = "12345678";
inline const QByteArray kTaxpayer = "11222333000181";
inline const QByteArray kSoftwareHouse = "11444777000161";
inline const QByteArray kEmergencyCode = "EMERGENCIA-SATEMU";
inline const QByteArray kFactorySerial = "900004019";
inline constexpr int kSaoPaulo = 35;

// A temporary SATEMU_HOME: the device state and fault file of one test.
class DeviceHome {
public:
    DeviceHome() {
        if (!dir_.isValid())
            qFatal("cannot create a temporary folder");
        qputenv("SATEMU_HOME", QFile::encodeName(dir_.path()));
    }
    ~DeviceHome() { qunsetenv("SATEMU_HOME"); }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return QDir(dir_.path()).filePath(name); }
    QString stateFile() const { return file(QStringLiteral("satemu-state.txt")); }
    QString faultFile() const { return file(QStringLiteral("satemu-faults.conf")); }
    void writeFaults(const QByteArray& text) const { write(faultFile(), text); }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
        f.write(bytes);
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};

// Session numbers as a console hands them out: six digits, never repeated here.
inline int nextSession() {
    static int n = 100;
    n = n >= 999999 ? 101 : n + 1;
    return n;
}

inline QList<QByteArray> fields(const char* answer) {
    const QByteArray a(answer);
    return a.isEmpty() ? QList<QByteArray>() : a.split('|');
}

inline QByteArray sessionText(int n) {
    return QByteArray::number(n).rightJustified(6, '0');
}

// A commercial application's signature: 344 Base64 characters (256 bytes).
inline QByteArray signature() {
    QByteArray raw;
    for (int i = 0; i < 256; ++i)
        raw += static_cast<char>((i * 37 + 11) & 0xFF);
    return raw.toBase64();
}

inline QByteArray activate(const QByteArray& code = kCode) {
    const int s = nextSession();
    return AtivarSAT(s, 1, code.constData(), kTaxpayer.constData(), kSaoPaulo);
}

inline QByteArray associate() {
    const QByteArray pair = kSoftwareHouse + kTaxpayer;
    return AssociarAssinatura(nextSession(), kCode.constData(), pair.constData(), signature().constData());
}

// The end-to-end test document as the console builds it.
inline QByteArray testDocument(bool production, const QByteArray& taxpayer = kTaxpayer,
                               const QByteArray& softwareHouse = kSoftwareHouse,
                               const QByteArray& sign = signature()) {
    QByteArray d =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>";
    d += production ? softwareHouse : QByteArray(14, '0');
    d += "</CNPJ><signAC>";
    d += production ? sign : QByteArray(344, '0');
    d += "</signAC><numeroCaixa>099</numeroCaixa></ide><emit><CNPJ>" + taxpayer + "</CNPJ><IE>";
    d += production ? QByteArray("111111111111") : QByteArray(12, '0');
    d += "</IE><cRegTribISSQN>1</cRegTribISSQN><indRatISSQN>N</indRatISSQN></emit>";
    d += production ? QByteArray("<dest><CNPJ>11222333000181</CNPJ></dest>") : QByteArray("<dest/>");
    d +=
        "<det nItem=\"1\"><prod><cProd>001</cProd><xProd>MiniPc "
        "Brisel</xProd><CFOP>5001</CFOP><uCom>UN</uCom>"
        "<qCom>1.0000</qCom><vUnCom>654.320</vUnCom><indRegra>A</indRegra></prod><imposto>"
        "<vItem12741>1.00</vItem12741><ICMS><ICMS00><Orig>0</Orig><CST>00</CST><pICMS>12.00</pICMS></ICMS00>"
        "</ICMS><PIS><PISAliq><CST>01</CST><vBC>654.32</vBC><pPIS>0.0600</pPIS></PISAliq></PIS><COFINS>"
        "<COFINSAliq><CST>01</CST><vBC>654.32</vBC><pCOFINS>0.0400</pCOFINS></COFINSAliq></COFINS></imposto>"
        "</det><total><vCFeLei12741>1.00</vCFeLei12741></total><pgto><MP><cMP>01</cMP><vMP>2000.00</vMP></MP>"
        "</pgto></infCFe></CFe>";
    return d;
}

// A sale of a commercial application: `items` are whole <det> elements
// without their nItem (numbered here), `extraTotal` goes inside <total>.
inline QByteArray saleDocument(const QList<QByteArray>& items, const QByteArray& payments,
                               const QByteArray& dest = "<dest/>", const QByteArray& extraTotal = {},
                               const QByteArray& sign = signature()) {
    QByteArray d = "<CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>" + kSoftwareHouse + "</CNPJ><signAC>" +
                   sign + "</signAC><numeroCaixa>001</numeroCaixa></ide><emit><CNPJ>" + kTaxpayer +
                   "</CNPJ><IE>111111111111</IE><indRatISSQN>N</indRatISSQN></emit>" + dest;
    int n = 0;
    for (const QByteArray& item : items)
        d += "<det nItem=\"" + QByteArray::number(++n) + "\">" + item + "</det>";
    d += "<total>" + extraTotal + "</total><pgto>" + payments + "</pgto></infCFe></CFe>";
    return d;
}

inline QByteArray simpleItem(const QByteArray& price = "10.00", const QByteArray& quantity = "1.0000") {
    return "<prod><cProd>A1</cProd><xProd>Caneta</xProd><CFOP>5102</CFOP><uCom>UN</uCom><qCom>" + quantity +
           "</qCom><vUnCom>" + price +
           "</vUnCom><indRegra>A</indRegra></prod><imposto><ICMS><ICMS00><Orig>0</Orig><CST>00</CST>"
           "<pICMS>18.00</pICMS></ICMS00></ICMS><PIS><PISNT><CST>04</CST></PISNT></PIS><COFINS><COFINSNT>"
           "<CST>04</CST></COFINSNT></COFINS></imposto>";
}

inline QByteArray payment(const QByteArray& value, const QByteArray& kind = "01") {
    return "<MP><cMP>" + kind + "</cMP><vMP>" + value + "</vMP></MP>";
}

// Mod-11 check digit of an access key, weights 2 to 9 from the right.
inline int keyCheckDigit(const QByteArray& first43) {
    int sum = 0;
    int weight = 2;
    for (qsizetype i = first43.size() - 1; i >= 0; --i) {
        sum += (first43.at(i) - '0') * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int dv = 11 - sum % 11;
    return dv >= 10 ? 0 : dv;
}

inline QByteArray textOf(const QByteArray& xml, const QByteArray& element, int from = 0) {
    const QByteArray open = "<" + element + ">";
    const qsizetype b = xml.indexOf(open, from);
    if (b < 0)
        return {};
    const qsizetype e = xml.indexOf("</" + element + ">", b);
    return e < 0 ? QByteArray() : xml.mid(b + open.size(), e - b - open.size());
}

} // namespace satemu_test

#endif
