// The session's printer: its metrics, the paper a document brings to it
// (on the page setup, on OK, when a window becomes active), "Drucker
// einrichten...", F7 in the program, and the page setup surviving a save.
#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "print/ui/CPPPageSetupHeaders.h"
#include "print/ui/CPPPageSetupMargins.h"
#include "print/ui/CPPPageSetupOptions.h"
#include "print/ui/CPSPageSetup.h"
#include "print/ui/PrinterSetupDialog.h"
#include "print/ui/SessionPrinter.h"
#include "resources/CommandIds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

SessionPrinter &session()
{
    return SessionPrinter::Instance();
}

void ResetSessionPrinter()
{
    session().SelectPrinter(QString());
    session().ApplyPaperSettings(PageSettings());
}

QPageSize::PageSizeId PrinterPaper()
{
    return session().Printer().pageLayout().pageSize().id();
}

// Drives the dialog when it opens; a failed expectation that leaves it open
// closes it, so that the test fails instead of waiting.
template<class D>
void DriveAndClose(std::function<void(D &)> drive)
{
    WhenShown<D>([drive](D &dialog) {
        drive(dialog);
        if (dialog.isVisible()) {
            ADD_FAILURE() << "the dialog is still open";
            dialog.reject();
        }
    });
}

class SessionPrinterTest : public testing::Test
{
protected:
    void SetUp() override { ResetSessionPrinter(); }
    void TearDown() override { ResetSessionPrinter(); }
};

TEST_F(SessionPrinterTest, APdfPrinterHasNoBordersAndTurnsWithThePaper)
{
    if (!SessionPrinter::AvailablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed";
    EXPECT_FALSE(session().HasPrinter());
    EXPECT_TRUE(session().PrinterName().isEmpty());
    EXPECT_EQ(session().Printer().outputFormat(), QPrinter::PdfFormat);

    const std::optional<PrinterMetrics> portrait = session().Metrics();
    ASSERT_TRUE(portrait);
    EXPECT_EQ(portrait->horzSizeMm, 210);
    EXPECT_EQ(portrait->vertSizeMm, 297);
    EXPECT_EQ(portrait->offsetX, 0);
    EXPECT_EQ(portrait->offsetY, 0);
    EXPECT_EQ(portrait->horzRes, portrait->physicalWidth);
    EXPECT_EQ(portrait->vertRes, portrait->physicalHeight);
    // 210 mm at the printer's resolution (Qt keeps A4 in whole points).
    EXPECT_NEAR(portrait->physicalWidth, 210 / 25.4 * portrait->logPixelsX, portrait->logPixelsX / 25.4);

    PageSettings landscape;
    landscape.orientation = PageSettings::kLandscape;
    landscape.paperSize = 11; // A5
    session().ApplyPaperSettings(landscape);
    const std::optional<PrinterMetrics> turned = session().Metrics();
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->horzSizeMm, 210);
    EXPECT_EQ(turned->vertSizeMm, 148);
    EXPECT_EQ(session().Orientation(), PageSettings::kLandscape);

    // The program's printer is what printing and the margin check see.
    const PrinterMetricsSource previous = SetPrinterMetricsSource({});
    SessionPrinter::Install();
    EXPECT_EQ(CurrentPrinterMetrics(), turned);
    SetPrinterMetricsSource(previous);
}

TEST_F(SessionPrinterTest, ADocumentsPaperCodesBecomeThePrinters)
{
    const struct
    {
        int16_t code;
        QPageSize::PageSizeId size;
    } cases[] = {{9, QPageSize::A4}, {1, QPageSize::Letter}, {8, QPageSize::A3}, {999, QPageSize::A4}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        PageSettings settings;
        settings.paperSize = c.code;
        session().ApplyPaperSettings(settings);
        EXPECT_EQ(PrinterPaper(), c.size);
    }
    // An orientation code the printer does not know leaves its own.
    PageSettings odd;
    odd.orientation = PageSettings::kLandscape;
    session().ApplyPaperSettings(odd);
    odd.orientation = 7;
    session().ApplyPaperSettings(odd);
    EXPECT_EQ(session().Orientation(), PageSettings::kLandscape);
}

class PageSetupAppTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        ResetSessionPrinter();
        WinIni::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("CheckMargins"), 1);
    }
    void TearDown() override
    {
        AppTest::TearDown();
        ResetSessionPrinter();
    }
    COrvelDoc &document(int i = 0) { return *docs().GetDocuments().at(std::size_t(i)); }
};

TEST_F(PageSetupAppTest, FSevenOpensThePageSetupAndTheSettingsSurviveSaveAndReopen)
{
    const QString file = writeSampleDatabase("liste.ovd");
    start({file});
    ASSERT_TRUE(enabled(ID_PAGE_SETUP));
    EXPECT_EQ(router().Action(ID_PAGE_SETUP)->shortcut(), QKeySequence(Qt::Key_F7));

    DriveAndClose<CPSPageSetup>([](CPSPageSetup &sheet) {
        CPPPageSetupOptions *options = sheet.OptionsPage();
        options->SizeBox()->setCurrentIndex(options->SizeBox()->findData(5)); // Legal
        QTest::mouseClick(options->OrientationButton(true), Qt::LeftButton);
        QTest::mouseClick(options->LineButton(PageSettings::DashDot), Qt::LeftButton);
        sheet.SetActivePage(4);
        sheet.HeadersPage()->HeaderEdit()->setText(QStringLiteral("Adressen – Seite &p"));
        sheet.SetActivePage(3);
        sheet.MarginsPage()->TopEdit()->setText(QStringLiteral("25"));
        QTest::mouseClick(sheet.MarginsPage()->AlignmentButton(PageSettings::Right), Qt::LeftButton);
        sheet.accept();
    });
    router().UpdateAll();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F7);
    ASSERT_TRUE(document().IsModified());
    ASSERT_TRUE(router().Execute(ID_FILE_SAVE));
    ASSERT_FALSE(document().IsModified());

    QProcess cli;
    cli.start(qEnvironmentVariable("ORVEL_CLI"), {QStringLiteral("dump"), file});
    ASSERT_TRUE(cli.waitForFinished(30000));
    const QJsonObject page =
            QJsonDocument::fromJson(cli.readAllStandardOutput()).object().value(QStringLiteral("page")).toObject();
    EXPECT_EQ(page.value(QStringLiteral("size")).toInt(), 5);
    EXPECT_EQ(page.value(QStringLiteral("orientation")).toInt(), 2);
    EXPECT_EQ(page.value(QStringLiteral("lines")).toInt(), 4);
    EXPECT_EQ(page.value(QStringLiteral("alignment")).toInt(), 2);
    EXPECT_EQ(page.value(QStringLiteral("header")).toString(), QStringLiteral("Adressen – Seite &p"));
    EXPECT_EQ(page.value(QStringLiteral("margins")).toObject().value(QStringLiteral("top")).toInt(), 25);

    // Reopened, the sheet shows what was saved.
    ASSERT_TRUE(docs().CloseDocument(document(), false));
    ASSERT_NE(app->OpenDocumentFile(file), nullptr);
    DriveAndClose<CPSPageSetup>([](CPSPageSetup &sheet) {
        EXPECT_TRUE(sheet.OptionsPage()->OrientationButton(true)->isChecked());
        EXPECT_EQ(sheet.OptionsPage()->SizeBox()->currentData().toInt(), 5);
        EXPECT_EQ(sheet.MarginsPage()->TopEdit()->text(), QStringLiteral("25"));
        EXPECT_EQ(sheet.HeadersPage()->HeaderEdit()->text(), QStringLiteral("Adressen – Seite &p"));
        sheet.reject();
    });
    ASSERT_TRUE(router().Execute(ID_PAGE_SETUP));
    EXPECT_FALSE(document().IsModified());
}

