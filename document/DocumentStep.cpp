#include "document/DocumentStep.h"

#include "form/DrawObj.h"
#include "form/FormObjects.h"
#include "platform/Archive.h"
#include "table/DataTable.h"

#include <cstring>
#include <vector>

namespace orvel {

QByteArray TakeFormSnapshot(const CFormObjects &form)
{
    std::vector<CDrawObj *> objects;
    objects.reserve(form.GetObjects().size());
    for (const auto &object : form.GetObjects())
        objects.push_back(object.get());
    QByteArray bytes;
    const quint32 background = form.GetBackground();
    bytes.append(reinterpret_cast<const char *>(&background), sizeof background);
    bytes.append(form.StoreObjects(objects));
    return bytes;
}

bool CDocumentStep::apply(CDataTable &table, CFormObjects &form, bool undo)
{
    if (undo != m_journal->IsDone() || !m_journal->CanApply(table))
        return false;
    std::vector<std::unique_ptr<CDrawObj>> objects;
    quint32 background = 0;
    if (m_hasForm) {
        if (TakeFormSnapshot(form) != (undo ? m_formAfter : m_formBefore))
            return false;
        const QByteArray &target = undo ? m_formBefore : m_formAfter;
        if (target.size() < qsizetype(sizeof background))
            return false;
        std::memcpy(&background, target.constData(), sizeof background);
        try {
            objects = form.LoadObjects(QByteArrayView(target).sliced(sizeof background));
        } catch (const ArchiveException &) {
            return false;
        }
    }
    if (!(undo ? m_journal->Undo(table) : m_journal->Redo(table)))
        return false;
    if (m_hasForm) {
        // One by one through Remove, so that the views forget each object.
        while (!form.GetObjects().empty())
            form.Remove(form.GetObjects().back().get());
        for (auto &object : objects)
            form.Add(std::move(object));
        form.SetBackground(background);
    }
    return true;
}

} // namespace orvel
