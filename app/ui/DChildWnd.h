#pragma once

#include <QMdiSubWindow>

namespace orvel {

class CDChildWnd;
class CMainFrame;
class COrvelDoc;
class COrvelView;

// Decides what closing a child window means for its document: the program's
// document list implements it.
class ChildWindowHost
{
public:
    virtual ~ChildWindowHost() = default;
    // The window asks to close. For the last window of a modified document
    // this asks whether to save; false keeps the window open.
    virtual bool CanCloseFrame(CDChildWnd *child) = 0;
    // The window has closed; after the last one the document closes.
    virtual void FrameClosed(CDChildWnd *child) = 0;
};

// The child window of one view on a document.
class CDChildWnd : public QMdiSubWindow
{
    Q_OBJECT
public:
    // The view starts as a list or as the form.
    CDChildWnd(COrvelDoc &doc, CMainFrame *frame, ChildWindowHost *host, bool listMode = true);
    ~CDChildWnd() override;

    COrvelDoc &GetDocument() const { return m_doc; }
    COrvelView *GetView() const { return m_view; }

    // The window's number among the windows of its document (1 for the
    // first); the caption shows it from the second window on ("Liste.ovd:2").
    void SetWindowNumber(int number);
    int GetWindowNumber() const { return m_number; }
    // Sets the caption from the document's title.
    void UpdateTitle();
    // Closes the window without the question about unsaved changes (the
    // document has been asked already, or is discarded).
    void CloseWithoutAsking();
    bool IsClosed() const { return m_closed; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    COrvelDoc &m_doc;
    COrvelView *m_view = nullptr;
    ChildWindowHost *m_host = nullptr;
    int m_number = 1;
    bool m_closed = false;
    bool m_noQuestion = false;
};

} // namespace orvel
