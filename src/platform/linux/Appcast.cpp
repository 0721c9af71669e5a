#include "platform/linux/Appcast.h"

#include <QXmlStreamReader>
#include <arpa/inet.h>

namespace stellwick::linux_platform {
namespace {

QUrl safeLink(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() && isSecureUpdateURL(url) ? url : QUrl();
}

struct ItemFields {
    QString version;
    QString title;
    QString link;
    QString enclosure;
};

// Reads one <item>; the reader stands on its start and ends on its end.
ItemFields readItem(QXmlStreamReader& xml) {
    ItemFields fields;
    while (xml.readNextStartElement()) {
        const bool ours = xml.namespaceUri() == QLatin1String(appcastNamespace);
        const bool plain = xml.namespaceUri().isEmpty();
        if (ours && xml.name() == QLatin1String("version")) {
            fields.version = xml.readElementText();
        } else if (plain && xml.name() == QLatin1String("title")) {
            fields.title = xml.readElementText().trimmed();
        } else if (plain && xml.name() == QLatin1String("link")) {
            fields.link = xml.readElementText();
        } else if (plain && xml.name() == QLatin1String("enclosure")) {
            fields.enclosure = xml.attributes().value(QLatin1String("url")).toString();
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    return fields;
}

QString xmlError(const QXmlStreamReader& xml) {
    return QStringLiteral("フィードを読み取れませんでした（%1 行目: %2）。")
        .arg(xml.lineNumber())
        .arg(xml.errorString());
}

// 127.0.0.0/8, ::1 and ::ffff:127.0.0.0/104, in their numeric forms only.
// (Parsed here rather than with the network module, which loads on demand.)
bool isLoopbackAddress(const QString& host) {
    const QByteArray text = host.toLatin1();
    in_addr v4{};
    if (inet_pton(AF_INET, text.constData(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.constData(), &v6) != 1)
        return false;
    if (IN6_IS_ADDR_LOOPBACK(&v6))
        return true;
    return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
}

} // namespace

bool isSecureUpdateURL(const QUrl& url) {
    if (url.scheme() == QLatin1String("https"))
        return !url.host().isEmpty();
    if (url.scheme() != QLatin1String("http"))
        return false;
    if (url.host() == QLatin1String("localhost"))
        return true;
    return isLoopbackAddress(url.host());
}

AppcastReading readAppcast(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    std::optional<AppcastItem> newest;
    int items = 0;

    const bool hasRoot = xml.readNextStartElement();
    if (!hasRoot && xml.hasError())
        return {std::nullopt, xmlError(xml)};
    if (!hasRoot || xml.name() != QLatin1String("rss"))
        return {std::nullopt, QStringLiteral("フィードの形式が正しくありません（RSS ではありません）。")};
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("channel")) {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("item")) {
                xml.skipCurrentElement();
                continue;
            }
            ++items;
            const ItemFields fields = readItem(xml);
            const std::optional<VersionNumber> version = VersionNumber::parse(fields.version);
            if (!version || (newest && *version <= newest->version))
                continue;
            newest = AppcastItem{*version, fields.title, safeLink(fields.link), safeLink(fields.enclosure)};
        }
    }
    // Also catches what follows the last element: the whole text must be well formed.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        return {std::nullopt, xmlError(xml)};
    if (items > 0 && !newest)
        return {std::nullopt, QStringLiteral("フィードに有効なバージョンがありません。")};
    return {newest, std::nullopt};
}

} // namespace stellwick::linux_platform
