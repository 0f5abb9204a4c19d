// The activation-code change: page "CÓDIGO DE ATIVAÇÃO", locked until "Trocar Código de
// Ativação" is ticked, proving the current or the emergency code.

#include "bancada.h"
#include "widgets/pagina.h"

#include <QCheckBox>
#include <QPlainTextEdit>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString rotuloAtual = QStringLiteral("Digite o Código de Ativação atual:");
const QString rotuloEmergencia = QStringLiteral("Digite o Código de Ativação de Emergência:");
const QString novoCurto = QStringLiteral("Novo código de ativação deve ter no mínimo 8 caracteres.");
const QString novoDiferente = QStringLiteral("Erro na confirmação do novo Código de Ativação.");
const QStringList entradas{QStringLiteral("EdtCodigo"), QStringLiteral("Checkemergencia"),
                           QStringLiteral("EdtNovoCodigo"), QStringLiteral("EdtNovoCodigo2"),
                           QStringLiteral("BtnTrocarCod")};
const QStringList codigos{QStringLiteral("EdtCodigo"), QStringLiteral("EdtNovoCodigo"),
                          QStringLiteral("EdtNovoCodigo2")};

} // namespace

class TestCodAtiva : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void paginaTrancadaEDestrancada();
    void paginaDeixadaDestrancadaVoltaDestrancada();
    void caixaDeEmergencia();
    void verificacoes_data();
    void verificacoes();
    void argumentos_data();
    void argumentos();
    void trocaAceitaTrancaAPagina();
    void trocaRecusada_data();
    void trocaRecusada();
    void respostaCurtaVaiParaACaixaDeErro_data();
    void respostaCurtaVaiParaACaixaDeErro();
    void enterTroca();

private:
    template <typename T = QWidget> T* c(const QString& nome) const {
        return b_->controleEm<T>(QStringLiteral("TabCodAtiva"), nome);
    }
    QLineEdit* edit(const QString& nome) const { return c<QLineEdit>(nome); }
    QCheckBox* caixa(const char* nome) const { return c<QCheckBox>(QString::fromLatin1(nome)); }
    QLabel* rotuloDoCodigo() const { return pagina::rotuloDe(edit(QStringLiteral("EdtCodigo"))); }

    void abrir() const { QTest::mouseClick(b_->lateral(QStringLiteral("BtnCodAtivacao")), Qt::LeftButton); }
    // Opens the page, unlocks it and types the three codes.
    void preparar(const QString& atual, const QString& novo, const QString& confirmacao) const {
        abrir();
        if (!caixa("CheckMudaCodigo")->isChecked())
            QTest::mouseClick(caixa("CheckMudaCodigo"), Qt::LeftButton);
        edit(QStringLiteral("EdtCodigo"))->setText(atual);
        edit(QStringLiteral("EdtNovoCodigo"))->setText(novo);
        edit(QStringLiteral("EdtNovoCodigo2"))->setText(confirmacao);
    }
    void trocar() const { QTest::mouseClick(c<QPushButton>(QStringLiteral("BtnTrocarCod")), Qt::LeftButton); }
    QStringList habilitadas() const {
        QStringList nomes;
        for (const QString& nome : entradas)
            if (c(nome)->isEnabled())
                nomes.append(nome);
        return nomes;
    }
    QStringList textosDosCodigos() const {
        QStringList textos;
        for (const QString& nome : codigos)
            textos.append(edit(nome)->text());
        return textos;
    }

    std::unique_ptr<Bancada> b_;
};

void TestCodAtiva::init() {
    b_ = std::make_unique<Bancada>();
    QVERIFY(b_->mostrar()); // the page's show handler runs only on a window on screen
}

void TestCodAtiva::cleanup() {
    b_.reset();
}

