#pragma once

#include <QUrl>
#include <optional>

namespace stellwick {

// The place that explains how to grant window access on this desktop.
class SettingsLink {
public:
    virtual ~SettingsLink() = default;

    // None when no such place can be named.
    virtual std::optional<QUrl> accessibilitySettingsURL() const = 0;
    // Hands the link to the desktop's opener; true when it was accepted.
    virtual bool open(const QUrl& url) = 0;
};

} // namespace stellwick
