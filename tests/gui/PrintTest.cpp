// Printing the table to PDF files and reading them back as text, the print
// dialog's ranges, and the preview that paints pages as they are shown.
#include "DialogDriver.h"
#include "document/DocumentTestSupport.h"

#include "print/ui/PrintPreviewWindow.h"
#include "print/ui/TablePrintJob.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

using namespace orvel;
using namespace orvel::test;

namespace {

class PrintTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        AddField(doc, "Name");
        AddField(doc, "Ort");
        AddField(doc, "Telefon");
        AddRecord(doc, {"M\xFCller", "K\xF6ln", "0221 123456"});
        AddRecord(doc, {"Sch\xE4"
                        "fer",
                        "M\xFCnchen", "089 987654"});
        AddRecord(doc, {"Wei\xDF", "D\xFCsseldorf", "0211 555"});
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }

    // Prints every page of the document to a PDF file and returns the text
    // pdftotext finds in it, pages separated by form feeds.
    QString printed(const char *name, const PrintJobOptions &options = {})
    {
        const QString pdf = dir + u'/' + QString::fromLatin1(name);
        printer.setOutputFileName(pdf);
        const TablePrintJob job(doc, MetricsOfPrinter(printer), options);
        EXPECT_TRUE(PrintJobPages(printer, job, 1, job.Layout().PageCount()));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        EXPECT_TRUE(text.waitForFinished(30000));
        // With ORVEL_SCREENSHOT_DIR set the printout is kept there.
        const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            QFile::copy(pdf, shots + QStringLiteral("/orvel-print-") + QString::fromLatin1(name));
        return QString::fromUtf8(text.readAllStandardOutput());
    }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    QPrinter printer{QPrinter::HighResolution};
    QString dir;
};

TEST_F(PrintTest, ATableWithUmlautsPrintsRowByRowWithNamesNumbersHeaderAndFooter)
{
    PageSettings &settings = doc.GetPageSettings();
    settings.pageHeader = "Adressen - Seite &p - &p";
    settings.pageFooter = "&f";
    settings.marginLeft = settings.marginTop = settings.marginRight = settings.marginBottom = 15;
    PrintJobOptions options;
    options.documentPath = QStringLiteral("/home/anna/Adressen.ovd");
    const QString text = printed("adressen.pdf", options);
    const QStringList lines = text.trimmed().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 6) << text.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("Adressen - Seite 1 - 1"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Name\\s+Ort\\s+Telefon"))));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("1\\s+Müller\\s+Köln\\s+0221 123456"))))
            << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("3\\s+Weiß\\s+Düsseldorf"))));
    EXPECT_TRUE(lines.last().contains(QStringLiteral("/home/anna/Adressen.ovd"))) << text.toStdString();
    // The rows in their order.
    EXPECT_LT(text.indexOf(QStringLiteral("Müller")), text.indexOf(QStringLiteral("Schäfer")));
    EXPECT_LT(text.indexOf(QStringLiteral("Schäfer")), text.indexOf(QStringLiteral("Weiß")));
}

