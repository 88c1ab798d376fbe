#pragma once

#include "platform/Services.h"

#include <QObject>
#include <QPointer>

#include <QWidget>

class QFileDialog;

namespace orvel {

// Services of the program: message boxes, the progress window, the wait
// cursor and Escape polling on real widgets.
class WidgetServices : public QObject, public Services
{
    Q_OBJECT
public:
    WidgetServices();
    ~WidgetServices() override;

    // Dialogs are modal to this window (the main frame).
    void setParentWindow(QWidget *window) { m_parent = window; }

    MsgResult showMessage(const Message &message) override;
    std::unique_ptr<ProgressBox> beginProgress(int captionId, int low, int high) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    bool pollEscape() override;
    QString getOpenFileName(const QString &title, const QString &filter, int *filterIndex,
                            const QString &defaultSuffix) override;
    QString getSaveFileName(const QString &title, const QString &proposedName, const QString &filter, int *filterIndex,
                            const QString &defaultSuffix) override;
    // Qt's colour dialog over the active window.
    std::optional<uint32_t> chooseColor(uint32_t initial) override;
    // Qt's font dialog over the active window, with a colour button among
    // its effects (Qt's dialog has no colour of its own).
    std::optional<ChosenFont> chooseFont(const LOGFONT &initial, COLORREF initialColor) override;

    // "Orvel-Dateien (*.ovd)|*.ovd|...||" as Qt's name filters.
    static QStringList ToNameFilters(const QString &filter);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Filters, default suffix and proposed name set, the dialog run, the
    // window below painted again; the chosen file or empty.
    QString runFileDialog(QFileDialog &dialog, const QString &filter, int *filterIndex, const QString &defaultSuffix,
                          const QString &proposedName = QString());

    QPointer<QWidget> m_parent;
    int m_waitDepth = 0;
    bool m_escapePressed = false;
};

} // namespace orvel
