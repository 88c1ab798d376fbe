#pragma once

class QWidget;

namespace orvel {

// Screen readers see the list grid as a table through Qt's accessibility:
// one row per record (its description "Datensatz N", selected when the
// record is marked), one column per field (described by the field's name),
// each cell with the value as the grid shows it, and the current cell as
// the focused child. Installs the factory once; the grid calls it when it is
// made.
void InstallGridAccessibility();

// The grid's current cell moved, or its value changed: tells an active
// assistive technology, which then reads the cell. Costs nothing while no
// screen reader listens.
void NotifyGridCurrentCell(QWidget *grid);

} // namespace orvel
