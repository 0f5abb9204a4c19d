// The operational status report: the side-bar "Status" asks for the activation code,
// queries the device and lays its answer out in the fixed-width memo of page 8.

#include "bancada.h"
#include "operations/status.h"
#include "pages/tabstatus.h"

#include <QFontInfo>
#include <QPlainTextEdit>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString mensagemCodigoCurto =
    QStringLiteral("Novo código de ativação deve ter no mínimo 8 caracteres.");

// The five fields every answer starts with.
QByteArrayList cabecalho() {
    return {"000123", "10000", "Resposta com sucesso", "", ""};
}

// An answer whose last field is `valor` at position `posicao`, every status field
// before it empty.
QByteArrayList comCampo(qsizetype posicao, const QByteArray& valor) {
    QByteArrayList campos = cabecalho();
    while (campos.size() < posicao)
        campos.append(QByteArray());
    campos.append(valor);
    return campos;
}

// A full answer from a device in operation, and its report as the user reads it.
const QByteArrayList statusCompleto{
    "900004019",
    "DHCP",
    "192.168.1.10",
    "00:11:22:33:44:55",
    "255.255.255.0",
    "192.168.1.1",
    "8.8.8.8",
    "8.8.4.4",
    "Conectado à SEFAZ",
    "ALTO",
    "4 GB",
    "26 MB",
    "20240315143005",
    "01.00.00",
    "00.07",
    "35240311222333000181590000040190000011234567",
    "000000",
    "000000",
    "20240315120000",
    "20240315140000",
    "20230101",
    "20280101",
    "0",
};

const QStringList relatorioCompleto{
    QStringLiteral(" "),
    QStringLiteral(" NSERIE ........... 900004019"),
    QStringLiteral(" TIPO_LAN ......... DHCP"),
    QStringLiteral(" LAN_IP ........... 192.168.1.10"),
    QStringLiteral(" LAN_MAC .......... 00:11:22:33:44:55"),
    QStringLiteral(" LAN_MASK ......... 255.255.255.0"),
    QStringLiteral(" LAN_GW ........... 192.168.1.1"),
    QStringLiteral(" LAN_DNS_1 ........ 8.8.8.8"),
    QStringLiteral(" LAN_DNS_2 ........ 8.8.4.4"),
    QStringLiteral(" STATUS_LAN ....... Conectado à SEFAZ"),
    QStringLiteral(" NIVEL_BATERIA .... ALTO"),
    QStringLiteral(" MT_TOTAL ......... 4 GB"),
    QStringLiteral(" MT_USADA ......... 26 MB"),
    QStringLiteral(" DH_ATUAL ......... 15/03/2024 - 14:30:05"),
    QStringLiteral(" VER_SB ........... 01.00.00"),
    QStringLiteral(" VER_LAYOUT ....... 00.07"),
    QStringLiteral(" ULTIMO_CF-E-SAT .. 35240311222333000181590000040190000011234567"),
    QStringLiteral(" LISTA_INICIAL .... 000000"),
    QStringLiteral(" LISTA_FINAL ...... 000000"),
    QStringLiteral(" DH_CFe ........... 15/03/2024 - 12:00:00"),
    QStringLiteral(" DH_ULTIMA ........ 15/03/2024 - 14:00:00"),
    QStringLiteral(" CERT_EMISSAO ..... 01/01/2023"),
    QStringLiteral(" CERT_VENCIMENTO .. 01/01/2028"),
    QStringLiteral(" ESTADO_OPERACAO .. DESBLOQUEADO"),
};

QByteArray respostaCompleta() {
    return "{sessao}|10000|Resposta com sucesso|||" + statusCompleto.join('|');
}

} // namespace

class TestStatus : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // relatorioStatus() on its own.
    void relatorioCompletoLinhaALinha();
    void valoresComecamNaColuna21();
    void semCamposDeStatus_data();
    void semCamposDeStatus();
    void linhaDeCadaCampo_data();
    void linhaDeCadaCampo();

    // The page and its two handlers.
    void relatorioNaPagina();
    void codigoDoPrompt_data();
    void codigoDoPrompt();
    void promptFechadoMostraPaginaVazia();
    void recusaDoDispositivo();
    void respostaComCincoCampos();
    void janelaSefazDepoisDoRelatorio();

