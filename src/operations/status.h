#pragma once

#include <optional>
#include <QByteArrayList>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// The operational status report: one line per status field, each value starting in
// column 21 of the fixed-pitch memo. Dates arrive as AAAAMMDDhhmmss or AAAAMMDD and
// are shown as DD/MM/AAAA - hh:mm:ss and DD/MM/AAAA, copied character by character.
// An operation state outside the five known ones, and fields past the 23 known ones,
// are shown as the device sent them rather than dropped.
QStringList relatorioStatus(const QByteArrayList& campos);

// One field of the status answer, named: as the device sent it (decoded) and as a
// program reads it best. Dates and times are ISO 8601 ("2026-12-10T14:57:25",
// "2031-12-10", null when the device sent none or zeros), the memory sizes a number of
// bytes, the operation state its name;
// a value of an unexpected shape stays the text it was. Fields past the 23 known ones
// are named CAMPO_n after their position in the answer.
struct CampoDoStatus {
    QString nome;
    QString texto;
    QVariant valor;
};
QList<CampoDoStatus> camposDoStatus(const QByteArrayList& campos);

// A size as devices write it ("4 GB", "11 KB", "512 MB", "1024") in bytes, with 1024
// to the kilobyte; nothing when it is not a size.
std::optional<qint64> bytesDoTamanho(const QString& tamanho);
