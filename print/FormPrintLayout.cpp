#include "print/FormPrintLayout.h"

#include "form/FormObjects.h"
#include "platform/Codepage.h"
#include "platform/TextMeasure.h"
#include "table/DataTable.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

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

// Records stacked on a page keep this distance, in form units.
constexpr int kStackGap = 20;

} // namespace

std::vector<int> SelectRecords(const CDataTable &table, RecordRange range, int currentRecord)
{
    std::vector<int> records;
    const int count = table.GetRecordCount();
    switch (range) {
    case RecordRange::Current:
        if (currentRecord >= 0 && currentRecord < count)
            records.push_back(currentRecord);
        break;
    case RecordRange::Marked:
        records.reserve(std::size_t(table.GetMarkedCount()));
        for (int index = 0; index < count; ++index) {
            if (table.GetRecord(index)->IsMarked())
                records.push_back(index);
        }
        break;
    case RecordRange::All:
        records.resize(std::size_t(count));
        for (int index = 0; index < count; ++index)
            records[std::size_t(index)] = index;
        break;
    }
    return records;
}

RECT PrintedFormArea(const CFormObjects &form)
{
    RECT area{0, 0, 0, 0};
    for (const auto &object : form.GetObjects()) {
        const RECT r = object->GetNormalizedPosition();
        // Objects entirely off the form area are never seen on screen.
        if (r.right <= 0 || r.bottom <= 0 || r.left >= CFormObjects::kFormWidth || r.top >= CFormObjects::kFormHeight)
            continue;
        // Lines and outlines reach one unit beyond their rectangle.
        area.right = std::max(area.right, std::min(r.right + 1, CFormObjects::kFormWidth));
        area.bottom = std::max(area.bottom, std::min(r.bottom + 1, CFormObjects::kFormHeight));
    }
    return area;
}

FormPrintLayout::FormPrintLayout(std::vector<int> records, const RECT &formArea, const PageSettings &settings,
                                 const PrinterMetrics &printer, const TextMeasure &measure,
                                 const PrintJobOptions &jobOptions, const Options &options)
    : m_records(std::move(records))
    , m_formArea(formArea)
    , m_measure(measure)
    , m_jobOptions(jobOptions)
    , m_header(AnsiToQString(settings.pageHeader))
    , m_footer(AnsiToQString(settings.pageFooter))
    , m_align(AlignmentOf(settings.alignment))
{
    const int horzRes = std::max(1, printer.horzRes);
    const int vertRes = std::max(1, printer.vertRes);
    m_margins = TablePrintLayout::PageMargins(settings, printer);
    m_lineHeight = std::max(1, measure.Height() + measure.ExternalLeading() + 6);
    m_printBottom = vertRes - m_margins.bottom;
    m_content = RECT{m_margins.left, m_margins.top, horzRes - m_margins.right, m_printBottom};
    if (!m_header.isEmpty())
        m_content.top += 2 * m_lineHeight;
    if (!m_footer.isEmpty())
        m_content.bottom -= 2 * m_lineHeight;
    // Header and footer leave at least a line for the form.
    m_content.bottom = std::max(m_content.bottom, m_content.top + m_lineHeight);

    const double width = std::max(1, m_formArea.right - m_formArea.left);
    const double height = std::max(1, m_formArea.bottom - m_formArea.top);
    const double contentWidth = m_content.right - m_content.left;
    const double contentHeight = m_content.bottom - m_content.top;
    const int dpi = printer.logPixelsX > 0 ? printer.logPixelsX : kFormDpi;
    m_scale = double(dpi) / kFormDpi;
    if (!options.actualSize)
        m_scale = std::min({m_scale, contentWidth / width, contentHeight / height});
    m_scale = std::max(m_scale, 1e-3);
    m_perPage = 1;
    if (options.severalPerPage) {
        const double pitch = (height + kStackGap) * m_scale;
        m_perPage = std::max(1, int(std::floor((contentHeight + kStackGap * m_scale) / pitch + 1e-9)));
    }
}

int FormPrintLayout::PageCount() const
{
    return int((int64_t(m_records.size()) + m_perPage - 1) / m_perPage);
}

FormPage FormPrintLayout::Page(int number) const
{
    FormPage result;
    PrintedPage &page = result.page;
    page.number = number;
    page.margins = m_margins;
    if (number < 1 || number > PageCount())
        return result;
    const auto text = [this](const RECT &rect, QString content, bool bottom) {
        const int width = m_measure.TextWidth(QStringToAnsi(content));
        return PrintedPage::Text{rect, std::move(content), m_align, bottom, width};
    };
    if (!m_header.isEmpty())
        page.texts.push_back(text({m_margins.left, m_margins.top, m_content.right, m_margins.top + 2 * m_lineHeight},
                                  ExpandPagePlaceholders(m_header, number, m_jobOptions), false));
    if (!m_footer.isEmpty()) {
        const int bottom = m_printBottom;
        page.texts.push_back(text({m_margins.left, bottom - 2 * m_lineHeight, m_content.right, bottom},
                                  ExpandPagePlaceholders(m_footer, number, m_jobOptions), true));
    }

    const double height = (m_formArea.bottom - m_formArea.top) * m_scale;
    const double width = (m_formArea.right - m_formArea.left) * m_scale;
    const std::size_t first = std::size_t(number - 1) * std::size_t(m_perPage);
    for (std::size_t i = first; i < std::min(m_records.size(), first + std::size_t(m_perPage)); ++i) {
        const double top = m_content.top + double(i - first) * (height + kStackGap * m_scale);
        // At 100 % a form larger than the area is cut at its edges.
        const double right = std::min<double>(m_content.left + width, m_content.right);
        const double bottom = std::min<double>(top + height, m_content.bottom);
        result.forms.push_back({m_records[i], QRectF(QPointF(m_content.left, top), QPointF(right, bottom)), m_scale});
    }
    return result;
}

} // namespace orvel
