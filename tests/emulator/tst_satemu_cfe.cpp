// The CF-e the emulated device issues: end-to-end tests, sales and
// cancellations, their access keys, totals, signature digest and schema, and
// the session queries that hand them back.
#include "satemu_test_support.h"

#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

using namespace satemu_test;

namespace {

// Values of the leaf elements of a document, by path ("CFe/infCFe/ide/nCFe"), in document order.
QMultiMap<QString, QString> leaves(const QByteArray& xml, QString* error = nullptr) {
    QMultiMap<QString, QString> out;
    QXmlStreamReader r(xml);
    QStringList path;
    QString text;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            path << r.name().toString();
            text.clear();
            for (const auto& a : r.attributes())
                out.insert(path.join(QLatin1Char('/')) + QLatin1Char('@') + a.name().toString(),
                           a.value().toString());
        } else if (r.isCharacters()) {
            text += r.text();
        } else if (r.isEndElement()) {
            out.insert(path.join(QLatin1Char('/')), text);
            text.clear();
            path.removeLast();
        }
    }
    if (error != nullptr)
        *error = r.hasError() ? r.errorString() : QString();
    return out;
}

QByteArray decodeStrict(const QByteArray& b64) {
    const auto r = QByteArray::fromBase64Encoding(b64, QByteArray::AbortOnBase64DecodingErrors);
    return r ? r.decoded : QByteArray();
}

} // namespace

class TestSatemuCfe : public QObject {
    Q_OBJECT

private slots:
    void init() { home_ = std::make_unique<DeviceHome>(); }
    void cleanup() { home_.reset(); }

    void keyCheckDigitOfTheReferenceSample();
    void endToEndTestActivationKind();
    void endToEndTestProductionKind_data();
    void endToEndTestProductionKind();
    void sessionQueryHandsBackTheTest();
    void sessionQueryRefusals();
    void saleAnswerAndLastFiscalSession();
    void saleTotals_data();
    void saleTotals();
    void saleRefusals_data();
    void saleRefusals();
    void cancellation();
    void digestCoversTheCanonicalInfCFe();
    void documentsValidateAgainstTheSchema();

private:
    QByteArray sell(const QByteArray& document, QList<QByteArray>* answer = nullptr) {
        const auto f = fields(EnviarDadosVenda(nextSession(), kCode.constData(), document.constData()));
        if (answer != nullptr)
            *answer = f;
        return f.size() > 6 && f[1] == "06000" ? decodeStrict(f[6]) : QByteArray();
    }
    std::unique_ptr<DeviceHome> home_;
};

void TestSatemuCfe::keyCheckDigitOfTheReferenceSample() {
    // The oracle used below agrees with a CF-e issued by a real device.
    const QByteArray key = "35210814200166000166599000238700000482452078";
    QCOMPARE(keyCheckDigit(key.left(43)), key.at(43) - '0');
}

