#include "platform/x11/Processes.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <cerrno>
#include <csignal>

namespace stellwick::x11 {

bool processExists(std::int32_t pid) {
    if (pid <= 0)
        return false;
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

std::optional<std::uint64_t> processStartTime(std::int32_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = stat.readAll();
    // The command name may hold spaces and parentheses: fields count from
    // the last ')'. starttime is field 22; after ')' come fields 3, 4, ...
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    if (fields.size() < 20)
        return std::nullopt;
    bool ok = false;
    const std::uint64_t ticks = fields.at(19).toULongLong(&ok);
    return ok ? std::optional(ticks) : std::nullopt;
}

} // namespace stellwick::x11
