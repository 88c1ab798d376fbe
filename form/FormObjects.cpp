#include "form/FormObjects.h"

#include "form/DrawEdit.h"
#include "form/DrawEditItem.h"
#include "form/DrawItem.h"
#include "form/DrawOleObj.h"
#include "form/DrawPicture.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "platform/Archive.h"

#include <QBuffer>

#include <algorithm>

namespace orvel {

namespace {

// Makes the form the archive's document and the context the one objects
// see, for as long as one Store or Load runs, even when it throws.
class ArchiveScope
{
public:
    ArchiveScope(CArchive &ar, CFormObjects *form, const FormFileContext *&slot, const FormFileContext &context)
        : m_ar(ar)
        , m_previousDocument(ar.GetDocument<void>())
        , m_slot(slot)
        , m_previousContext(slot)
    {
        m_ar.SetDocument(form);
        m_slot = &context;
    }
    ~ArchiveScope()
    {
        m_ar.SetDocument(m_previousDocument);
        m_slot = m_previousContext;
    }
    ArchiveScope(const ArchiveScope &) = delete;
    ArchiveScope &operator=(const ArchiveScope &) = delete;

private:
    CArchive &m_ar;
    void *m_previousDocument;
    const FormFileContext *&m_slot;
    const FormFileContext *m_previousContext;
};

} // namespace

CFormObjects::CFormObjects() = default;

// Objects are destroyed without telling anyone: whoever listened belongs to
// the document that is going away with this form.
CFormObjects::~CFormObjects() = default;

void CFormObjects::RegisterClasses()
{
    static const bool registered = [] {
        ClassRegistry &registry = ClassRegistry::Global();
        for (const ClassInfo *info : {&CDrawObj::classInfo, &CDrawRect::classInfo, &CDrawPoly::classInfo,
                                      &CDrawOleObj::classInfo, &CDrawText::classInfo, &CDrawEdit::classInfo,
                                      &CDrawPicture::classInfo, &CDrawItem::classInfo, &CDrawEditItem::classInfo})
            registry.Register(*info);
        return true;
    }();
    (void)registered;
}

void CFormObjects::SetBackground(COLORREF color)
{
    if (color == m_background)
        return;
    m_background = color;
    SetModified(true);
}

void CFormObjects::SetModified(bool modified)
{
    m_modified = modified;
    if (modified && m_onModified)
        m_onModified();
}

void CFormObjects::Invalidate(const CDrawObj *object) const
{
    if (m_onInvalidate)
        m_onInvalidate(object);
}

CDrawObj *CFormObjects::Add(std::unique_ptr<CDrawObj> object)
{
    if (!object)
        return nullptr;
    CDrawObj *added = object.get();
    added->document = this;
    m_objects.push_back(std::move(object));
    SetModified(true);
    return added;
}

std::unique_ptr<CDrawObj> CFormObjects::Remove(CDrawObj *object)
{
    const auto it = std::find_if(m_objects.begin(), m_objects.end(),
                                 [object](const std::unique_ptr<CDrawObj> &o) { return o.get() == object; });
    if (object == nullptr || it == m_objects.end())
        return nullptr;
    std::unique_ptr<CDrawObj> removed = std::move(*it);
    m_objects.erase(it);
    if (m_onRemoved)
        m_onRemoved(removed.get());
    SetModified(true);
    return removed;
}

CDrawObj *CFormObjects::ObjectAt(QPoint point) const
{
    const RECT probe{point.x(), point.y(), point.x() + 1, point.y() + 1};
    for (auto it = m_objects.rbegin(); it != m_objects.rend(); ++it) {
        if ((*it)->Intersects(probe))
            return it->get();
    }
    return nullptr;
}

int CFormObjects::IndexOf(const CDrawObj *object) const
{
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        if (m_objects[i].get() == object)
            return int(i);
    }
    return -1;
}

void CFormObjects::MoveObject(CDrawObj *object, const RECT &position)
{
    if (object != nullptr)
        object->MoveTo(position);
}

void CFormObjects::MoveObjectHandle(CDrawObj *object, int handle, POINT point, unsigned keyFlags)
{
    if (object != nullptr)
        object->MoveHandleTo(handle, point, keyFlags);
}

