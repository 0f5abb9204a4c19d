// The session queries of page 5: "Consulta Sessão" looks up the answer of the session
// in the session box, "Consulta Sessão Fiscal" that of the last sale; a sale's CF-e is
// decoded into the memo and CFe.xml, which "Abrir no Navegador" opens.

#include "bancada.h"
#include "pages/tabteste.h"

#include <QDir>
#include <QPlainTextEdit>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString separador(54, u'-');
const QString codigoCurto = QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.");
const QString sessaoInvalida = QStringLiteral("Número de sessão consultada inválida.");
const QString tituloSessao = QStringLiteral("CONSULTAR NÚMERO DE SESSÃO");
const QString tituloFiscal = QStringLiteral("CONSULTAR ÚLTIMA SESSÃO FISCAL");
const QByteArray chave = "CFe35240311222333000181590000040190000021234560";

// A sale's CF-e as the device keeps it: lines ended by LF, a UTF-8 name.
const QByteArray cfeDaVendaOriginal = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CFe><infCFe "
                                      "versao=\"0.08\"><dest><xNome>José Araújo</xNome>"
                                      "</dest></infCFe></CFe>\n";
const QStringList linhasDoCfe{
    QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>)"),
    QStringLiteral(R"(<CFe><infCFe versao="0.08"><dest><xNome>José Araújo</xNome></dest></infCFe></CFe>)")};
const QByteArray arquivoDoCfe = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<CFe><infCFe "
                                "versao=\"0.08\"><dest><xNome>José Araújo</xNome>"
                                "</dest></infCFe></CFe>\r\n";

// A sale answer of 12 fields: field 5 (the SEFAZ message) and field 6 carry the Base64.
QByteArray respostaDeVenda(const QByteArray& campo5, const QByteArray& campo6) {
    return "004711|06000|0000|Emitido com sucesso + conteúdo notas.||" + campo5 + "|" + campo6 +
           "|20240315150000|" + chave + "|654.32||QRCODE";
}

// What the memo shows of a sale answer whose CF-e decodes to `linhas`.
QStringList memoDaVenda(const QByteArray& resposta, const QStringList& linhas) {
    return QStringList{separador} +
           QString::fromUtf8(resposta).split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))) +
           QStringList{separador, QStringLiteral("Sessão: 004711"),
                       QStringLiteral("Chave: ") + QString::fromLatin1(chave), separador} +
           linhas + QStringList{separador};
}

} // namespace

class TestConsultaSessao : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void cfeDaVenda_data();
    void cfeDaVenda();

    void aparencia();
    void verificacoes_data();
    void verificacoes();
    void promptFechado();
    void zerosAEsquerda_data();
    void zerosAEsquerda();
    void respostaDaPropriaConsulta_data();
    void respostaDaPropriaConsulta();
    void respostaDeOutraSessao();
    void venda_data();
    void venda();
    void vendaSemChave();
    void respostaNula();
    void abrirNoNavegador();
    void consultasNaoMudamOBotao();

private:
    TabTeste* pagina() const { return b_->controle<TabTeste>(QStringLiteral("TabTeste")); }
    QPlainTextEdit* memo() const { return b_->controle<QPlainTextEdit>(QStringLiteral("MemoCFe")); }
    QStringList linhasDaMemo() const {
        const QString texto = memo()->toPlainText();
        return texto.isEmpty() ? QStringList() : texto.split(u'\n');
    }
    QString titulo() const { return b_->controle<QLabel>(QStringLiteral("Panel4"))->text(); }
    QLineEdit* edit1() const { return b_->controle<QLineEdit>(QStringLiteral("Edit1")); }
    QPushButton* naveg() const { return b_->controle<QPushButton>(QStringLiteral("BtnNaveg")); }
    QString arquivoCFe() const { return b_->pasta.filePath(QStringLiteral("CFe.xml")); }
    QByteArray conteudo() const {
        QFile f(arquivoCFe());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(ausente)");
    }
    void gravarAnterior() const {
        QFile f(arquivoCFe());
        if (!f.open(QIODevice::WriteOnly) || f.write("anterior\r\n") != 10)
            qFatal("could not write CFe.xml");
    }
    void consultar(bool fiscal, const QString& codigo = QStringLiteral("12345678")) {
        b_->ui.dialogos.push_back(validarCom(codigo));
        b_->controle<QPushButton>(fiscal ? QStringLiteral("BtnSessaoFiscal") : QStringLiteral("BtnSessao"))
            ->click();
    }

    std::unique_ptr<Bancada> b_;
};

