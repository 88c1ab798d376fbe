#pragma once

#include "document/FieldValueState.h"
#include "document/UpdateHint.h"
#include "form/DrawContext.h"
#include "form/DrawObj.h"
#include "platform/Gdi.h"
#include "platform/ui/CommandRouter.h"

#include <QPoint>
#include <QRect>

#include <memory>
#include <vector>

class QKeyEvent;

namespace orvel {

class CDrawEdit;
class CDrawObj;
class CDrawPoly;
class DataFieldControl;
class CFormObjects;
class CFormView;
class COrvelDoc;
class DesignerHost;
class DesignerTool;

// The controller of one form view: the selection, the drawing tools, the
// commands of the design menu and the form clipboard. The view hands it the
// mouse (in client coordinates), the keys and the commands; every change it
// makes to the form goes through the form's own operations.
class CFormDesigner : public CCmdTarget
{
public:
    enum class Tool : int {
        Select = 0,
        Line = 1,
        Rectangle = 2,
        RoundRectangle = 3,
        Ellipse = 4,
        Polygon = 5,
        Text = 6,
        DataField = 7,
        Picture = 8,
    };
    enum class SelectMode { None, Net, Move, Size };

    // The state of the drag that runs: one for the whole program, since
    // only one mouse drag can run at a time.
    struct ToolState
    {
        Tool currentTool = Tool::Select;
        SelectMode selectMode = SelectMode::None;
        int dragHandle = 0;
        QPoint downPoint; // client coordinates
        QPoint lastPoint; // client coordinates
        unsigned downFlags = 0;
        POINT lastFormPoint{};
        bool captured = false;
        // The polygon being drawn, and the designer drawing it.
        CDrawPoly *polygon = nullptr;
        CFormDesigner *polygonOwner = nullptr;
    };
    static ToolState &Tools();

    // The colour of the guide dots.
    static constexpr COLORREF kGuideDotColor = 0x00800000;
    // Where new texts, pictures and objects are placed, in client coordinates.
    static constexpr RECT kDefaultClientRect{10, 10, 300, 300};
    // The colour bar's commands apply the current colours.
    static constexpr int kApplyFillColor = 126;
    static constexpr int kApplyLineColor = 127;
    // Data mode: a double click on a picture field changes its picture, on
    // an OLE field it opens the value; the buttons of link and memo fields.
    static constexpr int kOpenLink = 200;
    static constexpr int kChangePicture = 201;
    static constexpr int kOpenObjectValue = 202;
    static constexpr int kOpenMemo = 203;

    CFormDesigner(COrvelDoc &doc, CFormView &view, DesignerHost &host);
    ~CFormDesigner() override;
    CFormDesigner(const CFormDesigner &) = delete;
    CFormDesigner &operator=(const CFormDesigner &) = delete;

    COrvelDoc &GetDocument() const { return m_doc; }
    CFormObjects &GetForm() const;
    CFormView &GetView() const { return m_view; }
    DesignerHost &GetHost() const { return m_host; }

    bool IsDesignMode() const { return m_designMode; }
    // Entering or leaving design mode ends any drag and empties the
    // selection.
    void SetDesignMode(bool design);

    // --- Selection ---
    const std::vector<CDrawObj *> &GetSelection() const { return m_selection; }
    // In data mode, the one selected data field when it has this field type
    // and the current record exists; else null.
    CDrawEdit *SelectedValueField(int fieldType) const;
    // In data mode the control over the selected data field; null when it
    // has none.
    DataFieldControl *GetEditor() const { return m_editor.get(); }
    bool IsSelected(const CDrawObj *object) const;
    // Unless `add`, the selection is emptied first; the object (if any and
    // not yet selected) is appended. In data mode the selected data field
    // gets its control (or the view the focus).
    void Select(CDrawObj *object, bool add = false);
    // Selects (adding unless told otherwise) every object that the client
    // rectangle touches, in list order.
    void SelectWithinRect(const QRect &client, bool add);
    void Deselect(CDrawObj *object);
    void SelectAll();
    void ClearSelection();
    // Repaints an object, with room for its handles when it is selected in
    // the active view.
    void InvalObj(const CDrawObj *object);
    // Scrolls so that the object is visible with a margin of 10.
    void ScrollToObject(const CDrawObj *object);
    // The smallest rectangle around the selected objects' positions.
    RECT SelectionBounds() const;

