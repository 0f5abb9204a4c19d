// The end-to-end tests of page 5: the test documents, the data dialog TFFimAFim, the
// checks of both variants and what a returned CF-e leaves on screen and in CFe.xml.

#include "core/texto.h"
#include "bancada.h"
#include "dialogs/tffimafim.h"
#include "widgets/pagina.h"
#include "pages/tabteste.h"

#include <optional>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString tituloAtivacao = QStringLiteral("FIM-A-FIM ATIVAÇÃO");
const QString tituloProducao = QStringLiteral("FIM-A-FIM PRODUÇÃO");
const QString codigoCurto = QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.");
const QString cnpjInvalido = QStringLiteral("CNPJ do Contribuinte inválido.");
const QString separador(54, u'-');

const QByteArray zeros344(344, '0');
// A signature as the device expects one: 344 Base64 characters of 256 bytes.
const QByteArray assinatura344 = QByteArray(256, '\x5a').toBase64();

// The part both documents share after the recipient.
const QByteArray cauda =
    "<det nItem=\"1\"><prod><cProd>001</cProd><xProd>MiniPc Brisel</xProd><CFOP>5001</CFOP><uCom>UN</uCom>"
    "<qCom>1.0000</qCom><vUnCom>654.320</vUnCom><indRegra>A</indRegra></prod><imposto>"
    "<vItem12741>1.00</vItem12741><ICMS><ICMS00><Orig>0</Orig><CST>00</CST><pICMS>12.00</pICMS></ICMS00></"
    "ICMS>"
    "<PIS><PISAliq><CST>01</CST><vBC>654.32</vBC><pPIS>0.0600</pPIS></PISAliq></PIS>"
    "<COFINS><COFINSAliq><CST>01</CST><vBC>654.32</vBC><pCOFINS>0.0400</pCOFINS></COFINSAliq></COFINS>"
    "</imposto></det><total><vCFeLei12741>1.00</vCFeLei12741></total>"
    "<pgto><MP><cMP>01</cMP><vMP>2000.00</vMP></MP></pgto></infCFe></CFe>";

const QByteArray documentoAtivacao =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe versaoDadosEnt=\"0.08\"><ide>"
    "<CNPJ>00000000000000</CNPJ><signAC>" +
    zeros344 +
    "</signAC><numeroCaixa>099</numeroCaixa></ide><emit><CNPJ>11222333000181</CNPJ><IE>000000000000</IE>"
    "<cRegTribISSQN>1</cRegTribISSQN><indRatISSQN>N</indRatISSQN></emit><dest/>" +
    cauda;

const QByteArray documentoProducao =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe versaoDadosEnt=\"0.08\"><ide>"
    "<CNPJ>16716114000172</CNPJ><signAC>" +
    assinatura344 +
    "</signAC><numeroCaixa>099</numeroCaixa></ide><emit><CNPJ>11222333000181</CNPJ><IE>111222333444</IE>"
    "<cRegTribISSQN>1</cRegTribISSQN><indRatISSQN>N</indRatISSQN></emit>"
    "<dest><CNPJ>11222333000181</CNPJ></dest>" +
    cauda;

// A CF-e as a device returns it: one line, a UTF-8 name.
const QByteArray cfeDoDispositivo =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe "
    "Id=\"CFe35240311222333000181590000040190000011234567\" "
    "versao=\"0.08\"><ide><cUF>35</cUF><nCFe>000001</nCFe></ide><emit><xNome>Café São João</xNome></emit>"
    "<dest/></infCFe></CFe>";

const QStringList cfeFormatado{
    QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>)"),
    QStringLiteral("<CFe>"),
    QStringLiteral(R"(  <infCFe Id="CFe35240311222333000181590000040190000011234567" versao="0.08">)"),
    QStringLiteral("    <ide>"),
    QStringLiteral("      <cUF>35</cUF>"),
    QStringLiteral("      <nCFe>000001</nCFe>"),
    QStringLiteral("    </ide>"),
    QStringLiteral("    <emit>"),
    QStringLiteral("      <xNome>Café São João</xNome>"),
    QStringLiteral("    </emit>"),
    QStringLiteral("    <dest/>"),
    QStringLiteral("  </infCFe>"),
    QStringLiteral("</CFe>"),
};

QByteArray respostaDeSucesso(const QByteArray& cfe, const QByteArray& codigoSefaz = {},
                             const QByteArray& mensagemSefaz = {}) {
    return "{sessao}|09000|Emitido com sucesso|" + codigoSefaz + "|" + mensagemSefaz + "|" + cfe.toBase64() +
           "|20240315143005|000001|CFe35240311222333000181590000040190000011234567";
}

// What the user does in the test data dialog: each value given replaces the field's
// text (an empty one empties it); the form of sending is chosen first, as choosing it
// empties the signature.
struct Preenchimento {
    std::optional<QString> cnpj = {}, ie = {}, cnpjSw = {}, assinatura = {};
    int forma = -1;
    bool ok = true;
};

InteracaoRoteirizada::RoteiroDialogo preencher(const Preenchimento& p) {
    return [p](QDialog& d) {
        const auto edit = [&d](const char* nome) {
            return d.findChild<QLineEdit*>(QString::fromLatin1(nome));
        };
        if (p.forma >= 0)
            d.findChild<QRadioButton*>(QStringLiteral("rgAssinaturaItem%1").arg(p.forma))->setChecked(true);
        if (p.cnpj)
            edit("EdtCNPJContrib2")->setText(*p.cnpj);
        if (p.ie)
            edit("EdtIEContrib")->setText(*p.ie);
        if (p.cnpjSw)
            edit("EdtCNPJSw")->setText(*p.cnpjSw);
        if (p.assinatura)
            edit("EdtAssinatura")->setText(*p.assinatura);
        if (p.ok)
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("BtnOk")), Qt::LeftButton);
    };
}

Preenchimento producaoCompleta() {
    return {QStringLiteral("11222333000181"), QStringLiteral("111222333444"),
            QStringLiteral("16716114000172"), QString::fromLatin1(assinatura344)};
}

// xmllint's verdict on a document against the sale input schema: empty when valid.
QString validarNoEsquema(const QByteArray& documento, bool& pulado) {
    const QString esquema = QStringLiteral(CFE_REFERENCE_DIR "/CfeDadosVendaAPL_0008.xsd");
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    pulado = xmllint.isEmpty() || !QFile::exists(esquema);
    if (pulado)
        return {};
    QProcess p;
    p.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--schema"), esquema, QStringLiteral("-")});
    p.write(documento);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return QStringLiteral("xmllint did not finish");
    return p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError());
}

} // namespace

