// The association with the commercial application: the page "ASSOCIAR APLIC.
// COMERCIAL", filled from the parameter store, and its command "A&ssociar".

#include "bancada.h"
#include "widgets/pagina.h"
#include "settings/checkconfigs.h"
#include "settings/parameterstore.h"

#include <QButtonGroup>
#include <QDir>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QRadioButton>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString contribuinte = QStringLiteral("11222333000181");
const QString softwareHouse = QStringLiteral("11444777000161");
const QString outroCNPJ = QStringLiteral("53113791000122");
const QString codigo = QStringLiteral("abcd1234");

const QString contribuinteInvalido = QStringLiteral("CNPJ Contribuinte inválido.");
const QString softwareHouseInvalido = QStringLiteral("CNPJ Software House inválido.");
const QString arquivoAusente = QStringLiteral("Arquivo especificado não foi encontrado!");
const QString arquivoIlegivel = QStringLiteral("Erro ao tentar acessar o arquivo especificado!");
const QString codigoCurto = QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.");
const QString assinaturaVazia =
    QStringLiteral("O campo \"Assinatura da Aplic. Comercial\" deve ser preenchido!");

constexpr int porTexto = 0;
constexpr int porArquivo = 1;

// The default Parametros.xml with the taxpayer, the software house and the signature
// stored (as attributes of its row).
QByteArray parametrosCom(const QString& cnpjContribuinte, const QString& cnpjSH, const QString& assinatura) {
    QByteArray xml = settings::defaultParametrosXml();
    const QByteArray fim = " uf=\"35\"/>";
    if (!xml.contains(fim))
        qFatal("the default Parametros.xml no longer ends its row with uf=\"35\"");
    return xml.replace(fim, " uf=\"35\" CNPJContribuinte=\"" + cnpjContribuinte.toLatin1() + "\" CNPJSH=\"" +
                                cnpjSH.toLatin1() + "\" Assinatura=\"" + assinatura.toLatin1() + "\"/>");
}

} // namespace

class TestAssocAss : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void aPagina();
    void abrirAPagina();
    void abrirEmModoArquivoTrazAAssinaturaGravada();
    void trocarAFormaDeEnvio();
    void escolherOArquivo();
    void verificacoesEmOrdem_data();
    void verificacoesEmOrdem();
    void argumentosEGravacao_data();
    void argumentosEGravacao();
    void resultado_data();
    void resultado();
    void recusaTambemGravaEChegaAoArquivo();
    void enterAssocia();

private:
    QLineEdit* edit(const char* nome) const { return b_->controle<QLineEdit>(QString::fromLatin1(nome)); }
    QRadioButton* forma(int item) const {
        return b_->controle<QRadioButton>(QStringLiteral("rgAssinaturaItem%1").arg(item));
    }
    QPushButton* Button3() const { return b_->controle<QPushButton>(QStringLiteral("Button3")); }
    QPushButton* BitAssociar() const { return b_->controle<QPushButton>(QStringLiteral("BitAssociar")); }
    QString rotuloAssinatura() const { return pagina::rotuloDe(edit("EdtAssinatura"))->text(); }
    void abrir() const { QTest::mouseClick(b_->lateral(QStringLiteral("BtnAssocAssin")), Qt::LeftButton); }
    void preencher(const QString& cnpjContribuinte, const QString& cnpjSH, int modo,
                   const QString& assinatura, const QString& cod) const {
        edit("EdtCNPJContrib2")->setText(cnpjContribuinte);
        edit("EdtCNPJSw")->setText(cnpjSH);
        forma(modo)->setChecked(true);
        edit("EdtAssinatura")->setText(assinatura);
        edit("EdtCodAtiv3")->setText(cod);
    }
    void associar() const { QTest::mouseClick(BitAssociar(), Qt::LeftButton); }
    // A file in the test's folder holding `conteudo`; its path.
    QString arquivo(const QByteArray& conteudo) const {
        const QString caminho = b_->pasta.filePath(QStringLiteral("assinatura.txt"));
        QFile f(caminho);
        if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size())
            qFatal("could not write the signature file");
        return caminho;
    }

    std::unique_ptr<Bancada> b_;
};

