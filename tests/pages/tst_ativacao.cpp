// Activation: the page "ATIVAÇÃO DO SAT", opened from the side bar with the taxpayer
// remembered in the parameter store, and its command "&Ativar".

#include "bancada.h"
#include "widgets/pagina.h"
#include "settings/checkconfigs.h"
#include "settings/parameterstore.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QRadioButton>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString cnpjValido = QStringLiteral("11222333000181");
const QString mensagemEspera = QStringLiteral(
    "Por favor aguarde.\n\rEsta função pode demorar alguns minutos.\n\n\rClique OK para continuar.");
const QString mensagemSucesso =
    QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial.");
const QString codigoCurto = QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.");
const QString confirmacaoErrada = QStringLiteral("Erro na confirmação do Código de Ativação.");

constexpr int AC = 0;
constexpr int SP = 25;
constexpr int TO = 26;

// The default Parametros.xml with its stored state replaced by `uf` (the attribute
// left out when `uf` is null).
QByteArray parametrosComUF(const char* uf) {
    QByteArray xml = settings::defaultParametrosXml();
    const QByteArray padrao = " uf=\"35\"";
    if (!xml.contains(padrao))
        qFatal("the default Parametros.xml no longer stores uf=\"35\"");
    return xml.replace(padrao, uf == nullptr ? QByteArray() : " uf=\"" + QByteArray(uf) + '"');
}

} // namespace

class TestAtivacao : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void abrirAPagina_data();
    void abrirAPagina();
    void abrirAPaginaLimpaOsCodigos();
    void verificacoesEmOrdem_data();
    void verificacoesEmOrdem();
    void argumentosEGravacao_data();
    void argumentosEGravacao();
    void tipoDeCertificadoSempre1();
    void cancelarAEsperaMantemOContribuinte();
    void resultado_data();
    void resultado();
    void campoUFEstreitoNaoTrocaOEstadoEnviado();
    void enterAtiva_data();
    void enterAtiva();

private:
    QLineEdit* edit(const char* nome) const { return b_->controle<QLineEdit>(QString::fromLatin1(nome)); }
    QComboBox* cbo() const { return b_->controle<QComboBox>(QStringLiteral("cbo")); }
    QPushButton* BtnAtivar() const { return b_->controle<QPushButton>(QStringLiteral("BtnAtivar")); }
    QRadioButton* tipoCert(int item) const {
        return b_->controle<QRadioButton>(QStringLiteral("rgTipoCertItem%1").arg(item));
    }
    void abrir() const { QTest::mouseClick(b_->lateral(QStringLiteral("BtnAtivacao")), Qt::LeftButton); }
    void preencher(const QString& codigo, const QString& confirmacao, const QString& cnpj, int uf) const {
        edit("EdtCodAtiv2")->setText(codigo);
        edit("EdtCodAtiv2Conf")->setText(confirmacao);
        edit("EdtCNPJContrib")->setText(cnpj);
        cbo()->setCurrentIndex(uf);
    }
    void ativar() const { QTest::mouseClick(BtnAtivar(), Qt::LeftButton); }

    std::unique_ptr<Bancada> b_;
};

void TestAtivacao::init() {
    b_ = std::make_unique<Bancada>();
}

void TestAtivacao::cleanup() {
    b_.reset();
}

void TestAtivacao::abrirAPagina_data() {
    QTest::addColumn<QByteArray>("parametros"); // Parametros.xml at start
    QTest::addColumn<int>("indice");            // the state list's selection, -1 for none
    QTest::addColumn<QString>("uf");            // its text

    QTest::newRow("padrão, 35: nenhuma") << settings::defaultParametrosXml() << -1 << QString();
    QTest::newRow("25: SP") << parametrosComUF("25") << SP << QStringLiteral("SP");
    QTest::newRow("0: AC") << parametrosComUF("0") << AC << QStringLiteral("AC");
    QTest::newRow("26: TO") << parametrosComUF("26") << TO << QStringLiteral("TO");
    QTest::newRow("27: nenhuma") << parametrosComUF("27") << -1 << QString();
    QTest::newRow("-1: nenhuma") << parametrosComUF("-1") << -1 << QString();
    // Not a whole number: no selection, and the page still opens.
    QTest::newRow("vazio: nenhuma") << parametrosComUF("") << -1 << QString();
    QTest::newRow("danificado: nenhuma") << parametrosComUF("S") << -1 << QString();
    QTest::newRow("ausente: nenhuma") << parametrosComUF(nullptr) << -1 << QString();
    QTest::newRow("sem Parametros.xml: nenhuma") << QByteArray() << -1 << QString();
}