    bool ShowGuideDots() const { return m_showGuideDots; }
    // The class-wide display of the embedded documents' frames.
    static bool ShowOleFrames();

    // --- Input from the view (client coordinates) ---
    // `flags` are the mouse key flags of DrawContext.h.
    void OnButtonDown(QPoint point, unsigned flags);
    void OnDoubleClick(QPoint point, unsigned flags);
    void OnButtonUp(QPoint point, unsigned flags);
    void OnMouseMove(QPoint point, unsigned flags);
    // Keys the designer takes (arrows in design mode, Del, Tab, Esc); true
    // when it took the key.
    bool OnKey(QKeyEvent *event);
    void OnContextMenu(QPoint client, QPoint global);
    void OnUpdate(const UpdateHint &hint);

    // --- What the tools use ---
    POINT ClientToForm(QPoint point) const;
    QRect FormToClient(const RECT &rect) const;
    // The form's frontmost object at a client point.
    CDrawObj *ObjectAtClient(QPoint point) const;
    // Moves or sizes the selection by the drag from lastFormPoint to the
    // form point, with the limits of the form area.
    void DragSelection(POINT to, unsigned flags);
    void ShowPosition(const RECT &rect);
    void SetCursorShape(HandleCursor cursor);
    void SetCrossCursor();
    void SetPencilCursor();
    // Ends a polygon being drawn: the mouse is released and the selection
    // tool is current again. `dropLast` takes back the last point; a polygon
    // closed on its first point is discarded when one point or none is left.
    void EndPolygon(bool dropLast, bool closedOnFirstPoint = false);
    // The current colours of the main frame.
    DrawColors CurrentColors() const;
    // The edit box's text changed: it becomes the record's value at once,
    // and the other views hear of it.
    void OnEditorChanged();
    // Escape in the edit box: the value it started from comes back.
    void OnEditorCancelled();
    // Data mode: the data field of the view's current field is selected
    // (and so edited), if the form has one.
    void SelectCurrentField();

    // Handles the design-mode commands; in data mode the record commands
    // that share their ids (copy, paste, Tab, ...) go on to the view.
    bool OnCmdMsg(int id, CCmdUI *ui) override;
    // Runs one of the designer's own commands when it is enabled (the
    // buttons and double clicks of data fields); false when it is not.
    bool RunCommand(int id);

    // The commands, for the view and the tests.
    void SetTool(Tool tool);
    void InsertText();
    void InsertDataField();
    // "Eigenschaften": the sheet of the one selected object, while the
    // selection tool is current.
    bool CanEditProperties() const;
    void EditProperties();
    void Reorder(int command);
    void ApplyLineColor(COLORREF color);
    void ApplyFillColor(COLORREF color);
    void AlignToGrid();
    void MoveSelection(int dx, int dy);
    void SelectNext(bool forward);
    void FitSelectedText();
    void ToggleGuideDots();
    void ToggleOleFrames();
    void Cancel();
    bool CopySelection();
    void CutSelection();
    bool Paste();
    void DeleteSelection();
    bool CanPaste() const;

private:
    void registerCommands();
    DesignerTool &currentTool() const;
    void createEditor(CDrawObj *object);
    void destroyEditor();
    void rememberEditOrigin();
    bool selectedSingle(const CDrawObj **object = nullptr) const;
    // A press in design mode opens an undo step that the release (or the
    // polygon's end, or Esc) closes, named for what the press started.
    void beginGesture();
    void nameGesture(unsigned flags);
    void endGesture();

    COrvelDoc &m_doc;
    CFormView &m_view;
    DesignerHost &m_host;
    std::vector<CDrawObj *> m_selection;
    std::unique_ptr<DataFieldControl> m_editor;
    // What the edited value was when its control was made, for Escape.
    int m_editRecord = -1;
    FieldValueState m_editOrigin;
    // The keystrokes of the open edit become one undo step by this key.
    int m_editStep = 0;
    bool m_gesture = false;
    bool m_designMode = false;
    bool m_showGuideDots = false;
};

} // namespace orvel
