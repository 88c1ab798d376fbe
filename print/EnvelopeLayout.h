#pragma once

#include "platform/PrinterMetrics.h"
#include "print/FormPrintLayout.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

namespace orvel {

class TextMeasure;

// The envelopes "Umschlag drucken..." prints on, lying in landscape.
enum class EnvelopeSize { DL, C6, C5 };

struct EnvelopeFormat
{
    EnvelopeSize size;
    QString name;
    // Width × height in millimetres, landscape.
    QSizeF sizeMm;
};
const std::vector<EnvelopeFormat> &EnvelopeFormats();
const EnvelopeFormat &EnvelopeFormatOf(EnvelopeSize size);

// The one page of an envelope: the sender's lines at the top left, the
// address lines in the right half below the middle (where a window
// envelope's field lies on a DL envelope), both cut at the envelope's
// edges. Empty lines of the address are left out.
FormPage EnvelopePage(EnvelopeSize size, const QStringList &sender, const QStringList &address,
                      const PrinterMetrics &printer, const TextMeasure &measure);

} // namespace orvel
