#include "print/ui/CPPPageSetupHeaders.h"

#include "ui_CPPPageSetupHeaders.h"

#include "platform/Codepage.h"
#include "resources/CommandIds.h"
#include "resources/CommandTable.h"
#include "resources/MenuTable.h"

#include <QApplication>
#include <QMenu>

#include <algorithm>

namespace orvel {

namespace {

// Shows a stored text; one longer than an edit takes (from a file written
// elsewhere) is shown whole, not cut.
void showText(QLineEdit *edit, const QString &text)
{
    edit->setMaxLength(std::max(CPPPageSetupHeaders::kMaxTextLength, int(text.size())));
    edit->setText(text);
    edit->setCursorPosition(0);
}

AnsiString storedText(const QLineEdit *edit, const QString &initial, const AnsiString &stored)
{
    return edit->text() == initial ? stored : QStringToAnsi(edit->text());
}

} // namespace

CPPPageSetupHeaders::CPPPageSetupHeaders(const PageSettings &settings, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CPPPageSetupHeaders>())
    , m_initialHeader(AnsiToQString(settings.pageHeader))
    , m_initialFooter(AnsiToQString(settings.pageFooter))
{
    m_ui->setupUi(this);
    showText(HeaderEdit(), m_initialHeader);
    showText(FooterEdit(), m_initialFooter);
    for (QAbstractButton *button : {HeaderPlaceholderButton(), FooterPlaceholderButton()})
        button->setFixedWidth(button->fontMetrics().height() * 2);
    connect(m_ui->headerPlaceholderButton, &QPushButton::clicked, this,
            [this] { choosePlaceholder(HeaderEdit(), HeaderPlaceholderButton()); });
    connect(m_ui->footerPlaceholderButton, &QPushButton::clicked, this,
            [this] { choosePlaceholder(FooterEdit(), FooterPlaceholderButton()); });
}

CPPPageSetupHeaders::~CPPPageSetupHeaders() = default;

void CPPPageSetupHeaders::Store(PageSettings &settings) const
{
    settings.pageHeader = storedText(HeaderEdit(), m_initialHeader, settings.pageHeader);
    settings.pageFooter = storedText(FooterEdit(), m_initialFooter, settings.pageFooter);
}

QString CPPPageSetupHeaders::PlaceholderOf(int command)
{
    switch (command) {
    case ID_PLACEHOLDER_PAGE:
        return QStringLiteral("&p");
    case ID_PLACEHOLDER_PATH:
        return QStringLiteral("&f");
    case ID_PLACEHOLDER_FILE_TIME:
        return QStringLiteral("&T");
    case ID_PLACEHOLDER_FILE_DATE:
        return QStringLiteral("&D");
    case ID_PLACEHOLDER_PRINT_TIME:
        return QStringLiteral("&t");
    case ID_PLACEHOLDER_PRINT_DATE:
        return QStringLiteral("&d");
    default:
        return {};
    }
}

QMenu *CPPPageSetupHeaders::buildPlaceholderMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("PlaceholderMenu"));
    const MenuEntry *context = MenuTable::program().menu(u"DataContext");
    const MenuEntry *popup = context ? context->popup(u"Placeholders") : nullptr;
    if (!popup)
        return menu;
    for (const int id : popup->commandIds()) {
        const Command *command = CommandTable::program().find(id);
        if (!command || PlaceholderOf(id).isEmpty())
            continue;
        QAction *action = menu->addAction(command->menuText);
        action->setData(id);
    }
    return menu;
}

void CPPPageSetupHeaders::choosePlaceholder(QLineEdit *edit, QAbstractButton *button)
{
    std::unique_ptr<QMenu> menu(buildPlaceholderMenu());
    const QAction *chosen = menu->exec(button->mapToGlobal(button->rect().topRight()));
    if (!chosen)
        return;
    const QString placeholder = PlaceholderOf(chosen->data().toInt());
    // Half a placeholder would print as text: one that does not fit whole
    // is not appended.
    if (edit->text().size() + placeholder.size() > edit->maxLength()) {
        QApplication::beep();
        return;
    }
    edit->setText(edit->text() + placeholder);
    edit->setFocus();
    edit->setCursorPosition(int(edit->text().size()));
}

QLineEdit *CPPPageSetupHeaders::HeaderEdit() const
{
    return m_ui->headerEdit;
}

QLineEdit *CPPPageSetupHeaders::FooterEdit() const
{
    return m_ui->footerEdit;
}

QAbstractButton *CPPPageSetupHeaders::HeaderPlaceholderButton() const
{
    return m_ui->headerPlaceholderButton;
}

QAbstractButton *CPPPageSetupHeaders::FooterPlaceholderButton() const
{
    return m_ui->footerPlaceholderButton;
}

} // namespace orvel
