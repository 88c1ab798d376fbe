#pragma once

#include "platform/AnsiString.h"

namespace orvel {

// Folds a Windows-1252 value the way German spellings vary, so that
// "Müller", "MUELLER" and "Mueller" give the same text: letters become lower
// case, ä/ö/ü become ae/oe/ue, ß becomes ss, accents are dropped (é -> e,
// Æ -> ae, ø -> o), every run of blanks, punctuation and other symbols
// becomes one blank (none at either end), and the word "strasse" at the end
// of a word ("Hauptstraße", "Hauptstr.") or standing alone after another word
// ("Bahnhof Straße", "Bahnhof-Str.") becomes "str" joined to the word before
// it. Digits are kept. Appends to `out`; one pass over the value.
void AppendGermanFolded(AnsiView value, AnsiString &out);

// The Kölner Phonetik code of one word of lower-case letters a-z (as
// AppendGermanFolded gives them): the digits 0-8, repeated codes written
// once, 0 only at the start. Other characters are skipped. Appends to `out`.
void AppendKoelnerPhonetik(AnsiView word, AnsiString &out);

// The key for comparing by sound: the folded value, with every word made of
// letters only replaced by its Kölner Phonetik code ("Meier" and "Mayer"
// give "67"); words holding a digit (house numbers, postcodes) stay as they
// are, so that "Hauptstr. 5" and "Hauptstr. 7" remain different. Appends
// to `out`; `scratch` keeps its room between calls.
void AppendPhoneticKey(AnsiView value, AnsiString &out, AnsiString &scratch);

} // namespace orvel
