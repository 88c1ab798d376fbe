#pragma once

#include <vector>

namespace orvel {

class CDrawObj;

// What changed in a document, as its views hear of it. The numbers are the
// ones the hints always had (a view may still be asked by number in a file
// or a test), but the code names them.
enum class Hint : int {
    Repaint = 0,           // a general change: repaint (also after a save)
    ListLayout = 1,        // column widths or row heights of the list changed
    Found = 2,             // a search made a record current: show its cell
    RecordChanged = 3,     // one record changed (record, field)
    FieldsChanged = 4,     // the field definitions changed: current field 0
    Replaced = 5,          // the database was replaced: current cell 0, 0
    InitialUpdate = 6,     // the views run their initial update again
    CommitEdit = 7,        // an open in-place edit is stored and closed
    ShowCurrent = 8,       // the current cell is kept visible, and repainted
    FormRepaint = 20,      // the whole form is repainted (background colour)
    ObjectRepaint = 21,    // one form object is repainted (object)
    SelectionRepaint = 22, // the objects of a list are repainted (objects)
    ObjectsRemoved = 23,   // the objects leave the form: drop them from selections (objects)
    OleFrames = 24,        // the frame display of embedded documents changed
    Closing = 32,          // the document closes: design mode ends
};

// A hint with what it is about. Only the hints that name a record or a field
// carry them; the others leave them at -1.
struct UpdateHint
{
    Hint kind = Hint::Repaint;
    int record = -1;
    int field = -1;
    // The form object a hint is about (ObjectRepaint), or the objects
    // (SelectionRepaint, ObjectsRemoved; null for a view's own selection).
    const CDrawObj *object = nullptr;
    const std::vector<CDrawObj *> *objects = nullptr;

    constexpr UpdateHint() = default;
    // Not explicit: a bare Hint is an UpdateHint about nothing in particular.
    constexpr UpdateHint(Hint hint, int atRecord = -1, int atField = -1)
        : kind(hint)
        , record(atRecord)
        , field(atField)
    {}
    static UpdateHint ForObject(const CDrawObj *drawObject)
    {
        UpdateHint hint(Hint::ObjectRepaint);
        hint.object = drawObject;
        return hint;
    }
    static UpdateHint ForObjects(Hint kind, const std::vector<CDrawObj *> *drawObjects)
    {
        UpdateHint hint(kind);
        hint.objects = drawObjects;
        return hint;
    }
};

} // namespace orvel
