#pragma once

#include <QStringView>

// The fields of the parameter store's record (Parametros.xml), by the names the file
// gives them, in its column order. Code names a field through these, never by a text of
// its own; the store matches names without regard to case.
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