TEST_F(PageSetupAppTest, TheActiveWindowsDocumentBringsItsPaperToThePrinter)
{
    start({});
    const auto writeWithPaper = [this](const char *name, int16_t size, int16_t orientation) {
        COrvelDoc doc;
        AddField(doc, "Name");
        doc.GetPageSettings().paperSize = size;
        doc.GetPageSettings().orientation = orientation;
        const QString file = path(name);
        EXPECT_TRUE(doc.Save(file, 1, true));
        return file;
    };
    const QString a5 = writeWithPaper("a5.ovd", 11, PageSettings::kLandscape);
    const QString letter = writeWithPaper("letter.ovd", 1, PageSettings::kPortrait);
    ASSERT_NE(app->OpenDocumentFile(a5), nullptr);
    EXPECT_EQ(PrinterPaper(), QPageSize::A5);
    EXPECT_EQ(session().Orientation(), PageSettings::kLandscape);
    ASSERT_NE(app->OpenDocumentFile(letter), nullptr);
    EXPECT_EQ(PrinterPaper(), QPageSize::Letter);
    EXPECT_EQ(session().Orientation(), PageSettings::kPortrait);

    // Back to the first window: back to its paper.
    app->OpenDocumentFile(a5);
    QCoreApplication::processEvents();
    EXPECT_EQ(PrinterPaper(), QPageSize::A5);
    EXPECT_EQ(session().Orientation(), PageSettings::kLandscape);
}

TEST_F(PageSetupAppTest, PrinterSetupIsConfirmedWithOkAndHoldsForTheSession)
{
    start({});
    const bool noPrinter = SessionPrinter::AvailablePrinters().isEmpty();

    // Abbrechen changes nothing.
    DriveAndClose<PrinterSetupDialog>([](PrinterSetupDialog &dialog) {
        QTest::mouseClick(dialog.OrientationButton(true), Qt::LeftButton);
        dialog.reject();
    });
    ASSERT_TRUE(router().Execute(ID_FILE_PRINT_SETUP));
    EXPECT_EQ(session().Orientation(), PageSettings::kPortrait);

    DriveAndClose<PrinterSetupDialog>([noPrinter](PrinterSetupDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Drucker einrichten"));
        EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));
        if (noPrinter) {
            EXPECT_FALSE(dialog.NoPrinterLabel()->isHidden());
            EXPECT_FALSE(dialog.PrinterBox()->isEnabled());
            EXPECT_EQ(dialog.PrinterBox()->currentText(), QStringLiteral("PDF-Datei"));
        }
        EXPECT_EQ(dialog.SizeBox()->currentData().toInt(), 9);
        dialog.SizeBox()->setCurrentIndex(dialog.SizeBox()->findData(8)); // A3
        QTest::mouseClick(dialog.OrientationButton(true), Qt::LeftButton);
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(router().Execute(ID_FILE_PRINT_SETUP));
    EXPECT_EQ(PrinterPaper(), QPageSize::A3);
    EXPECT_EQ(session().Orientation(), PageSettings::kLandscape);
    const std::optional<PrinterMetrics> metrics = CurrentPrinterMetrics();
    ASSERT_TRUE(metrics);
    EXPECT_GT(metrics->physicalWidth, metrics->physicalHeight);
    if (noPrinter) {
        EXPECT_EQ(session().Printer().outputFormat(), QPrinter::PdfFormat);
    }

    // The next time the dialog opens on that choice.
    DriveAndClose<PrinterSetupDialog>([](PrinterSetupDialog &dialog) {
        EXPECT_EQ(dialog.SizeBox()->currentData().toInt(), 8);
        EXPECT_TRUE(dialog.OrientationButton(true)->isChecked());
        dialog.reject();
    });
    router().Execute(ID_FILE_PRINT_SETUP);
}

// With ORVEL_SCREENSHOT_DIR set, "Drucker einrichten" is saved as a picture
// there.
TEST_F(SessionPrinterTest, ScreenshotOfThePrinterSetup)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "no ORVEL_SCREENSHOT_DIR";
    PrinterSetupDialog dialog(session());
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.grab().save(shots + QStringLiteral("/orvel-printer-setup.png")));
}

} // namespace
