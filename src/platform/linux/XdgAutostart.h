#pragma once

#include "platform/LoginItems.h"

#include <QString>

namespace stellwick::linux_platform {

// Starting at login through the XDG autostart folder: our entry is
// "<autostart folder>/<app id>.desktop". It counts as enabled while it exists
// and neither Hidden=true nor X-GNOME-Autostart-enabled=false turns it off.
// Approval is never asked for on these desktops.
class XdgAutostartLoginItems final : public LoginItems {
public:
    // `executablePath` is what the entry starts: an absolute path.
    XdgAutostartLoginItems(QString autostartFolder, QString executablePath);
    // The user's autostart folder and this running program.
    XdgAutostartLoginItems();

    // $XDG_CONFIG_HOME/autostart, ~/.config/autostart when unset.
    static QString defaultAutostartFolder();

    QString entryPath() const;

    LoginItemStatus status() const override;
    // Writes the entry atomically, creating the folder when missing.
    void registerItem() override;
    // Removes the entry; nothing to do when there is none.
    void unregisterItem() override;

    // What the entry passes so that a start at login opens no window.
    static inline const QString quietStartOption = QStringLiteral("--background");
    // Entries written before that option existed start this very program with
    // no arguments: gives such an entry the option, changing nothing else.
    // Any other entry (another program, edited arguments, a link) is left as
    // it is. Best effort: a failure leaves the entry untouched.
    void addQuietStartOption();

private:
    QByteArray entryContents() const;
    QString execLine() const;

    QString m_folder;
    QString m_executablePath;
};

} // namespace stellwick::linux_platform
