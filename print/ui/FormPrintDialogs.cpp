#include "print/ui/FormPrintDialogs.h"

#include "document/OrvelDoc.h"
#include "platform/Codepage.h"
#include "platform/DataFiles.h"
#include "platform/LogFont.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "print/ui/SessionPrinter.h"
#include "print/ui/TablePrintJob.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace orvel {

namespace {

const QString kLabelSection = QStringLiteral("Labels");
const QString kLabelFontSection = QStringLiteral("LabelFont");
const QString kEnvelopeSection = QStringLiteral("Envelope");

QString lineKey(int line)
{
    return QStringLiteral("Line%1").arg(line + 1);
}

// The first fields of the table's data types, each on a line of its own:
// what labels and envelopes show until the user says otherwise.
std::vector<AnsiString> defaultLines(const CDataTable &table)
{
    std::vector<AnsiString> lines;
    for (int field = 0; field < table.GetFieldCount() && lines.size() < 3; ++field) {
        if (table.GetFieldType(field) <= FT_DATE)
            lines.push_back("[" + table.GetFieldName(field) + "]");
    }
    return lines;
}

// The lines kept in a section, or the defaults when none are.
std::vector<AnsiString> keptLines(const QString &section, const CDataTable &table)
{
    std::vector<AnsiString> lines;
    bool any = false;
    for (int line = 0; line < LabelContent::kMaxLines; ++line) {
        any = any || Registry::HasEntry(section, lineKey(line));
        lines.push_back(QStringToAnsi(Registry::GetProfileString(section, lineKey(line))));
    }
    return any ? lines : defaultLines(table);
}

QDoubleSpinBox *millimetres(QWidget *parent, double maximum)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setDecimals(1);
    box->setRange(0, maximum);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

QDialogButtonBox *buttonsWith(QDialog *dialog, QPushButton *primary, QPushButton *secondary)
{
    auto *buttons = new QDialogButtonBox(dialog);
    buttons->addButton(primary, QDialogButtonBox::AcceptRole);
    if (secondary != nullptr)
        buttons->addButton(secondary, QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    primary->setDefault(true);
    return buttons;
}

// Shows the printout in the preview; its "Drucken..." goes through the
// print dialog.
void preview(QWidget *parent, std::unique_ptr<FormPrintout> printout, int captionId)
{
    const FormPrintout *pages = printout.get();
    PrintPreviewWindow window(
            std::move(printout),
            [pages, captionId](QWidget *owner) {
                return PrintWithDialog(owner, SessionPrinter::Instance().Printer(), *pages, captionId);
            },
            parent);
    window.exec();
}

} // namespace

// ---- Formular drucken ----

FormPrintDialog::FormPrintDialog(const COrvelDoc &doc, int currentRecord, QWidget *parent)
    : QDialog(parent)
    , m_currentRecord(currentRecord)
    , m_current(new QRadioButton(QStringLiteral("&Aktueller Datensatz"), this))
    , m_marked(new QRadioButton(QStringLiteral("&Markierte Datensätze"), this))
    , m_all(new QRadioButton(QStringLiteral("A&lle Datensätze"), this))
    , m_several(new QCheckBox(QStringLiteral("Mehrere Datensätze &untereinander auf eine Seite"), this))
    , m_actualSize(
              new QCheckBox(QStringLiteral("&Originalgröße (100 %): Ein zu großes Formular wird abgeschnitten"), this))
    , m_print(new QPushButton(QStringLiteral("&Drucken..."), this))
    , m_preview(new QPushButton(QStringLiteral("&Seitenansicht"), this))
{
    setObjectName(QStringLiteral("FormPrintDialog"));
    setWindowTitle(QStringLiteral("Formular drucken"));
    const CDataTable &table = doc.GetTable();
    auto *records = new QGroupBox(QStringLiteral("Datensätze"), this);
    auto *recordsLayout = new QVBoxLayout(records);
    for (QRadioButton *button : {m_current, m_marked, m_all})
        recordsLayout->addWidget(button);
    m_current->setEnabled(currentRecord >= 0 && currentRecord < table.GetRecordCount());
    m_marked->setEnabled(table.GetMarkedCount() > 0);
    (m_current->isEnabled() ? m_current : m_all)->setChecked(true);

    auto *page = new QGroupBox(QStringLiteral("Seite"), this);
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(m_several);
    pageLayout->addWidget(m_actualSize);
    pageLayout->addWidget(
            new QLabel(QStringLiteral("Ränder, Kopf- und Fußzeile kommen aus „Seite einrichten“."), page));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(records);
    layout->addWidget(page);
    layout->addWidget(buttonsWith(this, m_print, m_preview));
    connect(m_print, &QPushButton::clicked, this, [this] {
        m_action = Action::Print;
        accept();
    });
    connect(m_preview, &QPushButton::clicked, this, [this] {
        m_action = Action::Preview;
        accept();
    });
}

FormPrintChoice FormPrintDialog::Choice() const
{
    FormPrintChoice choice;
    choice.range = m_current->isChecked()  ? RecordRange::Current
                   : m_marked->isChecked() ? RecordRange::Marked
                                           : RecordRange::All;
    choice.currentRecord = m_currentRecord;
    choice.layout.severalPerPage = m_several->isChecked();
    choice.layout.actualSize = m_actualSize->isChecked();
    return choice;
}

void RunFormPrint(QWidget *parent, const COrvelDoc &doc, int currentRecord)
{
    FormPrintDialog dialog(doc, currentRecord, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const FormPrintChoice choice = dialog.Choice();
    if (!CheckFormPrint(doc, choice))
        return;
    SessionPrinter &session = SessionPrinter::Instance();
    session.ApplyPaperSettings(doc.GetPageSettings());
    QPrinter &printer = session.Printer();
    printer.setDocName(QStringLiteral("Orvel97: Formular"));
    std::unique_ptr<FormPrintout> printout;
    {
        WaitCursor wait;
        printout = FormPrintout::Form(doc, MetricsOfPrinter(printer), choice);
    }
    if (dialog.ChosenAction() == FormPrintDialog::Action::Preview)
        preview(parent, std::move(printout), ids::kCaptionPrintingForm);
    else
        PrintWithDialog(parent, printer, *printout, ids::kCaptionPrintingForm);
}

// ---- Etiketten drucken ----

LabelPrintDialog::LabelPrintDialog(const COrvelDoc &doc, std::vector<LabelSheet> sheets, QWidget *parent)
    : QDialog(parent)
    , m_doc(doc)
    , m_sheets(std::move(sheets))
    , m_font(ReadFont(kLabelFontSection))
    , m_sheet(new QComboBox(this))
    , m_columns(new QSpinBox(this))
    , m_rows(new QSpinBox(this))
    , m_width(millimetres(this, 297))
    , m_height(millimetres(this, 297))
    , m_top(millimetres(this, 297))
    , m_left(millimetres(this, 210))
    , m_gapX(millimetres(this, 210))
    , m_gapY(millimetres(this, 297))
    , m_start(new QSpinBox(this))
    , m_perSheet(new QLabel(this))
    , m_useLines(new QRadioButton(QStringLiteral("Zeilen mit Datenfeldern und Te&xt:"), this))
    , m_useForm(new QRadioButton(QStringLiteral("Das &Formular, verkleinert auf das Etikett"), this))
    , m_field(new QComboBox(this))
    , m_fontText(new QLabel(this))
    , m_marked(new QRadioButton(QStringLiteral("&Markierte Datensätze"), this))
    , m_all(new QRadioButton(QStringLiteral("A&lle Datensätze"), this))
{
    setObjectName(QStringLiteral("LabelPrintDialog"));
    setWindowTitle(QStringLiteral("Etiketten drucken"));
    const CDataTable &table = doc.GetTable();

    // The sheet.
    auto *sheetGroup = new QGroupBox(QStringLiteral("Etikettenbogen (A4)"), this);
    auto *sheetLayout = new QGridLayout(sheetGroup);
    for (const LabelSheet &sheet : m_sheets)
        m_sheet->addItem(sheet.name);
    m_sheet->addItem(QStringLiteral("Eigenes Format"));
    auto *sheetLabel = new QLabel(QStringLiteral("Bo&gen:"), sheetGroup);
    sheetLabel->setBuddy(m_sheet);
    sheetLayout->addWidget(sheetLabel, 0, 0);
    sheetLayout->addWidget(m_sheet, 0, 1, 1, 3);
    m_columns->setRange(0, 50);
    m_rows->setRange(0, 100);
    const std::pair<const char *, QWidget *> cells[] = {{"S&palten:", m_columns},
                                                        {"&Zeilen:", m_rows},
                                                        {"&Breite:", m_width},
                                                        {"&Höhe:", m_height},
                                                        {"Rand &oben:", m_top},
                                                        {"Rand lin&ks:", m_left},
                                                        {"Abstand &waagerecht:", m_gapX},
                                                        {"Abstand s&enkrecht:", m_gapY}};
    int index = 0;
    for (const auto &[text, widget] : cells) {
        auto *label = new QLabel(QString::fromUtf8(text), sheetGroup);
        label->setBuddy(widget);
        sheetLayout->addWidget(label, 1 + index / 2, (index % 2) * 2);
        sheetLayout->addWidget(widget, 1 + index / 2, (index % 2) * 2 + 1);
        ++index;
    }
    auto *startLabel = new QLabel(QStringLiteral("S&tartposition:"), sheetGroup);
    startLabel->setBuddy(m_start);
    m_start->setRange(0, 9999);
    sheetLayout->addWidget(startLabel, 5, 0);
    sheetLayout->addWidget(m_start, 5, 1);
    sheetLayout->addWidget(m_perSheet, 5, 2, 1, 2);

    // What a label shows.
    auto *contentGroup = new QGroupBox(QStringLiteral("Inhalt eines Etiketts"), this);
    auto *contentLayout = new QVBoxLayout(contentGroup);
    contentLayout->addWidget(m_useLines);
    const std::vector<AnsiString> lines = keptLines(kLabelSection, table);
    for (int line = 0; line < LabelContent::kMaxLines; ++line) {
        auto *edit = new QLineEdit(contentGroup);
        edit->setObjectName(QStringLiteral("LabelLine%1").arg(line + 1));
        edit->setMaxLength(255);
        if (std::size_t(line) < lines.size())
            edit->setText(AnsiToQString(lines[std::size_t(line)]));
        connect(edit, &QLineEdit::cursorPositionChanged, this, [this, edit] { m_lastLine = edit; });
        m_lines[std::size_t(line)] = edit;
        contentLayout->addWidget(edit);
    }
    m_lastLine = m_lines[0];
    auto *fieldRow = new QHBoxLayout;
    auto *fieldLabel = new QLabel(QStringLiteral("Date&nfeld:"), contentGroup);
    fieldLabel->setBuddy(m_field);
    for (int field = 0; field < table.GetFieldCount(); ++field)
        m_field->addItem(AnsiToQString(table.GetFieldName(field)));
    auto *insert = new QPushButton(QStringLiteral("E&infügen"), contentGroup);
    auto *font = new QPushButton(QStringLiteral("Schrift&art..."), contentGroup);
    fieldRow->addWidget(fieldLabel);
    fieldRow->addWidget(m_field, 1);
    fieldRow->addWidget(insert);
    fieldRow->addWidget(font);
    contentLayout->addLayout(fieldRow);
    contentLayout->addWidget(m_fontText);
    contentLayout->addWidget(m_useForm);
    (Registry::GetProfileInt(kLabelSection, QStringLiteral("UseForm"), 0) != 0 ? m_useForm : m_useLines)
            ->setChecked(true);

    auto *records = new QGroupBox(QStringLiteral("Datensätze"), this);
    auto *recordsLayout = new QHBoxLayout(records);
    recordsLayout->addWidget(m_marked);
    recordsLayout->addWidget(m_all);
    m_marked->setEnabled(table.GetMarkedCount() > 0);
    (m_marked->isEnabled() ? m_marked : m_all)->setChecked(true);

    auto *previewButton = new QPushButton(QStringLiteral("&Seitenansicht"), this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sheetGroup);
    layout->addWidget(contentGroup);
    layout->addWidget(records);
    layout->addWidget(buttonsWith(this, previewButton, nullptr));
    connect(previewButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(insert, &QPushButton::clicked, this, &LabelPrintDialog::insertField);
    connect(font, &QPushButton::clicked, this, &LabelPrintDialog::chooseFont);
    connect(m_sheet, &QComboBox::currentIndexChanged, this, &LabelPrintDialog::sheetChosen);
    for (QSpinBox *box : {m_columns, m_rows})
        connect(box, &QSpinBox::valueChanged, this, &LabelPrintDialog::sizeEdited);
    for (QDoubleSpinBox *box : {m_width, m_height, m_top, m_left, m_gapX, m_gapY})
        connect(box, &QDoubleSpinBox::valueChanged, this, &LabelPrintDialog::sizeEdited);

    // The sheet chosen last time, or the first of the list.
    const QString kept = Registry::GetProfileString(kLabelSection, QStringLiteral("Sheet"));
    int chosen = 0;
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i].name == kept)
            chosen = int(i);
    }
    if (kept == m_sheet->itemText(m_sheet->count() - 1) || m_sheets.empty()) {
        chosen = m_sheet->count() - 1;
        m_filling = true;
        m_columns->setValue(Registry::GetProfileInt(kLabelSection, QStringLiteral("Columns"), 3));
        m_rows->setValue(Registry::GetProfileInt(kLabelSection, QStringLiteral("Rows"), 8));
        const std::pair<QDoubleSpinBox *, const char *> sizes[] = {{m_width, "Width"}, {m_height, "Height"},
                                                                   {m_top, "Top"},     {m_left, "Left"},
                                                                   {m_gapX, "GapX"},   {m_gapY, "GapY"}};
        for (const auto &[box, key] : sizes)
            box->setValue(Registry::GetProfileInt(kLabelSection, QString::fromLatin1(key), 0) / 10.0);
        m_filling = false;
    }
    SelectSheet(chosen);
    m_start->setValue(1);
    updateFontText();
}

