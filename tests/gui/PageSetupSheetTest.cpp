// "Seite einrichten" driven through its real pages: the fields to print,
// the font, options and paper, the margins with their check, header and
// footer with the placeholder menu, and what OK and Abbrechen leave in the
// document.
#include "DialogDriver.h"
#include "document/DocumentTestSupport.h"

#include "platform/Registry.h"
#include "print/ui/CPPPageSetupFields.h"
#include "print/ui/CPPPageSetupFont.h"
#include "print/ui/CPPPageSetupHeaders.h"
#include "print/ui/CPPPageSetupMargins.h"
#include "print/ui/CPPPageSetupOptions.h"
#include "print/ui/CPSPageSetup.h"
#include "print/ui/OrientationPicture.h"
#include "print/ui/PageSetupCommand.h"
#include "print/ui/SessionPrinter.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPageLayout>
#include <QPrinter>
#include <QTabWidget>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

// A4 at 600 dots per inch with borders of 5 mm at the top, 8 at the
// bottom, 4 at the left and 6 at the right (see the margin check's tests).
PrinterMetrics PrinterWithBorders()
{
    PrinterMetrics p;
    p.logPixelsX = p.logPixelsY = 600;
    p.physicalWidth = 4960;
    p.physicalHeight = 7016;
    p.offsetX = 100;
    p.offsetY = 120;
    p.horzRes = 4720;
    p.vertRes = 6696;
    p.horzSizeMm = 200;
    p.vertSizeMm = 283;
    return p;
}

void SetCheckMargins(int value)
{
    WinIni::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("CheckMargins"), value);
}

// Chooses a command from the placeholder menu as soon as it opens, with the
// keyboard as a user would.
void ChooseWhenMenuOpens(int command)
{
    QTimer::singleShot(0, [command] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction *action : menu->actions()) {
            if (action->data().toInt() == command)
                menu->setActiveAction(action);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

class PageSetupSheetTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SetCheckMargins(1);
        previous = SetPrinterMetricsSource([] { return std::optional(PrinterWithBorders()); });
        ResetSessionPrinter();
        AddField(doc, "Name");
        AddField(doc, "Betrag", FT_NUMERIC);
        AddField(doc, "Foto", FT_PICTURE);
        AddField(doc, "Notiz", FT_MEMO);
        AddField(doc, "Ort");
        // Name, Foto and Ort unprinted, Betrag and Notiz printed.
        doc.SetPrintFlags({0, 1, 0, 1, 0});
        PageSettings &page = doc.GetPageSettings();
        page.marginTop = page.marginBottom = page.marginLeft = page.marginRight = 20;
        page.pageHeader = "Seite ";
        doc.SetModifiedFlag(false);
    }
    void TearDown() override
    {
        SetPrinterMetricsSource(previous);
        SetCheckMargins(1);
        ResetSessionPrinter();
    }
    static void ResetSessionPrinter()
    {
        SessionPrinter &printer = SessionPrinter::Instance();
        printer.SelectPrinter(QString());
        printer.ApplyPaperSettings(PageSettings());
    }
    // Runs the command with `drive` on the open sheet.
    bool runSheet(std::function<void(CPSPageSetup &)> drive)
    {
        WhenShown<CPSPageSetup>([drive](CPSPageSetup &sheet) {
            drive(sheet);
            // A failed expectation must not leave the sheet waiting.
            if (sheet.isVisible()) {
                ADD_FAILURE() << "the sheet is still open";
                sheet.reject();
            }
        });
        return RunPageSetup(nullptr, doc);
    }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    PrinterMetricsSource previous;
};

TEST_F(PageSetupSheetTest, TheFivePagesComeInTheirOrderUnderTheirCaptions)
{
    runSheet([](CPSPageSetup &sheet) {
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Seite einrichten"));
        QStringList tabs;
        for (int i = 0; i < sheet.Tabs()->count(); ++i)
            tabs << sheet.Tabs()->tabText(i);
        EXPECT_EQ(tabs,
                  (QStringList{QStringLiteral("Datenfelder"), QStringLiteral("Schriftart"), QStringLiteral("Optionen"),
                               QStringLiteral("Ränder/Ausrichtung"), QStringLiteral("Kopf-/Fußzeile")}));
        EXPECT_EQ(sheet.ActivePage(), sheet.FieldsPage());
        sheet.reject();
    });
}

