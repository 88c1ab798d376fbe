#include "cli/JsonWriter.h"

#include "platform/Codepage.h"

#include <charconv>

namespace orvel::cli {

void JsonWriter::AppendEscaped(std::string &out, std::string_view utf8)
{
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 15];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void JsonWriter::newline()
{
    m_out += '\n';
    m_out.append(std::size_t(m_depth) * 2, ' ');
}

void JsonWriter::prefix(std::string_view key)
{
    if (m_depth > 0) {
        if (!m_first)
            m_out += ',';
        newline();
    }
    m_first = false;
    if (!key.empty()) {
        AppendEscaped(m_out, key);
        m_out += ": ";
    }
}

void JsonWriter::beginObject(std::string_view key)
{
    prefix(key);
    m_out += '{';
    ++m_depth;
    m_first = true;
}

void JsonWriter::endObject()
{
    --m_depth;
    if (!m_first)
        newline();
    m_out += '}';
    m_first = false;
    if (m_depth == 0)
        m_out += '\n';
}

void JsonWriter::beginArray(std::string_view key)
{
    prefix(key);
    m_out += '[';
    ++m_depth;
    m_first = true;
}

void JsonWriter::endArray()
{
    --m_depth;
    if (!m_first)
        newline();
    m_out += ']';
    m_first = false;
}

void JsonWriter::value(std::string_view key, int64_t number)
{
    prefix(key);
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    m_out.append(buffer, result.ptr);
}

void JsonWriter::value(std::string_view key, bool flag)
{
    prefix(key);
    m_out += flag ? "true" : "false";
}

namespace {

// Each Windows-1252 byte as UTF-8, so that values need no trip through
// QString (a dump writes a million of them).
struct AnsiUtf8Table
{
    char bytes[256][4];
    unsigned char lengths[256];

    AnsiUtf8Table()
    {
        for (int c = 0; c < 256; ++c) {
            const char16_t u = AnsiCharToUnicode(static_cast<unsigned char>(c));
            char *out = bytes[c];
            if (u < 0x80) {
                out[0] = char(u);
                lengths[c] = 1;
            } else if (u < 0x800) {
                out[0] = char(0xC0 | (u >> 6));
                out[1] = char(0x80 | (u & 0x3F));
                lengths[c] = 2;
            } else {
                out[0] = char(0xE0 | (u >> 12));
                out[1] = char(0x80 | ((u >> 6) & 0x3F));
                out[2] = char(0x80 | (u & 0x3F));
                lengths[c] = 3;
            }
        }
    }
};

} // namespace

void JsonWriter::AppendUtf8(std::string &out, AnsiView text)
{
    static const AnsiUtf8Table table;
    out.reserve(out.size() + text.size() + text.size() / 4);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out.append(table.bytes[byte], table.lengths[byte]);
    }
}

void JsonWriter::value(std::string_view key, AnsiView text)
{
    prefix(key);
    std::string utf8;
    AppendUtf8(utf8, text);
    AppendEscaped(m_out, utf8);
}

void JsonWriter::value(std::string_view key, const QString &text)
{
    prefix(key);
    const QByteArray utf8 = text.toUtf8();
    AppendEscaped(m_out, std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

void JsonWriter::null(std::string_view key)
{
    prefix(key);
    m_out += "null";
}

void JsonWriter::numbers(std::string_view key, std::initializer_list<int64_t> values)
{
    prefix(key);
    m_out += '[';
    bool first = true;
    for (const int64_t v : values) {
        if (!first)
            m_out += ", ";
        first = false;
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
        m_out.append(buffer, result.ptr);
    }
    m_out += ']';
}

} // namespace orvel::cli
