#include "model/JsonWriter.h"

#include "model/JsonScan.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace stellwick::json {

Writer::Writer(std::size_t sizeHint) {
    m_out.reserve(sizeHint);
}

void Writer::newline() {
    m_out += '\n';
    m_out.append(2 * m_empty.size(), ' ');
}

// Separates a value from the previous one and puts it on its own line, unless
// it follows its key.
void Writer::beforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_empty.empty())
        return;
    if (!m_empty.back())
        m_out += ',';
    m_empty.back() = false;
    newline();
}

void Writer::open(char bracket) {
    beforeValue();
    m_out += bracket;
    m_empty.push_back(true);
}

void Writer::close(char bracket) {
    const bool wasEmpty = m_empty.back();
    m_empty.pop_back();
    if (!wasEmpty)
        newline();
    m_out += bracket;
}

void Writer::beginObject() {
    open('{');
}
void Writer::endObject() {
    close('}');
}
void Writer::beginArray() {
    open('[');
}
void Writer::endArray() {
    close(']');
}

void Writer::key(std::string_view name) {
    beforeValue();
    writeString(name);
    m_out += ": ";
    m_afterKey = true;
}

void Writer::value(std::string_view text) {
    beforeValue();
    writeString(text);
}

void Writer::value(QStringView text) {
    beforeValue();
    writeString(text);
}

void Writer::writeString(QStringView text) {
    // Identifiers, UUIDs and most titles are ASCII: written without conversion.
    const qsizetype size = text.size();
    const char16_t* chars = text.utf16();
    for (qsizetype i = 0; i < size; ++i) {
        if (chars[i] >= 0x80) {
            const QByteArray utf8 = text.toUtf8();
            writeString(std::string_view(utf8.constData(), std::size_t(utf8.size())));
            return;
        }
    }
    m_out += '"';
    const std::size_t start = m_out.size();
    m_out.resize(start + std::size_t(size));
    for (qsizetype i = 0; i < size; ++i)
        m_out[start + std::size_t(i)] = char(chars[i]);
    const char* const end = m_out.data() + m_out.size();
    if (findStringSpecial(m_out.data() + start, end) != end) {
        // Something to escape: rare, so done the simple way.
        const std::string ascii = m_out.substr(start);
        m_out.resize(start - 1);
        writeString(std::string_view(ascii));
        return;
    }
    m_out += '"';
}

void Writer::writeString(std::string_view text) {
    static const char hex[] = "0123456789abcdef";
    m_out += '"';
    const char* run = text.data();
    const char* const end = text.data() + text.size();
    for (const char* p = findStringSpecial(run, end); p < end; p = findStringSpecial(run, end)) {
        const auto c = static_cast<unsigned char>(*p);
        m_out.append(run, std::size_t(p - run));
        run = p + 1;
        switch (c) {
        case '"':
            m_out += "\\\"";
            break;
        case '\\':
            m_out += "\\\\";
            break;
        case '\b':
            m_out += "\\b";
            break;
        case '\f':
            m_out += "\\f";
            break;
        case '\n':
            m_out += "\\n";
            break;
        case '\r':
            m_out += "\\r";
            break;
        case '\t':
            m_out += "\\t";
            break;
        default:
            m_out += "\\u00";
            m_out += hex[c >> 4];
            m_out += hex[c & 0xF];
        }
    }
    m_out.append(run, std::size_t(end - run));
    m_out += '"';
}

void Writer::value(double number) {
    beforeValue();
    if (!std::isfinite(number)) {
        m_failed = true;
        return;
    }
    // The library's shortest round-trip form, so files keep their exact look.
    char buffer[64];
    char* end = nlohmann::detail::to_chars(buffer, buffer + sizeof buffer, number);
    m_out.append(buffer, std::size_t(end - buffer));
}

void Writer::value(std::int64_t number) {
    beforeValue();
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    m_out.append(buffer, std::size_t(result.ptr - buffer));
}

void Writer::value(bool flag) {
    beforeValue();
    m_out += flag ? "true" : "false";
}

std::optional<QByteArray> Writer::result() && {
    if (m_failed)
        return std::nullopt;
    return QByteArray(m_out.data(), qsizetype(m_out.size()));
}

} // namespace stellwick::json
