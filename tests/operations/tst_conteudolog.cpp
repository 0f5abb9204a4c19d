// The log page's text, without the page: the whole log or its last SuperLog section as
// the memo shows it, and the memo used as a list of lines, saved with CR LF.

#include "core/linhaslongas.h"
#include "operations/conteudolog.h"
#include "widgets/memolinhas.h"
#include "platform/codepage.h"

#include <cstring>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#include <unistd.h>
#endif

using namespace conteudolog;

namespace {

const QByteArray data = "16/05/2024 10:11:12.123|"; // 24 bytes before each log text
const QByteArray M1 = "SAT|info|================= SuperLog DUVRA ==================";
const QByteArray M2 = "SAT|info|==================== SuperLog =====================";
const QByteArray F = "SAT|info|===================================================";

// A log line: the date and time, then the text.
QByteArray l(const QByteArray& texto) { return data + texto + '\n'; }

const QString hifens(54, u'-');
const QString naoEncontrado = QStringLiteral("\n\nNão foi encontrado SuperLog neste trecho do Log\n\n");

// What the memo holds after a text was set: its lines as they are (not as shown).
QStringList linhasDe(const MemoDeLinhas& m) {
    QStringList linhas;
    for (qsizetype i = 0; i < m.linhas(); ++i)
        linhas.append(m.linha(i));
    return linhas;
}

} // namespace

class TestConteudoLog : public QObject {
    Q_OBJECT
private slots:
    void marcadores();

    void logInteiro_data();
    void logInteiro();
    void superLog_data();
    void superLog();
    void superLogNaoLeAntesDoLog_data();
    void superLogNaoLeAntesDoLog();
    void campoCincoSaiDaResposta();

    void memoComoListaDeLinhas_data();
    void memoComoListaDeLinhas();
    void linhaLongaInteiraNoArquivo();
    void gravarSubstituiArquivoMaior();
    void gravarEmCaminhoImpossivel();
    void rolarAteOFim();

private:
    QTemporaryDir pasta_;
};

void TestConteudoLog::marcadores() {
    // "SAT|info|", then equals signs around the name, 60 characters each.
    QCOMPARE(QByteArray(inicioSuperLogDuvra),
             "SAT|info|" + QByteArray(17, '=') + " SuperLog DUVRA " + QByteArray(18, '='));
    QCOMPARE(QByteArray(inicioSuperLog), "SAT|info|" + QByteArray(20, '=') + " SuperLog " + QByteArray(21, '='));
    QCOMPARE(QByteArray(fimSuperLog), "SAT|info|" + QByteArray(51, '='));
    for (const QByteArray& m : {M1, M2, F})
        QCOMPARE(m.size(), 60);
    QCOMPARE(QByteArray(inicioSuperLogDuvra), M1);
    QCOMPARE(QByteArray(inicioSuperLog), M2);
    QCOMPARE(QByteArray(fimSuperLog), F);
    QCOMPARE(linhaDeHifens, hifens);
}