Q_DECLARE_METATYPE(DadosTeste)
Q_DECLARE_METATYPE(Preenchimento)

class TestFimAFim : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // The documents and the line splitting on their own.
    void documentos_data();
    void documentos();
    void documentosValidamNoEsquema();
    void linhas_data();
    void linhas();

    // The data dialog.
    void aparenciaDoDialogo();
    void criacaoPoeCanceladoEm1();
    void dialogoLembraValores();
    void formaDeEnvio();
    void escolhaDeArquivo();
    void okOuFechar();
    void habilitacaoPorVariante();
    void janelasNoCentroDaTela();

    // The page.
    void botaoTestesLimpaAPagina();
    void aparenciaDaPagina();
    void verificacoes_data();
    void verificacoes();
    void promptFechado();
    void sucesso_data();
    void sucesso();
    void sucessoComMensagemSefaz();
    void sucessoDepoisFalha();
    void respostasQueNaoSeLeem_data();
    void respostasQueNaoSeLeem();
    void respostaNula();
    void assinaturaEmArquivo_data();
    void assinaturaEmArquivo();
    void cfeQueNaoSeGrava();
    void respostaLongaNaoAlargaAJanela();

private:
    QPlainTextEdit* memo() const { return b_->controle<QPlainTextEdit>(QStringLiteral("MemoCFe")); }
    QStringList linhasDaMemo() const {
        const QString texto = memo()->toPlainText();
        return texto.isEmpty() ? QStringList() : texto.split(u'\n');
    }
    QString titulo() const { return b_->controle<QLabel>(QStringLiteral("Panel4"))->text(); }
    QPushButton* naveg() const { return b_->controle<QPushButton>(QStringLiteral("BtnNaveg")); }
    QString edit1() const { return b_->controle<QLineEdit>(QStringLiteral("Edit1"))->text(); }
    TFFimAFim* dialogo() const { return b_->controle<TFFimAFim>(QStringLiteral("TFFimAFim")); }
    template <typename T = QWidget> T* noDialogo(const char* nome) const {
        return b_->controleEm<T>(QStringLiteral("TFFimAFim"), QString::fromLatin1(nome));
    }
    QString arquivoCFe() const { return b_->pasta.filePath(QStringLiteral("CFe.xml")); }
    QByteArray conteudo(const QString& caminho) const {
        QFile f(caminho);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(ausente)");
    }
    void gravar(const QString& caminho, const QByteArray& bytes) const {
        QFile f(caminho);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    void guardarNoArmazem(const QString& cnpj, const QString& cnpjSw, const QString& assinatura) const {
        settings::ParameterStore& cds = b_->janela->cds();
        cds.edit();
        cds.setText(u"CNPJContribuinte", cnpj);
        cds.setText(u"CNPJSH", cnpjSw);
        cds.setText(u"Assinatura", assinatura);
        cds.post();
    }
    void testar(VarianteTeste variante, const QString& codigo, const Preenchimento& dados) {
        b_->ui.dialogos.push_back(validarCom(codigo));
        b_->ui.dialogos.push_back(preencher(dados));
        const char* botao = variante == VarianteTeste::Ativacao ? "BtnTesteAtivacao" : "BtnTesteProducao";
        QTest::mouseClick(b_->controle<QPushButton>(QString::fromLatin1(botao)), Qt::LeftButton);
    }
    void testarAtivacao(const QByteArray& resposta) {
        roteiro::responder(resposta);
        testar(VarianteTeste::Ativacao, QStringLiteral("12345678"), {QStringLiteral("11222333000181")});
    }

    std::unique_ptr<Bancada> b_;
};

void TestFimAFim::init() {
    b_ = std::make_unique<Bancada>();
}

void TestFimAFim::cleanup() {
    b_.reset();
}

void TestFimAFim::documentos_data() {
    QTest::addColumn<int>("variante");
    QTest::addColumn<DadosTeste>("dados");
    QTest::addColumn<QByteArray>("esperado");

    const DadosTeste producao{QStringLiteral("11222333000181"), QStringLiteral("111222333444"),
                              QStringLiteral("16716114000172"), QString::fromLatin1(assinatura344)};
    QTest::newRow("ativação") << int(VarianteTeste::Ativacao) << DadosTeste{QStringLiteral("11222333000181")}
                              << documentoAtivacao;
    // The activation test takes only the taxpayer's CNPJ from the dialog.
    QTest::newRow("ativação ignora os valores de produção")
        << int(VarianteTeste::Ativacao) << producao << documentoAtivacao;
    QTest::newRow("produção") << int(VarianteTeste::Producao) << producao << documentoProducao;
    QTest::newRow("valores aparados")
        << int(VarianteTeste::Producao)
        << DadosTeste{QStringLiteral(" 11222333000181\t"), QStringLiteral("  111222333444"),
                      QStringLiteral("16716114000172 "),
                      QStringLiteral("\n") + QString::fromLatin1(assinatura344) + u' '}
        << documentoProducao;

    QByteArray escapado = documentoProducao;
    escapado.replace(assinatura344, "a&amp;b&lt;/signAC&gt;&lt;x&gt;");
    QTest::newRow("assinatura escapada como texto")
        << int(VarianteTeste::Producao)
        << DadosTeste{producao.cnpjContribuinte, producao.ieContribuinte, producao.cnpjSoftwareHouse,
                      QStringLiteral("a&b</signAC><x>")}
        << escapado;
}

void TestFimAFim::documentos() {
    QFETCH(int, variante);
    QFETCH(DadosTeste, dados);
    QFETCH(QByteArray, esperado);
    QCOMPARE(documentoTeste(VarianteTeste(variante), dados).toUtf8(), esperado);
}

void TestFimAFim::documentosValidamNoEsquema() {
    bool pulado = false;
    for (const QByteArray& documento : {documentoAtivacao, documentoProducao}) {
        const QString erro = validarNoEsquema(documento, pulado);
        if (pulado)
            QSKIP("xmllint (Debian package libxml2-utils) or the CF-e reference schema is missing");
        QVERIFY2(erro.isEmpty(), qPrintable(erro));
    }
    // What the console builds is what was checked.
    QCOMPARE(documentoTeste(VarianteTeste::Ativacao, {QStringLiteral("11222333000181")}).toUtf8(),
             documentoAtivacao);
    // An escaped signature keeps the document well-formed and in the layout.
    const QString escapado = documentoTeste(
        VarianteTeste::Producao, {QStringLiteral("11222333000181"), QStringLiteral("111222333444"),
                                  QStringLiteral("16716114000172"), QStringLiteral("a&b</signAC><x>")});
    const QString erro = validarNoEsquema(escapado.toUtf8(), pulado);
    QVERIFY2(erro.isEmpty(), qPrintable(erro));
}

