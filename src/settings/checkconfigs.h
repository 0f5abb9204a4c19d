#pragma once

#include <functional>
#include <QByteArray>
#include <QLatin1String>
#include <QString>

namespace settings {

inline constexpr QLatin1String kConfRedeFileName{"ConfRede.xml"};

// The files written when missing, byte for byte: one line each, CR LF, plain
// ASCII (so the same in the 8-bit code page), no byte-order mark.
QByteArray defaultConfRedeXml();
QByteArray defaultParametrosXml();

// Start-up check, run before any window exists: writes the default ConfRede.xml
// and then the default Parametros.xml into exeDir when they are missing. Only
// existence is tested; an existing file is neither read nor repaired. When a
// file cannot be written, showMessage gets
//   Não foi possível criar o arquivo de configuração "<name>"!
// and after a failure on ConfRede.xml the Parametros.xml check is skipped.
// Files are written whole or not at all (temporary file renamed into place).
void CheckConfigs(const QString& exeDir, const std::function<void(const QString&)>& showMessage);

} // namespace settings
