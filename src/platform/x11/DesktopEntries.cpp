#include "platform/x11/DesktopEntries.h"

#include "platform/linux/DesktopEntry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace stellwick::x11 {
namespace {

// Modification times are coarse (a clock tick): the number of entries tells
// an addition made within the same tick.
std::pair<QDateTime, qsizetype> fingerprint(const QString& folder) {
    return {QFileInfo(folder).lastModified(), QDir(folder).count()};
}

} // namespace

QString DesktopEntry::localizedName(const QStringList& locales) const {
    for (const QString& locale : locales) {
        auto it = localizedNames.constFind(locale);
        if (it != localizedNames.constEnd() && !it->isEmpty())
            return *it;
    }
    return name;
}

QStringList messageLocales(const QString& value) {
    QString locale = value;
    if (locale.isEmpty() || locale == QLatin1String("C") || locale == QLatin1String("POSIX"))
        return {};
    QString modifier;
    if (const qsizetype at = locale.indexOf(QLatin1Char('@')); at >= 0) {
        modifier = locale.mid(at + 1);
        locale.truncate(at);
    }
    if (const qsizetype dot = locale.indexOf(QLatin1Char('.')); dot >= 0)
        locale.truncate(dot);
    const qsizetype underscore = locale.indexOf(QLatin1Char('_'));
    const QString language = underscore >= 0 ? locale.left(underscore) : locale;
    QStringList out;
    if (underscore >= 0) {
        if (!modifier.isEmpty())
            out << locale + QLatin1Char('@') + modifier;
        out << locale;
    }
    if (!modifier.isEmpty())
        out << language + QLatin1Char('@') + modifier;
    out << language;
    return out;
}

QStringList messageLocales() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return messageLocales(value);
    }
    return {};
}

QStringList defaultDataDirectories() {
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QLatin1String("/.local/share");
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    QStringList out{home};
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (!out.contains(dir))
            out << dir;
    }
    return out;
}

std::optional<DesktopEntry> readDesktopEntry(const QString& path, const QString& id, bool* hidden) {
    if (hidden)
        *hidden = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QHash<QString, QString> group = linux_platform::readDesktopEntryGroup(file.readAll());
    if (linux_platform::desktopEntryBoolean(group.value(QStringLiteral("Hidden"))).value_or(false)) {
        if (hidden)
            *hidden = true;
        return std::nullopt;
    }
    DesktopEntry entry;
    entry.id = id;
    entry.name = group.value(QStringLiteral("Name"));
    entry.icon = group.value(QStringLiteral("Icon"));
    entry.startupWmClass = group.value(QStringLiteral("StartupWMClass"));
    for (auto it = group.constBegin(); it != group.constEnd(); ++it) {
        const QString& key = it.key();
        if (key.startsWith(QLatin1String("Name[")) && key.endsWith(QLatin1Char(']')))
            entry.localizedNames.insert(key.mid(5, key.size() - 6), it.value());
    }
    if (group.value(QStringLiteral("Type")) != QLatin1String("Application") || entry.name.isEmpty())
        return std::nullopt;
    return entry;
}

DesktopEntryIndex::DesktopEntryIndex(QStringList dataDirectories)
    : m_dataDirectories(std::move(dataDirectories)) {}

QStringList DesktopEntryIndex::applicationFolders() const {
    QStringList folders;
    for (const QString& dir : m_dataDirectories)
        folders << dir + QLatin1String("/applications");
    return folders;
}

void DesktopEntryIndex::refresh() {
    // Folders and their sub-folders: an entry added or removed changes its
    // folder's modification time.
    std::map<QString, std::pair<QDateTime, qsizetype>> current;
    for (const QString& folder : applicationFolders()) {
        if (!QFileInfo(folder).isDir())
            continue;
        current[folder] = fingerprint(folder);
        QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString sub = it.next();
            current[sub] = fingerprint(sub);
        }
    }
    if (m_hasScanned && current == m_scanned)
        return;
    m_hasScanned = true;
    m_scanned = current;
    m_entries.clear();
    QSet<QString> seen; // ids decided by a folder of higher precedence
    for (const QString& folder : applicationFolders()) {
        if (!QFileInfo(folder).isDir())
            continue;
        const QDir base(folder);
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = base.relativeFilePath(path);
            id.chop(8); // ".desktop"
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seen.contains(id))
                continue;
            seen.insert(id);
            if (auto entry = readDesktopEntry(path, id))
                m_entries[id] = *entry;
        }
    }
}

void DesktopEntryIndex::scanOnce() {
    if (!m_hasScanned)
        refresh();
}

std::optional<DesktopEntry> DesktopEntryIndex::byId(const QString& id) {
    scanOnce();
    auto it = m_entries.find(id);
    return it == m_entries.end() ? std::nullopt : std::optional(it->second);
}

std::optional<DesktopEntry> DesktopEntryIndex::forWmClass(const WmClass& wmClass) {
    scanOnce();
    QStringList names;
    for (const QString& name : {wmClass.className, wmClass.instance}) {
        if (!name.isEmpty())
            names << name;
    }
    if (names.isEmpty())
        return std::nullopt;
    for (const QString& name : names) {
        for (const auto& [id, entry] : m_entries) {
            if (entry.startupWmClass == name)
                return entry;
        }
    }
    for (const QString& name : names) {
        for (const auto& [id, entry] : m_entries) {
            if (id.compare(name, Qt::CaseInsensitive) == 0)
                return entry;
        }
    }
    for (const QString& name : names) {
        for (const auto& [id, entry] : m_entries) {
            // The last part of the id, without a copy: this runs for every window listed.
            const QStringView last = QStringView(id).mid(id.lastIndexOf(QLatin1Char('.')) + 1);
            if (last.compare(name, Qt::CaseInsensitive) == 0)
                return entry;
        }
    }
    return std::nullopt;
}

} // namespace stellwick::x11
