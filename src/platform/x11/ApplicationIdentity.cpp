#include "platform/x11/ApplicationIdentity.h"

namespace stellwick::x11 {
namespace {

// "org.kde.dolphin.desktop", "/usr/share/applications/org.kde.dolphin.desktop"
// and "org.kde.dolphin" all name the entry "org.kde.dolphin".
QString entryId(QString name) {
    name = name.trimmed();
    name = name.section(QLatin1Char('/'), -1);
    if (name.endsWith(QLatin1String(".desktop")))
        name.chop(8);
    return name;
}

ApplicationIdentity fromEntry(const QString& id, const std::optional<DesktopEntry>& entry,
                              const QString& fallbackName, const QStringList& locales) {
    ApplicationIdentity identity;
    identity.bundleIdentifier = id;
    identity.localizedName = entry ? entry->localizedName(locales) : fallbackName;
    identity.iconName = entry ? entry->icon : QString();
    return identity;
}

} // namespace

std::optional<ApplicationIdentity> identify(const IdentityHints& hints, DesktopEntryIndex& entries,
                                            const QStringList& locales) {
    const QString className =
        !hints.wmClass.className.isEmpty() ? hints.wmClass.className : hints.wmClass.instance;
    for (const QString& declared : {hints.gtkApplicationId, hints.kdeDesktopFile}) {
        const QString id = entryId(declared);
        if (!id.isEmpty())
            return fromEntry(id, entries.byId(id), className.isEmpty() ? id : className, locales);
    }
    if (auto entry = entries.forWmClass(hints.wmClass))
        return fromEntry(entry->id, entry, className, locales);
    if (!className.isEmpty())
        return fromEntry(className, std::nullopt, className, locales);
    return std::nullopt;
}

} // namespace stellwick::x11