void TestAssocAss::init() {
    b_ = std::make_unique<Bancada>(roteiro::funcoes(), parametrosCom(contribuinte, softwareHouse,
                                                                     QStringLiteral("ASSINATURA+GRAVADA=")));
}

void TestAssocAss::cleanup() {
    b_.reset();
}

void TestAssocAss::aPagina() {
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("Panel5"))->text(),
             QStringLiteral("ASSOCIAR APLIC. COMERCIAL"));
    QCOMPARE(pagina::rotuloDe(edit("EdtCodAtiv3"))->text(),
             QStringLiteral("Digite o Código de Ativação do SAT:"));
    QCOMPARE(edit("EdtCodAtiv3")->echoMode(), QLineEdit::Password);
    QCOMPARE(edit("EdtCodAtiv3")->maxLength(), QLineEdit().maxLength()); // no limit of its own
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("Label17"))->text(),
             QStringLiteral("CNPJ do Contribuinte:"));
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("Label16"))->text(), QStringLiteral("CNPJ Software House:"));
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("Label6"))->text(),
             QStringLiteral("Assinatura do Aplicativo Comercial:"));
    for (const char* nome : {"EdtCNPJContrib2", "EdtCNPJSw"}) {
        QCOMPARE(edit(nome)->inputMask(), QStringLiteral("99.999.999/9999-99;_"));
        QVERIFY(!edit(nome)->isReadOnly());
    }
    QCOMPARE(b_->controle<QGroupBox>(QStringLiteral("rgAssinatura"))->title(),
             QStringLiteral("Forma de envio:"));
    QCOMPARE(forma(porTexto)->text(), QStringLiteral("Texto"));
    QCOMPARE(forma(porArquivo)->text(), QStringLiteral("Arquivo"));
    QVERIFY(forma(porTexto)->isChecked());
    QCOMPARE(rotuloAssinatura(), QStringLiteral("Texto:"));
    QCOMPARE(Button3()->text(), QStringLiteral("..."));
    QVERIFY(Button3()->isHidden());
    QCOMPARE(BitAssociar()->text(), QStringLiteral("A&ssociar"));
    QCOMPARE(
        b_->controle<QLabel>(QStringLiteral("Memo4"))->text(),
        QStringLiteral("\nATENÇÃO:\n \nESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO. \n"));
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("Memo4"))->focusPolicy(), Qt::NoFocus);
}

void TestAssocAss::abrirAPagina() {
    QVERIFY(b_->mostrar());
    preencher(outroCNPJ, outroCNPJ, porTexto, QStringLiteral("digitada"), QStringLiteral("antigo123"));

    abrir();

    QCOMPARE(b_->paginaAtual(), 3);
    QCOMPARE(edit("EdtCodAtiv3")->text(), QString());
    QCOMPARE(pagina::digitos(edit("EdtCNPJContrib2")), contribuinte);
    QCOMPARE(edit("EdtCNPJContrib2")->text(), QStringLiteral("11.222.333/0001-81"));
    QCOMPARE(pagina::digitos(edit("EdtCNPJSw")), softwareHouse);
    QCOMPARE(edit("EdtAssinatura")->text(), QStringLiteral("ASSINATURA+GRAVADA="));
    QCOMPARE(b_->foco(), QStringLiteral("EdtCodAtiv3"));
    QVERIFY(b_->ui.exibidos.isEmpty());
    QVERIFY(roteiro::chamadas().isEmpty());
    QVERIFY(!b_->janela->cds().isModified());
}

void TestAssocAss::abrirEmModoArquivoTrazAAssinaturaGravada() {
    forma(porArquivo)->setChecked(true);
    edit("EdtAssinatura")->setText(QStringLiteral("/um/caminho.txt"));
    abrir();
    // The choice stays between visits; the field gets the stored signature all the same.
    QVERIFY(forma(porArquivo)->isChecked());
    QCOMPARE(rotuloAssinatura(), QStringLiteral("Arquivo"));
    QVERIFY(!Button3()->isHidden());
    QCOMPARE(edit("EdtAssinatura")->text(), QStringLiteral("ASSINATURA+GRAVADA="));
}

