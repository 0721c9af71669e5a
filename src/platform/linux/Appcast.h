#pragma once

#include "platform/linux/VersionNumber.h"

#include <QByteArray>
#include <QUrl>
#include <optional>

namespace stellwick::linux_platform {

// The XML namespace of the release feed's own elements.
inline constexpr const char* appcastNamespace = "https://stellwick.org/xmlns/appcast";

// One release of the feed.
struct AppcastItem {
    VersionNumber version;
    QString title;
    // Empty when the feed gave none, or one that is not safe to open.
    QUrl releaseNotesURL;
    QUrl downloadURL;
};

// The release feed: RSS 2.0 whose items carry
//   <title>Stellwick 1.2</title>
//   <sw:version>1.2</sw:version>            (xmlns:sw = appcastNamespace)
//   <link>https://…/release-notes/1.2</link>
//   <enclosure url="https://…/stellwick-1.2.tar.gz" … />
// Items without a readable version are passed over.
struct AppcastReading {
    // The item with the highest version; none when the feed lists no release.
    std::optional<AppcastItem> newest;
    // Why the feed could not be used; set only when `newest` is none.
    std::optional<QString> error;
};

AppcastReading readAppcast(const QByteArray& xml);

// Whether a feed or a link from it may be used: HTTPS, or plain HTTP to this
// machine only (a local test server).
bool isSecureUpdateURL(const QUrl& url);

} // namespace stellwick::linux_platform