void LabelPrintDialog::SelectSheet(int index)
{
    m_sheet->setCurrentIndex(index);
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
    m_columns->setValue(sheet.columns);
    m_rows->setValue(sheet.rows);
    m_width->setValue(sheet.labelWidth);
    m_height->setValue(sheet.labelHeight);
    m_top->setValue(sheet.marginTop);
    m_left->setValue(sheet.marginLeft);
    m_gapX->setValue(sheet.gapX);
    m_gapY->setValue(sheet.gapY);
    m_filling = false;
    sizeEdited();
}

void LabelPrintDialog::sizeEdited()
{
    if (m_filling)
        return;
    // A size changed by hand is the user's own format.
    const int own = m_sheet->count() - 1;
    const int index = m_sheet->currentIndex();
    if (index >= 0 && std::size_t(index) < m_sheets.size()) {
        const LabelSheet &sheet = m_sheets[std::size_t(index)];
        const LabelSheet now = Choice().sheet;
        if (now.columns != sheet.columns || now.rows != sheet.rows || now.labelWidth != sheet.labelWidth
            || now.labelHeight != sheet.labelHeight || now.marginTop != sheet.marginTop
            || now.marginLeft != sheet.marginLeft || now.gapX != sheet.gapX || now.gapY != sheet.gapY) {
            const QSignalBlocker block(m_sheet);
            m_sheet->setCurrentIndex(own);
        }
    }
    const int perSheet = m_columns->value() * m_rows->value();
    m_perSheet->setText(QStringLiteral("von %1 Etiketten des Bogens").arg(perSheet));
}