// textoDoLog gives every line followed by a line feed; the memo takes it as its lines.
void TestConteudoLog::logInteiro_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QString>("memo");     // the memo's text, as the widget shows it
    QTest::addColumn<QByteArray>("salvo"); // the bytes "Salvar" writes

    const QByteArray h = hifens.toLatin1();
    QTest::newRow("vazio") << QByteArray() << hifens << h + "\r\n";
    QTest::newRow("uma linha sem quebra") << QByteArray("abc") << "abc\n" + hifens << "abc\r\n" + h + "\r\n";
    QTest::newRow("termina com LF: linha vazia antes dos hífens")
        << QByteArray("a\nb\n") << "a\nb\n\n" + hifens << "a\r\nb\r\n\r\n" + h + "\r\n";
    QTest::newRow("linhas vazias contam") << QByteArray("\n\na\n\nb") << "\n\na\n\nb\n" + hifens
                                          << "\r\n\r\na\r\n\r\nb\r\n" + h + "\r\n";
    // A device that ends its lines with CR LF: the CR belongs to the line break.
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << "a\nb\n\n" + hifens << "a\r\nb\r\n\r\n" + h + "\r\n";
    QTest::newRow("CR no fim do log") << QByteArray("a\r\nb\r") << "a\nb\n" + hifens << "a\r\nb\r\n" + h + "\r\n";
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << "a\nb\n" + hifens << "a\r\nb\r\n" + h + "\r\n";
    // Anywhere else a CR stays in its line: shown as a sign, saved as it came.
    QTest::newRow("CR no meio da linha") << QByteArray("a\rb\n") << QStringLiteral("a\u240Db\n\n") + hifens
                                         << "a\rb\r\n\r\n" + h + "\r\n";
    QTest::newRow("CR no início da linha") << QByteArray("\rab") << QStringLiteral("\u240Dab\n") + hifens
                                           << "\rab\r\n" + h + "\r\n";
    // Read as UTF-8, saved in the 8-bit code page.
    QTest::newRow("acentos") << QByteArray("Situação\n") << "Situação\n\n" + hifens
                             << "Situa\xe7\xe3o\r\n\r\n" + h + "\r\n";
    QTest::newRow("UTF-8 inválido") << QByteArray("a\xff\xc3z") << QStringLiteral("a\uFFFD\uFFFDz\n") + hifens
                                    << "a??z\r\n" + h + "\r\n";
    QTest::newRow("tabulação e NUL ficam") << QByteArray("a\tb\0c", 5) << QStringLiteral("a\tb") + QChar(0) + "c\n" + hifens
                                           << QByteArray("a\tb\0c\r\n", 7) + h + "\r\n";
}

void TestConteudoLog::logInteiro() {
    QFETCH(QByteArray, log);
    QFETCH(QString, memo);
    QFETCH(QByteArray, salvo);

    QPlainTextEdit widget;
    MemoDeLinhas m(&widget);
    m.definirTexto(textoDoLog(log.toBase64(), modoLogInteiro));
    QCOMPARE(widget.toPlainText(), memo);
    QCOMPARE(m.linha(m.linhas() - 1), hifens);

    const QString arquivo = pasta_.filePath(QStringLiteral("log.txt"));
    QVERIFY(m.gravar(arquivo));
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), salvo);
    QVERIFY(!salvo.contains("\r\r\n"));
    QCOMPARE(widget.toPlainText(), memo); // saving leaves the memo as it was
}