void TestSatemuCfe::endToEndTestActivationKind() {
    activate();
    const int s = nextSession();
    const auto f = fields(TesteFimAFim(s, kCode.constData(), testDocument(false).constData()));
    QCOMPARE(f.size(), 9);
    QCOMPARE(f[0], sessionText(s));
    QCOMPARE(f[1], QByteArray("09000"));
    QCOMPARE(QString::fromUtf8(f[2]), QStringLiteral("Emitido com sucesso"));
    const QByteArray cfe = decodeStrict(f[5]);
    QVERIFY(cfe.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe Id=\"CFe"));
    QString error;
    const auto v = leaves(cfe, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    // The access key: state, year and month, CNPJ, model 59, serial, number, random code, check digit.
    const QByteArray key = f[8].mid(3);
    QVERIFY(f[8].startsWith("CFe"));
    QCOMPARE(key.size(), 44);
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe@Id")).toLatin1(), f[8]);
    QCOMPARE(key.left(2), QByteArray("35"));
    QCOMPARE(key.mid(2, 4), f[6].mid(2, 4)); // AAMM of the emission
    QCOMPARE(key.mid(6, 14), kTaxpayer);
    QCOMPARE(key.mid(20, 2), QByteArray("59"));
    QCOMPARE(key.mid(22, 9), kFactorySerial);
    QCOMPARE(key.mid(31, 6), f[7]);
    QCOMPARE(key.mid(37, 6), v.value(QStringLiteral("CFe/infCFe/ide/cNF")).toLatin1());
    QCOMPARE(key.at(43) - '0', keyCheckDigit(key.left(43)));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/ide/cDV")).toLatin1(), key.right(1));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/ide/nCFe")).toLatin1(), f[7]);
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/ide/dEmi")) + v.value(QStringLiteral("CFe/infCFe/ide/hEmi")),
             QString::fromLatin1(f[6]));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/ide/tpAmb")), QStringLiteral("2"));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/ide/CNPJ")), QString(14, QLatin1Char('0')));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/ide/assinaturaQRCODE")).size(), 344);

    // Items, taxes and totals computed from the test document.
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/det/prod/vProd")), QStringLiteral("654.32"));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/det/prod/vItem")), QStringLiteral("654.32"));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/det/imposto/ICMS/ICMS00/vICMS")), QStringLiteral("78.52"));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/det/imposto/PIS/PISAliq/vPIS")), QStringLiteral("39.26"));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/det/imposto/COFINS/COFINSAliq/vCOFINS")),
             QStringLiteral("26.17"));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/total/ICMSTot/vICMS")), QStringLiteral("78.52"));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/total/vCFe")), QStringLiteral("654.32"));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/total/vCFeLei12741")), QStringLiteral("1.00"));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/pgto/vTroco")), QStringLiteral("1345.68"));
    QVERIFY(v.contains(QStringLiteral("CFe/infCFe/dest")));
    QVERIFY(!v.value(QStringLiteral("CFe/Signature/SignedInfo/Reference/DigestValue")).isEmpty());

    // A second test gets the next number.
    const auto g = fields(TesteFimAFim(nextSession(), kCode.constData(), testDocument(false).constData()));
    QCOMPARE(g[7], QByteArray("000002"));
    QVERIFY(g[8] != f[8]);
}

void TestSatemuCfe::endToEndTestProductionKind_data() {
    QTest::addColumn<bool>("associated");
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("associated") << true << testDocument(true) << QByteArray("09000");
    QTest::newRow("not associated") << false << testDocument(true) << QByteArray("09005");
    QTest::newRow("other software house")
        << true << testDocument(true, kTaxpayer, "11222333000181") << QByteArray("09006");
    QByteArray otherSignature = signature();
    otherSignature[0] = otherSignature[0] == 'A' ? 'B' : 'A';
    QTest::newRow("other signature") << true << testDocument(true, kTaxpayer, kSoftwareHouse, otherSignature)
                                     << QByteArray("09006");
    QTest::newRow("other taxpayer") << true << testDocument(true, "11444777000161") << QByteArray("09004");
    QTest::newRow("activation kind for another taxpayer")
        << true << testDocument(false, "11444777000161") << QByteArray("09004");
    QTest::newRow("not a CF-e") << true << QByteArray("<config/>") << QByteArray("09004");
}

void TestSatemuCfe::endToEndTestProductionKind() {
    QFETCH(bool, associated);
    QFETCH(QByteArray, document);
    QFETCH(QByteArray, expected);
    activate();
    if (associated)
        QCOMPARE(fields(associate().constData())[1], QByteArray("13000"));
    const auto f = fields(TesteFimAFim(nextSession(), kCode.constData(), document.constData()));
    QCOMPARE(f[1], expected);
    if (expected == "09000") {
        const auto v = leaves(decodeStrict(f[5]));
        QCOMPARE(v.value(QStringLiteral("CFe/infCFe/ide/CNPJ")).toLatin1(), kSoftwareHouse);
        QCOMPARE(v.value(QStringLiteral("CFe/infCFe/ide/signAC")).toLatin1(), signature());
        QCOMPARE(v.value(QStringLiteral("CFe/infCFe/dest/CNPJ")), QStringLiteral("11222333000181"));
    } else {
        QCOMPARE(f.size(), 5);
    }
}

