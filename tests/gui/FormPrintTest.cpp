// Printing records through the form, on labels and on an envelope to PDF
// files read back with pdftotext (words with their places on the page), the
// checks before a printout, and the form lock in the designer.
#include "DialogDriver.h"
#include "FormMouse.h"
#include "document/DocumentTestSupport.h"

#include "form/DrawEdit.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "form/FormObjects.h"
#include "form/ui/CTextPropTextDlg.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormLock.h"
#include "form/ui/FormView.h"
#include "listview/OrvelView.h"
#include "platform/Codepage.h"
#include "platform/ui/PropertySheet.h"
#include "print/ui/FormPrintDialogs.h"
#include "print/ui/FormPrintJob.h"
#include "print/ui/PrintPreviewWindow.h"
#include "print/ui/TablePrintJob.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

// A word pdftotext found, its box in points from the page's top left.
struct Word
{
    int page;
    QString text;
    double x;
    double y;
};

constexpr double kPointsPerMm = 72.0 / 25.4;
// Form units are 1/96 inch.
constexpr double kPointsPerUnit = 72.0 / 96.0;

class FormPrintTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        AddField(doc, "Name");
        AddField(doc, "Ort");
        AddField(doc, "Telefon");
        AddRecord(doc, {"M\xFC"
                        "ller",
                        "K\xF6ln", "0221-123456"});
        AddRecord(doc, {"Sch\xE4"
                        "fer",
                        "M\xFCnchen", "089-987654"});
        AddRecord(doc, {"Wei\xDF", "D\xFCsseldorf", "0211-555"});
        doc.GetForm().CreateDefaultForm(3);
        usePdf(QStringLiteral("out.pdf"));
    }

    void usePdf(const QString &name)
    {
        pdf = dir + u'/' + name;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }

    bool print(const FormPrintout &printout, int caption = ids::kCaptionPrintingForm)
    {
        const bool printed = PrintFormPages(printer, printout, 1, printout.PageCount(), caption);
        // With ORVEL_SCREENSHOT_DIR set the printout is kept there.
        const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            QFile::copy(pdf, shots
                                     + QStringLiteral("/orvel-%1-%2")
                                               .arg(QString::fromLatin1(
                                                       testing::UnitTest::GetInstance()->current_test_info()->name()))
                                               .arg(QFileInfo(pdf).fileName()));
        return printed;
    }

    // The words of the PDF, page by page.
    std::vector<Word> words() const
    {
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        EXPECT_TRUE(text.waitForFinished(30000));
        const QString html = QString::fromUtf8(text.readAllStandardOutput());
        static const QRegularExpression tag(
                QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>([^<]*)</word>"));
        std::vector<Word> found;
        int page = 0;
        for (auto match = tag.globalMatch(html); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            if (m.captured(0).startsWith(QStringLiteral("<page"))) {
                ++page;
                continue;
            }
            found.push_back({page, m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
        }
        return found;
    }
    static const Word *find(const std::vector<Word> &all, const QString &text)
    {
        for (const Word &word : all) {
            if (word.text == text)
                return &word;
        }
        return nullptr;
    }
    static int pages(const std::vector<Word> &all) { return all.empty() ? 0 : all.back().page; }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    QPrinter printer{QPrinter::HighResolution};
    QString dir;
    QString pdf;
};

TEST_F(FormPrintTest, EachRecordPrintsOnItsPageWithItsValuesWhereTheFormShowsThem)
{
    doc.GetPageSettings().pageFooter = "Seite &p";
    FormPrintChoice choice;
    ASSERT_TRUE(CheckFormPrint(doc, choice));
    const auto printout = FormPrintout::Form(doc, MetricsOfPrinter(printer), choice);
    ASSERT_EQ(printout->PageCount(), 3);
    ASSERT_TRUE(print(*printout));
    const std::vector<Word> all = words();
    EXPECT_EQ(pages(all), 3);
    const char *const first[] = {"Müller", "Köln", "0221-123456"};
    for (int field = 0; field < 3; ++field) {
        const Word *word = find(all, QString::fromUtf8(first[field]));
        ASSERT_NE(word, nullptr) << first[field];
        EXPECT_EQ(word->page, 1) << first[field];
        // Within its data field's value area, at 100 % on the page.
        const CDrawEdit *edit = doc.GetForm().FindDataField(field);
        const RECT r = edit->GetNormalizedPosition();
        EXPECT_GE(word->y, r.top * kPointsPerUnit - 1) << first[field];
        EXPECT_LE(word->y, r.bottom * kPointsPerUnit) << first[field];
        EXPECT_GE(word->x, edit->labelRight * kPointsPerUnit) << first[field];
        EXPECT_LE(word->x, r.right * kPointsPerUnit) << first[field];
        // The field's name stands left of it.
        const Word *name = find(all, AnsiToQString(doc.GetTable().GetFieldName(field)));
        ASSERT_NE(name, nullptr);
        EXPECT_LT(name->x, word->x);
    }
    EXPECT_EQ(find(all, QStringLiteral("Schäfer"))->page, 2);
    EXPECT_EQ(find(all, QStringLiteral("Düsseldorf"))->page, 3);
    EXPECT_NE(find(all, QStringLiteral("3")), nullptr) << "footer of page 3";
}

TEST_F(FormPrintTest, MarkedRecordsAloneOrTheCurrentOnePrintAndStackWhenAsked)
{
    doc.GetTable().GetRecord(1)->SetMark(true);
    doc.GetTable().GetRecord(2)->SetMark(true);
    FormPrintChoice choice;
    choice.range = RecordRange::Marked;
    const auto marked = FormPrintout::Form(doc, MetricsOfPrinter(printer), choice);
    ASSERT_TRUE(print(*marked));
    std::vector<Word> all = words();
    EXPECT_EQ(pages(all), 2);
    EXPECT_EQ(find(all, QStringLiteral("Müller")), nullptr);
    EXPECT_EQ(find(all, QStringLiteral("Schäfer"))->page, 1);
    EXPECT_EQ(find(all, QStringLiteral("Weiß"))->page, 2);

    choice.layout.severalPerPage = true;
    usePdf(QStringLiteral("stacked.pdf"));
    ASSERT_TRUE(print(*FormPrintout::Form(doc, MetricsOfPrinter(printer), choice)));
    all = words();
    EXPECT_EQ(pages(all), 1);
    ASSERT_NE(find(all, QStringLiteral("Weiß")), nullptr);
    EXPECT_GT(find(all, QStringLiteral("Weiß"))->y, find(all, QStringLiteral("Schäfer"))->y);

    choice.range = RecordRange::Current;
    choice.currentRecord = 0;
    usePdf(QStringLiteral("current.pdf"));
    ASSERT_TRUE(print(*FormPrintout::Form(doc, MetricsOfPrinter(printer), choice)));
    all = words();
    EXPECT_EQ(pages(all), 1);
    EXPECT_NE(find(all, QStringLiteral("Müller")), nullptr);
    EXPECT_EQ(find(all, QStringLiteral("Weiß")), nullptr);
}

TEST_F(FormPrintTest, NothingToPrintIsRefusedWithAMessage)
{
    FormPrintChoice choice;
    choice.range = RecordRange::Marked;
    EXPECT_FALSE(CheckFormPrint(doc, choice));
    choice.range = RecordRange::Current;
    choice.currentRecord = -1;
    EXPECT_FALSE(CheckFormPrint(doc, choice));
    doc.GetForm().Clear();
    choice.range = RecordRange::All;
    EXPECT_FALSE(CheckFormPrint(doc, choice));
    EXPECT_EQ(scripted.messageIds(),
              (std::vector<int>{ids::kMsgNothingToPrint, ids::kMsgNothingToPrint, ids::kMsgFormEmpty}));
}

TEST_F(FormPrintTest, ALabelSheetStartingAtPositionFiveLeavesFourLabelsEmpty)
{
    LabelPrintChoice choice;
    choice.sheet.name = QStringLiteral("3 x 8");
    choice.sheet.columns = 3;
    choice.sheet.rows = 8;
    choice.sheet.labelWidth = 70;
    choice.sheet.labelHeight = 37;
    choice.sheet.marginTop = 0.5;
    choice.start = 5;
    choice.content.lines = {"[Name]", "[Ort]"};
    ASSERT_TRUE(CheckLabelPrint(doc, choice));
    const auto printout = FormPrintout::Labels(doc, MetricsOfPrinter(printer), choice);
    ASSERT_EQ(printout->PageCount(), 1);
    ASSERT_TRUE(print(*printout, ids::kCaptionPrintingLabels));
    const std::vector<Word> all = words();
    ASSERT_EQ(all.size(), 6u);
    // Label 5 is the middle of the second row, 6 its right neighbour, 7
    // the left one of the third row: labels 1 to 4 stay empty.
    const struct
    {
        const char *name;
        int column;
        int row;
    } expected[] = {{"Müller", 1, 1}, {"Schäfer", 2, 1}, {"Weiß", 0, 2}};
    for (const auto &label : expected) {
        const Word *word = find(all, QString::fromUtf8(label.name));
        ASSERT_NE(word, nullptr) << label.name;
        const double left = label.column * 70 * kPointsPerMm;
        const double top = (0.5 + label.row * 37) * kPointsPerMm;
        EXPECT_NEAR(word->x, left + 2 * kPointsPerMm, 3) << label.name;
        EXPECT_GE(word->y, top) << label.name;
        EXPECT_LT(word->y, top + 10 * kPointsPerMm) << label.name;
    }
    for (const Word &word : all)
        EXPECT_GT(word.y, 37 * kPointsPerMm) << word.text.toStdString() << " on an used label";
}

TEST_F(FormPrintTest, BadLabelLayoutsAreRefusedWithAMessage)
{
    LabelPrintChoice choice;
    choice.sheet.columns = 3;
    choice.sheet.rows = 8;
    choice.sheet.labelWidth = 75; // 225 mm across
    choice.sheet.labelHeight = 37;
    EXPECT_FALSE(CheckLabelPrint(doc, choice));
    choice.sheet.labelWidth = -70;
    EXPECT_FALSE(CheckLabelPrint(doc, choice));
    choice.sheet.labelWidth = 70;
    choice.start = 25;
    EXPECT_FALSE(CheckLabelPrint(doc, choice));
    ASSERT_EQ(scripted.messageIds(),
              (std::vector<int>{ids::kMsgLabelsDoNotFit, ids::kMsgLabelSizeInvalid, ids::kMsgLabelStartInvalid}));
    EXPECT_TRUE(scripted.messages().back().text.contains(QStringLiteral("zwischen 1 und 24")));
}

TEST_F(FormPrintTest, TheEnvelopeCarriesSenderAndTheAddressOfTheCurrentRecord)
{
    EnvelopeDialog dialog(doc, 1);
    dialog.SizeBox()->setCurrentIndex(0); // DL
    dialog.SenderEdit()->setPlainText(QStringLiteral("Anna Absender\nPostweg 1\n53111 Bonn"));
    dialog.LineEdit(0)->setText(QStringLiteral("Familie [Name]"));
    dialog.LineEdit(1)->setText(QStringLiteral("[Telefon]"));
    dialog.LineEdit(2)->setText(QStringLiteral("[Ort]"));
    dialog.LineEdit(3)->clear();
    EXPECT_EQ(dialog.Address(), (QStringList{QStringLiteral("Familie Schäfer"), QStringLiteral("089-987654"),
                                             QStringLiteral("München")}));
    ASSERT_TRUE(PrintEnvelope(nullptr, printer, doc, dialog.Size(), dialog.Sender(), dialog.Address(), false));
    const std::vector<Word> all = words();
    ASSERT_EQ(pages(all), 1);
    const Word *sender = find(all, QStringLiteral("Absender"));
    const Word *name = find(all, QStringLiteral("Schäfer"));
    const Word *town = find(all, QStringLiteral("München"));
    ASSERT_TRUE(sender && name && town);
    EXPECT_LT(sender->y, name->y);
    EXPECT_LT(name->y, town->y);
    EXPECT_GT(name->x, 90 * kPointsPerMm);
    // The page is the envelope, lying in landscape; the printer keeps its
    // paper afterwards.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString pageInfo = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(pageInfo.contains(
            QRegularExpression(QStringLiteral("Page size:\\s+62[34](\\.\\d+)? x 31[12](\\.\\d+)? pts"))))
            << pageInfo.toStdString();
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);

    // Without an address nothing is printed.
    EXPECT_FALSE(PrintEnvelope(nullptr, printer, doc, EnvelopeSize::C6, {}, {QString(), QStringLiteral(" ")}, false));
    EXPECT_EQ(scripted.messageIds().back(), ids::kMsgEnvelopeNoAddress);
}

