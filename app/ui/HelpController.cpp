#include "app/ui/HelpController.h"

#include "app/ui/HelpWindow.h"
#include "platform/ui/PropertySheet.h"

#include <QApplication>
#include <QKeyEvent>

namespace orvel {

namespace {

QString classNameOf(const QWidget *widget)
{
    return QString::fromLatin1(widget->metaObject()->className()).section(QStringLiteral("::"), -1);
}

} // namespace

HelpController::HelpController()
{
    qApp->installEventFilter(this);
}

HelpController::~HelpController()
{
    if (qApp)
        qApp->removeEventFilter(this);
    delete m_window;
}

HelpWindow *HelpController::Window() const
{
    return m_window.data();
}

HelpWindow &HelpController::window()
{
    if (!m_window)
        m_window = new HelpWindow;
    return *m_window;
}

void HelpController::ShowContents()
{
    window().ShowContents();
    m_window->Present();
}

void HelpController::ShowSearch()
{
    window().Present();
    m_window->ShowSearch();
}

void HelpController::ShowContextHelp(QWidget *from)
{
    QWidget *target = QApplication::activeModalWidget();
    if (!target && from)
        target = from->window();
    const QString page = target ? ContextTarget(target) : QString();
    if (page.isEmpty()) {
        ShowContents();
        return;
    }
    window().ShowPage(page);
    m_window->Present();
}

QString HelpController::ContextTarget(const QWidget *topLevel)
{
    const HelpLibrary &library = window().Library();
    // From the page of a property sheet or the widget with the focus up to
    // the window: the innermost widget that has a page decides.
    const QWidget *start = nullptr;
    if (const auto *sheet = qobject_cast<const PropertySheet *>(topLevel))
        start = sheet->ActivePage();
    if (!start) {
        const QWidget *focus = QApplication::focusWidget();
        if (focus && focus->window() == topLevel)
            start = focus;
    }
    if (!start)
        start = topLevel;
    for (const QWidget *widget = start; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        for (const QString &name : {widget->objectName(), classNameOf(widget)}) {
            if (name.isEmpty())
                continue;
            if (const QString page = library.ContextTarget(name); !page.isEmpty())
                return page;
        }
    }
    return {};
}

bool HelpController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !watched->isWidgetType())
        return false;
    ShowContextHelp(static_cast<QWidget *>(watched));
    return true;
}

} // namespace orvel