void TestCodAtiva::paginaTrancadaEDestrancada() {
    abrir();
    QCOMPARE(b_->paginaAtual(), 1);
    QCOMPARE(c<QLabel>(QStringLiteral("Panel2"))->text(), QStringLiteral("CÓDIGO DE ATIVAÇÃO"));
    QCOMPARE(
        c<QLabel>(QStringLiteral("Memo2"))->text(),
        QStringLiteral("\nATENÇÃO:\n \nESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO. \n"));
    QCOMPARE(c<QPushButton>(QStringLiteral("BtnTrocarCod"))->text(), QStringLiteral("Trocar"));
    for (const QString& nome : codigos) {
        QCOMPARE(edit(nome)->maxLength(), 32);
        QCOMPARE(edit(nome)->echoMode(), QLineEdit::Password);
    }

    // Locked: only the box that unlocks the page can be used.
    QVERIFY(!caixa("CheckMudaCodigo")->isChecked());
    QVERIFY(caixa("CheckMudaCodigo")->isEnabled());
    QVERIFY(habilitadas().isEmpty());
    for (const QString& nome : entradas)
        QVERIFY2(c(nome)->isVisible(), qPrintable(nome));

    c<QPushButton>(QStringLiteral("BtnTrocarCod"))->setFocus();
    QTest::mouseClick(caixa("CheckMudaCodigo"), Qt::LeftButton);
    QCOMPARE(habilitadas(), entradas);
    QCOMPARE(b_->foco(), QStringLiteral("EdtCodigo"));

    QTest::mouseClick(caixa("CheckMudaCodigo"), Qt::LeftButton);
    QVERIFY(habilitadas().isEmpty());
    QVERIFY(b_->ui.exibidos.isEmpty());
    QVERIFY(roteiro::chamadas().isEmpty());
}

void TestCodAtiva::paginaDeixadaDestrancadaVoltaDestrancada() {
    preparar(QStringLiteral("atual123"), QStringLiteral("novo1234"), QStringLiteral("novo1234"));
    QTest::mouseClick(b_->lateral(QStringLiteral("BtnPrincipal")), Qt::LeftButton); // another page
    QCOMPARE(b_->paginaAtual(), 0);

    abrir();

    QCOMPARE(b_->paginaAtual(), 1);
    QVERIFY(caixa("CheckMudaCodigo")->isChecked());
    QCOMPARE(habilitadas(), entradas);
    QCOMPARE(b_->foco(), QStringLiteral("EdtCodigo"));
    // Opening the page from the side bar empties the three codes.
    QCOMPARE(textosDosCodigos(), (QStringList{QString(), QString(), QString()}));
}

void TestCodAtiva::caixaDeEmergencia() {
    preparar(QString(), QString(), QString());
    const QColor normal = cor(rotuloDoCodigo(), QPalette::WindowText);
    QVERIFY(normal != vermelho);
    QCOMPARE(rotuloDoCodigo()->text(), rotuloAtual);

    edit(QStringLiteral("EdtNovoCodigo"))->setFocus();
    QCOMPARE(b_->foco(), QStringLiteral("EdtNovoCodigo"));
    QTest::mouseClick(caixa("Checkemergencia"), Qt::LeftButton);
    QCOMPARE(rotuloDoCodigo()->text(), rotuloEmergencia);
    QCOMPARE(cor(rotuloDoCodigo(), QPalette::WindowText), vermelho);
    QCOMPARE(b_->foco(), QStringLiteral("EdtCodigo"));

    edit(QStringLiteral("EdtNovoCodigo"))->setFocus();
    QTest::mouseClick(caixa("Checkemergencia"), Qt::LeftButton);
    QCOMPARE(rotuloDoCodigo()->text(), rotuloAtual);
    QCOMPARE(cor(rotuloDoCodigo(), QPalette::WindowText), normal);
    QCOMPARE(b_->foco(), QStringLiteral("EdtCodigo"));
}

void TestCodAtiva::verificacoes_data() {
    QTest::addColumn<QString>("novo");
    QTest::addColumn<QString>("confirmacao");
    QTest::addColumn<QString>("mensagem");

    QTest::newRow("novo com 7") << QStringLiteral("novo123") << QStringLiteral("novo123") << novoCurto;
    QTest::newRow("novo com 7 entre brancos")
        << QStringLiteral(" novo123  ") << QStringLiteral("novo123") << novoCurto;
    QTest::newRow("novo vazio") << QString() << QStringLiteral("novo1234") << novoCurto;
    QTest::newRow("curto e diferente: só o tamanho")
        << QStringLiteral("novo123") << QStringLiteral("outro") << novoCurto;
    QTest::newRow("confirmação diferente")
        << QStringLiteral("novo1234") << QStringLiteral("novo1235") << novoDiferente;
    QTest::newRow("confirmação vazia") << QStringLiteral("novo1234") << QString() << novoDiferente;
    QTest::newRow("só a caixa difere")
        << QStringLiteral("novo1234") << QStringLiteral("NOVO1234") << novoDiferente;
}