void TestAtivacao::abrirAPagina() {
    QFETCH(QByteArray, parametros);
    QFETCH(int, indice);
    QFETCH(QString, uf);

    b_ = std::make_unique<Bancada>(roteiro::funcoes(), parametros);
    b_->janela->cds().edit();
    QVERIFY(b_->janela->cds().setText(u"CNPJContribuinte", cnpjValido));
    b_->janela->cds().post();
    cbo()->setCurrentIndex(3); // whatever was showing before is replaced
    QVERIFY(b_->mostrar());

    abrir();

    QCOMPARE(b_->paginaAtual(), 2);
    QCOMPARE(cbo()->currentIndex(), indice);
    QCOMPARE(cbo()->currentText(), uf);
    QCOMPARE(edit("EdtCNPJContrib")->text(), QStringLiteral("11.222.333/0001-81"));
    QCOMPARE(b_->foco(), QStringLiteral("EdtCodAtiv2"));
    QVERIFY(b_->ui.exibidos.isEmpty());
    QVERIFY(roteiro::chamadas().isEmpty());
}

void TestAtivacao::abrirAPaginaLimpaOsCodigos() {
    preencher(QStringLiteral("antigo12"), QStringLiteral("antigo12"), QString(), -1);
    tipoCert(2)->setChecked(true);
    QCOMPARE(BtnAtivar()->text(), QStringLiteral("&Gerar CSR"));

    abrir();

    QCOMPARE(edit("EdtCodAtiv2")->text(), QString());
    QCOMPARE(edit("EdtCodAtiv2Conf")->text(), QString());
    QVERIFY(tipoCert(0)->isChecked());
    QCOMPARE(BtnAtivar()->text(), QStringLiteral("&Ativar"));
    QVERIFY(!b_->controle<QGroupBox>(QStringLiteral("rgTipoCert"))->isEnabled());
    // Code edits: at most 32 characters, each shown as "*".
    for (const char* nome : {"EdtCodAtiv2", "EdtCodAtiv2Conf"}) {
        QCOMPARE(edit(nome)->maxLength(), 32);
        QCOMPARE(edit(nome)->echoMode(), QLineEdit::Password);
    }
}

