#include "print/ui/CPPPageSetupMargins.h"

#include "ui_CPPPageSetupMargins.h"

#include "platform/Services.h"
#include "platform/ui/CheckedInteger.h"
#include "resources/StringIds.h"

#include <QRegularExpressionValidator>

#include <algorithm>
#include <charconv>

namespace orvel {

namespace {

// A margin from a file that lies outside what the edits take is shown at
// the nearest end of the range.
int shownMargin(int margin)
{
    return std::clamp(margin, 0, CPPPageSetupMargins::kMaxMargin);
}

std::optional<int> quietInteger(const QLineEdit *edit)
{
    const QByteArray text = edit->text().trimmed().toLatin1();
    const char *end = text.constData() + text.size();
    int number = 0;
    const auto [stop, error] = std::from_chars(text.constData(), end, number);
    if (text.isEmpty() || stop != end || error != std::errc() || number < 0 || number > CPPPageSetupMargins::kMaxMargin)
        return std::nullopt;
    return number;
}

} // namespace

CPPPageSetupMargins::CPPPageSetupMargins(const PageSettings &settings, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CPPPageSetupMargins>())
{
    m_ui->setupUi(this);
    // Digits only; the range is checked when the page is left, so that a
    // wrong number is answered with a message rather than refused keys.
    const auto *digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit *edit : {TopEdit(), BottomEdit(), LeftEdit(), RightEdit()}) {
        edit->setValidator(digits);
        // Four digits and a little room.
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) * 2);
    }
    showMargins({shownMargin(settings.marginTop), shownMargin(settings.marginBottom), shownMargin(settings.marginLeft),
                 shownMargin(settings.marginRight)});
    if (QAbstractButton *button = AlignmentButton(settings.alignment))
        button->setChecked(true);
}

CPPPageSetupMargins::~CPPPageSetupMargins() = default;

void CPPPageSetupMargins::showMargins(const PageMargins &margins)
{
    TopEdit()->setText(QString::number(margins.top));
    BottomEdit()->setText(QString::number(margins.bottom));
    LeftEdit()->setText(QString::number(margins.left));
    RightEdit()->setText(QString::number(margins.right));
}

std::optional<PageMargins> CPPPageSetupMargins::Margins() const
{
    const auto top = quietInteger(TopEdit());
    const auto bottom = quietInteger(BottomEdit());
    const auto left = quietInteger(LeftEdit());
    const auto right = quietInteger(RightEdit());
    if (!top || !bottom || !left || !right)
        return std::nullopt;
    return PageMargins{*top, *bottom, *left, *right};
}

void CPPPageSetupMargins::showEvent(QShowEvent *event)
{
    PropertyPage::showEvent(event);
    if (std::optional<PageMargins> margins = Margins(); margins && !CheckMargins(*margins))
        showMargins(*margins);
}

bool CPPPageSetupMargins::OnKillActive()
{
    PageMargins margins;
    int *const values[] = {&margins.top, &margins.bottom, &margins.left, &margins.right};
    QLineEdit *const edits[] = {TopEdit(), BottomEdit(), LeftEdit(), RightEdit()};
    for (int i = 0; i < 4; ++i) {
        const std::optional<int> value = CheckedInteger(edits[i], 0, kMaxMargin);
        if (!value)
            return false;
        *values[i] = *value;
    }
    if (!CheckMargins(margins)) {
        showMargins(margins);
        MessageBoxById(ids::kMsgMarginsAdjusted, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void CPPPageSetupMargins::Store(PageSettings &settings) const
{
    if (const std::optional<PageMargins> margins = Margins()) {
        settings.marginTop = int16_t(margins->top);
        settings.marginBottom = int16_t(margins->bottom);
        settings.marginLeft = int16_t(margins->left);
        settings.marginRight = int16_t(margins->right);
    }
    // An alignment no button stands for (from a file) stays until one is
    // chosen.
    for (int alignment = PageSettings::Left; alignment <= PageSettings::Right; ++alignment) {
        if (AlignmentButton(alignment)->isChecked())
            settings.alignment = int16_t(alignment);
    }
}

QLineEdit *CPPPageSetupMargins::TopEdit() const
{
    return m_ui->topEdit;
}

QLineEdit *CPPPageSetupMargins::BottomEdit() const
{
    return m_ui->bottomEdit;
}

QLineEdit *CPPPageSetupMargins::LeftEdit() const
{
    return m_ui->leftEdit;
}

QLineEdit *CPPPageSetupMargins::RightEdit() const
{
    return m_ui->rightEdit;
}

QAbstractButton *CPPPageSetupMargins::AlignmentButton(int alignment) const
{
    QAbstractButton *const buttons[] = {m_ui->leftButton, m_ui->centerButton, m_ui->rightButton};
    return alignment >= 0 && alignment < 3 ? buttons[alignment] : nullptr;
}

} // namespace orvel
