#include "support/ReferenceJson.h"

#include <cmath>
#include <cstring>
#include <set>
#include <string>

namespace stellwick::test {
namespace {

bool nestingWithin(const QByteArray& bytes, int limit) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : bytes) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit)
                return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

bool allNumbersFinite(const nlohmann::json& value) {
    switch (value.type()) {
    case nlohmann::json::value_t::number_float:
        return std::isfinite(value.get<double>());
    case nlohmann::json::value_t::array:
    case nlohmann::json::value_t::object:
        for (const auto& child : value) {
            if (!allNumbersFinite(child))
                return false;
        }
        return true;
    default:
        return true;
    }
}

} // namespace

std::optional<nlohmann::json> referenceParse(const QByteArray& bytes) {
    if (bytes.contains('\0') || !nestingWithin(bytes, json::Document::maxDepth))
        return std::nullopt;
    nlohmann::json parsed = nlohmann::json::parse(bytes.constBegin(), bytes.constEnd(), nullptr,
                                                  /*allow_exceptions=*/false);
    if (parsed.is_discarded() || !parsed.is_object() || !allNumbersFinite(parsed))
        return std::nullopt;
    return parsed;
}

bool sameValue(const json::Document::Value& value, const nlohmann::json& reference) {
    using Type = json::Document::Type;
    switch (reference.type()) {
    case nlohmann::json::value_t::null:
        return value.isNull();
    case nlohmann::json::value_t::boolean:
        return value.isBool() && value.boolean() == reference.get<bool>();
    case nlohmann::json::value_t::number_integer:
        return value.type() == Type::integer && value.integer() == reference.get<std::int64_t>();
    case nlohmann::json::value_t::number_unsigned:
        return value.type() == Type::unsignedInteger &&
               value.unsignedInteger() == reference.get<std::uint64_t>();
    case nlohmann::json::value_t::number_float: {
        const double a = value.number(), b = reference.get<double>();
        return value.type() == Type::floating && std::memcmp(&a, &b, sizeof a) == 0;
    }
    case nlohmann::json::value_t::string:
        return value.isString() && value.string() == reference.get_ref<const std::string&>();
    case nlohmann::json::value_t::array: {
        if (!value.isArray())
            return false;
        const std::vector<json::Document::Value> elements = value.elements();
        if (elements.size() != reference.size())
            return false;
        for (std::size_t i = 0; i < elements.size(); ++i) {
            if (!sameValue(elements[i], reference[i]))
                return false;
        }
        return true;
    }
    case nlohmann::json::value_t::object: {
        if (!value.isObject())
            return false;
        std::set<std::string_view> keys;
        for (const auto& [key, member] : value.members())
            keys.insert(key);
        if (keys.size() != reference.size())
            return false;
        for (auto it = reference.begin(); it != reference.end(); ++it) {
            const std::optional<json::Document::Value> member = value.find(it.key());
            if (!member || !sameValue(*member, it.value()))
                return false;
        }
        return true;
    }
    default:
        return false;
    }
}

bool isReferencePretty(const QByteArray& bytes) {
    const std::optional<nlohmann::json> parsed = referenceParse(bytes);
    return parsed && QByteArray::fromStdString(parsed->dump(2)) == bytes;
}

} // namespace stellwick::test
