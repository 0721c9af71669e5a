#pragma once

// X11 backend only: the installed applications' desktop entries.

#include "platform/x11/WindowProperties.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>

namespace stellwick::x11 {

struct DesktopEntry {
    QString id;   // the desktop-file id without ".desktop", e.g. "org.gnome.Calculator"
    QString name; // Name
    QMap<QString, QString> localizedNames; // Name[locale]
    QString icon;
    QString startupWmClass;

    // Name in the first of `locales` that has one, else Name.
    QString localizedName(const QStringList& locales) const;
};

// The locales to look names up in, most specific first, from LC_ALL,
// LC_MESSAGES or LANG: "ja_JP.UTF-8@x" gives ja_JP@x, ja_JP, ja@x, ja.
QStringList messageLocales();
QStringList messageLocales(const QString& value);

// $XDG_DATA_HOME and $XDG_DATA_DIRS (with their defaults), in precedence order.
QStringList defaultDataDirectories();

// Application entries under each data directory's "applications" folder. Ids
// follow the desktop-entry rules (sub-folders joined with "-"); the first data
// directory that has an id wins; hidden entries hide that id. Scanned on first
// use; refresh() scans again when a folder changed (entries added, removed or
// replaced), so one call per query keeps it current at the cost of a few stats.
class DesktopEntryIndex {
public:
    explicit DesktopEntryIndex(QStringList dataDirectories = defaultDataDirectories());

    void refresh();

    std::optional<DesktopEntry> byId(const QString& id);
    // The entry a window of that class belongs to: StartupWMClass equal to the
    // class or instance; else an id equal to either (ignoring case); else an id
    // whose last dot-separated part equals either (ignoring case).
    std::optional<DesktopEntry> forWmClass(const WmClass& wmClass);

private:
    void scanOnce();
    QStringList applicationFolders() const;

    QStringList m_dataDirectories;
    std::map<QString, DesktopEntry> m_entries; // by id, sorted
    // Folder -> modification time and number of entries at the scan.
    std::map<QString, std::pair<QDateTime, qsizetype>> m_scanned;
    bool m_hasScanned = false;
};

// Reads one desktop entry file; none when it is not a visible application entry.
std::optional<DesktopEntry> readDesktopEntry(const QString& path, const QString& id, bool* hidden = nullptr);

} // namespace stellwick::x11
