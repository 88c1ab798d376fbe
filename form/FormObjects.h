#pragma once

#include "form/DrawObj.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace orvel {

class CArchive;
class CDrawEdit;
class CDrawItem;

// What objects need while the form block is read or written.
struct FormFileContext
{
    // The database file being read or written: relative picture paths are
    // relative to its folder. Empty: paths are kept as they are.
    QString databasePath;
    // The "Relative Pfade" option. Pictures take it over on every load and
    // store and write their paths relative to the database's folder when set.
    bool relativePaths = false;
};

// The form of one document: its background colour, the form objects in
// z-order (first at the back, last in front) and, derived from them, the
// embedded-document items of the OLE objects.
//
// The form owns its objects. Every object in the list has `document` set to
// this form; the archive's document is this form while Store and Load run.
class CFormObjects
{
public:
    static constexpr COLORREF kDefaultBackground = 0x00C0C0C0;
    // The form area in form units (pixels at 100 %); not stored.
    static constexpr int kFormWidth = 3000;
    static constexpr int kFormHeight = 3000;

    CFormObjects();
    ~CFormObjects();
    CFormObjects(const CFormObjects &) = delete;
    CFormObjects &operator=(const CFormObjects &) = delete;

    COLORREF GetBackground() const { return m_background; }
    // Marks the form modified when the colour changes.
    void SetBackground(COLORREF color);

    const std::vector<std::unique_ptr<CDrawObj>> &GetObjects() const { return m_objects; }
    // Appends the object (front of the z-order), makes this form its document
    // and marks the form modified. Returns the object (null for null).
    CDrawObj *Add(std::unique_ptr<CDrawObj> object);
    // Takes the object out of the list, tells the removal hook (views drop it
    // from their selection) and marks the form modified. Null when the object
    // is not in this form.
    std::unique_ptr<CDrawObj> Remove(CDrawObj *object);
    // The frontmost object that the one-pixel rectangle at the point touches.
    CDrawObj *ObjectAt(QPoint point) const;
    // The object's place in the list (0 at the back), -1 when not here.
    int IndexOf(const CDrawObj *object) const;

    // --- The changes of the designer, each one operation of the form ---
    // (Each marks the form modified and repaints what changed; together
    // with Add and Remove they are every change the designer makes.)

    // Moves or resizes an object to a position (nothing when it is there).
    void MoveObject(CDrawObj *object, const RECT &position);
    // Drags one of the object's handles (see CDrawObj::MoveHandleTo).
    void MoveObjectHandle(CDrawObj *object, int handle, POINT point, unsigned keyFlags);
    enum class ZOrder { ToFront, ToBack, Forward, Backward };
    // Moves the object in the z-order: to the front (end of the list), to
    // the back, or one place. False when it stays where it was.
    bool Reorder(CDrawObj *object, ZOrder order);
    // The outline and fill colours and the line style.
    void SetLineColor(CDrawObj *object, COLORREF color);
    void SetFillColor(CDrawObj *object, COLORREF color);
    void SetLineStyle(CDrawObj *object, uint32_t style);
    // Any other change of an object's own values (the property sheets):
    // `change` alters the object; it is repainted where it was and where it
    // is, and the form is marked modified.
    void ChangeObject(CDrawObj *object, const std::function<void(CDrawObj &)> &change);

    // Draws the objects back to front, those that reach into one of the
    // `clip` rectangles only, and the handles of the objects in `selected`
    // (none when null).
    void DrawObjects(CDC &dc, const DrawContext &context, std::span<const RECT> clip,
                     const std::vector<CDrawObj *> *selected = nullptr) const;

    // The "OrvelForm" stream of the clipboard: the objects as the form block
    // lists them (a count and the object references), pictures with their
    // absolute paths and their bytes.
    QByteArray StoreObjects(const std::vector<CDrawObj *> &objects) const;
    // The objects of such a stream, not yet added to any form. Throws
    // ArchiveException for a damaged stream (nothing is kept then).
    std::vector<std::unique_ptr<CDrawObj>> LoadObjects(QByteArrayView bytes);
    // Empties the form as a new document has it: no objects, light grey
    // background, not modified. The removal hook hears of every object.
    void Clear();

