#include "print/ui/FormPrintDialog.h"

#include "ui_FormPrintDialog.h"

#include "document/OrvelDoc.h"
#include "table/DataTable.h"

namespace orvel {

FormPrintDialog::FormPrintDialog(const COrvelDoc &doc, int currentRecord, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::FormPrintDialog>())
    , m_currentRecord(currentRecord)
{
    m_ui->setupUi(this);
    const CDataTable &table = doc.GetTable();
    m_ui->currentButton->setEnabled(currentRecord >= 0 && currentRecord < table.GetRecordCount());
    m_ui->markedButton->setEnabled(table.GetMarkedCount() > 0);
    (m_ui->currentButton->isEnabled() ? m_ui->currentButton : m_ui->allButton)->setChecked(true);

    connect(m_ui->printButton, &QPushButton::clicked, this, [this] {
        m_action = Action::Print;
        accept();
    });
    connect(m_ui->previewButton, &QPushButton::clicked, this, [this] {
        m_action = Action::Preview;
        accept();
    });
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

FormPrintDialog::~FormPrintDialog() = default;

FormPrintChoice FormPrintDialog::Choice() const
{
    FormPrintChoice choice;
    choice.range = m_ui->currentButton->isChecked()  ? RecordRange::Current
                   : m_ui->markedButton->isChecked() ? RecordRange::Marked
                                                     : RecordRange::All;
    choice.currentRecord = m_currentRecord;
    choice.layout.severalPerPage = m_ui->severalBox->isChecked();
    choice.layout.actualSize = m_ui->actualSizeBox->isChecked();
    return choice;
}

QRadioButton *FormPrintDialog::CurrentButton() const
{
    return m_ui->currentButton;
}

QRadioButton *FormPrintDialog::MarkedButton() const
{
    return m_ui->markedButton;
}

QRadioButton *FormPrintDialog::AllButton() const
{
    return m_ui->allButton;
}

QCheckBox *FormPrintDialog::SeveralBox() const
{
    return m_ui->severalBox;
}

QCheckBox *FormPrintDialog::ActualSizeBox() const
{
    return m_ui->actualSizeBox;
}

QPushButton *FormPrintDialog::PrintButton() const
{
    return m_ui->printButton;
}

QPushButton *FormPrintDialog::PreviewButton() const
{
    return m_ui->previewButton;
}

} // namespace orvel
