#include "model/SafeJson.h"

#include <cmath>

namespace stellwick::safejson {
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

std::optional<nlohmann::json> parseObject(const QByteArray& bytes) {
    if (bytes.contains('\0') || !nestingWithin(bytes, maxDepth))
        return std::nullopt;
    nlohmann::json parsed = nlohmann::json::parse(bytes.constBegin(), bytes.constEnd(), nullptr,
                                                  /*allow_exceptions=*/false);
    if (parsed.is_discarded() || !parsed.is_object() || !allNumbersFinite(parsed))
        return std::nullopt;
    return parsed;
}

std::optional<QByteArray> dumpPretty(const nlohmann::json& value) {
    if (!allNumbersFinite(value))
        return std::nullopt;
    try {
        const std::string text = value.dump(2, ' ', false, nlohmann::json::error_handler_t::strict);
        return QByteArray::fromStdString(text);
    } catch (const nlohmann::json::exception&) {
        return std::nullopt; // invalid UTF-8 in a string
    }
}

} // namespace stellwick::safejson