private:
    QPlainTextEdit* memo() const { return b_->controle<QPlainTextEdit>(QStringLiteral("MemoStatus")); }
    QStringList linhasDaMemo() const {
        const QString texto = memo()->toPlainText();
        return texto.isEmpty() ? QStringList() : texto.split(u'\n');
    }
    void pedirStatus(const InteracaoRoteirizada::RoteiroDialogo& usuario) {
        b_->ui.dialogos.push_back(usuario);
        QTest::mouseClick(b_->lateral(QStringLiteral("BitBtnStatus")), Qt::LeftButton);
    }

    std::unique_ptr<Bancada> b_;
};

void TestStatus::init() {
    b_ = std::make_unique<Bancada>();
}

void TestStatus::cleanup() {
    b_.reset();
}

void TestStatus::relatorioCompletoLinhaALinha() {
    QCOMPARE(relatorioStatus(cabecalho() + statusCompleto), relatorioCompleto);
}

void TestStatus::valoresComecamNaColuna21() {
    // The names' own lengths vary from 6 to 15 characters; the dots make up the rest.
    const QStringList linhas = relatorioStatus(cabecalho() + statusCompleto + QByteArrayList{"extra"});
    QCOMPARE(linhas.size(), 25);
    for (qsizetype i = 1; i < linhas.size(); ++i) {
        const QString& l = linhas[i];
        QVERIFY2(l.startsWith(u' ') && l.at(18) == u'.' && l.at(19) == u' ' && l.at(20) != u' ',
                 qPrintable(l));
        const QString nome = l.mid(1, l.indexOf(u' ', 1) - 1);
        QCOMPARE(l.mid(1 + nome.size(), 19 - nome.size()), u' ' + QString(17 - nome.size(), u'.') + u' ');
    }
}

void TestStatus::semCamposDeStatus_data() {
    QTest::addColumn<QByteArrayList>("campos");
    QTest::newRow("cinco campos") << cabecalho();
    QTest::newRow("dois campos") << QByteArrayList{"000123", "10000"};
    QTest::newRow("nenhum campo") << QByteArrayList();
}

void TestStatus::semCamposDeStatus() {
    QFETCH(QByteArrayList, campos);
    QCOMPARE(relatorioStatus(campos), QStringList{QStringLiteral(" ")});
}