void LabelPrintDialog::insertField()
{
    if (m_field->currentIndex() < 0 || m_lastLine == nullptr)
        return;
    m_lastLine->insert(QStringLiteral("[") + m_field->currentText() + QStringLiteral("]"));
    m_lastLine->setFocus();
    m_useLines->setChecked(true);
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
    m_fontText->setText(face.empty() ? QStringLiteral("Schrift: Standardschrift")
                                     : QStringLiteral("Schrift: %1, %2 Punkte")
                                               .arg(AnsiToQString(face))
                                               .arg(height == 0 ? 8 : (height * 72 + 48) / 96));
}

LabelPrintChoice LabelPrintDialog::Choice() const
{
    LabelPrintChoice choice;
    const int index = m_sheet->currentIndex();
    if (index >= 0 && std::size_t(index) < m_sheets.size())
        choice.sheet.name = m_sheets[std::size_t(index)].name;
    else
        choice.sheet.name = m_sheet->itemText(m_sheet->count() - 1);
    choice.sheet.columns = m_columns->value();
    choice.sheet.rows = m_rows->value();
    choice.sheet.labelWidth = m_width->value();
    choice.sheet.labelHeight = m_height->value();
    choice.sheet.marginTop = m_top->value();
    choice.sheet.marginLeft = m_left->value();
    choice.sheet.gapX = m_gapX->value();
    choice.sheet.gapY = m_gapY->value();
    choice.start = m_start->value();
    for (QLineEdit *edit : m_lines)
        choice.content.lines.push_back(QStringToAnsi(edit->text()));
    // Empty lines at the end are no lines.
    while (!choice.content.lines.empty() && choice.content.lines.back().empty())
        choice.content.lines.pop_back();
    choice.content.font = m_font;
    choice.content.useForm = m_useForm->isChecked();
    choice.range = m_marked->isChecked() ? RecordRange::Marked : RecordRange::All;
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
        Registry::WriteProfileString(kLabelSection, lineKey(line), m_lines[std::size_t(line)]->text());
    Registry::WriteProfileInt(kLabelSection, QStringLiteral("UseForm"), choice.content.useForm ? 1 : 0);
    WriteFont(kLabelFontSection, m_font);
}