void TestCodAtiva::verificacoes() {
    QFETCH(QString, novo);
    QFETCH(QString, confirmacao);
    QFETCH(QString, mensagem);

    preparar(QStringLiteral("atual123"), novo, confirmacao);
    c<QPushButton>(QStringLiteral("BtnTrocarCod"))->setFocus();
    QCOMPARE(b_->foco(), QStringLiteral("BtnTrocarCod"));
    roteiro::responder(QByteArray("{sessao}|18000|ok|||"));

    trocar();

    QCOMPARE(b_->ui.mensagens(), QStringList{mensagem});
    QCOMPARE(b_->ui.exibidos.size(), 1);
    QCOMPARE(textosDosCodigos(), (QStringList{QStringLiteral("atual123"), QString(), QString()}));
    QCOMPARE(b_->foco(), QStringLiteral("EdtNovoCodigo"));
    QVERIFY(roteiro::chamadas().isEmpty());
    QVERIFY(b_->janela->caminho().numsessao().isEmpty());
    QCOMPARE(habilitadas(), entradas); // still unlocked
}

void TestCodAtiva::argumentos_data() {
    QTest::addColumn<QString>("atual");
    QTest::addColumn<int>("cliquesEmergencia");
    QTest::addColumn<QString>("novo");
    QTest::addColumn<QString>("confirmacao");
    QTest::addColumn<QVariantList>("enviados");

    QTest::newRow("código atual: tipo 1")
        << QStringLiteral("atual123") << 0 << QStringLiteral("novo1234") << QStringLiteral("novo1234")
        << QVariantList{QByteArray("atual123"), 1, QByteArray("novo1234"), QByteArray("novo1234")};
    QTest::newRow("código de emergência: tipo 2")
        << QStringLiteral("emerg123") << 1 << QStringLiteral("novo1234") << QStringLiteral("novo1234")
        << QVariantList{QByteArray("emerg123"), 2, QByteArray("novo1234"), QByteArray("novo1234")};
    QTest::newRow("emergência marcada e desmarcada: tipo 1")
        << QStringLiteral("atual123") << 2 << QStringLiteral("novo1234") << QStringLiteral("novo1234")
        << QVariantList{QByteArray("atual123"), 1, QByteArray("novo1234"), QByteArray("novo1234")};
    QTest::newRow("código atual vazio: enviado vazio")
        << QString() << 0 << QStringLiteral("novo1234") << QStringLiteral("novo1234")
        << QVariantList{QByteArray(""), 1, QByteArray("novo1234"), QByteArray("novo1234")};
    QTest::newRow("brancos em volta: enviados sem eles")
        << QStringLiteral("  atual123 ") << 0 << QStringLiteral(" novo1234\t") << QStringLiteral("novo1234  ")
        << QVariantList{QByteArray("atual123"), 1, QByteArray("novo1234"), QByteArray("novo1234")};
    QTest::newRow("branco só na confirmação")
        << QStringLiteral("atual123") << 0 << QStringLiteral("novo1234") << QStringLiteral(" novo1234")
        << QVariantList{QByteArray("atual123"), 1, QByteArray("novo1234"), QByteArray("novo1234")};
    QTest::newRow("32 caracteres") << QString(32, u'a') << 1 << QString(32, u'n') << QString(32, u'n')
                                   << QVariantList{QByteArray(32, 'a'), 2, QByteArray(32, 'n'),
                                                   QByteArray(32, 'n')};
}