bool CFormObjects::Reorder(CDrawObj *object, ZOrder order)
{
    const int index = IndexOf(object);
    if (index < 0)
        return false;
    const auto from = std::size_t(index);
    const std::size_t last = m_objects.size() - 1;
    std::size_t to = from;
    switch (order) {
    case ZOrder::ToFront:
        to = last;
        break;
    case ZOrder::ToBack:
        to = 0;
        break;
    case ZOrder::Forward:
        to = from < last ? from + 1 : from;
        break;
    case ZOrder::Backward:
        to = from > 0 ? from - 1 : from;
        break;
    }
    if (to == from)
        return false;
    std::unique_ptr<CDrawObj> moved = std::move(m_objects[from]);
    m_objects.erase(m_objects.begin() + std::ptrdiff_t(from));
    m_objects.insert(m_objects.begin() + std::ptrdiff_t(to), std::move(moved));
    Invalidate(object);
    SetModified(true);
    return true;
}

void CFormObjects::SetLineColor(CDrawObj *object, COLORREF color)
{
    if (object != nullptr)
        object->SetLineColor(color);
}

void CFormObjects::SetFillColor(CDrawObj *object, COLORREF color)
{
    if (object != nullptr)
        object->SetFillColor(color);
}

void CFormObjects::SetLineStyle(CDrawObj *object, uint32_t style)
{
    if (object != nullptr)
        object->SetLineStyle(style);
}

void CFormObjects::ChangeObject(CDrawObj *object, const std::function<void(CDrawObj &)> &change)
{
    if (object == nullptr || !change)
        return;
    Invalidate(object);
    change(*object);
    Invalidate(object);
    SetModified();
}

void CFormObjects::DrawObjects(CDC &dc, const DrawContext &context, std::span<const RECT> clip,
                               const std::vector<CDrawObj *> *selected) const
{
    for (const auto &object : m_objects) {
        // What lies wholly outside the area to paint is not drawn at all.
        // Lines and wide pens reach a little beyond their rectangles.
        RECT reach = object->GetNormalizedPosition();
        const int pen = std::clamp(object->pen.lopnWidth.x, 0, 4096);
        InflateRect(reach, pen + 4, pen + 4);
        const bool visible = std::any_of(clip.begin(), clip.end(), [&](const RECT &area) {
            RECT common;
            return IntersectRect(common, reach, area);
        });
        if (visible)
            object->Draw(dc, context);
    }
    if (selected == nullptr || context.printing)
        return;
    for (const CDrawObj *object : *selected)
        object->DrawTracker(dc, kTrackerSelected);
}

QByteArray CFormObjects::StoreObjects(const std::vector<CDrawObj *> &objects) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Paths stay absolute and embedded pictures carry their bytes, so that
    // another database can take the objects as they are.
    const FormFileContext context;
    {
        CArchive ar(buffer);
        ArchiveScope scope(ar, const_cast<CFormObjects *>(this), m_context, context);
        ar.WriteCount(objects.size());
        for (const CDrawObj *object : objects)
            ar.WriteObject(object);
    }
    return bytes;
}

std::vector<std::unique_ptr<CDrawObj>> CFormObjects::LoadObjects(QByteArrayView bytes)
{
    RegisterClasses();
    std::vector<std::unique_ptr<CDrawObj>> objects;
    const FormFileContext context;
    CArchive ar(bytes);
    ArchiveScope scope(ar, this, m_context, context);
    const uint32_t count = ar.ReadCount(2);
    objects.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (std::unique_ptr<CDrawObj> object = ar.ReadOwnedObject<CDrawObj>())
            objects.push_back(std::move(object));
    }
    // Whatever follows the objects is no part of a stream this program
    // wrote.
    if (ar.remaining() != 0)
        throw ArchiveException(ArchiveException::BadFormat, "bytes after the form objects");
    for (const auto &object : objects)
        object->document = nullptr;
    return objects;
}

void CFormObjects::removeAll()
{
    // Taken out of the list first, so that a hook never sees a half-emptied
    // form.
    std::vector<std::unique_ptr<CDrawObj>> old;
    old.swap(m_objects);
    if (m_onRemoved) {
        for (const auto &object : old)
            m_onRemoved(object.get());
    }
}

void CFormObjects::Clear()
{
    removeAll();
    m_background = kDefaultBackground;
    m_modified = false;
}

void CFormObjects::CreateDefaultForm(int fieldCount, int lineHeight)
{
    removeAll();
    const LOGFONT font = StockFont(DEFAULT_GUI_FONT);
    for (int k = 0; k < fieldCount; ++k) {
        const int top = 20 + 2 * lineHeight * k;
        auto field = std::make_unique<CDrawEdit>(k, RECT{5, top, 405, top + lineHeight});
        field->font = font;
        Add(std::move(field));
    }
    SetModified(true);
}

