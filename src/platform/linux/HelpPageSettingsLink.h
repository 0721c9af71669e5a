#pragma once

#include "platform/SettingsLink.h"

#include <QStringList>
#include <functional>

namespace stellwick::linux_platform {

// On Linux there is no permission to grant: window access needs an X11 session
// with an EWMH window manager. The link leads to the help page that explains
// this, shipped with the application, opened in the user's browser.
class HelpPageSettingsLink final : public SettingsLink {
public:
    using Opener = std::function<bool(const QUrl&)>;

    // Looks for "stellwick/help/window-access.html" in each data folder in
    // turn; `opener` hands a link to the desktop.
    HelpPageSettingsLink(QStringList dataFolders, Opener opener);
    // The default folders, opened through QDesktopServices.
    HelpPageSettingsLink();

    // Beside the program (<prefix>/bin/../share, also build/app/../share in the
    // build tree), the configured install prefix, the XDG data folders, and the
    // build tree's copy.
    static QStringList defaultDataFolders();
    static QString relativePagePath();

    std::optional<QUrl> accessibilitySettingsURL() const override;
    bool open(const QUrl& url) override;

private:
    QStringList m_dataFolders;
    Opener m_opener;
};

} // namespace stellwick::linux_platform
