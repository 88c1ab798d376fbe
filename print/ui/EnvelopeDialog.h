#pragma once

#include "print/ui/FormPrintJob.h"

#include <QDialog>

#include <array>
#include <memory>
#include <vector>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace Ui {
class EnvelopeDialog;
}

namespace orvel {

class COrvelDoc;

// "Umschlag drucken": the envelope size, the sender (kept in the settings)
// and the address lines of the current record.
class EnvelopeDialog : public QDialog
{
    Q_OBJECT
public:
    EnvelopeDialog(const COrvelDoc &doc, int currentRecord, QWidget *parent = nullptr);
    ~EnvelopeDialog() override;

    EnvelopeSize Size() const;
    QStringList Sender() const;
    // The address lines as written, with "[Feld]" for the fields.
    std::vector<AnsiString> AddressLines() const;
    // The address lines of the current record.
    QStringList Address() const;

    QComboBox *SizeBox() const;
    QPlainTextEdit *SenderEdit() const;
    QLineEdit *LineEdit(int line) const { return m_lines[std::size_t(line)]; }

    void accept() override;

private:
    void updateSample();

    std::unique_ptr<Ui::EnvelopeDialog> m_ui;
    const COrvelDoc &m_doc;
    int m_currentRecord;
    std::array<QLineEdit *, LabelContent::kMaxLines> m_lines{};
};

} // namespace orvel
