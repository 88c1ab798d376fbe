#include "exchange/HtmlExport.h"

#include "exchange/ExportBuffer.h"
#include "exchange/ExportedFields.h"
#include "platform/Codepage.h"
#include "platform/Nls.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/ValueFormat.h"

#include <cstring>
#include <new>
#include <vector>

namespace orvel {

namespace {

// A cell must not be empty, or browsers draw it without its frame.
constexpr AnsiView kEmptyCell = "<BR>";

// Data is text, never markup: a value with "<script>" in it shows as such.
// `before` and `after` (tags) go around the text; the whole cell takes one
// reservation.
void appendEscaped(ExportBuffer &out, AnsiView text, AnsiView before = {}, AnsiView after = {})
{
    static const StopBytes markup(StopBytes::bytes({'&', '<', '>'}));
    constexpr std::size_t kLongestEntity = 5; // "&amp;"
    char *dst = out.reserve(before.size() + text.size() * kLongestEntity + after.size() + StopBytes::kSlack);
    if (!before.empty())
        std::memcpy(dst, before.data(), before.size());
    dst = markup.copy(dst + before.size(), text, [](char c, char *at) {
        switch (c) {
        case '&':
            std::memcpy(at, "&amp;", 5);
            return at + 5;
        case '<':
            std::memcpy(at, "&lt;", 4);
            return at + 4;
        case '>':
            std::memcpy(at, "&gt;", 4);
            return at + 4;
        default:
            *at = c;
            return at + 1;
        }
    });
    if (!after.empty())
        std::memcpy(dst, after.data(), after.size());
    out.commit(dst + after.size());
}

// A cell of the table, its text between `before` and `after`.
void appendCellText(ExportBuffer &out, AnsiView text, AnsiView before = {}, AnsiView after = {})
{
    if (!text.empty()) {
        appendEscaped(out, text, before, after);
        return;
    }
    out.append(before);
    out.append(kEmptyCell);
    out.append(after);
}

} // namespace

int ExportHtml(const CDataTable &table, QIODevice &out, const QString &title, ProgressBox *progress, int parts)
{
    const ExportedFields fields(table);
    const AnsiString ansiTitle = QStringToAnsi(title);
    parts = ExportParts(table, parts);
    std::vector<AnsiString> display = ExportScratch(parts);
    return RunTextExport(
            table, out, progress, ids::kCaptionWritingHtml, parts,
            [&](ExportBuffer &buffer) {
                buffer.append("<HTML>\n<HEAD>\n <TITLE>");
                appendEscaped(buffer, ansiTitle);
                buffer.append(
                        "</TITLE>\n <META NAME=\"GENERATOR\" CONTENT=\"Orvel 97 [Quistar]\">\n</HEAD>\n\n<BODY>\n\n");
                buffer.append("<H1>");
                appendEscaped(buffer, ansiTitle);
                buffer.append("</H1>\n<HR>\n\n<TABLE BORDER=1 CELLSPACING=1 CELLPADDING=8>\n <TR>\n  ");
                for (const ExportedField &field : fields) {
                    buffer.append("<TD><B>");
                    appendCellText(buffer, table.GetPlainFieldName(field.pos));
                    buffer.append("</B></TD>");
                }
                buffer.append("\n </TR>\n\n");
            },
            [&](ExportBuffer &buffer, const CDataRecord &record, int part) {
                AnsiString &scratch = display[static_cast<std::size_t>(part)];
                buffer.append(" <TR>\n  ");
                for (const ExportedField &field : fields)
                    appendCellText(buffer, field.displayValue(record, scratch), "<TD>", "</TD>");
                buffer.append("\n </TR>\n");
            },
            [](ExportBuffer &buffer) { buffer.append("</TABLE>\n\n</BODY>\n</HTML>"); });
}

} // namespace orvel
