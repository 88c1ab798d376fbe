#pragma once

#include "platform/AnsiString.h"

#include <QPoint>
#include <QRect>

#include <memory>

class QWidget;

namespace orvel {

class CDrawEdit;
class CFormDesigner;

// The real control over a data field while it is selected in data mode: an
// edit box (text, numbers, dates) through which the value is typed, or a
// push button (links, memos) that opens the value. Pictures and embedded
// documents have none. The control lives on the form view's viewport, over
// the field, and goes when the field is deselected or data mode ends.
class DataFieldControl
{
public:
    // The child-window ids the controls had; the buttons run these
    // commands of the designer.
    static constexpr int kEditId = 100;
    static constexpr int kLinkButtonId = 200;
    static constexpr int kMemoButtonId = 203;

    // The control for the field over the current record; null when it gets
    // none (a picture or OLE field, no record, no room right of the label).
    static std::unique_ptr<DataFieldControl> Create(CDrawEdit &field, CFormDesigner &designer);
    virtual ~DataFieldControl() = default;

    CDrawEdit &Field() const { return m_field; }
    virtual QWidget *Widget() const = 0;
    // 100, 200 or 203.
    virtual int Id() const = 0;
    // The text as it would be stored (edit box), or the button's caption.
    virtual AnsiString Text() const = 0;
    // Shows the current record's value again (another view changed it):
    // all of it selected, the caret in view.
    virtual void Refresh() = 0;
    // A button press on the field goes on to the control, so that the
    // caret lands where the user clicked or the button goes down.
    void PassPress(QPoint client);

    // The client rectangles of the controls, by the rules of old: the edit
    // box right of the label (label width + 7, else 2, plus one) inside the
    // field by 3 at top, bottom and right; a button over the value area (or
    // the whole field for memos), one pixel wider and higher.
    static QRect EditRect(const QRect &field, int labelWidth, bool showFieldName);
    static QRect ButtonRect(const QRect &field, int labelWidth, bool showFieldName);

protected:
    DataFieldControl(CDrawEdit &field, CFormDesigner &designer)
        : m_field(field)
        , m_designer(designer)
    {}

    CDrawEdit &m_field;
    CFormDesigner &m_designer;
};

} // namespace orvel