void TestAtivacao::verificacoesEmOrdem_data() {
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("confirmacao");
    QTest::addColumn<QString>("cnpj");
    QTest::addColumn<int>("uf");
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<QString>("codigoDepois");
    QTest::addColumn<QString>("confirmacaoDepois");
    QTest::addColumn<QString>("foco");

    const QString ok = QStringLiteral("abcd1234");
    const QString sete = QStringLiteral("abcd123");
    QTest::newRow("código com 7") << sete << ok << cnpjValido << SP << codigoCurto << QString() << ok
                                  << QStringLiteral("EdtCodAtiv2");
    QTest::newRow("código com 7 entre brancos")
        << QStringLiteral("  abcd123  ") << ok << cnpjValido << SP << codigoCurto << QString() << ok
        << QStringLiteral("EdtCodAtiv2");
    QTest::newRow("código vazio") << QString() << ok << cnpjValido << SP << codigoCurto << QString() << ok
                                  << QStringLiteral("EdtCodAtiv2");
    QTest::newRow("confirmação com 7") << ok << sete << cnpjValido << SP << codigoCurto << ok << QString()
                                       << QStringLiteral("EdtCodAtiv2Conf");
    QTest::newRow("os dois curtos: só o primeiro") << sete << sete << QString() << -1 << codigoCurto
                                                   << QString() << sete << QStringLiteral("EdtCodAtiv2");
    QTest::newRow("diferentes") << ok << QStringLiteral("abcd1235") << cnpjValido << SP << confirmacaoErrada
                                << QString() << QString() << QStringLiteral("EdtCodAtiv2");
    QTest::newRow("só a caixa difere")
        << ok << QStringLiteral("ABCD1234") << cnpjValido << SP << confirmacaoErrada << QString() << QString()
        << QStringLiteral("EdtCodAtiv2");
    QTest::newRow("diferentes, CNPJ inválido: só a confirmação")
        << ok << QStringLiteral("abcd12345") << QString() << -1 << confirmacaoErrada << QString() << QString()
        << QStringLiteral("EdtCodAtiv2");
    QTest::newRow("CNPJ com dígito errado")
        << ok << ok << QStringLiteral("11222333000182") << SP << QStringLiteral("CNPJ inválido.") << ok << ok
        << QStringLiteral("EdtCNPJContrib");
    QTest::newRow("CNPJ incompleto") << ok << ok << QStringLiteral("1122233300018") << SP
                                     << QStringLiteral("CNPJ inválido.") << ok << ok
                                     << QStringLiteral("EdtCNPJContrib");
    QTest::newRow("CNPJ vazio, sem UF: só o CNPJ")
        << ok << ok << QString() << -1 << QStringLiteral("CNPJ inválido.") << ok << ok
        << QStringLiteral("EdtCNPJContrib");
    QTest::newRow("sem UF") << ok << ok << cnpjValido << -1 << QStringLiteral("UF inválida.") << ok << ok
                            << QStringLiteral("cbo");
}

void TestAtivacao::verificacoesEmOrdem() {
    QFETCH(QString, codigo);
    QFETCH(QString, confirmacao);
    QFETCH(QString, cnpj);
    QFETCH(int, uf);
    QFETCH(QString, mensagem);
    QFETCH(QString, codigoDepois);
    QFETCH(QString, confirmacaoDepois);
    QFETCH(QString, foco);

    QVERIFY(b_->mostrar());
    abrir();
    preencher(codigo, confirmacao, cnpj, uf);
    // Focus starts away from every control a check may point at.
    BtnAtivar()->setFocus();
    QCOMPARE(b_->foco(), QStringLiteral("BtnAtivar"));
    roteiro::responder(QByteArray("{sessao}|04000|Ativado|||"));

    ativar();

    QCOMPARE(b_->ui.mensagens(), QStringList{mensagem});
    QCOMPARE(b_->ui.exibidos.size(), 1); // no confirmation asked
    QCOMPARE(edit("EdtCodAtiv2")->text(), codigoDepois);
    QCOMPARE(edit("EdtCodAtiv2Conf")->text(), confirmacaoDepois);
    QCOMPARE(b_->foco(), foco);
    // Nothing stored, nothing called, no session number drawn.
    QVERIFY(!b_->janela->cds().isModified());
    QVERIFY(roteiro::chamadas().isEmpty());
    QVERIFY(b_->janela->caminho().numsessao().isEmpty());
}

void TestAtivacao::argumentosEGravacao_data() {
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("confirmacao");
    QTest::addColumn<int>("uf");
    QTest::addColumn<QByteArray>("codigoEnviado");
    QTest::addColumn<int>("ibge");
    QTest::addColumn<QString>("ufGravada");

    QTest::newRow("SP: 35, gravada 25") << QStringLiteral("abcd1234") << QStringLiteral("abcd1234") << SP
                                        << QByteArray("abcd1234") << 35 << QStringLiteral("25");
    QTest::newRow("AC: 12, gravada 0") << QStringLiteral("abcd1234") << QStringLiteral("abcd1234") << AC
                                       << QByteArray("abcd1234") << 12 << QStringLiteral("0");
    QTest::newRow("TO: 17, gravada 26") << QStringLiteral("abcd1234") << QStringLiteral("abcd1234") << TO
                                        << QByteArray("abcd1234") << 17 << QStringLiteral("26");
    QTest::newRow("brancos em volta: enviado sem eles")
        << QStringLiteral("  abcd1234\t") << QStringLiteral(" abcd1234 ") << SP << QByteArray("abcd1234")
        << 35 << QStringLiteral("25");
    QTest::newRow("branco só na confirmação") << QStringLiteral("abcd1234") << QStringLiteral(" abcd1234")
                                              << SP << QByteArray("abcd1234") << 35 << QStringLiteral("25");
    QTest::newRow("brancos internos ficam") << QStringLiteral("ab  1234") << QStringLiteral("ab  1234") << SP
                                            << QByteArray("ab  1234") << 35 << QStringLiteral("25");
    QTest::newRow("32 caracteres") << QString(32, u'z') << QString(32, u'z') << SP << QByteArray(32, 'z')
                                   << 35 << QStringLiteral("25");
}

