#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace stellwick {

// Replaces the file at `path` with `bytes` through a temporary file in the same
// folder, so that a reader or a crash sees the old file or the new one, never
// a mix. Every write and the flush are checked (a short write could otherwise
// commit a truncated file) and the folder is synced after the rename. With
// `permissions` the new file gets exactly those mode bits. Returns the reason
// on failure; the previous file is then as it was.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes,
                                           std::optional<unsigned> permissions = std::nullopt);

} // namespace stellwick