void RunLabelPrint(QWidget *parent, const COrvelDoc &doc)
{
    std::vector<LabelSheet> sheets = ReadLabelSheets(FindDataFile(QStringLiteral("labelsheets.txt")));
    if (sheets.empty())
        MessageBoxById(ids::kMsgLabelSheetsMissing, MsgIcon::Information);
    LabelPrintDialog dialog(doc, std::move(sheets), parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SessionPrinter &session = SessionPrinter::Instance();
    // Label sheets are A4 portrait, whatever the table prints on.
    session.SetPaperSize(PageSettings::kPaperA4);
    session.SetOrientation(PageSettings::kPortrait);
    session.Printer().setDocName(QStringLiteral("Orvel97: Etiketten"));
    std::unique_ptr<FormPrintout> printout;
    {
        WaitCursor wait;
        printout = FormPrintout::Labels(doc, MetricsOfPrinter(session.Printer()), dialog.Choice());
    }
    preview(parent, std::move(printout), ids::kCaptionPrintingLabels);
    session.ApplyPaperSettings(doc.GetPageSettings());
}

// ---- Umschlag drucken ----

EnvelopeDialog::EnvelopeDialog(const COrvelDoc &doc, int currentRecord, QWidget *parent)
    : QDialog(parent)
    , m_doc(doc)
    , m_currentRecord(currentRecord)
    , m_size(new QComboBox(this))
    , m_sender(new QPlainTextEdit(this))
    , m_sample(new QLabel(this))
{
    setObjectName(QStringLiteral("EnvelopeDialog"));
    setWindowTitle(QStringLiteral("Umschlag drucken"));
    for (const EnvelopeFormat &format : EnvelopeFormats())
        m_size->addItem(format.name, int(format.size));
    m_size->setCurrentIndex(
            std::clamp(Registry::GetProfileInt(kEnvelopeSection, QStringLiteral("Size"), 0), 0, m_size->count() - 1));
    m_sender->setPlainText(Registry::GetProfileString(kEnvelopeSection, QStringLiteral("Sender")));
    m_sender->setTabChangesFocus(true);
    m_sender->setFixedHeight(m_sender->fontMetrics().height() * 5);

    auto *form = new QFormLayout;
    auto *sizeLabel = new QLabel(QStringLiteral("&Format:"), this);
    sizeLabel->setBuddy(m_size);
    form->addRow(sizeLabel, m_size);
    auto *senderLabel = new QLabel(QStringLiteral("A&bsender:"), this);
    senderLabel->setBuddy(m_sender);
    form->addRow(senderLabel, m_sender);
    auto *lines = new QVBoxLayout;
    const std::vector<AnsiString> kept = keptLines(kEnvelopeSection, doc.GetTable());
    for (int line = 0; line < LabelContent::kMaxLines; ++line) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("AddressLine%1").arg(line + 1));
        edit->setMaxLength(255);
        if (std::size_t(line) < kept.size())
            edit->setText(AnsiToQString(kept[std::size_t(line)]));
        connect(edit, &QLineEdit::textChanged, this, &EnvelopeDialog::updateSample);
        m_lines[std::size_t(line)] = edit;
        lines->addWidget(edit);
    }
    auto *addressLabel = new QLabel(QStringLiteral("An&schrift:"), this);
    addressLabel->setBuddy(m_lines[0]);
    form->addRow(addressLabel, lines);
    form->addRow(new QLabel(QStringLiteral("Datenfelder stehen in eckigen Klammern, z.B. [Name]."), this));
    form->addRow(QStringLiteral("Anschrift des Datensatzes:"), m_sample);
    m_sample->setTextFormat(Qt::PlainText);

    auto *print = new QPushButton(QStringLiteral("&Drucken..."), this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttonsWith(this, print, nullptr));
    connect(print, &QPushButton::clicked, this, &QDialog::accept);
    updateSample();
}

