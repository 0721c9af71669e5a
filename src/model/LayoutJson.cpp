#include "model/LayoutJson.h"

#include "model/SafeJson.h"
#include "model/Uuid.h"

#include <QStringDecoder>
#include <cstdint>
#include <limits>
#include <string>

namespace stellwick {
namespace {

using Json = nlohmann::json;

// Thrown inside the decoder only; decodeState turns it into "nothing".
struct Malformed {};

// Never writes what readString refuses: a NUL (from a profile name typed or
// pasted, say) is dropped, and lone surrogates come out as valid UTF-8.
std::string utf8(const QString& s) {
    std::string out = s.toStdString();
    std::erase(out, '\0');
    return out;
}

Json encodeFrame(const NormalizedFrame& f) {
    return Json{{"x", f.x}, {"y", f.y}, {"width", f.width}, {"height", f.height}};
}

Json encodeDisplay(const DisplayReference& d) {
    Json out{{"id", d.id}};
    if (d.name)
        out["name"] = utf8(*d.name);
    if (d.uuid)
        out["uuid"] = utf8(*d.uuid);
    return out;
}

Json encodePlacement(const AppPlacement& p) {
    Json out{{"bundleIdentifier", utf8(p.bundleIdentifier)},
             {"applicationName", utf8(p.applicationName)},
             {"display", encodeDisplay(p.display)},
             {"frame", encodeFrame(p.frame)},
             {"arrangeOnLaunch", p.arrangeOnLaunch}};
    if (p.capturedWindowTitle)
        out["capturedWindowTitle"] = utf8(*p.capturedWindowTitle);
    return out;
}

Json encodeProfile(const LayoutProfile& profile) {
    Json placements = Json::array();
    for (const AppPlacement& p : profile.placements)
        placements.push_back(encodePlacement(p));
    Json out{{"id", utf8(canonicalUuidString(profile.id))},
             {"name", utf8(profile.name)},
             {"placements", std::move(placements)}};
    if (profile.modifiedAt)
        out["modifiedAt"] = profile.modifiedAt->secondsSinceReferenceDate;
    return out;
}

// --- decoding -------------------------------------------------------------

const Json& required(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        throw Malformed{};
    return *it;
}

const Json* optional(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return nullptr;
    return &*it;
}

const Json& requireObject(const Json& value) {
    if (!value.is_object())
        throw Malformed{};
    return value;
}

const Json& requireArray(const Json& value) {
    if (!value.is_array())
        throw Malformed{};
    return value;
}

QString readString(const Json& value) {
    if (!value.is_string())
        throw Malformed{};
    const std::string& text = value.get_ref<const std::string&>();
    // "\u0000" decodes to a NUL that no name or identifier may carry (D-Bus and
    // C strings would cut the text there).
    if (text.find('\0') != std::string::npos)
        throw Malformed{};
    // Kept whole: a plain fromUtf8 would drop a leading U+FEFF as a byte-order mark.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

bool readBool(const Json& value) {
    if (!value.is_boolean())
        throw Malformed{};
    return value.get<bool>();
}

double readNumber(const Json& value) {
    if (!value.is_number())
        throw Malformed{};
    return value.get<double>();
}

std::int64_t readInt64(const Json& value) {
    if (value.is_number_unsigned()) {
        const auto v = value.get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            throw Malformed{};
        return static_cast<std::int64_t>(v);
    }
    if (value.is_number_integer())
        return value.get<std::int64_t>();
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
    const Json* value = optional(object, key);
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
    for (const Json& placement : requireArray(required(o, "placements")))
        profile.placements.append(decodePlacement(placement));
    if (const Json* modified = optional(o, "modifiedAt"))
        profile.modifiedAt = Date{readNumber(*modified)};
    return profile;
}

} // namespace

std::optional<QByteArray> encodeState(const StellwickState& state) {
    Json profiles = Json::array();
    for (const LayoutProfile& profile : state.profiles)
        profiles.push_back(encodeProfile(profile));
    const Json root{{"version", state.version},
                    {"selectedProfileID", utf8(canonicalUuidString(state.selectedProfileID))},
                    {"profiles", std::move(profiles)}};
    return safejson::dumpPretty(root);
}

std::optional<StellwickState> decodeState(const QByteArray& bytes) {
    const std::optional<Json> root = safejson::parseObject(bytes);
    if (!root)
        return std::nullopt;
    try {
        StellwickState state;
        state.version = readInt64(required(*root, "version"));
        state.selectedProfileID = readUuid(required(*root, "selectedProfileID"));
        state.profiles.clear();
        for (const Json& profile : requireArray(required(*root, "profiles")))
            state.profiles.append(decodeProfile(profile));
        return state;
    } catch (const Malformed&) {
        return std::nullopt;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

} // namespace stellwick
