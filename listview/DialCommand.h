#pragma once

namespace orvel {

class CommandMap;
class COrvelView;

// "&Nummer wählen..." of a view, in the list and in the form (not in form
// design): an open edit is stored first, the dial dialog shows the current
// field's number and the record's name, and the view takes up editing
// again afterwards.
void RegisterDialCommand(COrvelView &view, CommandMap &map);

} // namespace orvel
