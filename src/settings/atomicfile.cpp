#include "settings/atomicfile.h"

#include <QSaveFile>

namespace settings {

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* reason) {
    QSaveFile file(path);
    auto fail = [&file, reason](const QString& why) {
        if (reason != nullptr)
            *reason = why;
        if (file.isOpen())
            file.cancelWriting();
        return false;
    };
    // Unbuffered, so that a short write shows in write()'s count: QSaveFile's
    // commit() does not notice when the flush of its own buffer falls short
    // (full disk, file size limit) and would rename a truncated file into place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        return fail(file.error() != QFileDevice::NoError && written < 0
                        ? file.errorString()
                        : QStringLiteral("o disco não aceitou todos os dados (espaço esgotado?)"));
    }
    if (!file.flush())
        return fail(file.errorString());
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace settings