TEST_F(FormPrintTest, TheDialogsOfferWhatExistsAndRefuseBadLabelSheets)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    const auto shoot = [&shots](QWidget &dialog, const char *name) {
        dialog.show();
        QCoreApplication::processEvents();
        if (!shots.isEmpty())
            dialog.grab().save(shots + QStringLiteral("/orvel-") + QString::fromLatin1(name) + QStringLiteral(".png"));
    };
    {
        // Without marked records "Markierte Datensätze" cannot be chosen.
        FormPrintDialog dialog(doc, 1);
        shoot(dialog, "formular-drucken");
        EXPECT_FALSE(dialog.MarkedButton()->isEnabled());
        EXPECT_TRUE(dialog.CurrentButton()->isChecked());
        dialog.ActualSizeBox()->setChecked(true);
        EXPECT_EQ(dialog.Choice().range, RecordRange::Current);
        EXPECT_EQ(dialog.Choice().currentRecord, 1);
        EXPECT_TRUE(dialog.Choice().layout.actualSize);
    }
    std::vector<LabelSheet> sheets(2);
    sheets[0].name = QStringLiteral("3 x 8");
    sheets[0].columns = 3;
    sheets[0].rows = 8;
    sheets[0].labelWidth = 70;
    sheets[0].labelHeight = 37;
    sheets[1] = sheets[0];
    sheets[1].name = QStringLiteral("2 x 4");
    sheets[1].columns = 2;
    sheets[1].rows = 4;
    sheets[1].labelWidth = 105;
    sheets[1].labelHeight = 74;
    LabelPrintDialog labels(doc, sheets);
    labels.SelectSheet(1);
    labels.LineEdit(0)->setText(QStringLiteral("[Name]"));
    shoot(labels, "etiketten-drucken");
    EXPECT_EQ(labels.Choice().sheet.columns, 2);
    EXPECT_EQ(labels.Choice().sheet.labelWidth, 105);
    // A size changed by hand makes the user's own format.
    labels.WidthBox()->setValue(100);
    EXPECT_EQ(labels.SheetBox()->currentIndex(), 2);
    // A start beyond the sheet and a sheet too wide are refused.
    labels.StartBox()->setValue(9);
    labels.accept();
    EXPECT_TRUE(labels.isVisible());
    EXPECT_EQ(scripted.messageIds().back(), ids::kMsgLabelStartInvalid);
    labels.StartBox()->setValue(8);
    labels.ColumnsBox()->setValue(3);
    labels.accept();
    EXPECT_TRUE(labels.isVisible());
    EXPECT_EQ(scripted.messageIds().back(), ids::kMsgLabelsDoNotFit);
    labels.ColumnsBox()->setValue(2);
    labels.accept();
    EXPECT_EQ(labels.result(), QDialog::Accepted);
    // The first data fields, a line each, until the user writes others.
    EXPECT_EQ(labels.Choice().content.lines, (std::vector<AnsiString>{"[Name]", "[Ort]", "[Telefon]"}));

    EnvelopeDialog envelope(doc, 0);
    envelope.SenderEdit()->setPlainText(QStringLiteral("Anna Absender\nPostweg 1\n53111 Bonn"));
    shoot(envelope, "umschlag-drucken");
}

