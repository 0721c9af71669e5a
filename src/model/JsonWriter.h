#pragma once

#include <QByteArray>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stellwick::json {

// Writes indented JSON (two spaces, "key": value) straight into a buffer, in
// the order it is told: callers write an object's keys sorted. Strings are
// UTF-8 with quotes, backslashes and control characters escaped; doubles are
// written in their shortest round-trip form. A non-finite double makes the
// whole document invalid (`result` gives nothing) instead of being written.
class Writer {
public:
    // `sizeHint`: the expected size of the document, to allocate once.
    explicit Writer(std::size_t sizeHint = 4096);

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);

    void value(std::string_view text); // UTF-8
    void value(const char* text) { value(std::string_view(text)); }
    void value(QStringView text);
    void value(double number);
    void value(std::int64_t number);
    void value(std::uint32_t number) { value(std::int64_t(number)); }
    void value(bool flag);

    // The document, or nothing when a value could not be written.
    std::optional<QByteArray> result() &&;

private:
    void beforeValue();
    void writeString(std::string_view text);
    void writeString(QStringView text);
    void newline();
    void open(char bracket);
    void close(char bracket);

    std::string m_out;
    std::vector<char> m_empty; // per open container: nothing written in it yet
    bool m_afterKey = false;
    bool m_failed = false;
};

} // namespace stellwick::json
