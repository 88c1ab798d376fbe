#include "print/TablePrintLayout.h"

#include "platform/Codepage.h"
#include "platform/MulDiv.h"
#include "platform/TextMeasure.h"
#include "table/DataTable.h"

#include <algorithm>

namespace orvel {

namespace {

// The screen resolution the stored print font is measured in.
constexpr int kScreenDpi = 96;
// Record numbers take six character units; they are drawn in five.
constexpr int kNumberUnits = 6;
constexpr int kNumberDrawnUnits = 5;

PrintedPage::Align AlignmentOf(int alignment)
{
    switch (alignment) {
    case PageSettings::Centred:
        return PrintedPage::Align::Centre;
    case PageSettings::Right:
        return PrintedPage::Align::Right;
    default:
        return PrintedPage::Align::Left;
    }
}

QString TimeText(const QDateTime &when)
{
    return when.isValid() ? when.toString(QStringLiteral("HH:mm")) : QString();
}

QString DateText(const QDateTime &when)
{
    return when.isValid() ? when.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

} // namespace

LOGFONT TablePrintLayout::PrintFont(const PageSettings &settings, const PrinterMetrics &printer)
{
    LOGFONT font = settings.printFont;
    int64_t height = font.lfHeight;
    if (height == 0)
        height = StockFont(DEFAULT_GUI_FONT).lfHeight;
    const int dpi = printer.logPixelsY > 0 ? printer.logPixelsY : kScreenDpi;
    int64_t scaled = height * dpi / kScreenDpi;
    // A line must fit a page several times over, whatever the file says.
    const int64_t largest = std::max(1, printer.vertRes / 8);
    const int64_t magnitude = std::clamp<int64_t>(scaled < 0 ? -scaled : scaled, 1, largest);
    scaled = scaled < 0 ? -magnitude : magnitude;
    font.lfHeight = int32_t(scaled);
    font.lfWidth = 0;
    font.lfEscapement = 0;
    font.lfOrientation = 0;
    return font;
}

TablePrintLayout::TablePrintLayout(const CDataTable &table, const PageSettings &settings, const PrinterMetrics &printer,
                                   const TextMeasure &measure, const PrintJobOptions &options,
                                   const std::function<void(int field)> &onField)
    : m_table(table)
    , m_measure(measure)
    , m_settings(settings)
    , m_options(options)
    , m_header(AnsiToQString(settings.pageHeader))
    , m_footer(AnsiToQString(settings.pageFooter))
    , m_horzRes(std::max(1, printer.horzRes))
    , m_vertRes(std::max(1, printer.vertRes))
{
    m_settings.lineStyle =
            int16_t(std::clamp<int>(m_settings.lineStyle, PageSettings::NoLine, PageSettings::DashDotDot));
    m_lineHeight = std::max(1, measure.Height() + measure.ExternalLeading() + 6);
    m_descent = std::max(0, measure.Descent());
    m_charUnit = std::max(1, measure.AverageCharWidth() + 4);
    computeMargins(printer);

    int height = m_printableHeight;
    for (const bool present : {!m_header.isEmpty(), !m_footer.isEmpty(), m_settings.printFieldNames != 0}) {
        if (present)
            height -= 2 * m_lineHeight;
    }
    // At least one record on a page, whatever the fonts and texts.
    m_rowsPerPage = std::max(1, height / m_lineHeight);

    if (m_options.printMarked) {
        for (int index = 0; index < m_table.GetRecordCount(); ++index) {
            if (m_table.GetRecord(index)->IsMarked())
                m_marked.push_back(index);
        }
    }
    const int records = m_options.printMarked ? int(m_marked.size()) : m_table.GetRecordCount();
    m_rowPages = std::max(1, (records + m_rowsPerPage - 1) / m_rowsPerPage);

    computeColumnWidths(onField);
    computeColumnPages();
}

RECT TablePrintLayout::PageMargins(const PageSettings &settings, const PrinterMetrics &printer)
{
    const int horzRes = std::max(1, printer.horzRes);
    const int vertRes = std::max(1, printer.vertRes);
    const int horzSize = std::max(1, printer.horzSizeMm);
    const int vertSize = std::max(1, printer.vertSizeMm);
    const int rightBorder = std::max(0, printer.physicalWidth - printer.horzRes - printer.offsetX);
    const int bottomBorder = std::max(0, printer.physicalHeight - printer.vertRes - printer.offsetY);
    const auto device = [](int mm, int res, int size, int border) {
        return std::max(0, MulDiv(std::max(0, mm), res, size) - border);
    };
    RECT margins{};
    margins.left = device(settings.marginLeft, horzRes, horzSize, printer.offsetX);
    margins.right = device(settings.marginRight, horzRes, horzSize, rightBorder);
    margins.top = device(settings.marginTop, vertRes, vertSize, printer.offsetY);
    margins.bottom = device(settings.marginBottom, vertRes, vertSize, bottomBorder);
    // Margins that leave too little of the paper are not kept: the text
    // gets the printable area.
    if (horzRes - margins.left - margins.right < horzRes / 4)
        margins.left = margins.right = 0;
    if (vertRes - margins.top - margins.bottom < vertRes / 4)
        margins.top = margins.bottom = 0;
    return margins;
}

void TablePrintLayout::computeMargins(const PrinterMetrics &printer)
{
    m_margins = PageMargins(m_settings, printer);
    m_printableWidth = m_horzRes - m_margins.left - m_margins.right;
    m_printableHeight = m_vertRes - m_margins.top - m_margins.bottom;
}

PrintedPage::Text TablePrintLayout::text(const RECT &rect, QString content, PrintedPage::Align align, bool bottom) const
{
    const int width = m_measure.TextWidth(QStringToAnsi(content));
    return {rect, std::move(content), align, bottom, width};
}

void TablePrintLayout::computeColumnWidths(const std::function<void(int)> &onField)
{
    const TextMeasure &measure = m_measure;
    const int fields = std::min(m_table.GetFieldCount(), 32);
    m_columnWidths.assign(std::size_t(fields), 0);
    const int blanks = measure.TextWidth("  ");
    AnsiString buffer;
    for (int pos = 0; pos < fields; ++pos) {
        int width = 0;
        if (m_settings.determineWidths != 0) {
            if (m_settings.printFieldNames != 0)
                width = measure.TextWidth(m_table.GetPlainFieldName(pos)) + blanks;
            const auto widen = [&](int index) {
                const AnsiView value = m_table.GetRecord(index)->GetDisplayValue(pos, buffer);
                width = std::max(width, measure.TextWidth(value) + blanks);
            };
            if (m_options.printMarked) {
                for (const int index : m_marked)
                    widen(index);
            } else {
                for (int index = 0; index < m_table.GetRecordCount(); ++index)
                    widen(index);
            }
        } else {
            width = std::max(0, m_table.GetColumnWidth(pos)) * m_charUnit;
        }
        m_columnWidths[std::size_t(pos)] = width;
        if (onField)
            onField(pos);
    }
}

void TablePrintLayout::computeColumnPages()
{
    const bool numbers = m_settings.numberRecords != 0;
    int available = m_printableWidth - (numbers ? kNumberUnits * m_charUnit : 0);
    m_columnPages.assign(1, 0);
    int sum = 0;
    for (int pos = 0; pos < int(m_columnWidths.size()); ++pos) {
        if (m_table.GetPrintFlag(pos) == 0)
            continue;
        const int width = m_columnWidths[std::size_t(pos)];
        if (sum + width <= available) {
            m_columnPages.back() |= 1u << pos;
            sum += width;
            continue;
        }
        if (sum > 0) {
            // A new column page, and the field tried there.
            m_columnPages.push_back(0);
            available = m_printableWidth;
            if (width <= available) {
                m_columnPages.back() |= 1u << pos;
                sum = width;
                continue;
            }
        }
        // Too wide even for an empty page: alone on it, clipped, and the
        // next field starts a page of its own.
        m_columnPages.back() |= 1u << pos;
        m_columnPages.push_back(0);
        available = m_printableWidth;
        sum = 0;
    }
    if (m_columnPages.size() > 1 && m_columnPages.back() == 0)
        m_columnPages.pop_back();
}

int TablePrintLayout::tableWidth(uint32_t mask) const
{
    int sum = 0;
    for (int pos = 0; pos < int(m_columnWidths.size()); ++pos) {
        if (mask & (1u << pos))
            sum += m_columnWidths[std::size_t(pos)];
    }
    return sum;
}

int TablePrintLayout::PageCount() const
{
    const int64_t pages = int64_t(m_rowPages) * int64_t(m_columnPages.size());
    return int(std::min<int64_t>(pages, INT32_MAX));
}

std::vector<int> TablePrintLayout::recordsOfRowPage(int row) const
{
    std::vector<int> records;
    const int64_t first = int64_t(row) * m_rowsPerPage;
    const int64_t count = m_options.printMarked ? int64_t(m_marked.size()) : int64_t(m_table.GetRecordCount());
    for (int64_t i = first; i < std::min(count, first + m_rowsPerPage); ++i)
        records.push_back(m_options.printMarked ? m_marked[std::size_t(i)] : int(i));
    return records;
}

QString TablePrintLayout::ExpandPlaceholders(const QString &text, int pageNumber) const
{
    return ExpandPagePlaceholders(text, pageNumber, m_options);
}

QString ExpandPagePlaceholders(const QString &text, int pageNumber, const PrintJobOptions &options)
{
    // One pass from left to right: what a placeholder brings in (a path
    // with "&d" in it) stays as it is.
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar code = text[i + 1];
        if (code == u'p')
            out += QString::number(pageNumber);
        else if (code == u'f')
            out += options.documentPath;
        else if (code == u't')
            out += TimeText(options.printed);
        else if (code == u'd')
            out += DateText(options.printed);
        else if (code == u'T')
            out += TimeText(options.fileModified);
        else if (code == u'D')
            out += DateText(options.fileModified);
        else {
            out += text[i];
            continue;
        }
        ++i;
    }
    return out;
}

PrintedPage TablePrintLayout::Page(int number) const
{
    PrintedPage page;
    page.number = number;
    page.margins = {m_margins.left, m_margins.top, m_horzRes - m_margins.right, m_vertRes - m_margins.bottom};
    if (number < 1 || number > PageCount())
        return page;
    const int columnPageCount = int(m_columnPages.size());
    const int index = number - 1;
    const int columnPage = index % columnPageCount;
    const uint32_t mask = m_columnPages[std::size_t(columnPage)];
    const std::vector<int> records = recordsOfRowPage(index / columnPageCount);

    const bool numbers = m_settings.numberRecords != 0 && columnPage == 0;
    const int numberWidth = numbers ? kNumberUnits * m_charUnit : 0;
    const int available = m_printableWidth - numberWidth;
    const int sum = tableWidth(mask);
    int offset = 0;
    if (m_settings.alignment == PageSettings::Centred)
        offset = (available - sum) / 2;
    else if (m_settings.alignment == PageSettings::Right)
        offset = available - sum;
    offset = std::max(0, offset);
    const int left = m_margins.left + offset;
    const int printRight = m_margins.left + m_printableWidth;
    const PrintedPage::Align align = AlignmentOf(m_settings.alignment);
    const bool lines = m_settings.lineStyle != PageSettings::NoLine;
    const int line = m_lineHeight;
    const int lineY = line - m_descent / 2;

    int y = m_margins.top;
    if (!m_header.isEmpty()) {
        page.texts.push_back(
                text({m_margins.left, y, printRight, y + 2 * line}, ExpandPlaceholders(m_header, number), align));
        y += 2 * line;
    }

    const auto fieldsOfPage = [&](auto &&each) {
        for (int pos = 0; pos < int(m_columnWidths.size()); ++pos) {
            if (mask & (1u << pos))
                each(pos, m_columnWidths[std::size_t(pos)]);
        }
    };
    if (m_settings.printFieldNames != 0) {
        int x = left + numberWidth;
        fieldsOfPage([&](int pos, int width) {
            const AnsiString name = m_table.GetPlainFieldName(pos);
            page.texts.push_back({{x, y, std::min(printRight, x + width), y + line},
                                  AnsiToQString(name),
                                  PrintedPage::Align::Left,
                                  false,
                                  m_measure.TextWidth(name)});
            x += width;
        });
        if (lines) {
            page.lines.push_back({left, std::min(printRight, x), y + lineY});
            page.lines.push_back({left, std::min(printRight, x), y + lineY + 1});
        }
        y += 2 * line;
    }

    const int clipUnits = m_settings.determineWidths != 0 ? 0 : 2 * m_charUnit;
    AnsiString buffer;
    const int firstRow = (index / columnPageCount) * m_rowsPerPage;
    for (std::size_t row = 0; row < records.size(); ++row) {
        const int record = records[row];
        int x = left;
        if (numbers) {
            // Marked records numbered consecutively count their rows.
            const int shown =
                    m_options.printMarked && m_options.consecutiveNumbers ? firstRow + int(row) + 1 : record + 1;
            page.texts.push_back(text({x, y, std::min(printRight, x + kNumberDrawnUnits * m_charUnit), y + line},
                                      QString::number(shown), PrintedPage::Align::Right));
            x += numberWidth;
        }
        const CDataRecord *values = m_table.GetRecord(record);
        fieldsOfPage([&](int pos, int width) {
            const int right = std::max(x, std::min(printRight, x + width) - clipUnits);
            const AnsiView value = values->GetDisplayValue(pos, buffer);
            page.texts.push_back({{x, y, right, y + line},
                                  AnsiToQString(value),
                                  PrintedPage::Align::Left,
                                  false,
                                  m_measure.TextWidth(value)});
            x += width;
        });
        if (lines)
            page.lines.push_back({left, std::min(printRight, x), y + lineY});
        y += line;
    }

    if (!m_footer.isEmpty()) {
        const int bottom = m_vertRes - m_margins.bottom;
        page.texts.push_back(text({m_margins.left, bottom - 2 * line, printRight, bottom},
                                  ExpandPlaceholders(m_footer, number), align, true));
    }
    return page;
}

} // namespace orvel
