#pragma once

#include "platform/LogFont.h"

#include <QString>

namespace orvel {

// The program's own settings (section "Settings" and the exchange and font
// sections). Missing or malformed values take the defaults below; flags are
// kept as the numbers that were read, so that a value is written back as it
// came.
struct AppSettings
{
    QString dialPrefix;
    int largeIcons = 0;      // set from the screen when the value is missing
    int niceListRepaint = 1; // only ever changed by editing the settings file
    int toolTips = 1;
    int relativePaths = 0;
    int compressBlobs = 0;
    int showTitle = 1;
    int startWindow = 1;
    int standardView = 0; // 0 form view, 1 list view
    int sdfFieldDelimiter = 44;
    int sdfDataDelimiter = 34;
    int sdfCharSet = 0; // 0 DOS, 1 ANSI
    int dbfCharSet = 0;
    int csvFieldDelimiter = 0; // 0 detect / the locale's choice
    int csvEncoding = 0;       // 0 UTF-8, 1 Windows-1252
    int csvBom = 1;
    LOGFONT gridFont;
    LOGFONT formFont;

    // `largeIconsDefault` applies when "LargeIcons" is missing.
    void Load(int largeIconsDefault);
    // Writes every value except "NiceListRepaint", which the program never
    // writes.
    void Save() const;

    // Large buttons by default on screens of at least 120 dots per inch.
    static int DefaultLargeIcons();

    friend bool operator==(const AppSettings &, const AppSettings &) = default;
};

} // namespace orvel
