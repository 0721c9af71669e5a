#include "model/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stellwick {
namespace {

// Makes the rename durable: without it a power cut can lose the new name.
void syncFolder(const QString& folder) {
    const QByteArray native = QFile::encodeName(folder);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes,
                                           std::optional<unsigned> permissions) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (permissions && ::fchmod(file.handle(), static_cast<mode_t>(*permissions)) != 0) {
        const QString error = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        return error;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    syncFolder(QFileInfo(path).absolutePath());
    return std::nullopt;
}

} // namespace stellwick
