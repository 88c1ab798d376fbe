#include "listview/FormViewPlaceholder.h"

#include "document/OrvelDoc.h"
#include "platform/Gdi.h"
#include "resources/StringTable.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"

#include <QDateTime>
#include <QPaintEvent>
#include <QPainter>

namespace orvel {

namespace {

constexpr int kStatusRecordText = 317; // "Datensatz %u von %u, "
constexpr int kStatusTimeText = 306;   // "Letzte Änderung: %d.%m.%Y - %H:%M"
constexpr int kRasterStep = 8;         // dots of the design raster, in pixels

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The time picture's conversions (%d %m %Y %y %H %M %S %%) in local time.
QString formatTime(const QString &picture, const QDateTime &time)
{
    QString out;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        if (picture[i] != u'%' || i + 1 == picture.size()) {
            out += picture[i];
            continue;
        }
        switch (picture[++i].unicode()) {
        case u'd':
            out += twoDigits(time.date().day());
            break;
        case u'm':
            out += twoDigits(time.date().month());
            break;
        case u'Y':
            out += QStringLiteral("%1").arg(time.date().year());
            break;
        case u'y':
            out += twoDigits(time.date().year() % 100);
            break;
        case u'H':
            out += twoDigits(time.time().hour());
            break;
        case u'M':
            out += twoDigits(time.time().minute());
            break;
        case u'S':
            out += twoDigits(time.time().second());
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
    QString text = LoadQString(kStatusRecordText);
    const unsigned numbers[2] = {unsigned(record) + 1, unsigned(table.GetRecordCount())};
    for (unsigned number : numbers) {
        const qsizetype at = text.indexOf(QStringLiteral("%u"));
        if (at < 0)
            break;
        text.replace(at, 2, QStringLiteral("%1").arg(number));
    }
    const QDateTime time = QDateTime::fromSecsSinceEpoch(entry->GetModificationTime(), Qt::LocalTime);
    return text + formatTime(LoadQString(kStatusTimeText), time);
}

FormViewPlaceholder::FormViewPlaceholder(COrvelDoc &doc, QWidget *parent)
    : QWidget(parent)
    , m_doc(doc)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FormViewPlaceholder::Initialise()
{
    update();
}

void FormViewPlaceholder::SetDesignMode(bool design)
{
    m_design = design;
    Initialise();
}

void FormViewPlaceholder::OnUpdate(int, std::intptr_t)
{
    update();
}

void FormViewPlaceholder::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), ColorRefToQColor(m_doc.GetBackgroundColor()));
    if (!m_design)
        return;
    // The designer's raster, so that design mode is recognisable.
    painter.setPen(QColor(128, 128, 128));
    const QRect dirty = event->rect();
    for (int y = dirty.top() - dirty.top() % kRasterStep; y <= dirty.bottom(); y += kRasterStep) {
        for (int x = dirty.left() - dirty.left() % kRasterStep; x <= dirty.right(); x += kRasterStep)
            painter.drawPoint(x, y);
    }
}

} // namespace orvel
