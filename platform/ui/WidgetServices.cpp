#include "platform/ui/WidgetServices.h"

#include "platform/gfx/FontConversion.h"
#include "resources/StringTable.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>
#include <cstdlib>
#include <limits>

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

QColor toQColor(uint32_t color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

// A small filled square for the colour button of the font dialog.
QIcon colorIcon(uint32_t color)
{
    QPixmap pixmap(24, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(toQColor(color));
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

// The group of Qt's font dialog that holds a check box (its effects), and
// the one that holds a line edit (its sample); null when the dialog has none.
QGroupBox *groupHolding(const QFontDialog &dialog, const char *className)
{
    for (QGroupBox *group : dialog.findChildren<QGroupBox *>()) {
        for (const QObject *child : group->children()) {
            if (child->inherits(className))
                return group;
        }
    }
    return nullptr;
}

// The family's style that shows the font's weight and slant best. Qt's font
// dialog looks the style up by name ("Normal", "Bold Italic"); a family whose
// upright style has another name ("Book", "Roman") would otherwise open on
// its first style, an oblique one perhaps, and return that.
QString styleFor(const QFont &font, const QString &family)
{
    QString best;
    int bestScore = std::numeric_limits<int>::max();
    for (const QString &style : QFontDatabase::styles(family)) {
        const int slant = QFontDatabase::italic(family, style) != font.italic() ? 10000 : 0;
        // Weights are on Qt's scale; shorter names are the plainer styles
        // ("Book" rather than "Condensed").
        const int score =
                slant + std::abs(QFontDatabase::weight(family, style) - font.weight()) * 100 + int(style.size());
        if (score < bestScore) {
            bestScore = score;
            best = style;
        }
    }
    return best;
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

std::optional<ChosenFont> WidgetServices::chooseFont(const LOGFONT &initial, COLORREF initialColor)
{
    // Over the sheet that asks, else over the main window.
    QWidget *parent = QApplication::activeModalWidget();
    if (parent == nullptr)
        parent = QApplication::activeWindow();
    if (parent == nullptr)
        parent = m_parent;
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int dpi = parent ? parent->logicalDpiY() : screen ? int(screen->logicalDotsPerInchY()) : 96;

    // The dialog lists installed families and point sizes: the stored face
    // is shown as the family that stands in for it.
    LOGFONT upright = initial;
    upright.lfEscapement = upright.lfOrientation = 0;
    QFont start = LogFontToQFont(upright, dpi);
    const QString standIn = QFontInfo(start).family();
    const int pixels = start.pixelSize();
    start.setFamily(standIn);
    start.setStyleName(styleFor(start, standIn));
    start.setPointSize(std::max(1, int(std::lround(pixels * 72.0 / std::max(dpi, 1)))));

    QFontDialog dialog(start, parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    uint32_t color = initialColor;
    auto *colorButton = new QPushButton(QStringLiteral("&Farbe..."), &dialog);
    colorButton->setObjectName(QStringLiteral("fontColorButton"));
    colorButton->setIcon(colorIcon(color));
    colorButton->setAutoDefault(false);
    QLineEdit *sample = nullptr;
    if (QGroupBox *sampleGroup = groupHolding(dialog, "QLineEdit"))
        sample = sampleGroup->findChild<QLineEdit *>();
    const auto showColor = [&] {
        colorButton->setIcon(colorIcon(color));
        if (sample != nullptr) {
            QPalette palette = sample->palette();
            palette.setColor(QPalette::Text, toQColor(color));
            sample->setPalette(palette);
        }
    };
    showColor();
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        if (const std::optional<uint32_t> chosen = chooseColor(color)) {
            color = *chosen;
            showColor();
        }
    });
    // Beside underline and strike-out, where the effects are; below the
    // dialog's lists when it has no such group.
    QGroupBox *effects = groupHolding(dialog, "QCheckBox");
    if (effects != nullptr && effects->layout() != nullptr)
        effects->layout()->addWidget(colorButton);
    else if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(colorButton, grid->rowCount(), 0);
    else if (dialog.layout() != nullptr)
        dialog.layout()->addWidget(colorButton);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QFont chosen = dialog.selectedFont();
    ChosenFont result;
    result.pointSizeTenths = int(std::lround(chosen.pointSizeF() * 10));
    result.font = QFontToLogFont(chosen, dpi);
    if (chosen.family() == standIn && !initial.faceName().empty()) {
        // The same face: the stored name (and its family) stays, so that an
        // unchanged face keeps its bytes in the file.
        result.font.setFaceName(initial.faceName());
        result.font.lfPitchAndFamily = initial.lfPitchAndFamily;
    }
    result.font.lfCharSet = initial.lfCharSet;
    result.color = color;
    return result;
}

} // namespace orvel
