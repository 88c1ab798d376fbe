#include "print/LabelPrintLayout.h"

#include "platform/Codepage.h"
#include "platform/TextMeasure.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

// Sizes in millimetres are compared with this much play, so that a sheet
// given to a tenth of a millimetre that fills the page exactly still fits.
constexpr double kPlayMm = 0.05;
// The text keeps this distance from a label's left and top edges.
constexpr double kInnerMarginMm = 2.0;
constexpr double kMmPerInch = 25.4;

bool readNumber(QByteArray text, double *value)
{
    text = text.trimmed().replace(',', '.');
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value);
}

} // namespace

QRectF LabelSheet::LabelRect(int slot) const
{
    const int columnCount = std::max(1, columns);
    const int column = slot % columnCount;
    const int row = slot / columnCount;
    return QRectF(marginLeft + column * (labelWidth + gapX), marginTop + row * (labelHeight + gapY), labelWidth,
                  labelHeight);
}

int CheckLabelSheet(const LabelSheet &sheet)
{
    if (sheet.columns <= 0 || sheet.rows <= 0 || !(sheet.labelWidth > 0) || !(sheet.labelHeight > 0)
        || !(sheet.marginTop >= 0) || !(sheet.marginLeft >= 0) || !(sheet.gapX >= 0) || !(sheet.gapY >= 0))
        return ids::kMsgLabelSizeInvalid;
    // Counts beyond any sheet are refused before they are multiplied.
    if (sheet.columns > 1000 || sheet.rows > 1000)
        return ids::kMsgLabelsDoNotFit;
    const double width = sheet.marginLeft + sheet.columns * sheet.labelWidth + (sheet.columns - 1) * sheet.gapX;
    const double height = sheet.marginTop + sheet.rows * sheet.labelHeight + (sheet.rows - 1) * sheet.gapY;
    if (width > sheet.pageWidth + kPlayMm || height > sheet.pageHeight + kPlayMm)
        return ids::kMsgLabelsDoNotFit;
    return 0;
}

int CheckStartPosition(const LabelSheet &sheet, int start)
{
    return start >= 1 && start <= sheet.LabelsPerSheet() ? 0 : ids::kMsgLabelStartInvalid;
}

std::vector<LabelSheet> ParseLabelSheets(const QByteArray &text)
{
    std::vector<LabelSheet> sheets;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> parts = line.split(';');
        if (parts.size() != 9)
            continue;
        LabelSheet sheet;
        sheet.name = QString::fromUtf8(parts[0].trimmed());
        bool ok = !sheet.name.isEmpty();
        const QByteArray columns = parts[1].trimmed();
        const QByteArray rows = parts[2].trimmed();
        bool okColumns = false;
        bool okRows = false;
        sheet.columns = columns.toInt(&okColumns);
        sheet.rows = rows.toInt(&okRows);
        ok = ok && okColumns && okRows;
        double *const numbers[] = {&sheet.labelWidth, &sheet.labelHeight, &sheet.marginTop,
                                   &sheet.marginLeft, &sheet.gapX,        &sheet.gapY};
        for (int i = 0; i < 6; ++i)
            ok = ok && readNumber(parts[3 + i], numbers[i]);
        if (ok && CheckLabelSheet(sheet) == 0)
            sheets.push_back(std::move(sheet));
    }
    return sheets;
}

std::vector<LabelSheet> ReadLabelSheets(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A table of a few dozen lines; anything far larger is not ours.
    return ParseLabelSheets(file.read(1 << 20));
}

std::vector<QString> ExpandLabelLines(const CDataTable &table, int record, const std::vector<AnsiString> &lines)
{
    std::vector<QString> out;
    const CDataRecord *data = table.GetRecord(record);
    if (data == nullptr)
        return out;
    AnsiString buffer;
    for (const AnsiString &line : lines) {
        AnsiString expanded;
        bool named = false;
        bool filled = false;
        std::size_t at = 0;
        while (at < line.size()) {
            const std::size_t open = line.find('[', at);
            const std::size_t close = open == AnsiString::npos ? AnsiString::npos : line.find(']', open + 1);
            if (close == AnsiString::npos) {
                expanded.append(line, at, AnsiString::npos);
                break;
            }
            expanded.append(line, at, open - at);
            const AnsiView name = AnsiView(line).substr(open + 1, close - open - 1);
            int field = -1;
            for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
                if (AnsiView(table.GetFieldName(pos)) == name) {
                    field = pos;
                    break;
                }
            }
            if (field < 0) {
                // Not a field: the brackets are text.
                expanded.append(line, open, close - open + 1);
            } else {
                named = true;
                const AnsiView value = data->GetDisplayValue(field, buffer);
                filled = filled || !value.empty();
                expanded.append(value);
            }
            at = close + 1;
        }
        if (named && !filled)
            continue;
        out.push_back(AnsiToQString(expanded));
    }
    return out;
}

