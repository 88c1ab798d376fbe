#include "media/ui/NewSizeDialog.h"

#include "ui_NewSizeDialog.h"

#include "platform/ui/CheckedInteger.h"

#include <QPushButton>
#include <QRegularExpressionValidator>

namespace orvel {

NewSizeDialog::NewSizeDialog(int width, int height, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::NewSizeDialog>())
    , m_width(width)
    , m_height(height)
{
    m_ui->setupUi(this);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &NewSizeDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Digits only, as in a number field; the range is checked on OK, so that
    // a wrong number is answered with a message rather than refused keys.
    const auto *digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit *edit : {m_ui->widthEdit, m_ui->heightEdit})
        edit->setValidator(digits);
    m_ui->widthEdit->setText(QString::number(width));
    m_ui->heightEdit->setText(QString::number(height));
    m_ui->widthEdit->setFocus();
    m_ui->widthEdit->selectAll();
}

NewSizeDialog::~NewSizeDialog() = default;

QLineEdit *NewSizeDialog::WidthEdit() const
{
    return m_ui->widthEdit;
}

QLineEdit *NewSizeDialog::HeightEdit() const
{
    return m_ui->heightEdit;
}

void NewSizeDialog::accept()
{
    const std::optional<int> width = CheckedInteger(m_ui->widthEdit, kMinSide, kMaxSide);
    if (!width)
        return;
    const std::optional<int> height = CheckedInteger(m_ui->heightEdit, kMinSide, kMaxSide);
    if (!height)
        return;
    m_width = *width;
    m_height = *height;
    QDialog::accept();
}

std::optional<QSize> RunNewSizeDialog(QWidget *parent, int width, int height)
{
    NewSizeDialog dialog(width, height, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return QSize(dialog.Width(), dialog.Height());
}

} // namespace orvel