    // The generated form: replaces the objects by one data field per field k,
    // left 5, right 405, top 20 + 2·h·k, bottom top + h, in the stock GUI
    // font. Marks the form modified.
    void CreateDefaultForm(int fieldCount, int lineHeight = kGeneratedFormLineHeight);

    // The data field object of a field: the first CDrawEdit whose fieldIndex
    // is the given display position; its `embedded` flag tells whether the
    // field's picture values are objects in the binary-object store.
    const CDrawEdit *FindDataField(int fieldIndex) const;
    CDrawEdit *FindDataField(int fieldIndex);
    // True when the field's data field object has picture embedding on.
    bool IsPictureEmbedded(int fieldIndex) const;
    // A field was deleted: its data field objects leave the form (through
    // Remove) and those of later fields move down by one.
    void DeleteDataFields(int fieldIndex);
    // Where a new data field goes: left 5, top 20, right 405, `lineHeight`
    // high; when the form has data fields, below the last one in the list
    // with its left and right, its top plus two line heights down.
    RECT NewDataFieldRect(int lineHeight = kGeneratedFormLineHeight) const;
    // A field is inserted at `fieldIndex`: the data fields of that and later
    // fields move one field on.
    void InsertDataFieldIndex(int fieldIndex);
    // The fields were reordered: a data field showing field i now shows
    // newIndexOfOld[i]. Fields outside the vector keep their index.
    void RenumberDataFields(const std::vector<int> &newIndexOfOld);

    // The items of the OLE objects in form order, as the block stores them.
    std::vector<CDrawItem *> GetItems() const;

    // The form block: background colour (u32), object count (count
    // encoding), the object references, then the number of OLE items (u32)
    // and references to them (back-references: each item was written inside
    // its object). Data fields drop their display items while they are
    // written. Store throws ArchiveException when the archive cannot write.
    void Store(CArchive &ar, const FormFileContext &context) const;
    // Replaces the form by the block read from the archive and clears the
    // modified flag. Throws ArchiveException for a damaged block and then
    // leaves the form as it was. A picture whose bytes cannot be copied to
    // its private file is reported (61700) and the rest is read.
    void Load(CArchive &ar, const FormFileContext &context);
    // The context of the Store or Load that is running, null otherwise.
    const FormFileContext *GetFileContext() const { return m_context; }

    bool IsModified() const { return m_modified; }
    // Setting the flag calls the modified hook, so that the document can mark
    // itself modified; clearing it calls nothing.
    void SetModified(bool modified = true);

    // Hooks of the owning document (each may be empty):
    // modified — something in the form changed;
    // removed — an object is leaving the form (about to be handed back or
    //           destroyed); views must forget it;
    // invalidate — an object's area needs repainting.
    void SetModifiedHook(std::function<void()> hook) { m_onModified = std::move(hook); }
    void SetRemovedHook(std::function<void(CDrawObj *)> hook) { m_onRemoved = std::move(hook); }
    void SetInvalidateHook(std::function<void(const CDrawObj *)> hook) { m_onInvalidate = std::move(hook); }
    void Invalidate(const CDrawObj *object) const;

    // Registers every form class with ClassRegistry::Global(). Harmless to
    // call again; Load calls it.
    static void RegisterClasses();

private:
    void removeAll();

    COLORREF m_background = kDefaultBackground;
    std::vector<std::unique_ptr<CDrawObj>> m_objects;
    bool m_modified = false;
    mutable const FormFileContext *m_context = nullptr;
    std::function<void()> m_onModified;
    std::function<void(CDrawObj *)> m_onRemoved;
    std::function<void(const CDrawObj *)> m_onInvalidate;
};

} // namespace orvel
