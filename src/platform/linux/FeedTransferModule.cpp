#include "platform/linux/FeedTransferModule.h"

#include "BuildInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace stellwick::linux_platform {

QStringList FeedTransferModule::candidatePaths(const QString& programFolder) {
    QStringList folders;
    if (!programFolder.isEmpty())
        folders << QDir::cleanPath(programFolder + QStringLiteral("/") +
                                   QString::fromUtf8(build::moduleDirFromProgram));
    folders << QString::fromUtf8(build::installModuleDir);
    // Only a program inside the build tree may load from it.
    const QString buildTree = QDir::cleanPath(QString::fromUtf8(build::buildRootDir));
    if (!programFolder.isEmpty() && QDir::cleanPath(programFolder).startsWith(buildTree + QLatin1Char('/')))
        folders << QString::fromUtf8(build::buildModuleDir);
    folders.removeDuplicates();

    QStringList paths;
    for (const QString& folder : folders)
        paths << QDir(folder).filePath(fileName());
    return paths;
}

std::variant<FeedTransfer*, QString> FeedTransferModule::create(QObject* parent) {
    for (const QString& path : candidatePaths(QCoreApplication::applicationDirPath())) {
        if (!QFileInfo(path).isFile())
            continue;
        // Loaded once and never unloaded: objects it made may outlive any one check.
        QLibrary module(path);
        if (!module.load())
            return module.errorString();
        const auto create = reinterpret_cast<CreateFeedTransfer>(module.resolve(createFeedTransferSymbol));
        if (!create)
            return module.errorString();
        return create(parent);
    }
    return QStringLiteral("%1 が見つかりません").arg(fileName());
}

} // namespace stellwick::linux_platform