void TestAssocAss::trocarAFormaDeEnvio() {
    abrir();
    QCOMPARE(edit("EdtAssinatura")->text(), QStringLiteral("ASSINATURA+GRAVADA="));

    // Right after opening, the stored signature goes with the switch.
    forma(porArquivo)->click();
    QCOMPARE(edit("EdtAssinatura")->text(), QString());
    QCOMPARE(rotuloAssinatura(), QStringLiteral("Arquivo"));
    QVERIFY(!Button3()->isHidden());

    edit("EdtAssinatura")->setText(QStringLiteral("/tmp/assinatura.txt"));
    forma(porTexto)->click();
    QCOMPARE(edit("EdtAssinatura")->text(), QString());
    QCOMPARE(rotuloAssinatura(), QStringLiteral("Texto"));
    QVERIFY(Button3()->isHidden());

    edit("EdtAssinatura")->setText(QStringLiteral("texto"));
    forma(porArquivo)->click();
    QCOMPARE(edit("EdtAssinatura")->text(), QString());
    QVERIFY(b_->ui.exibidos.isEmpty());
}

void TestAssocAss::escolherOArquivo() {
    abrir();
    forma(porArquivo)->click();
    const QString escolhido = QDir(b_->pasta.path()).filePath(QStringLiteral("minha assinatura.txt"));
    b_->ui.arquivos.push_back(escolhido);
    QTest::mouseClick(Button3(), Qt::LeftButton);
    QCOMPARE(edit("EdtAssinatura")->text(), escolhido);
    QCOMPARE(b_->ui.exibidos.size(), 1);
    QCOMPARE(b_->ui.exibidos.first().tipo, Tipo::AbrirArquivo);
    QCOMPARE(b_->ui.exibidos.first().titulo, QStringLiteral("Selecione o Certificado"));
    QCOMPARE(b_->ui.exibidos.first().texto, QString()); // no filter

    // Cancelled: nothing changes.
    QTest::mouseClick(Button3(), Qt::LeftButton);
    QCOMPARE(edit("EdtAssinatura")->text(), escolhido);
    QCOMPARE(b_->ui.exibidos.size(), 2);
    QVERIFY(roteiro::chamadas().isEmpty());
}

