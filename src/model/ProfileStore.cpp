#include "model/ProfileStore.h"

#include "BuildInfo.h"
#include "model/AtomicFile.h"
#include "model/LayoutJson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace stellwick {
namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// mkdir -p, giving every folder it creates mode 0700: the file names the
// applications the user runs, which is nobody else's business.
std::optional<QString> createPrivateFolder(const QString& path) {
    QStringList missing;
    QString current = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!QFileInfo::exists(current)) {
        missing.prepend(current);
        const QString parent = QFileInfo(current).path();
        if (parent == current)
            break;
        current = parent;
    }
    if (QFileInfo::exists(current) && !QFileInfo(current).isDir())
        return QStringLiteral("%1: %2").arg(current, systemError(ENOTDIR));
    for (const QString& folder : missing) {
        const QByteArray native = QFile::encodeName(folder);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            return QStringLiteral("%1: %2").arg(folder, systemError(errno));
    }
    return std::nullopt;
}

} // namespace

QString ProfileStore::defaultFilePath() {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return dataHome + QLatin1Char('/') + QLatin1String(build::appId) + QStringLiteral("/profiles.json");
}

ProfileStore::ProfileStore(QString filePath)
    : m_filePath(std::move(filePath)) {}

LoadResult ProfileStore::load(Date now) const {
    const auto unusable = [&] {
        return LoadResult{StellwickState::initialState(now), settingsUnreadableWarning, false};
    };

    // A save killed mid-way may have left its temporary behind.
    removeStaleTemporaries(m_filePath);

    const QByteArray native = QFile::encodeName(m_filePath);
    struct stat status {};
    if (::lstat(native.constData(), &status) != 0) {
        // ENOTDIR: a file stands where a parent folder should; nothing is here either.
        if (errno == ENOENT || errno == ENOTDIR)
            return LoadResult{StellwickState::initialState(now), std::nullopt, true};
        return unusable(); // the path exists in some form but cannot be examined
    }

    if (S_ISDIR(status.st_mode))
        return unusable();
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return unusable();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unusable();

    return interpret(bytes, now);
}

LoadResult ProfileStore::interpret(const QByteArray& bytes, Date now) {
    std::optional<StellwickState> decoded = decodeState(bytes);
    if (!decoded || decoded->version != StellwickState::currentVersion || decoded->profiles.isEmpty() ||
        !decoded->selectedProfile())
        return LoadResult{StellwickState::initialState(now), settingsUnreadableWarning, false};
    return LoadResult{*decoded, std::nullopt, true};
}

std::optional<QString> ProfileStore::save(const StellwickState& state) const {
    const QFileInfo target(m_filePath);
    if (auto error = createPrivateFolder(target.absolutePath()))
        return error;

    const std::optional<QByteArray> bytes = encodeState(state);
    if (!bytes)
        return QStringLiteral("設定を書き出せませんでした（有限でない数値があります）。");

    if (const std::optional<QString> error = writeFileAtomically(m_filePath, *bytes, 0600))
        return QStringLiteral("%1: %2").arg(m_filePath, *error);
    return std::nullopt;
}

} // namespace stellwick