void TestConsultaSessao::init() {
    b_ = std::make_unique<Bancada>();
}

void TestConsultaSessao::cleanup() {
    b_.reset();
}

void TestConsultaSessao::cfeDaVenda_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QByteArray>("cfe");

    const QByteArray b64 = cfeDaVendaOriginal.toBase64();
    QTest::newRow("12 campos, campo 5 vazio: só o campo 6") << respostaDeVenda("", b64) << cfeDaVendaOriginal;
    QTest::newRow("campo 5 não vazio vai na frente")
        << respostaDeVenda(b64.left(20), b64.mid(20)) << cfeDaVendaOriginal;
    QTest::newRow("| no fim não faz linha") << respostaDeVenda("", b64) + "|" << cfeDaVendaOriginal;
    QTest::newRow("quebra de linha dentro do Base64 abre linha")
        << respostaDeVenda("", b64.left(30) + "\r\n" + b64.mid(30)) << cfeDaVendaOriginal;
    QTest::newRow("caracteres fora do alfabeto pulados")
        << respostaDeVenda("", b64.left(16) + "*@ " + b64.mid(16)) << cfeDaVendaOriginal;
    // Fewer than 11 lines: nothing between position 5 and count - 6.
    QTest::newRow("10 campos: documento vazio")
        << QByteArray("004711|06000|0000|ok|||" + b64 + "|ts|" + chave + "|1") << QByteArray();
    QTest::newRow("11 campos: só o campo 5")
        << QByteArray("004711|06000|0000|ok||" + b64 + "|x|ts|" + chave + "|1|2") << cfeDaVendaOriginal;
    QTest::newRow("resposta vazia") << QByteArray() << QByteArray();
}

void TestConsultaSessao::cfeDaVenda() {
    QFETCH(QByteArray, resposta);
    QFETCH(QByteArray, cfe);
    QCOMPARE(::cfeDaVenda(resposta), cfe);
}

void TestConsultaSessao::aparencia() {
    QCOMPARE(b_->controle<QPushButton>(QStringLiteral("BtnSessao"))->text(),
             QStringLiteral("Consulta Sessão"));
    QCOMPARE(b_->controle<QPushButton>(QStringLiteral("BtnSessaoFiscal"))->text(),
             QStringLiteral("Consulta Sessão Fiscal"));
    bool rotuloSessao = false, rotuloFiscal = false;
    for (QLabel* l : pagina()->findChildren<QLabel*>()) {
        rotuloSessao = rotuloSessao || (l->text() == QStringLiteral("Sessão:") && l->buddy() == edit1());
        rotuloFiscal = rotuloFiscal || l->text() == QStringLiteral("Sessão Fiscal:");
    }
    QVERIFY(rotuloSessao);
    QVERIFY(rotuloFiscal);
    // Only digits can be typed, at most six.
    edit1()->clear();
    QTest::keyClicks(edit1(), QStringLiteral("12a-34567"));
    QCOMPARE(edit1()->text(), QStringLiteral("123456"));
}