TEST_F(FormPrintTest, ThePreviewShowsFormAndLabelPagesAndPrintsThroughItsButton)
{
    LabelPrintChoice choice;
    choice.sheet.columns = 3;
    choice.sheet.rows = 8;
    choice.sheet.labelWidth = 70;
    choice.sheet.labelHeight = 37;
    choice.start = 23;
    choice.content.lines = {"[Name]", "[Ort]"};
    bool printed = false;
    PrintPreviewWindow preview(FormPrintout::Labels(doc, MetricsOfPrinter(printer), choice),
                               [&printed](QWidget *) { return printed = true; });
    preview.show();
    QCoreApplication::processEvents();
    // Labels 23 and 24 of the first sheet, the third record on the next.
    EXPECT_EQ(preview.PageCount(), 2);
    preview.PageWidget()->repaint();
    EXPECT_GT(preview.PageWidget()->Paints(), 0);
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        preview.PageWidget()->grab().save(shots + QStringLiteral("/orvel-etiketten-vorschau.png"));
    preview.NextButton()->click();
    EXPECT_EQ(preview.CurrentPage(), 2);
    preview.PrintButton()->click();
    EXPECT_TRUE(printed);
    EXPECT_FALSE(preview.isVisible());

    FormPrintChoice form;
    form.layout.severalPerPage = true;
    PrintPreviewWindow forms(FormPrintout::Form(doc, MetricsOfPrinter(printer), form), {});
    EXPECT_EQ(forms.PageCount(), 1);
}

