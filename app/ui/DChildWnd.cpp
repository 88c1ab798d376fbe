#include "app/ui/DChildWnd.h"

#include "app/ui/MainFrame.h"
#include "document/OrvelDoc.h"
#include "listview/OrvelView.h"

#include <QCloseEvent>
#include <QIcon>

namespace orvel {

CDChildWnd::CDChildWnd(COrvelDoc &doc, CMainFrame *frame, ChildWindowHost *host, bool listMode)
    : m_doc(doc)
    , m_host(host)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/orvel/icons/orvel.svg")));
    m_view = new COrvelView(doc, frame, this, listMode);
    setWidget(m_view);
    UpdateTitle();
}

CDChildWnd::~CDChildWnd() = default;

void CDChildWnd::SetWindowNumber(int number)
{
    m_number = number;
    UpdateTitle();
}

void CDChildWnd::UpdateTitle()
{
    QString title = m_doc.GetTitle();
    if (m_number > 1)
        title += QStringLiteral(":%1").arg(m_number);
    setWindowTitle(title);
}

void CDChildWnd::CloseWithoutAsking()
{
    m_noQuestion = true;
    close();
}

void CDChildWnd::closeEvent(QCloseEvent *event)
{
    if (!m_closed && !m_noQuestion && m_host && !m_host->CanCloseFrame(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (!event->isAccepted() || m_closed)
        return;
    m_closed = true;
    // The view goes first: it listens to the document, which may close
    // with this window.
    COrvelView *view = m_view;
    m_view = nullptr;
    setWidget(nullptr);
    delete view;
    if (m_host)
        m_host->FrameClosed(this);
}

} // namespace orvel
