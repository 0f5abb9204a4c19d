// Whatever the library answers, however short or malformed, every command of these pages
// handles it and the window goes on: the next well-formed answer is handled as usual.

#include "bancada.h"

#include <functional>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>

using Tipo = InteracaoRoteirizada::Tipo;

namespace {

const QString sucessoAtivacao =
    QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial.");

// One command as the user runs it, and the outcome of a well-formed answer to it.
struct Comando {
    const char* funcao; // the entry point it calls
    std::function<void(Bancada&)> executar;
    QByteArray respostaBoa;
    std::function<bool(Bancada&)> resultadoBom;
};

template <typename T> T* em(Bancada& b, const char* dono, const char* nome) {
    return b.controleEm<T>(QString::fromLatin1(dono), QString::fromLatin1(nome));
}

const Comando& porNome(const QString& nome) {
    static const QMap<QString, Comando> comandos{
        {QStringLiteral("consulta"),
         {"ConsultarSAT",
          [](Bancada& b) { QTest::mouseClick(b.lateral(QStringLiteral("BtnPrincipal")), Qt::LeftButton); },
          "{sessao}|08000|SAT em operação|||",
          [](Bancada& b) {
              return b.controle<QLabel>(QStringLiteral("lbloperante"))->text() ==
                     QStringLiteral("SAT em operação");
          }}},
        {QStringLiteral("status"),
         {"ConsultarStatusOperacional",
          [](Bancada& b) {
              b.ui.dialogos.push_back(validarCom(QStringLiteral("12345678")));
              QTest::mouseClick(b.lateral(QStringLiteral("BitBtnStatus")), Qt::LeftButton);
          },
          "{sessao}|10000|ok|||900004019",
          [](Bancada& b) {
              return b.controle<QPlainTextEdit>(QStringLiteral("MemoStatus"))->toPlainText() ==
                     QStringLiteral(" \n NSERIE ........... 900004019");
          }}},
        {QStringLiteral("ativação"),
         {"AtivarSAT",
          [](Bancada& b) {
              QTest::mouseClick(b.lateral(QStringLiteral("BtnAtivacao")), Qt::LeftButton);
              em<QLineEdit>(b, "TabAtivar", "EdtCodAtiv2")->setText(QStringLiteral("abcd1234"));
              em<QLineEdit>(b, "TabAtivar", "EdtCodAtiv2Conf")->setText(QStringLiteral("abcd1234"));
              em<QLineEdit>(b, "TabAtivar", "EdtCNPJContrib")->setText(QStringLiteral("11222333000181"));
              em<QComboBox>(b, "TabAtivar", "cbo")->setCurrentIndex(25);
              b.ui.confirmacoes.push_back(true);
              QTest::mouseClick(em<QPushButton>(b, "TabAtivar", "BtnAtivar"), Qt::LeftButton);
          },
          "{sessao}|04000|Ativado|||",
          [](Bancada& b) {
              return !b.ui.mensagens().isEmpty() && b.ui.mensagens().last() == sucessoAtivacao;
          }}},
        {QStringLiteral("troca de código"),
         {"TrocarCodigoDeAtivacao",
          [](Bancada& b) {
              QTest::mouseClick(b.lateral(QStringLiteral("BtnCodAtivacao")), Qt::LeftButton);
              auto* destravar = em<QCheckBox>(b, "TabCodAtiva", "CheckMudaCodigo");
              if (!destravar->isChecked())
                  QTest::mouseClick(destravar, Qt::LeftButton);
              em<QLineEdit>(b, "TabCodAtiva", "EdtCodigo")->setText(QStringLiteral("atual123"));
              em<QLineEdit>(b, "TabCodAtiva", "EdtNovoCodigo")->setText(QStringLiteral("novo1234"));
              em<QLineEdit>(b, "TabCodAtiva", "EdtNovoCodigo2")->setText(QStringLiteral("novo1234"));
              QTest::mouseClick(em<QPushButton>(b, "TabCodAtiva", "BtnTrocarCod"), Qt::LeftButton);
          },
          "{sessao}|18000|Código alterado|||",
          [](Bancada& b) { return !em<QCheckBox>(b, "TabCodAtiva", "CheckMudaCodigo")->isChecked(); }}},
    };
    return comandos.find(nome).value();
}

} // namespace

class TestRespostas : public QObject {
    Q_OBJECT
private slots:
    void nenhumaRespostaDerrubaAJanela_data();
    void nenhumaRespostaDerrubaAJanela();
};

