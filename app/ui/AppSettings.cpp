#include "app/ui/AppSettings.h"

#include "platform/Registry.h"

#include <QGuiApplication>
#include <QScreen>

namespace orvel {

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kSdf = QStringLiteral("SDF-Options");
const QString kDbf = QStringLiteral("DBF-Options");
const QString kGridFont = QStringLiteral("GridFont");
const QString kFormFont = QStringLiteral("FormFont");

} // namespace

int AppSettings::DefaultLargeIcons()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen && screen->logicalDotsPerInchX() >= 120 ? 1 : 0;
}

void AppSettings::Load(int largeIconsDefault)
{
    const AppSettings defaults;
    dialPrefix = Registry::GetProfileString(kSettings, QStringLiteral("DialPrefix"), QString());
    largeIcons = Registry::GetProfileInt(kSettings, QStringLiteral("LargeIcons"), largeIconsDefault);
    niceListRepaint = Registry::GetProfileInt(kSettings, QStringLiteral("NiceListRepaint"), defaults.niceListRepaint);
    toolTips = Registry::GetProfileInt(kSettings, QStringLiteral("ToolTips"), defaults.toolTips);
    relativePaths = Registry::GetProfileInt(kSettings, QStringLiteral("RelativePaths"), defaults.relativePaths);
    compressBlobs = Registry::GetProfileInt(kSettings, QStringLiteral("CompressBlobs"), defaults.compressBlobs);
    showTitle = Registry::GetProfileInt(kSettings, QStringLiteral("ShowTitle"), defaults.showTitle);
    startWindow = Registry::GetProfileInt(kSettings, QStringLiteral("StartWindow"), defaults.startWindow);
    standardView = Registry::GetProfileInt(kSettings, QStringLiteral("StandardView"), defaults.standardView);
    sdfFieldDelimiter = Registry::GetProfileInt(kSdf, QStringLiteral("Field Delimiter"), defaults.sdfFieldDelimiter);
    sdfDataDelimiter = Registry::GetProfileInt(kSdf, QStringLiteral("Data Delimiter"), defaults.sdfDataDelimiter);
    sdfCharSet = Registry::GetProfileInt(kSdf, QStringLiteral("CharSet"), defaults.sdfCharSet);
    dbfCharSet = Registry::GetProfileInt(kDbf, QStringLiteral("CharSet"), defaults.dbfCharSet);
    gridFont = ReadFont(kGridFont);
    formFont = ReadFont(kFormFont);
}

void AppSettings::Save() const
{
    Registry::WriteProfileString(kSettings, QStringLiteral("DialPrefix"), dialPrefix);
    Registry::WriteProfileInt(kSettings, QStringLiteral("LargeIcons"), largeIcons);
    Registry::WriteProfileInt(kSettings, QStringLiteral("ToolTips"), toolTips);
    Registry::WriteProfileInt(kSettings, QStringLiteral("RelativePaths"), relativePaths);
    Registry::WriteProfileInt(kSettings, QStringLiteral("CompressBlobs"), compressBlobs);
    Registry::WriteProfileInt(kSettings, QStringLiteral("ShowTitle"), showTitle);
    Registry::WriteProfileInt(kSettings, QStringLiteral("StartWindow"), startWindow);
    Registry::WriteProfileInt(kSettings, QStringLiteral("StandardView"), standardView);
    Registry::WriteProfileInt(kSdf, QStringLiteral("Field Delimiter"), sdfFieldDelimiter);
    Registry::WriteProfileInt(kSdf, QStringLiteral("Data Delimiter"), sdfDataDelimiter);
    Registry::WriteProfileInt(kSdf, QStringLiteral("CharSet"), sdfCharSet);
    Registry::WriteProfileInt(kDbf, QStringLiteral("CharSet"), dbfCharSet);
    WriteFont(kGridFont, gridFont);
    WriteFont(kFormFont, formFont);
    Registry::Flush();
}

} // namespace orvel
