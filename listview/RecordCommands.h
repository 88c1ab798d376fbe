#pragma once

namespace orvel {

class CommandMap;
class COrvelView;

// The record commands of a view, with their update handlers: insert before
// and after, delete, delete marked, mark, mark all, clear marks, go to, fill
// down, copy, cut and paste of the current or the marked records, and
// inserting the records of another database. Each ends an open in-place
// edit first and keeps the current cell in view afterwards.
void RegisterRecordCommands(COrvelView &view, CommandMap &map);

} // namespace orvel
