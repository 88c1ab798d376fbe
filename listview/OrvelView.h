#pragma once

#include "listview/ListGrid.h"
#include "listview/ViewFrame.h"
#include "platform/ui/CommandRouter.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QContextMenuEvent;
class QVBoxLayout;

namespace orvel {

class CDataTable;
class CFormView;
class COrvelDoc;
class ViewSearch;

// The view of one open database inside its child window. It keeps the
// current cell, shows the table as a list (the grid) or as a form, follows
// the document's update hints and is the first link of the command chain:
// navigation and every record command start here.
class COrvelView : public QWidget, public CCmdTarget, public ListGridHost
{
    Q_OBJECT
public:
    // Where the record clipboard keeps the objects of copied media values
    // (the application's temporary file). Asked at each copy and paste,
    // since the application makes the file after the first window opens.
    using PathSource = std::function<QString()>;

    // `frame` may be null (a view on its own, in tests). The view starts as
    // a list or as the form (the "StandardView" setting).
    COrvelView(COrvelDoc &doc, ViewFrame *frame, QWidget *parent = nullptr, bool listMode = true);
    ~COrvelView() override;

    COrvelDoc &GetDocument() const { return m_doc; }
    CDataTable &GetTable() const;
    ViewFrame *GetFrame() const { return m_frame; }
    // The frame is going away before this view.
    void ForgetFrame() { m_frame = nullptr; }

    // Once the view sits in its window: binds the table, sets the current
    // cell, initialises the grid (or the form) and registers with the main
    // frame.
    virtual void OnInitialUpdate();
    // A notification of the document (or of the view to itself).
    virtual void OnUpdate(const UpdateHint &hint);
    // The options changed: lay out again and repaint, so that a new grid
    // font takes effect.
    virtual void RelayoutAfterOptions();

    // 1 while the view shows the list, 0 for the form.
    int GetListMode() const { return m_listMode; }
    bool IsDesignMode() const { return m_designMode; }
    bool IsInitialised() const { return m_initialised; }
    int GetCurrentRecord() const { return m_currentRecord; }
    int GetCurrentField() const { return m_currentField; }
    void SetCurrentCell(int record, int field);

    // The widget that shows the table: the grid in list mode, the form
    // otherwise.
    QWidget *GetBody() const { return m_body; }
    // Null in form mode.
    CListGrid *GetGrid() const { return m_grid; }
    // Null in list mode.
    CFormView *GetFormView() const { return m_formView; }

    // "&Listenansicht" / "&Formularansicht" (F9) and "Formular&design" (F6).
    void ToggleListMode();
    void ToggleDesignMode();

    // The child frame made this view the active one, or another one.
    void SetActive(bool active);
    bool IsActive() const { return m_active; }

    // Ends an open in-place edit (hint 7 to this view only).
    void CommitEdit() { OnUpdate(Hint::CommitEdit); }
    // Sends a hint to every other view of the document, not to this one.
    void UpdateOtherViews(const UpdateHint &hint);
    // Pane 0 of the main frame's status bar for the current record, in
    // whichever mode the view is.
    void UpdateStatusText();

    // In form mode the designer sees the commands first: the drawing tools
    // and object commands are its own, and in design mode it takes the
    // editing commands the records use otherwise.
    bool OnCmdMsg(int id, CCmdUI *ui) override;

    void SetClipboardObjectFileSource(PathSource source) { m_clipboardFile = std::move(source); }
    // Where "Neue Datenbank" of the find dialog opens its new database.
    void SetNewDocumentSource(std::function<COrvelDoc *()> source);
    // Finding and replacing: the dialogs' state and the continue bars.
    ViewSearch &Search() const { return *m_search; }
    QString ClipboardObjectFile() const { return m_clipboardFile ? m_clipboardFile() : QString(); }

    // --- ListGridHost ---
    int currentRecord() const override { return m_currentRecord; }
    int currentField() const override { return m_currentField; }
    void setCurrentCell(int record, int field) override { SetCurrentCell(record, field); }
    void appendIfNeeded() override;
    void notifyOtherViews(const UpdateHint &hint) override { UpdateOtherViews(hint); }
    void showStatusText(const QString &text) override;

signals:
    void currentCellChanged(int record, int field);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    class FormHost;

    void registerCommands();
    void registerNavigation();
    // Replaces the body by a new grid (list mode) or form (form mode).
    void createBody();
    void initialiseBody();
    // Keeps the current cell inside the table after another view (or the
    // document) removed records or fields.
    void clampCurrentCell();
    // Form mode: the record moves that the form view will own later.
    void moveInForm(int record);

    COrvelDoc &m_doc;
    ViewFrame *m_frame = nullptr;
    QVBoxLayout *m_layout = nullptr;
    QWidget *m_body = nullptr;
    CListGrid *m_grid = nullptr;
    CFormView *m_formView = nullptr;
    std::unique_ptr<FormHost> m_formHost;
    std::unique_ptr<ViewSearch> m_search;
    PathSource m_clipboardFile;
    int m_listMode = 1;
    bool m_designMode = false;
    bool m_initialised = false;
    bool m_active = true;
    int m_currentRecord = -1;
    int m_currentField = -1;
    int m_hintHandle = 0;
    // Set while this view broadcasts a hint meant for the other views only.
    bool m_muted = false;
};

} // namespace orvel