TEST_F(PageSetupSheetTest, SelectAllAndClearLeaveTheMediaFieldsAsTheyAre)
{
    runSheet([](CPSPageSetup &sheet) {
        CPPPageSetupFields *page = sheet.FieldsPage();
        QListWidget *list = page->FieldList();
        ASSERT_EQ(list->count(), 5);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral(" Name"));
        // Picture and memo fields are shown, disabled.
        EXPECT_FALSE(list->item(2)->flags().testFlag(Qt::ItemIsEnabled));
        EXPECT_FALSE(list->item(3)->flags().testFlag(Qt::ItemIsEnabled));
        EXPECT_TRUE(list->item(4)->flags().testFlag(Qt::ItemIsEnabled));

        QTest::mouseClick(page->SelectAllButton(), Qt::LeftButton);
        EXPECT_EQ(page->PrintFlags(), (std::vector<int>{1, 1, 0, 1, 1}));
        QTest::mouseClick(page->ClearButton(), Qt::LeftButton);
        EXPECT_EQ(page->PrintFlags(), (std::vector<int>{0, 0, 0, 1, 0}));

        // A field is checked with the keyboard, as in any list.
        list->setFocus();
        list->setCurrentRow(4);
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_EQ(page->PrintFlags(), (std::vector<int>{0, 0, 0, 1, 1}));
        sheet.accept();
    });
    EXPECT_EQ(doc.GetPrintFlags(), (std::vector<int>{0, 0, 0, 1, 1}));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(PageSetupSheetTest, EachPlaceholderIsAppendedToTheEditOfItsButton)
{
    const struct
    {
        int command;
        const char *appended;
    } placeholders[] = {{ID_PLACEHOLDER_PAGE, "&p"},       {ID_PLACEHOLDER_PATH, "&f"},
                        {ID_PLACEHOLDER_FILE_TIME, "&T"},  {ID_PLACEHOLDER_FILE_DATE, "&D"},
                        {ID_PLACEHOLDER_PRINT_TIME, "&t"}, {ID_PLACEHOLDER_PRINT_DATE, "&d"}};
    runSheet([&](CPSPageSetup &sheet) {
        CPPPageSetupHeaders *page = sheet.HeadersPage();
        sheet.SetActivePage(4);

        // The page number twice: twice "&p", and the footer stays empty.
        for (int i = 0; i < 2; ++i) {
            ChooseWhenMenuOpens(ID_PLACEHOLDER_PAGE);
            QTest::mouseClick(page->HeaderPlaceholderButton(), Qt::LeftButton);
        }
        EXPECT_EQ(page->HeaderEdit()->text(), QStringLiteral("Seite &p&p"));
        EXPECT_TRUE(page->FooterEdit()->text().isEmpty());

        QString expected;
        for (const auto &placeholder : placeholders) {
            ChooseWhenMenuOpens(placeholder.command);
            QTest::mouseClick(page->FooterPlaceholderButton(), Qt::LeftButton);
            expected += QLatin1String(placeholder.appended);
            EXPECT_EQ(page->FooterEdit()->text(), expected);
        }
        sheet.accept();
    });
    EXPECT_EQ(doc.GetPageSettings().pageHeader, "Seite &p&p");
    EXPECT_EQ(doc.GetPageSettings().pageFooter, "&p&f&T&D&t&d");
}