void TestFimAFim::linhas_data() {
    QTest::addColumn<QByteArray>("texto");
    QTest::addColumn<QByteArrayList>("esperado");
    QTest::newRow("vazio: nenhuma linha") << QByteArray() << QByteArrayList{};
    QTest::newRow("sem quebra") << QByteArray("abc") << QByteArrayList{"abc"};
    QTest::newRow("quebra final não abre linha") << QByteArray("abc\r\n") << QByteArrayList{"abc"};
    QTest::newRow("só uma quebra: uma linha vazia") << QByteArray("\r\n") << QByteArrayList{""};
    QTest::newRow("CR, LF e CR LF") << QByteArray("a\rb\nc\r\nd") << QByteArrayList{"a", "b", "c", "d"};
    QTest::newRow("LF e depois CR: duas quebras") << QByteArray("a\n\rb") << QByteArrayList{"a", "", "b"};
    QTest::newRow("linhas vazias no meio") << QByteArray("a\n\n\nb\n") << QByteArrayList{"a", "", "", "b"};
    QTest::newRow("bytes como vieram")
        << QByteArray("Caf\xe9\r\n\xc3\xa7") << QByteArrayList{"Caf\xe9", "\xc3\xa7"};
}

void TestFimAFim::linhas() {
    QFETCH(QByteArray, texto);
    QFETCH(QByteArrayList, esperado);
    QCOMPARE(linhasDeBytes(texto), esperado);
    // The same rule for text.
    QStringList textos;
    for (const QByteArray& l : esperado)
        textos.append(QString::fromLatin1(l));
    QCOMPARE(linhasDeTexto(QString::fromLatin1(texto)), textos);
}