void TestStatus::linhaDeCadaCampo_data() {
    QTest::addColumn<QByteArrayList>("campos");
    QTest::addColumn<QString>("linha"); // the report's last line

    QTest::newRow("NSERIE: onze pontos")
        << comCampo(5, "900004019") << QStringLiteral(" NSERIE ........... 900004019");
    QTest::newRow("ULTIMO_CF-E-SAT: dois pontos")
        << comCampo(20, "123") << QStringLiteral(" ULTIMO_CF-E-SAT .. 123");
    QTest::newRow("texto em UTF-8") << comCampo(13, "Não conectado")
                                    << QStringLiteral(" STATUS_LAN ....... Não conectado");
    QTest::newRow("UTF-8 inválido vira U+FFFD") << comCampo(5, "A\xff"
                                                               "B\xc3")
                                                << QStringLiteral(" NSERIE ........... A\uFFFDB\uFFFD");
    QTest::newRow("texto como veio, com brancos")
        << comCampo(6, " DHCP ") << QStringLiteral(" TIPO_LAN .........  DHCP ");
    QTest::newRow("texto vazio") << comCampo(14, "") << QStringLiteral(" NIVEL_BATERIA .... ");

    QTest::newRow("DH_ATUAL") << comCampo(17, "20240315143005")
                              << QStringLiteral(" DH_ATUAL ......... 15/03/2024 - 14:30:05");
    QTest::newRow("DH_ULTIMA vazio: só os separadores")
        << comCampo(24, "") << QStringLiteral(" DH_ULTIMA ........ // - ::");
    QTest::newRow("DH_CFe curto: fatias ausentes vazias")
        << comCampo(23, "2024031514") << QStringLiteral(" DH_CFe ........... 15/03/2024 - 14::");
    QTest::newRow("DH_CFe de quatro caracteres")
        << comCampo(23, "2024") << QStringLiteral(" DH_CFe ........... //2024 - ::");
    QTest::newRow("data e hora copiadas sem verificação")
        << comCampo(17, "ABCDEFGHIJKLMN") << QStringLiteral(" DH_ATUAL ......... GH/EF/ABCD - IJ:KL:MN");
    // Sliced by characters: a character beyond the basic plane (two UTF-16 units) is
    // never cut in half.
    QTest::newRow("data e hora fora do plano básico")
        << comCampo(17, "\xF0\x9F\x98\x80" "0240315143005")
        << QStringLiteral(" DH_ATUAL ......... 15/03/\U0001F600024 - 14:30:05");
    QTest::newRow("data fora do plano básico, por inteiro")
        << comCampo(25, QByteArray("\xF0\x9F\x98\x80").repeated(8))
        << QStringLiteral(" CERT_EMISSAO ..... \U0001F600\U0001F600/\U0001F600\U0001F600/"
                          "\U0001F600\U0001F600\U0001F600\U0001F600");
    QTest::newRow("data e hora longa: o excesso some")
        << comCampo(24, "2024031514300599") << QStringLiteral(" DH_ULTIMA ........ 15/03/2024 - 14:30:05");

    QTest::newRow("CERT_EMISSAO") << comCampo(25, "20230101")
                                  << QStringLiteral(" CERT_EMISSAO ..... 01/01/2023");
    QTest::newRow("CERT_VENCIMENTO vazio") << comCampo(26, "") << QStringLiteral(" CERT_VENCIMENTO .. //");
    QTest::newRow("data com hora: só a data")
        << comCampo(26, "20280101235959") << QStringLiteral(" CERT_VENCIMENTO .. 01/01/2028");

    const char* estados[] = {"DESBLOQUEADO", "BLOQUEIO SEFAZ", "BLOQUEIO CONTRIBUINTE", "BLOQUEIO AUTONOMO",
                             "BLOQUEIO PARA DESATIVACAO"};
    for (int i = 0; i < 5; ++i)
        QTest::addRow("ESTADO_OPERACAO %d", i)
            << comCampo(27, QByteArray::number(i))
            << QStringLiteral(" ESTADO_OPERACAO .. ") + QLatin1String(estados[i]);
    QTest::newRow("ESTADO_OPERACAO 04 é decimal 4")
        << comCampo(27, "04") << QStringLiteral(" ESTADO_OPERACAO .. BLOQUEIO PARA DESATIVACAO");
    // A state this console has no name for is shown as the device sent it.
    QTest::newRow("ESTADO_OPERACAO 5: o valor")
        << comCampo(27, "5") << QStringLiteral(" ESTADO_OPERACAO .. 5");
    QTest::newRow("ESTADO_OPERACAO -1: o valor")
        << comCampo(27, "-1") << QStringLiteral(" ESTADO_OPERACAO .. -1");
    QTest::newRow("ESTADO_OPERACAO não numérico: o valor")
        << comCampo(27, "ATIVO") << QStringLiteral(" ESTADO_OPERACAO .. ATIVO");
    QTest::newRow("ESTADO_OPERACAO 1.5: o valor")
        << comCampo(27, "1.5") << QStringLiteral(" ESTADO_OPERACAO .. 1.5");
    QTest::newRow("ESTADO_OPERACAO enorme: o valor")
        << comCampo(27, "99999999999999999999") << QStringLiteral(" ESTADO_OPERACAO .. 99999999999999999999");
    QTest::newRow("ESTADO_OPERACAO vazio") << comCampo(27, "") << QStringLiteral(" ESTADO_OPERACAO .. ");

    // Fields past the 23 known ones keep their place and their value.
    QTest::newRow("campo 28") << comCampo(28, "extra") << QStringLiteral(" CAMPO_28 ......... extra");
    QTest::newRow("campo 31 em UTF-8")
        << comCampo(31, "versão 2") << QStringLiteral(" CAMPO_31 ......... versão 2");
}