TEST_F(PageSetupSheetTest, MarginsBelowThePrintersBordersKeepTheUserOnThePageWithMessageEight)
{
    runSheet([this](CPSPageSetup &sheet) {
        CPPPageSetupMargins *page = sheet.MarginsPage();
        sheet.Tabs()->setCurrentIndex(3);
        ASSERT_EQ(sheet.ActivePage(), page);
        page->TopEdit()->setText(QStringLiteral("0"));
        page->RightEdit()->setText(QStringLiteral("2"));

        sheet.Tabs()->setCurrentIndex(4);
        EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgMarginsAdjusted});
        EXPECT_EQ(sheet.ActivePage(), page);
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 3);
        EXPECT_EQ(page->TopEdit()->text(), QStringLiteral("5"));
        EXPECT_EQ(page->RightEdit()->text(), QStringLiteral("6"));
        EXPECT_EQ(page->BottomEdit()->text(), QStringLiteral("20"));

        // The corrected margins pass.
        scripted.clear();
        sheet.Tabs()->setCurrentIndex(4);
        EXPECT_TRUE(scripted.messageIds().empty());
        EXPECT_EQ(sheet.ActivePage(), sheet.HeadersPage());
        sheet.accept();
    });
    const PageSettings &page = doc.GetPageSettings();
    EXPECT_EQ(page.marginTop, 5);
    EXPECT_EQ(page.marginRight, 6);
    EXPECT_EQ(page.marginBottom, 20);
}

TEST_F(PageSetupSheetTest, OpeningTheMarginsPageCorrectsTheMarginsSilently)
{
    PageSettings &settings = doc.GetPageSettings();
    settings.marginTop = settings.marginBottom = settings.marginLeft = settings.marginRight = 0;
    runSheet([this](CPSPageSetup &sheet) {
        sheet.SetActivePage(3);
        CPPPageSetupMargins *page = sheet.MarginsPage();
        EXPECT_EQ(page->Margins(), (PageMargins{5, 8, 4, 6}));
        EXPECT_TRUE(scripted.messageIds().empty());
        sheet.accept();
    });
    EXPECT_EQ(doc.GetPageSettings().marginBottom, 8);
    EXPECT_TRUE(scripted.messageIds().empty());
}

TEST_F(PageSetupSheetTest, WithCheckMarginsZeroMarginsOfZeroAreKept)
{
    SetCheckMargins(0);
    runSheet([](CPSPageSetup &sheet) {
        sheet.SetActivePage(3);
        CPPPageSetupMargins *page = sheet.MarginsPage();
        for (QLineEdit *edit : {page->TopEdit(), page->BottomEdit(), page->LeftEdit(), page->RightEdit()})
            edit->setText(QStringLiteral("0"));
        sheet.accept();
    });
    const PageSettings &page = doc.GetPageSettings();
    EXPECT_EQ((PageMargins{page.marginTop, page.marginBottom, page.marginLeft, page.marginRight}), PageMargins{});
    EXPECT_TRUE(scripted.messageIds().empty());
}