void TestSatemuCfe::sessionQueryHandsBackTheTest() {
    activate();
    const int testSession = nextSession();
    const QByteArray testAnswer =
        TesteFimAFim(testSession, kCode.constData(), testDocument(false).constData());
    const int query = nextSession();
    const QByteArray answer = ConsultarNumeroSessao(query, kCode.constData(), testSession);
    QCOMPARE(answer, testAnswer);
    QCOMPARE(fields(answer.constData())[0], sessionText(testSession));
    // Any earlier call is kept, refusals included.
    const int refused = nextSession();
    const QByteArray refusal = ConsultarStatusOperacional(refused, "errado99");
    QCOMPARE(QByteArray(ConsultarNumeroSessao(nextSession(), kCode.constData(), refused)), refusal);
}

void TestSatemuCfe::sessionQueryRefusals() {
    const int q1 = nextSession();
    auto f = fields(ConsultarNumeroSessao(q1, kCode.constData(), 1));
    QCOMPARE(f[0], sessionText(q1));
    QCOMPARE(f[1], QByteArray("11002"));
    activate();
    const int q2 = nextSession();
    f = fields(ConsultarNumeroSessao(q2, kCode.constData(), 999));
    QCOMPARE(f.size(), 5);
    QCOMPARE(f[0], sessionText(q2)); // the query's own number: a refusal, not an earlier answer
    QCOMPARE(f[1], QByteArray("11003"));
    QCOMPARE(fields(ConsultarNumeroSessao(nextSession(), "errado99", q2))[1], QByteArray("11001"));
    QCOMPARE(fields(ConsultarUltimaSessaoFiscal(nextSession(), kCode.constData()))[1], QByteArray("19003"));
}

void TestSatemuCfe::saleAnswerAndLastFiscalSession() {
    activate();
    associate();
    QList<QByteArray> f;
    const int s = nextSession();
    const QByteArray doc = saleDocument({simpleItem("25.50", "2.0000")}, payment("60.00"),
                                        "<dest><CPF>11144477735</CPF><xNome>Maria</xNome></dest>");
    f = fields(EnviarDadosVenda(s, kCode.constData(), doc.constData()));
    QCOMPARE(f.size(), 12);
    QCOMPARE(f[0], sessionText(s));
    QCOMPARE(f[1], QByteArray("06000"));
    QCOMPARE(f[2], QByteArray("0000"));
    QCOMPARE(f[5], QByteArray());
    const QByteArray cfe = decodeStrict(f[6]);
    QVERIFY(!cfe.isEmpty());
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{14}$")).match(QString::fromLatin1(f[7])).hasMatch());
    QVERIFY(f[8].startsWith("CFe"));
    QCOMPARE(f[8].size(), 47);
    QCOMPARE(keyCheckDigit(f[8].mid(3, 43)), f[8].at(46) - '0');
    QCOMPARE(f[9], QByteArray("51.00"));
    QCOMPARE(f[10], QByteArray("11144477735"));
    QCOMPARE(f[11].size(), 344);
    const auto v = leaves(cfe);
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe@Id")).toLatin1(), f[8]);
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/ide/assinaturaQRCODE")).toLatin1(), f[11]);
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/pgto/vTroco")), QStringLiteral("9.00"));
    QCOMPARE(v.value(QStringLiteral("CFe/infCFe/dest/xNome")), QStringLiteral("Maria"));

    const QByteArray sale = QByteArray(ConsultarNumeroSessao(nextSession(), kCode.constData(), s));
    QCOMPARE(QByteArray(ConsultarUltimaSessaoFiscal(nextSession(), kCode.constData())), sale);
    // A refused sale does not replace the last fiscal session.
    const QByteArray unpaid = saleDocument({simpleItem()}, payment("1.00"));
    QCOMPARE(fields(EnviarDadosVenda(nextSession(), kCode.constData(), unpaid.constData()))[1],
             QByteArray("06010"));
    QCOMPARE(QByteArray(ConsultarUltimaSessaoFiscal(nextSession(), kCode.constData())), sale);
}