void TestFimAFim::aparenciaDoDialogo() {
    TFFimAFim* d = dialogo();
    QCOMPARE(d->windowTitle(), QStringLiteral("SAT - BRISEL (Testes FimAFim)"));
    QCOMPARE(d->minimumSize(), d->maximumSize());
    QVERIFY(d->isModal());
    QVERIFY(d->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(d->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!d->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!d->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    QCOMPARE(noDialogo<QLineEdit>("EdtCNPJContrib2")->inputMask(), QStringLiteral("99.999.999/9999-99;_"));
    QCOMPARE(noDialogo<QLineEdit>("EdtCNPJSw")->inputMask(), QStringLiteral("99.999.999/9999-99;_"));
    QCOMPARE(noDialogo<QLineEdit>("EdtIEContrib")->inputMask(), QStringLiteral("999.999.999.999;_"));
    QCOMPARE(noDialogo<QLineEdit>("EdtAssinatura")->maxLength(), 344);
    QCOMPARE(pagina::rotuloDe(noDialogo<QLineEdit>("EdtAssinatura"))->text(), QStringLiteral("Texto:"));
    for (const auto& [nome, rotulo] :
         {std::pair{"EdtCNPJContrib2", "CNPJ do Contribuinte:"},
          std::pair{"EdtIEContrib", "IE do Contribuinte:"}, std::pair{"EdtCNPJSw", "CNPJ Software House:"}}) {
        bool achado = false;
        for (QLabel* l : d->findChildren<QLabel*>())
            achado = achado || (l->buddy() == noDialogo(nome) && l->text() == QString::fromUtf8(rotulo));
        QVERIFY2(achado, nome);
    }
    auto* grupo = noDialogo<QGroupBox>("rgAssinatura");
    QCOMPARE(grupo->title(), QStringLiteral("Forma de envio:"));
    QCOMPARE(noDialogo<QRadioButton>("rgAssinaturaItem0")->text(), QStringLiteral("Texto"));
    QCOMPARE(noDialogo<QRadioButton>("rgAssinaturaItem1")->text(), QStringLiteral("Arquivo"));
    QVERIFY(noDialogo<QRadioButton>("rgAssinaturaItem0")->isChecked());
    QCOMPARE(noDialogo<QPushButton>("Button3")->text(), QStringLiteral("..."));
    QVERIFY(noDialogo<QPushButton>("Button3")->isHidden());
    QCOMPARE(noDialogo<QPushButton>("BtnOk")->text(), QStringLiteral("Ok"));
    QVERIFY(noDialogo<QPushButton>("BtnOk")->isDefault());

    // The keyboard walks the controls in the order the user fills them.
    const QStringList nomes{QStringLiteral("EdtCNPJContrib2"),
                            QStringLiteral("EdtIEContrib"),
                            QStringLiteral("EdtCNPJSw"),
                            QStringLiteral("rgAssinatura"),
                            QStringLiteral("EdtAssinatura"),
                            QStringLiteral("Button3"),
                            QStringLiteral("BtnOk")};
    QStringList ordem{nomes.first()};
    for (QWidget* w = noDialogo("EdtCNPJContrib2")->nextInFocusChain(); w != noDialogo("EdtCNPJContrib2");
         w = w->nextInFocusChain())
        if (nomes.contains(w->objectName()) && !ordem.contains(w->objectName()))
            ordem.append(w->objectName());
    QCOMPARE(ordem, nomes);
}

void TestFimAFim::criacaoPoeCanceladoEm1() {
    EstadoConsole estado;
    estado.cancelado = 0;
    settings::ParameterStore cds;
    InteracaoRoteirizada ui;
    TFFimAFim d(cds, estado, ui);
    QCOMPARE(estado.cancelado, 1);
}

void TestFimAFim::dialogoLembraValores() {
    QVERIFY(b_->mostrar()); // so that the focus can be observed
    guardarNoArmazem(QStringLiteral("11222333000181"), QStringLiteral("16716114000172"),
                     QString::fromLatin1(assinatura344));
    TFFimAFim* d = dialogo();

    struct Visto {
        QString cnpj, ie, cnpjSw, assinatura, rotulo, foco;
        int forma = -1, cancelado = -1;
        bool botao3 = false;
    };
    const auto olhar = [&](Visto& visto) {
        return [&visto, this](QDialog& dd) {
            visto = {pagina::digitos(noDialogo<QLineEdit>("EdtCNPJContrib2")),
                     pagina::digitos(noDialogo<QLineEdit>("EdtIEContrib")),
                     pagina::digitos(noDialogo<QLineEdit>("EdtCNPJSw")),
                     noDialogo<QLineEdit>("EdtAssinatura")->text(),
                     pagina::rotuloDe(noDialogo<QLineEdit>("EdtAssinatura"))->text(),
                     dd.focusWidget() != nullptr ? dd.focusWidget()->objectName() : QString(),
                     noDialogo<QRadioButton>("rgAssinaturaItem1")->isChecked() ? 1 : 0,
                     b_->janela->estado().cancelado,
                     noDialogo<QPushButton>("Button3")->isVisibleTo(&dd)};
        };
    };

    // First showing: the stored values, an empty IE.
    Visto primeira;
    b_->janela->estado().cancelado = 0;
    b_->ui.dialogos.push_back([&](QDialog& dd) {
        olhar(primeira)(dd);
        // The user changes everything and confirms.
        preencher({QStringLiteral("99888777000166"), QStringLiteral("123456789012"),
                   QStringLiteral("55444333000122"), QStringLiteral("/tmp/assinatura.txt"), 1})(dd);
    });
    b_->ui.executar(*d);
    QCOMPARE(primeira.cnpj, QStringLiteral("11222333000181"));
    QCOMPARE(primeira.cnpjSw, QStringLiteral("16716114000172"));
    QCOMPARE(primeira.assinatura, QString::fromLatin1(assinatura344));
    QCOMPARE(primeira.ie, QString());
    QCOMPARE(primeira.forma, 0);
    QCOMPARE(primeira.rotulo, QStringLiteral("Texto:"));
    QCOMPARE(primeira.cancelado, 1);
    QCOMPARE(primeira.foco, QStringLiteral("EdtCNPJContrib2"));
    QCOMPARE(b_->janela->estado().cancelado, 0);
    // What the test reads once the dialog is closed.
    QCOMPARE(d->cnpjContribuinte(), QStringLiteral("99888777000166"));
    QCOMPARE(d->ieContribuinte(), QStringLiteral("123456789012"));
    QCOMPARE(d->cnpjSoftwareHouse(), QStringLiteral("55444333000122"));
    QCOMPARE(d->assinatura(), QStringLiteral("/tmp/assinatura.txt"));
    QCOMPARE(d->formaDeEnvio(), TFFimAFim::Arquivo);

    // Second showing: the store wins again; the IE and the form of sending stay.
    Visto segunda;
    b_->ui.dialogos.push_back(olhar(segunda));
    b_->ui.executar(*d);
    QCOMPARE(segunda.cnpj, QStringLiteral("11222333000181"));
    QCOMPARE(segunda.cnpjSw, QStringLiteral("16716114000172"));
    QCOMPARE(segunda.assinatura, QString::fromLatin1(assinatura344));
    QCOMPARE(segunda.ie, QStringLiteral("123456789012"));
    QCOMPARE(segunda.forma, 1);
    QCOMPARE(segunda.rotulo, QStringLiteral("Arquivo"));
    QVERIFY(segunda.botao3);
    QCOMPARE(segunda.cancelado, 1);
    QCOMPARE(segunda.foco, QStringLiteral("EdtCNPJContrib2"));
    QCOMPARE(b_->janela->estado().cancelado, 1); // closed without "Ok"
    // Nothing of the dialog reaches the store.
    QCOMPARE(b_->janela->cds().text(u"CNPJContribuinte"), QStringLiteral("11222333000181"));
}

void TestFimAFim::formaDeEnvio() {
    auto* assinatura = noDialogo<QLineEdit>("EdtAssinatura");
    auto* botao3 = noDialogo<QPushButton>("Button3");
    TFFimAFim* d = dialogo();

    assinatura->setText(QStringLiteral("texto digitado"));
    noDialogo<QRadioButton>("rgAssinaturaItem1")->click();
    QCOMPARE(assinatura->text(), QString());
    QCOMPARE(pagina::rotuloDe(assinatura)->text(), QStringLiteral("Arquivo"));
    QVERIFY(botao3->isVisibleTo(d));
    // A path is not held to a signature's length.
    const QString caminhoLongo = QStringLiteral("/") + QString(400, u'p');
    assinatura->setText(caminhoLongo);
    QCOMPARE(assinatura->text(), caminhoLongo);
    QCOMPARE(d->formaDeEnvio(), TFFimAFim::Arquivo);

    // Pressing the chosen item again changes nothing.
    noDialogo<QRadioButton>("rgAssinaturaItem1")->click();
    QCOMPARE(assinatura->text(), caminhoLongo);

    noDialogo<QRadioButton>("rgAssinaturaItem0")->click();
    QCOMPARE(assinatura->text(), QString());
    QCOMPARE(pagina::rotuloDe(assinatura)->text(), QStringLiteral("Texto"));
    QVERIFY(!botao3->isVisibleTo(d));
    QCOMPARE(d->formaDeEnvio(), TFFimAFim::Texto);
    assinatura->setText(QString(400, u'A'));
    QCOMPARE(assinatura->text().size(), 344);
}

void TestFimAFim::escolhaDeArquivo() {
    auto* assinatura = noDialogo<QLineEdit>("EdtAssinatura");
    noDialogo<QRadioButton>("rgAssinaturaItem1")->click();
    assinatura->setText(QStringLiteral("anterior"));

    b_->ui.arquivos.push_back(QStringLiteral("/pasta/assinatura.txt"));
    noDialogo<QPushButton>("Button3")->click();
    QCOMPARE(assinatura->text(), QDir::toNativeSeparators(QStringLiteral("/pasta/assinatura.txt")));

    noDialogo<QPushButton>("Button3")->click(); // cancelled: no answer queued
    QCOMPARE(assinatura->text(), QDir::toNativeSeparators(QStringLiteral("/pasta/assinatura.txt")));

    // A plain open-file dialog: no title, no filter.
    const QStringList escolhas = b_->ui.textos(Tipo::AbrirArquivo);
    QCOMPARE(escolhas, (QStringList{QString(), QString()}));
    for (const auto& e : b_->ui.exibidos)
        QCOMPARE(e.titulo, QString());
}

void TestFimAFim::okOuFechar() {
    b_->ui.dialogos.push_back(preencher({}));
    b_->ui.executar(*dialogo());
    QCOMPARE(b_->janela->estado().cancelado, 0);
    QVERIFY(!dialogo()->isVisible());

    b_->ui.dialogos.push_back(preencher({.ok = false}));
    b_->ui.executar(*dialogo());
    QCOMPARE(b_->janela->estado().cancelado, 1);

    // Return anywhere in the dialog presses "Ok".
    b_->ui.dialogos.push_back(
        [this](QDialog&) { QTest::keyClick(noDialogo("EdtIEContrib"), Qt::Key_Return); });
    b_->ui.executar(*dialogo());
    QCOMPARE(b_->janela->estado().cancelado, 0);
}

void TestFimAFim::habilitacaoPorVariante() {
    const char* producao[] = {"EdtCNPJSw", "EdtIEContrib", "rgAssinatura", "EdtAssinatura", "Button3"};
    const auto habilitados = [&] {
        QStringList nomes;
        for (const char* nome : producao)
            if (noDialogo(nome)->isEnabled())
                nomes.append(QString::fromLatin1(nome));
        return nomes;
    };
    QStringList durante;
    const auto olhar = [&](QDialog&) { durante = habilitados(); };

    b_->ui.dialogos.push_back(validarCom(QStringLiteral("12345678")));
    b_->ui.dialogos.push_back(olhar);
    b_->controle<QPushButton>(QStringLiteral("BtnTesteAtivacao"))->click();
    QCOMPARE(durante, QStringList());
    QVERIFY(noDialogo("EdtCNPJContrib2")->isEnabled());
    QVERIFY(noDialogo("BtnOk")->isEnabled());
    QCOMPARE(habilitados(), QStringList()); // stays until the other variant

    b_->ui.dialogos.push_back(validarCom(QStringLiteral("12345678")));
    b_->ui.dialogos.push_back(olhar);
    b_->controle<QPushButton>(QStringLiteral("BtnTesteProducao"))->click();
    QCOMPARE(durante.size(), 5);
    QVERIFY(noDialogo("EdtCNPJContrib2")->isEnabled());
    QVERIFY(noDialogo("BtnOk")->isEnabled());
    QVERIFY(roteiro::chamadas().isEmpty()); // closed both times without "Ok"
}

void TestFimAFim::janelasNoCentroDaTela() {
    // The user dragged the main window into a corner: the prompt, the test's dialog and
    // the SEFAZ window still open at the centre of the screen, not over the window.
    QVERIFY(b_->mostrar());
    b_->janela->move(0, 0);
    QTRY_COMPARE(b_->janela->pos(), QPoint(0, 0));
    const QPoint centro = b_->janela->screen()->availableGeometry().center();
    QVERIFY((b_->janela->frameGeometry().center() - centro).manhattanLength() > 100);

    QMap<QString, QPoint> centros;
    const auto anotarE = [&](InteracaoRoteirizada::RoteiroDialogo depois) {
        return [&centros, depois](QDialog& d) {
            centros[d.objectName()] = d.frameGeometry().center();
            if (depois)
                depois(d);
        };
    };
    roteiro::responder(respostaDeSucesso(cfeDoDispositivo, "1234", "Aviso da SEFAZ"));
    b_->ui.dialogos.push_back(anotarE(validarCom(QStringLiteral("12345678"))));
    b_->ui.dialogos.push_back(anotarE(preencher({QStringLiteral("11222333000181"), QStringLiteral("111222333444"),
                                                 QStringLiteral("11444777000161"), QStringLiteral("assinatura")})));
    b_->ui.dialogos.push_back(anotarE({}));
    QTest::mouseClick(b_->controle<QPushButton>(QStringLiteral("BtnTesteProducao")), Qt::LeftButton);

    QCOMPARE(centros.keys(), (QStringList{"TFFimAFim", "TFMSefaz", "TFValida"}));
    for (auto c = centros.cbegin(); c != centros.cend(); ++c)
        QVERIFY2((c.value() - centro).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1 em (%2, %3)").arg(c.key()).arg(c.value().x()).arg(c.value().y())));
}

void TestFimAFim::botaoTestesLimpaAPagina() {
    b_->controle<QLabel>(QStringLiteral("Panel4"))->setText(QStringLiteral("anterior"));
    memo()->setPlainText(QStringLiteral("linha"));
    naveg()->setEnabled(true);
    b_->controle<QLabel>(QStringLiteral("StatusPanel0"))->setText(QStringLiteral("status"));
    b_->controle<QLineEdit>(QStringLiteral("Edit1"))->setText(QStringLiteral("000123"));

    QTest::mouseClick(b_->lateral(QStringLiteral("BtnTestefimafim")), Qt::LeftButton);

    QCOMPARE(b_->paginaAtual(), 5);
    QCOMPARE(titulo(), QString());
    QCOMPARE(linhasDaMemo(), QStringList());
    QVERIFY(!naveg()->isEnabled());
    QCOMPARE(b_->barraDeStatus(), QString());
    QCOMPARE(edit1(), QStringLiteral("000123")); // the session box keeps its number
    QVERIFY(b_->ui.exibidos.isEmpty());
    QVERIFY(roteiro::chamadas().isEmpty());
}

void TestFimAFim::aparenciaDaPagina() {
    QCOMPARE(b_->controle<QPushButton>(QStringLiteral("BtnTesteAtivacao"))->text(),
             QStringLiteral("FimAFim Ativação"));
    QCOMPARE(b_->controle<QPushButton>(QStringLiteral("BtnTesteProducao"))->text(),
             QStringLiteral("FimAFim Produção"));
    QCOMPARE(naveg()->text(), QStringLiteral("Abrir no Navegador"));
    QVERIFY(!naveg()->isEnabled());
    auto* m = memo();
    QVERIFY(m->isReadOnly());
    QCOMPARE(m->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(m->font().pixelSize(), 13);
    QVERIFY(m->font().fixedPitch());
    auto* e = b_->controle<QLineEdit>(QStringLiteral("Edit1"));
    QCOMPARE(e->maxLength(), 6);
    QCOMPARE(e->alignment(), Qt::AlignCenter);
    // At the window's design size the memo is 305 pixels high, and it grows with the page.
    b_->selecionarPagina(5);
    QVERIFY(b_->mostrar());
    QCOMPARE(b_->controle(QStringLiteral("TabTeste"))->height(), 407);
    QCOMPARE(m->height(), 305);
    b_->janela->resize(b_->janela->width() + 100, b_->janela->height() + 100);
    QTRY_COMPARE(m->height(), 405);
}

void TestFimAFim::verificacoes_data() {
    QTest::addColumn<int>("variante");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<Preenchimento>("dados");
    QTest::addColumn<QString>("mensagem"); // empty: the device is called
    QTest::addColumn<QString>("titulo");

    const int a = int(VarianteTeste::Ativacao), p = int(VarianteTeste::Producao);
    const QString oito = QStringLiteral("12345678");
    const QString valido = QStringLiteral("11222333000181");

    QTest::newRow("ativação: código de 7")
        << a << QStringLiteral("1234567") << Preenchimento{valido} << codigoCurto << QString();
    QTest::newRow("ativação: código de 7 entre brancos")
        << a << QStringLiteral("  1234567  ") << Preenchimento{valido} << codigoCurto << QString();
    QTest::newRow("ativação: código de 8")
        << a << oito << Preenchimento{valido} << QString() << tituloAtivacao;
    QTest::newRow("ativação: CNPJ vazio")
        << a << oito << Preenchimento{QString()} << cnpjInvalido << tituloAtivacao;
    QTest::newRow("ativação: CNPJ com dígito errado")
        << a << oito << Preenchimento{QStringLiteral("11222333000182")} << cnpjInvalido << tituloAtivacao;
    QTest::newRow("ativação: CNPJ incompleto")
        << a << oito << Preenchimento{QStringLiteral("1122233300018")} << cnpjInvalido << tituloAtivacao;
    QTest::newRow("ativação: CNPJ de zeros")
        << a << oito << Preenchimento{QStringLiteral("00000000000000")} << cnpjInvalido << tituloAtivacao;
    QTest::newRow("ativação: dados fechados sem Ok")
        << a << oito << Preenchimento{.cnpj = valido, .ok = false} << QStringLiteral("(nada)")
        << tituloAtivacao;

    Preenchimento d = producaoCompleta();
    QTest::newRow("produção: código de 7") << p << QStringLiteral("1234567") << d << codigoCurto << QString();
    QTest::newRow("produção: completo") << p << oito << d << QString() << tituloProducao;
    QTest::newRow("produção: dados fechados sem Ok")
        << p << oito << Preenchimento{.cnpj = valido, .ok = false} << QStringLiteral("(nada)")
        << tituloProducao;
    // The production test makes no check-digit test: the CNPJs go as typed.
    d.cnpj = QStringLiteral("11222333000182");
    QTest::newRow("produção: CNPJ com dígito errado vai como digitado")
        << p << oito << d << QString() << tituloProducao;
    QTest::newRow("produção: tudo vazio")
        << p << oito << Preenchimento{QString(), QString(), QString(), QString()} << cnpjInvalido
        << tituloProducao;
    QTest::newRow("produção: IE vazia antes do CNPJ da software house")
        << p << oito << Preenchimento{valido, QString(), QString(), QString()}
        << QStringLiteral("IE do Contribuinte inválido.") << tituloProducao;
    QTest::newRow("produção: CNPJ da software house vazio antes da assinatura")
        << p << oito << Preenchimento{valido, QStringLiteral("111222333444"), QString(), QString()}
        << QStringLiteral("CNPJ da Software House inválido.") << tituloProducao;
    QTest::newRow("produção: assinatura vazia")
        << p << oito
        << Preenchimento{valido, QStringLiteral("111222333444"), QStringLiteral("16716114000172"), QString()}
        << QStringLiteral("Assinatura não pode estar em branco.") << tituloProducao;
    QTest::newRow("produção: assinatura de brancos")
        << p << oito
        << Preenchimento{valido, QStringLiteral("111222333444"), QStringLiteral("16716114000172"),
                         QStringLiteral("   ")}
        << QStringLiteral("Assinatura não pode estar em branco.") << tituloProducao;
}

void TestFimAFim::verificacoes() {
    QFETCH(int, variante);
    QFETCH(QString, codigo);
    QFETCH(Preenchimento, dados);
    QFETCH(QString, mensagem);
    QFETCH(QString, titulo);

    b_->controle<QLineEdit>(QStringLiteral("Edit1"))->setText(QStringLiteral("000042"));
    memo()->setPlainText(QStringLiteral("do teste anterior"));
    roteiro::responder("{sessao}|09001|Código de ativação inválido|||");
    testar(VarianteTeste(variante), codigo, dados);

    QCOMPARE(this->titulo(), titulo);
    QCOMPARE(linhasDaMemo(), QStringList());
    // The data dialog comes only after a code long enough.
    const bool dialogoMostrado = mensagem != codigoCurto;
    QCOMPARE(b_->ui.textos(Tipo::Dialogo).size(), dialogoMostrado ? 2 : 1);
    if (mensagem.isEmpty()) {
        QCOMPARE(roteiro::chamadas().size(), 1);
        QCOMPARE(roteiro::chamadas().first().funcao, QStringLiteral("TesteFimAFim"));
        QCOMPARE(roteiro::chamadas().first().argumentos.first().toByteArray(), aparar(codigo).toLatin1());
        QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("09001: Código de ativação inválido")});
        QCOMPARE(edit1(), b_->sessaoDaUltimaChamada());
    } else {
        QVERIFY(roteiro::chamadas().isEmpty());
        QCOMPARE(b_->ui.mensagens(),
                 mensagem == QLatin1String("(nada)") ? QStringList() : QStringList{mensagem});
        QCOMPARE(edit1(), QStringLiteral("000042"));
    }
    if (mensagem.isEmpty() && variante == int(VarianteTeste::Producao)) {
        // The document carries the CNPJs as typed.
        const QByteArray documento = roteiro::chamadas().first().argumentos.at(1).toByteArray();
        QVERIFY(documento.contains("<emit><CNPJ>" + dados.cnpj->toLatin1() + "</CNPJ><IE>111222333444</IE>"));
    }
}

void TestFimAFim::promptFechado() {
    for (const char* botao : {"BtnTesteAtivacao", "BtnTesteProducao"}) {
        b_->controle<QLabel>(QStringLiteral("Panel4"))->setText(QStringLiteral("anterior"));
        memo()->setPlainText(QStringLiteral("do teste anterior"));
        b_->ui.exibidos.clear();
        b_->ui.dialogos.push_back(digitarEFechar(QStringLiteral("12345678")));
        b_->controle<QPushButton>(QString::fromLatin1(botao))->click();
        QCOMPARE(b_->ui.textos(Tipo::Dialogo),
                 QStringList{QStringLiteral("SAT - BRISEL (Valida Cód. Ativação)")});
        QCOMPARE(titulo(), QStringLiteral("anterior"));
        QCOMPARE(linhasDaMemo(), QStringList());
        QVERIFY(roteiro::chamadas().isEmpty());
    }
}

void TestFimAFim::sucesso_data() {
    QTest::addColumn<QByteArray>("cfe");
    QTest::addColumn<QStringList>("memoEsperada");
    QTest::addColumn<QByteArray>("arquivoEsperado");

    QTest::newRow("uma linha, nome em UTF-8")
        << cfeDoDispositivo << QStringList{separador} + cfeFormatado + QStringList{separador}
        << cfeDoDispositivo + "\r\n";
    QByteArray emLinhas = cfeDoDispositivo;
    emLinhas.replace("<ide>", "\n<ide>").replace("</emit>", "</emit>\r\n");
    QTest::newRow("linhas do dispositivo, LF e CR LF")
        << emLinhas << QStringList{separador} + cfeFormatado + QStringList{separador}
        << QByteArray(emLinhas).replace("\r\n", "\n").replace("\n", "\r\n") + "\r\n";
    // A byte that is not UTF-8 shows as U+FFFD but reaches the file as the device sent it.
    QByteArray latin = cfeDoDispositivo;
    latin.replace("Café", "Caf\xe9");
    QStringList formatado = cfeFormatado;
    formatado[8] = QStringLiteral("      <xNome>Caf\uFFFD São João</xNome>");
    QTest::newRow("byte que não é UTF-8")
        << latin << QStringList{separador} + formatado + QStringList{separador} << latin + "\r\n";
}

void TestFimAFim::sucesso() {
    QFETCH(QByteArray, cfe);
    QFETCH(QStringList, memoEsperada);
    QFETCH(QByteArray, arquivoEsperado);

    testarAtivacao(respostaDeSucesso(cfe));

    QCOMPARE(roteiro::chamadas().size(), 1);
    const roteiro::Chamada& chamada = roteiro::chamadas().first();
    QCOMPARE(chamada.funcao, QStringLiteral("TesteFimAFim"));
    QCOMPARE(chamada.argumentos, (QVariantList{QByteArray("12345678"), documentoAtivacao}));
    QCOMPARE(edit1(), b_->sessaoDaUltimaChamada());
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("09000: Emitido com sucesso")});
    QCOMPARE(linhasDaMemo(), memoEsperada);
    QCOMPARE(memo()->textCursor().position(), 0); // shown from its beginning
    QCOMPARE(conteudo(arquivoCFe()), arquivoEsperado);
    QVERIFY(naveg()->isEnabled());
    QCOMPARE(titulo(), tituloAtivacao);
    // Written through a temporary file renamed into place: nothing else is left behind.
    QCOMPARE(QDir(b_->pasta.path()).entryList(QDir::Files), QStringList{QStringLiteral("CFe.xml")});

    // "Abrir no Navegador" opens the file.
    naveg()->click();
    QCOMPARE(b_->ui.textos(Tipo::Abrir), QStringList{QDir::toNativeSeparators(arquivoCFe())});
}

