#pragma once

namespace orvel {

// The character set of an exchange file: DOS files hold code page 850 and
// are converted on the way in and out, ANSI files hold the program's own
// bytes. The values are those kept in the settings.
enum class ExchangeCharSet { Dos = 0, Ansi = 1 };

inline ExchangeCharSet ExchangeCharSetFromSetting(int value)
{
    return value == 1 ? ExchangeCharSet::Ansi : ExchangeCharSet::Dos;
}

} // namespace orvel