TEST_F(PrintTest, WideFieldsGoOnColumnPagesAndMarkedRecordsCountConsecutively)
{
    // Long values make each field wider than half a page.
    CDataTable &table = doc.GetTable();
    for (int index = 0; index < table.GetRecordCount(); ++index) {
        for (int field = 0; field < 3; ++field) {
            AnsiString value(table.GetRecord(index)->GetRawValue(field));
            value += " " + AnsiString(60, char('a' + field));
            table.GetRecord(index)->SetRawValue(value, field);
        }
    }
    table.GetRecord(1)->SetMark(true);
    table.GetRecord(2)->SetMark(true);
    PrintJobOptions options;
    options.printMarked = true;
    options.consecutiveNumbers = true;
    const QStringList pages = printed("breit.pdf", options).split(u'\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 3) << pages.join(u"\n=====\n").toStdString();
    // A column page for each field in their order, the numbers 1 and 2 on
    // the first.
    EXPECT_TRUE(pages[0].contains(QRegularExpression(QStringLiteral("1\\s+Schäfer"))));
    EXPECT_TRUE(pages[0].contains(QRegularExpression(QStringLiteral("2\\s+Weiß"))));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Müller")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("München")));
    EXPECT_FALSE(pages[1].contains(QRegularExpression(QStringLiteral("\\d\\s+München"))));
    EXPECT_TRUE(pages[2].contains(QStringLiteral("089 987654")));
}

TEST_F(PrintTest, TheSelectionRangeIsOfferedOnlyWithMarkedRecords)
{
    for (const bool marked : {false, true}) {
        doc.GetTable().GetRecord(0)->SetMark(marked);
        bool offered = !marked;
        WhenShown<QPrintDialog>([&offered](QPrintDialog &dialog) {
            offered = dialog.testOption(QAbstractPrintDialog::PrintSelection);
            dialog.reject();
        });
        EXPECT_FALSE(PrintTable(nullptr, doc, printer));
        EXPECT_EQ(offered, marked);
    }
}

TEST_F(PrintTest, AJobOfMoreThanAHundredThousandPagesAsksFirst)
{
    // 32 fields of a font so large that each needs a page of its own, and
    // few records on a page.
    COrvelDoc huge;
    for (int field = 0; field < 32; ++field)
        huge.GetTable().InsertField("F" + std::to_string(field));
    for (int index = 0; index < 30000; ++index) {
        auto record = huge.GetTable().CreateRecord(false);
        record->SetRawValue("x", 0);
        huge.GetTable().AddRecord(std::move(record));
    }
    huge.GetPageSettings().printFont.lfHeight = -400;
    printer.setOutputFileName(dir + QStringLiteral("/riesig.pdf"));
    WhenShown<QPrintDialog>([](QPrintDialog &dialog) { dialog.accept(); });
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(PrintTable(nullptr, huge, printer));
    ASSERT_FALSE(scripted.messages().empty());
    EXPECT_EQ(scripted.messages().back().id, ids::kMsgManyPages);
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/riesig.pdf")));
}

TEST_F(PrintTest, EscapeStopsAJobAfterAsking)
{
    for (int i = 0; i < 300; ++i)
        AddRecord(doc, {"Name", "Ort", "Nummer"});
    printer.setOutputFileName(dir + QStringLiteral("/abgebrochen.pdf"));
    const TablePrintJob job(doc, MetricsOfPrinter(printer), {});
    ASSERT_GT(job.Layout().PageCount(), 3);
    // Esc during the second page; "Vorgang abbrechen?" answered Yes.
    scripted.pressEscapeAtPoll(2);
    scripted.queueAnswer(MsgResult::Yes);
    EXPECT_FALSE(PrintJobPages(printer, job, 1, job.Layout().PageCount()));
    EXPECT_TRUE(scripted.sawMessage(510));
    const auto &steps = scripted.progress();
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front().kind, ScriptedServices::ProgressEvent::Begin);
}

TEST_F(PrintTest, ThePreviewPaintsOnlyThePageItShows)
{
    CDataTable &table = doc.GetTable();
    for (int i = 0; i < 500; ++i)
        AddRecord(doc, {"Name", "Ort", "Nummer"});
    PrintPreviewWindow preview(doc, printer);
    preview.show();
    QCoreApplication::processEvents();
    ASSERT_GT(preview.PageCount(), 5);
    EXPECT_EQ(preview.CurrentPage(), 1);
    EXPECT_FALSE(preview.PreviousButton()->isEnabled());
    preview.NextButton()->click();
    preview.PageWidget()->repaint();
    EXPECT_EQ(preview.CurrentPage(), 2);
    EXPECT_LE(preview.PageWidget()->Paints(), 3);
    preview.ShowPage(preview.PageCount() + 10);
    EXPECT_EQ(preview.CurrentPage(), preview.PageCount());
    EXPECT_FALSE(preview.NextButton()->isEnabled());
    EXPECT_GE(table.GetRecordCount(), 503);

    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        preview.ShowPage(1);
        EXPECT_TRUE(preview.grab().save(shots + QStringLiteral("/orvel-print-preview.png")));
    }
}

} // namespace