void TestSatemuCfe::saleTotals_data() {
    QTest::addColumn<QList<QByteArray>>("items");
    QTest::addColumn<QByteArray>("extraTotal");
    QTest::addColumn<QByteArray>("paid");
    QTest::addColumn<QStringList>("expected"); // path=value pairs

    QTest::newRow("quantity and unit price with three decimals")
        << QList<QByteArray>{simpleItem("0.333", "3.0000")} << QByteArray() << QByteArray("1.00")
        << QStringList{"det/prod/vProd=1.00", "det/imposto/ICMS/ICMS00/vICMS=0.18", "total/vCFe=1.00",
                       "pgto/vTroco=0.00"};

    const QByteArray discounted = "<prod><cProd>B</cProd><xProd>Livro</xProd><CFOP>5102</CFOP><uCom>UN</"
                                  "uCom><qCom>1.0000</qCom><vUnCom>100.00"
                                  "</vUnCom><indRegra>T</indRegra><vDesc>10.00</vDesc><vOutro>2.50</vOutro></"
                                  "prod><imposto><ICMS><ICMS40><Orig>"
                                  "0</Orig><CST>40</CST></ICMS40></ICMS><PIS><PISQtde><CST>03</"
                                  "CST><qBCProd>2.0000</qBCProd><vAliqProd>0.5000"
                                  "</vAliqProd></PISQtde></PIS><COFINS><COFINSOutr><CST>99</CST><vBC>92.50</"
                                  "vBC><pCOFINS>0.0760</pCOFINS>"
                                  "</COFINSOutr></COFINS></imposto>";
    QTest::newRow("item discount and other charges")
        << QList<QByteArray>{discounted} << QByteArray() << QByteArray("100.00")
        << QStringList{"det/prod/vItem=92.50",
                       "det/imposto/PIS/PISQtde/vPIS=1.00",
                       "det/imposto/COFINS/COFINSOutr/vCOFINS=7.03",
                       "total/ICMSTot/vDesc=10.00",
                       "total/ICMSTot/vOutro=2.50",
                       "total/ICMSTot/vICMS=0.00",
                       "total/vCFe=92.50",
                       "pgto/vTroco=7.50"};

    QTest::newRow("discount on the subtotal shared among the items")
        << QList<QByteArray>{simpleItem("30.00"), simpleItem("10.00")}
        << QByteArray("<DescAcrEntr><vDescSubtot>4.00</vDescSubtot></DescAcrEntr>") << QByteArray("36.00")
        << QStringList{"det/prod/vRatDesc=3.00", "det/prod/vItem=27.00",
                       "det/prod/vRatDesc=1.00", "det/prod/vItem=9.00",
                       "total/vCFe=36.00",       "total/DescAcrEntr/vDescSubtot=4.00"};

    const QByteArray service = "<prod><cProd>S</cProd><xProd>Instalação</xProd><CFOP>5933</CFOP><uCom>H</"
                               "uCom><qCom>2.0000</qCom><vUnCom>"
                               "50.00</vUnCom><indRegra>A</indRegra></"
                               "prod><imposto><ISSQN><vDeducISSQN>10.00</vDeducISSQN><vAliq>005.00"
                               "</vAliq><cNatOp>01</cNatOp><indIncFisc>2</indIncFisc></"
                               "ISSQN><PIS><PISSN><CST>49</CST></PISSN></PIS><COFINS>"
                               "<COFINSSN><CST>49</CST></COFINSSN></COFINS></imposto>";
    QTest::newRow("service with ISSQN")
        << QList<QByteArray>{service} << QByteArray() << QByteArray("100.00")
        << QStringList{"det/imposto/ISSQN/vBC=90.00", "det/imposto/ISSQN/vISSQN=4.50",
                       "total/ISSQNtot/vBC=90.00", "total/ISSQNtot/vISS=4.50", "total/vCFe=100.00"};

    const QByteArray simples = "<prod><cProd>C</cProd><xProd>Pão</xProd><CFOP>5102</CFOP><uCom>KG</"
                               "uCom><qCom>0.7500</qCom><vUnCom>12.00"
                               "</vUnCom><indRegra>A</indRegra></prod><imposto><ICMS><ICMSSN900><Orig>0</"
                               "Orig><CSOSN>900</CSOSN><pICMS>"
                               "4.00</pICMS></ICMSSN900></ICMS><PIS><PISAliq><CST>01</CST><vBC>9.00</"
                               "vBC><pPIS>0.0165</pPIS></PISAliq></PIS>"
                               "<PISST><vBC>9.00</vBC><pPIS>0.0100</pPIS></"
                               "PISST><COFINS><COFINSAliq><CST>01</CST><vBC>9.00</vBC><pCOFINS>"
                               "0.0760</pCOFINS></COFINSAliq></COFINS><COFINSST><qBCProd>1.0000</"
                               "qBCProd><vAliqProd>0.2000</vAliqProd>"
                               "</COFINSST></imposto>";
    QTest::newRow("simples nacional with substitution")
        << QList<QByteArray>{simples} << QByteArray() << QByteArray("9.00")
        << QStringList{"emit/cRegTrib=1",
                       "det/imposto/ICMS/ICMSSN900/vICMS=0.36",
                       "det/imposto/PIS/PISAliq/vPIS=0.15",
                       "det/imposto/PISST/vPIS=0.09",
                       "det/imposto/COFINS/COFINSAliq/vCOFINS=0.68",
                       "det/imposto/COFINSST/vCOFINS=0.20",
                       "total/ICMSTot/vPISST=0.09",
                       "total/ICMSTot/vCOFINSST=0.20",
                       "total/vCFe=9.00"};
}

