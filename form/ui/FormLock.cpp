#include "form/ui/FormLock.h"

#include "document/OrvelDoc.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/FormDesigner.h"
#include "platform/Registry.h"
#include "resources/CommandIds.h"

#include <QFileInfo>

#include <set>

namespace orvel {

namespace {

const QString kSection = QStringLiteral("FormLock");

// The settings' key of a database: its absolute path as hexadecimal UTF-8,
// since the settings give "/", "\\" and "%" in keys meanings of their own.
QString keyOf(const QString &path)
{
    return QString::fromLatin1(QFileInfo(path).absoluteFilePath().toUtf8().toHex());
}

// The locked forms of databases without a file.
std::set<const COrvelDoc *> &unsavedLocks()
{
    static std::set<const COrvelDoc *> locks;
    return locks;
}

} // namespace

bool IsFormLocked(const COrvelDoc &doc)
{
    if (doc.GetPathName().isEmpty())
        return unsavedLocks().count(&doc) != 0;
    // Saved for the first time: the lock goes with the new file.
    if (unsavedLocks().erase(&doc) != 0)
        Registry::WriteProfileInt(kSection, keyOf(doc.GetPathName()), 1);
    return Registry::GetProfileInt(kSection, keyOf(doc.GetPathName()), 0) != 0;
}

void SetFormLocked(const COrvelDoc &doc, bool locked)
{
    if (doc.GetPathName().isEmpty()) {
        if (locked)
            unsavedLocks().insert(&doc);
        else
            unsavedLocks().erase(&doc);
        return;
    }
    // An unlocked form leaves nothing behind in the settings.
    const QString key = keyOf(doc.GetPathName());
    if (locked)
        Registry::WriteProfileInt(kSection, key, 1);
    else if (Registry::HasEntry(kSection, key))
        Registry::WriteProfileInt(kSection, key, 0);
}

void RegisterFormLockCommand(CFormDesigner &designer, CommandMap &map)
{
    map.On(
            ID_FORM_LOCK,
            [&designer] {
                COrvelDoc &doc = designer.GetDocument();
                SetFormLocked(doc, !IsFormLocked(doc));
            },
            [&designer](CCmdUI &ui) {
                ui.Enable(designer.IsDesignMode());
                ui.SetCheck(IsFormLocked(designer.GetDocument()));
            });
}

} // namespace orvel
