#include "media/ui/DialDialog.h"

#include "ui_DialDialog.h"

#include "media/Dialling.h"

#include <QPushButton>

namespace orvel {

DialDialog::DialDialog(const QString &number, const QString &name, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::DialDialog>())
{
    m_ui->setupUi(this);
    OkButton()->setText(QStringLiteral("OK"));
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_ui->numberEdit->setMaxLength(kMaxDialNumberLength);
    m_ui->numberEdit->setText(number);
    m_ui->nameEdit->setText(name);
    connect(m_ui->numberEdit, &QLineEdit::textChanged, this, &DialDialog::updateOk);
    updateOk();
    m_ui->numberEdit->setFocus();
    m_ui->numberEdit->selectAll();
    // Room for a long number and the hint in three lines.
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 56);
}

DialDialog::~DialDialog() = default;

QString DialDialog::Number() const
{
    return m_ui->numberEdit->text().left(kMaxDialNumberLength);
}

QString DialDialog::Name() const
{
    return m_ui->nameEdit->text();
}

QLineEdit *DialDialog::NumberEdit() const
{
    return m_ui->numberEdit;
}

QLineEdit *DialDialog::NameEdit() const
{
    return m_ui->nameEdit;
}

QPushButton *DialDialog::OkButton() const
{
    return m_ui->buttonBox->button(QDialogButtonBox::Ok);
}

void DialDialog::updateOk()
{
    OkButton()->setEnabled(HasDialDigits(m_ui->numberEdit->text()));
}

} // namespace orvel
