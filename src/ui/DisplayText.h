#pragma once

#include "model/Date.h"
#include "model/LayoutModel.h"

#include <QLocale>
#include <QString>
#include <optional>

namespace stellwick {

// "v" + the application's version, "v0.1" when it has none.
QString versionText(const QString& applicationVersion);

// Hours and minutes of a moment, in the locale's short time form.
QString clockTime(Date moment, const QLocale& locale = QLocale());

// A date in the locale's abbreviated form ("Dec 6, 2026", "2026年12月6日")
// followed by its short time.
QString abbreviatedDateTime(Date moment, const QLocale& locale = QLocale());

// The line under the profile's name in the applications header.
QString profileSubtitle(const std::optional<LayoutProfile>& profile, const QLocale& locale = QLocale());

// What assistive technology reads for a profile row: "作業、3アプリ".
QString profileAccessibleName(const LayoutProfile& profile);

// Trims white space and line breaks at both ends, as the sheet judges names.
bool isBlankName(const QString& name);

} // namespace stellwick
