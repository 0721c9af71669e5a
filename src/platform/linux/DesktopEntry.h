#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// Writing and reading the few parts of the Desktop Entry format that an
// autostart entry needs.

namespace stellwick::linux_platform {

// One argument of an Exec value: quoted in double quotes when it holds a
// reserved character (with `"`, `` ` ``, `$` and `\` escaped inside), and
// with every `%` doubled so that no field code is seen in it.
QString quoteExecArgument(const QString& argument);

// The arguments, each quoted as needed, joined by single spaces.
QString execCommandLine(const QStringList& arguments);

// The string escapes of a value: `\\`, `\n`, `\t`, `\r`, and `\s` for a
// leading space, which a reader would otherwise trim.
QString escapeValue(const QString& value);
QString unescapeValue(const QString& value);

// The unescaped keys and values of the "[Desktop Entry]" group. Comments,
// blank lines and other groups are passed over; a later duplicate key wins.
QHash<QString, QString> readDesktopEntryGroup(const QByteArray& contents);

// A boolean value as readers of the format take it: "true" or "1", "false" or "0".
std::optional<bool> desktopEntryBoolean(const QString& value);

} // namespace stellwick::linux_platform
