#pragma once

#include <QByteArray>

// A Windows DLL's first bytes: the MZ stub pointing at a PE header for `maquina`
// (0x014c x86, 0x8664 x86-64, ...). Enough for whoever reads a library's header.
inline QByteArray cabecalhoPe(quint16 maquina) {
    QByteArray b(0x100, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    b[0x3c] = char(0x80);
    b.replace(0x80, 4, QByteArray("PE\0\0", 4));
    b[0x84] = char(maquina & 0xff);
    b[0x85] = char(maquina >> 8);
    return b;
}