void TestSatemuCfe::saleTotals() {
    QFETCH(QList<QByteArray>, items);
    QFETCH(QByteArray, extraTotal);
    QFETCH(QByteArray, paid);
    QFETCH(QStringList, expected);
    activate();
    associate();
    QList<QByteArray> answer;
    const QByteArray cfe = sell(saleDocument(items, payment(paid), "<dest/>", extraTotal), &answer);
    QVERIFY2(!cfe.isEmpty(), answer.value(3).constData());
    const auto v = leaves(cfe);
    QHash<QString, int> seen;
    for (const QString& pair : expected) {
        const QString path = QStringLiteral("CFe/infCFe/") + pair.section(QLatin1Char('='), 0, 0);
        const QString value = pair.section(QLatin1Char('='), 1);
        // Repeated paths (several items) are checked in document order.
        QList<QString> values = v.values(path);
        std::reverse(values.begin(), values.end());
        const int index = seen[path]++;
        QVERIFY2(index < values.size(), qPrintable(path));
        QCOMPARE(values[index], value);
    }
}

void TestSatemuCfe::saleRefusals_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArray>("alert");
    QTest::newRow("payments short of the total")
        << saleDocument({simpleItem("10.00")}, payment("9.99")) << QByteArray("06010") << QByteArray("1999");
    QTest::newRow("other signature") << saleDocument({simpleItem()}, payment("10.00"), "<dest/>", {},
                                                     QByteArray(344, 'A'))
                                     << QByteArray("06004") << QByteArray("0000");
    QTest::newRow("items numbered out of order")
        << saleDocument({simpleItem()}, payment("10.00")).replace("nItem=\"1\"", "nItem=\"2\"")
        << QByteArray("06010") << QByteArray("1999");
    QTest::newRow("quantity without four decimals")
        << saleDocument({simpleItem("10.00", "1.5")}, payment("20.00")) << QByteArray("06010")
        << QByteArray("1999");
    QTest::newRow("customer CPF check digit wrong")
        << saleDocument({simpleItem()}, payment("10.00"), "<dest><CPF>11144477736</CPF></dest>")
        << QByteArray("06010") << QByteArray("1999");
    QTest::newRow("no item") << saleDocument({}, payment("10.00")) << QByteArray("06010")
                             << QByteArray("1999");
    QTest::newRow("larger than 1500 KB")
        << QByteArray(1600 * 1024, ' ') << QByteArray("06005") << QByteArray("0000");
}

void TestSatemuCfe::saleRefusals() {
    QFETCH(QByteArray, document);
    QFETCH(QByteArray, expected);
    QFETCH(QByteArray, alert);
    activate();
    associate();
    QList<QByteArray> f;
    QVERIFY(sell(document, &f).isEmpty());
    QCOMPARE(f.size(), 6);
    QCOMPARE(f[1], expected);
    QCOMPARE(f[2], alert);
    QVERIFY(!f[3].isEmpty());
}

