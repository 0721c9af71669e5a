#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace stellwick::test {

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Octal permission bits of a file or folder, e.g. 0600.
inline unsigned permissionBits(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A scratch folder removed with the object; `path("a/b")` names a file in it.
class ScratchFolder {
public:
    ScratchFolder() {
        if (!m_dir.isValid())
            qFatal("cannot create a temporary folder");
    }
    QString path(const QString& relative = {}) const {
        return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace stellwick::test