void TestConsultaSessao::verificacoes_data() {
    QTest::addColumn<bool>("fiscal");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("caixa");
    QTest::addColumn<QString>("mensagem"); // empty: the device is called
    QTest::addColumn<QString>("titulo");

    QTest::newRow("sessão: código de 7")
        << false << QStringLiteral("1234567") << QStringLiteral("000123") << codigoCurto << tituloSessao;
    QTest::newRow("sessão: código de 8 entre brancos")
        << false << QStringLiteral(" 12345678 ") << QStringLiteral("000123") << QString() << tituloSessao;
    QTest::newRow("sessão: caixa vazia")
        << false << QStringLiteral("12345678") << QString() << sessaoInvalida << tituloSessao;
    QTest::newRow("sessão: caixa de brancos")
        << false << QStringLiteral("12345678") << QStringLiteral("   ") << sessaoInvalida << tituloSessao;
    QTest::newRow("sessão: código curto antes da caixa vazia")
        << false << QStringLiteral("123") << QString() << codigoCurto << tituloSessao;
    for (const char* texto : {"12a", "-5", "+5", "1 2", "١٢٣"})
        QTest::addRow("sessão: caixa \"%s\" não é número", texto)
            << false << QStringLiteral("12345678") << QString::fromUtf8(texto)
            << QStringLiteral("Número de sessão consultada inválida: \"%1\" não é um número inteiro de até 6 "
                              "algarismos.")
                   .arg(QString::fromUtf8(texto))
            << tituloSessao;
    QTest::newRow("fiscal: código de 7")
        << true << QStringLiteral("1234567") << QString() << codigoCurto << tituloFiscal;
    QTest::newRow("fiscal: caixa vazia não importa")
        << true << QStringLiteral("12345678") << QString() << QString() << tituloFiscal;
    QTest::newRow("fiscal: caixa não lida")
        << true << QStringLiteral("12345678") << QStringLiteral("abc") << QString() << tituloFiscal;
}

void TestConsultaSessao::verificacoes() {
    QFETCH(bool, fiscal);
    QFETCH(QString, codigo);
    QFETCH(QString, caixa);
    QFETCH(QString, mensagem);
    QFETCH(QString, titulo);

    edit1()->setText(caixa);
    memo()->setPlainText(QStringLiteral("anterior"));
    roteiro::responder("{sessao}|11001|Código de ativação inválido.|||");
    consultar(fiscal, codigo);

    QCOMPARE(this->titulo(), titulo);
    QCOMPARE(linhasDaMemo(), QStringList());
    if (mensagem.isEmpty()) {
        QCOMPARE(roteiro::chamadas().size(), 1);
        const roteiro::Chamada& c = roteiro::chamadas().first();
        QCOMPARE(c.funcao, fiscal ? QStringLiteral("ConsultarUltimaSessaoFiscal")
                                  : QStringLiteral("ConsultarNumeroSessao"));
        QCOMPARE(c.argumentos.first().toByteArray(), QByteArray("12345678"));
        QCOMPARE(c.argumentos.size(), fiscal ? 1 : 2);
        QCOMPARE(edit1()->text(), b_->sessaoDaUltimaChamada());
        QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("11001: Código de ativação inválido.")});
    } else {
        QVERIFY(roteiro::chamadas().isEmpty());
        QCOMPARE(b_->ui.mensagens(), QStringList{mensagem});
        QCOMPARE(edit1()->text(), caixa);
    }
}

void TestConsultaSessao::promptFechado() {
    for (const bool fiscal : {false, true}) {
        b_->controle<QLabel>(QStringLiteral("Panel4"))->setText(QStringLiteral("anterior"));
        memo()->setPlainText(QStringLiteral("anterior"));
        b_->ui.exibidos.clear();
        b_->ui.dialogos.push_back(digitarEFechar(QStringLiteral("12345678")));
        b_->controle<QPushButton>(fiscal ? QStringLiteral("BtnSessaoFiscal") : QStringLiteral("BtnSessao"))
            ->click();
        QCOMPARE(b_->ui.exibidos.size(), 1);
        QCOMPARE(titulo(), QStringLiteral("anterior"));
        QCOMPARE(linhasDaMemo(), QStringList());
        QVERIFY(roteiro::chamadas().isEmpty());
    }
}

void TestConsultaSessao::zerosAEsquerda_data() {
    QTest::addColumn<QString>("caixa");
    QTest::addColumn<int>("sessao");
    QTest::newRow("000123") << QStringLiteral("000123") << 123;
    QTest::newRow("000000") << QStringLiteral("000000") << 0;
    QTest::newRow("999999") << QStringLiteral("999999") << 999999;
    QTest::newRow("com brancos") << QStringLiteral(" 42 ") << 42;
}

