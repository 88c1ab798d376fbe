#include "media/ui/SaneSourceDialog.h"

#include "ui_SaneSourceDialog.h"

#include <QPushButton>

namespace orvel {

SaneSourceDialog::SaneSourceDialog(const QStringList &sources, int current, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::SaneSourceDialog>())
{
    m_ui->setupUi(this);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->sourceList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    m_ui->sourceList->addItems(sources);
    m_ui->sourceList->setCurrentRow(current >= 0 && current < sources.size() ? current : 0);
    m_ui->sourceList->setFocus();
}

SaneSourceDialog::~SaneSourceDialog() = default;

int SaneSourceDialog::Choice() const
{
    return m_ui->sourceList->currentRow();
}

QListWidget *SaneSourceDialog::SourceList() const
{
    return m_ui->sourceList;
}

} // namespace orvel
