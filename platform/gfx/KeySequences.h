#pragma once

#include "resources/CommandTable.h"

#include <QKeySequence>

namespace orvel {

// The key of a command as Qt handles it: the portable key text of the command
// table read as a key sequence; empty when the command has no key.
QKeySequence KeySequenceOf(const Command &command);

} // namespace orvel
