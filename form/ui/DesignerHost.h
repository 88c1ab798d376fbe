#pragma once

#include "document/UpdateHint.h"
#include "platform/LogFont.h"

#include <QString>

class QMenu;

namespace orvel {

// What the form view and its designer need of the view that hosts them and
// of the main window behind it.
class DesignerHost
{
public:
    virtual ~DesignerHost() = default;

    // The main frame's current colours, which new objects take and the
    // colour bar sets.
    virtual COLORREF CurrentLineColor() const = 0;
    virtual COLORREF CurrentFillColor() const = 0;
    // A property sheet's colours become the current ones (and the colour
    // bar shows them).
    virtual void SetCurrentLineColor(COLORREF color) = 0;
    virtual void SetCurrentFillColor(COLORREF color) = 0;
    // The view's current cell.
    virtual int CurrentRecord() const = 0;
    virtual int CurrentField() const = 0;
    virtual void SetCurrentField(int field) = 0;
    // Whether the view is the active one (trackers show only there).
    virtual bool IsActiveView() const = 0;
    // Pane 0 of the status bar.
    virtual void ShowStatusText(const QString &text) = 0;
    // A pop-up of a menu of the menu table ("Context" in design mode,
    // "DataContext" in data mode) by index; null when there is none.
    virtual QMenu *BuildContextMenu(const QString &menu, int index) = 0;
    // A hint for the other views of the document, not this one.
    virtual void NotifyOtherViews(const UpdateHint &hint) = 0;
    // The filter chosen last in the picture dialogs (from 1), which the main
    // window remembers.
    virtual int PictureFilterIndex() const = 0;
    virtual void SetPictureFilterIndex(int index) = 0;
};

} // namespace orvel
