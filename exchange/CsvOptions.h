#pragma once

namespace orvel {

struct LocaleInfo;

// The character encoding of a CSV file. The values are those kept in the
// settings ("CSV-Options", "Encoding").
enum class CsvEncoding { Utf8 = 0, Windows1252 = 1 };

// How CSV files are read and written (settings section "CSV-Options").
struct CsvOptions
{
    // A character code, or 0: detected from the file's first lines when
    // reading, chosen by the locale when writing.
    int fieldDelimiter = 0;
    // Reading: UTF-8 (a file that is not valid UTF-8 is read as
    // Windows-1252), or Windows-1252 (unless a UTF-8 byte-order mark says
    // otherwise). Writing: the encoding of the file.
    CsvEncoding encoding = CsvEncoding::Utf8;
    // Writing UTF-8: a byte-order mark first, so that a spreadsheet that
    // would otherwise assume its own code page reads the umlauts right.
    bool bom = true;
};

// A delimiter setting as it may be used: 0, or a code from 1 to 255 that is
// neither the double quote nor a line end (those would make every file
// unreadable). Anything else gives 0.
int CsvDelimiterFromSetting(int code);
CsvEncoding CsvEncodingFromSetting(int value);

// The delimiter an export writes: the setting's, else ";" where the locale
// writes "," as its decimal separator (a German spreadsheet expects it) and
// "," elsewhere.
char CsvExportDelimiter(const CsvOptions &options, const LocaleInfo &locale);

// The decimal separator that pairs with a delimiter: "," with ";", "." with
// every other delimiter. The import reads numbers by the same pairing, so an
// export always reads back.
constexpr char CsvDecimalSeparator(char delimiter)
{
    return delimiter == ';' ? ',' : '.';
}
// The grouping separator that pairs with a delimiter.
constexpr char CsvGroupSeparator(char delimiter)
{
    return delimiter == ';' ? '.' : ',';
}

} // namespace orvel