void TestAtivacao::argumentosEGravacao() {
    QFETCH(QString, codigo);
    QFETCH(QString, confirmacao);
    QFETCH(int, uf);
    QFETCH(QByteArray, codigoEnviado);
    QFETCH(int, ibge);
    QFETCH(QString, ufGravada);

    abrir();
    preencher(codigo, confirmacao, cnpjValido, uf);
    QCOMPARE(edit("EdtCNPJContrib")->text(), QStringLiteral("11.222.333/0001-81"));
    b_->ui.confirmacoes.push_back(true);
    roteiro::responder(QByteArray("{sessao}|04000|Ativado com sucesso|||"));

    ativar();

    QCOMPARE(b_->ui.textos(Tipo::Confirmacao), QStringList{mensagemEspera});
    QCOMPARE(roteiro::chamadas().size(), 1);
    const roteiro::Chamada& chamada = roteiro::chamadas().first();
    QCOMPARE(chamada.funcao, QStringLiteral("AtivarSAT"));
    QCOMPARE(chamada.sessao, b_->janela->caminho().numsessao().toInt());
    QCOMPARE(chamada.argumentos, (QVariantList{1, codigoEnviado, cnpjValido.toLatin1(), ibge}));
    QCOMPARE(b_->controle<QLineEdit>(QStringLiteral("Edit1"))->text(), b_->janela->caminho().numsessao());

    QCOMPARE(b_->janela->cds().text(u"CNPJContribuinte"), cnpjValido);
    QCOMPARE(b_->janela->cds().text(u"uf"), ufGravada);
    QVERIFY(!b_->janela->cds().isEditing());
    // After a completed call the code edits keep what was typed.
    QCOMPARE(edit("EdtCodAtiv2")->text(), codigo);
    QCOMPARE(b_->ui.mensagens(), QStringList{mensagemSucesso});
}

void TestAtivacao::tipoDeCertificadoSempre1() {
    for (const int item : {1, 2}) {
        roteiro::limpar();
        abrir();
        preencher(QStringLiteral("abcd1234"), QStringLiteral("abcd1234"), cnpjValido, SP);
        tipoCert(item)->setChecked(true);
        QCOMPARE(BtnAtivar()->text(), QStringLiteral("&Gerar CSR"));
        b_->ui.confirmacoes.push_back(true);
        roteiro::responder(QByteArray("{sessao}|04000|Ativado|||"));

        ativar();

        QCOMPARE(roteiro::chamadas().size(), 1);
        QCOMPARE(roteiro::chamadas().first().argumentos.first(), QVariant(1));
        QVERIFY(tipoCert(0)->isChecked());
        QCOMPARE(BtnAtivar()->text(), QStringLiteral("&Ativar"));
    }
}

