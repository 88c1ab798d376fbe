#pragma once

namespace orvel {

// Screen readers see the form view as a form whose children are its data
// fields: each named by its field, its value that of the current record (as
// the form shows it), selected and focused while the designer has it
// selected. The edit box or button over a selected field is a real widget
// and takes the focus itself. Installs the factory once; the form view calls
// it when it is made.
void InstallFormAccessibility();

} // namespace orvel
