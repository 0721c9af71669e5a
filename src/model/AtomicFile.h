#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace stellwick {

// Replaces the file at `path` with `bytes` through a temporary file in the same
// folder, so that a reader or a crash sees the old file or the new one, never
// a mix. Every write is checked (a short write could otherwise commit a
// truncated file), the data is synced before the rename and the folder after
// it. With `permissions` the new file gets exactly those mode bits, else those
// of the file it replaces (0666 less the umask for a new one). Returns the
// reason on failure; the previous file is then as it was.
//
// The temporary has no name until its data is on disk (where the file system
// allows); a process killed in the instant between naming and renaming leaves
// ".<name>.stellwick-XXXXXX" behind, which removeStaleTemporaries() takes away.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes,
                                           std::optional<unsigned> permissions = std::nullopt);

// Removes the temporaries that writes of `path` left behind when their process
// was killed. Returns how many were removed.
int removeStaleTemporaries(const QString& path);

} // namespace stellwick