void TestAtivacao::cancelarAEsperaMantemOContribuinte() {
    QVERIFY(b_->mostrar());
    abrir();
    preencher(QStringLiteral("abcd1234"), QStringLiteral("abcd1234"), cnpjValido, SP);
    BtnAtivar()->setFocus();
    QCOMPARE(b_->foco(), QStringLiteral("BtnAtivar"));
    b_->ui.confirmacoes.push_back(false);

    ativar();

    QCOMPARE(b_->ui.textos(Tipo::Confirmacao), QStringList{mensagemEspera});
    QCOMPARE(b_->ui.exibidos.size(), 1);
    QVERIFY(roteiro::chamadas().isEmpty());
    QVERIFY(b_->janela->caminho().numsessao().isEmpty()); // no session number drawn
    QCOMPARE(edit("EdtCodAtiv2")->text(), QString());
    QCOMPARE(edit("EdtCodAtiv2Conf")->text(), QString());
    QCOMPARE(b_->foco(), QStringLiteral("EdtCodAtiv2"));
    // The taxpayer was stored before the question and stays stored...
    QCOMPARE(b_->janela->cds().text(u"CNPJContribuinte"), cnpjValido);
    QCOMPARE(b_->janela->cds().text(u"uf"), QStringLiteral("25"));

    // ...reaches Parametros.xml at the end of the run...
    b_->janela->gravarParametros();
    QVERIFY(b_->ui.mensagens().isEmpty());
    settings::ParameterStore relido;
    QVERIFY(relido.open(b_->pasta.filePath(QStringLiteral("Parametros.xml"))).ok());
    QCOMPARE(relido.text(u"CNPJContribuinte"), cnpjValido);
    QCOMPARE(relido.text(u"uf"), QStringLiteral("25"));

    // ...and fills the page when it is opened again.
    cbo()->setCurrentIndex(-1);
    edit("EdtCNPJContrib")->clear();
    abrir();
    QCOMPARE(cbo()->currentText(), QStringLiteral("SP"));
    QCOMPARE(pagina::digitos(edit("EdtCNPJContrib")), cnpjValido);
}

void TestAtivacao::resultado_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QStringList>("habilitados");
    QTest::addColumn<QStringList>("mensagens");
    QTest::addColumn<QString>("sefaz"); // the SEFAZ window's text, empty when it is not shown

    const QStringList sete{QStringLiteral("BtnAssocAssin"),  QStringLiteral("BtnTestefimafim"),
                           QStringLiteral("BitBtnStatus"),   QStringLiteral("BitLogs"),
                           QStringLiteral("BtnCodAtivacao"), QStringLiteral("BtnBloquearSAT"),
                           QStringLiteral("BitAtualizaSW")};
    QStringList seteNaOrdemDaBarra;
    for (const QString& nome : botoesLaterais)
        if (sete.contains(nome))
            seteNaOrdemDaBarra.append(nome);

    QTest::newRow("04000: sete botões e a mensagem de sucesso")
        << QByteArray("{sessao}|04000|Ativado corretamente|||") << seteNaOrdemDaBarra
        << QStringList{mensagemSucesso} << QString();
    QTest::newRow("04000 com mensagem da SEFAZ")
        << QByteArray("{sessao}|04000|Ativado corretamente|4321|Certificado emitido") << seteNaOrdemDaBarra
        << QStringList{mensagemSucesso} << QStringLiteral("Código: 4321\n\nCertificado emitido");
    QTest::newRow("04000 sem mensagem própria")
        << QByteArray("{sessao}|04000") << seteNaOrdemDaBarra << QStringList{mensagemSucesso} << QString();
    QTest::newRow("04098: nenhum botão")
        << QByteArray("{sessao}|04098|SAT em processamento. Tente novamente.|||") << QStringList()
        << QStringList{QStringLiteral("04098: SAT em processamento. Tente novamente.")} << QString();
    QTest::newRow("04003: só Trocar Cód. Ativação")
        << QByteArray("{sessao}|04003|Código de ativação inválido|||")
        << QStringList{QStringLiteral("BtnCodAtivacao")}
        << QStringList{QStringLiteral("04003: Código de ativação inválido")} << QString();
    QTest::newRow("04001 com SEFAZ") << QByteArray(
                                            "{sessao}|04001|Erro na criação do certificado|17|Recusado")
                                     << QStringList{QStringLiteral("BtnCodAtivacao")}
                                     << QStringList{QStringLiteral("04001: Erro na criação do certificado")}
                                     << QStringLiteral("Código: 17\n\nRecusado");
    QTest::newRow("vazia: nada") << QByteArray() << QStringList() << QStringList() << QString();
    QTest::newRow("sem separador: nada")
        << QByteArray("04000") << QStringList() << QStringList() << QString();
}

