#pragma once

#include "model/Date.h"

#include <QString>
#include <QUuid>
#include <cstdint>
#include <optional>

namespace stellwick {

enum class AppStatusKind { information, success, warning, error };

// The one status line the controller publishes: never persisted.
struct AppStatus {
    AppStatusKind kind = AppStatusKind::information;
    QString title;
    std::optional<QString> detail;
    Date timestamp;

    // The title alone, or title + ": " + detail (an empty detail still counts).
    QString oneLine() const { return detail ? title + QStringLiteral(": ") + *detail : title; }

    bool operator==(const AppStatus&) const = default;
};

// The outcome of one application of a profile.
struct RestoreResult {
    QUuid id;
    QString profileName;
    std::int64_t arrangedWindowCount = 0;
    std::int64_t skippedCount = 0;

    bool operator==(const RestoreResult&) const = default;
};

} // namespace stellwick
