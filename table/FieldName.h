#pragma once

#include "platform/AnsiString.h"

namespace orvel {

// A field name may mark the mnemonic letter of its form label with "&", and
// "&&" stands for a literal "&". The plain name drops the mnemonic: in every
// run of "&" the last one goes, so "&Name" is "Name", "A&&B" is "A&B" and a
// trailing "&" disappears.
AnsiString PlainFieldName(AnsiView name);

// True when two names have the same plain name (exact, case-sensitive): the
// field dialog keeps plain names unique with this; the table itself accepts
// repeated names, as imported files may have them.
bool SamePlainFieldName(AnsiView a, AnsiView b);

} // namespace orvel
