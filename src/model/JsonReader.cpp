#include "model/JsonReader.h"

#include "model/JsonScan.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace stellwick::json {
namespace {

// RFC 3629: no overlong forms, no encoded surrogates, nothing above U+10FFFF.
bool isValidUtf8(const unsigned char* p, const unsigned char* end) {
    while (p < end) {
        // Eight ASCII bytes at a time: most of a settings file.
        if (end - p >= 8) {
            std::uint64_t block;
            std::memcpy(&block, p, 8);
            if ((block & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length;
        unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i < length; ++i) {
            if (p[i] < 0x80 || p[i] > 0xBF)
                return false;
        }
        p += length;
    }
    return true;
}

int hexDigit(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string& out, std::uint32_t codepoint) {
    if (codepoint < 0x80) {
        out += char(codepoint);
    } else if (codepoint < 0x800) {
        out += char(0xC0 | (codepoint >> 6));
        out += char(0x80 | (codepoint & 0x3F));
    } else if (codepoint < 0x10000) {
        out += char(0xE0 | (codepoint >> 12));
        out += char(0x80 | ((codepoint >> 6) & 0x3F));
        out += char(0x80 | (codepoint & 0x3F));
    } else {
        out += char(0xF0 | (codepoint >> 18));
        out += char(0x80 | ((codepoint >> 12) & 0x3F));
        out += char(0x80 | ((codepoint >> 6) & 0x3F));
        out += char(0x80 | (codepoint & 0x3F));
    }
}

// strtod in the C locale, whatever the application's locale says about the
// decimal separator.
double strtodC(const char* text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(text, nullptr, c);
}

} // namespace

class Parser {
public:
    Parser(const char* begin, const char* end, Document& document)
        : m_p(begin)
        , m_end(end)
        , m_doc(document) {}

    bool parseDocument() {
        if (m_end - m_p >= 3 && std::memcmp(m_p, "\xEF\xBB\xBF", 3) == 0)
            m_p += 3;
        skipSpace();
        if (m_p == m_end || *m_p != '{')
            return false;
        m_doc.m_nodes.reserve(std::size_t(m_end - m_p) / 16 + 8);
        if (!parseValue(1))
            return false;
        skipSpace();
        return m_p == m_end;
    }

private:
    using Node = Document::Node;
    using Type = Document::Type;

    void skipSpace() {
        // Indentation comes in runs of spaces: eight at a time.
        constexpr std::uint64_t spaces = 0x2020202020202020ULL;
        for (;;) {
            while (m_end - m_p >= 8) {
                std::uint64_t block;
                std::memcpy(&block, m_p, 8);
                if (block != spaces)
                    break;
                m_p += 8;
            }
            if (m_p < m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
                ++m_p;
            else
                return;
        }
    }

    bool literal(const char* word, std::size_t length) {
        if (std::size_t(m_end - m_p) < length || std::memcmp(m_p, word, length) != 0)
            return false;
        m_p += length;
        return true;
    }

    std::uint32_t addNode() {
        m_doc.m_nodes.emplace_back();
        return std::uint32_t(m_doc.m_nodes.size() - 1);
    }

    // A string at m_p (the opening quote), decoded onto the end of m_strings.
    bool parseString(std::uint32_t& offset, std::uint32_t& length) {
        ++m_p;
        std::string& out = m_doc.m_strings;
        const std::size_t start = out.size();
        for (;;) {
            const char* run = m_p;
            m_p = findStringSpecial(m_p, m_end);
            out.append(run, std::size_t(m_p - run));
            if (m_p == m_end || static_cast<unsigned char>(*m_p) < 0x20)
                return false;
            if (*m_p == '"') {
                ++m_p;
                break;
            }
            if (++m_p == m_end)
                return false;
            switch (*m_p++) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t codepoint;
                if (!hex4(codepoint))
                    return false;
                if (codepoint >= 0xDC00 && codepoint <= 0xDFFF)
                    return false;
                if (codepoint >= 0xD800 && codepoint <= 0xDBFF) {
                    std::uint32_t low;
                    if (m_end - m_p < 2 || m_p[0] != '\\' || m_p[1] != 'u')
                        return false;
                    m_p += 2;
                    if (!hex4(low) || low < 0xDC00 || low > 0xDFFF)
                        return false;
                    codepoint = 0x10000 + ((codepoint - 0xD800) << 10) + (low - 0xDC00);
                }
                appendUtf8(out, codepoint);
                break;
            }
            default:
                return false;
            }
        }
        if (out.size() > 0xFFFFFFFFu)
            return false;
        offset = std::uint32_t(start);
        length = std::uint32_t(out.size() - start);
        return true;
    }

    bool hex4(std::uint32_t& value) {
        if (m_end - m_p < 4)
            return false;
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexDigit(static_cast<unsigned char>(m_p[i]));
            if (digit < 0)
                return false;
            value = value << 4 | std::uint32_t(digit);
        }
        m_p += 4;
        return true;
    }

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    bool parseNumber(Node& node) {
        const char* start = m_p;
        const bool negative = *m_p == '-';
        if (negative)
            ++m_p;
        if (m_p == m_end)
            return false;
        if (*m_p == '0') {
            ++m_p;
        } else if (*m_p >= '1' && *m_p <= '9') {
            while (m_p < m_end && isDigit(*m_p))
                ++m_p;
        } else {
            return false;
        }
        bool integral = true;
        if (m_p < m_end && *m_p == '.') {
            integral = false;
            ++m_p;
            if (m_p == m_end || !isDigit(*m_p))
                return false;
            while (m_p < m_end && isDigit(*m_p))
                ++m_p;
        }
        if (m_p < m_end && (*m_p == 'e' || *m_p == 'E')) {
            integral = false;
            ++m_p;
            if (m_p < m_end && (*m_p == '+' || *m_p == '-'))
                ++m_p;
            if (m_p == m_end || !isDigit(*m_p))
                return false;
            while (m_p < m_end && isDigit(*m_p))
                ++m_p;
        }
        if (integral) {
            // Integers that fit are kept exact; larger ones become doubles.
            if (negative) {
                std::int64_t value;
                if (std::from_chars(start, m_p, value).ec == std::errc()) {
                    node.type = Type::integer;
                    node.integer = value;
                    return true;
                }
            } else {
                std::uint64_t value;
                if (std::from_chars(start, m_p, value).ec == std::errc()) {
                    node.type = Type::unsignedInteger;
                    node.unsignedInteger = value;
                    return true;
                }
            }
        }
        double value;
        const std::from_chars_result result = std::from_chars(start, m_p, value);
        if (result.ec == std::errc::result_out_of_range) {
            // Overflow is refused; underflow reads as the nearest double (0 or subnormal).
            value = strtodC(std::string(start, m_p).c_str());
        } else if (result.ec != std::errc() || result.ptr != m_p) {
            return false;
        }
        if (!std::isfinite(value))
            return false;
        node.type = Type::floating;
        node.floating = value;
        return true;
    }

