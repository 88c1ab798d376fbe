#pragma once

#include "platform/AnsiString.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::cli {

// A small streaming JSON writer: UTF-8, keys in the order they are written,
// strings escaped with the two-character escapes or \u00XX. Commas and
// indentation are its business, so callers only say what comes next.
class JsonWriter
{
public:
    void beginObject(std::string_view key = {});
    void endObject();
    void beginArray(std::string_view key = {});
    void endArray();

    void value(std::string_view key, int64_t number);
    void value(std::string_view key, bool flag);
    // Windows-1252 text.
    void value(std::string_view key, AnsiView text);
    void value(std::string_view key, const QString &text);
    void null(std::string_view key = {});
    // Array elements.
    void element(int64_t number) { value({}, number); }
    void element(AnsiView text) { value({}, text); }
    // An array of numbers on one line, such as a position.
    void numbers(std::string_view key, std::initializer_list<int64_t> values);

    const std::string &text() const { return m_out; }
    std::string take() { return std::move(m_out); }

    static void AppendEscaped(std::string &out, std::string_view utf8);
    // Windows-1252 text as UTF-8, unescaped.
    static void AppendUtf8(std::string &out, AnsiView text);

private:
    void prefix(std::string_view key);
    void newline();

    std::string m_out;
    int m_depth = 0;
    bool m_first = true;
};

} // namespace orvel::cli
