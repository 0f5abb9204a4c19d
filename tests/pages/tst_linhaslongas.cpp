// No widget lays out a line longer than limiteDeLinha: such a line is shown by its
// start and its length. The function itself, then where answers reach the user: the
// message boxes, the SEFAZ window and the status report.

#include "app/interacaoqt.h"
#include "core/linhaslongas.h"
#include "bancada.h"
#include "dialogs/tfmsefaz.h"

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

QString nota(const char* total, const char* mostrados) {
    return QStringLiteral(" … [linha de %1 caracteres; mostrados os primeiros %2]")
        .arg(QLatin1String(total), QLatin1String(mostrados));
}

// The text of the next message box, read while it is open, then closed with OK.
QString textoDaProximaCaixa(const std::function<void()>& mostrar) {
    QString texto;
    QTimer::singleShot(0, [&texto] {
        auto* caixa = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (caixa == nullptr)
            return;
        texto = caixa->text();
        caixa->button(QMessageBox::Ok)->click();
    });
    mostrar();
    return texto;
}

} // namespace

class TestLinhasLongas : public QObject {
    Q_OBJECT
private slots:
    void textoExibivel_data();
    void textoExibivel();
    void textoCurtoNaoECopiado();
    void nuncaMeioCaractere();

    void caixasDeMensagem_data();
    void caixasDeMensagem();
    void janelaSefaz();
    void relatorioDeStatus();
};

void TestLinhasLongas::textoExibivel_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("exibido");

    const QString limite(limiteDeLinha, u'a');
    QTest::newRow("vazio") << QString() << QString();
    QTest::newRow("no limite") << limite << limite;
    QTest::newRow("um a mais") << limite + u'b' << QString(65474, u'a') + nota("65.537", "65.474");
    QTest::newRow("longa entre curtas, com LF e CR LF")
        << QStringLiteral("início\r\n") + QString(100000, u'x') + QStringLiteral("\nfim")
        << QStringLiteral("início\r\n") + QString(65472, u'x') + nota("100.000", "65.472") + QStringLiteral("\nfim");
    QTest::newRow("duas longas") << QString(70000, u'x') + u'\n' + QString(80000, u'y')
                                 << QString(65474, u'x') + nota("70.000", "65.474") + u'\n' + QString(65474, u'y') +
                                        nota("80.000", "65.474");
    // A CR and the paragraph separator end a line for the widgets; the line separator
    // does not (its paragraph is laid out whole).
    QTest::newRow("CR e U+2029 separam") << QString(40000, u'x') + u'\r' + QString(40000, u'y') + QChar(0x2029) +
                                                QString(40000, u'z')
                                         << QString(40000, u'x') + u'\r' + QString(40000, u'y') + QChar(0x2029) +
                                                QString(40000, u'z');
    const QString comSeparador = QString(40000, u'x') + QChar(0x2028) + QString(40000, u'y');
    QTest::newRow("U+2028 não separa") << comSeparador << comSeparador.left(65474) + nota("80.001", "65.474");
}

void TestLinhasLongas::textoExibivel() {
    QFETCH(QString, texto);
    QFETCH(QString, exibido);
    const QString resultado = ::textoExibivel(texto);
    QCOMPARE(resultado, exibido);
    qsizetype linha = 0;
    for (const QChar c : resultado) {
        linha = terminaLinha(c.unicode()) ? 0 : linha + 1;
        QVERIFY(linha <= limiteDeLinha);
    }
}

void TestLinhasLongas::textoCurtoNaoECopiado() {
    const QString texto = QStringLiteral("uma\nmensagem\r\ncomum");
    QCOMPARE(::textoExibivel(texto).constData(), texto.constData());
}

void TestLinhasLongas::nuncaMeioCaractere() {
    // Characters outside the basic plane take two units; the cut never parts them and
    // the counts are of characters.
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    QString linha;
    while (linha.size() < 70000)
        linha += emoji;
    const QString exibida = linhaExibivel(linha);
    QVERIFY(exibida.size() <= limiteDeLinha);
    const QString inicio = exibida.left(exibida.indexOf(QStringLiteral(" … [")));
    QCOMPARE(inicio.size() % 2, 0);
    QVERIFY(inicio.back().isLowSurrogate());
    QVERIFY(exibida.endsWith(nota("35.000", qPrintable(QLocale(QLocale::Portuguese, QLocale::Brazil)
                                                            .toString(inicio.size() / 2)))));
}

void TestLinhasLongas::caixasDeMensagem_data() {
    QTest::addColumn<QString>("caixa");
    QTest::newRow("mensagem") << QStringLiteral("mensagem");
    QTest::newRow("confirmação") << QStringLiteral("confirmação");
    QTest::newRow("erro") << QStringLiteral("erro");
}

void TestLinhasLongas::caixasDeMensagem() {
    QFETCH(QString, caixa);
    InteracaoQt ui;
    const QString texto = QStringLiteral("15001: ") + QString(2'000'000, u'x') + QStringLiteral("\nfim");
    const QString mostrado = textoDaProximaCaixa([&] {
        if (caixa == QLatin1String("mensagem"))
            ui.mensagem(texto);
        else if (caixa == QLatin1String("confirmação"))
            ui.confirmar(texto);
        else
            ui.erro(texto);
    });
    QCOMPARE(mostrado, ::textoExibivel(texto));
    QVERIFY(mostrado.startsWith(QStringLiteral("15001: xxx")));
    QVERIFY(mostrado.endsWith(nota("2.000.007", "65.468") + QStringLiteral("\nfim")));
}

void TestLinhasLongas::janelaSefaz() {
    Bancada b;
    QString mostrado;
    b.ui.dialogos.push_back([&mostrado](QDialog& d) {
        mostrado = d.findChild<QPlainTextEdit*>(QStringLiteral("MemoSefaz"))->toPlainText();
    });
    b.ui.dialogos.push_front(validarCom(QStringLiteral("12345678")));
    const QByteArray mensagem(500'000, 'm');
    roteiro::responder("{sessao}|10001|Código de ativação inválido|999|" + mensagem);
    QTest::mouseClick(b.lateral(QStringLiteral("BitBtnStatus")), Qt::LeftButton);

    QCOMPARE(b.ui.textos(Tipo::Dialogo).size(), 2); // the code prompt, the SEFAZ window
    QCOMPARE(mostrado, QStringLiteral("Código: 999\n\n") + QString(65472, u'm') + nota("500.000", "65.472"));
}

void TestLinhasLongas::relatorioDeStatus() {
    Bancada b;
    b.ui.dialogos.push_back(validarCom(QStringLiteral("12345678")));
    roteiro::responder("{sessao}|10000|Resposta com sucesso|||900004019|" + QByteArray(300'000, 'd'));
    QTest::mouseClick(b.lateral(QStringLiteral("BitBtnStatus")), Qt::LeftButton);

    const QStringList linhas =
        b.controle<QPlainTextEdit>(QStringLiteral("MemoStatus"))->toPlainText().split(u'\n');
    QCOMPARE(linhas.size(), 3);
    QCOMPARE(linhas[1], QStringLiteral(" NSERIE ........... 900004019"));
    const QString inicio = QStringLiteral(" TIPO_LAN ......... ");
    QCOMPARE(linhas[2], (inicio + QString(300'000, u'd')).left(65472) + nota("300.020", "65.472"));
}

QTEST_MAIN(TestLinhasLongas)
#include "tst_linhaslongas.moc"