    bool parseValue(int depth) {
        if (m_p == m_end)
            return false;
        const std::uint32_t index = addNode();
        switch (*m_p) {
        case '{':
            return parseContainer(index, depth, '}', Type::object);
        case '[':
            return parseContainer(index, depth, ']', Type::array);
        case '"': {
            std::uint32_t offset = 0, length = 0;
            if (!parseString(offset, length))
                return false;
            Node& node = m_doc.m_nodes[index];
            node.type = Type::string;
            node.text = {offset, length};
            return true;
        }
        case 't':
        case 'f': {
            const bool value = *m_p == 't';
            if (!(value ? literal("true", 4) : literal("false", 5)))
                return false;
            m_doc.m_nodes[index].type = Type::boolean;
            m_doc.m_nodes[index].flag = value;
            return true;
        }
        case 'n':
            return literal("null", 4);
        default:
            return parseNumber(m_doc.m_nodes[index]);
        }
    }

    bool parseContainer(std::uint32_t index, int depth, char close, Type type) {
        if (depth > Document::maxDepth)
            return false;
        m_doc.m_nodes[index].type = type;
        ++m_p;
        skipSpace();
        if (m_p < m_end && *m_p == close) {
            ++m_p;
            return true;
        }
        std::uint32_t previous = 0;
        for (;;) {
            std::uint32_t keyOffset = 0, keyLength = 0;
            if (type == Type::object) {
                if (m_p == m_end || *m_p != '"' || !parseString(keyOffset, keyLength))
                    return false;
                skipSpace();
                if (m_p == m_end || *m_p != ':')
                    return false;
                ++m_p;
                skipSpace();
            }
            const auto child = std::uint32_t(m_doc.m_nodes.size());
            if (!parseValue(depth + 1))
                return false;
            m_doc.m_nodes[child].keyOffset = keyOffset;
            m_doc.m_nodes[child].keyLength = keyLength;
            if (previous == 0)
                m_doc.m_nodes[index].first = child;
            else
                m_doc.m_nodes[previous].next = child;
            previous = child;
            skipSpace();
            if (m_p == m_end)
                return false;
            if (*m_p == close) {
                ++m_p;
                return true;
            }
            if (*m_p != ',')
                return false;
            ++m_p;
            skipSpace();
        }
    }

