#include "app/ui/AppSettings.h"

#include "document/DocumentOptions.h"
#include "platform/Registry.h"

#include <QGuiApplication>
#include <QScreen>

namespace orvel {

namespace {

const QString kSettings = QStringLiteral("Settings");
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
    // The documents read the exchange settings the same way when they need them.
    const DocumentOptions exchange = DocumentOptions::FromSettings();
    sdfFieldDelimiter = exchange.sdfFieldDelimiter;
    sdfDataDelimiter = exchange.sdfDataDelimiter;
    sdfCharSet = exchange.sdfCharSet;
    dbfCharSet = exchange.dbfCharSet;
    csvFieldDelimiter = exchange.csvFieldDelimiter;
    csvEncoding = exchange.csvEncoding;
    csvBom = exchange.csvBom;
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
    DocumentOptions exchange;
    exchange.sdfFieldDelimiter = sdfFieldDelimiter;
    exchange.sdfDataDelimiter = sdfDataDelimiter;
    exchange.sdfCharSet = sdfCharSet;
    exchange.dbfCharSet = dbfCharSet;
    exchange.csvFieldDelimiter = csvFieldDelimiter;
    exchange.csvEncoding = csvEncoding;
    exchange.csvBom = csvBom;
    exchange.WriteExchangeSettings();
    WriteFont(kGridFont, gridFont);
    WriteFont(kFormFont, formFont);
    Registry::Flush();
}

} // namespace orvel