LabelPrintLayout::LabelPrintLayout(const CDataTable &table, std::vector<int> records, const LabelSheet &sheet,
                                   int start, const LabelContent &content, const PrinterMetrics &printer,
                                   const TextMeasure &measure, const RECT &formArea)
    : m_table(table)
    , m_records(std::move(records))
    , m_sheet(sheet)
    , m_skip(std::clamp(start, 1, std::max(1, sheet.LabelsPerSheet())) - 1)
    , m_content(content)
    , m_printer(printer)
    , m_measure(measure)
    , m_formArea(formArea)
    , m_lineHeight(std::max(1, measure.Height() + measure.ExternalLeading()))
{
    if (m_content.lines.size() > std::size_t(LabelContent::kMaxLines))
        m_content.lines.resize(LabelContent::kMaxLines);
}

int LabelPrintLayout::PageCount() const
{
    const int64_t perSheet = std::max(1, m_sheet.LabelsPerSheet());
    if (m_records.empty())
        return 0;
    return int((m_skip + int64_t(m_records.size()) + perSheet - 1) / perSheet);
}

RECT LabelPrintLayout::LabelRect(int slot) const
{
    const QRectF mm = m_sheet.LabelRect(slot);
    const auto x = [this](double value) {
        return int(std::lround(value * m_printer.logPixelsX / kMmPerInch)) - m_printer.offsetX;
    };
    const auto y = [this](double value) {
        return int(std::lround(value * m_printer.logPixelsY / kMmPerInch)) - m_printer.offsetY;
    };
    return RECT{x(mm.left()), y(mm.top()), x(mm.right()), y(mm.bottom())};
}

FormPage LabelPrintLayout::Page(int number) const
{
    FormPage result;
    result.page.number = number;
    if (number < 1 || number > PageCount())
        return result;
    const int64_t perSheet = std::max(1, m_sheet.LabelsPerSheet());
    const int64_t firstSlot = (number - 1) * perSheet;
    const int innerX = int(std::lround(kInnerMarginMm * m_printer.logPixelsX / kMmPerInch));
    const int innerY = int(std::lround(kInnerMarginMm * m_printer.logPixelsY / kMmPerInch));
    const double formWidth = std::max(1, m_formArea.right - m_formArea.left);
    const double formHeight = std::max(1, m_formArea.bottom - m_formArea.top);
    for (int slot = 0; slot < perSheet; ++slot) {
        // The first labels of the first sheet may be used already.
        const int64_t index = firstSlot + slot - m_skip;
        if (index < 0)
            continue;
        if (index >= int64_t(m_records.size()))
            break;
        const int record = m_records[std::size_t(index)];
        const RECT label = LabelRect(slot);
        if (m_content.useForm) {
            const double scale =
                    std::min((label.right - label.left) / formWidth, (label.bottom - label.top) / formHeight);
            result.forms.push_back(
                    {record, QRectF(label.left, label.top, formWidth * scale, formHeight * scale), scale});
            continue;
        }
        int y = label.top + innerY;
        for (QString &line : ExpandLabelLines(m_table, record, m_content.lines)) {
            // Only whole lines: what does not fit the label is left out.
            if (y + m_lineHeight > label.bottom)
                break;
            const RECT rect{label.left + innerX, y, label.right - innerX / 2, y + m_lineHeight};
            const int width = m_measure.TextWidth(QStringToAnsi(line));
            result.page.texts.push_back({rect, std::move(line), PrintedPage::Align::Left, false, width});
            y += m_lineHeight;
        }
    }
    return result;
}

} // namespace orvel
