#pragma once

#include <string>
#include <string_view>

namespace orvel {

// Every stored text (values, field names, file texts) is kept as the bytes of
// Windows-1252, exactly as the files hold them. Lengths and limits are byte
// counts. Conversion to QString happens only at the boundaries (codepage.h).
using AnsiString = std::string;
using AnsiView = std::string_view;

} // namespace orvel