void TestSatemuCfe::cancellation() {
    activate();
    associate();
    QList<QByteArray> sale;
    QVERIFY(!sell(saleDocument({simpleItem("12.34")}, payment("20.00"),
                               "<dest><CNPJ>11444777000161</CNPJ></dest>"),
                  &sale)
                 .isEmpty());
    const QByteArray key = sale[8];
    auto request = [&](const QByteArray& chCanc) {
        return "<CFeCanc><infCFe chCanc=\"" + chCanc + "\"><ide><CNPJ>" + kSoftwareHouse + "</CNPJ><signAC>" +
               signature() +
               "</signAC><numeroCaixa>001</numeroCaixa></ide><emit/><dest/><total/></infCFe></CFeCanc>";
    };
    QByteArray otherKey = key;
    otherKey[46] = otherKey[46] == '1' ? '2' : '1';
    QCOMPARE(fields(CancelarUltimaVenda(nextSession(), kCode.constData(), otherKey.constData(),
                                        request(otherKey).constData()))[1],
             QByteArray("07002"));
    QCOMPARE(fields(CancelarUltimaVenda(nextSession(), kCode.constData(), key.constData(), "<CFeCanc>"))[1],
             QByteArray("07006"));
    const int s = nextSession();
    const auto f =
        fields(CancelarUltimaVenda(s, kCode.constData(), key.constData(), request(key).constData()));
    QCOMPARE(f.size(), 12);
    QCOMPARE(f[1], QByteArray("07000"));
    QCOMPARE(f[9], QByteArray("12.34"));
    QCOMPARE(f[10], QByteArray("11444777000161"));
    QVERIFY(f[8] != key);
    QCOMPARE(keyCheckDigit(f[8].mid(3, 43)), f[8].at(46) - '0');
    const auto v = leaves(decodeStrict(f[6]));
    QCOMPARE(v.value(QStringLiteral("CFeCanc/infCFe@chCanc")).toLatin1(), key);
    QCOMPARE(v.value(QStringLiteral("CFeCanc/infCFe@Id")).toLatin1(), f[8]);
    QCOMPARE(v.value(QStringLiteral("CFeCanc/infCFe/emit/CNPJ")).toLatin1(), kTaxpayer);
    QCOMPARE(v.value(QStringLiteral("CFeCanc/infCFe/total/vCFe")), QStringLiteral("12.34"));
    QVERIFY(!v.value(QStringLiteral("CFeCanc/Signature/SignedInfo/Reference/DigestValue")).isEmpty());
    // The cancellation is now the last fiscal session; a sale is cancelled once.
    QCOMPARE(fields(ConsultarUltimaSessaoFiscal(nextSession(), kCode.constData()))[0], sessionText(s));
    QCOMPARE(fields(CancelarUltimaVenda(nextSession(), kCode.constData(), key.constData(),
                                        request(key).constData()))[1],
             QByteArray("07002"));
}

void TestSatemuCfe::digestCoversTheCanonicalInfCFe() {
    activate();
    associate();
    const QByteArray cfe = sell(saleDocument({simpleItem("1.00")}, payment("1.00"), "<dest/>", {}));
    QVERIFY(!cfe.isEmpty());
    const qsizetype b = cfe.indexOf("<infCFe");
    const qsizetype e = cfe.indexOf("</infCFe>") + 9;
    const QByteArray infCFe = cfe.mid(b, e - b);
    const QByteArray digest = textOf(cfe, "DigestValue");
    QCOMPARE(QCryptographicHash::hash(infCFe, QCryptographicHash::Sha256).toBase64(), digest);
    QVERIFY(cfe.contains("<Reference URI=\"#" + textOf(infCFe, "cUF").prepend("CFe").left(5)));

    // xmllint's canonical form of the element is the very text that was hashed.
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        QSKIP("xmllint (Debian package libxml2-utils) is not installed");
    QProcess p;
    p.start(xmllint, {QStringLiteral("--c14n"), QStringLiteral("-")});
    p.write(infCFe);
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.readAllStandardOutput(), infCFe);
}

