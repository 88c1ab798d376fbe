#include "print/ui/LabelPrintDialog.h"

#include "ui_LabelPrintDialog.h"

#include "document/OrvelDoc.h"
#include "platform/Codepage.h"
#include "platform/LogFont.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <QSignalBlocker>

namespace orvel {

namespace {

const QString kLabelSection = QStringLiteral("Labels");
const QString kLabelFontSection = QStringLiteral("LabelFont");

} // namespace

QString LabelLineKey(int line)
{
    return QStringLiteral("Line%1").arg(line + 1);
}

std::vector<AnsiString> KeptLabelLines(const QString &section, const CDataTable &table)
{
    std::vector<AnsiString> lines;
    bool any = false;
    for (int line = 0; line < LabelContent::kMaxLines; ++line) {
        any = any || Registry::HasEntry(section, LabelLineKey(line));
        lines.push_back(QStringToAnsi(Registry::GetProfileString(section, LabelLineKey(line))));
    }
    if (any)
        return lines;
    lines.clear();
    for (int field = 0; field < table.GetFieldCount() && lines.size() < 3; ++field) {
        if (table.GetFieldType(field) <= FT_DATE)
            lines.push_back("[" + table.GetFieldName(field) + "]");
    }
    return lines;
}

LabelPrintDialog::LabelPrintDialog(const COrvelDoc &doc, std::vector<LabelSheet> sheets, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::LabelPrintDialog>())
    , m_doc(doc)
    , m_sheets(std::move(sheets))
    , m_font(ReadFont(kLabelFontSection))
    , m_lines{}
{
    m_ui->setupUi(this);
    const CDataTable &table = doc.GetTable();

    // The sheets of the list, then the user's own size (its name is the
    // text the form gives the last entry).
    const QString own = m_ui->sheetBox->itemText(0);
    m_ui->sheetBox->clear();
    for (const LabelSheet &sheet : m_sheets)
        m_ui->sheetBox->addItem(sheet.name);
    m_ui->sheetBox->addItem(own);

    m_lines = {m_ui->LabelLine1, m_ui->LabelLine2, m_ui->LabelLine3,
               m_ui->LabelLine4, m_ui->LabelLine5, m_ui->LabelLine6};
    const std::vector<AnsiString> lines = KeptLabelLines(kLabelSection, table);
    for (std::size_t line = 0; line < m_lines.size(); ++line) {
        QLineEdit *edit = m_lines[line];
        if (line < lines.size())
            edit->setText(AnsiToQString(lines[line]));
        connect(edit, &QLineEdit::cursorPositionChanged, this, [this, edit] { m_lastLine = edit; });
    }
    m_lastLine = m_lines[0];
    for (int field = 0; field < table.GetFieldCount(); ++field)
        m_ui->fieldBox->addItem(AnsiToQString(table.GetFieldName(field)));
    (Registry::GetProfileInt(kLabelSection, QStringLiteral("UseForm"), 0) != 0 ? m_ui->useFormButton
                                                                               : m_ui->useLinesButton)
            ->setChecked(true);

    m_ui->markedButton->setEnabled(table.GetMarkedCount() > 0);
    (m_ui->markedButton->isEnabled() ? m_ui->markedButton : m_ui->allButton)->setChecked(true);

    connect(m_ui->previewButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->insertButton, &QPushButton::clicked, this, &LabelPrintDialog::insertField);
    connect(m_ui->fontButton, &QPushButton::clicked, this, &LabelPrintDialog::chooseFont);
    connect(m_ui->sheetBox, &QComboBox::currentIndexChanged, this, &LabelPrintDialog::sheetChosen);
    for (QSpinBox *box : {m_ui->columnsBox, m_ui->rowsBox})
        connect(box, &QSpinBox::valueChanged, this, &LabelPrintDialog::sizeEdited);
    for (QDoubleSpinBox *box :
         {m_ui->widthBox, m_ui->heightBox, m_ui->topBox, m_ui->leftBox, m_ui->gapXBox, m_ui->gapYBox})
        connect(box, &QDoubleSpinBox::valueChanged, this, &LabelPrintDialog::sizeEdited);

    // The sheet chosen last time, or the first of the list.
    const QString kept = Registry::GetProfileString(kLabelSection, QStringLiteral("Sheet"));
    int chosen = 0;
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i].name == kept)
            chosen = int(i);
    }
    if (kept == own || m_sheets.empty()) {
        chosen = m_ui->sheetBox->count() - 1;
        m_filling = true;
        m_ui->columnsBox->setValue(Registry::GetProfileInt(kLabelSection, QStringLiteral("Columns"), 3));
        m_ui->rowsBox->setValue(Registry::GetProfileInt(kLabelSection, QStringLiteral("Rows"), 8));
        const std::pair<QDoubleSpinBox *, const char *> sizes[] = {
                {m_ui->widthBox, "Width"}, {m_ui->heightBox, "Height"}, {m_ui->topBox, "Top"},
                {m_ui->leftBox, "Left"},   {m_ui->gapXBox, "GapX"},     {m_ui->gapYBox, "GapY"}};
        for (const auto &[box, key] : sizes)
            box->setValue(Registry::GetProfileInt(kLabelSection, QString::fromLatin1(key), 0) / 10.0);
        m_filling = false;
    }
    SelectSheet(chosen);
    m_ui->startBox->setValue(1);
    updateFontText();
}

