#include "app/ui/ToolbarsDialog.h"

#include "ui_ToolbarsDialog.h"

#include <QPushButton>

namespace orvel {

ToolbarsDialog::ToolbarsDialog(const Choices &choices, bool designing, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::ToolbarsDialog>())
    , m_initial(choices)
{
    m_ui->setupUi(this);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_ui->standardBox->setChecked(choices.standard);
    m_ui->navigationBox->setChecked(choices.navigation);
    m_ui->designBox->setChecked(choices.formDesign);
    m_ui->colorBox->setChecked(choices.colors);
    m_ui->statusBox->setChecked(choices.statusBar);
    m_ui->largeButtonsBox->setChecked(choices.largeButtons);
    m_ui->toolTipsBox->setChecked(choices.toolTips);
    m_ui->designBox->setEnabled(designing);
    m_ui->colorBox->setEnabled(designing);
    m_ui->standardBox->setFocus();
    setFixedSize(sizeHint());
}

ToolbarsDialog::~ToolbarsDialog() = default;

ToolbarsDialog::Choices ToolbarsDialog::GetChoices() const
{
    Choices choices;
    choices.standard = m_ui->standardBox->isChecked();
    choices.navigation = m_ui->navigationBox->isChecked();
    // A disabled box cannot have been changed; its bar keeps its state.
    choices.formDesign = m_ui->designBox->isEnabled() ? m_ui->designBox->isChecked() : m_initial.formDesign;
    choices.colors = m_ui->colorBox->isEnabled() ? m_ui->colorBox->isChecked() : m_initial.colors;
    choices.statusBar = m_ui->statusBox->isChecked();
    choices.largeButtons = m_ui->largeButtonsBox->isChecked();
    choices.toolTips = m_ui->toolTipsBox->isChecked();
    return choices;
}

QCheckBox *ToolbarsDialog::StandardBox() const
{
    return m_ui->standardBox;
}

QCheckBox *ToolbarsDialog::NavigationBox() const
{
    return m_ui->navigationBox;
}

QCheckBox *ToolbarsDialog::FormDesignBox() const
{
    return m_ui->designBox;
}

QCheckBox *ToolbarsDialog::ColorsBox() const
{
    return m_ui->colorBox;
}

QCheckBox *ToolbarsDialog::StatusBarBox() const
{
    return m_ui->statusBox;
}

QCheckBox *ToolbarsDialog::LargeButtonsBox() const
{
    return m_ui->largeButtonsBox;
}

QCheckBox *ToolbarsDialog::ToolTipsBox() const
{
    return m_ui->toolTipsBox;
}

std::optional<ToolbarsDialog::Choices> RunToolbarsDialog(QWidget *parent, const ToolbarsDialog::Choices &choices,
                                                         bool designing)
{
    ToolbarsDialog dialog(choices, designing, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.GetChoices();
}

} // namespace orvel
