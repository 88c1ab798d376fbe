#include "exchange/MergeTextExport.h"

#include "exchange/ExportBuffer.h"
#include "exchange/ExportedFields.h"
#include "platform/Nls.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/ValueFormat.h"

#include <new>

namespace orvel {

namespace {

constexpr char kSeparator = ';';
constexpr AnsiView kLineEnd = "\r\n";

AnsiView spelledOut(unsigned char c)
{
    switch (c) {
    case 0xC4:
        return "AE";
    case 0xD6:
        return "OE";
    case 0xDC:
        return "UE";
    case 0xE4:
        return "ae";
    case 0xF6:
        return "oe";
    case 0xFC:
        return "ue";
    case 0xDF:
        return "ss";
    default:
        return {};
    }
}

} // namespace

AnsiString GetMergeFieldName(const CDataTable &table, int pos)
{
    AnsiString plain = table.GetPlainFieldName(pos);
    if (plain.size() > kMaxNameLength)
        plain.resize(kMaxNameLength);
    AnsiString name;
    name.reserve(plain.size() * 2);
    for (char c : plain) {
        const AnsiView replacement = spelledOut(static_cast<unsigned char>(c));
        if (replacement.empty())
            name.push_back(c);
        else
            name.append(replacement);
    }
    return name;
}

int ExportMergeText(const CDataTable &table, QIODevice &out, ProgressBox *progress)
{
    const ExportedFields fields(table);
    const LocaleInfo &locale = CurrentLocale();
    AnsiString display;
    return RunTextExport(
            table, out, progress, ids::kCaptionWritingMerge,
            [&](ExportBuffer &buffer) {
                AppendLine(buffer, fields, kSeparator, kLineEnd,
                           [&](const ExportedField &field) { buffer.append(GetMergeFieldName(table, field.pos)); });
            },
            [&](ExportBuffer &buffer, const CDataRecord &record) {
                AppendLine(buffer, fields, kSeparator, kLineEnd, [&](const ExportedField &field) {
                    buffer.append(field.displayValue(record, locale, display));
                });
            },
            [](ExportBuffer &) {});
}

} // namespace orvel