void TestConsultaSessao::zerosAEsquerda() {
    QFETCH(QString, caixa);
    QFETCH(int, sessao);
    edit1()->setText(caixa);
    roteiro::responder("{sessao}|11003|Sessão não existe|||");
    consultar(false);
    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(roteiro::chamadas().first().argumentos.at(1).toInt(), sessao);
    // The box now shows the query's own six-digit number.
    QCOMPARE(edit1()->text(), b_->sessaoDaUltimaChamada());
    QCOMPARE(edit1()->text().size(), 6);
    QCOMPARE(edit1()->text(), b_->janela->caminho().numsessao());
}

void TestConsultaSessao::respostaDaPropriaConsulta_data() {
    QTest::addColumn<bool>("fiscal");
    QTest::newRow("Consulta Sessão") << false;
    QTest::newRow("Consulta Sessão Fiscal") << true;
}

void TestConsultaSessao::respostaDaPropriaConsulta() {
    QFETCH(bool, fiscal);
    gravarAnterior();
    edit1()->setText(QStringLiteral("000042"));
    roteiro::responder("{sessao}|11003|Sessão não existe: 000042|1234|Mensagem da SEFAZ");
    consultar(fiscal);
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("11003: Sessão não existe: 000042")});
    QCOMPARE(b_->ui.textos(Tipo::Dialogo).size(), 1); // the prompt only: no SEFAZ window
    QCOMPARE(linhasDaMemo(), QStringList());
    QCOMPARE(conteudo(), QByteArray("anterior\r\n"));
    QCOMPARE(titulo(), fiscal ? tituloFiscal : tituloSessao);
}

void TestConsultaSessao::respostaDeOutraSessao() {
    gravarAnterior();
    edit1()->setText(QStringLiteral("000042"));
    const QByteArray resposta = "000042|09001|Código de ativação inválido|1234|Mensagem da SEFAZ";
    roteiro::responder(resposta);
    consultar(false);

    QCOMPARE(linhasDaMemo(), (QStringList{separador, QString::fromUtf8(resposta)}));
    QVERIFY(b_->ui.mensagens().isEmpty());
    QCOMPARE(b_->ui.textos(Tipo::Dialogo).size(), 1); // no SEFAZ window
    // The answer's fields, one per line, as the device sent them.
    QCOMPARE(conteudo(),
             QByteArray("000042\r\n09001\r\nCódigo de ativação inválido\r\n1234\r\nMensagem da SEFAZ\r\n"));
    QCOMPARE(edit1()->text(), b_->sessaoDaUltimaChamada());
}

void TestConsultaSessao::venda_data() {
    QTest::addColumn<bool>("fiscal");
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QStringList>("linhas"); // of the decoded CF-e, in the memo
    QTest::addColumn<QByteArray>("arquivo");

    const QByteArray b64 = cfeDaVendaOriginal.toBase64();
    QTest::newRow("sessão: campo 5 vazio")
        << false << respostaDeVenda("", b64) << linhasDoCfe << arquivoDoCfe;
    QTest::newRow("fiscal: campo 5 vazio") << true << respostaDeVenda("", b64) << linhasDoCfe << arquivoDoCfe;
    QTest::newRow("campo 5 na frente")
        << false << respostaDeVenda(b64.left(40), b64.mid(40)) << linhasDoCfe << arquivoDoCfe;
    QTest::newRow("Base64 em duas linhas")
        << true << respostaDeVenda("", b64.left(40) + "\r\n" + b64.mid(40)) << linhasDoCfe << arquivoDoCfe;
    QTest::newRow("menos de 11 linhas: documento vazio")
        << false << QByteArray("004711|06000|0000|ok|||" + b64 + "|ts|" + chave + "|1") << QStringList()
        << QByteArray();
    // Bytes that are not UTF-8 are shown replaced and written as they came.
    const QByteArray latin = "<xNome>Jos\xe9</xNome>\r\n";
    QTest::newRow("bytes que não são UTF-8")
        << false << respostaDeVenda("", latin.toBase64())
        << QStringList{QStringLiteral("<xNome>Jos\uFFFD</xNome>")} << latin;
}