void TestAssocAss::verificacoesEmOrdem_data() {
    QTest::addColumn<QString>("cnpjContribuinte");
    QTest::addColumn<QString>("cnpjSH");
    QTest::addColumn<int>("modo");
    QTest::addColumn<QString>(
        "assinatura"); // text, or in file mode a path ("<arquivo>": a file with conteudo)
    QTest::addColumn<QByteArray>("conteudo");
    QTest::addColumn<QString>("cod");
    QTest::addColumn<QStringList>("mensagens");
    QTest::addColumn<QString>("foco");
    QTest::addColumn<QString>("codigoDepois");

    const QString ok = QStringLiteral("QUJDREVG");
    const QString arq = QStringLiteral("<arquivo>");
    const QString pastaDoTeste = QStringLiteral("<pasta>");
    const QString ausente = QStringLiteral("<ausente>");

    QTest::newRow("contribuinte com dígito errado")
        << QStringLiteral("11222333000182") << softwareHouse << porTexto << ok << QByteArray() << codigo
        << QStringList{contribuinteInvalido} << "EdtCNPJContrib2" << codigo;
    QTest::newRow("contribuinte vazio, o resto também: só o contribuinte")
        << QString() << QString() << porTexto << QString() << QByteArray() << QString()
        << QStringList{contribuinteInvalido} << "EdtCNPJContrib2" << QString();
    QTest::newRow("contribuinte incompleto")
        << QStringLiteral("1122233300018") << softwareHouse << porTexto << ok << QByteArray() << codigo
        << QStringList{contribuinteInvalido} << "EdtCNPJContrib2" << codigo;
    QTest::newRow("software house com dígito errado")
        << contribuinte << QStringLiteral("11444777000162") << porTexto << ok << QByteArray() << codigo
        << QStringList{softwareHouseInvalido} << "EdtCNPJSw" << codigo;
    QTest::newRow("software house vazia, código curto: só a software house")
        << contribuinte << QString() << porTexto << ok << QByteArray() << QStringLiteral("abc")
        << QStringList{softwareHouseInvalido} << "EdtCNPJSw" << QStringLiteral("abc");
    QTest::newRow("arquivo ausente, código curto: só o arquivo")
        << contribuinte << softwareHouse << porArquivo << ausente << QByteArray() << QStringLiteral("abc")
        << QStringList{arquivoAusente} << "EdtAssinatura" << QStringLiteral("abc");
    QTest::newRow("caminho vazio: não encontrado")
        << contribuinte << softwareHouse << porArquivo << QString() << QByteArray() << codigo
        << QStringList{arquivoAusente} << "EdtAssinatura" << codigo;
    QTest::newRow("caminho com brancos em volta: não encontrado")
        << contribuinte << softwareHouse << porArquivo << QStringLiteral(" <arquivo> ") << QByteArray("QUJD")
        << codigo << QStringList{arquivoAusente} << "EdtAssinatura" << codigo;
    QTest::newRow("uma pasta: não se lê")
        << contribuinte << softwareHouse << porArquivo << pastaDoTeste << QByteArray() << codigo
        << QStringList{arquivoIlegivel} << "EdtAssinatura" << codigo;
    QTest::newRow("código com 7") << contribuinte << softwareHouse << porTexto << ok << QByteArray()
                                  << QStringLiteral("abcd123") << QStringList{codigoCurto} << "EdtCodAtiv3"
                                  << QString();
    QTest::newRow("código com 7 entre brancos")
        << contribuinte << softwareHouse << porTexto << ok << QByteArray() << QStringLiteral("  abcd123\t")
        << QStringList{codigoCurto} << "EdtCodAtiv3" << QString();
    QTest::newRow("arquivo lido e mostrado, depois o código curto")
        << contribuinte << softwareHouse << porArquivo << arq << QByteArray("QUJD\r\nREVG\r\n") << QString()
        << QStringList{QStringLiteral("QUJDREVG"), codigoCurto} << "EdtCodAtiv3" << QString();
    QTest::newRow("assinatura vazia")
        << contribuinte << softwareHouse << porTexto << QString() << QByteArray() << codigo
        << QStringList{assinaturaVazia} << "EdtAssinatura" << codigo;
    QTest::newRow("assinatura só de brancos")
        << contribuinte << softwareHouse << porTexto << QStringLiteral(" \t  ") << QByteArray() << codigo
        << QStringList{assinaturaVazia} << "EdtAssinatura" << codigo;
    // The path is there, but the file holds no signature.
    QTest::newRow("arquivo sem assinatura")
        << contribuinte << softwareHouse << porArquivo << arq << QByteArray("\r\n  \r\n") << codigo
        << QStringList{QStringLiteral("  "), assinaturaVazia} << "EdtAssinatura" << codigo;
    QTest::newRow("arquivo vazio") << contribuinte << softwareHouse << porArquivo << arq << QByteArray()
                                   << codigo << QStringList{QString(), assinaturaVazia} << "EdtAssinatura"
                                   << codigo;
}

void TestAssocAss::verificacoesEmOrdem() {
    QFETCH(QString, cnpjContribuinte);
    QFETCH(QString, cnpjSH);
    QFETCH(int, modo);
    QFETCH(QString, assinatura);
    QFETCH(QByteArray, conteudo);
    QFETCH(QString, cod);
    QFETCH(QStringList, mensagens);
    QFETCH(QString, foco);
    QFETCH(QString, codigoDepois);

    if (assinatura.contains(u"<arquivo>"))
        assinatura.replace(QStringLiteral("<arquivo>"), arquivo(conteudo));
    else if (assinatura == u"<pasta>")
        assinatura = b_->pasta.path();
    else if (assinatura == u"<ausente>")
        assinatura = b_->pasta.filePath(QStringLiteral("ausente.txt"));

    QVERIFY(b_->mostrar());
    abrir();
    preencher(cnpjContribuinte, cnpjSH, modo, assinatura, cod);
    // Focus starts away from every control a check may point at.
    BitAssociar()->setFocus();
    QCOMPARE(b_->foco(), QStringLiteral("BitAssociar"));
    roteiro::responder(QByteArray("{sessao}|13000|0000|Assinatura do AC Registrada|||"));

    associar();

    QCOMPARE(b_->ui.mensagens(), mensagens);
    QCOMPARE(b_->ui.exibidos.size(), mensagens.size());
    QCOMPARE(b_->foco(), foco);
    QCOMPARE(edit("EdtCodAtiv3")->text(), codigoDepois);
    QCOMPARE(edit("EdtAssinatura")->text(), assinatura); // never emptied by a check
    // Nothing stored, nothing called, no session number drawn.
    QVERIFY(!b_->janela->cds().isModified());
    QCOMPARE(b_->janela->cds().text(u"CNPJSH"), softwareHouse);
    QCOMPARE(b_->janela->cds().text(u"Assinatura"), QStringLiteral("ASSINATURA+GRAVADA="));
    QVERIFY(roteiro::chamadas().isEmpty());
    QVERIFY(b_->janela->caminho().numsessao().isEmpty());
}

