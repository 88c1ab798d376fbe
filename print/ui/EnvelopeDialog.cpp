#include "print/ui/EnvelopeDialog.h"

#include "ui_EnvelopeDialog.h"

#include "document/OrvelDoc.h"
#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "print/ui/LabelPrintDialog.h"

#include <algorithm>

namespace orvel {

namespace {

const QString kEnvelopeSection = QStringLiteral("Envelope");

} // namespace

EnvelopeDialog::EnvelopeDialog(const COrvelDoc &doc, int currentRecord, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::EnvelopeDialog>())
    , m_doc(doc)
    , m_currentRecord(currentRecord)
{
    m_ui->setupUi(this);
    for (const EnvelopeFormat &format : EnvelopeFormats())
        m_ui->sizeBox->addItem(format.name, int(format.size));
    m_ui->sizeBox->setCurrentIndex(std::clamp(Registry::GetProfileInt(kEnvelopeSection, QStringLiteral("Size"), 0), 0,
                                              m_ui->sizeBox->count() - 1));
    m_ui->senderEdit->setPlainText(Registry::GetProfileString(kEnvelopeSection, QStringLiteral("Sender")));
    // Five lines of the sender in sight.
    m_ui->senderEdit->setFixedHeight(m_ui->senderEdit->fontMetrics().height() * 5);

    m_lines = {m_ui->AddressLine1, m_ui->AddressLine2, m_ui->AddressLine3,
               m_ui->AddressLine4, m_ui->AddressLine5, m_ui->AddressLine6};
    const std::vector<AnsiString> kept = KeptLabelLines(kEnvelopeSection, doc.GetTable());
    for (std::size_t line = 0; line < m_lines.size(); ++line) {
        if (line < kept.size())
            m_lines[line]->setText(AnsiToQString(kept[line]));
        connect(m_lines[line], &QLineEdit::textChanged, this, &EnvelopeDialog::updateSample);
    }

    connect(m_ui->printButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    updateSample();
}

EnvelopeDialog::~EnvelopeDialog() = default;

QComboBox *EnvelopeDialog::SizeBox() const
{
    return m_ui->sizeBox;
}

QPlainTextEdit *EnvelopeDialog::SenderEdit() const
{
    return m_ui->senderEdit;
}

EnvelopeSize EnvelopeDialog::Size() const
{
    return EnvelopeSize(m_ui->sizeBox->currentData().toInt());
}

QStringList EnvelopeDialog::Sender() const
{
    return m_ui->senderEdit->toPlainText().split(u'\n');
}

std::vector<AnsiString> EnvelopeDialog::AddressLines() const
{
    std::vector<AnsiString> lines;
    for (QLineEdit *edit : m_lines)
        lines.push_back(QStringToAnsi(edit->text()));
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

QStringList EnvelopeDialog::Address() const
{
    QStringList address;
    for (QString &line : ExpandLabelLines(m_doc.GetTable(), m_currentRecord, AddressLines()))
        address.append(std::move(line));
    return address;
}

void EnvelopeDialog::updateSample()
{
    m_ui->sampleLabel->setText(Address().join(u'\n'));
}

void EnvelopeDialog::accept()
{
    Registry::WriteProfileInt(kEnvelopeSection, QStringLiteral("Size"), m_ui->sizeBox->currentIndex());
    Registry::WriteProfileString(kEnvelopeSection, QStringLiteral("Sender"), m_ui->senderEdit->toPlainText());
    for (int line = 0; line < LabelContent::kMaxLines; ++line)
        Registry::WriteProfileString(kEnvelopeSection, LabelLineKey(line), m_lines[std::size_t(line)]->text());
    QDialog::accept();
}

} // namespace orvel
