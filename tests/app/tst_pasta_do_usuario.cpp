// The console started from a folder named as users' folders are, with accents and
// letters outside Windows-1252: it finds its library there, tells a 32-bit DLL by its
// header, consults the device through the helper, keeps its settings files and the
// device's state there, and explains a wrong library file from the file itself.
#include "core/carga.h"
#include "fluxosatemu.h"
#include "pastadousuario.h"

#include <QLabel>

class TestPastaDoUsuario : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void consulta_data();
    void consulta();
    void arquivoQueNaoEBiblioteca_data();
    void arquivoQueNaoEBiblioteca();
};

void TestPastaDoUsuario::initTestCase() {
    // The device keeps its state beside its library file, in the folder under test.
    qunsetenv("SATEMU_HOME");
}

void TestPastaDoUsuario::consulta_data() {
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("biblioteca"); // under the name the console loads
    QTest::addColumn<QString>("rotulo");
    for (const pastadousuario::Tipo& tipo : pastadousuario::tipos()) {
        QTest::addRow("%s, 64 bits", tipo.etiqueta)
            << tipo.nome << QStringLiteral("SAT_x64.DLL") << QStringLiteral("DLL: SAT_x64.DLL(64 bits) - Versão: 1.0.0");
#ifdef SATEMU32_STDCALL
        // A maker's 32-bit DLL: the 64-bit helper cannot load it, the 32-bit one can,
        // and only the file's header tells which to start.
        QTest::addRow("%s, 32 bits", tipo.etiqueta)
            << tipo.nome << QStringLiteral("SAT.DLL") << QStringLiteral("DLL: SAT.DLL(32 bits) - Versão: 1.0.0");
#endif
    }
}

void TestPastaDoUsuario::consulta() {
    QFETCH(QString, nome);
    QFETCH(QString, biblioteca);
    QFETCH(QString, rotulo);
    const pastadousuario::Pasta pasta(nome);
    QVERIFY(pasta.isValid());
    if (biblioteca == QLatin1String("SAT.DLL")) {
#ifdef SATEMU32_STDCALL
        QVERIFY(QFile::copy(QStringLiteral(SATEMU32_STDCALL), pasta.filePath(biblioteca)));
#endif
    } else {
        QVERIFY(colocarSatemu(pasta.filePath(biblioteca)));
    }
    QStringList avisos;
    settings::CheckConfigs(pasta.path(), [&avisos](const QString& m) { avisos.append(m); });
    QCOMPARE(avisos, QStringList());
    QVERIFY(QFile::exists(pasta.filePath(QStringLiteral("ConfRede.xml"))));

    InteracaoRoteirizada ui;
    {
        TFAtivacao janela(ui, TFAtivacao::Opcoes{pasta.path(), std::nullopt,
                                                 pasta.filePath(QStringLiteral("Parametros.xml"))});
        QCOMPARE(ui.textos(InteracaoRoteirizada::Tipo::MensagemSemDono), QStringList());
        QVERIFY(!janela.terminacaoSolicitada());
#ifdef Q_OS_WIN
        // satemu names itself in its version resource, which ELF files have not.
        rotulo += QString::fromUtf16(carga::marcaDoSatemu);
#endif
        QCOMPARE(janela.findChild<QLabel*>(QStringLiteral("lblVersaoDLL"))->text(), rotulo);

        janela.findChild<QPushButton*>(QStringLiteral("BtnPrincipal"))->click();
        QCOMPARE(ui.textos(InteracaoRoteirizada::Tipo::Erro), QStringList());
        QVERIFY2(janela.caminho().retorno().contains("|08000|"), janela.caminho().retorno().constData());

        // A value the user typed, kept in the folder's Parametros.xml when the window closes.
        janela.findChild<QPushButton*>(QStringLiteral("BtnAtivacao"))->click();
        janela.findChild<QLineEdit*>(QStringLiteral("EdtCNPJContrib"))->setText(QStringLiteral("11222333000181"));
        janela.findChild<QComboBox*>(QStringLiteral("cbo"))->setCurrentIndex(25);
        janela.findChild<QLineEdit*>(QStringLiteral("EdtCodAtiv2"))->setText(QStringLiteral("12345678"));
        janela.findChild<QLineEdit*>(QStringLiteral("EdtCodAtiv2Conf"))->setText(QStringLiteral("12345678"));
        ui.confirmacoes.push_back(true);
        janela.findChild<QPushButton*>(QStringLiteral("BtnAtivar"))->click();
        janela.gravarParametros(); // as the program's end does, with a message if it cannot
        QCOMPARE(ui.mensagens(),
                 QStringList{QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial.")});
    }
    QFile estado(pasta.filePath(QStringLiteral("satemu-state.txt")));
    QVERIFY(estado.open(QIODevice::ReadOnly));
    const QByteArray registro = estado.readAll();
    QVERIFY(registro.contains("ConsultarSAT: 08000"));
    QVERIFY(registro.contains("AtivarSAT: 04000"));
    QFile parametros(pasta.filePath(QStringLiteral("Parametros.xml")));
    QVERIFY(parametros.open(QIODevice::ReadOnly));
    QVERIFY(parametros.readAll().contains("11222333000181"));
}

void TestPastaDoUsuario::arquivoQueNaoEBiblioteca_data() {
    QTest::addColumn<QString>("nome");
    for (const pastadousuario::Tipo& tipo : pastadousuario::tipos())
        QTest::newRow(tipo.etiqueta) << tipo.nome;
}

// The load error names the file by its full path and says what is wrong with it, read
// from the file: not "cannot be read", which would send the technician after the wrong
// cause.
void TestPastaDoUsuario::arquivoQueNaoEBiblioteca() {
    QFETCH(QString, nome);
    const pastadousuario::Pasta pasta(nome);
    QVERIFY(pasta.isValid());
    QFile arquivo(pasta.filePath(QStringLiteral("SAT_x64.DLL")));
    QVERIFY(arquivo.open(QIODevice::WriteOnly));
    QVERIFY(arquivo.write("não sou uma biblioteca\n") > 0);
    arquivo.close();

    InteracaoRoteirizada ui;
    TFAtivacao janela(ui, TFAtivacao::Opcoes{pasta.path(), std::nullopt,
                                             pasta.filePath(QStringLiteral("Parametros.xml"))});
    const QStringList erros = ui.textos(InteracaoRoteirizada::Tipo::MensagemSemDono);
    QCOMPARE(erros.size(), 1);
    QVERIFY2(erros.first().startsWith(QStringLiteral("Erro ao carregar a DLL: ") +
                                      QDir::toNativeSeparators(arquivo.fileName()) +
                                      QStringLiteral("\nO arquivo não é uma biblioteca.\n\n")),
             qPrintable(erros.first()));
}

QTEST_MAIN(TestPastaDoUsuario)
#include "tst_pasta_do_usuario.moc"
