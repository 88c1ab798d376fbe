#include "document/DocumentOptions.h"

#include "exchange/CsvOptions.h"
#include "platform/Registry.h"

namespace orvel {

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kSdfOptions = QStringLiteral("SDF-Options");
const QString kDbfOptions = QStringLiteral("DBF-Options");
const QString kFieldDelimiter = QStringLiteral("Field Delimiter");
const QString kDataDelimiter = QStringLiteral("Data Delimiter");
const QString kCharSet = QStringLiteral("CharSet");
const QString kCsvOptions = QStringLiteral("CSV-Options");
const QString kEncoding = QStringLiteral("Encoding");
const QString kBom = QStringLiteral("BOM");

} // namespace

DocumentOptions DocumentOptions::FromSettings()
{
    const DocumentOptions defaults;
    DocumentOptions options;
    options.relativePaths = Registry::GetProfileInt(kSettings, QStringLiteral("RelativePaths"), 0) != 0;
    // A delimiter is one byte: a damaged value (0, negative or beyond 255)
    // would split or quote nothing, so it takes its default.
    const auto delimiter = [](const QString &name, int fallback) {
        const int code = Registry::GetProfileInt(kSdfOptions, name, fallback);
        return code >= 1 && code <= 255 ? code : fallback;
    };
    options.sdfFieldDelimiter = delimiter(kFieldDelimiter, defaults.sdfFieldDelimiter);
    options.sdfDataDelimiter = delimiter(kDataDelimiter, defaults.sdfDataDelimiter);
    options.sdfCharSet = Registry::GetProfileInt(kSdfOptions, kCharSet, defaults.sdfCharSet);
    options.dbfCharSet = Registry::GetProfileInt(kDbfOptions, kCharSet, defaults.dbfCharSet);
    // A CSV delimiter that cannot be used means "detect".
    options.csvFieldDelimiter =
            CsvDelimiterFromSetting(Registry::GetProfileInt(kCsvOptions, kFieldDelimiter, defaults.csvFieldDelimiter));
    options.csvEncoding = Registry::GetProfileInt(kCsvOptions, kEncoding, defaults.csvEncoding) == 1 ? 1 : 0;
    options.csvBom = Registry::GetProfileInt(kCsvOptions, kBom, defaults.csvBom) != 0 ? 1 : 0;
    return options;
}

void DocumentOptions::WriteExchangeSettings() const
{
    Registry::WriteProfileInt(kSdfOptions, kFieldDelimiter, sdfFieldDelimiter);
    Registry::WriteProfileInt(kSdfOptions, kDataDelimiter, sdfDataDelimiter);
    Registry::WriteProfileInt(kSdfOptions, kCharSet, sdfCharSet);
    Registry::WriteProfileInt(kDbfOptions, kCharSet, dbfCharSet);
    Registry::WriteProfileInt(kCsvOptions, kFieldDelimiter, csvFieldDelimiter);
    Registry::WriteProfileInt(kCsvOptions, kEncoding, csvEncoding);
    Registry::WriteProfileInt(kCsvOptions, kBom, csvBom);
}

void DocumentOptions::EnsureSdfDelimiterSettings()
{
    const DocumentOptions defaults;
    if (!Registry::HasEntry(kSdfOptions, kFieldDelimiter))
        Registry::WriteProfileInt(kSdfOptions, kFieldDelimiter, defaults.sdfFieldDelimiter);
    if (!Registry::HasEntry(kSdfOptions, kDataDelimiter))
        Registry::WriteProfileInt(kSdfOptions, kDataDelimiter, defaults.sdfDataDelimiter);
}

DocumentOptions DocumentOptionOverrides::ApplyTo(DocumentOptions options) const
{
    options.relativePaths = relativePaths.value_or(options.relativePaths);
    options.sdfFieldDelimiter = sdfFieldDelimiter.value_or(options.sdfFieldDelimiter);
    options.sdfDataDelimiter = sdfDataDelimiter.value_or(options.sdfDataDelimiter);
    options.sdfCharSet = sdfCharSet.value_or(options.sdfCharSet);
    options.dbfCharSet = dbfCharSet.value_or(options.dbfCharSet);
    options.csvFieldDelimiter = csvFieldDelimiter.value_or(options.csvFieldDelimiter);
    options.csvEncoding = csvEncoding.value_or(options.csvEncoding);
    options.csvBom = csvBom.value_or(options.csvBom);
    return options;
}

} // namespace orvel