void TestFimAFim::sucessoComMensagemSefaz() {
    testarAtivacao(respostaDeSucesso(cfeDoDispositivo, "1234", "Aviso da SEFAZ"));
    QStringList ordem;
    for (const auto& e : b_->ui.exibidos)
        ordem.append(e.tipo == Tipo::Dialogo ? e.titulo : e.texto);
    QCOMPARE(ordem, (QStringList{QStringLiteral("TFValida"), QStringLiteral("TFFimAFim"),
                                 QStringLiteral("09000: Emitido com sucesso"), QStringLiteral("TFMSefaz")}));
    QCOMPARE(b_->controle<QPlainTextEdit>(QStringLiteral("MemoSefaz"))->toPlainText(),
             QStringLiteral("Código: 1234\n\nAviso da SEFAZ"));
    QCOMPARE(linhasDaMemo().size(), cfeFormatado.size() + 2);
}

void TestFimAFim::sucessoDepoisFalha() {
    testarAtivacao(respostaDeSucesso(cfeDoDispositivo));
    QVERIFY(naveg()->isEnabled());
    QVERIFY(QFile::exists(arquivoCFe()));
    const QString sessaoDoSucesso = edit1();
    b_->ui.exibidos.clear();

    testarAtivacao("{sessao}|09003|SAT bloqueado|4321|Mensagem SEFAZ");
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("09003: SAT bloqueado")});
    QCOMPARE(b_->ui.exibidos.last().titulo, QStringLiteral("TFMSefaz"));
    QVERIFY(!QFile::exists(arquivoCFe()));
    QVERIFY(naveg()->isEnabled()); // a failed test does not disable it
    QCOMPARE(linhasDaMemo(), QStringList());
    QCOMPARE(edit1(), b_->sessaoDaUltimaChamada());
    QVERIFY(edit1() != sessaoDoSucesso);

    // The file is gone: the button does nothing.
    b_->ui.exibidos.clear();
    naveg()->click();
    QVERIFY(b_->ui.exibidos.isEmpty());

    // A second failure with no file to delete is just as quiet about it.
    testarAtivacao("{sessao}|09001|Código de ativação inválido|||");
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("09001: Código de ativação inválido")});
}