// The lock in the designer: a view of its own in design mode.
class FormLockTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CFormDesigner::Tools() = {};
        AddField(doc, "Name");
        AddRecord(doc, {"Anna"});
        view = std::make_unique<COrvelView>(doc, nullptr);
        view->resize(640, 480);
        view->show();
        view->OnInitialUpdate();
        view->ToggleDesignMode();
        QCoreApplication::processEvents();
    }
    void TearDown() override { SetFormLocked(doc, false); }
    CFormDesigner &designer() const { return view->GetFormView()->Designer(); }
    QWidget *viewport() const { return view->GetFormView()->viewport(); }
    bool run(int id) { return view->OnCmdMsg(id, nullptr); }
    bool checked(int id)
    {
        CCmdUI ui(id);
        return view->OnCmdMsg(id, &ui) && ui.Checked().value_or(false);
    }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    std::unique_ptr<COrvelView> view;
};

TEST_F(FormLockTest, ALockedFormRefusesDragsAndKeysButItsPropertySheetsStillWork)
{
    auto *text = static_cast<CDrawText *>(doc.GetForm().Add(std::make_unique<CDrawText>(RECT{100, 100, 200, 130})));
    text->text = "Alt";
    const RECT before = text->position;
    ASSERT_FALSE(checked(ID_FORM_LOCK));
    ASSERT_TRUE(run(ID_FORM_LOCK));
    ASSERT_TRUE(checked(ID_FORM_LOCK));
    ASSERT_TRUE(IsFormLocked(doc));

    // A drag on the object selects it and moves nothing.
    QTest::mousePress(viewport(), Qt::LeftButton, {}, QPoint(150, 115));
    FormMouse mouse([this] { return viewport(); });
    mouse.moveTo({220, 180});
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, QPoint(220, 180));
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{text});
    EXPECT_EQ(text->position, before);
    // Nor does a handle size it, nor an arrow key move it.
    mouse.drag({200, 130}, {260, 200});
    QTest::keyClick(viewport(), Qt::Key_Right);
    EXPECT_EQ(text->position, before);
    EXPECT_EQ(doc.GetForm().GetObjects().size(), 1u);

    // The property sheet opens and changes the text.
    mouse.click({150, 115});
    ASSERT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{text});
    WhenShown<PropertySheet>([](PropertySheet &sheet) {
        auto *page = qobject_cast<CTextPropTextDlg *>(sheet.Page(0));
        ASSERT_NE(page, nullptr);
        page->TextEdit()->setPlainText(QStringLiteral("Neu"));
        sheet.accept();
    });
    ASSERT_TRUE(run(ID_OBJECT_PROPERTIES));
    EXPECT_EQ(text->text, "Neu");

    // Unlocked, the same drag moves it.
    ASSERT_TRUE(run(ID_FORM_LOCK));
    EXPECT_FALSE(IsFormLocked(doc));
    const RECT now = text->GetNormalizedPosition();
    const QPoint inside((now.left + now.right) / 2, (now.top + now.bottom) / 2);
    mouse.drag(inside, inside + QPoint(20, 20));
    EXPECT_EQ(text->GetNormalizedPosition().left, now.left + 20);
    // and its corner handle shows the sizing cursor.
    mouse.moveTo(inside, false);
    mouse.moveTo({now.right + 20, now.bottom + 20}, false);
    EXPECT_EQ(viewport()->cursor().shape(), Qt::SizeFDiagCursor);
}

TEST_F(FormLockTest, TheLockIsKeptPerDatabasePathInTheSettingsNotInTheFile)
{
    const QString folder = MakeScratchDir();
    const QString path = folder + QStringLiteral("/gesperrt.ovd");
    ASSERT_TRUE(doc.Save(path));
    const QByteArray unlocked = ReadAll(path);
    // Locked while the database has no name yet, the file stays the same.
    ASSERT_TRUE(run(ID_FORM_LOCK));
    ASSERT_TRUE(IsFormLocked(doc));
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(doc.Save(path));
    EXPECT_EQ(ReadAll(path).size(), unlocked.size());
    EXPECT_FALSE(ReadAll(path).contains("FormLock"));

    // Once it has its name, the lock goes with the path: another document
    // of the same file is locked, one of another file not.
    doc.SetPathName(path);
    EXPECT_TRUE(IsFormLocked(doc));
    COrvelDoc same;
    same.SetPathName(path);
    EXPECT_TRUE(IsFormLocked(same));
    COrvelDoc other;
    other.SetPathName(folder + QStringLiteral("/anders.ovd"));
    EXPECT_FALSE(IsFormLocked(other));
    SetFormLocked(same, false);
    EXPECT_FALSE(IsFormLocked(doc));
}

} // namespace
