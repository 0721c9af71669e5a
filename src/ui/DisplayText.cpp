#include "ui/DisplayText.h"

#include <QDateTime>
#include <QRegularExpression>

namespace stellwick {

namespace {
QDateTime localTime(Date moment) {
    return QDateTime::fromMSecsSinceEpoch(qint64(moment.unixTime() * 1000.0));
}

// The locale's long date without the weekday and with abbreviated months.
QString abbreviatedDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::LongFormat);
    for (const QString& weekday : {QStringLiteral("dddd, "), QStringLiteral("dddd "), QStringLiteral("dddd")})
        format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return format.trimmed();
}

// The locale's short time without seconds (some locales' short form has them).
QString hoursAndMinutesFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    static const QRegularExpression seconds(QStringLiteral("[:.]ss?"));
    format.remove(seconds);
    return format;
}
} // namespace

QString versionText(const QString& applicationVersion) {
    return QStringLiteral("v") + (applicationVersion.isEmpty() ? QStringLiteral("0.1") : applicationVersion);
}

QString clockTime(Date moment, const QLocale& locale) {
    return locale.toString(localTime(moment).time(), hoursAndMinutesFormat(locale));
}

QString abbreviatedDateTime(Date moment, const QLocale& locale) {
    const QDateTime time = localTime(moment);
    return locale.toString(time.date(), abbreviatedDateFormat(locale)) + QLatin1Char(' ') +
           locale.toString(time.time(), hoursAndMinutesFormat(locale));
}

QString profileSubtitle(const std::optional<LayoutProfile>& profile, const QLocale& locale) {
    if (!profile || profile->placements.isEmpty())
        return QStringLiteral("アプリ未登録");
    const QString count = QString::number(profile->placements.size());
    if (!profile->modifiedAt)
        return count + QStringLiteral("アプリ");
    return count + QStringLiteral("アプリ・最終更新 ") + abbreviatedDateTime(*profile->modifiedAt, locale);
}

QString profileAccessibleName(const LayoutProfile& profile) {
    return profile.name + QStringLiteral("、") + QString::number(profile.placements.size()) +
           QStringLiteral("アプリ");
}

bool isBlankName(const QString& name) {
    return name.trimmed().isEmpty();
}

} // namespace stellwick
