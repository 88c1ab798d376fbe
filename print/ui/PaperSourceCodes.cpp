#include "print/ui/PaperSourceCodes.h"

#include <array>

namespace orvel {

namespace {

struct BinCode
{
    int16_t code;
    QPrinter::PaperSource source;
    const char16_t *name;
};

constexpr std::array kBinCodes{
        BinCode{1, QPrinter::Upper, u"Oberer Schacht"},
        BinCode{2, QPrinter::Lower, u"Unterer Schacht"},
        BinCode{3, QPrinter::Middle, u"Mittlerer Schacht"},
        BinCode{4, QPrinter::Manual, u"Manuelle Zufuhr"},
        BinCode{5, QPrinter::Envelope, u"Umschlagzufuhr"},
        BinCode{6, QPrinter::EnvelopeManual, u"Manuelle Umschlagzufuhr"},
        BinCode{7, QPrinter::Auto, u"Automatisch"},
        BinCode{8, QPrinter::Tractor, u"Traktor"},
        BinCode{9, QPrinter::SmallFormat, u"Kleinformat"},
        BinCode{10, QPrinter::LargeFormat, u"Großformat"},
        BinCode{11, QPrinter::LargeCapacity, u"Großraumschacht"},
        BinCode{14, QPrinter::Cassette, u"Kassette"},
        BinCode{15, QPrinter::FormSource, u"Standardschacht"},
};

} // namespace

std::optional<QPrinter::PaperSource> PaperSourceOfBinCode(int code)
{
    for (const BinCode &entry : kBinCodes) {
        if (entry.code == code)
            return entry.source;
    }
    return std::nullopt;
}

std::optional<int16_t> BinCodeOfPaperSource(QPrinter::PaperSource source)
{
    for (const BinCode &entry : kBinCodes) {
        if (entry.source == source)
            return entry.code;
    }
    return std::nullopt;
}

QString PaperSourceName(QPrinter::PaperSource source)
{
    for (const BinCode &entry : kBinCodes) {
        if (entry.source == source)
            return QString::fromUtf16(entry.name);
    }
    return QStringLiteral("Schacht %1").arg(int(source));
}

} // namespace orvel
