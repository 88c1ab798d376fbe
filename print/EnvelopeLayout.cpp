#include "print/EnvelopeLayout.h"

#include "platform/Codepage.h"
#include "platform/TextMeasure.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

constexpr double kMmPerInch = 25.4;
// The sender's distance from the left and top edges.
constexpr double kSenderMarginMm = 10.0;

} // namespace

const std::vector<EnvelopeFormat> &EnvelopeFormats()
{
    static const std::vector<EnvelopeFormat> formats{
            {EnvelopeSize::DL, QStringLiteral("DL (220 × 110 mm)"), QSizeF(220, 110)},
            {EnvelopeSize::C6, QStringLiteral("C6 (162 × 114 mm)"), QSizeF(162, 114)},
            {EnvelopeSize::C5, QStringLiteral("C5 (229 × 162 mm)"), QSizeF(229, 162)},
    };
    return formats;
}

const EnvelopeFormat &EnvelopeFormatOf(EnvelopeSize size)
{
    for (const EnvelopeFormat &format : EnvelopeFormats()) {
        if (format.size == size)
            return format;
    }
    return EnvelopeFormats().front();
}

FormPage EnvelopePage(EnvelopeSize size, const QStringList &sender, const QStringList &address,
                      const PrinterMetrics &printer, const TextMeasure &measure)
{
    FormPage result;
    result.page.number = 1;
    const QSizeF mm = EnvelopeFormatOf(size).sizeMm;
    const auto x = [&printer](double value) {
        return int(std::lround(value * printer.logPixelsX / kMmPerInch)) - printer.offsetX;
    };
    const auto y = [&printer](double value) {
        return int(std::lround(value * printer.logPixelsY / kMmPerInch)) - printer.offsetY;
    };
    const int lineHeight = std::max(1, measure.Height() + measure.ExternalLeading());
    const auto place = [&](const QStringList &lines, int left, int top, int right) {
        int line = top;
        for (const QString &text : lines) {
            if (text.trimmed().isEmpty())
                continue;
            const RECT rect{left, line, right, line + lineHeight};
            result.page.texts.push_back(
                    {rect, text, PrintedPage::Align::Left, false, measure.TextWidth(QStringToAnsi(text))});
            line += lineHeight;
        }
    };
    place(sender, x(kSenderMarginMm), y(kSenderMarginMm), x(mm.width() / 2));
    // The address field: from 45 % of the width, from the middle of the
    // height less a line, to 10 mm before the right edge.
    place(address, x(mm.width() * 0.45), y(mm.height() * 0.5) - lineHeight, x(mm.width() - kSenderMarginMm));
    return result;
}

} // namespace orvel
