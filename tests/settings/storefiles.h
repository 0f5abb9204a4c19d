#pragma once

// Helpers of the parameter-store tests: files on disk and data packets written
// the way the original client dataset writes them.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace storetest {

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Puts the modification time well in the past, so that a rewrite would show.
inline bool backdate(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime);
}

inline QDateTime modified(const QString& path) {
    return QFileInfo(path).fileTime(QFileDevice::FileModificationTime);
}

// The 23 FIELD elements as the console declares them.
inline QByteArray standardFields() {
    return "<FIELD attrname=\"tipoInter\" fieldtype=\"string\" WIDTH=\"4\"/>"
           "<FIELD attrname=\"SSID\" fieldtype=\"string\" WIDTH=\"32\"/>"
           "<FIELD attrname=\"seg\" fieldtype=\"string\" WIDTH=\"8\"/>"
           "<FIELD attrname=\"codigo\" fieldtype=\"string\" WIDTH=\"64\"/>"
           "<FIELD attrname=\"tipoLan\" fieldtype=\"string\" WIDTH=\"8\"/>"
           "<FIELD attrname=\"lanIP\" fieldtype=\"string\" WIDTH=\"15\"/>"
           "<FIELD attrname=\"lanMask\" fieldtype=\"string\" WIDTH=\"15\"/>"
           "<FIELD attrname=\"lanGW\" fieldtype=\"string\" WIDTH=\"15\"/>"
           "<FIELD attrname=\"lanDNS1\" fieldtype=\"string\" WIDTH=\"15\"/>"
           "<FIELD attrname=\"lanDNS2\" fieldtype=\"string\" WIDTH=\"15\"/>"
           "<FIELD attrname=\"usuario\" fieldtype=\"string\" WIDTH=\"64\"/>"
           "<FIELD attrname=\"senha\" fieldtype=\"string\" WIDTH=\"64\"/>"
           "<FIELD attrname=\"proxy\" fieldtype=\"string\" WIDTH=\"1\"/>"
           "<FIELD attrname=\"proxy_ip\" fieldtype=\"string\" WIDTH=\"15\"/>"
           "<FIELD attrname=\"proxy_porta\" fieldtype=\"string\" WIDTH=\"5\"/>"
           "<FIELD attrname=\"proxy_user\" fieldtype=\"string\" WIDTH=\"64\"/>"
           "<FIELD attrname=\"proxy_senha\" fieldtype=\"string\" WIDTH=\"64\"/>"
           "<FIELD attrname=\"CNPJContribuinte\" fieldtype=\"string\" WIDTH=\"14\"/>"
           "<FIELD attrname=\"uf\" fieldtype=\"string\" WIDTH=\"2\"/>"
           "<FIELD attrname=\"TipoCert\" fieldtype=\"i4\"/>"
           "<FIELD attrname=\"CSR\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\" WIDTH=\"1024\"/>"
           "<FIELD attrname=\"Assinatura\" fieldtype=\"string.uni\" WIDTH=\"688\"/>"
           "<FIELD attrname=\"CNPJSH\" fieldtype=\"string\" WIDTH=\"14\"/>";
}

// A packet in the 8-bit flavour (declaration without encoding) unless a
// declaration is given.
inline QByteArray packet(const QByteArray& params, const QByteArray& rows,
                         const QByteArray& fields = standardFields(),
                         const QByteArray& declaration = "<?xml version=\"1.0\" standalone=\"yes\"?>") {
    return declaration + "  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields + "</FIELDS>" + params +
           "</METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>\r\n";
}

} // namespace storetest
