#include "ui/Symbols.h"

#include "ui/SymbolArt.h"

#include <QHash>

namespace stellwick {

namespace {

// Icon-theme names from the freedesktop naming specification first, then the
// names common themes add, for each symbol the interface uses.
const QHash<QString, QStringList>& themeNames() {
    static const QHash<QString, QStringList> names{
        {QStringLiteral("app.fill"), {QStringLiteral("application-x-executable")}},
        {QStringLiteral("arrow.clockwise"), {QStringLiteral("view-refresh")}},
        {QStringLiteral("arrow.triangle.2.circlepath"),
         {QStringLiteral("system-software-update"), QStringLiteral("view-refresh")}},
        {QStringLiteral("checkmark"), {QStringLiteral("object-select"), QStringLiteral("dialog-ok")}},
        {QStringLiteral("checkmark.circle.fill"),
         {QStringLiteral("emblem-ok"), QStringLiteral("emblem-default")}},
        {QStringLiteral("chevron.down"), {QStringLiteral("pan-down"), QStringLiteral("go-down")}},
        {QStringLiteral("chevron.right"), {QStringLiteral("pan-end"), QStringLiteral("go-next")}},
        {QStringLiteral("display"), {QStringLiteral("video-display")}},
        {QStringLiteral("exclamationmark.circle.fill"),
         {QStringLiteral("dialog-warning"), QStringLiteral("emblem-important")}},
        {QStringLiteral("exclamationmark.triangle.fill"), {QStringLiteral("dialog-warning")}},
        {QStringLiteral("info.circle.fill"), {QStringLiteral("dialog-information")}},
        {QStringLiteral("minus"), {QStringLiteral("list-remove")}},
        {QStringLiteral("pencil"), {QStringLiteral("document-edit"), QStringLiteral("edit-rename")}},
        {QStringLiteral("plus"), {QStringLiteral("list-add")}},
        {QStringLiteral("power"), {QStringLiteral("application-exit"), QStringLiteral("system-shutdown")}},
        {QStringLiteral("rectangle.3.group"), {QStringLiteral("view-grid"), QStringLiteral("view-app-grid")}},
        {QStringLiteral("rectangle.stack.badge.plus"),
         {QStringLiteral("document-new"), QStringLiteral("list-add")}},
        {QStringLiteral("slider.horizontal.3"),
         {QStringLiteral("preferences-system"), QStringLiteral("configure")}},
        {QStringLiteral("xmark.circle.fill"), {QStringLiteral("dialog-error")}},
    };
    return names;
}

QIcon themeIcon(QStringView name) {
    const auto found = themeNames().constFind(name.toString());
    if (found == themeNames().cend())
        return {};
    for (const QString& themeName : *found) {
        if (QIcon::hasThemeIcon(themeName))
            return QIcon::fromTheme(themeName);
    }
    return {};
}

} // namespace

QIcon symbolIcon(QStringView name) {
    if (!themeNames().contains(name.toString()))
        return {};
    const QIcon fromTheme = themeIcon(name);
    return fromTheme.isNull() ? bundledSymbolIcon(name) : fromTheme;
}

QIcon tintedSymbolIcon(QStringView name, const QColor& tint) {
    const QIcon fromTheme = themeIcon(name);
    return fromTheme.isNull() ? bundledSymbolIcon(name, tint) : fromTheme;
}

} // namespace stellwick
