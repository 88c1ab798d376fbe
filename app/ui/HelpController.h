#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace orvel {

class HelpWindow;

// The program's help: the one help window, made when first asked for, and
// F1 everywhere. The main window's F1 runs the help command; dialogs know
// nothing of help: an application-wide event filter takes the F1 that no
// shortcut took (any window other than the main window, above all modal
// dialogs, whose modality keeps the main window's shortcuts from firing)
// and shows the page of the dialog, looked up in resources/help/pages.txt.
class HelpController : public QObject
{
    Q_OBJECT
public:
    HelpController();
    ~HelpController() override;

    // "&Hilfethemen": the contents.
    void ShowContents();
    // "Hilfe &suchen...": the search tab.
    void ShowSearch();
    // F1: the page of the active modal dialog or of `window`, else the
    // contents.
    void ShowContextHelp(QWidget *window);

    // The page of a window: the names of its focus widget and the widgets
    // above it (for a property sheet, of its page on top), then of the window
    // itself; object names first, then class names. Empty when none has a
    // page.
    QString ContextTarget(const QWidget *window);

    // The window, or null while none was opened.
    HelpWindow *Window() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    HelpWindow &window();

    QPointer<HelpWindow> m_window;
};

} // namespace orvel