void TestConteudoLog::superLog_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<int>("modo");
    QTest::addColumn<QString>("memo");

    const auto mostrada = [](std::initializer_list<QByteArray> textos) {
        QString memo; // an empty line, then each line of the section
        for (const QByteArray& t : textos)
            memo += QStringLiteral("\n   ") + QString::fromUtf8(t);
        return memo;
    };
    const int s = modoSuperLog;

    QTest::newRow("segunda forma") << l("antes") + l(M2) + l("Numero de serie 1") + l(F) + l("depois") << s
                                   << mostrada({M2, "Numero de serie 1", F});
    QTest::newRow("primeira forma") << l("antes") + l(M1) + l("x") + l(F) << s << mostrada({M1, "x", F});
    QTest::newRow("duas seções: a última vale") << l(M2) + l("velha") + l(F) + l("meio") + l(M2) + l("nova") + l(F)
                                                << s << mostrada({M2, "nova", F});
    QTest::newRow("primeira forma depois da segunda")
        << l(M2) + l("a") + l(F) + l(M1) + l("b") + l(F) << s << mostrada({M1, "b", F});
    QTest::newRow("segunda forma depois da primeira")
        << l(M1) + l("a") + l(F) + l(M2) + l("b") + l(F) << s << mostrada({M2, "b", F});
    QTest::newRow("início na primeira linha, sem quebra no fim")
        << l(M2) + l("a") + data + F << s << mostrada({M2, "a", F});
    QTest::newRow("primeira linha sem data") << M1 + "\n" + l("a") + l(F) << s
                                             << "\n   " + QString::fromLatin1(M1.mid(24)) + "\n   a\n   " +
                                                    QString::fromLatin1(F);
    QTest::newRow("marcas no meio da linha") << l("xx " + M2 + " yy") + l("a") + l("zz " + F) << s
                                             << mostrada({"xx " + M2 + " yy", "a", "zz " + F});
    QTest::newRow("o fim na mesma linha do início") << l("a") + l(M2 + F) + l("b") << s << mostrada({M2 + F});
    QTest::newRow("fim mais adiante: o primeiro depois do início")
        << l(M2) + l("a") + l(F) + l("b") + l(F) << s << mostrada({M2, "a", F});
    QTest::newRow("início sem fim") << l("a") + l(M2) + l("b") << s << naoEncontrado;
    QTest::newRow("fim antes do início") << l(F) + l("a") + l(M2) + l("b") << s << naoEncontrado;
    QTest::newRow("última seção sem fim, anterior completa")
        << l(M2) + l("a") + l(F) + l(M1) + l("b") << s << naoEncontrado;
    QTest::newRow("só o fim") << l(F) << s << naoEncontrado;
    QTest::newRow("marca com outra caixa") << l("SAT|INFO|==================== SuperLog =====================") + l(F)
                                           << s << naoEncontrado;
    QTest::newRow("log vazio: SuperLog") << QByteArray() << s << naoEncontrado;
    QTest::newRow("log vazio: log inteiro") << QByteArray() << modoLogInteiro << hifens;
    // The mode is the panel's tag: 1 is the whole log, any other value the SuperLog.
    QTest::newRow("outro modo é SuperLog") << l(M2) + l("a") + l(F) << 0 << mostrada({M2, "a", F});

    // Each line loses its first 24 bytes; one of 24 or fewer becomes three blanks.
    QTest::newRow("linhas curtas") << l(M2) + data + '\n' + QByteArray("curta\n") + data.left(23) + '\n' +
                                          data + "Z\n" + l(F)
                                   << s << QStringLiteral("\n   ") + QString::fromLatin1(M2) + "\n   \n   \n   \n   Z\n   " +
                                              QString::fromLatin1(F);
    QTest::newRow("CR LF no SuperLog") << l(M2) + data + "a\r\n" + data.left(20) + "\r\r\n" + data + F + "\r\n" << s
                                       << mostrada({M2, "a", F}).replace(QStringLiteral("   a\n"),
                                                                         QStringLiteral("   a\n   \n"));
    QTest::newRow("UTF-8 depois do corte") << l(M2) + l("Situação") + l(F) << s << mostrada({M2, "Situação", F});
    // The cut counts bytes: a character that straddles it loses its first byte.
    QTest::newRow("caractere partido pelo corte")
        << l(M2) + data.left(23) + "ção\n" + l(F) << s
        << QStringLiteral("\n   ") + QString::fromLatin1(M2) + QStringLiteral("\n   \uFFFDão\n   ") + QString::fromLatin1(F);
}

void TestConteudoLog::superLog() {
    QFETCH(QByteArray, log);
    QFETCH(int, modo);
    QFETCH(QString, memo);

    QPlainTextEdit widget;
    MemoDeLinhas m(&widget);
    m.definirTexto(textoDoLog(log.toBase64(), modo));
    QCOMPARE(widget.toPlainText(), memo);
}

void TestConteudoLog::superLogNaoLeAntesDoLog_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QString>("texto");

    const QString semSecao = QStringLiteral("\n\n") + semSuperLog + QStringLiteral("\n\n\n");
    QTest::newRow("um byte") << QByteArray("(") << semSecao;
    QTest::newRow("um byte a menos que a marca") << M2.chopped(1) << semSecao;
    QTest::newRow("só a marca") << M2 << semSecao;
    QTest::newRow("uma seção que começa no primeiro byte")
        << M2 + '\n' + F << QStringLiteral("\n   ") + QString::fromLatin1(M2.mid(24)) + QStringLiteral("\n   ") +
                                QString::fromLatin1(F.mid(24)) + u'\n';
}