void TestAssocAss::argumentosEGravacao_data() {
    QTest::addColumn<QString>("cnpjContribuinte");
    QTest::addColumn<QString>("cnpjSH");
    QTest::addColumn<int>("modo");
    QTest::addColumn<QString>("assinatura"); // "<arquivo>": a file holding conteudo
    QTest::addColumn<QByteArray>("conteudo");
    QTest::addColumn<QString>("cod");
    QTest::addColumn<QByteArray>("codigoEnviado");
    QTest::addColumn<QByteArray>("cnpjsEnviados");
    QTest::addColumn<QByteArray>("assinaturaEnviada");
    QTest::addColumn<QString>("assinaturaGravada");
    QTest::addColumn<QStringList>("mensagens"); // before the outcome

    const QString arq = QStringLiteral("<arquivo>");
    const QByteArray ordem = (softwareHouse + contribuinte).toLatin1();

    QTest::newRow("texto: software house primeiro")
        << contribuinte << softwareHouse << porTexto << QStringLiteral("QUJDREVG") << QByteArray() << codigo
        << codigo.toLatin1() << ordem << QByteArray("QUJDREVG") << QStringLiteral("QUJDREVG")
        << QStringList();
    QTest::newRow("outra ordem dos dois CNPJ")
        << softwareHouse << contribuinte << porTexto << QStringLiteral("QUJDREVG") << QByteArray() << codigo
        << codigo.toLatin1() << (contribuinte + softwareHouse).toLatin1() << QByteArray("QUJDREVG")
        << QStringLiteral("QUJDREVG") << QStringList();
    QTest::newRow("texto e código com brancos em volta: sem eles")
        << contribuinte << softwareHouse << porTexto << QStringLiteral("  \tQUJD REVG \n ") << QByteArray()
        << QStringLiteral(" abcd1234  ") << codigo.toLatin1() << ordem << QByteArray("QUJD REVG")
        << QStringLiteral("QUJD REVG") << QStringList();
    QTest::newRow("arquivo em várias linhas: juntas, mostradas")
        << contribuinte << softwareHouse << porArquivo << arq << QByteArray("QUJD\r\nREVG\nR0hJ\rSktM\r\n")
        << codigo << codigo.toLatin1() << ordem << QByteArray("QUJDREVGR0hJSktM")
        << QStringLiteral("QUJDREVGR0hJSktM") << QStringList{QStringLiteral("QUJDREVGR0hJSktM")};
    QTest::newRow("arquivo: brancos ficam como estão")
        << contribuinte << softwareHouse << porArquivo << arq << QByteArray(" QUJD \n REVG\t") << codigo
        << codigo.toLatin1() << ordem << QByteArray(" QUJD  REVG\t") << QStringLiteral(" QUJD  REVG\t")
        << QStringList{QStringLiteral(" QUJD  REVG\t")};
    QTest::newRow("arquivo em 8 bits: os mesmos bytes")
        << contribuinte << softwareHouse << porArquivo << arq << QByteArray("S\xe3o\r\nJo\xe3o") << codigo
        << codigo.toLatin1() << ordem << QByteArray("S\xe3oJo\xe3o") << QStringLiteral("SãoJoão")
        << QStringList{QStringLiteral("SãoJoão")};
}

