#include "listview/GoToDialog.h"

#include "ui_GoToDialog.h"

#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/TableLimits.h"

#include <QLineEdit>

#include <algorithm>
#include <charconv>
#include <limits>

namespace orvel {

namespace {

// The typed number, or -1 when the text is no number (empty, letters, too
// large for an int).
int parseRecordNumber(const QString &text)
{
    const QByteArray digits = text.trimmed().toLatin1();
    int number = -1;
    const char *end = digits.constData() + digits.size();
    const auto [stop, error] = std::from_chars(digits.constData(), end, number);
    if (digits.isEmpty() || error != std::errc() || stop != end)
        return -1;
    return number;
}

} // namespace

RecordNumberSpinBox::RecordNumberSpinBox(QWidget *parent)
    : QSpinBox(parent)
{
    setRange(0, std::numeric_limits<int>::max());
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
}

void RecordNumberSpinBox::stepBy(int steps)
{
    const int from = parseRecordNumber(cleanText());
    const int base = from < 1 ? 1 : (from > m_count ? m_count : from);
    const qint64 wanted = qint64(base) + steps;
    const qint64 last = m_count < 1 ? 1 : m_count;
    setValue(int(std::clamp<qint64>(wanted, 1, last)));
    selectAll();
}

QAbstractSpinBox::StepEnabled RecordNumberSpinBox::stepEnabled() const
{
    const int number = parseRecordNumber(cleanText());
    StepEnabled enabled = StepNone;
    if (number < 0 || number > 1)
        enabled |= StepDownEnabled;
    if (number < m_count)
        enabled |= StepUpEnabled;
    return enabled;
}

GoToDialog::GoToDialog(int currentRecord, int recordCount, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::GoToDialog>())
    , m_recordCount(recordCount)
{
    m_ui->setupUi(this);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &GoToDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_ui->numberSpin->setRecordCount(recordCount);
    m_ui->numberSpin->setValue(currentRecord + 1);
    m_ui->numberSpin->selectAll();
    m_ui->numberSpin->setFocus();
}

GoToDialog::~GoToDialog() = default;

RecordNumberSpinBox *GoToDialog::NumberBox() const
{
    return m_ui->numberSpin;
}

void GoToDialog::accept()
{
    const int number = parseRecordNumber(m_ui->numberSpin->cleanText());
    if (number < 1 || number > m_recordCount) {
        MessageBoxById(ids::kMsgRecordNumberOutOfRange, MsgIcon::Stop);
        m_ui->numberSpin->setFocus();
        m_ui->numberSpin->selectAll();
        return;
    }
    m_record = number - 1;
    QDialog::accept();
}

std::optional<int> RunGoToDialog(QWidget *parent, int currentRecord, int recordCount)
{
    GoToDialog dialog(currentRecord, recordCount, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Record();
}

} // namespace orvel
