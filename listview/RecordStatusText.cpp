#include "listview/RecordStatusText.h"

#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"

#include <QDateTime>

#include <charconv>
#include <cstdint>
#include <initializer_list>

namespace orvel {

namespace {

void AppendNumber(QString &out, long long value, int minDigits = 1)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    const int length = int(result.ptr - digits);
    for (int i = length; i < minDigits; ++i)
        out += u'0';
    out += QLatin1StringView(digits, length);
}

// The string-table text with its "%u" replaced by the numbers in turn.
QString FormatUnsigned(const QString &format, std::initializer_list<unsigned> values)
{
    QString out;
    out.reserve(format.size() + 16);
    auto next = values.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u'u' && next != values.end()) {
            AppendNumber(out, *next++);
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

// A record time in local time with the conversions of the time picture
// (%d %m %Y %y %H %M %S %%); anything else is copied.
QString FormatRecordTime(const QString &picture, std::uint32_t seconds)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
    const QDate date = local.date();
    const QTime time = local.time();
    QString out;
    out.reserve(picture.size() + 8);
    for (qsizetype i = 0; i < picture.size(); ++i) {
        if (picture[i] != u'%' || i + 1 == picture.size()) {
            out += picture[i];
            continue;
        }
        switch (picture[++i].unicode()) {
        case u'd':
            AppendNumber(out, date.day(), 2);
            break;
        case u'm':
            AppendNumber(out, date.month(), 2);
            break;
        case u'Y':
            AppendNumber(out, date.year());
            break;
        case u'y':
            AppendNumber(out, date.year() % 100, 2);
            break;
        case u'H':
            AppendNumber(out, time.hour(), 2);
            break;
        case u'M':
            AppendNumber(out, time.minute(), 2);
            break;
        case u'S':
            AppendNumber(out, time.second(), 2);
            break;
        case u'%':
            out += u'%';
            break;
        default:
            out += u'%';
            out += picture[i];
            break;
        }
    }
    return out;
}

} // namespace

QString RecordStatusText(const CDataTable &table, int record)
{
    const CDataRecord *entry = table.GetRecord(record);
    if (!entry)
        return QString();
    // The texts are read once; the line is made on every move of the cursor.
    static const QString recordText = LoadQString(ids::kStatusRecord);
    static const QString timeText = LoadQString(ids::kStatusTime);
    return FormatUnsigned(recordText, {unsigned(record) + 1, unsigned(table.GetRecordCount())})
           + FormatRecordTime(timeText, entry->GetModificationTime());
}

} // namespace orvel
