#include "platform/x11/DesktopEntries.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace stellwick::x11 {
namespace {

QString unescape(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            out.append(QLatin1Char(' '));
            break;
        case 'n':
            out.append(QLatin1Char('\n'));
            break;
        case 't':
            out.append(QLatin1Char('\t'));
            break;
        case 'r':
            out.append(QLatin1Char('\r'));
            break;
        default:
            out.append(next);
        }
    }
    return out;
}

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
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    DesktopEntry entry;
    entry.id = id;
    bool inMainGroup = false;
    QString type;
    bool isHidden = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = unescape(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Type"))
            type = value;
        else if (key == QLatin1String("Name"))
            entry.name = value;
        else if (key.startsWith(QLatin1String("Name[")) && key.endsWith(QLatin1Char(']')))
            entry.localizedNames.insert(key.mid(5, key.size() - 6), value);
        else if (key == QLatin1String("Icon"))
            entry.icon = value;
        else if (key == QLatin1String("StartupWMClass"))
            entry.startupWmClass = value;
        else if (key == QLatin1String("Hidden"))
            isHidden = value == QLatin1String("true");
    }
    if (isHidden) {
        if (hidden)
            *hidden = true;
        return std::nullopt;
    }
    if (type != QLatin1String("Application") || entry.name.isEmpty())
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
            if (id.section(QLatin1Char('.'), -1).compare(name, Qt::CaseInsensitive) == 0)
                return entry;
        }
    }
    return std::nullopt;
}

} // namespace stellwick::x11