void TestCodAtiva::argumentos() {
    QFETCH(QString, atual);
    QFETCH(int, cliquesEmergencia);
    QFETCH(QString, novo);
    QFETCH(QString, confirmacao);
    QFETCH(QVariantList, enviados);

    preparar(atual, novo, confirmacao);
    for (int i = 0; i < cliquesEmergencia; ++i)
        QTest::mouseClick(caixa("Checkemergencia"), Qt::LeftButton);
    roteiro::responder(QByteArray("{sessao}|18001|Código de ativação inválido|||"));

    trocar();

    QCOMPARE(roteiro::chamadas().size(), 1);
    const roteiro::Chamada& chamada = roteiro::chamadas().first();
    QCOMPARE(chamada.funcao, QStringLiteral("TrocarCodigoDeAtivacao"));
    QCOMPARE(chamada.sessao, b_->janela->caminho().numsessao().toInt());
    QCOMPARE(chamada.argumentos, enviados);
    QCOMPARE(b_->controle<QLineEdit>(QStringLiteral("Edit1"))->text(), b_->janela->caminho().numsessao());
}

void TestCodAtiva::trocaAceitaTrancaAPagina() {
    preparar(QStringLiteral("emerg123"), QStringLiteral("novo1234"), QStringLiteral("novo1234"));
    const QColor normal = cor(rotuloDoCodigo(), QPalette::WindowText);
    QTest::mouseClick(caixa("Checkemergencia"), Qt::LeftButton);
    QCOMPARE(cor(rotuloDoCodigo(), QPalette::WindowText), vermelho);
    b_->desabilitarBarraLateral();
    // What the page looks like when the SEFAZ window comes up.
    QStringList habilitadasNaJanelaSefaz{QStringLiteral("não mostrada")};
    QString textoSefaz;
    b_->ui.dialogos.push_back([&](QDialog& d) {
        habilitadasNaJanelaSefaz = habilitadas();
        textoSefaz = d.findChild<QPlainTextEdit*>(QStringLiteral("MemoSefaz"))->toPlainText();
    });
    roteiro::responder(QByteArray("{sessao}|18000|Código de ativação alterado com sucesso|321|Aviso"));

    trocar();

    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(b_->ui.mensagens(),
             QStringList{QStringLiteral("18000: Código de ativação alterado com sucesso")});
    QCOMPARE(b_->ui.exibidos.size(), 2);
    QCOMPARE(b_->ui.exibidos.last().titulo, QStringLiteral("TFMSefaz"));
    QCOMPARE(textoSefaz, QStringLiteral("Código: 321\n\nAviso"));
    QVERIFY(habilitadasNaJanelaSefaz.isEmpty()); // locked before the SEFAZ step

    // Locked again, both boxes unchecked, the label as it was, the codes gone.
    QVERIFY(!caixa("CheckMudaCodigo")->isChecked());
    QVERIFY(caixa("CheckMudaCodigo")->isVisible());
    QVERIFY(caixa("CheckMudaCodigo")->isEnabled());
    QVERIFY(!caixa("Checkemergencia")->isChecked());
    QVERIFY(habilitadas().isEmpty());
    QCOMPARE(rotuloDoCodigo()->text(), rotuloAtual);
    QCOMPARE(cor(rotuloDoCodigo(), QPalette::WindowText), normal);
    QCOMPARE(textosDosCodigos(), (QStringList{QString(), QString(), QString()}));
    QCOMPARE(b_->lateraisHabilitados(),
             (QStringList{QStringLiteral("BtnAtivacao"), QStringLiteral("BtnAssocAssin"),
                          QStringLiteral("BtnTestefimafim"), QStringLiteral("BitBtnStatus"),
                          QStringLiteral("BitLogs")}));
    QVERIFY(b_->ui.textos(Tipo::Erro).isEmpty());
}

void TestCodAtiva::trocaRecusada_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<bool>("emergencia");
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<int>("janelasSefaz");

    QTest::newRow("18001") << QByteArray("{sessao}|18001|Código de ativação inválido|||") << false
                           << QStringLiteral("18001: Código de ativação inválido") << 0;
    QTest::newRow("18002 com emergência")
        << QByteArray("{sessao}|18002|Código de ativação de emergência inválido|||") << true
        << QStringLiteral("18002: Código de ativação de emergência inválido") << 0;
    QTest::newRow("18098 com SEFAZ") << QByteArray("{sessao}|18098|SAT em processamento|12|Tente mais tarde")
                                     << false << QStringLiteral("18098: SAT em processamento") << 1;
}

