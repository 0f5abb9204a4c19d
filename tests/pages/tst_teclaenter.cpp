// Enter on the pages that have a default button: from an edit, a list or a check box it
// presses the page's default button; on another button of the page that has the focus,
// it presses that button, as on every Windows form. Nothing else is pressed.

#include "bancada.h"

#include <QAbstractButton>
#include <QSignalSpy>

#include <map>

namespace {

struct PaginaComPadrao {
    int indice;
    const char* pagina;
    const char* padrao;
};

} // namespace

class TestTeclaEnter : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void enterPressionaOBotaoComFoco_data();
    void enterPressionaOBotaoComFoco();

private:
    std::unique_ptr<Bancada> b_;
};

void TestTeclaEnter::init() {
    b_ = std::make_unique<Bancada>();
}

void TestTeclaEnter::cleanup() {
    b_.reset();
}

void TestTeclaEnter::enterPressionaOBotaoComFoco_data() {
    QTest::addColumn<int>("indice");
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<QString>("padrao");
    QTest::addColumn<QString>("marcar"); // the box that shows the rest of the page, if any
    QTest::addColumn<QStringList>("outrosBotoes"); // every other button of the page the user can reach
    QTest::addColumn<int>("tecla");
    QTest::addColumn<int>("modificadores");

    struct Linha {
        const char* nome;
        int indice;
        const char* pagina;
        const char* padrao;
        const char* marcar;
        QStringList outrosBotoes;
    };
    const Linha linhas[] = {
        {"Bloquear/Desbloquear", 4, "TabBloq", "BitBtn5", "", {"BitBloquSAT", "BitDesatSAT"}},
        {"Associar, por arquivo", 3, "TabAssocAss", "BitAssociar", "rgAssinaturaItem1", {"Button3"}},
        {"Ativação", 2, "TabAtivar", "BtnAtivar", "", {}},
        {"Código de ativação", 1, "TabCodAtiva", "BtnTrocarCod", "CheckMudaCodigo", {}},
        {"Rede", 6, "TabConfRede", "BitBtn4", "", {}},
        {"Atualizar SW Básico", 10, "TavAtualizaSW", "BtnAtualizarSW", "", {}},
    };
    // The main keyboard's Return, and the numeric keypad's Enter (its own key code, with
    // the keypad modifier), on every page.
    const struct {
        const char* nome;
        Qt::Key tecla;
        Qt::KeyboardModifiers modificadores;
    } teclas[] = {{"Return", Qt::Key_Return, Qt::NoModifier}, {"Enter do teclado numérico", Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto& tecla : teclas)
        for (const Linha& l : linhas)
            QTest::addRow("%s, %s", l.nome, tecla.nome)
                << l.indice << QString::fromLatin1(l.pagina) << QString::fromLatin1(l.padrao)
                << QString::fromLatin1(l.marcar) << l.outrosBotoes << int(tecla.tecla) << int(tecla.modificadores);
}

void TestTeclaEnter::enterPressionaOBotaoComFoco() {
    QFETCH(int, indice);
    QFETCH(QString, pagina);
    QFETCH(QString, padrao);
    QFETCH(QString, marcar);
    QFETCH(QStringList, outrosBotoes);
    QFETCH(int, tecla);
    QFETCH(int, modificadores);
    QVERIFY(b_->mostrar());
    b_->janela->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b_->janela.get()));
    b_->selecionarPagina(indice);
    auto* dono = b_->controle<QWidget>(pagina);
    if (!marcar.isEmpty())
        b_->controleEm<QAbstractButton>(pagina, marcar)->setChecked(true);

    // Every button of the page, watched: the user's queues are empty, so each press ends
    // at a check, a refused confirmation or a cancelled file dialog, and no device call
    // is made.
    std::map<QString, std::unique_ptr<QSignalSpy>> cliques;
    for (QPushButton* botao : dono->findChildren<QPushButton*>())
        cliques[botao->objectName()] = std::make_unique<QSignalSpy>(botao, &QPushButton::clicked);

    QStringList alcancados;
    for (QWidget* controle : dono->findChildren<QWidget*>()) {
        if (!controle->isVisible() || !controle->isEnabled() || !(controle->focusPolicy() & Qt::TabFocus))
            continue;
        const bool ehBotao = qobject_cast<QPushButton*>(controle) != nullptr;
        if (ehBotao && controle->objectName() != padrao)
            alcancados.append(controle->objectName());
        const QString esperado = ehBotao ? controle->objectName() : padrao;

        for (auto& [nome, espiao] : cliques)
            espiao->clear();
        controle->setFocus();
        QCOMPARE(QApplication::focusWidget(), controle);
        QTest::keyClick(controle, Qt::Key(tecla), Qt::KeyboardModifiers(modificadores));

        for (const auto& [nome, espiao] : cliques)
            QVERIFY2(espiao->size() == (nome == esperado ? 1 : 0),
                     qPrintable(QStringLiteral("Enter em %1: %2 pressionado %3 vez(es)")
                                    .arg(controle->objectName(), nome)
                                    .arg(espiao->size())));
    }
    alcancados.sort();
    outrosBotoes.sort();
    QCOMPARE(alcancados, outrosBotoes);
    QVERIFY(roteiro::chamadas().isEmpty());
}

QTEST_MAIN(TestTeclaEnter)
#include "tst_teclaenter.moc"