TEST_F(PageSetupSheetTest, MarginsThatAreNoWholeNumbersFromZeroToTwoThousandAreRefused)
{
    const struct
    {
        int edit;
        const char *text;
        int message;
    } cases[] = {{0, "", ids::kMsgEnterInteger},
                 {1, "2001", ids::kMsgEnterIntegerBetween},
                 {2, "99999", ids::kMsgEnterIntegerBetween},
                 {3, " ", ids::kMsgEnterInteger}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        scripted.clear();
        runSheet([&](CPSPageSetup &sheet) {
            sheet.SetActivePage(3);
            CPPPageSetupMargins *page = sheet.MarginsPage();
            QLineEdit *const edits[] = {page->TopEdit(), page->BottomEdit(), page->LeftEdit(), page->RightEdit()};
            edits[c.edit]->setText(QString::fromLatin1(c.text));
            // OK keeps the sheet open on the page.
            sheet.accept();
            EXPECT_TRUE(sheet.isVisible());
            EXPECT_EQ(sheet.ActivePage(), page);
            EXPECT_EQ(scripted.messageIds(), std::vector<int>{c.message});
            sheet.reject();
        });
    }
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(PageSetupSheetTest, OkWritesEveryPageBackAndAppliesThePaperCancelChangesNothing)
{
    ChosenFont chosen;
    chosen.font = StockFont(DEFAULT_GUI_FONT);
    chosen.font.setFaceName("Times New Roman");
    chosen.font.lfHeight = -16;
    chosen.pointSizeTenths = 120;
    const auto change = [&](CPSPageSetup &sheet) {
        scripted.queueFont(chosen);
        QTest::mouseClick(sheet.FontPage()->ChooseButton(), Qt::LeftButton);
        EXPECT_EQ(sheet.FontPage()->FontDescription()->text(), QStringLiteral("Times New Roman, 12 Punkte"));

        CPPPageSetupOptions *options = sheet.OptionsPage();
        options->SizeBox()->setCurrentIndex(options->SizeBox()->findData(11)); // A5
        QTest::mouseClick(options->OrientationButton(true), Qt::LeftButton);
        EXPECT_TRUE(options->Picture()->IsLandscape());
        QTest::mouseClick(options->NumbersBox(), Qt::LeftButton);
        QTest::mouseClick(options->LineButton(PageSettings::Dotted), Qt::LeftButton);

        sheet.SetActivePage(3);
        sheet.MarginsPage()->LeftEdit()->setText(QStringLiteral("15"));
        QTest::mouseClick(sheet.MarginsPage()->AlignmentButton(PageSettings::Centred), Qt::LeftButton);
        sheet.HeadersPage()->FooterEdit()->setText(QStringLiteral("Stand: &d"));
    };

    const PageSettings before = doc.GetPageSettings();
    runSheet([&](CPSPageSetup &sheet) {
        change(sheet);
        sheet.reject();
    });
    EXPECT_EQ(doc.GetPageSettings(), before);
    EXPECT_FALSE(doc.IsModified());

    EXPECT_TRUE(runSheet([&](CPSPageSetup &sheet) {
        change(sheet);
        sheet.accept();
    }));
    PageSettings expected = before;
    expected.printFont = chosen.font;
    expected.paperSize = 11;
    expected.orientation = PageSettings::kLandscape;
    expected.numberRecords = 0;
    expected.lineStyle = PageSettings::Dotted;
    expected.marginLeft = 15;
    expected.alignment = PageSettings::Centred;
    expected.pageFooter = "Stand: &d";
    EXPECT_EQ(doc.GetPageSettings(), expected);
    EXPECT_TRUE(doc.IsModified());
    // The printer prints on the new paper.
    const QPageLayout layout = SessionPrinter::Instance().Printer().pageLayout();
    EXPECT_EQ(layout.pageSize().id(), QPageSize::A5);
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);

    // OK without a change leaves the document unmodified.
    doc.SetModifiedFlag(false);
    runSheet([](CPSPageSetup &sheet) { sheet.accept(); });
    EXPECT_EQ(doc.GetPageSettings(), expected);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(PageSetupSheetTest, OutOfRangeSettingsFromAFileAreShownSanelyAndKeptUntilChanged)
{
    PageSettings &settings = doc.GetPageSettings();
    settings.marginTop = -5;
    settings.marginBottom = 30000;
    settings.paperSize = 999;
    settings.paperSource = 300;
    settings.orientation = 0;
    settings.lineStyle = 9;
    settings.alignment = 7;
    settings.printFieldNames = 2;
    settings.printFont.lfHeight = 5000;
    settings.pageHeader = AnsiString(255, 'x');
    const PageSettings stored = settings;
    SetCheckMargins(0);

    runSheet([](CPSPageSetup &sheet) {
        CPPPageSetupFont *font = sheet.FontPage();
        EXPECT_TRUE(font->FontDescription()->text().endsWith(QStringLiteral(" Punkte")));
        sheet.SetActivePage(1);
        sheet.grab();
        sheet.SetActivePage(2);
        CPPPageSetupOptions *options = sheet.OptionsPage();
        // An unknown paper prints on A4, which the list shows.
        EXPECT_EQ(options->SizeBox()->currentData().toInt(), 9);
        EXPECT_TRUE(options->OrientationButton(false)->isChecked());
        EXPECT_TRUE(options->FieldNamesBox()->isChecked());
        for (int style = 0; style < 6; ++style)
            EXPECT_FALSE(options->LineButton(style)->isChecked());

        sheet.SetActivePage(3);
        CPPPageSetupMargins *margins = sheet.MarginsPage();
        EXPECT_EQ(margins->TopEdit()->text(), QStringLiteral("0"));
        EXPECT_EQ(margins->BottomEdit()->text(), QStringLiteral("2000"));
        for (int alignment = 0; alignment < 3; ++alignment)
            EXPECT_FALSE(margins->AlignmentButton(alignment)->isChecked());

        // The whole header is shown, not cut to what the edit takes.
        EXPECT_EQ(sheet.HeadersPage()->HeaderEdit()->text().size(), 255);
        sheet.accept();
    });
    // Only the margins, which the page could not show, changed.
    PageSettings expected = stored;
    expected.marginTop = 0;
    expected.marginBottom = 2000;
    EXPECT_EQ(doc.GetPageSettings(), expected);

    // A font of height 0 is the stock font's size.
    doc.GetPageSettings().printFont.lfHeight = 0;
    runSheet([](CPSPageSetup &sheet) {
        EXPECT_TRUE(sheet.FontPage()->FontDescription()->text().contains(QStringLiteral(", ")));
        sheet.reject();
    });
}

TEST_F(PageSetupSheetTest, APrinterWithoutPaperOrBinListsLeavesTheStoredCodes)
{
    PageSettings settings;
    settings.paperSize = 5;
    settings.paperSource = 4;
    CPPPageSetupOptions empty(settings, PaperOffer{});
    EXPECT_EQ(empty.SizeBox()->count(), 0);
    EXPECT_EQ(empty.SourceBox()->count(), 0);
    PageSettings stored = settings;
    empty.Store(stored);
    EXPECT_EQ(stored, settings);

    // With bins, the chosen one is stored; the one it opened on is not
    // forced on a document that had none.
    PaperOffer offer;
    offer.sizes = {{QStringLiteral("A4"), 9}, {QStringLiteral("Legal"), 5}};
    offer.sources = {{QStringLiteral("Automatisch"), 7}, {QStringLiteral("Manuelle Zufuhr"), 4}};
    offer.size = 5;
    offer.source = 7;
    settings.paperSource = 0;
    CPPPageSetupOptions page(settings, offer);
    EXPECT_EQ(page.SizeBox()->currentText(), QStringLiteral("Legal"));
    EXPECT_EQ(page.SourceBox()->currentText(), QStringLiteral("Automatisch"));
    stored = settings;
    page.Store(stored);
    EXPECT_EQ(stored.paperSource, 0);
    page.SourceBox()->setCurrentIndex(1);
    page.Store(stored);
    EXPECT_EQ(stored.paperSource, 4);
}

// With ORVEL_SCREENSHOT_DIR set, every page of the sheet is saved as a
// picture there.
TEST_F(PageSetupSheetTest, Screenshots)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "no ORVEL_SCREENSHOT_DIR";
    CPSPageSetup sheet(doc.GetPageSettings(), doc.GetTable(), SessionPrinter::Instance().Offer());
    sheet.show();
    const char *names[] = {"fields", "font", "options", "margins", "headers"};
    for (int i = 0; i < 5; ++i) {
        sheet.SetActivePage(i);
        QCoreApplication::processEvents();
        EXPECT_TRUE(sheet.grab().save(shots + QStringLiteral("/orvel-page-setup-%1.png").arg(QLatin1String(names[i]))));
    }
    QTest::mouseClick(sheet.OptionsPage()->OrientationButton(true), Qt::LeftButton);
    sheet.SetActivePage(2);
    EXPECT_TRUE(sheet.grab().save(shots + QStringLiteral("/orvel-page-setup-options-landscape.png")));
}

} // namespace