LabelPrintDialog::~LabelPrintDialog() = default;

QComboBox *LabelPrintDialog::SheetBox() const
{
    return m_ui->sheetBox;
}

QSpinBox *LabelPrintDialog::StartBox() const
{
    return m_ui->startBox;
}

QRadioButton *LabelPrintDialog::FormButton() const
{
    return m_ui->useFormButton;
}

QRadioButton *LabelPrintDialog::MarkedButton() const
{
    return m_ui->markedButton;
}

QSpinBox *LabelPrintDialog::ColumnsBox() const
{
    return m_ui->columnsBox;
}

QSpinBox *LabelPrintDialog::RowsBox() const
{
    return m_ui->rowsBox;
}

QDoubleSpinBox *LabelPrintDialog::WidthBox() const
{
    return m_ui->widthBox;
}

QDoubleSpinBox *LabelPrintDialog::HeightBox() const
{
    return m_ui->heightBox;
}

void LabelPrintDialog::SelectSheet(int index)
{
    m_ui->sheetBox->setCurrentIndex(index);
    sheetChosen(index);
}

void LabelPrintDialog::sheetChosen(int index)
{
    if (index < 0 || std::size_t(index) >= m_sheets.size()) {
        sizeEdited();
        return;
    }
    const LabelSheet &sheet = m_sheets[std::size_t(index)];
    m_filling = true;
    m_ui->columnsBox->setValue(sheet.columns);
    m_ui->rowsBox->setValue(sheet.rows);
    m_ui->widthBox->setValue(sheet.labelWidth);
    m_ui->heightBox->setValue(sheet.labelHeight);
    m_ui->topBox->setValue(sheet.marginTop);
    m_ui->leftBox->setValue(sheet.marginLeft);
    m_ui->gapXBox->setValue(sheet.gapX);
    m_ui->gapYBox->setValue(sheet.gapY);
    m_filling = false;
    sizeEdited();
}

void LabelPrintDialog::sizeEdited()
{
    if (m_filling)
        return;
    // A size changed by hand is the user's own format.
    const int own = m_ui->sheetBox->count() - 1;
    const int index = m_ui->sheetBox->currentIndex();
    if (index >= 0 && std::size_t(index) < m_sheets.size()) {
        const LabelSheet &sheet = m_sheets[std::size_t(index)];
        const LabelSheet now = Choice().sheet;
        if (now.columns != sheet.columns || now.rows != sheet.rows || now.labelWidth != sheet.labelWidth
            || now.labelHeight != sheet.labelHeight || now.marginTop != sheet.marginTop
            || now.marginLeft != sheet.marginLeft || now.gapX != sheet.gapX || now.gapY != sheet.gapY) {
            const QSignalBlocker block(m_ui->sheetBox);
            m_ui->sheetBox->setCurrentIndex(own);
        }
    }
    const int perSheet = m_ui->columnsBox->value() * m_ui->rowsBox->value();
    m_ui->perSheetLabel->setText(QStringLiteral("von %1 Etiketten des Bogens").arg(perSheet));
}

