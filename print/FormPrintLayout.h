#pragma once

#include "document/PageSettings.h"
#include "platform/Gdi.h"
#include "platform/PrinterMetrics.h"
#include "print/PrintedPage.h"
#include "print/TablePrintLayout.h"

#include <QRectF>

#include <vector>

namespace orvel {

class CDataTable;
class CFormObjects;
class TextMeasure;

// One record drawn through the form on a page: the form's area (in form
// units) goes into `target` (device units, origin at the top left of the
// printable area) at `scale` device units per form unit, clipped to
// `target`.
struct FormPlacement
{
    int record = -1;
    QRectF target;
    double scale = 1.0;
};

// A page of a printout that shows records through the form: the texts of
// the page model (header, footer, label lines) and the forms placed on it.
struct FormPage
{
    PrintedPage page;
    std::vector<FormPlacement> forms;
};

// Which records a form, label or envelope printout takes.
enum class RecordRange { Current, Marked, All };

// The record indices of the range in table order; the current record only
// when it exists.
std::vector<int> SelectRecords(const CDataTable &table, RecordRange range, int currentRecord);

// The form units per inch: a form is drawn in screen pixels.
inline constexpr int kFormDpi = 96;

// The part of the form a printout shows: from the form's origin to the
// right and bottom edges of its lowest and rightmost objects (within the
// form area), so that the objects keep their distance from the top left as
// on screen. Empty when the form has no objects.
RECT PrintedFormArea(const CFormObjects &form);

// The pages of "Formular drucken...": each record of the list drawn through
// the form, one per page or as many as fit one below the other (a little apart), inside the
// page setup's margins, below the header and above the footer. A form larger
// than that area is scaled down to fit unless `actualSize`, which keeps
// 100 % and cuts the form at the area's edges. Pages are made when asked
// for, so that a printout of any length holds one page at a time.
class FormPrintLayout
{
public:
    struct Options
    {
        bool severalPerPage = false;
        bool actualSize = false;
    };

    // `measure` measures the print font on the printer (header and footer
    // lines); it must outlive the layout.
    FormPrintLayout(std::vector<int> records, const RECT &formArea, const PageSettings &settings,
                    const PrinterMetrics &printer, const TextMeasure &measure, const PrintJobOptions &jobOptions,
                    const Options &options);

    int PageCount() const;
    // Page `number` (from 1); an empty page outside the printout.
    FormPage Page(int number) const;

    // Device units per form unit.
    double Scale() const { return m_scale; }
    int RecordsPerPage() const { return m_perPage; }
    // Where the forms go, in device units.
    RECT ContentArea() const { return m_content; }

private:
    std::vector<int> m_records;
    RECT m_formArea{};
    const TextMeasure &m_measure;
    PrintJobOptions m_jobOptions;
    QString m_header;
    QString m_footer;
    PrintedPage::Align m_align = PrintedPage::Align::Left;
    RECT m_margins{};
    RECT m_content{};
    int m_printBottom = 0;
    int m_lineHeight = 1;
    double m_scale = 1.0;
    int m_perPage = 1;
};

} // namespace orvel