void TestAssocAss::argumentosEGravacao() {
    QFETCH(QString, cnpjContribuinte);
    QFETCH(QString, cnpjSH);
    QFETCH(int, modo);
    QFETCH(QString, assinatura);
    QFETCH(QByteArray, conteudo);
    QFETCH(QString, cod);
    QFETCH(QByteArray, codigoEnviado);
    QFETCH(QByteArray, cnpjsEnviados);
    QFETCH(QByteArray, assinaturaEnviada);
    QFETCH(QString, assinaturaGravada);
    QFETCH(QStringList, mensagens);
    if (assinatura == u"<arquivo>")
        assinatura = arquivo(conteudo);

    abrir();
    preencher(cnpjContribuinte, cnpjSH, modo, assinatura, cod);
    roteiro::responder(QByteArray("{sessao}|13000|0000|Assinatura do AC Registrada|||"));

    associar();

    QCOMPARE(roteiro::chamadas().size(), 1);
    const roteiro::Chamada& chamada = roteiro::chamadas().first();
    QCOMPARE(chamada.funcao, QStringLiteral("AssociarAssinatura"));
    QCOMPARE(chamada.sessao, b_->janela->caminho().numsessao().toInt());
    QCOMPARE(chamada.argumentos, (QVariantList{codigoEnviado, cnpjsEnviados, assinaturaEnviada}));
    QCOMPARE(b_->controle<QLineEdit>(QStringLiteral("Edit1"))->text(), b_->janela->caminho().numsessao());

    // The software house and the signature as sent; the taxpayer is the activation's.
    const settings::ParameterStore& cds = b_->janela->cds();
    QCOMPARE(cds.text(u"CNPJSH"), cnpjSH);
    QCOMPARE(cds.text(u"Assinatura"), assinaturaGravada);
    QCOMPARE(cds.text(u"CNPJContribuinte"), contribuinte);
    QVERIFY(!cds.isEditing());
    QCOMPARE(b_->ui.mensagens(),
             mensagens + QStringList{QStringLiteral("13000: Assinatura do AC Registrada")});
    // The page keeps its entries.
    QCOMPARE(edit("EdtCodAtiv3")->text(), cod);
    QCOMPARE(edit("EdtAssinatura")->text(), assinatura);
}

void TestAssocAss::resultado_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QStringList>("habilitados");
    QTest::addColumn<QStringList>("mensagens");
    QTest::addColumn<QString>("sefaz"); // the SEFAZ window's text, empty when it is not shown

    const QStringList dois{QStringLiteral("BtnTestefimafim"), QStringLiteral("BitAtualizaSW")};
    QTest::newRow("13000 sem alerta")
        << QByteArray("{sessao}|13000|0000|Assinatura do AC Registrada|||") << dois
        << QStringList{QStringLiteral("13000: Assinatura do AC Registrada")} << QString();
    QTest::newRow("13000 com alerta entre colchetes")
        << QByteArray("{sessao}|13000|1234|Assinatura do AC Registrada|||") << dois
        << QStringList{QStringLiteral("13000: [1234] Assinatura do AC Registrada")} << QString();
    QTest::newRow("13000 com mensagem da SEFAZ")
        << QByteArray("{sessao}|13000|0000|Registrada|4321|Vinculação aceita") << dois
        << QStringList{QStringLiteral("13000: Registrada")}
        << QStringLiteral("Código: 4321\n\nVinculação aceita");
    QTest::newRow("13000 com alerta vazio: entre colchetes")
        << QByteArray("{sessao}|13000||Registrada|||") << dois
        << QStringList{QStringLiteral("13000: [] Registrada")} << QString();
    QTest::newRow("13001: só a mensagem")
        << QByteArray("{sessao}|13001|0000|Código de ativação inválido|||") << QStringList()
        << QStringList{QStringLiteral("13001: Código de ativação inválido")} << QString();
    QTest::newRow("13005 com alerta")
        << QByteArray("{sessao}|13005|0002|CNPJ do contribuinte diferente do CNPJ do SAT ativado|||")
        << QStringList()
        << QStringList{QStringLiteral("13005: [0002] CNPJ do contribuinte diferente do CNPJ do SAT ativado")}
        << QString();
    QTest::newRow("mensagem em UTF-8 inválido")
        << QByteArray("{sessao}|13003|0000|fora do padr\xe3o|||") << QStringList()
        << QStringList{QStringLiteral("13003: fora do padr\uFFFDo")} << QString();
    QTest::newRow("13000 com três campos: nada")
        << QByteArray("{sessao}|13000|0000") << QStringList() << QStringList() << QString();
    QTest::newRow("vazia: nada") << QByteArray() << QStringList() << QStringList() << QString();
    QTest::newRow("sem separador: nada")
        << QByteArray("13000") << QStringList() << QStringList() << QString();
}