void TestStatus::linhaDeCadaCampo() {
    QFETCH(QByteArrayList, campos);
    QFETCH(QString, linha);
    const QStringList linhas = relatorioStatus(campos);
    // The single-blank line, then one line per field from position 5 on.
    QCOMPARE(linhas.size(), campos.size() - 4);
    QCOMPARE(linhas.first(), QStringLiteral(" "));
    QCOMPARE(linhas.last(), linha);
}

void TestStatus::relatorioNaPagina() {
    QVERIFY(b_->mostrar());
    roteiro::responder(respostaCompleta());
    pedirStatus(validarCom(QStringLiteral("12345678")));

    QCOMPARE(b_->ui.exibidos.size(), 1); // the prompt, nothing else
    QCOMPARE(b_->ui.exibidos.first().titulo, QStringLiteral("TFValida"));
    QCOMPARE(roteiro::chamadas().size(), 1);
    const roteiro::Chamada& chamada = roteiro::chamadas().first();
    QCOMPARE(chamada.funcao, QStringLiteral("ConsultarStatusOperacional"));
    QCOMPARE(chamada.argumentos, QVariantList{QByteArray("12345678")});
    QCOMPARE(chamada.sessao, b_->janela->caminho().numsessao().toInt());
    QCOMPARE(b_->controle<QLineEdit>(QStringLiteral("Edit1"))->text(), b_->janela->caminho().numsessao());

    QCOMPARE(b_->paginaAtual(), 8);
    QCOMPARE(linhasDaMemo(), relatorioCompleto);
    QVERIFY(memo()->isReadOnly());
    QVERIFY(memo()->isVisible());
    QCOMPARE(memo()->font().pixelSize(), 13);
    QVERIFY(QFontInfo(memo()->font()).fixedPitch());

    // The code reaches the query through an edit that, like the query button, is never shown.
    auto* EdtCodAtiv4 = b_->controle<QLineEdit>(QStringLiteral("EdtCodAtiv4"));
    QCOMPARE(EdtCodAtiv4->text(), QStringLiteral("12345678"));
    QVERIFY(!EdtCodAtiv4->isVisible());
    QVERIFY(!b_->controle<QPushButton>(QStringLiteral("BtnStatus"))->isVisible());
    QCOMPARE(b_->controle<QLabel>(QStringLiteral("Panel10"))->text(), QStringLiteral("STATUS OPERACIONAL"));
}

void TestStatus::codigoDoPrompt_data() {
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<QString>("enviado"); // empty: refused, nothing called

    QTest::newRow("8 caracteres") << QStringLiteral("abcd1234") << QStringLiteral("abcd1234");
    QTest::newRow("7 caracteres") << QStringLiteral("abcd123") << QString();
    QTest::newRow("com brancos: enviado sem eles")
        << QStringLiteral("  abcd1234  ") << QStringLiteral("abcd1234");
    QTest::newRow("7 entre brancos") << QStringLiteral("   abcd123   ") << QString();
    QTest::newRow("brancos internos contam") << QStringLiteral("abc  123") << QStringLiteral("abc  123");
    QTest::newRow("vazio") << QString() << QString();
    QTest::newRow("32 caracteres") << QString(32, u'x') << QString(32, u'x');
}

