#pragma once

#include "print/ui/SessionPrinter.h"

#include <optional>

class QComboBox;

namespace orvel {

// Fills a list of paper sizes or bins with their names, the codes as item
// data, and selects `selected`; returns the selected row (-1: none). An
// empty list is disabled.
int FillPaperChoices(QComboBox *box, const std::vector<PaperChoice> &choices, int16_t selected);
// The code of the selected row; nothing when no row is selected.
std::optional<int16_t> SelectedPaperCode(const QComboBox *box);

} // namespace orvel
