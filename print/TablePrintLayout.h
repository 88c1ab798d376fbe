#pragma once

#include "document/PageSettings.h"
#include "platform/PrinterMetrics.h"
#include "print/PrintedPage.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace orvel {

class CDataTable;
class TextMeasure;

// What a print job knows besides the table and its page settings.
struct PrintJobOptions
{
    // Only the marked records ("Markierung" in the print dialog).
    bool printMarked = false;
    // Marked records numbered 1, 2, 3... instead of by their record number.
    bool consecutiveNumbers = false;
    // For the placeholders of header and footer.
    QString documentPath;
    QDateTime fileModified;
    QDateTime printed;
};

// Header and footer texts of any printout with their placeholders ("&p",
// "&f", "&t", "&d", "&T", "&D") replaced, in one pass from left to right.
QString ExpandPagePlaceholders(const QString &text, int pageNumber, const PrintJobOptions &options);

// The pages of a printout of the table: one line per record, one column per
// printed field, split into column pages where the fields are wider than
// the page and into row pages by the records; header and footer texts,
// field names, record numbers and separator lines as the page settings say.
// Laid out once (column widths and column pages), each page is made when it
// is asked for, so that a printout of any length holds one page at a time.
class TablePrintLayout
{
public:
    // `measure` measures the print font on the printer (see PrintFont); it
    // must outlive the layout. `onField` hears of each field measured, for
    // a progress display.
    TablePrintLayout(const CDataTable &table, const PageSettings &settings, const PrinterMetrics &printer,
                     const TextMeasure &measure, const PrintJobOptions &options,
                     const std::function<void(int field)> &onField = {});

    // The document's print font at the printer's resolution, sane: a height
    // of 0 is the stock font's, heights are limited so that a line fits the
    // paper.
    static LOGFONT PrintFont(const PageSettings &settings, const PrinterMetrics &printer);
    // The page setup's margins on the printer, in device units from the
    // edges of the printable area: the margins on the paper less the
    // printer's unprintable border. Margins that would leave less than a
    // quarter of the printable width or height are dropped.
    static RECT PageMargins(const PageSettings &settings, const PrinterMetrics &printer);

    int PageCount() const;
    // Page `number` (from 1); an empty page outside the printout.
    PrintedPage Page(int number) const;

    // The layout, in device units.
    RECT Margins() const { return m_margins; }
    int PrintableWidth() const { return m_printableWidth; }
    int PrintableHeight() const { return m_printableHeight; }
    int LineHeight() const { return m_lineHeight; }
    int CharUnit() const { return m_charUnit; }
    int RowsPerPage() const { return m_rowsPerPage; }
    const std::vector<int> &ColumnWidths() const { return m_columnWidths; }
    // Per column page: bit i = the field at display position i.
    const std::vector<uint32_t> &ColumnPages() const { return m_columnPages; }

    // Header and footer texts with their placeholders replaced.
    QString ExpandPlaceholders(const QString &text, int pageNumber) const;

private:
    void computeMargins(const PrinterMetrics &printer);
    void computeColumnWidths(const std::function<void(int)> &onField);
    PrintedPage::Text text(const RECT &rect, QString content, PrintedPage::Align align = PrintedPage::Align::Left,
                           bool bottom = false) const;
    void computeColumnPages();
    // The records of row page `row`: their indices.
    std::vector<int> recordsOfRowPage(int row) const;
    int tableWidth(uint32_t mask) const;

    const CDataTable &m_table;
    const TextMeasure &m_measure;
    PageSettings m_settings;
    PrintJobOptions m_options;
    QString m_header;
    QString m_footer;
    int m_horzRes = 0;
    int m_vertRes = 0;
    RECT m_margins{};
    int m_printableWidth = 0;
    int m_printableHeight = 0;
    int m_lineHeight = 1;
    int m_descent = 0;
    int m_charUnit = 1;
    int m_rowsPerPage = 1;
    int m_rowPages = 1;
    std::vector<int> m_columnWidths;
    std::vector<uint32_t> m_columnPages;
    // The records printed, when printing marked records.
    std::vector<int> m_marked;
};

} // namespace orvel
