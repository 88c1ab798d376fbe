#pragma once

#include "platform/ui/CommandRouter.h"

namespace orvel {

class CFormDesigner;
class COrvelDoc;

// "Formular sperren": keeps the objects of a document's form from being
// moved or resized by accident with the mouse or the arrow keys; selecting
// them and their property sheets still work. The lock belongs to the user,
// not to the database: it is kept in the user's settings under the
// database's path and never written into the file. A database that has no
// file yet keeps its lock for as long as it is open.
bool IsFormLocked(const COrvelDoc &doc);
void SetFormLocked(const COrvelDoc &doc, bool locked);

// The command of the design menu, checked while the form is locked.
void RegisterFormLockCommand(CFormDesigner &designer, CommandMap &map);

} // namespace orvel