void TestFimAFim::respostasQueNaoSeLeem_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QStringList>("mensagens");
    QTest::addColumn<QStringList>("memoEsperada");
    QTest::addColumn<bool>("arquivoFica"); // a failure code deletes it before the message is read

    const QStringList sucesso{QStringLiteral("09000: Emitido com sucesso")};
    QTest::newRow("sem o campo 5") << QByteArray("{sessao}|09000|Emitido com sucesso||") << sucesso
                                   << QStringList() << true;
    QTest::newRow("CF-e que não é XML")
        << QByteArray("{sessao}|09000|Emitido com sucesso|||" + QByteArray("<CFe><a></CFe>").toBase64())
        << sucesso << QStringList{separador} << true;
    QTest::newRow("campo 5 vazio") << QByteArray("{sessao}|09000|Emitido com sucesso|||") << sucesso
                                   << QStringList{separador} << true;
    QTest::newRow("sem mensagem") << QByteArray("{sessao}|09000") << QStringList() << QStringList() << true;
    QTest::newRow("resposta vazia") << QByteArray() << QStringList() << QStringList() << true;
    QTest::newRow("só o código de falha")
        << QByteArray("{sessao}|09001") << QStringList() << QStringList() << false;
}

void TestFimAFim::respostasQueNaoSeLeem() {
    QFETCH(QByteArray, resposta);
    QFETCH(QStringList, mensagens);
    QFETCH(QStringList, memoEsperada);
    QFETCH(bool, arquivoFica);

    gravar(arquivoCFe(), "anterior\r\n");
    testarAtivacao(resposta);

    QCOMPARE(b_->ui.mensagens(), mensagens);
    QCOMPARE(b_->ui.textos(Tipo::Erro), QStringList());
    QCOMPARE(linhasDaMemo(), memoEsperada);
    // Not written, and the button stays as it was.
    QCOMPARE(conteudo(arquivoCFe()), arquivoFica ? QByteArray("anterior\r\n") : QByteArray("(ausente)"));
    QVERIFY(!naveg()->isEnabled());
    QCOMPARE(edit1(), b_->sessaoDaUltimaChamada());
}

