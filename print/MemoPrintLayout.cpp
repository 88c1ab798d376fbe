#include "print/MemoPrintLayout.h"

#include "platform/Codepage.h"
#include "platform/TextMeasure.h"
#include "print/TablePrintLayout.h"

#include <algorithm>
#include <array>

namespace orvel {

namespace {

constexpr std::size_t kTabWidth = 8;

// Tabs become blanks up to the next tab stop, so that the width of a line
// is the sum of its characters' widths.
AnsiString expandTabs(AnsiView line)
{
    if (line.find('\t') == AnsiView::npos)
        return AnsiString(line);
    AnsiString out;
    for (const char c : line) {
        if (c == '\t')
            out.append(kTabWidth - out.size() % kTabWidth, ' ');
        else
            out.push_back(c);
    }
    return out;
}

} // namespace

MemoPrintLayout::MemoPrintLayout(AnsiView memo, const PageSettings &settings, const PrinterMetrics &printer,
                                 const TextMeasure &measure)
    : m_margins(TablePrintLayout::PageMargins(settings, printer))
    , m_horzRes(std::max(1, printer.horzRes))
    , m_vertRes(std::max(1, printer.vertRes))
{
    m_printableWidth = std::max(1, m_horzRes - m_margins.left - m_margins.right);
    m_lineHeight = std::max(1, measure.Height() + measure.ExternalLeading());
    m_linesPerPage = std::max(1, (m_vertRes - m_margins.top - m_margins.bottom) / m_lineHeight);

    // Every line end the memo may hold ("\r\n", or a lone "\r" or "\n")
    // ends a printed line.
    std::size_t start = 0;
    while (start <= memo.size()) {
        std::size_t end = memo.find_first_of("\r\n", start);
        if (end == AnsiView::npos)
            end = memo.size();
        wrap(memo.substr(start, end - start), measure);
        if (end == memo.size())
            break;
        start = end + (memo[end] == '\r' && end + 1 < memo.size() && memo[end + 1] == '\n' ? 2 : 1);
        if (start == memo.size())
            break;
    }
}

void MemoPrintLayout::wrap(AnsiView source, const TextMeasure &measure)
{
    const AnsiString line = expandTabs(source);
    std::array<int, 256> advance;
    advance.fill(-1);
    const auto width = [&](char c) {
        int &w = advance[static_cast<unsigned char>(c)];
        if (w < 0)
            w = measure.TextWidth(AnsiView(&c, 1));
        return w;
    };
    if (line.empty()) {
        m_lines.emplace_back();
        m_widths.push_back(0);
        return;
    }
    std::size_t pos = 0;
    while (pos < line.size()) {
        int used = 0;
        std::size_t end = pos;
        // The last blank after which the line may break, and the width up
        // to it.
        std::size_t breakAt = AnsiView::npos;
        int widthAtBreak = 0;
        while (end < line.size()) {
            const int w = width(line[end]);
            if (used + w > m_printableWidth && end > pos)
                break;
            if (line[end] == ' ') {
                breakAt = end;
                widthAtBreak = used;
            }
            used += w;
            ++end;
        }
        if (end < line.size() && breakAt != AnsiView::npos && breakAt > pos) {
            m_lines.emplace_back(line.substr(pos, breakAt - pos));
            m_widths.push_back(widthAtBreak);
            // The blanks at the break are not carried to the next line.
            pos = line.find_first_not_of(' ', breakAt);
            if (pos == AnsiString::npos)
                pos = line.size();
        } else {
            m_lines.emplace_back(line.substr(pos, end - pos));
            m_widths.push_back(used);
            pos = end;
        }
    }
}

int MemoPrintLayout::PageCount() const
{
    const std::size_t lines = std::max<std::size_t>(1, m_lines.size());
    return int((lines + std::size_t(m_linesPerPage) - 1) / std::size_t(m_linesPerPage));
}

PrintedPage MemoPrintLayout::Page(int number) const
{
    PrintedPage page;
    page.number = number;
    page.margins = {m_margins.left, m_margins.top, m_horzRes - m_margins.right, m_vertRes - m_margins.bottom};
    if (number < 1 || number > PageCount())
        return page;
    const std::size_t first = std::size_t(number - 1) * std::size_t(m_linesPerPage);
    const std::size_t last = std::min(m_lines.size(), first + std::size_t(m_linesPerPage));
    int y = m_margins.top;
    for (std::size_t i = first; i < last; ++i) {
        if (!m_lines[i].empty()) {
            const RECT rect{m_margins.left, y, m_margins.left + m_printableWidth, y + m_lineHeight};
            page.texts.push_back({rect, AnsiToQString(m_lines[i]), PrintedPage::Align::Left, false, m_widths[i]});
        }
        y += m_lineHeight;
    }
    return page;
}

} // namespace orvel
