#pragma once

#include "platform/ui/CommandRouter.h"
#include "print/ui/FormPrintJob.h"

#include <QDialog>

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace orvel {

class COrvelDoc;

// "Formular drucken": which records (current, marked, all), one or several
// per page, scaled to fit or at 100 %; then the print dialog or the preview.
class FormPrintDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Action { Print, Preview };

    FormPrintDialog(const COrvelDoc &doc, int currentRecord, QWidget *parent = nullptr);

    FormPrintChoice Choice() const;
    Action ChosenAction() const { return m_action; }

    QRadioButton *CurrentButton() const { return m_current; }
    QRadioButton *MarkedButton() const { return m_marked; }
    QRadioButton *AllButton() const { return m_all; }
    QCheckBox *SeveralBox() const { return m_several; }
    QCheckBox *ActualSizeBox() const { return m_actualSize; }
    QPushButton *PrintButton() const { return m_print; }
    QPushButton *PreviewButton() const { return m_preview; }

private:
    int m_currentRecord;
    Action m_action = Action::Print;
    QRadioButton *m_current;
    QRadioButton *m_marked;
    QRadioButton *m_all;
    QCheckBox *m_several;
    QCheckBox *m_actualSize;
    QPushButton *m_print;
    QPushButton *m_preview;
};

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

    LabelPrintChoice Choice() const;
    // Selects a sheet of the list by index; the last entry is the user's
    // own size.
    void SelectSheet(int index);

    QComboBox *SheetBox() const { return m_sheet; }
    QSpinBox *StartBox() const { return m_start; }
    QLineEdit *LineEdit(int line) const { return m_lines[std::size_t(line)]; }
    QRadioButton *FormButton() const { return m_useForm; }
    QRadioButton *MarkedButton() const { return m_marked; }
    QSpinBox *ColumnsBox() const { return m_columns; }
    QSpinBox *RowsBox() const { return m_rows; }
    QDoubleSpinBox *WidthBox() const { return m_width; }
    QDoubleSpinBox *HeightBox() const { return m_height; }

    void accept() override;

private:
    void sheetChosen(int index);
    void sizeEdited();
    void insertField();
    void chooseFont();
    void updateFontText();
    void save() const;

    const COrvelDoc &m_doc;
    std::vector<LabelSheet> m_sheets;
    bool m_filling = false;
    LOGFONT m_font;
    QComboBox *m_sheet;
    QSpinBox *m_columns;
    QSpinBox *m_rows;
    QDoubleSpinBox *m_width;
    QDoubleSpinBox *m_height;
    QDoubleSpinBox *m_top;
    QDoubleSpinBox *m_left;
    QDoubleSpinBox *m_gapX;
    QDoubleSpinBox *m_gapY;
    QSpinBox *m_start;
    QLabel *m_perSheet;
    QRadioButton *m_useLines;
    QRadioButton *m_useForm;
    std::array<QLineEdit *, LabelContent::kMaxLines> m_lines{};
    QLineEdit *m_lastLine = nullptr;
    QComboBox *m_field;
    QLabel *m_fontText;
    QRadioButton *m_marked;
    QRadioButton *m_all;
};

// "Umschlag drucken": the envelope size, the sender (kept in the settings)
// and the address lines of the current record.
class EnvelopeDialog : public QDialog
{
    Q_OBJECT
public:
    EnvelopeDialog(const COrvelDoc &doc, int currentRecord, QWidget *parent = nullptr);

    EnvelopeSize Size() const;
    QStringList Sender() const;
    // The address lines as written, with "[Feld]" for the fields.
    std::vector<AnsiString> AddressLines() const;
    // The address lines of the current record.
    QStringList Address() const;

    QComboBox *SizeBox() const { return m_size; }
    QPlainTextEdit *SenderEdit() const { return m_sender; }
    QLineEdit *LineEdit(int line) const { return m_lines[std::size_t(line)]; }

    void accept() override;

private:
    void updateSample();

    const COrvelDoc &m_doc;
    int m_currentRecord;
    QComboBox *m_size;
    QPlainTextEdit *m_sender;
    std::array<QLineEdit *, LabelContent::kMaxLines> m_lines{};
    QLabel *m_sample;
};

// The three print commands of the "Datei" menu for a view of the document:
// `currentRecord` tells the view's current record, `commitEdit` stores an
// open edit first.
void RegisterFormPrintCommands(CommandMap &map, QWidget *parent, COrvelDoc &doc, std::function<int()> currentRecord,
                               std::function<void()> commitEdit);

// The commands themselves.
void RunFormPrint(QWidget *parent, const COrvelDoc &doc, int currentRecord);
void RunLabelPrint(QWidget *parent, const COrvelDoc &doc);
void RunEnvelopePrint(QWidget *parent, const COrvelDoc &doc, int currentRecord);

} // namespace orvel
