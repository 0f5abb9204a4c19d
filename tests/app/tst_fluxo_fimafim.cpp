// The test page driven against the emulated device, loaded from a folder as at start-up:
// both end-to-end tests return a CF-e that is shown and kept in CFe.xml, the session
// query finds the test's answer, and the last fiscal session shows a sale.
#include "fluxosatemu.h"
#include "sat/resposta.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString codigo = QStringLiteral("12345678");
const QString cnpjContribuinte = QStringLiteral("11222333000181");
const QString cnpjSoftwareHouse = QStringLiteral("16716114000172");
const QString separador(54, u'-');
// 256 bytes in Base64, as an RSA-2048 signature is.
const QByteArray assinatura = QByteArray(256, '\x33').toBase64();

// A sale the associated commercial application sends, with an accented customer name.
QByteArray documentoDeVenda() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>" +
           cnpjSoftwareHouse.toLatin1() + "</CNPJ><signAC>" + assinatura +
           "</signAC><numeroCaixa>001</numeroCaixa></ide><emit><CNPJ>" + cnpjContribuinte.toLatin1() +
           "</CNPJ><IE>111222333444</IE><indRatISSQN>N</indRatISSQN></emit>"
           "<dest><CNPJ>11222333000181</CNPJ><xNome>José da Conceição</xNome></dest>"
           "<det nItem=\"1\"><prod><cProd>7</cProd><xProd>Pão de "
           "queijo</xProd><CFOP>5102</CFOP><uCom>UN</uCom>"
           "<qCom>2.0000</qCom><vUnCom>3.50</vUnCom><indRegra>A</indRegra></prod><imposto><ICMS><ICMS00>"
           "<Orig>0</Orig><CST>00</CST><pICMS>18.00</pICMS></ICMS00></ICMS><PIS><PISAliq><CST>01</CST>"
           "<vBC>7.00</vBC><pPIS>0.0165</pPIS></PISAliq></PIS><COFINS><COFINSAliq><CST>01</CST><vBC>7.00</"
           "vBC>"
           "<pCOFINS>0.0760</pCOFINS></COFINSAliq></COFINS></imposto></det><total/>"
           "<pgto><MP><cMP>01</cMP><vMP>10.00</vMP></MP></pgto></infCFe></CFe>";
}

} // namespace