void TestCodAtiva::trocaRecusada() {
    QFETCH(QByteArray, resposta);
    QFETCH(bool, emergencia);
    QFETCH(QString, mensagem);
    QFETCH(int, janelasSefaz);

    preparar(QStringLiteral("atual123"), QStringLiteral("novo1234"), QStringLiteral("novo1234"));
    if (emergencia)
        QTest::mouseClick(caixa("Checkemergencia"), Qt::LeftButton);
    c<QPushButton>(QStringLiteral("BtnTrocarCod"))->setFocus();
    QCOMPARE(b_->foco(), QStringLiteral("BtnTrocarCod"));
    b_->desabilitarBarraLateral();
    roteiro::responder(resposta);

    trocar();

    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(b_->ui.mensagens(), QStringList{mensagem});
    QCOMPARE(b_->ui.textos(Tipo::Dialogo).size(), janelasSefaz);
    QCOMPARE(textosDosCodigos(), (QStringList{QString(), QString(), QString()}));
    QCOMPARE(b_->foco(), QStringLiteral("EdtCodigo"));
    // Still unlocked, the boxes as the user left them, the side bar untouched.
    QVERIFY(caixa("CheckMudaCodigo")->isChecked());
    QCOMPARE(caixa("Checkemergencia")->isChecked(), emergencia);
    QCOMPARE(habilitadas(), entradas);
    QVERIFY(b_->lateraisHabilitados().isEmpty());
}

void TestCodAtiva::respostaCurtaVaiParaACaixaDeErro_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::newRow("vazia") << QByteArray();
    QTest::newRow("sem separador") << QByteArray("18000");
    QTest::newRow("só o separador") << QByteArray("|");
    QTest::newRow("sessão e código") << QByteArray("{sessao}|18000");
}

void TestCodAtiva::respostaCurtaVaiParaACaixaDeErro() {
    QFETCH(QByteArray, resposta);

    preparar(QStringLiteral("atual123"), QStringLiteral("novo1234"), QStringLiteral("novo1234"));
    b_->desabilitarBarraLateral();
    roteiro::responder(resposta);

    trocar();

    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(b_->ui.exibidos.size(), 1);
    QCOMPARE(b_->ui.exibidos.first().tipo, Tipo::Erro);
    QVERIFY(!b_->ui.exibidos.first().texto.isEmpty());
    // The command stopped before acting on the answer: nothing changed on the page.
    QVERIFY(caixa("CheckMudaCodigo")->isChecked());
    QCOMPARE(habilitadas(), entradas);
    QCOMPARE(textosDosCodigos(), (QStringList{QStringLiteral("atual123"), QStringLiteral("novo1234"),
                                              QStringLiteral("novo1234")}));
    QVERIFY(b_->lateraisHabilitados().isEmpty());
    // The window goes on: the next answer is handled as usual.
    roteiro::responder(QByteArray("{sessao}|18000|Código alterado|||"));
    trocar();
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("18000: Código alterado")});
    QVERIFY(!caixa("CheckMudaCodigo")->isChecked());
}

void TestCodAtiva::enterTroca() {
    preparar(QStringLiteral("atual123"), QStringLiteral("novo1234"), QStringLiteral("novo1234"));
    roteiro::responder(QByteArray("{sessao}|18000|ok|||"));
    QTest::keyClick(edit(QStringLiteral("EdtNovoCodigo2")), Qt::Key_Return);
    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(roteiro::chamadas().first().funcao, QStringLiteral("TrocarCodigoDeAtivacao"));

    // Locked, Return in the (disabled) edits does nothing.
    QTest::keyClick(edit(QStringLiteral("EdtNovoCodigo2")), Qt::Key_Return);
    QCOMPARE(roteiro::chamadas().size(), 1);
}

QTEST_MAIN(TestCodAtiva)
#include "tst_codativa.moc"
