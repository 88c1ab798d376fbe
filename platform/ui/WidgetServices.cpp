#include "platform/ui/WidgetServices.h"

#include "resources/StringTable.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvel {
namespace {

const QString kTitle = QStringLiteral("Orvel 97");

// A modeless window with a caption line and a progress bar.
class ProgressWindow : public ProgressBox
{
public:
    ProgressWindow(QWidget *parent, int captionId, int low, int high)
    {
        m_window = new QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        m_window->setWindowTitle(kTitle);
        m_window->setModal(false);
        auto *layout = new QVBoxLayout(m_window);
        m_caption = new QLabel(m_window);
        m_bar = new QProgressBar(m_window);
        m_bar->setTextVisible(false);
        m_bar->setMinimumWidth(300);
        layout->addWidget(m_caption);
        layout->addWidget(m_bar);
        setCaption(captionId);
        setRange(low, high);
        m_window->show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~ProgressWindow() override { delete m_window; }

    void setCaption(int captionId) override { m_caption->setText(LoadQString(captionId)); }
    void setRange(int low, int high) override { m_bar->setRange(low, std::max(low, high)); }
    void setPos(int pos) override
    {
        m_pos = pos;
        m_bar->setValue(pos);
    }
    int pos() const override { return m_pos; }

private:
    QDialog *m_window = nullptr;
    QLabel *m_caption = nullptr;
    QProgressBar *m_bar = nullptr;
    int m_pos = 0;
};

QMessageBox::Icon toIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Stop:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return QMessageBox::Ok;
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

MsgResult fromButton(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Retry:
        return MsgResult::Retry;
    case QMessageBox::Abort:
        return MsgResult::Abort;
    case QMessageBox::Ignore:
        return MsgResult::Ignore;
    default:
        return MsgResult::Cancel;
    }
}

} // namespace

WidgetServices::WidgetServices()
{
    qApp->installEventFilter(this);
}

WidgetServices::~WidgetServices()
{
    while (m_waitDepth > 0)
        endWaitCursor();
}

MsgResult WidgetServices::showMessage(const Message &message)
{
    QMessageBox box(toIcon(message.icon), kTitle, message.text, toButtons(message.buttons), m_parent);
    // As on the old system, the first button is the default one.
    const auto buttons = box.buttons();
    if (!buttons.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.first()));
    // A message during a wait shows the normal cursor.
    const bool waiting = m_waitDepth > 0;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = box.exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
    return fromButton(result);
}

std::unique_ptr<ProgressBox> WidgetServices::beginProgress(int captionId, int low, int high)
{
    m_escapePressed = false;
    return std::make_unique<ProgressWindow>(m_parent, captionId, low, high);
}

void WidgetServices::beginWaitCursor()
{
    if (m_waitDepth++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void WidgetServices::endWaitCursor()
{
    if (m_waitDepth > 0 && --m_waitDepth == 0)
        QApplication::restoreOverrideCursor();
}

bool WidgetServices::pollEscape()
{
    // Paint what is pending and look at the keys that arrived; other input
    // waits until the operation is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    const bool pressed = m_escapePressed;
    m_escapePressed = false;
    return pressed;
}

bool WidgetServices::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
        m_escapePressed = true;
    return QObject::eventFilter(watched, event);
}

QStringList WidgetServices::ToNameFilters(const QString &filter)
{
    // "Text|pattern|Text|pattern||": pairs, ended by an empty entry.
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty())
            break;
        QString patterns = parts.at(i + 1);
        patterns.replace(u';', u' ');
        QString text = parts.at(i);
        // Qt reads the patterns from the parentheses of the text.
        if (!text.contains(u'('))
            text += QStringLiteral(" (") + patterns + u')';
        result.append(text);
    }
    return result;
}

QString WidgetServices::runFileDialog(QFileDialog &dialog, const QString &filter, int *filterIndex,
                                      const QString &defaultSuffix, const QString &proposedName)
{
    const QStringList filters = ToNameFilters(filter);
    // The dialog gives a name typed without extension its suffix before it
    // checks the name, so a question about an existing file is asked about
    // the file that will really be used.
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setNameFilters(filters);
    if (!proposedName.isEmpty())
        dialog.selectFile(proposedName);
    if (filterIndex && *filterIndex >= 1 && *filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(*filterIndex - 1));
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    // What the dialog covered is painted before the work on the file starts.
    if (m_parent)
        m_parent->repaint();
    if (!accepted)
        return QString();
    if (filterIndex)
        *filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return dialog.selectedFiles().constFirst();
}

QString WidgetServices::getOpenFileName(const QString &title, const QString &filter, int *filterIndex,
                                        const QString &defaultSuffix)
{
    QFileDialog dialog(m_parent, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    return runFileDialog(dialog, filter, filterIndex, defaultSuffix);
}

QString WidgetServices::getSaveFileName(const QString &title, const QString &proposedName, const QString &filter,
                                        int *filterIndex, const QString &defaultSuffix)
{
    QFileDialog dialog(m_parent, title);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    return runFileDialog(dialog, filter, filterIndex, defaultSuffix, proposedName);
}

std::optional<uint32_t> WidgetServices::chooseColor(uint32_t initial)
{
    const QColor start(int(initial & 0xFF), int((initial >> 8) & 0xFF), int((initial >> 16) & 0xFF));
    const QColor chosen = QColorDialog::getColor(start, QApplication::activeWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return uint32_t(chosen.red()) | uint32_t(chosen.green()) << 8 | uint32_t(chosen.blue()) << 16;
}

} // namespace orvel
