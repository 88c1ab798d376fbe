#include "media/Dialling.h"

#include "platform/Codepage.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

namespace orvel {

namespace {

QString displayText(const CDataTable &table, const CDataRecord &record, int field)
{
    if (field < 0 || field >= table.GetFieldCount() || !IsDataType(table.GetFieldType(field)))
        return QString();
    return AnsiToQString(record.GetDisplayValue(field));
}

int nameField(const CDataTable &table, AnsiView nameKeyword)
{
    const AnsiString keyword = ToLowerA(nameKeyword);
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        if (ToLowerA(table.GetFieldName(pos)).find(keyword) != AnsiString::npos)
            return pos;
    }
    return 0;
}

} // namespace

DialRequest PrepareDialRequest(const CDataTable &table, int record, int field, AnsiView nameKeyword)
{
    DialRequest request;
    const CDataRecord *entry = table.GetRecord(record);
    if (entry == nullptr || field < 0 || field >= table.GetFieldCount())
        return request;
    request.number = displayText(table, *entry, field).left(kMaxDialNumberLength);
    request.name = displayText(table, *entry, nameField(table, nameKeyword));
    return request;
}

QString ApplyDialPrefix(const QString &number, const QString &prefix)
{
    // An international number is dialled as it stands.
    for (const QChar c : number) {
        if (c == u'+')
            return number;
        if (!c.isSpace())
            break;
    }
    return prefix + number;
}

bool HasDialDigits(const QString &number)
{
    for (const QChar c : number) {
        if (c >= u'0' && c <= u'9')
            return true;
    }
    return false;
}

QString TelUrlFromNumber(const QString &number)
{
    QString url = QStringLiteral("tel:");
    for (const QChar c : number) {
        if ((c >= u'0' && c <= u'9') || c == u'+' || c == u'*')
            url += c;
        else if (c == u'#')
            url += QStringLiteral("%23"); // a bare "#" would begin a fragment
    }
    return url;
}

} // namespace orvel
