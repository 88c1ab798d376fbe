#pragma once

#include "print/PrintedPage.h"

#include <QFont>
#include <QPen>

class QPainter;

namespace orvel {

// Paints pages of a printout with a painter whose origin is the top left of
// the printable area, in the printer's device units: the printer, a PDF
// file and the preview all paint the same pages through it.
class PrintedPagePainter
{
public:
    // `font` is the print font as measured (FontTextMeasure::Font());
    // `lineStyle` the separator lines' setting (0 none to 5).
    PrintedPagePainter(const QFont &font, int lineStyle);

    // With `showMargins` (the preview) the margins are drawn dotted across
    // the page, whose printable area is `pageWidth` × `pageHeight`.
    void Paint(QPainter &painter, const PrintedPage &page, bool showMargins = false, int pageWidth = 0,
               int pageHeight = 0) const;

private:
    QFont m_font;
    QPen m_linePen;
};

} // namespace orvel
