#include "support/ReferenceJson.h"

#include <string>

namespace stellwick::test {

std::optional<nlohmann::json> referenceParse(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        return std::nullopt;
    // The library refuses numbers that overflow. Depth counts the containers
    // already open; from a refused one on, nothing more is built, so that
    // hostile nesting never becomes a deep value.
    bool tooDeep = false;
    const auto limitDepth = [&tooDeep](int depth, nlohmann::json::parse_event_t event, nlohmann::json&) {
        using Event = nlohmann::json::parse_event_t;
        tooDeep = tooDeep || ((event == Event::object_start || event == Event::array_start) &&
                              depth >= json::Document::maxDepth);
        return !tooDeep;
    };
    nlohmann::json parsed = nlohmann::json::parse(bytes.constBegin(), bytes.constEnd(), limitDepth,
                                                  /*allow_exceptions=*/false);
    if (tooDeep || parsed.is_discarded() || !parsed.is_object())
        return std::nullopt;
    return parsed;
}

namespace {

nlohmann::json toReference(const json::Document::Value& value) {
    using Type = json::Document::Type;
    switch (value.type()) {
    case Type::null:
        return nullptr;
    case Type::boolean:
        return value.boolean();
    case Type::integer:
        return value.integer();
    case Type::unsignedInteger:
        return value.unsignedInteger();
    case Type::floating:
        return value.number();
    case Type::string:
        return std::string(value.string());
    case Type::array: {
        nlohmann::json array = nlohmann::json::array();
        for (const json::Document::Value& element : value.elements())
            array.push_back(toReference(element));
        return array;
    }
    case Type::object: {
        nlohmann::json object = nlohmann::json::object();
        for (const auto& [key, member] : value.members())
            object[std::string(key)] = toReference(member); // the last of repeated keys counts
        return object;
    }
    }
    return nlohmann::json::value_t::discarded;
}

} // namespace

// The library writes every double in the shortest form that reads back bit
// for bit, and keeps floating point apart from whole numbers.
bool sameValue(const json::Document::Value& value, const nlohmann::json& reference) {
    return toReference(value).dump() == reference.dump();
}

bool isReferencePretty(const QByteArray& bytes) {
    const std::optional<nlohmann::json> parsed = referenceParse(bytes);
    return parsed && QByteArray::fromStdString(parsed->dump(2)) == bytes;
}

} // namespace stellwick::test
