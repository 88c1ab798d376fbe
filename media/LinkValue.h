#pragma once

#include "platform/AnsiString.h"

namespace orvel {

// The value of a link field: one text of four parts separated by commas,
// "caption,file,parameters,action". The action is all that follows the
// third comma, so it may hold commas itself; the other parts cannot. An
// empty action means "open".
struct LinkValue
{
    AnsiString caption;
    AnsiString file;
    AnsiString parameters;
    AnsiString action;
    // How many of the three separating commas the text had (0 to 3); parts
    // after a missing comma are empty.
    int separators = 0;

    static LinkValue Parse(AnsiView value);
    // "caption,file,parameters,action".
    AnsiString Compose() const;

    // Only a value with all four parts can be carried out; anything else
    // opens the link dialog.
    bool IsComplete() const { return separators >= 3; }
    // The action the link dialog shows: "open" for a value with at least two
    // commas and no action of its own.
    AnsiString DialogAction() const;
    // The action carried out: "open" when none is given.
    AnsiString EffectiveAction() const;
};

inline constexpr char kDefaultLinkAction[] = "open";

// The caption on the field's button: the text before the first comma, the
// whole value when it has none.
AnsiView LinkCaption(AnsiView value);

// The bytes a link value may have: the table keeps at most 255.
inline constexpr int kMaxLinkValueLength = 255;

} // namespace orvel
