// The activation-code prompt TFValida: it only collects the code into codigoativacao and
// says through cancelado whether the user pressed "Validar".

#include "bancada.h"
#include "dialogs/tfvalida.h"
#include "widgets/pagina.h"

using Tipo = InteracaoRoteirizada::Tipo;

class TestTFValida : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void aparencia();
    void criacaoPoeCanceladoEm1();
    void protocolo_data();
    void protocolo();
    void cadaExibicaoRecomeca();

private:
    std::unique_ptr<Bancada> b_;
};

void TestTFValida::init() {
    b_ = std::make_unique<Bancada>();
}

void TestTFValida::cleanup() {
    b_.reset();
}

void TestTFValida::aparencia() {
    auto* dialogo = b_->controle<QDialog>(QStringLiteral("TFValida"));
    QCOMPARE(dialogo->windowTitle(), QStringLiteral("SAT - BRISEL (Valida Cód. Ativação)"));
    QCOMPARE(dialogo->size(), QSize(372, 90));
    QCOMPARE(dialogo->minimumSize(), dialogo->maximumSize());
    QVERIFY(dialogo->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(dialogo->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!dialogo->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!dialogo->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    auto* edit = b_->controleEm<QLineEdit>(QStringLiteral("TFValida"), QStringLiteral("EdtCodigo"));
    QCOMPARE(edit->pos(), QPoint(16, 38));
    QCOMPARE(edit->width(), 254);
    QCOMPARE(edit->maxLength(), 32);
    QCOMPARE(edit->echoMode(), QLineEdit::Password);
    QCOMPARE(pagina::rotuloDe(edit)->text(), QStringLiteral("Digite o Código de Ativação atual:"));
    auto* botao = b_->controleEm<QPushButton>(QStringLiteral("TFValida"), QStringLiteral("BtnTrocarCod"));
    QCOMPARE(botao->text(), QStringLiteral("Validar"));
    QCOMPARE(botao->geometry(), QRect(276, 34, 80, 29));
    QVERIFY(botao->isDefault());
}

void TestTFValida::criacaoPoeCanceladoEm1() {
    EstadoConsole estado;
    estado.cancelado = 0;
    TFValida dialogo(estado);
    QCOMPARE(estado.cancelado, 1);
}

void TestTFValida::protocolo_data() {
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<QString>("acao"); // "Validar", "Return", "Enter" or "fechar"
    QTest::addColumn<int>("cancelado");
    QTest::addColumn<QString>("codigo");

    QTest::newRow("Validar") << QStringLiteral("abcd1234") << QStringLiteral("Validar") << 0
                             << QStringLiteral("abcd1234");
    QTest::newRow("Validar guarda o código sem brancos")
        << QStringLiteral("  abcd 1234  ") << QStringLiteral("Validar") << 0 << QStringLiteral("abcd 1234");
    QTest::newRow("Validar com o campo vazio") << QString() << QStringLiteral("Validar") << 0 << QString();
    QTest::newRow("Validar com código curto: o chamador verifica")
        << QStringLiteral("abc") << QStringLiteral("Validar") << 0 << QStringLiteral("abc");
    QTest::newRow("Enter com o campo vazio") << QString() << QStringLiteral("Return") << 0 << QString();
    QTest::newRow("Enter do teclado numérico")
        << QStringLiteral("abcd1234 ") << QStringLiteral("Enter") << 0 << QStringLiteral("abcd1234");
    QTest::newRow("fechado sem digitar") << QString() << QStringLiteral("fechar") << 1 << QString();
    QTest::newRow("fechado depois de digitar")
        << QStringLiteral("abcd1234") << QStringLiteral("fechar") << 1 << QString();
}

void TestTFValida::protocolo() {
    QFETCH(QString, digitado);
    QFETCH(QString, acao);
    QFETCH(int, cancelado);
    QFETCH(QString, codigo);

    // Leftovers of an earlier prompt, which the showing must clear.
    b_->janela->estado().codigoativacao = QStringLiteral("anterior");
    b_->janela->estado().cancelado = 0;

    bool visivelDepoisDaAcao = true;
    b_->ui.dialogos.push_back([&](QDialog& d) {
        auto* edit = d.findChild<QLineEdit*>(QStringLiteral("EdtCodigo"));
        QTest::keyClicks(edit, digitado);
        if (acao == QLatin1String("Validar"))
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("BtnTrocarCod")), Qt::LeftButton);
        else if (acao == QLatin1String("Return"))
            QTest::keyClick(edit, Qt::Key_Return);
        else if (acao == QLatin1String("Enter"))
            QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
        visivelDepoisDaAcao = d.isVisible();
    });

    b_->janela->mostrarValida();

    QCOMPARE(b_->ui.exibidos.size(), 1);
    QCOMPARE(b_->ui.exibidos.first().titulo, QStringLiteral("TFValida"));
    QCOMPARE(b_->janela->estado().cancelado, cancelado);
    QCOMPARE(b_->janela->estado().codigoativacao, codigo);
    // The confirming keys close the prompt themselves; otherwise the user closed it.
    QCOMPARE(visivelDepoisDaAcao, cancelado == 1);
    QVERIFY(!b_->controle<QDialog>(QStringLiteral("TFValida"))->isVisible());
    QVERIFY(roteiro::chamadas().isEmpty()); // the prompt checks nothing and calls nothing
}

void TestTFValida::cadaExibicaoRecomeca() {
    b_->ui.dialogos.push_back(validarCom(QStringLiteral("primeiro")));
    b_->janela->mostrarValida();
    QCOMPARE(b_->janela->estado().codigoativacao, QStringLiteral("primeiro"));
    QCOMPARE(b_->janela->estado().cancelado, 0);
    QVERIFY(b_->mostrar()); // so that the focus can be observed

    QString textoAoAbrir = QStringLiteral("não mostrado");
    QString codigoAoAbrir = QStringLiteral("não mostrado");
    int canceladoAoAbrir = -1;
    QString focoAoAbrir;
    b_->ui.dialogos.push_back([&](QDialog& d) {
        textoAoAbrir = d.findChild<QLineEdit*>(QStringLiteral("EdtCodigo"))->text();
        codigoAoAbrir = b_->janela->estado().codigoativacao;
        canceladoAoAbrir = b_->janela->estado().cancelado;
        focoAoAbrir = d.focusWidget() != nullptr ? d.focusWidget()->objectName() : QString();
    });
    b_->janela->mostrarValida();

    QCOMPARE(textoAoAbrir, QString());
    QCOMPARE(codigoAoAbrir, QString());
    QCOMPARE(canceladoAoAbrir, 1);
    QCOMPARE(focoAoAbrir, QStringLiteral("EdtCodigo"));
    // Closed without "Validar": the earlier code does not survive.
    QCOMPARE(b_->janela->estado().codigoativacao, QString());
    QCOMPARE(b_->janela->estado().cancelado, 1);
}

QTEST_MAIN(TestTFValida)
#include "tst_tfvalida.moc"
