#pragma once

#include "model/Date.h"

#include <QList>
#include <QString>
#include <QUuid>
#include <cstdint>
#include <optional>

namespace stellwick {

// An area as fractions of a display's visible frame, top-left origin, y down.
// The whole visible frame is (0, 0, 1, 1).
struct NormalizedFrame {
    double x = 0;
    double y = 0;
    double width = 1;
    double height = 1;

    // Keeps a typed-in area inside the visible frame and at least 5 % of it in
    // each direction: x, y in [0, 0.95], width in [0.05, 1 - x], height in [0.05, 1 - y].
    NormalizedFrame clamped() const;
    // No NaN and no infinity: only such a frame can be clamped and saved.
    bool isFinite() const;

    bool operator==(const NormalizedFrame&) const = default;
};

// The display an area was recorded on, as the platform named it then.
struct DisplayReference {
    std::uint32_t id = 0; // display number; 0 when the platform gave none
    std::optional<QString> name;
    std::optional<QString> uuid;

    bool operator==(const DisplayReference&) const = default;
};

// One application's area in one profile, identified by its bundle identifier.
struct AppPlacement {
    QString bundleIdentifier;
    QString applicationName;
    DisplayReference display;
    NormalizedFrame frame;
    bool arrangeOnLaunch = false;
    std::optional<QString> capturedWindowTitle;

    const QString& id() const { return bundleIdentifier; }
    bool operator==(const AppPlacement&) const = default;
};

struct LayoutProfile {
    QUuid id;
    QString name;
    QList<AppPlacement> placements;
    std::optional<Date> modifiedAt;

    // A fresh profile: random id, no placements, modified now.
    static LayoutProfile make(const QString& name, Date now);

    bool operator==(const LayoutProfile&) const = default;
};

// Trims the Unicode white space and line separators at both ends; an empty
// result becomes "名称未設定".
QString normalizedProfileName(const QString& text);

// The root of the settings file. Operations never fail: they change the state
// or leave it untouched. Operations that touch a profile set its modifiedAt to
// `now`.
struct StellwickState {
    static constexpr std::int64_t currentVersion = 1;

    std::int64_t version = currentVersion;
    QUuid selectedProfileID;
    QList<LayoutProfile> profiles;

    // One profile "デフォルト", selected.
    static StellwickState initialState(Date now);

    std::optional<LayoutProfile> selectedProfile() const;

    LayoutProfile createProfile(const QString& name, Date now);
    void renameProfile(const QUuid& id, const QString& name, Date now);

    // True when a profile with the id exists and deleting it leaves at least
    // one profile. Ids are unique in every state the system makes, but a file
    // may carry duplicates: deleting an id held by every profile would empty
    // the list, so it is refused like deleting the last profile.
    bool canDeleteProfile(const QUuid& id) const;
    // Removes every profile with the id, unless canDeleteProfile is false.
    void deleteProfile(const QUuid& id);

    void upsertPlacement(const AppPlacement& placement, Date now);
    void removePlacement(const QString& bundleIdentifier, Date now);
    void setArrangeOnLaunch(bool enabled, const QString& bundleIdentifier, Date now);
    void updatePlacementFrame(const QString& bundleIdentifier, const NormalizedFrame& frame, Date now);

    bool operator==(const StellwickState&) const = default;

private:
    LayoutProfile* selectedProfilePointer();
};

} // namespace stellwick
