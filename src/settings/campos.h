#pragma once

#include <QByteArray>
#include <QStringView>

// The fields of the parameter store's record (Parametros.xml), by the names the file
// gives them, in its column order, and the one table of their columns. Code names a
// field through these, never by a text of its own; the store matches names without
// regard to case.
namespace settings::campo {

inline constexpr QStringView tipoInter = u"tipoInter";
inline constexpr QStringView SSID = u"SSID";
inline constexpr QStringView seg = u"seg";
inline constexpr QStringView codigo = u"codigo";
inline constexpr QStringView tipoLan = u"tipoLan";
inline constexpr QStringView lanIP = u"lanIP";
inline constexpr QStringView lanMask = u"lanMask";
inline constexpr QStringView lanGW = u"lanGW";
inline constexpr QStringView lanDNS1 = u"lanDNS1";
inline constexpr QStringView lanDNS2 = u"lanDNS2";
inline constexpr QStringView usuario = u"usuario";
inline constexpr QStringView senha = u"senha";
inline constexpr QStringView proxy = u"proxy";
inline constexpr QStringView proxy_ip = u"proxy_ip";
inline constexpr QStringView proxy_porta = u"proxy_porta";
inline constexpr QStringView proxy_user = u"proxy_user";
inline constexpr QStringView proxy_senha = u"proxy_senha";
inline constexpr QStringView CNPJContribuinte = u"CNPJContribuinte";
inline constexpr QStringView uf = u"uf";
inline constexpr QStringView TipoCert = u"TipoCert";
inline constexpr QStringView CSR = u"CSR";
inline constexpr QStringView Assinatura = u"Assinatura";
inline constexpr QStringView CNPJSH = u"CNPJSH";

} // namespace settings::campo

namespace settings {

// The 23 columns of the record, in file order, declared as the default packet
// declares them.
struct StandardColumn {
    QStringView name;
    QStringView type;
    QStringView subtype;
    int declaredWidth; // the WIDTH attribute; 0 when the type has none
};

inline constexpr StandardColumn kStandardColumns[] = {
    {campo::tipoInter, u"string", {}, 4},    {campo::SSID, u"string", {}, 32},
    {campo::seg, u"string", {}, 8},          {campo::codigo, u"string", {}, 64},
    {campo::tipoLan, u"string", {}, 8},      {campo::lanIP, u"string", {}, 15},
    {campo::lanMask, u"string", {}, 15},     {campo::lanGW, u"string", {}, 15},
    {campo::lanDNS1, u"string", {}, 15},     {campo::lanDNS2, u"string", {}, 15},
    {campo::usuario, u"string", {}, 64},     {campo::senha, u"string", {}, 64},
    {campo::proxy, u"string", {}, 1},        {campo::proxy_ip, u"string", {}, 15},
    {campo::proxy_porta, u"string", {}, 5},  {campo::proxy_user, u"string", {}, 64},
    {campo::proxy_senha, u"string", {}, 64}, {campo::CNPJContribuinte, u"string", {}, 14},
    {campo::uf, u"string", {}, 2},           {campo::TipoCert, u"i4", {}, 0},
    {campo::CSR, u"bin.hex", u"Text", 1024}, {campo::Assinatura, u"string.uni", {}, 688},
    {campo::CNPJSH, u"string", {}, 14},
};

// The FIELD elements of those columns as the default Parametros.xml declares them: the
// start-up check writes them, the store adds any that a file lacks.
inline QByteArray standardFieldsXml() {
    QByteArray xml;
    for (const StandardColumn& column : kStandardColumns) {
        xml += "<FIELD attrname=\"" + column.name.toLatin1() + "\" fieldtype=\"" + column.type.toLatin1() + '"';
        if (!column.subtype.isEmpty())
            xml += " SUBTYPE=\"" + column.subtype.toLatin1() + '"';
        if (column.declaredWidth > 0)
            xml += " WIDTH=\"" + QByteArray::number(column.declaredWidth) + '"';
        xml += "/>";
    }
    return xml;
}

} // namespace settings
