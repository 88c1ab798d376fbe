#pragma once

#include <optional>

namespace orvel {

// The settings that change how documents are read and written. They come
// from the user's settings at the moment they are needed (the options sheet
// may change them while a document is open); a caller such as orvel-cli can
// override single values.
struct DocumentOptions
{
    // "Relative Pfade": picture paths are saved relative to the database.
    bool relativePaths = false;
    // SDF delimiters as character codes, and the character sets of the
    // exchange formats (0 DOS, 1 ANSI).
    int sdfFieldDelimiter = 44;
    int sdfDataDelimiter = 34;
    int sdfCharSet = 0;
    int dbfCharSet = 0;
    // CSV files: delimiter (0 detect, or a character code), encoding (0
    // UTF-8, 1 Windows-1252) and whether UTF-8 files start with a
    // byte-order mark.
    int csvFieldDelimiter = 0;
    int csvEncoding = 0;
    int csvBom = 1;

    static DocumentOptions FromSettings();
    // Writes the exchange formats' delimiters and character sets (the
    // application keeps them while it runs and writes them at its end).
    void WriteExchangeSettings() const;
    // Writes the SDF delimiters into the settings where they are missing
    // (they are kept there with their defaults once an SDF file was used).
    static void EnsureSdfDelimiterSettings();
};

struct DocumentOptionOverrides
{
    std::optional<bool> relativePaths;
    std::optional<int> sdfFieldDelimiter;
    std::optional<int> sdfDataDelimiter;
    std::optional<int> sdfCharSet;
    std::optional<int> dbfCharSet;
    std::optional<int> csvFieldDelimiter;
    std::optional<int> csvEncoding;
    std::optional<int> csvBom;

    DocumentOptions ApplyTo(DocumentOptions options) const;
};

} // namespace orvel