// A log shorter than a SuperLog marker, at the very start of a page whose preceding
// page cannot be read: a search that reads before the log (Qt 6.4's search from the
// end does, for a marker longer than the text) stops the test at once.
void TestConteudoLog::superLogNaoLeAntesDoLog() {
#ifdef Q_OS_UNIX
    QFETCH(QByteArray, log);
    QFETCH(QString, texto);

    const auto pagina = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    QVERIFY(std::size_t(log.size()) <= pagina);
    void* mapa = mmap(nullptr, 2 * pagina, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    QVERIFY(mapa != MAP_FAILED);
    const auto liberar = qScopeGuard([&] { munmap(mapa, 2 * pagina); });
    char* depoisDaGuarda = static_cast<char*>(mapa) + pagina;
    QCOMPARE(mprotect(mapa, pagina, PROT_NONE), 0);
    std::memcpy(depoisDaGuarda, log.constData(), std::size_t(log.size()));

    QCOMPARE(textoSuperLog(QByteArrayView(depoisDaGuarda, log.size())), texto);
#else
    QSKIP("a page that cannot be read is made with mmap");
#endif
}

void TestConteudoLog::campoCincoSaiDaResposta() {
    const QByteArray base64 = l("linha").toBase64();
    QByteArrayList campos{"000123", "15000", "Transferência completa", "", "", base64, "extra"};
    QCOMPARE(textoDoLog(campos, modoLogInteiro), data + "linha\n\n" + hifens + '\n');
    QCOMPARE(campos.size(), 7);
    QVERIFY(campos[5].isEmpty()); // taken out, the other fields stay
    QCOMPARE(campos[6], QByteArray("extra"));

    // Characters outside the Base64 alphabet are skipped.
    QByteArray sujo = base64;
    sujo.insert(4, "\r\n*@ ");
    QCOMPARE(textoDoLog(sujo, modoLogInteiro), data + "linha\n\n" + hifens + '\n');

    QByteArrayList curta{"000123", "15000", "ok", "", ""};
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, textoDoLog(curta, modoLogInteiro));
}

void TestConteudoLog::memoComoListaDeLinhas_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QStringList>("linhas");
    QTest::addColumn<QString>("exibido");

    QTest::newRow("vazio: nenhuma linha") << QString() << QStringList() << QString();
    QTest::newRow("uma quebra: uma linha vazia") << QStringLiteral("\n") << QStringList{QString()} << QString();
    QTest::newRow("sem quebra no fim") << QStringLiteral("a\nb") << QStringList{"a", "b"} << QStringLiteral("a\nb");
    QTest::newRow("com quebra no fim") << QStringLiteral("a\nb\n") << QStringList{"a", "b"} << QStringLiteral("a\nb");
    QTest::newRow("duas quebras no fim") << QStringLiteral("a\n\n") << QStringList{"a", ""} << QStringLiteral("a\n");
    QTest::newRow("CR antes do LF") << QStringLiteral("a\r\n\r\nb\r") << QStringList{"a", "", "b"}
                                    << QStringLiteral("a\n\nb");
    // What would make the widget start a new line inside a line is shown as a sign.
    QTest::newRow("quebras dentro da linha")
        << QStringLiteral("a\rb\u2028c\u2029d") + QChar(0xFDD0) + "e" + QChar(0xFDD1) + "f\n"
        << QStringList{QStringLiteral("a\rb\u2028c\u2029d") + QChar(0xFDD0) + "e" + QChar(0xFDD1) + "f"}
        << QStringLiteral("a\u240Db\uFFFDc\uFFFDd\uFFFDe\uFFFDf");
}

void TestConteudoLog::memoComoListaDeLinhas() {
    QFETCH(QString, texto);
    QFETCH(QStringList, linhas);
    QFETCH(QString, exibido);

    QPlainTextEdit widget;
    widget.setPlainText(QStringLiteral("anterior\nconteúdo"));
    MemoDeLinhas m(&widget);
    m.definirTexto(texto);
    QCOMPARE(linhasDe(m), linhas);
    QCOMPARE(widget.toPlainText(), exibido);
    QCOMPARE(widget.document()->blockCount(), std::max<int>(1, static_cast<int>(linhas.size())));

    // Every line as it came, in the 8-bit code page, followed by CR LF.
    QByteArray esperado;
    for (const QString& linha : linhas)
        esperado += platform::toAnsi(linha) + "\r\n";
    const QString arquivo = pasta_.filePath(QStringLiteral("linhas.txt"));
    QVERIFY(m.gravar(arquivo));
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), esperado);

    m.esvaziar();
    QCOMPARE(m.linhas(), 0);
    QVERIFY(widget.toPlainText().isEmpty());
}