void TestFimAFim::respostaNula() {
    gravar(arquivoCFe(), "anterior\r\n");
    roteiro::responder(std::nullopt);
    testar(VarianteTeste::Ativacao, QStringLiteral("12345678"), {QStringLiteral("11222333000181")});
    QCOMPARE(b_->ui.mensagens(),
             QStringList{QStringLiteral("A biblioteca SAT não devolveu resposta à função TesteFimAFim.")});
    QCOMPARE(edit1(), b_->sessaoDaUltimaChamada());
    QCOMPARE(conteudo(arquivoCFe()), QByteArray("anterior\r\n"));
}

void TestFimAFim::assinaturaEmArquivo_data() {
    QTest::addColumn<QByteArray>("conteudoDoArquivo"); // "(pasta)": a folder; "(nenhum)": no file
    QTest::addColumn<QString>("mensagem");             // empty: the device is called
    QTest::addColumn<QByteArray>("signAC");

    const QByteArray metade1 = assinatura344.left(200), metade2 = assinatura344.mid(200);
    QTest::newRow("linhas juntadas") << metade1 + "\r\n" + metade2 + "\n" << QString() << assinatura344;
    QTest::newRow("brancos em volta aparados") << "  " + assinatura344 + " \r\n"
                                               << QString() << assinatura344;
    QTest::newRow("344 caracteres em três linhas")
        << metade1 + "\r" + metade2.left(100) + "\n" + metade2.mid(100) << QString() << assinatura344;
    QTest::newRow("345 caracteres recusados")
        << assinatura344 + "A"
        << QStringLiteral(
               "A assinatura tem 345 caracteres; a assinatura do aplicativo comercial tem no máximo 344.")
        << QByteArray();
    QTest::newRow("arquivo vazio") << QByteArray() << QStringLiteral("Assinatura não pode estar em branco.")
                                   << QByteArray();
    QTest::newRow("arquivo só de quebras")
        << QByteArray("\r\n\r\n") << QStringLiteral("Assinatura não pode estar em branco.") << QByteArray();
    QTest::newRow("arquivo que não existe")
        << QByteArray("(nenhum)") << QStringLiteral("Arquivo especificado não foi encontrado!")
        << QByteArray();
    QTest::newRow("uma pasta não é o arquivo")
        << QByteArray("(pasta)") << QStringLiteral("Arquivo especificado não foi encontrado!")
        << QByteArray();
}

