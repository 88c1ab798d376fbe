#include "app/ui/CPPOptionsCSV.h"

#include "ui_CPPOptionsCSV.h"

#include "app/ui/AppSettings.h"
#include "exchange/CsvOptions.h"
#include "platform/Services.h"
#include "platform/ui/CheckedInteger.h"
#include "resources/StringIds.h"

namespace orvel {

CPPOptionsCSV::CPPOptionsCSV(const AppSettings &settings, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CPPOptionsCSV>())
{
    m_ui->setupUi(this);
    QLineEdit *edit = m_ui->fieldDelimiterEdit;
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000"))
                        + 2 * edit->fontMetrics().averageCharWidth());
    edit->setText(QString::number(settings.csvFieldDelimiter));
    EncodingButton(settings.csvEncoding == 1 ? 1 : 0)->setChecked(true);
    m_ui->bomBox->setChecked(settings.csvBom != 0);
    // The mark belongs to UTF-8 files only.
    m_ui->bomBox->setEnabled(m_ui->utf8Button->isChecked());
    connect(m_ui->utf8Button, &QAbstractButton::toggled, m_ui->bomBox, &QWidget::setEnabled);
}

CPPOptionsCSV::~CPPOptionsCSV() = default;

bool CPPOptionsCSV::OnKillActive()
{
    const std::optional<int> code = CheckedInteger(m_ui->fieldDelimiterEdit, 0, 255);
    if (!code)
        return false;
    if (*code != 0 && CsvDelimiterFromSetting(*code) == 0) {
        // The quote and the line ends would split every file wrongly.
        MessageBoxById(ids::kMsgCsvDelimiterInvalid, MsgIcon::Exclamation);
        m_ui->fieldDelimiterEdit->setFocus();
        m_ui->fieldDelimiterEdit->selectAll();
        return false;
    }
    return true;
}

void CPPOptionsCSV::Store(AppSettings &settings) const
{
    bool ok = false;
    if (const int code = m_ui->fieldDelimiterEdit->text().trimmed().toInt(&ok); ok)
        settings.csvFieldDelimiter = CsvDelimiterFromSetting(code);
    settings.csvEncoding = m_ui->windowsButton->isChecked() ? 1 : 0;
    settings.csvBom = m_ui->bomBox->isChecked() ? 1 : 0;
}

QLineEdit *CPPOptionsCSV::FieldDelimiterEdit() const
{
    return m_ui->fieldDelimiterEdit;
}

QAbstractButton *CPPOptionsCSV::EncodingButton(int encoding) const
{
    return encoding == 1 ? static_cast<QAbstractButton *>(m_ui->windowsButton) : m_ui->utf8Button;
}

QAbstractButton *CPPOptionsCSV::BomBox() const
{
    return m_ui->bomBox;
}

} // namespace orvel
