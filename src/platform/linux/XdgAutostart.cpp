#include "platform/linux/XdgAutostart.h"

#include "BuildInfo.h"
#include "model/AtomicFile.h"
#include "platform/PlatformError.h"
#include "platform/linux/DesktopEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

namespace stellwick::linux_platform {
namespace {

PlatformError writeError(const QString& path, const QString& reason) {
    return PlatformError(QStringLiteral("自動起動の設定 %1 を書き込めませんでした: %2").arg(path, reason));
}

void createFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (error)
        throw PlatformError(QStringLiteral("自動起動フォルダー %1 を作成できませんでした: %2")
                                .arg(folder, QString::fromLocal8Bit(error.message())));
    if (!QFileInfo(folder).isDir())
        throw PlatformError(
            QStringLiteral("自動起動フォルダー %1 を作成できませんでした: フォルダーではありません")
                .arg(folder));
}

} // namespace

XdgAutostartLoginItems::XdgAutostartLoginItems(QString autostartFolder, QString executablePath)
    : m_folder(std::move(autostartFolder))
    , m_executablePath(std::move(executablePath)) {}

XdgAutostartLoginItems::XdgAutostartLoginItems()
    : XdgAutostartLoginItems(defaultAutostartFolder(), QCoreApplication::applicationFilePath()) {}

QString XdgAutostartLoginItems::defaultAutostartFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString XdgAutostartLoginItems::entryPath() const {
    return m_folder + QLatin1Char('/') + QLatin1String(build::appId) + QStringLiteral(".desktop");
}

LoginItemStatus XdgAutostartLoginItems::status() const {
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return LoginItemStatus::notRegistered;
    const QHash<QString, QString> entry = readDesktopEntryGroup(file.readAll());
    const bool hidden = desktopEntryBoolean(entry.value(QStringLiteral("Hidden"))) == true;
    const bool switchedOff =
        desktopEntryBoolean(entry.value(QStringLiteral("X-GNOME-Autostart-enabled"))) == false;
    return hidden || switchedOff ? LoginItemStatus::notRegistered : LoginItemStatus::enabled;
}

QString XdgAutostartLoginItems::execLine() const {
    return QStringLiteral("Exec=") + escapeValue(execCommandLine({m_executablePath, quietStartOption}));
}

QByteArray XdgAutostartLoginItems::entryContents() const {
    const QStringList lines{
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=Stellwick"),
        QStringLiteral("Comment=ログイン時にウィンドウの配置を復元します"),
        execLine(),
        QStringLiteral("Icon=") + QLatin1String(build::appId),
        QStringLiteral("Terminal=false"),
        QStringLiteral("X-GNOME-Autostart-enabled=true"),
    };
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

void XdgAutostartLoginItems::registerItem() {
    if (!QFileInfo(m_executablePath).isAbsolute())
        throw PlatformError(QStringLiteral("自動起動に登録するプログラムの場所が分かりません。"));
    createFolder(m_folder);

    const QString path = entryPath();
    if (const std::optional<QString> reason = writeFileAtomically(path, entryContents()))
        throw writeError(path, *reason);
}

void XdgAutostartLoginItems::unregisterItem() {
    const QString path = entryPath();
    QFile file(path);
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
        return;
    if (!file.remove())
        throw PlatformError(
            QStringLiteral("自動起動の設定 %1 を削除できませんでした: %2").arg(path, file.errorString()));
}

void XdgAutostartLoginItems::addQuietStartOption() {
    const QString path = entryPath();
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray contents = file.readAll();
    file.close();
    const QString oldExec = execCommandLine({m_executablePath});
    if (readDesktopEntryGroup(contents).value(QStringLiteral("Exec")) != oldExec)
        return;

    // Only the main group's Exec line changes; comments, other keys and
    // other groups stay byte for byte.
    QList<QByteArray> lines = contents.split('\n');
    bool inMainGroup = false;
    for (QByteArray& line : lines) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('['))
            inMainGroup = trimmed == "[Desktop Entry]";
        else if (inMainGroup && trimmed.startsWith("Exec") && trimmed.mid(4).trimmed().startsWith('='))
            line = execLine().toUtf8();
    }
    (void)writeFileAtomically(path, lines.join('\n'));
}

} // namespace stellwick::linux_platform
