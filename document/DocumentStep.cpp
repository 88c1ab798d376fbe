#include "document/DocumentStep.h"

#include "form/DrawObj.h"
#include "form/FormObjects.h"
#include "platform/Archive.h"
#include "table/DataTable.h"

#include <algorithm>
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

FormImage TakeFormImage(const CFormObjects &form)
{
    FormImage image;
    image.background = form.GetBackground();
    image.objects.reserve(qsizetype(form.GetObjects().size()));
    std::vector<CDrawObj *> one(1);
    for (const auto &object : form.GetObjects()) {
        one[0] = object.get();
        image.objects.push_back(form.StoreObjects(one));
    }
    return image;
}

void FormImage::ShareWith(const FormImage &other)
{
    const qsizetype count = other.objects.size();
    for (qsizetype i = 0; i < objects.size(); ++i) {
        QByteArray &mine = objects[i];
        for (const qsizetype at : {i, i - 1, i + 1}) {
            if (at < 0 || at >= count)
                continue;
            const QByteArray &theirs = other.objects[at];
            if (mine.constData() == theirs.constData())
                break;
            if (mine == theirs) {
                mine = theirs;
                break;
            }
        }
    }
}

std::size_t FormImage::BytesBeyond(const FormImage *other) const
{
    std::size_t bytes = sizeof background;
    for (const QByteArray &object : objects) {
        const bool shared = other != nullptr
                            && std::any_of(other->objects.begin(), other->objects.end(),
                                           [&](const QByteArray &o) { return o.constData() == object.constData(); });
        if (!shared)
            bytes += std::size_t(object.size());
    }
    return bytes;
}

bool CDocumentStep::apply(CDataTable &table, CFormObjects &form, PageSettings *page, bool undo)
{
    if (undo != m_journal->IsDone() || !m_journal->CanApply(table))
        return false;
    if (m_page && (page == nullptr || *page != (undo ? m_page->second : m_page->first)))
        return false;
    std::vector<std::unique_ptr<CDrawObj>> objects;
    quint32 background = 0;
    if (m_hasForm) {
        if (TakeFormImage(form) != (undo ? m_formAfter : m_formBefore))
            return false;
        const FormImage &target = undo ? m_formBefore : m_formAfter;
        background = target.background;
        try {
            for (const QByteArray &stream : target.objects) {
                for (auto &object : form.LoadObjects(stream))
                    objects.push_back(std::move(object));
            }
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
    if (m_page)
        *page = undo ? m_page->first : m_page->second;
    return true;
}

} // namespace orvel