void TestSatemuCfe::documentsValidateAgainstTheSchema() {
    const QString reference = QStringLiteral(SATEMU_REFERENCE_DIR);
    const QString satSchema = reference + QStringLiteral("/CfeDadosVendaSAT_0008.xsd");
    const QString inputSchema = reference + QStringLiteral("/CfeDadosVendaAPL_0008.xsd");
    if (!QFile::exists(satSchema) || !QFile::exists(inputSchema))
        QSKIP("the CF-e reference schemas are not beside the source tree");
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        QSKIP("xmllint (Debian package libxml2-utils) is not installed");
    auto validate = [&](const QString& schema, const QByteArray& document) {
        QProcess p;
        p.start(xmllint,
                {QStringLiteral("--noout"), QStringLiteral("--schema"), schema, QStringLiteral("-")});
        p.write(document);
        p.closeWriteChannel();
        if (!p.waitForFinished(60000))
            return QStringLiteral("xmllint did not finish");
        return p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError());
    };

    activate();
    associate();
    QList<QByteArray> inputs{testDocument(false), testDocument(true)};
    const QByteArray rich =
        "<prod><cProd>X-1</cProd><cEAN>7891234567895</cEAN><xProd>Café &amp; "
        "açúcar</xProd><NCM>09012100</NCM>"
        "<CEST>1700100</CEST><CFOP>5405</CFOP><uCom>PCT</uCom><qCom>3.0000</qCom><vUnCom>7.99</"
        "vUnCom><indRegra>A"
        "</indRegra><vDesc>0.97</vDesc><obsFiscoDet xCampoDet=\"Cod. Produto "
        "ANP\"><xTextoDet>210203001</xTextoDet>"
        "</obsFiscoDet></prod><imposto><vItem12741>3.10</vItem12741><ICMS><ICMSSN102><Orig>0</"
        "Orig><CSOSN>500</CSOSN>"
        "</ICMSSN102></ICMS><PIS><PISOutr><CST>99</CST><qBCProd>3.0000</qBCProd><vAliqProd>0.1000</"
        "vAliqProd></PISOutr>"
        "</PIS><COFINS><COFINSNT><CST>06</CST></COFINSNT></COFINS></imposto><infAdProd>lote 42</infAdProd>";
    QByteArray sale = saleDocument({rich, simpleItem("5.00")}, payment("20.00", "03") + payment("10.00"),
                                   "<dest><CPF>11144477735</CPF></dest>",
                                   "<DescAcrEntr><vAcresSubtot>0.50</vAcresSubtot></DescAcrEntr>");
    sale.replace("</dest>",
                 "</dest><entrega><xLgr>Rua A</xLgr><nro>1</nro><xBairro>Centro</xBairro><xMun>Campinas"
                 "</xMun><UF>SP</UF></entrega>");
    sale.replace("</pgto>", "</pgto><infAdic><infCpl>Obrigado pela preferência</infCpl></infAdic>");
    inputs << sale;
    for (const QByteArray& input : inputs) {
        const QString inputError = validate(inputSchema, input);
        QVERIFY2(inputError.isEmpty(), qPrintable(inputError)); // the test data follow the application layout
    }
    QList<QByteArray> issued;
    for (int i = 0; i < 2; ++i) {
        const auto f = fields(TesteFimAFim(nextSession(), kCode.constData(), inputs[i].constData()));
        QCOMPARE(f[1], QByteArray("09000"));
        issued << decodeStrict(f[5]);
    }
    QList<QByteArray> answer;
    issued << sell(sale, &answer);
    QVERIFY2(!issued.last().isEmpty(), answer.value(3).constData());
    for (const QByteArray& cfe : issued) {
        const QString error = validate(satSchema, cfe);
        QVERIFY2(error.isEmpty(), qPrintable(error + QString::fromUtf8(cfe)));
    }
    // The reference sample passes the same check, so the check itself is sound.
    QFile sample(reference + QStringLiteral("/cfe-sat-0.08.xml"));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    QVERIFY(validate(satSchema, sample.readAll()).isEmpty());
}

QTEST_GUILESS_MAIN(TestSatemuCfe)
#include "tst_satemu_cfe.moc"
