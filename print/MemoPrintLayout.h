#pragma once

#include "document/PageSettings.h"
#include "platform/AnsiString.h"
#include "platform/PrinterMetrics.h"
#include "print/PrintedPage.h"

#include <vector>

namespace orvel {

class TextMeasure;

// The pages of a printed memo: its lines one below the other from the top
// margin, in the page setup's print font within its margins. A line wider
// than the space between the margins is wrapped at its last blank that
// fits (a word too long for a line is broken), and a line that would reach
// below the bottom margin starts the next page. An empty memo prints one
// empty page. Tabs advance to the next multiple of eight characters.
class MemoPrintLayout
{
public:
    // `measure` measures the print font (TablePrintLayout::PrintFont) on
    // the printer; it is only used while the layout is made.
    MemoPrintLayout(AnsiView memo, const PageSettings &settings, const PrinterMetrics &printer,
                    const TextMeasure &measure);

    int PageCount() const;
    // Page `number` (from 1); an empty page outside the printout.
    PrintedPage Page(int number) const;

    int LineHeight() const { return m_lineHeight; }
    int LinesPerPage() const { return m_linesPerPage; }
    // The printed lines, as Windows-1252 bytes.
    const std::vector<AnsiString> &Lines() const { return m_lines; }

private:
    void wrap(AnsiView line, const TextMeasure &measure);

    RECT m_margins{};
    int m_horzRes = 1;
    int m_vertRes = 1;
    int m_printableWidth = 1;
    int m_lineHeight = 1;
    int m_linesPerPage = 1;
    std::vector<AnsiString> m_lines;
    std::vector<int> m_widths;
};

} // namespace orvel
