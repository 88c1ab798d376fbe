#pragma once

#include <optional>

class QLineEdit;

namespace orvel {

// The whole number an edit holds, checked as dialogs check their number
// fields when they are confirmed: no whole number gives message 61712, one
// outside minimum to maximum message 61714. After a message the edit has
// the focus with its text selected, and nothing comes back.
std::optional<int> CheckedInteger(QLineEdit *edit, int minimum, int maximum);

} // namespace orvel