class TestFluxoFimAFim : public FluxoSatemu {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void testesSessoesEVenda();

private:
    QStringList memo() { return controle<QPlainTextEdit>("MemoCFe")->toPlainText().split(u'\n'); }
    QByteArray cfeXml() {
        QFile f(pasta_->filePath(QStringLiteral("CFe.xml")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void validar() { digitarCodigoNoPrompt(codigo); }
    // The CF-e of the last answer, decoded from the field the test page reads.
    QByteArray cfeDaResposta(qsizetype campo) {
        return QByteArray::fromBase64(sat::campos(janela_->caminho().retorno()).value(campo));
    }
    void testarAtivacao();
    void consultarSessaoDoTeste();
    void associar();
    void testarProducao();
    void falharEApagar();
    void venderEConsultarSessaoFiscal();
};

void TestFluxoFimAFim::init() { abrirNoSatemu(); }

void TestFluxoFimAFim::cleanup() { fechar(); }

void TestFluxoFimAFim::testarAtivacao() {
    controle<QPushButton>("BtnTestefimafim")->click();
    validar();
    // The taxpayer's CNPJ comes from the store, where the activation left it.
    ui_.dialogos.push_back([](QDialog& d) { d.findChild<QPushButton*>(QStringLiteral("BtnOk"))->click(); });
    controle<QPushButton>("BtnTesteAtivacao")->click();

    QCOMPARE(ui_.mensagens(), QStringList{QStringLiteral("09000: Emitido com sucesso")});
    QCOMPARE(controle<QLabel>("Panel4")->text(), QStringLiteral("FIM-A-FIM ATIVAÇÃO"));
    QCOMPARE(controle<QLineEdit>("Edit1")->text(), janela_->caminho().numsessao());
    const QByteArray cfe = cfeDaResposta(5);
    QVERIFY(cfe.startsWith("<?xml"));
    // The device's bytes in the file; its document indented between two hyphen lines.
    QCOMPARE(cfeXml(), cfe + "\r\n");
    const QStringList linhas = memo();
    QCOMPARE(linhas.first(), separador);
    QCOMPARE(linhas.last(), separador);
    QCOMPARE(linhas.mid(1, linhas.size() - 2).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"),
             sat::FormatXMLString(QString::fromUtf8(cfe) + QStringLiteral("\r\n")));
    QVERIFY(linhas.contains(QStringLiteral("      <CNPJ>00000000000000</CNPJ>")));
    QVERIFY(controle<QPushButton>("BtnNaveg")->isEnabled());

    // What the console saved is a CF-e of the device's layout.
    const QString esquema = QStringLiteral(CFE_REFERENCE_DIR "/CfeDadosVendaSAT_0008.xsd");
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (!xmllint.isEmpty() && QFile::exists(esquema)) {
        QProcess p;
        p.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--schema"), esquema,
                          pasta_->filePath(QStringLiteral("CFe.xml"))});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    }
    ui_.exibidos.clear();
}

void TestFluxoFimAFim::consultarSessaoDoTeste() {
    // The session box still holds the test's number: the device finds its answer.
    const QString sessaoDoTeste = controle<QLineEdit>("Edit1")->text();
    const QByteArray respostaDoTeste = janela_->caminho().retorno();
    validar();
    controle<QPushButton>("BtnSessao")->click();

    QVERIFY2(ui_.mensagens().isEmpty(), qPrintable(ui_.mensagens().join(u'\n')));
    QCOMPARE(controle<QLabel>("Panel4")->text(), QStringLiteral("CONSULTAR NÚMERO DE SESSÃO"));
    QCOMPARE(memo(), (QStringList{separador, QString::fromUtf8(respostaDoTeste)}));
    QVERIFY(controle<QLineEdit>("Edit1")->text() != sessaoDoTeste);
    QCOMPARE(controle<QLineEdit>("Edit1")->text(), janela_->caminho().numsessao());
    // Not a sale: the file holds the answer's fields, one per line.
    const QByteArrayList campos = sat::campos(respostaDoTeste);
    QCOMPARE(cfeXml(), campos.join("\r\n") + "\r\n");
    QCOMPARE(campos.first(), sessaoDoTeste.toLatin1());
    ui_.exibidos.clear();
}

void TestFluxoFimAFim::associar() {
    // The association page is another page's work: the call goes through the same road,
    // and the store holds what that page would remember.
    QVERIFY(janela_->caminho().chamar(&sat::FuncoesSAT::AssociarAssinatura, codigo,
                                      cnpjSoftwareHouse + cnpjContribuinte, QString::fromLatin1(assinatura)));
    QCOMPARE(sat::campos(janela_->caminho().retorno()).value(1), QByteArray("13000"));
    settings::ParameterStore& cds = janela_->cds();
    cds.edit();
    cds.setText(u"CNPJSH", cnpjSoftwareHouse);
    cds.setText(u"Assinatura", QString::fromLatin1(assinatura));
    cds.post();
}

void TestFluxoFimAFim::testarProducao() {
    // Typed: the stored signature is already in the field.
    validar();
    ui_.dialogos.push_back([](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("EdtIEContrib"))->setText(QStringLiteral("111222333444"));
        d.findChild<QPushButton*>(QStringLiteral("BtnOk"))->click();
    });
    controle<QPushButton>("BtnTesteProducao")->click();
    QCOMPARE(ui_.mensagens(), QStringList{QStringLiteral("09000: Emitido com sucesso")});
    QCOMPARE(cfeXml(), cfeDaResposta(5) + "\r\n");
    QVERIFY(cfeXml().contains("<dest><CNPJ>11222333000181</CNPJ></dest>"));
    ui_.exibidos.clear();