void TestRespostas::nenhumaRespostaDerrubaAJanela_data() {
    QTest::addColumn<QString>("comando");
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<bool>("nula");             // the library answers a null pointer
    QTest::addColumn<QStringList>("mensagens"); // plain messages shown
    QTest::addColumn<int>("erros");             // default error boxes
    QTest::addColumn<int>("janelasSefaz");

    const QByteArray longa = "{sessao}|%1|" + QByteArray(100000, 'x') + "||";
    const QString mensagemLonga = QStringLiteral("%1: ") + QString(100000, u'x');
    const QByteArray invalida = "{sessao}|%1|\xff\xfe r\xc3|\xc3|";
    const QString mensagemInvalida = QStringLiteral("%1: \uFFFD\uFFFD r\uFFFD");
    const QByteArray separadores(40, '|');
    const auto semResposta = [](const char* funcao) {
        return QStringLiteral("A biblioteca SAT não devolveu resposta à função %1.")
            .arg(QLatin1String(funcao));
    };

    struct Caso {
        const char* nome;
        const char* comando;
        const char* codigo; // the refusal code used in the long and invalid answers
        const char* funcao;
    };
    for (const Caso& c : {Caso{"consulta", "consulta", "08097", "ConsultarSAT"},
                          Caso{"status", "status", "10001", "ConsultarStatusOperacional"},
                          Caso{"ativação", "ativação", "04098", "AtivarSAT"},
                          Caso{"troca de código", "troca de código", "18001", "TrocarCodigoDeAtivacao"}}) {
        const QString cmd = QString::fromUtf8(c.comando);
        const bool troca = cmd == QStringLiteral("troca de código");
        const bool consulta = cmd == QStringLiteral("consulta");
        // Too short to be read: the code change reports it in the error box, the other
        // commands take it as a failure without a message.
        const int curta = troca ? 1 : 0;
        const auto linha = [&](const char* caso) -> QTestData& {
            return QTest::addRow("%s: %s", c.nome, caso) << cmd;
        };

        linha("vazia") << QByteArray() << false << QStringList() << curta << 0;
        linha("sem separador") << QByteArray(c.codigo) << false << QStringList() << curta << 0;
        linha("só um separador") << QByteArray("|") << false << QStringList() << curta << 0;
        linha("sessão e código") << QByteArray("{sessao}|") + c.codigo << false << QStringList() << curta
                                 << 0;
        // A null answer is a fault of the library: said once, and the command ends there.
        linha("ponteiro nulo") << QByteArray() << true << QStringList{semResposta(c.funcao)} << 0 << 0;
        // Empty code and message: a refusal whose message is ": " (the consult shows none).
        linha("só separadores") << separadores << false
                                << (consulta ? QStringList() : QStringList{QStringLiteral(": ")}) << 0 << 0;
        linha("UTF-8 inválido") << QByteArray(invalida).replace("%1", c.codigo) << false
                                << QStringList{mensagemInvalida.arg(QLatin1String(c.codigo))} << 0 << 1;
        linha("mensagem de 100 000 caracteres")
            << QByteArray(longa).replace("%1", c.codigo) << false
            << QStringList{mensagemLonga.arg(QLatin1String(c.codigo))} << 0 << 0;
        // An alert code shifts the SEFAZ fields: the fifth field is the SEFAZ code.
        linha("código 130 com cinco campos")
            << QByteArray("{sessao}|13000|0000|Mensagem|77") << false
            << (consulta ? QStringList() : QStringList{QStringLiteral("13000: 0000")}) << 0 << 1;
    }
}

void TestRespostas::nenhumaRespostaDerrubaAJanela() {
    QFETCH(QString, comando);
    QFETCH(QByteArray, resposta);
    QFETCH(bool, nula);
    QFETCH(QStringList, mensagens);
    QFETCH(int, erros);
    QFETCH(int, janelasSefaz);

    Bancada b;
    QVERIFY(b.mostrar());
    const Comando& cmd = porNome(comando);
    roteiro::responder(nula ? std::nullopt : std::optional<QByteArray>(resposta));

    cmd.executar(b);

    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(roteiro::chamadas().first().funcao, QString::fromLatin1(cmd.funcao));
    QCOMPARE(roteiro::respostasPendentes(), std::size_t{0});
    QCOMPARE(b.ui.mensagens(), mensagens);
    QCOMPARE(b.ui.textos(Tipo::Erro).size(), erros);
    qsizetype sefaz = 0;
    for (const InteracaoRoteirizada::Exibido& e : b.ui.exibidos)
        sefaz += e.tipo == Tipo::Dialogo && e.titulo == QLatin1String("TFMSefaz") ? 1 : 0;
    QCOMPARE(sefaz, janelasSefaz);
    QVERIFY(b.janela->isVisible());

    // The same command with a well-formed answer does what it always does.
    b.ui.exibidos.clear();
    roteiro::responder(cmd.respostaBoa);
    cmd.executar(b);
    QCOMPARE(roteiro::chamadas().size(), 2);
    QVERIFY(cmd.resultadoBom(b));
    QVERIFY(b.ui.textos(Tipo::Erro).isEmpty());
}

QTEST_MAIN(TestRespostas)
#include "tst_respostas.moc"
