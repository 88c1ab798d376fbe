#pragma once

#include "platform/AnsiString.h"
#include "platform/LogFont.h"
#include "platform/PrinterMetrics.h"
#include "print/FormPrintLayout.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace orvel {

class CDataTable;
class TextMeasure;

// A sheet of labels, in millimetres: `columns` × `rows` labels of
// `labelWidth` × `labelHeight`, the first one `marginLeft` and `marginTop`
// from the sheet's edges, `gapX` and `gapY` between neighbours.
struct LabelSheet
{
    QString name;
    int columns = 0;
    int rows = 0;
    double labelWidth = 0;
    double labelHeight = 0;
    double marginTop = 0;
    double marginLeft = 0;
    double gapX = 0;
    double gapY = 0;
    double pageWidth = 210;
    double pageHeight = 297;

    int LabelsPerSheet() const { return columns * rows; }
    // Label `slot` (from 0, row by row) on the sheet, in millimetres.
    QRectF LabelRect(int slot) const;
};

// The sheets of the table in the data folder: one sheet per line,
// semicolon-separated: name; columns; rows; width; height; top margin; left
// margin; horizontal gap; vertical gap (millimetres, "." or "," as decimal
// point). Empty lines and lines starting with '#' are skipped, and so are
// lines that do not read or whose sheet does not fit A4.
std::vector<LabelSheet> ParseLabelSheets(const QByteArray &text);
std::vector<LabelSheet> ReadLabelSheets(const QString &path);

// Whether a sheet can be printed: 0 when it can, else the id of the message
// that says why (a size or count of 0 or below, or labels that reach beyond
// the sheet).
int CheckLabelSheet(const LabelSheet &sheet);
// 0 when the start position (from 1) lies on the sheet, else the id of the
// message.
int CheckStartPosition(const LabelSheet &sheet, int start);

// What each label shows: up to six lines of fixed text and fields, a field
// written as its name in square brackets ("[Vorname] [Name]"), in one font;
// or the form, scaled into the label.
struct LabelContent
{
    static constexpr int kMaxLines = 6;
    std::vector<AnsiString> lines;
    LOGFONT font = StockFont(DEFAULT_GUI_FONT);
    bool useForm = false;
};

// The lines of one record: every "[name]" of a field replaced by the
// record's display value of that field (an unknown name stays as written).
// A line that names fields which are all empty is left out, so that an
// address without a second line leaves no gap.
std::vector<QString> ExpandLabelLines(const CDataTable &table, int record, const std::vector<AnsiString> &lines);

// The pages of a label printout: the records one per label, row by row,
// starting at label `start` (from 1) of the first sheet, each label's lines
// from its top left corner with a small inner margin, cut at its edges.
class LabelPrintLayout
{
public:
    // `measure` measures the label font on the printer; `formArea` is used
    // when the labels show the form. Both must outlive the layout.
    LabelPrintLayout(const CDataTable &table, std::vector<int> records, const LabelSheet &sheet, int start,
                     const LabelContent &content, const PrinterMetrics &printer, const TextMeasure &measure,
                     const RECT &formArea);

    int PageCount() const;
    FormPage Page(int number) const;

    const LabelSheet &Sheet() const { return m_sheet; }
    // A label's rectangle in device units, origin at the printable area.
    RECT LabelRect(int slot) const;

private:
    const CDataTable &m_table;
    std::vector<int> m_records;
    LabelSheet m_sheet;
    int m_skip = 0;
    LabelContent m_content;
    PrinterMetrics m_printer;
    const TextMeasure &m_measure;
    RECT m_formArea{};
    int m_lineHeight = 1;
};

} // namespace orvel