void LabelPrintDialog::insertField()
{
    if (m_ui->fieldBox->currentIndex() < 0 || m_lastLine == nullptr)
        return;
    m_lastLine->insert(QStringLiteral("[") + m_ui->fieldBox->currentText() + QStringLiteral("]"));
    m_lastLine->setFocus();
    m_ui->useLinesButton->setChecked(true);
}

void LabelPrintDialog::chooseFont()
{
    if (const std::optional<ChosenFont> chosen = services().chooseFont(m_font, 0)) {
        m_font = chosen->font;
        updateFontText();
    }
}

void LabelPrintDialog::updateFontText()
{
    const AnsiString face = m_font.faceName();
    const int height = m_font.lfHeight < 0 ? -m_font.lfHeight : m_font.lfHeight;
    m_ui->fontLabel->setText(face.empty() ? QStringLiteral("Schrift: Standardschrift")
                                          : QStringLiteral("Schrift: %1, %2 Punkte")
                                                    .arg(AnsiToQString(face))
                                                    .arg(height == 0 ? 8 : (height * 72 + 48) / 96));
}

LabelPrintChoice LabelPrintDialog::Choice() const
{
    LabelPrintChoice choice;
    const int index = m_ui->sheetBox->currentIndex();
    if (index >= 0 && std::size_t(index) < m_sheets.size())
        choice.sheet.name = m_sheets[std::size_t(index)].name;
    else
        choice.sheet.name = m_ui->sheetBox->itemText(m_ui->sheetBox->count() - 1);
    choice.sheet.columns = m_ui->columnsBox->value();
    choice.sheet.rows = m_ui->rowsBox->value();
    choice.sheet.labelWidth = m_ui->widthBox->value();
    choice.sheet.labelHeight = m_ui->heightBox->value();
    choice.sheet.marginTop = m_ui->topBox->value();
    choice.sheet.marginLeft = m_ui->leftBox->value();
    choice.sheet.gapX = m_ui->gapXBox->value();
    choice.sheet.gapY = m_ui->gapYBox->value();
    choice.start = m_ui->startBox->value();
    for (QLineEdit *edit : m_lines)
        choice.content.lines.push_back(QStringToAnsi(edit->text()));
    // Empty lines at the end are no lines.
    while (!choice.content.lines.empty() && choice.content.lines.back().empty())
        choice.content.lines.pop_back();
    choice.content.font = m_font;
    choice.content.useForm = m_ui->useFormButton->isChecked();
    choice.range = m_ui->markedButton->isChecked() ? RecordRange::Marked : RecordRange::All;
    return choice;
}

void LabelPrintDialog::accept()
{
    if (!CheckLabelPrint(m_doc, Choice()))
        return;
    save();
    QDialog::accept();
}

void LabelPrintDialog::save() const
{
    const LabelPrintChoice choice = Choice();
    Registry::WriteProfileString(kLabelSection, QStringLiteral("Sheet"), choice.sheet.name);
    Registry::WriteProfileInt(kLabelSection, QStringLiteral("Columns"), choice.sheet.columns);
    Registry::WriteProfileInt(kLabelSection, QStringLiteral("Rows"), choice.sheet.rows);
    const std::pair<double, const char *> sizes[] = {
            {choice.sheet.labelWidth, "Width"}, {choice.sheet.labelHeight, "Height"}, {choice.sheet.marginTop, "Top"},
            {choice.sheet.marginLeft, "Left"},  {choice.sheet.gapX, "GapX"},          {choice.sheet.gapY, "GapY"}};
    for (const auto &[value, key] : sizes)
        Registry::WriteProfileInt(kLabelSection, QString::fromLatin1(key), int(value * 10 + 0.5));
    for (int line = 0; line < LabelContent::kMaxLines; ++line)
        Registry::WriteProfileString(kLabelSection, LabelLineKey(line), m_lines[std::size_t(line)]->text());
    Registry::WriteProfileInt(kLabelSection, QStringLiteral("UseForm"), choice.content.useForm ? 1 : 0);
    WriteFont(kLabelFontSection, m_font);
}

} // namespace orvel
