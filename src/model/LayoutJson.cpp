#include "model/LayoutJson.h"

#include "model/JsonReader.h"
#include "model/JsonWriter.h"
#include "model/Uuid.h"

#include <QStringDecoder>
#include <cstdint>
#include <limits>

namespace stellwick {
namespace {

using json::Document;
using Json = Document::Value;

// Thrown inside the decoder only; decodeState turns it into "nothing".
struct Malformed {};

// --- encoding: keys in sorted order in every object -------------------------

// Never writes what readString refuses: a NUL (from a profile name typed or
// pasted, say) is dropped; lone surrogates come out as valid UTF-8.
void writeString(json::Writer& out, const char* key, const QString& text) {
    out.key(key);
    if (text.contains(QChar(0))) {
        QString cleaned = text;
        out.value(QStringView(cleaned.remove(QChar(0))));
        return;
    }
    out.value(QStringView(text));
}

void encodeFrame(json::Writer& out, const NormalizedFrame& f) {
    out.beginObject();
    out.key("height");
    out.value(f.height);
    out.key("width");
    out.value(f.width);
    out.key("x");
    out.value(f.x);
    out.key("y");
    out.value(f.y);
    out.endObject();
}

void encodeDisplay(json::Writer& out, const DisplayReference& d) {
    out.beginObject();
    out.key("id");
    out.value(d.id);
    if (d.name)
        writeString(out, "name", *d.name);
    if (d.uuid)
        writeString(out, "uuid", *d.uuid);
    out.endObject();
}

void encodePlacement(json::Writer& out, const AppPlacement& p) {
    out.beginObject();
    writeString(out, "applicationName", p.applicationName);
    out.key("arrangeOnLaunch");
    out.value(p.arrangeOnLaunch);
    writeString(out, "bundleIdentifier", p.bundleIdentifier);
    if (p.capturedWindowTitle)
        writeString(out, "capturedWindowTitle", *p.capturedWindowTitle);
    out.key("display");
    encodeDisplay(out, p.display);
    out.key("frame");
    encodeFrame(out, p.frame);
    out.endObject();
}

void encodeProfile(json::Writer& out, const LayoutProfile& profile) {
    out.beginObject();
    writeString(out, "id", canonicalUuidString(profile.id));
    if (profile.modifiedAt) {
        out.key("modifiedAt");
        out.value(profile.modifiedAt->secondsSinceReferenceDate);
    }
    writeString(out, "name", profile.name);
    out.key("placements");
    out.beginArray();
    for (const AppPlacement& p : profile.placements)
        encodePlacement(out, p);
    out.endArray();
    out.endObject();
}

// --- decoding -------------------------------------------------------------

Json required(const Json& object, const char* key) {
    const std::optional<Json> value = object.find(key);
    if (!value || value->isNull())
        throw Malformed{};
    return *value;
}

std::optional<Json> optional(const Json& object, const char* key) {
    std::optional<Json> value = object.find(key);
    if (value && value->isNull())
        return std::nullopt;
    return value;
}

const Json& requireObject(const Json& value) {
    if (!value.isObject())
        throw Malformed{};
    return value;
}

const Json& requireArray(const Json& value) {
    if (!value.isArray())
        throw Malformed{};
    return value;
}

QString readString(const Json& value) {
    if (!value.isString())
        throw Malformed{};
    const std::string_view text = value.string();
    // "\u0000" decodes to a NUL that no name or identifier may carry (D-Bus and
    // C strings would cut the text there).
    if (text.find('\0') != std::string_view::npos)
        throw Malformed{};
    // Kept whole: a plain fromUtf8 would drop a leading U+FEFF as a byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF")) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    }
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool readBool(const Json& value) {
    if (!value.isBool())
        throw Malformed{};
    return value.boolean();
}

double readNumber(const Json& value) {
    if (!value.isNumber())
        throw Malformed{};
    return value.number();
}

std::int64_t readInt64(const Json& value) {
    if (value.type() == Document::Type::unsignedInteger) {
        const std::uint64_t v = value.unsignedInteger();
        if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            throw Malformed{};
        return static_cast<std::int64_t>(v);
    }
    if (value.type() == Document::Type::integer)
        return value.integer();
    throw Malformed{};
}

std::uint32_t readUInt32(const Json& value) {
    const std::int64_t v = readInt64(value);
    if (v < 0 || v > std::numeric_limits<std::uint32_t>::max())
        throw Malformed{};
    return static_cast<std::uint32_t>(v);
}

QUuid readUuid(const Json& value) {
    const auto uuid = parseCanonicalUuid(readString(value));
    if (!uuid)
        throw Malformed{};
    return *uuid;
}

std::optional<QString> readOptionalString(const Json& object, const char* key) {
    const std::optional<Json> value = optional(object, key);
    return value ? std::optional(readString(*value)) : std::nullopt;
}

NormalizedFrame decodeFrame(const Json& value) {
    const Json& o = requireObject(value);
    return {readNumber(required(o, "x")), readNumber(required(o, "y")), readNumber(required(o, "width")),
            readNumber(required(o, "height"))};
}

DisplayReference decodeDisplay(const Json& value) {
    const Json& o = requireObject(value);
    return {readUInt32(required(o, "id")), readOptionalString(o, "name"), readOptionalString(o, "uuid")};
}

AppPlacement decodePlacement(const Json& value) {
    const Json& o = requireObject(value);
    AppPlacement p;
    p.bundleIdentifier = readString(required(o, "bundleIdentifier"));
    p.applicationName = readString(required(o, "applicationName"));
    p.display = decodeDisplay(required(o, "display"));
    p.frame = decodeFrame(required(o, "frame"));
    p.arrangeOnLaunch = readBool(required(o, "arrangeOnLaunch"));
    p.capturedWindowTitle = readOptionalString(o, "capturedWindowTitle");
    return p;
}

LayoutProfile decodeProfile(const Json& value) {
    const Json& o = requireObject(value);
    LayoutProfile profile;
    profile.id = readUuid(required(o, "id"));
    profile.name = readString(required(o, "name"));
    const std::vector<Json> placements = requireArray(required(o, "placements")).elements();
    profile.placements.reserve(qsizetype(placements.size()));
    for (const Json& placement : placements)
        profile.placements.append(decodePlacement(placement));
    if (const std::optional<Json> modified = optional(o, "modifiedAt"))
        profile.modifiedAt = Date{readNumber(*modified)};
    return profile;
}

} // namespace

std::optional<QByteArray> encodeState(const StellwickState& state) {
    qsizetype placements = 0;
    for (const LayoutProfile& profile : state.profiles)
        placements += profile.placements.size();
    json::Writer out(std::size_t(1024 + 300 * state.profiles.size() + 600 * placements));
    out.beginObject();
    out.key("profiles");
    out.beginArray();
    for (const LayoutProfile& profile : state.profiles)
        encodeProfile(out, profile);
    out.endArray();
    writeString(out, "selectedProfileID", canonicalUuidString(state.selectedProfileID));
    out.key("version");
    out.value(state.version);
    out.endObject();
    return std::move(out).result();
}

std::optional<StellwickState> decodeState(const QByteArray& bytes) {
    const std::optional<Document> document = Document::parse(bytes);
    if (!document)
        return std::nullopt;
    const Json root = document->root();
    try {
        StellwickState state;
        state.version = readInt64(required(root, "version"));
        state.selectedProfileID = readUuid(required(root, "selectedProfileID"));
        state.profiles.clear();
        const std::vector<Json> profiles = requireArray(required(root, "profiles")).elements();
        state.profiles.reserve(qsizetype(profiles.size()));
        for (const Json& profile : profiles)
            state.profiles.append(decodeProfile(profile));
        return state;
    } catch (const Malformed&) {
        return std::nullopt;
    }
}

} // namespace stellwick