void TestFimAFim::assinaturaEmArquivo() {
    QFETCH(QByteArray, conteudoDoArquivo);
    QFETCH(QString, mensagem);
    QFETCH(QByteArray, signAC);

    const QString caminho = b_->pasta.filePath(QStringLiteral("assinatura.txt"));
    if (conteudoDoArquivo == "(pasta)")
        QVERIFY(QDir(b_->pasta.path()).mkdir(QStringLiteral("assinatura.txt")));
    else if (conteudoDoArquivo != "(nenhum)")
        gravar(caminho, conteudoDoArquivo);

    Preenchimento dados = producaoCompleta();
    dados.forma = TFFimAFim::Arquivo;
    dados.assinatura = caminho;
    roteiro::responder("{sessao}|09001|Código de ativação inválido|||");
    testar(VarianteTeste::Producao, QStringLiteral("12345678"), dados);

    if (mensagem.isEmpty()) {
        QCOMPARE(roteiro::chamadas().size(), 1);
        QByteArray esperado = documentoProducao;
        esperado.replace(assinatura344, signAC);
        QCOMPARE(roteiro::chamadas().first().argumentos.at(1).toByteArray(), esperado);
    } else {
        QVERIFY(roteiro::chamadas().isEmpty());
        QCOMPARE(b_->ui.mensagens(), QStringList{mensagem});
    }
}

void TestFimAFim::cfeQueNaoSeGrava() {
    // A folder where the file should be: it cannot be replaced.
    QVERIFY(QDir(b_->pasta.path()).mkdir(QStringLiteral("CFe.xml")));
    testarAtivacao(respostaDeSucesso(cfeDoDispositivo));
    const QStringList mensagens = b_->ui.mensagens();
    QCOMPARE(mensagens.size(), 2);
    QCOMPARE(mensagens.first(), QStringLiteral("09000: Emitido com sucesso"));
    QVERIFY2(mensagens.last().startsWith(QStringLiteral("Não foi possível gravar o arquivo \"") +
                                         QDir::toNativeSeparators(arquivoCFe()) + QStringLiteral("\": ")),
             qPrintable(mensagens.last()));
    QVERIFY(!naveg()->isEnabled());
    QCOMPARE(linhasDaMemo().size(), cfeFormatado.size() + 2); // what was shown stays
    QVERIFY(QFileInfo(arquivoCFe()).isDir());
}

void TestFimAFim::respostaLongaNaoAlargaAJanela() {
    QVERIFY(b_->mostrar());
    const QSize tamanho = b_->janela->size();
    testarAtivacao(respostaDeSucesso(cfeDoDispositivo));
    QVERIFY(b_->barraDeStatus().endsWith(QStringLiteral(" ...")));
    QVERIFY(b_->janela->minimumSizeHint().width() <= tamanho.width());
    QTest::qWait(100); // the window would take its new minimum on the next layout pass
    QCOMPARE(b_->janela->size(), tamanho);
}

QTEST_MAIN(TestFimAFim)
#include "tst_fimafim.moc"