void TestStatus::codigoDoPrompt() {
    QFETCH(QString, digitado);
    QFETCH(QString, enviado);

    roteiro::responder(respostaCompleta());
    pedirStatus(validarCom(digitado));

    QCOMPARE(b_->paginaAtual(), 8);
    if (enviado.isEmpty()) {
        QCOMPARE(b_->ui.mensagens(), QStringList{mensagemCodigoCurto});
        QVERIFY(roteiro::chamadas().isEmpty());
        QVERIFY(b_->janela->caminho().numsessao().isEmpty()); // no session number drawn
        QVERIFY(linhasDaMemo().isEmpty());
        QCOMPARE(roteiro::respostasPendentes(), std::size_t{1});
    } else {
        QVERIFY(b_->ui.mensagens().isEmpty());
        QCOMPARE(roteiro::chamadas().size(), 1);
        QCOMPARE(roteiro::chamadas().first().argumentos, QVariantList{enviado.toLatin1()});
        QCOMPARE(linhasDaMemo(), relatorioCompleto);
    }
}

void TestStatus::promptFechadoMostraPaginaVazia() {
    // A report on screen and an answer in the status bar first.
    roteiro::responder(respostaCompleta());
    pedirStatus(validarCom(QStringLiteral("12345678")));
    QCOMPARE(linhasDaMemo().size(), relatorioCompleto.size());
    QVERIFY(!b_->barraDeStatus().isEmpty());
    b_->selecionarPagina(0);
    roteiro::limpar();
    b_->ui.exibidos.clear();

    roteiro::responder(respostaCompleta());
    pedirStatus(digitarEFechar(QStringLiteral("12345678")));

    QCOMPARE(b_->paginaAtual(), 8);
    QVERIFY(linhasDaMemo().isEmpty());
    QCOMPARE(b_->barraDeStatus(), QString());
    QVERIFY(roteiro::chamadas().isEmpty());
    QCOMPARE(b_->ui.exibidos.size(), 1); // only the prompt
    QCOMPARE(b_->ui.exibidos.first().tipo, Tipo::Dialogo);
    QCOMPARE(b_->janela->estado().cancelado, 1);
    QCOMPARE(b_->janela->estado().codigoativacao, QString());
}

void TestStatus::recusaDoDispositivo() {
    roteiro::responder(respostaCompleta());
    pedirStatus(validarCom(QStringLiteral("12345678")));
    QCOMPARE(linhasDaMemo().size(), relatorioCompleto.size());
    b_->ui.exibidos.clear();

    roteiro::responder(QByteArray("{sessao}|10001|Código de ativação inválido|||"));
    pedirStatus(validarCom(QStringLiteral("87654321")));

    QCOMPARE(roteiro::chamadas().size(), 2);
    QCOMPARE(roteiro::chamadas().last().argumentos, QVariantList{QByteArray("87654321")});
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("10001: Código de ativação inválido")});
    QVERIFY(linhasDaMemo().isEmpty()); // the earlier report went when "Status" was pressed
    QCOMPARE(b_->paginaAtual(), 8);
}

void TestStatus::respostaComCincoCampos() {
    roteiro::responder(QByteArray("{sessao}|10000|Resposta com sucesso||"));
    pedirStatus(validarCom(QStringLiteral("12345678")));
    QCOMPARE(memo()->toPlainText(), QStringLiteral(" "));
    QVERIFY(b_->ui.mensagens().isEmpty());
}

void TestStatus::janelaSefazDepoisDoRelatorio() {
    QStringList relatorioNaJanela;
    b_->ui.dialogos.push_back(validarCom(QStringLiteral("12345678")));
    b_->ui.dialogos.push_back([&](QDialog&) { relatorioNaJanela = linhasDaMemo(); });
    roteiro::responder("{sessao}|10000|Resposta com sucesso|9|Aviso da SEFAZ|" + statusCompleto.join('|'));
    QTest::mouseClick(b_->lateral(QStringLiteral("BitBtnStatus")), Qt::LeftButton);

    QCOMPARE(b_->ui.exibidos.size(), 2);
    QCOMPARE(b_->ui.exibidos.last().titulo, QStringLiteral("TFMSefaz"));
    QCOMPARE(relatorioNaJanela, relatorioCompleto);
}

QTEST_MAIN(TestStatus)
#include "tst_status.moc"
