#include "print/gfx/PaperCodes.h"

#include <array>

namespace orvel {

namespace {

struct PaperCode
{
    int16_t code;
    QPageSize::PageSizeId size;
};

// The common sizes, both ways.
constexpr std::array kPaperCodes{
        PaperCode{1, QPageSize::Letter},
        PaperCode{2, QPageSize::LetterSmall},
        PaperCode{3, QPageSize::Tabloid},
        PaperCode{4, QPageSize::Ledger},
        PaperCode{5, QPageSize::Legal},
        PaperCode{6, QPageSize::Statement},
        PaperCode{7, QPageSize::ExecutiveStandard}, // 7.25 × 10.5 in
        PaperCode{8, QPageSize::A3},
        PaperCode{9, QPageSize::A4},
        PaperCode{10, QPageSize::A4Small},
        PaperCode{11, QPageSize::A5},
        PaperCode{12, QPageSize::JisB4},
        PaperCode{13, QPageSize::JisB5},
        PaperCode{15, QPageSize::Quarto},
        PaperCode{16, QPageSize::Imperial10x14},
        PaperCode{18, QPageSize::Note},
        PaperCode{19, QPageSize::Envelope9},
        PaperCode{20, QPageSize::Envelope10},
        PaperCode{21, QPageSize::Envelope11},
        PaperCode{22, QPageSize::Envelope12},
        PaperCode{23, QPageSize::Envelope14},
        PaperCode{27, QPageSize::EnvelopeDL},
        PaperCode{28, QPageSize::EnvelopeC5},
        PaperCode{29, QPageSize::EnvelopeC3},
        PaperCode{30, QPageSize::EnvelopeC4},
        PaperCode{31, QPageSize::EnvelopeC6},
        PaperCode{32, QPageSize::EnvelopeC65},
        PaperCode{33, QPageSize::EnvelopeB4},
        PaperCode{34, QPageSize::EnvelopeB5},
        PaperCode{35, QPageSize::EnvelopeB6},
        PaperCode{36, QPageSize::EnvelopeItalian},
        PaperCode{37, QPageSize::EnvelopeMonarch},
        PaperCode{38, QPageSize::EnvelopePersonal},
        PaperCode{39, QPageSize::FanFoldUS},
        PaperCode{40, QPageSize::FanFoldGerman},
        PaperCode{41, QPageSize::FanFoldGermanLegal},
        PaperCode{42, QPageSize::B4},
        PaperCode{43, QPageSize::Postcard},
        PaperCode{66, QPageSize::A2},
        PaperCode{70, QPageSize::A6},
        PaperCode{88, QPageSize::JisB6},
};

// Codes of the same sheet under another name: they print on it, but the
// sheet's own code is the one above.
constexpr std::array kPaperAliases{
        PaperCode{14, QPageSize::FanFoldGermanLegal}, // Folio, 8.5 × 13 in
        PaperCode{17, QPageSize::Tabloid},            // 11 × 17 in
};

} // namespace

std::optional<QPageSize::PageSizeId> PageSizeOfPaperCode(int code)
{
    for (const PaperCode &entry : kPaperCodes) {
        if (entry.code == code)
            return entry.size;
    }
    for (const PaperCode &entry : kPaperAliases) {
        if (entry.code == code)
            return entry.size;
    }
    return std::nullopt;
}

QPageSize::PageSizeId PrintPageSizeOfPaperCode(int code)
{
    return PageSizeOfPaperCode(code).value_or(QPageSize::A4);
}

std::optional<int16_t> PaperCodeOfPageSize(QPageSize::PageSizeId id)
{
    for (const PaperCode &entry : kPaperCodes) {
        if (entry.size == id)
            return entry.code;
    }
    return std::nullopt;
}

std::vector<int16_t> PaperCodes()
{
    std::vector<int16_t> codes;
    for (const PaperCode &entry : kPaperCodes)
        codes.push_back(entry.code);
    return codes;
}

} // namespace orvel
