#include "model/LayoutModel.h"

#include <algorithm>
#include <cmath>

namespace stellwick {

bool NormalizedFrame::isFinite() const {
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(width) && std::isfinite(height);
}

NormalizedFrame NormalizedFrame::clamped() const {
    NormalizedFrame f = *this;
    if (f.x <= 0)
        f.x = 0;
    if (f.x > 0.95)
        f.x = 0.95;
    if (f.y <= 0)
        f.y = 0;
    if (f.y > 0.95)
        f.y = 0.95;
    if (f.width <= 0.05)
        f.width = 0.05;
    if (1 - f.x < f.width)
        f.width = 1 - f.x;
    if (f.height <= 0.05)
        f.height = 0.05;
    if (1 - f.y < f.height)
        f.height = 1 - f.y;
    return f;
}

LayoutProfile LayoutProfile::make(const QString& name, Date now) {
    return LayoutProfile{QUuid::createUuid(), name, {}, now};
}

QString normalizedProfileName(const QString& text) {
    // QString::trimmed strips exactly the Unicode white-space class: U+0009–000D,
    // U+0020, U+0085, U+00A0, U+1680, U+2000–200A, U+2028, U+2029, U+202F,
    // U+205F and U+3000.
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() ? QStringLiteral("名称未設定") : trimmed;
}

StellwickState StellwickState::initialState(Date now) {
    StellwickState state;
    LayoutProfile profile = LayoutProfile::make(QStringLiteral("デフォルト"), now);
    state.selectedProfileID = profile.id;
    state.profiles.append(profile);
    return state;
}

std::optional<LayoutProfile> StellwickState::selectedProfile() const {
    for (const LayoutProfile& profile : profiles) {
        if (profile.id == selectedProfileID)
            return profile;
    }
    return std::nullopt;
}

LayoutProfile* StellwickState::selectedProfilePointer() {
    for (LayoutProfile& profile : profiles) {
        if (profile.id == selectedProfileID)
            return &profile;
    }
    return nullptr;
}

LayoutProfile StellwickState::createProfile(const QString& name, Date now) {
    LayoutProfile profile = LayoutProfile::make(normalizedProfileName(name), now);
    profiles.append(profile);
    selectedProfileID = profile.id;
    return profile;
}

void StellwickState::renameProfile(const QUuid& id, const QString& name, Date now) {
    for (LayoutProfile& profile : profiles) {
        if (profile.id == id) {
            profile.name = normalizedProfileName(name);
            profile.modifiedAt = now;
            return;
        }
    }
}

bool StellwickState::canDeleteProfile(const QUuid& id) const {
    if (profiles.size() < 2)
        return false;
    const bool found =
        std::any_of(profiles.begin(), profiles.end(), [&](const auto& p) { return p.id == id; });
    const bool othersRemain =
        std::any_of(profiles.begin(), profiles.end(), [&](const auto& p) { return p.id != id; });
    return found && othersRemain;
}

void StellwickState::deleteProfile(const QUuid& id) {
    if (!canDeleteProfile(id))
        return;
    profiles.removeIf([&](const LayoutProfile& p) { return p.id == id; });
    const bool selectionRemains = std::any_of(profiles.begin(), profiles.end(),
                                              [&](const auto& p) { return p.id == selectedProfileID; });
    if (!selectionRemains)
        selectedProfileID = profiles.first().id;
}

void StellwickState::upsertPlacement(const AppPlacement& placement, Date now) {
    LayoutProfile* profile = selectedProfilePointer();
    if (!profile)
        return;
    auto existing = std::find_if(profile->placements.begin(), profile->placements.end(), [&](const auto& p) {
        return p.bundleIdentifier == placement.bundleIdentifier;
    });
    if (existing != profile->placements.end())
        *existing = placement;
    else
        profile->placements.append(placement);
    profile->modifiedAt = now;
}

void StellwickState::removePlacement(const QString& bundleIdentifier, Date now) {
    LayoutProfile* profile = selectedProfilePointer();
    if (!profile)
        return;
    profile->placements.removeIf(
        [&](const AppPlacement& p) { return p.bundleIdentifier == bundleIdentifier; });
    profile->modifiedAt = now;
}

void StellwickState::setArrangeOnLaunch(bool enabled, const QString& bundleIdentifier, Date now) {
    LayoutProfile* profile = selectedProfilePointer();
    if (!profile)
        return;
    for (AppPlacement& placement : profile->placements) {
        if (placement.bundleIdentifier == bundleIdentifier) {
            placement.arrangeOnLaunch = enabled;
            profile->modifiedAt = now;
            return;
        }
    }
}

void StellwickState::updatePlacementFrame(const QString& bundleIdentifier, const NormalizedFrame& frame,
                                          Date now) {
    LayoutProfile* profile = selectedProfilePointer();
    if (!profile)
        return;
    for (AppPlacement& placement : profile->placements) {
        if (placement.bundleIdentifier == bundleIdentifier) {
            placement.frame = frame;
            profile->modifiedAt = now;
            return;
        }
    }
}

} // namespace stellwick
