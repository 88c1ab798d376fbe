#pragma once

#include "app/ui/CommandRouter.h"
#include "listview/MainFrame.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>

class QVBoxLayout;

namespace orvel {

class COrvelDoc;

// The view of one open database inside its child window. It keeps the
// current cell, follows the document's update hints and is the first link
// of the command chain. The widget that shows the table is its body.
class COrvelView : public QWidget, public CCmdTarget
{
    Q_OBJECT
public:
    // Update hints (the document sends 4, 7, 20 and 32 itself).
    static constexpr int kHintRepaint = 0;
    static constexpr int kHintListLayout = 1;
    static constexpr int kHintFound = 2;
    static constexpr int kHintRecord = 3; // value: (record << 16) | field
    static constexpr int kHintFields = 4;
    static constexpr int kHintReplaced = 5;
    static constexpr int kHintInitialUpdate = 6;
    static constexpr int kHintCommitEdit = 7;
    static constexpr int kHintShowCurrent = 8;
    static constexpr int kHintBackground = 20;
    static constexpr int kHintClosing = 32;

    COrvelView(COrvelDoc &doc, CMainFrame *frame, QWidget *parent = nullptr);
    ~COrvelView() override;

    COrvelDoc &GetDocument() const { return m_doc; }
    CMainFrame *GetMainFrame() const { return m_frame; }

    // Once the view sits in its window: registers with the main frame and
    // shows the table.
    virtual void OnInitialUpdate();
    // A notification of the document (or of the view to itself).
    virtual void OnUpdate(int hint, std::intptr_t value);
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

    // The widget that shows the table; the list grid takes its place.
    QWidget *GetBody() const { return m_body; }
    // Replaces the body (the old one is deleted).
    void SetBody(QWidget *body);

signals:
    void currentCellChanged(int record, int field);

protected:
    // The stand-in body until the list grid arrives: the table, read only.
    QWidget *createPlaceholderBody();
    void refreshPlaceholder(int hint, std::intptr_t value);

    COrvelDoc &m_doc;
    QPointer<CMainFrame> m_frame;
    QVBoxLayout *m_layout = nullptr;
    QWidget *m_body = nullptr;
    int m_listMode = 1;
    bool m_designMode = false;
    bool m_initialised = false;
    int m_currentRecord = -1;
    int m_currentField = -1;
    int m_hintHandle = 0;
};

} // namespace orvel
