// The emulated device as a console loads it: SAT_x64.DLL in the build's bin
// folder, opened by full path, its 17 entry points looked up by name.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

namespace {

using ConsultarSATFn = const char* (*)(int);
using AtivarSATFn = const char* (*)(int, int, const char*, const char*, int);
using StatusFn = const char* (*)(int, const char*);

const char* const kEntryPoints[] = {"ComunicarCertificadoICPBRASIL",
                                    "EnviarDadosVenda",
                                    "CancelarUltimaVenda",
                                    "ConsultarSAT",
                                    "TesteFimAFim",
                                    "ConsultarStatusOperacional",
                                    "ConsultarNumeroSessao",
                                    "AssociarAssinatura",
                                    "AtualizarSoftwareSAT",
                                    "ExtrairLogs",
                                    "BloquearSAT",
                                    "DesbloquearSAT",
                                    "TrocarCodigoDeAtivacao",
                                    "ConfigurarInterfaceDeRede",
                                    "AtivarSAT",
                                    "SetDriver",
                                    "ConsultarUltimaSessaoFiscal"};

template <typename T> T symbol(void* handle, const char* name) {
#if defined(_WIN32)
    Q_UNUSED(handle);
    Q_UNUSED(name);
    return nullptr;
#else
    return reinterpret_cast<T>(dlsym(handle, name));
#endif
}

} // namespace

class TestSatemuLibrary : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void linkNamesTheVersionedFile();
    void entryPointsAndStateAcrossReloads();
    void stateBesideTheLibraryWithoutSatemuHome();

private:
    QString library_;
};

void TestSatemuLibrary::initTestCase() {
#if defined(_WIN32)
    QSKIP("Linux only: dlopen and the libsatemu.so.1.0.0 link; tst_windows loads SAT_x64.DLL through "
          "LoadLibraryExW");
#endif
    library_ = QDir(QStringLiteral(SATEMU_BIN_DIR)).filePath(QStringLiteral("SAT_x64.DLL"));
    QVERIFY2(QFileInfo::exists(library_), qPrintable(library_));
}

void TestSatemuLibrary::linkNamesTheVersionedFile() {
    const QFileInfo link(library_);
    QVERIFY(link.isSymLink());
    const QFileInfo target(link.symLinkTarget());
    QCOMPARE(target.fileName(), QStringLiteral("libsatemu.so.1.0.0"));
    QCOMPARE(target.absolutePath(), link.absolutePath());
    // The version a console shows is the numeric suffix of that file name.
    const auto m = QRegularExpression(QStringLiteral("\\.so\\.(\\d+(?:\\.\\d+)*)$")).match(target.fileName());
    QVERIFY(m.hasMatch());
    QCOMPARE(m.captured(1), QStringLiteral("1.0.0"));
}

void TestSatemuLibrary::entryPointsAndStateAcrossReloads() {
#if !defined(_WIN32)
    QTemporaryDir home;
    qputenv("SATEMU_HOME", QFile::encodeName(home.path()));
    const QByteArray path = QFile::encodeName(library_);
    void* handle = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(handle != nullptr, dlerror());
    for (const char* name : kEntryPoints)
        QVERIFY2(dlsym(handle, name) != nullptr, name);
    // Internal functions are not exported (this one exists in the file as a local symbol).
    QVERIFY(
        dlsym(handle, "_ZN6satemu10callDeviceB5cxx11ENS_2FnEiRKSt8functionIFNS_6AnswerERNS_7ContextEEE") ==
        nullptr);

    auto consult = symbol<ConsultarSATFn>(handle, "ConsultarSAT");
    auto activate = symbol<AtivarSATFn>(handle, "AtivarSAT");
    QVERIFY(QByteArray(consult(123456)).startsWith("123456|08000|"));
    QVERIFY(QByteArray(activate(123457, 1, "12345678", "11222333000181", 35)).startsWith("123457|04000|"));
    QCOMPARE(dlclose(handle), 0);

    // Loaded again, it is the same device.
    handle = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(handle != nullptr, dlerror());
    auto status = symbol<StatusFn>(handle, "ConsultarStatusOperacional");
    const QByteArray answer = status(123458, "12345678");
    QVERIFY2(answer.startsWith("123458|10000|"), answer.constData());
    QCOMPARE(answer.split('|').size(), 28);
    dlclose(handle);
    qunsetenv("SATEMU_HOME");
#endif
}

void TestSatemuLibrary::stateBesideTheLibraryWithoutSatemuHome() {
#if !defined(_WIN32)
    // A console's folder: the library copied under the name the console loads.
    QTemporaryDir folder;
    const QString copy = QDir(folder.path()).filePath(QStringLiteral("SAT_x64.DLL"));
    QVERIFY(QFile::copy(QFileInfo(library_).canonicalFilePath(), copy));
    qunsetenv("SATEMU_HOME");
    void* handle = dlopen(QFile::encodeName(copy).constData(), RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(handle != nullptr, dlerror());
    auto consult = symbol<ConsultarSATFn>(handle, "ConsultarSAT");
    QVERIFY(QByteArray(consult(654321)).startsWith("654321|08000|"));
    dlclose(handle);
    const QByteArray state = [&] {
        QFile f(QDir(folder.path()).filePath(QStringLiteral("satemu-state.txt")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY(state.startsWith("SATEMU-ESTADO 1\n"));
    QVERIFY(state.contains("654321=654321|08000|"));
#endif
}

QTEST_GUILESS_MAIN(TestSatemuLibrary)
#include "tst_satemu_library.moc"