    const char* m_p;
    const char* m_end;
    Document& m_doc;
};

std::optional<Document> Document::parse(const QByteArray& bytes) {
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.constData());
    if (std::memchr(begin, 0, std::size_t(bytes.size())) != nullptr ||
        !isValidUtf8(begin, begin + bytes.size()))
        return std::nullopt;
    Document document;
    Parser parser(bytes.constData(), bytes.constData() + bytes.size(), document);
    if (!parser.parseDocument())
        return std::nullopt;
    return document;
}

Document::Type Document::Value::type() const {
    return m_document->m_nodes[m_index].type;
}

bool Document::Value::isNumber() const {
    const Type t = type();
    return t == Type::integer || t == Type::unsignedInteger || t == Type::floating;
}

bool Document::Value::boolean() const {
    return m_document->m_nodes[m_index].flag;
}

double Document::Value::number() const {
    const Node& node = m_document->m_nodes[m_index];
    switch (node.type) {
    case Type::integer:
        return double(node.integer);
    case Type::unsignedInteger:
        return double(node.unsignedInteger);
    default:
        return node.floating;
    }
}

std::int64_t Document::Value::integer() const {
    return m_document->m_nodes[m_index].integer;
}

std::uint64_t Document::Value::unsignedInteger() const {
    return m_document->m_nodes[m_index].unsignedInteger;
}

std::string_view Document::Value::string() const {
    const Node& node = m_document->m_nodes[m_index];
    return std::string_view(m_document->m_strings).substr(node.text.offset, node.text.length);
}

std::optional<Document::Value> Document::Value::find(std::string_view key) const {
    const std::vector<Node>& nodes = m_document->m_nodes;
    const std::string_view strings(m_document->m_strings);
    std::optional<Value> found;
    for (std::uint32_t child = nodes[m_index].first; child != 0; child = nodes[child].next) {
        if (strings.substr(nodes[child].keyOffset, nodes[child].keyLength) == key)
            found = Value(m_document, child);
    }
    return found;
}

std::vector<Document::Value> Document::Value::elements() const {
    std::vector<Value> out;
    const std::vector<Node>& nodes = m_document->m_nodes;
    for (std::uint32_t child = nodes[m_index].first; child != 0; child = nodes[child].next)
        out.push_back(Value(m_document, child));
    return out;
}

std::vector<std::pair<std::string_view, Document::Value>> Document::Value::members() const {
    std::vector<std::pair<std::string_view, Value>> out;
    const std::vector<Node>& nodes = m_document->m_nodes;
    const std::string_view strings(m_document->m_strings);
    for (std::uint32_t child = nodes[m_index].first; child != 0; child = nodes[child].next)
        out.emplace_back(strings.substr(nodes[child].keyOffset, nodes[child].keyLength),
                         Value(m_document, child));
    return out;
}

} // namespace stellwick::json
