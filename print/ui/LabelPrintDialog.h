#pragma once

#include "print/ui/FormPrintJob.h"

#include <QDialog>

#include <array>
#include <memory>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace Ui {
class LabelPrintDialog;
}

namespace orvel {

class CDataTable;
class COrvelDoc;

// The settings key of an address or label line (0-based).
QString LabelLineKey(int line);
// The lines kept in a settings section, or, when none are, the first fields
// of the table's data types, each on a line of its own: what labels and
// envelopes show until the user says otherwise.
std::vector<AnsiString> KeptLabelLines(const QString &section, const CDataTable &table);

// "Etiketten drucken": the label sheet (from the table of common sheets or
// of the user's own size), the start position on a partly used sheet, what
// each label shows (up to six lines of fields and text in a font, or the
// form) and which records; the preview comes first. The last choices are
// kept in the settings.
class LabelPrintDialog : public QDialog
{
    Q_OBJECT
public:
    LabelPrintDialog(const COrvelDoc &doc, std::vector<LabelSheet> sheets, QWidget *parent = nullptr);
    ~LabelPrintDialog() override;

    LabelPrintChoice Choice() const;
    // Selects a sheet of the list by index; the last entry is the user's
    // own size.
    void SelectSheet(int index);

    QComboBox *SheetBox() const;
    QSpinBox *StartBox() const;
    QLineEdit *LineEdit(int line) const { return m_lines[std::size_t(line)]; }
    QRadioButton *FormButton() const;
    QRadioButton *MarkedButton() const;
    QSpinBox *ColumnsBox() const;
    QSpinBox *RowsBox() const;
    QDoubleSpinBox *WidthBox() const;
    QDoubleSpinBox *HeightBox() const;

    void accept() override;

private:
    void sheetChosen(int index);
    void sizeEdited();
    void insertField();
    void chooseFont();
    void updateFontText();
    void save() const;

    std::unique_ptr<Ui::LabelPrintDialog> m_ui;
    const COrvelDoc &m_doc;
    std::vector<LabelSheet> m_sheets;
    bool m_filling = false;
    LOGFONT m_font;
    std::array<QLineEdit *, LabelContent::kMaxLines> m_lines{};
    QLineEdit *m_lastLine = nullptr;
};

} // namespace orvel