void TestConsultaSessao::venda() {
    QFETCH(bool, fiscal);
    QFETCH(QByteArray, resposta);
    QFETCH(QStringList, linhas);
    QFETCH(QByteArray, arquivo);

    gravarAnterior();
    edit1()->setText(QStringLiteral("004711"));
    roteiro::responder(resposta);
    consultar(fiscal);

    QCOMPARE(linhasDaMemo(), memoDaVenda(resposta, linhas));
    QCOMPARE(conteudo(), arquivo);
    QVERIFY(b_->ui.mensagens().isEmpty());
    QCOMPARE(titulo(), fiscal ? tituloFiscal : tituloSessao);
    QCOMPARE(edit1()->text(), b_->sessaoDaUltimaChamada());
    if (!fiscal)
        QCOMPARE(roteiro::chamadas().first().argumentos.at(1).toInt(), 4711);
}

void TestConsultaSessao::vendaSemChave() {
    // A sale answer too short to carry its key: what was shown stays, the file too.
    gravarAnterior();
    edit1()->setText(QStringLiteral("004711"));
    const QByteArray resposta = "004711|06000|0000|ok|||QUJD|ts";
    roteiro::responder(resposta);
    consultar(false);
    QCOMPARE(linhasDaMemo(), (QStringList{separador, QString::fromLatin1(resposta)}));
    QCOMPARE(conteudo(), QByteArray("anterior\r\n"));
    QVERIFY(b_->ui.mensagens().isEmpty());
    QVERIFY(b_->ui.textos(Tipo::Erro).isEmpty());
}

void TestConsultaSessao::respostaNula() {
    gravarAnterior();
    edit1()->setText(QStringLiteral("000042"));
    roteiro::responder(std::nullopt);
    consultar(false);
    QCOMPARE(b_->ui.mensagens(),
             QStringList{
                 QStringLiteral("A biblioteca SAT não devolveu resposta à função ConsultarNumeroSessao.")});
    QCOMPARE(edit1()->text(), b_->sessaoDaUltimaChamada());
    QCOMPARE(linhasDaMemo(), QStringList());
    QCOMPARE(conteudo(), QByteArray("anterior\r\n"));
}

void TestConsultaSessao::abrirNoNavegador() {
    // An empty memo: nothing, even with the file there.
    gravarAnterior();
    pagina()->BtnNavegClick();
    QVERIFY(b_->ui.exibidos.isEmpty());

    // After a query wrote the file and filled the memo: the file's full path.
    edit1()->setText(QStringLiteral("004711"));
    roteiro::responder(respostaDeVenda("", cfeDaVendaOriginal.toBase64()));
    consultar(false);
    b_->ui.exibidos.clear();
    pagina()->BtnNavegClick();
    QCOMPARE(b_->ui.textos(Tipo::Abrir), QStringList{QDir::toNativeSeparators(arquivoCFe())});
    QVERIFY(QDir::isAbsolutePath(b_->ui.textos(Tipo::Abrir).first()));

    // The memo still shows the sale, but the file is gone: nothing.
    QVERIFY(QFile::remove(arquivoCFe()));
    b_->ui.exibidos.clear();
    pagina()->BtnNavegClick();
    QVERIFY(b_->ui.exibidos.isEmpty());
}

void TestConsultaSessao::consultasNaoMudamOBotao() {
    for (const bool habilitado : {false, true}) {
        naveg()->setEnabled(habilitado);
        edit1()->setText(QStringLiteral("004711"));
        roteiro::responder(respostaDeVenda("", cfeDaVendaOriginal.toBase64()));
        consultar(false);
        QCOMPARE(conteudo(), arquivoDoCfe);
        QCOMPARE(naveg()->isEnabled(), habilitado);
        roteiro::responder("{sessao}|19003|Nenhuma sessão fiscal registrada.|||");
        consultar(true);
        QCOMPARE(naveg()->isEnabled(), habilitado);
    }
}

QTEST_MAIN(TestConsultaSessao)
#include "tst_consultasessao.moc"
