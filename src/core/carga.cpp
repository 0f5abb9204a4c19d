#include "core/carga.h"

#include "core/caminhosat.h"
#include "platform/diagnostico.h"
#include "platform/platform.h"
#include "sat/executorremoto.h"

#include <QDir>
#include <QFileInfo>

namespace carga {

QString bibliotecaEscolhida(const QString& pasta) {
    const QDir dir(pasta);
    for (const QString& nome : {QStringLiteral("SAT_x64.DLL"), QStringLiteral("SAT.DLL")})
        if (QFileInfo::exists(dir.filePath(nome)))
            return nome;
    return {};
}

QString hospedeiroPara(const QString& pastaDosProgramas, const QString& biblioteca, bool windows) {
    const QDir pasta(pastaDosProgramas);
    if (!windows)
        return pasta.filePath(QStringLiteral("sat-host"));
    if (!biblioteca.isEmpty() && platform::dllX86De32Bits(biblioteca.toStdString())) {
        const QString de32Bits = pasta.filePath(QStringLiteral("sat-host32.exe"));
        if (QFileInfo::exists(de32Bits))
            return de32Bits;
    }
    return pasta.filePath(QStringLiteral("sat-host.exe"));
}

bool ehHospedeiro32(const QString& hospedeiro) {
    return QFileInfo(hospedeiro).fileName() == QLatin1String("sat-host32.exe");
}

bool ehSatemu(const QString& caminho) {
    const QString produto = QString::fromStdString(platform::produtoDoArquivo(caminho.toStdString()));
    return produto == QLatin1String("satemu") || produto.startsWith(QLatin1String("satemu "));
}

QString mensagemDeFalha(const QString& caminho, const QString& motivo, int bitsDoPrograma) {
    const QString causa = QString::fromStdString(
        platform::causaDaFalhaDeCarga(caminho.toStdString(), motivo.toStdString(), bitsDoPrograma));
    return QStringLiteral("Erro ao carregar a DLL: ") + QDir::toNativeSeparators(caminho) +
           (causa.isEmpty() ? QString() : u'\n' + causa) + QStringLiteral("\n\n") + motivo;
}

QString usarHospedeiro(CaminhoSat& caminho, const QString& pastaDosProgramas, const QString& biblioteca,
                       QString hospedeiro, bool antecipar) {
    if (hospedeiro.isEmpty())
        hospedeiro = hospedeiroPara(pastaDosProgramas, biblioteca, noWindows);
    if (!QFileInfo::exists(hospedeiro))
        return {};
    auto remoto = std::make_unique<sat::ExecutorRemoto>(hospedeiro);
    if (antecipar && !biblioteca.isEmpty())
        remoto->antecipar(biblioteca);
    caminho.usar(std::move(remoto));
    return hospedeiro;
}

std::optional<QString> carregar(CaminhoSat& caminho, const QString& biblioteca, const QString& hospedeiro) {
    QString motivo;
    if (caminho.executor().carregar(biblioteca, motivo))
        return std::nullopt;
    return mensagemDeFalha(biblioteca, motivo, !hospedeiro.isEmpty() && ehHospedeiro32(hospedeiro) ? 32 : 0);
}

} // namespace carga
