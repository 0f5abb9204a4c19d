#include "cli/carregamento.h"

#include "core/carga.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

std::optional<QString> carregarBiblioteca(CaminhoSat& caminho, const QCommandLineParser& p,
                                          const Console& console, QString& biblioteca) {
    if (const sat::FuncoesSAT* funcoes = console.funcoes()) {
        caminho.usar(std::make_unique<sat::ExecutorLocal>(*funcoes));
        return std::nullopt;
    }
    const QString pastaDoPrograma = console.pastaDosProgramas();
    if (p.isSet(QStringLiteral("biblioteca"))) {
        biblioteca = QFileInfo(p.value(QStringLiteral("biblioteca"))).absoluteFilePath();
        if (!QFileInfo::exists(biblioteca))
            return QStringLiteral("Erro: DLL não foi encotrada: %1")
                .arg(QDir::toNativeSeparators(biblioteca));
    } else {
        const QString nome = carga::bibliotecaEscolhida(pastaDoPrograma);
        if (nome.isEmpty())
            return QStringLiteral("Erro: DLL não foi encotrada.");
        biblioteca = QDir(pastaDoPrograma).filePath(nome);
    }
    const QString hospedeiro = carga::usarHospedeiro(caminho, pastaDoPrograma, biblioteca);
    return carga::carregar(caminho, biblioteca, hospedeiro);
}

LimiteDeTempo::LimiteDeTempo(CaminhoSat& caminho, int segundos) : caminho_(caminho), segundos_(segundos) {
    relogio_.setSingleShot(true);
    QObject::connect(&relogio_, &QTimer::timeout, [this] {
        esgotado_ = true;
        caminho_.executor().abandonar();
    });
}

void LimiteDeTempo::antesDaChamada() {
    if (segundos_ > 0)
        relogio_.start(segundos_ * 1000);
}

void LimiteDeTempo::depoisDaChamada(const QString&, const QByteArray&) {
    relogio_.stop();
}

} // namespace cli