void TestAtivacao::resultado() {
    QFETCH(QByteArray, resposta);
    QFETCH(QStringList, habilitados);
    QFETCH(QStringList, mensagens);
    QFETCH(QString, sefaz);

    abrir();
    preencher(QStringLiteral("abcd1234"), QStringLiteral("abcd1234"), cnpjValido, SP);
    b_->desabilitarBarraLateral();
    b_->ui.confirmacoes.push_back(true);
    QString textoSefaz;
    QStringList mensagensAntesDaSefaz;
    b_->ui.dialogos.push_back([&](QDialog& d) {
        textoSefaz = d.findChild<QPlainTextEdit*>(QStringLiteral("MemoSefaz"))->toPlainText();
        mensagensAntesDaSefaz = b_->ui.mensagens();
    });
    roteiro::responder(resposta);

    ativar();

    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(b_->lateraisHabilitados(), habilitados);
    QCOMPARE(b_->ui.mensagens(), mensagens);
    QCOMPARE(textoSefaz, sefaz);
    if (!sefaz.isEmpty())
        QCOMPARE(mensagensAntesDaSefaz, mensagens); // the outcome first, then the SEFAZ window
    QVERIFY(b_->ui.textos(Tipo::Erro).isEmpty());
    // The answer is echoed in the status bar, even an empty one.
    QCOMPARE(b_->barraDeStatus(),
             QString::fromUtf8(resposta.replace("{sessao}", b_->sessaoDaUltimaChamada())));
    QCOMPARE(b_->paginaAtual(), 2);
    QVERIFY(b_->janela->isVisible());
}

void TestAtivacao::campoUFEstreitoNaoTrocaOEstadoEnviado() {
    // A file whose "uf" column holds one character keeps "2" of SP's row 25: the device
    // still gets the state chosen on screen.
    QByteArray parametros = settings::defaultParametrosXml();
    const QByteArray larguraPadrao = "attrname=\"uf\" fieldtype=\"string\" WIDTH=\"2\"";
    QVERIFY(parametros.contains(larguraPadrao));
    parametros.replace(larguraPadrao, "attrname=\"uf\" fieldtype=\"string\" WIDTH=\"1\"");
    b_ = std::make_unique<Bancada>(roteiro::funcoes(), parametros);
    abrir();
    preencher(QStringLiteral("abcd1234"), QStringLiteral("abcd1234"), cnpjValido, SP);
    b_->ui.confirmacoes.push_back(true);
    roteiro::responder(QByteArray("{sessao}|04000|Ativado|||"));
    ativar();
    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(roteiro::chamadas().first().argumentos.last(), QVariant(35));
}

void TestAtivacao::enterAtiva_data() {
    QTest::addColumn<QString>("controle");
    QTest::addColumn<QString>("cnpj");
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<QString>("confirmacao");
    QTest::newRow("na confirmação do código") << "EdtCodAtiv2Conf" << cnpjValido << "" << mensagemEspera;
    QTest::newRow("na lista de UF") << "cbo" << cnpjValido << "" << mensagemEspera;
    // A masked edit left incomplete still takes Return to the page's button.
    QTest::newRow("no CNPJ incompleto") << "EdtCNPJContrib" << "1122233" << "CNPJ inválido." << "";
}

void TestAtivacao::enterAtiva() {
    QFETCH(QString, controle);
    QFETCH(QString, cnpj);
    QFETCH(QString, mensagem);
    QFETCH(QString, confirmacao);
    QVERIFY(b_->mostrar());
    b_->janela->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b_->janela.get()));
    abrir();
    preencher(QStringLiteral("abcd1234"), QStringLiteral("abcd1234"), cnpj, SP);
    b_->ui.confirmacoes.push_back(false);
    QWidget* alvo = b_->janela->findChild<QWidget*>(controle);
    alvo->setFocus();
    QTest::keyClick(alvo, Qt::Key_Return);
    QCOMPARE(b_->ui.mensagens().join(u'\n'), mensagem);
    QCOMPARE(b_->ui.textos(Tipo::Confirmacao).join(u'\n'), confirmacao);
}

QTEST_MAIN(TestAtivacao)
#include "tst_ativacao.moc"
