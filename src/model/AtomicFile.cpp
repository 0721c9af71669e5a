#include "model/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stellwick {
namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// ".profiles.json.stellwick-": never the name of anything but our temporaries.
QByteArray temporaryPrefix(const QByteArray& fileName) {
    return '.' + fileName + ".stellwick-";
}

QByteArray temporaryPath(const QByteArray& folder, const QByteArray& fileName) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = temporaryPrefix(fileName);
    for (int i = 0; i < 8; ++i)
        name += alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))];
    return folder + '/' + name;
}

// Makes the rename durable: without it a power cut can lose the new name.
void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, std::size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        p += written;
        left -= written;
    }
    return true;
}

mode_t modeFor(const QByteArray& path, std::optional<unsigned> permissions) {
    if (permissions)
        return mode_t(*permissions);
    struct stat existing {};
    if (::stat(path.constData(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// An open temporary in `folder`: unnamed (O_TMPFILE) where the file system
// allows, else under a temporary name.
struct Temporary {
    int fd = -1;
    QByteArray name; // empty while unnamed
};

Temporary openTemporary(const QByteArray& folder, const QByteArray& fileName) {
    Temporary temporary;
    temporary.fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (temporary.fd >= 0)
        return temporary;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary.name = temporaryPath(folder, fileName);
        temporary.fd = ::open(temporary.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (temporary.fd >= 0 || errno != EEXIST)
            break;
    }
    return temporary;
}

// Gives an unnamed temporary its name, once its data is on disk.
bool nameTemporary(Temporary& temporary, const QByteArray& folder, const QByteArray& fileName) {
    if (!temporary.name.isEmpty())
        return true;
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(temporary.fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryPath(folder, fileName);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0) {
            temporary.name = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

} // namespace

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes,
                                           std::optional<unsigned> permissions) {
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray fileName = QFile::encodeName(info.fileName());

    Temporary temporary = openTemporary(folder, fileName);
    if (temporary.fd < 0)
        return systemError(errno);
    const auto fail = [&](int code) {
        ::close(temporary.fd);
        if (!temporary.name.isEmpty())
            ::unlink(temporary.name.constData());
        return std::optional(systemError(code));
    };
    if (::fchmod(temporary.fd, modeFor(target, permissions)) != 0 || !writeAll(temporary.fd, bytes) ||
        ::fdatasync(temporary.fd) != 0 || !nameTemporary(temporary, folder, fileName))
        return fail(errno);
    if (::close(temporary.fd) != 0) {
        const int code = errno;
        ::unlink(temporary.name.constData());
        return systemError(code);
    }
    if (::rename(temporary.name.constData(), target.constData()) != 0) {
        const int code = errno;
        ::unlink(temporary.name.constData());
        return systemError(code);
    }
    syncFolder(folder);
    return std::nullopt;
}

int removeStaleTemporaries(const QString& path) {
    const QFileInfo info(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray prefix = temporaryPrefix(QFile::encodeName(info.fileName()));
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.constData(), std::size_t(prefix.size())) != 0)
            continue;
        struct stat status {};
        if (::fstatat(dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && ::unlinkat(dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace stellwick