void TestConteudoLog::linhaLongaInteiraNoArquivo() {
    // A log without line breaks: the widget gets the line's start and its length, the
    // file every byte.
    const QByteArray longa = QByteArray(2'000'000, 'x').replace(0, 5, "Start");
    QPlainTextEdit widget;
    MemoDeLinhas m(&widget);
    m.definirTexto(textoDoLog((longa + "\r\ncurta\r\n" + longa + "\r").toBase64(), modoLogInteiro));

    QCOMPARE(m.linhas(), 4);
    const QStringList exibidas = widget.toPlainText().split(u'\n');
    QCOMPARE(exibidas.size(), 4);
    for (int i : {0, 2}) {
        QVERIFY(exibidas[i].size() <= limiteDeLinha);
        QCOMPARE(exibidas[i], QString::fromLatin1(longa.left(65468)) +
                                  QStringLiteral(" … [linha de 2.000.000 caracteres; mostrados os primeiros 65.468]"));
        QCOMPARE(m.linha(i), QString::fromLatin1(longa));
    }
    QCOMPARE(exibidas[1], QStringLiteral("curta"));
    QCOMPARE(exibidas[3], hifens);

    const QString arquivo = pasta_.filePath(QStringLiteral("longo.txt"));
    QVERIFY(m.gravar(arquivo));
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), longa + "\r\ncurta\r\n" + longa + "\r\n" + hifens.toLatin1() + "\r\n");
}

void TestConteudoLog::gravarSubstituiArquivoMaior() {
    const QString arquivo = pasta_.filePath(QStringLiteral("existente.txt"));
    {
        QFile f(arquivo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(QByteArray(10000, 'z')) == 10000);
    }
    QPlainTextEdit widget;
    MemoDeLinhas m(&widget);
    m.definirTexto(QStringLiteral("a\nb\n"));
    QVERIFY(m.gravar(arquivo));
    {
        // Closed before the next write: Windows does not replace a file open elsewhere.
        QFile f(arquivo);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("a\r\nb\r\n"));
    }

    // No lines: an empty file.
    m.esvaziar();
    QVERIFY(m.gravar(arquivo));
    QCOMPARE(QFileInfo(arquivo).size(), 0);
}

void TestConteudoLog::gravarEmCaminhoImpossivel() {
    const QTemporaryDir pasta;
    QPlainTextEdit widget;
    MemoDeLinhas m(&widget);
    m.definirTexto(QStringLiteral("a\n"));
    QString motivo;
    QVERIFY(!m.gravar(pasta.filePath(QStringLiteral("não/existe/log.txt")), &motivo));
    QVERIFY(!motivo.isEmpty());
    QVERIFY(!m.gravar(pasta.path(), &motivo)); // a folder
    QCOMPARE(widget.toPlainText(), QStringLiteral("a"));
    QCOMPARE(QDir(pasta.path()).entryList(QDir::Files | QDir::Hidden), QStringList()); // no temporary file left
}

void TestConteudoLog::rolarAteOFim() {
    QPlainTextEdit widget;
    widget.resize(300, 120);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    MemoDeLinhas m(&widget);
    QString texto;
    for (int i = 0; i < 500; ++i)
        texto += QStringLiteral("linha %1\n").arg(i);
    m.definirTexto(texto);
    QCOMPARE(widget.verticalScrollBar()->value(), 0);
    m.rolarAteOFim();
    QCOMPARE(widget.textCursor().position(), widget.document()->characterCount() - 1);
    // The last line is in view.
    QVERIFY(widget.verticalScrollBar()->value() > 400);
    QVERIFY(widget.viewport()->rect().contains(widget.cursorRect()));
}

QTEST_MAIN(TestConteudoLog)
#include "tst_conteudolog.moc"