    // From a file whose signature is split over lines.
    const QString arquivo = pasta_->filePath(QStringLiteral("assinatura.txt"));
    {
        QFile f(arquivo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(assinatura.left(100) + "\r\n" + assinatura.mid(100) + "\r\n");
    }
    validar();
    ui_.dialogos.push_back([arquivo](QDialog& d) {
        d.findChild<QRadioButton*>(QStringLiteral("rgAssinaturaItem1"))->click();
        d.findChild<QLineEdit*>(QStringLiteral("EdtAssinatura"))->setText(arquivo);
        d.findChild<QPushButton*>(QStringLiteral("BtnOk"))->click();
    });
    controle<QPushButton>("BtnTesteProducao")->click();
    QCOMPARE(ui_.mensagens(), QStringList{QStringLiteral("09000: Emitido com sucesso")});
    QCOMPARE(controle<QLabel>("Panel4")->text(), QStringLiteral("FIM-A-FIM PRODUÇÃO"));
    ui_.exibidos.clear();
}

void TestFluxoFimAFim::falharEApagar() {
    // Another software house than the associated one: refused, and CFe.xml goes.
    validar();
    ui_.dialogos.push_back([](QDialog& d) {
        d.findChild<QRadioButton*>(QStringLiteral("rgAssinaturaItem0"))->click();
        d.findChild<QLineEdit*>(QStringLiteral("EdtCNPJSw"))->setText(QStringLiteral("55444333000122"));
        d.findChild<QLineEdit*>(QStringLiteral("EdtAssinatura"))->setText(QString::fromLatin1(assinatura));
        d.findChild<QPushButton*>(QStringLiteral("BtnOk"))->click();
    });
    controle<QPushButton>("BtnTesteProducao")->click();
    QCOMPARE(ui_.mensagens().size(), 1);
    QVERIFY2(ui_.mensagens().first().startsWith(QStringLiteral("09006: ")),
             qPrintable(ui_.mensagens().first()));
    QVERIFY(!QFile::exists(pasta_->filePath(QStringLiteral("CFe.xml"))));
    QVERIFY(controle<QPushButton>("BtnNaveg")->isEnabled());
    ui_.exibidos.clear();
    controle<QPushButton>("BtnNaveg")->click();
    QVERIFY(ui_.exibidos.isEmpty());
}

void TestFluxoFimAFim::venderEConsultarSessaoFiscal() {
    // The commercial application's sale, through the same library.
    QVERIFY(janela_->caminho().chamar(&sat::FuncoesSAT::EnviarDadosVenda, codigo,
                                      QString::fromUtf8(documentoDeVenda())));
    const QByteArrayList venda = sat::campos(janela_->caminho().retorno());
    QCOMPARE(venda.value(1), QByteArray("06000"));
    const QByteArray cfe = QByteArray::fromBase64(venda.value(6));
    QVERIFY(cfe.contains("José da Conceição")); // UTF-8, as the document declares

    controle<QLineEdit>("Edit1")->clear(); // not read by this query
    validar();
    controle<QPushButton>("BtnSessaoFiscal")->click();
    QVERIFY2(ui_.mensagens().isEmpty(), qPrintable(ui_.mensagens().join(u'\n')));
    QCOMPARE(controle<QLabel>("Panel4")->text(), QStringLiteral("CONSULTAR ÚLTIMA SESSÃO FISCAL"));
    const QStringList linhas = memo();
    QCOMPARE(linhas.mid(2, 4),
             (QStringList{separador, QStringLiteral("Sessão: ") + QString::fromLatin1(venda.first()),
                          QStringLiteral("Chave: ") + QString::fromLatin1(venda.value(8)), separador}));
    QCOMPARE(linhas.at(6), QString::fromUtf8(cfe));
    QCOMPARE(linhas.last(), separador);
    // The accented name reaches the file as the device's UTF-8 bytes.
    QCOMPARE(cfeXml(), cfe + "\r\n");
    QVERIFY(cfeXml().contains("Jos\xc3\xa9 da Concei\xc3\xa7\xc3\xa3o"));

    // "Abrir no Navegador" opens it, although the queries left the button as it was.
    ui_.exibidos.clear();
    controle<QPushButton>("BtnNaveg")->click();
    QCOMPARE(ui_.textos(Tipo::Abrir).size(), 1);
    QVERIFY(ui_.textos(Tipo::Abrir).first().endsWith(QStringLiteral("CFe.xml")));
}

void TestFluxoFimAFim::testesSessoesEVenda() {
    // Each step builds on the device state the one before left.
    QVERIFY(ativar(codigo, cnpjContribuinte));
    for (void (TestFluxoFimAFim::*passo)() :
         {&TestFluxoFimAFim::testarAtivacao,
          &TestFluxoFimAFim::consultarSessaoDoTeste, &TestFluxoFimAFim::associar,
          &TestFluxoFimAFim::testarProducao, &TestFluxoFimAFim::falharEApagar,
          &TestFluxoFimAFim::venderEConsultarSessaoFiscal}) {
        (this->*passo)();
        if (QTest::currentTestFailed())
            return;
    }
}

QTEST_MAIN(TestFluxoFimAFim)
#include "tst_fluxo_fimafim.moc"
