#pragma once

#include "platform/AnsiString.h"

namespace orvel {

// The measures of one font on one device (the printer, the screen), in that
// device's units: what laying out text needs without drawing it. The core
// lays out pages through this; the graphics layer measures real fonts.
class TextMeasure
{
public:
    virtual ~TextMeasure() = default;

    // Ascent plus descent.
    virtual int Height() const = 0;
    virtual int Descent() const = 0;
    virtual int ExternalLeading() const = 0;
    virtual int AverageCharWidth() const = 0;
    // The width of a text (Windows-1252 bytes) on one line.
    virtual int TextWidth(AnsiView text) const = 0;
};

} // namespace orvel
