#pragma once

#include <QByteArray>
#include <QString>

namespace settings {

// Replaces the file at path by bytes, all or nothing: the bytes go to a
// temporary file beside it, which is flushed to disk and only then renamed over
// the target. On failure the target is as it was, no temporary file is left,
// and *reason (when given) says why, for a message to the user.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

} // namespace settings
