#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stellwick::json {

// A strict, read-only JSON document whose root is an object, parsed in one
// pass into a flat node table. It refuses whatever a settings file must not
// hold: NUL bytes, nesting deeper than maxDepth (checked before parsing, so
// hostile input cannot exhaust the stack), invalid UTF-8 (overlong forms and
// encoded surrogates included), unpaired \u surrogates, control characters in
// strings, trailing garbage, and numbers that overflow to infinity. A leading
// UTF-8 byte-order mark is skipped. In an object with a repeated key the last
// value counts.
class Document {
public:
    enum class Type : std::uint8_t {
        null,
        boolean,
        integer,
        unsignedInteger,
        floating,
        string,
        array,
        object
    };

    // A view of one value; valid while its document lives.
    class Value {
    public:
        Type type() const;
        bool isNull() const { return type() == Type::null; }
        bool isString() const { return type() == Type::string; }
        bool isBool() const { return type() == Type::boolean; }
        bool isNumber() const;
        bool isArray() const { return type() == Type::array; }
        bool isObject() const { return type() == Type::object; }

        bool boolean() const;
        double number() const;        // any number, as double
        std::int64_t integer() const; // Type::integer
        std::uint64_t unsignedInteger() const;
        std::string_view string() const; // UTF-8, escapes resolved

        // The value of `key` in an object (the last one when repeated), or none.
        std::optional<Value> find(std::string_view key) const;
        // The elements of an array, in order.
        std::vector<Value> elements() const;
        // The members of an object, in order, repeated keys included.
        std::vector<std::pair<std::string_view, Value>> members() const;

    private:
        friend class Document;
        Value(const Document* document, std::uint32_t index)
            : m_document(document)
            , m_index(index) {}
        const Document* m_document;
        std::uint32_t m_index;
    };

    static std::optional<Document> parse(const QByteArray& bytes);

    Value root() const { return Value(this, 0); }

    static constexpr int maxDepth = 64;

private:
    friend class Value;
    friend class Parser;

    struct Node {
        Type type = Type::null;
        bool flag = false;
        std::uint32_t next = 0;                     // next sibling (0: none; the root is never a sibling)
        std::uint32_t first = 0;                    // first child of an array or object (0: none)
        std::uint32_t keyOffset = 0, keyLength = 0; // member key in `m_strings`
        union {
            double floating;
            std::int64_t integer;
            std::uint64_t unsignedInteger;
            struct {
                std::uint32_t offset, length;
            } text;
        };
        Node()
            : integer(0) {}
    };

    std::vector<Node> m_nodes;
    std::string m_strings; // every decoded key and string, back to back
};

} // namespace stellwick::json
