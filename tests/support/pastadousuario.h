#pragma once

// Folders named as they are on a technician's workstation: Brazilian Windows user
// folders carry people's names, with accents, and the desktop under them is "Área de
// Trabalho"; some names hold letters that Windows-1252 has not (Ł, ő). Every file the
// console opens by name must open there as anywhere else.

#include <QDir>
#include <QList>
#include <QTemporaryDir>

#ifdef Q_OS_WIN
#include <cstdlib>
#endif

namespace pastadousuario {

// The kinds of folder, for the rows of a test table: a label and the folder's name
// under a new temporary folder.
struct Tipo {
    const char* etiqueta;
    QString nome;
};
inline QList<Tipo> tipos() {
    return {{"pasta sem acentos", QStringLiteral("Tecnico SAT/console")},
            {"pasta com acentos", QStringLiteral("Área de Trabalho/Técnico SAT ação/console")},
            {"pasta fora do Windows-1252", QStringLiteral("Área de Trabalho/Łukasz Wróbel ő/console")}};
}

// A new temporary folder with the folder `nome` made inside it; all removed at the end.
class Pasta {
public:
    explicit Pasta(const QString& nome) : caminho_(raiz_.filePath(nome)) {
        if (!raiz_.isValid() || !QDir().mkpath(caminho_))
            caminho_.clear();
    }
    bool isValid() const { return !caminho_.isEmpty(); }
    QString path() const { return caminho_; }
    QString filePath(const QString& arquivo) const { return QDir(caminho_).filePath(arquivo); }

private:
    QTemporaryDir raiz_;
    QString caminho_;
};

// Sets an environment variable to a path, whatever its characters: qputenv goes
// through the system's code page on Windows, which has no Ł.
inline void definirVariavel(const char* nome, const QString& valor) {
#ifdef Q_OS_WIN
    _wputenv_s(QString::fromLatin1(nome).toStdWString().c_str(), valor.toStdWString().c_str());
#else
    qputenv(nome, valor.toUtf8());
#endif
}

} // namespace pastadousuario
