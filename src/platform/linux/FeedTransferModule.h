#pragma once

#include "platform/linux/FeedTransfer.h"

#include <QStringList>
#include <variant>

namespace stellwick::linux_platform {

// Finds and loads the module that downloads the release feed.
class FeedTransferModule {
public:
    // A new transfer owned by `parent`, or why the module could not be loaded.
    static std::variant<FeedTransfer*, QString> create(QObject* parent);

    // Where the module is looked for by a program in `programFolder`, first
    // match wins: beside the installed program, the configured install
    // location, and the build tree only when the program runs from it. Never
    // the working directory or a search path.
    static QStringList candidatePaths(const QString& programFolder);

    static QString fileName() { return QStringLiteral("stellwick-network.so"); }
};

} // namespace stellwick::linux_platform
