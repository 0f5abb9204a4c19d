#include "settings/checkconfigs.h"

#include "settings/atomicfile.h"
#include "settings/campos.h"
#include "settings/parameterstore.h"

#include <QDir>
#include <QFileInfo>

namespace settings {

QByteArray defaultConfRedeXml() {
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><config>"
                             "<tipoInter>ETHE</tipoInter>"
                             "<tipoLan>DHCP</tipoLan>"
                             "<proxy>0</proxy></config>\r\n");
}

QByteArray defaultParametrosXml() {
    // The columns as the store declares them, from its one table.
    return QByteArrayLiteral(
               "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>") +
           standardFieldsXml() +
           QByteArrayLiteral(
               "</FIELDS><PARAMS CHANGE_LOG=\"1 0 4\"/></METADATA><ROWDATA>"
               "<ROW RowState=\"4\" tipoInter=\"ETHE\" SSID=\"\" codigo=\"\" tipoLan=\"DHCP\" "
               "lanIP=\"\" lanMask=\"\" lanGW=\"\" lanDNS1=\"\" lanDNS2=\"\" usuario=\"\" senha=\"\" "
               "proxy=\"0\" proxy_ip=\"\" proxy_porta=\"\" proxy_user=\"\" proxy_senha=\"\" uf=\"35\"/>"
               "</ROWDATA></DATAPACKET>\r\n");
}

namespace {

// Writes the default unless a file of that name exists; false when it could not
// be written. A directory of that name is no file, and writing over it fails.
bool ensureFile(const QString& path, const QByteArray& content) {
    if (QFileInfo(path).isFile())
        return true;
    return writeFileAtomically(path, content);
}

QString creationFailedMessage(QLatin1String fileName) {
    return QStringLiteral("Não foi possível criar o arquivo de configuração \"%1\"!").arg(fileName);
}

} // namespace

void CheckConfigs(const QString& exeDir, const std::function<void(const QString&)>& showMessage) {
    const QDir dir(exeDir);
    if (!ensureFile(dir.filePath(kConfRedeFileName), defaultConfRedeXml())) {
        if (showMessage)
            showMessage(creationFailedMessage(kConfRedeFileName));
        return;
    }
    if (!ensureFile(dir.filePath(kParametrosFileName), defaultParametrosXml())) {
        if (showMessage)
            showMessage(creationFailedMessage(kParametrosFileName));
    }
}

} // namespace settings