void TestAssocAss::resultado() {
    QFETCH(QByteArray, resposta);
    QFETCH(QStringList, habilitados);
    QFETCH(QStringList, mensagens);
    QFETCH(QString, sefaz);

    abrir();
    preencher(contribuinte, outroCNPJ, porTexto, QStringLiteral("NOVA"), codigo);
    b_->desabilitarBarraLateral();
    QString textoSefaz;
    QStringList mensagensAntesDaSefaz;
    b_->ui.dialogos.push_back([&](QDialog& d) {
        textoSefaz = d.findChild<QPlainTextEdit*>(QStringLiteral("MemoSefaz"))->toPlainText();
        mensagensAntesDaSefaz = b_->ui.mensagens();
    });
    roteiro::responder(resposta);

    associar();

    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(b_->lateraisHabilitados(), habilitados);
    QCOMPARE(b_->ui.mensagens(), mensagens);
    QCOMPARE(textoSefaz, sefaz);
    if (!sefaz.isEmpty())
        QCOMPARE(mensagensAntesDaSefaz, mensagens); // the outcome first, then the SEFAZ window
    QVERIFY(b_->ui.textos(Tipo::Erro).isEmpty());
    QCOMPARE(b_->barraDeStatus(),
             sat::textoStatus(resposta.replace("{sessao}", b_->sessaoDaUltimaChamada())));
    // Stored whatever the answer.
    QCOMPARE(b_->janela->cds().text(u"CNPJSH"), outroCNPJ);
    QCOMPARE(b_->janela->cds().text(u"Assinatura"), QStringLiteral("NOVA"));
    QCOMPARE(b_->paginaAtual(), 3);
}

void TestAssocAss::recusaTambemGravaEChegaAoArquivo() {
    abrir();
    preencher(contribuinte, outroCNPJ, porTexto, QStringLiteral("OUTRA+ASSINATURA"), codigo);
    roteiro::responder(
        QByteArray("{sessao}|13004|0000|CNPJ da Software House ou do contribuinte inválido|||"));
    associar();
    QCOMPARE(b_->ui.mensagens(),
             QStringList{QStringLiteral("13004: CNPJ da Software House ou do contribuinte inválido")});

    b_->janela->gravarParametros();
    settings::ParameterStore relido;
    QVERIFY(relido.open(b_->pasta.filePath(QStringLiteral("Parametros.xml"))).ok());
    QCOMPARE(relido.text(u"CNPJSH"), outroCNPJ);
    QCOMPARE(relido.text(u"Assinatura"), QStringLiteral("OUTRA+ASSINATURA"));
    QCOMPARE(relido.text(u"CNPJContribuinte"), contribuinte);

    // Opening the page again brings them back and empties the code.
    preencher(QString(), QString(), porTexto, QString(), codigo);
    abrir();
    QCOMPARE(pagina::digitos(edit("EdtCNPJSw")), outroCNPJ);
    QCOMPARE(edit("EdtAssinatura")->text(), QStringLiteral("OUTRA+ASSINATURA"));
    QCOMPARE(edit("EdtCodAtiv3")->text(), QString());
}

void TestAssocAss::enterAssocia() {
    QVERIFY(b_->mostrar());
    b_->janela->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b_->janela.get()));
    abrir();
    preencher(contribuinte, softwareHouse, porTexto, QStringLiteral("QUJD"), codigo);
    roteiro::responder(QByteArray("{sessao}|13000|0000|Registrada|||"));
    QTest::keyClick(edit("EdtAssinatura"), Qt::Key_Return);
    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("13000: Registrada")});
}

QTEST_MAIN(TestAssocAss)
#include "tst_assocass.moc"
