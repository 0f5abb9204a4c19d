#pragma once

#include <QString>

#include <optional>

// Reads a text file the user chose (a signature kept in a file) in the 8-bit code
// page, line by line to its end, and joins the lines with nothing between them: the
// line breaks (LF, CR LF or a lone CR) are dropped and nothing else is removed.
// Nothing when the file cannot be opened or read.
std::optional<QString> LeArquivosCert(const QString& caminho);