const CDrawEdit *CFormObjects::FindDataField(int fieldIndex) const
{
    for (const auto &object : m_objects) {
        if (const auto *field = dynamic_cast<const CDrawEdit *>(object.get()); field && field->fieldIndex == fieldIndex)
            return field;
    }
    return nullptr;
}

CDrawEdit *CFormObjects::FindDataField(int fieldIndex)
{
    return const_cast<CDrawEdit *>(std::as_const(*this).FindDataField(fieldIndex));
}

bool CFormObjects::IsPictureEmbedded(int fieldIndex) const
{
    const CDrawEdit *field = FindDataField(fieldIndex);
    return field != nullptr && field->embedded != 0;
}

void CFormObjects::DeleteDataFields(int fieldIndex)
{
    std::vector<CDrawObj *> doomed;
    for (const auto &object : m_objects) {
        if (auto *field = dynamic_cast<CDrawEdit *>(object.get())) {
            if (field->fieldIndex == fieldIndex)
                doomed.push_back(field);
            else if (field->fieldIndex > fieldIndex)
                --field->fieldIndex;
        }
    }
    for (CDrawObj *object : doomed)
        Remove(object);
    SetModified(true);
}

RECT CFormObjects::NewDataFieldRect(int lineHeight) const
{
    const CDrawEdit *last = nullptr;
    for (const auto &object : m_objects) {
        if (const auto *field = dynamic_cast<const CDrawEdit *>(object.get()))
            last = field;
    }
    if (last == nullptr)
        return RECT{5, 20, 405, 20 + lineHeight};
    const int64_t top = int64_t(last->position.top) + 2 * int64_t(lineHeight);
    const auto clamp = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return RECT{last->position.left, clamp(top), last->position.right, clamp(top + lineHeight)};
}

void CFormObjects::InsertDataFieldIndex(int fieldIndex)
{
    for (const auto &object : m_objects) {
        if (auto *field = dynamic_cast<CDrawEdit *>(object.get()); field && field->fieldIndex >= fieldIndex)
            ++field->fieldIndex;
    }
}

void CFormObjects::RenumberDataFields(const std::vector<int> &newIndexOfOld)
{
    for (const auto &object : m_objects) {
        if (auto *field = dynamic_cast<CDrawEdit *>(object.get())) {
            if (field->fieldIndex >= 0 && std::size_t(field->fieldIndex) < newIndexOfOld.size())
                field->fieldIndex = newIndexOfOld[std::size_t(field->fieldIndex)];
        }
    }
    SetModified(true);
}

std::vector<CDrawItem *> CFormObjects::GetItems() const
{
    std::vector<CDrawItem *> items;
    for (const auto &object : m_objects) {
        if (const auto *ole = dynamic_cast<const CDrawOleObj *>(object.get()); ole && ole->clientItem)
            items.push_back(ole->clientItem.get());
    }
    return items;
}

void CFormObjects::Store(CArchive &ar, const FormFileContext &context) const
{
    // Objects change while they are written (data fields drop their display
    // items, pictures take over the option), but the form itself does not.
    ArchiveScope scope(ar, const_cast<CFormObjects *>(this), m_context, context);
    ar.WriteU32(m_background);
    ar.WriteCount(m_objects.size());
    for (const auto &object : m_objects)
        ar.WriteObject(object.get());
    const std::vector<CDrawItem *> items = GetItems();
    ar.WriteU32(uint32_t(items.size()));
    for (const CDrawItem *item : items)
        ar.WriteObject(item);
}

void CFormObjects::Load(CArchive &ar, const FormFileContext &context)
{
    RegisterClasses();
    std::vector<std::unique_ptr<CDrawObj>> objects;
    COLORREF background = 0;
    {
        ArchiveScope scope(ar, this, m_context, context);
        background = ar.ReadU32();
        const uint32_t count = ar.ReadCount(2);
        objects.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            // An object listed twice would get two owners: TakeObject refuses it.
            std::unique_ptr<CDrawObj> object = ar.ReadOwnedObject<CDrawObj>();
            // A null entry shows nothing and is dropped.
            if (object)
                objects.push_back(std::move(object));
        }
        // The item list repeats the items the OLE objects hold; the form
        // derives it from them. An item that no object holds would be
        // invisible and is left to the archive, which deletes it.
        const uint32_t itemCount = ar.ReadU32();
        ar.EnsureAvailable(itemCount, 2);
        for (uint32_t i = 0; i < itemCount; ++i)
            ar.ReadObjectAs<CEmbeddedItem>();
    }
    removeAll();
    m_objects = std::move(objects);
    m_background = background;
    m_modified = false;
}

} // namespace orvel
