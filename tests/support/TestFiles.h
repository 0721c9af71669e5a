#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace stellwick::test {

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// Octal permission bits of a file or folder, e.g. 0600.
unsigned permissionBits(const QString& path);

// A scratch folder removed with the object; `path("a/b")` names a file in it.
class ScratchFolder {
public:
    ScratchFolder();
    QString path(const QString& relative = {}) const;

private:
    QTemporaryDir m_dir;
};

} // namespace stellwick::test
