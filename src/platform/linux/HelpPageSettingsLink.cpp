#include "platform/linux/HelpPageSettingsLink.h"

#include "BuildInfo.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace stellwick::linux_platform {

HelpPageSettingsLink::HelpPageSettingsLink(QStringList dataFolders, Opener opener)
    : m_dataFolders(std::move(dataFolders))
    , m_opener(std::move(opener)) {}

HelpPageSettingsLink::HelpPageSettingsLink()
    : HelpPageSettingsLink(defaultDataFolders(),
                           [](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

QStringList HelpPageSettingsLink::defaultDataFolders() {
    QStringList folders;
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!programFolder.isEmpty())
        folders << QDir::cleanPath(programFolder + QStringLiteral("/../share"));
    folders << QString::fromUtf8(build::installDataDir);
    folders << QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    folders << QString::fromUtf8(build::buildDataDir);
    folders.removeDuplicates();
    return folders;
}

QString HelpPageSettingsLink::relativePagePath() {
    return QStringLiteral("stellwick/help/window-access.html");
}

std::optional<QUrl> HelpPageSettingsLink::accessibilitySettingsURL() const {
    for (const QString& folder : m_dataFolders) {
        if (folder.isEmpty())
            continue;
        const QFileInfo page(QDir(folder).filePath(relativePagePath()));
        if (page.isFile() && page.isReadable())
            return QUrl::fromLocalFile(page.absoluteFilePath());
    }
    return std::nullopt;
}

bool HelpPageSettingsLink::open(const QUrl& url) {
    return m_opener(url);
}

} // namespace stellwick::linux_platform
