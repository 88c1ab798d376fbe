#include "exchange/CsvOptions.h"

#include "platform/Nls.h"

namespace orvel {

int CsvDelimiterFromSetting(int code)
{
    if (code < 1 || code > 255 || code == '"' || code == '\r' || code == '\n')
        return 0;
    return code;
}

CsvEncoding CsvEncodingFromSetting(int value)
{
    return value == 1 ? CsvEncoding::Windows1252 : CsvEncoding::Utf8;
}

char CsvExportDelimiter(const CsvOptions &options, const LocaleInfo &locale)
{
    if (const int code = CsvDelimiterFromSetting(options.fieldDelimiter))
        return static_cast<char>(code);
    return locale.decimalSeparator == "," ? ';' : ',';
}

} // namespace orvel
