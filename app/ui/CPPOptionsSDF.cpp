#include "app/ui/CPPOptionsSDF.h"

#include "ui_CPPOptionsSDF.h"

#include "app/ui/AppSettings.h"
#include "platform/ui/CheckedInteger.h"
#include "resources/CommandIds.h"
#include "resources/CommandTable.h"
#include "resources/MenuTable.h"

#include <QMenu>

namespace orvel {

CPPOptionsSDF::CPPOptionsSDF(const AppSettings &settings, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CPPOptionsSDF>())
{
    m_ui->setupUi(this);
    const int digits = m_ui->fieldDelimiterEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    for (QLineEdit *edit : {m_ui->fieldDelimiterEdit, m_ui->dataDelimiterEdit})
        edit->setFixedWidth(digits + 2 * edit->fontMetrics().averageCharWidth());
    m_ui->fieldDelimiterEdit->setText(QString::number(settings.sdfFieldDelimiter));
    m_ui->dataDelimiterEdit->setText(QString::number(settings.sdfDataDelimiter));
    if (QAbstractButton *button = CharSetButton(settings.sdfCharSet))
        button->setChecked(true);
    connect(m_ui->fieldDelimiterButton, &QAbstractButton::clicked, this,
            [this] { chooseDelimiter(m_ui->fieldDelimiterEdit, m_ui->fieldDelimiterButton); });
    connect(m_ui->dataDelimiterButton, &QAbstractButton::clicked, this,
            [this] { chooseDelimiter(m_ui->dataDelimiterEdit, m_ui->dataDelimiterButton); });
}

CPPOptionsSDF::~CPPOptionsSDF() = default;

bool CPPOptionsSDF::OnKillActive()
{
    return CheckedInteger(m_ui->fieldDelimiterEdit, kMinDelimiter, kMaxDelimiter).has_value()
           && CheckedInteger(m_ui->dataDelimiterEdit, kMinDelimiter, kMaxDelimiter).has_value();
}

void CPPOptionsSDF::Store(AppSettings &settings) const
{
    bool ok = false;
    if (const int code = m_ui->fieldDelimiterEdit->text().trimmed().toInt(&ok); ok)
        settings.sdfFieldDelimiter = code;
    if (const int code = m_ui->dataDelimiterEdit->text().trimmed().toInt(&ok); ok)
        settings.sdfDataDelimiter = code;
    for (int charSet = 0; charSet < 2; ++charSet) {
        if (CharSetButton(charSet)->isChecked())
            settings.sdfCharSet = charSet;
    }
}

std::optional<int> CPPOptionsSDF::DelimiterOf(int command)
{
    switch (command) {
    case ID_DELIMITER_TAB:
        return 9;
    case ID_DELIMITER_DOUBLE_QUOTE:
        return 34;
    case ID_DELIMITER_SINGLE_QUOTE:
        return 39;
    case ID_DELIMITER_COMMA:
        return 44;
    case ID_DELIMITER_SEMICOLON:
        return 59;
    default:
        return std::nullopt;
    }
}

QMenu *CPPOptionsSDF::buildDelimiterMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("DelimiterMenu"));
    const MenuEntry *context = MenuTable::program().menu(u"DataContext");
    const MenuEntry *popup = context ? context->popup(u"Delimiters") : nullptr;
    if (!popup)
        return menu;
    for (const int id : popup->commandIds()) {
        const Command *command = CommandTable::program().find(id);
        const std::optional<int> code = DelimiterOf(id);
        if (!command || !code)
            continue;
        // The character itself (a blank for the tabulator), then its name
        // and code in the right-hand column.
        const QChar shown = *code == 9 ? QLatin1Char(' ') : QChar(*code);
        QString described = command->menuText;
        described.replace(QLatin1Char('\t'), QLatin1Char(' '));
        QAction *action = menu->addAction(QString(shown) + QLatin1Char('\t') + described);
        action->setData(id);
    }
    return menu;
}

void CPPOptionsSDF::chooseDelimiter(QLineEdit *edit, QAbstractButton *button)
{
    std::unique_ptr<QMenu> menu(buildDelimiterMenu());
    const QAction *chosen = menu->exec(button->mapToGlobal(button->rect().topRight()));
    if (!chosen)
        return;
    if (const std::optional<int> code = DelimiterOf(chosen->data().toInt())) {
        edit->setText(QString::number(*code));
        edit->setFocus();
        edit->selectAll();
    }
}

QLineEdit *CPPOptionsSDF::FieldDelimiterEdit() const
{
    return m_ui->fieldDelimiterEdit;
}

QLineEdit *CPPOptionsSDF::DataDelimiterEdit() const
{
    return m_ui->dataDelimiterEdit;
}

QAbstractButton *CPPOptionsSDF::FieldDelimiterButton() const
{
    return m_ui->fieldDelimiterButton;
}

QAbstractButton *CPPOptionsSDF::DataDelimiterButton() const
{
    return m_ui->dataDelimiterButton;
}

QAbstractButton *CPPOptionsSDF::CharSetButton(int charSet) const
{
    if (charSet == 0)
        return m_ui->dosButton;
    if (charSet == 1)
        return m_ui->ansiButton;
    return nullptr;
}

} // namespace orvel