EnvelopeSize EnvelopeDialog::Size() const
{
    return EnvelopeSize(m_size->currentData().toInt());
}

QStringList EnvelopeDialog::Sender() const
{
    return m_sender->toPlainText().split(u'\n');
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
    m_sample->setText(Address().join(u'\n'));
}

void EnvelopeDialog::accept()
{
    Registry::WriteProfileInt(kEnvelopeSection, QStringLiteral("Size"), m_size->currentIndex());
    Registry::WriteProfileString(kEnvelopeSection, QStringLiteral("Sender"), m_sender->toPlainText());
    for (int line = 0; line < LabelContent::kMaxLines; ++line)
        Registry::WriteProfileString(kEnvelopeSection, lineKey(line), m_lines[std::size_t(line)]->text());
    QDialog::accept();
}

void RunEnvelopePrint(QWidget *parent, const COrvelDoc &doc, int currentRecord)
{
    EnvelopeDialog dialog(doc, currentRecord, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SessionPrinter &session = SessionPrinter::Instance();
    PrintEnvelope(parent, session.Printer(), doc, dialog.Size(), dialog.Sender(), dialog.Address(), true);
    session.ApplyPaperSettings(doc.GetPageSettings());
}

void RegisterFormPrintCommands(CommandMap &map, QWidget *parent, COrvelDoc &doc, std::function<int()> currentRecord,
                               std::function<void()> commitEdit)
{
    const auto hasRecords = [&doc](CCmdUI &ui) { ui.Enable(doc.GetTable().GetRecordCount() > 0); };
    map.On(
            ID_FILE_PRINT_FORM,
            [parent, &doc, currentRecord, commitEdit] {
                commitEdit();
                RunFormPrint(parent, doc, currentRecord());
            },
            hasRecords);
    map.On(
            ID_FILE_PRINT_LABELS,
            [parent, &doc, commitEdit] {
                commitEdit();
                RunLabelPrint(parent, doc);
            },
            hasRecords);
    map.On(
            ID_FILE_PRINT_ENVELOPE,
            [parent, &doc, currentRecord, commitEdit] {
                commitEdit();
                RunEnvelopePrint(parent, doc, currentRecord());
            },
            [&doc, currentRecord](CCmdUI &ui) {
                const int record = currentRecord();
                ui.Enable(record >= 0 && record < doc.GetTable().GetRecordCount());
            });
}

} // namespace orvel
