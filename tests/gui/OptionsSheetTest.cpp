// "Einstellungen" in the running program: its three pages, the delimiter
// menu, what OK writes and lays out again, and that Abbrechen leaves the
// settings and the open views alone.
#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "app/ui/CPPOptionsGeneral.h"
#include "app/ui/CPPOptionsSDF.h"
#include "app/ui/CPPOptionsView.h"
#include "app/ui/CPSOptions.h"
#include "document/DocumentOptions.h"
#include "listview/ListGrid.h"
#include "listview/OrvelView.h"
#include "platform/gfx/FontConversion.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

// Counts what a widget is asked to paint and how often it is resized.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    int resizes = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        else if (event->type() == QEvent::Resize)
            ++resizes;
        return false;
    }
};

// Chooses a delimiter from the menu as soon as it opens, with the keyboard.
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

ChosenFont TimesAt14Points()
{
    ChosenFont chosen;
    chosen.font.lfHeight = -19;
    chosen.font.lfWeight = 700;
    chosen.font.lfItalic = 1;
    chosen.font.lfStrikeOut = 1;
    chosen.font.lfOutPrecision = 3;
    chosen.font.setFaceName("Times New Roman");
    chosen.pointSizeTenths = 140;
    return chosen;
}

class OptionsSheetTest : public AppTest
{
protected:
    // Runs "&Einstellungen..." with `drive` on the open sheet.
    void runSheet(std::function<void(CPSOptions &)> drive)
    {
        WhenShown<CPSOptions>([drive](CPSOptions &sheet) {
            drive(sheet);
            if (sheet.isVisible()) {
                ADD_FAILURE() << "the sheet is still open";
                sheet.reject();
            }
        });
        router().Execute(ID_OPTIONS);
    }

    // Changes a value on every page.
    void changeEverything(CPSOptions &sheet)
    {
        CPPOptionsGeneral *general = sheet.GeneralPage();
        ClickBox(general->StartWindowBox());
        ClickBox(general->ViewButton(0));
        ClickBox(general->RelativePathsBox());
        general->DialPrefixEdit()->setText(QStringLiteral("0"));

        sheet.SetActivePage(1);
        scripted.queueFont(TimesAt14Points());
        QTest::mouseClick(sheet.ViewPage()->ChooseButton(), Qt::LeftButton);

        sheet.SetActivePage(2);
        CPPOptionsSDF *sdf = sheet.SdfPage();
        ChooseWhenMenuOpens(ID_DELIMITER_SEMICOLON);
        QTest::mouseClick(sdf->FieldDelimiterButton(), Qt::LeftButton);
        ChooseWhenMenuOpens(ID_DELIMITER_SINGLE_QUOTE);
        QTest::mouseClick(sdf->DataDelimiterButton(), Qt::LeftButton);
        ClickBox(sdf->CharSetButton(1));
    }
};

TEST_F(OptionsSheetTest, ThePagesComeInTheirOrderAndShowTheSettings)
{
    Registry::WriteProfileString(QStringLiteral("Settings"), QStringLiteral("DialPrefix"), QStringLiteral("0"));
    Registry::WriteProfileInt(QStringLiteral("SDF-Options"), QStringLiteral("Data Delimiter"), 39);
    start();
    runSheet([](CPSOptions &sheet) {
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Einstellungen"));
        QStringList tabs;
        for (int i = 0; i < sheet.Tabs()->count(); ++i)
            tabs << sheet.Tabs()->tabText(i);
        EXPECT_EQ(tabs, (QStringList{QStringLiteral("Allgemeines"), QStringLiteral("Listenansicht"),
                                     QStringLiteral("SDF-Dateifilter"), QStringLiteral("CSV-Dateien")}));
        CPPOptionsGeneral *general = sheet.GeneralPage();
        // The tests start without the "Neu" dialog.
        EXPECT_FALSE(general->StartWindowBox()->isChecked());
        EXPECT_TRUE(general->ViewButton(1)->isChecked());
        EXPECT_FALSE(general->RelativePathsBox()->isChecked());
        EXPECT_FALSE(general->CompressBlobsBox()->isVisibleTo(general));
        EXPECT_EQ(general->DialPrefixEdit()->text(), QStringLiteral("0"));
        // The stock grid font, by its name and size.
        EXPECT_TRUE(sheet.ViewPage()->FontDescription()->text().startsWith(QStringLiteral("MS Sans Serif, ")));
        EXPECT_TRUE(sheet.ViewPage()->FontDescription()->text().endsWith(QStringLiteral(" Punkte")));
        EXPECT_EQ(sheet.SdfPage()->FieldDelimiterEdit()->text(), QStringLiteral("44"));
        EXPECT_EQ(sheet.SdfPage()->DataDelimiterEdit()->text(), QStringLiteral("39"));
        EXPECT_TRUE(sheet.SdfPage()->CharSetButton(0)->isChecked());
        sheet.reject();
    });
}

TEST_F(OptionsSheetTest, EachMenuItemPutsItsCodeIntoTheEditOfItsButton)
{
    const struct
    {
        int command;
        const char *code;
        const char *shown;
    } items[] = {{ID_DELIMITER_TAB, "9", " "},
                 {ID_DELIMITER_DOUBLE_QUOTE, "34", "\""},
                 {ID_DELIMITER_SINGLE_QUOTE, "39", "'"},
                 {ID_DELIMITER_COMMA, "44", ","},
                 {ID_DELIMITER_SEMICOLON, "59", ";"}};
    start();
    runSheet([&](CPSOptions &sheet) {
        sheet.SetActivePage(2);
        CPPOptionsSDF *page = sheet.SdfPage();
        for (const auto &item : items) {
            SCOPED_TRACE(item.code);
            ChooseWhenMenuOpens(item.command);
            QTest::mouseClick(page->FieldDelimiterButton(), Qt::LeftButton);
            EXPECT_EQ(page->FieldDelimiterEdit()->text(), QLatin1String(item.code));
            EXPECT_EQ(page->DataDelimiterEdit()->text(), QStringLiteral("34"));
        }
        ChooseWhenMenuOpens(ID_DELIMITER_TAB);
        QTest::mouseClick(page->DataDelimiterButton(), Qt::LeftButton);
        EXPECT_EQ(page->DataDelimiterEdit()->text(), QStringLiteral("9"));
        EXPECT_EQ(page->FieldDelimiterEdit()->text(), QStringLiteral("59"));

        // The items show the character, then the name and code.
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            QStringList texts;
            for (QAction *action : menu->actions())
                texts << action->text();
            EXPECT_EQ(texts.size(), 5);
            for (int i = 0; i < texts.size() && i < 5; ++i)
                EXPECT_TRUE(texts[i].startsWith(QString::fromLatin1(items[i].shown) + QLatin1Char('\t')))
                        << texts[i].toStdString();
            EXPECT_EQ(texts.value(1), QStringLiteral("\"\tDoppelte Anführungszeichen #34"));
            menu->close();
        });
        QTest::mouseClick(page->FieldDelimiterButton(), Qt::LeftButton);
        EXPECT_EQ(page->FieldDelimiterEdit()->text(), QStringLiteral("59"));
        sheet.reject();
    });
}

TEST_F(OptionsSheetTest, DelimitersThatAreNoCodesFromOneTo255AreRefused)
{
    const struct
    {
        int edit;
        const char *text;
        int message;
    } cases[] = {{0, "0", ids::kMsgEnterIntegerBetween},
                 {1, "256", ids::kMsgEnterIntegerBetween},
                 {0, "", ids::kMsgEnterInteger},
                 {1, "x", ids::kMsgEnterInteger}};
    start();
    const AppSettings before = app->GetSettings();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        scripted.clear();
        runSheet([&](CPSOptions &sheet) {
            sheet.SetActivePage(2);
            CPPOptionsSDF *page = sheet.SdfPage();
            QLineEdit *const edits[] = {page->FieldDelimiterEdit(), page->DataDelimiterEdit()};
            edits[c.edit]->setText(QString::fromLatin1(c.text));
            // Neither another page nor OK leaves the page.
            sheet.Tabs()->setCurrentIndex(0);
            EXPECT_EQ(sheet.ActivePage(), page);
            sheet.accept();
            EXPECT_TRUE(sheet.isVisible());
            EXPECT_EQ(scripted.messageIds(), (std::vector<int>{c.message, c.message}));
            sheet.reject();
        });
    }
    EXPECT_EQ(app->GetSettings(), before);
}

TEST_F(OptionsSheetTest, DamagedDelimitersInTheSettingsFileTakeTheirDefaults)
{
    const struct
    {
        int field;
        int data;
        int expectedField;
        int expectedData;
    } cases[] = {{0, 300, 44, 34}, {-5, 256, 44, 34}, {255, 1, 255, 1}, {9, 59, 9, 59}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        Registry::WriteProfileInt(QStringLiteral("SDF-Options"), QStringLiteral("Field Delimiter"), c.field);
        Registry::WriteProfileInt(QStringLiteral("SDF-Options"), QStringLiteral("Data Delimiter"), c.data);
        const DocumentOptions options = DocumentOptions::FromSettings();
        EXPECT_EQ(options.sdfFieldDelimiter, c.expectedField);
        EXPECT_EQ(options.sdfDataDelimiter, c.expectedData);
    }
    Registry::WriteProfileInt(QStringLiteral("SDF-Options"), QStringLiteral("Field Delimiter"), 1000);
    start();
    EXPECT_EQ(app->GetSettings().sdfFieldDelimiter, 44);
    runSheet([](CPSOptions &sheet) {
        EXPECT_EQ(sheet.SdfPage()->FieldDelimiterEdit()->text(), QStringLiteral("44"));
        sheet.reject();
    });
}

TEST_F(OptionsSheetTest, CancelChangesNoSettingAndRepaintsNoView)
{
    start({writeSampleDatabase("Adressen.ovd")});
    ASSERT_TRUE(app->OpenDocumentFile(writeSampleDatabase("Kunden.ovd")));
    QCoreApplication::processEvents();
    const std::vector<COrvelView *> views = frame().GetRegisteredViews();
    ASSERT_EQ(views.size(), 2u);
    PaintCounter counter;
    for (COrvelView *view : views) {
        ASSERT_NE(view->GetGrid(), nullptr);
        view->installEventFilter(&counter);
        view->GetGrid()->viewport()->installEventFilter(&counter);
    }
    const AppSettings before = app->GetSettings();
    Registry::Flush();
    const QFont gridFont = views[0]->GetGrid()->GridFont();

    runSheet([this](CPSOptions &sheet) {
        changeEverything(sheet);
        sheet.reject();
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(app->GetSettings(), before);
    EXPECT_EQ(ReadFont(QStringLiteral("GridFont")), before.gridFont);
    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("SDF-Options"), QStringLiteral("Field Delimiter"), 44), 44);
    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("StandardView"), -1), 1);
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(counter.resizes, 0);
    EXPECT_EQ(views[0]->GetGrid()->GridFont(), gridFont);
}

TEST_F(OptionsSheetTest, OkWritesEveryPageAndLaysOutTheOpenListsInTheNewFont)
{
    start({writeSampleDatabase("Adressen.ovd")});
    ASSERT_TRUE(app->OpenDocumentFile(writeSampleDatabase("Kunden.ovd")));
    QCoreApplication::processEvents();
    const std::vector<COrvelView *> views = frame().GetRegisteredViews();
    ASSERT_EQ(views.size(), 2u);
    const AppSettings before = app->GetSettings();
    PaintCounter counter;
    for (COrvelView *view : views)
        view->GetGrid()->viewport()->installEventFilter(&counter);

    runSheet([this](CPSOptions &sheet) {
        changeEverything(sheet);
        EXPECT_EQ(sheet.ViewPage()->FontDescription()->text(), QStringLiteral("Times New Roman, 14 Punkte"));
        sheet.accept();
    });

    AppSettings expected = before;
    expected.startWindow = 1;
    expected.standardView = 0;
    expected.relativePaths = 1;
    expected.dialPrefix = QStringLiteral("0");
    // What the settings cannot keep is not taken.
    expected.gridFont = TimesAt14Points().font;
    expected.gridFont.lfStrikeOut = expected.gridFont.lfOutPrecision = 0;
    expected.sdfFieldDelimiter = 59;
    expected.sdfDataDelimiter = 39;
    expected.sdfCharSet = 1;
    EXPECT_EQ(app->GetSettings(), expected);
    // Written at once, not only at the end of the program.
    EXPECT_EQ(ReadFont(QStringLiteral("GridFont")), expected.gridFont);
    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("SDF-Options"), QStringLiteral("Field Delimiter"), 0), 59);
    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("StandardView"), -1), 0);
    EXPECT_EQ(DocumentOptions::FromSettings().sdfCharSet, 1);

    QCoreApplication::processEvents();
    // The child windows are maximised: only the front one is painted.
    EXPECT_GE(counter.paints, 1);
    // Every open list measures and paints with the new font straight away.
    for (COrvelView *view : views) {
        CListGrid *grid = view->GetGrid();
        ASSERT_NE(grid, nullptr);
        const QFont font = LogFontToQFont(expected.gridFont, grid->logicalDpiY());
        EXPECT_EQ(grid->GridFont(), font);
        EXPECT_TRUE(grid->GridFont().italic());
        EXPECT_GE(grid->Metrics().lineHeight, QFontMetrics(font).height());
    }
}

// With ORVEL_SCREENSHOT_DIR set, every page of the sheet and the delimiter
// menu are saved as pictures there.
TEST_F(OptionsSheetTest, Screenshots)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "no ORVEL_SCREENSHOT_DIR";
    start();
    runSheet([&](CPSOptions &sheet) {
        const char *names[] = {"general", "view", "sdf"};
        for (int i = 0; i < 3; ++i) {
            sheet.SetActivePage(i);
            QCoreApplication::processEvents();
            EXPECT_TRUE(
                    sheet.grab().save(shots + QStringLiteral("/orvel-options-%1.png").arg(QLatin1String(names[i]))));
        }
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            EXPECT_TRUE(menu->grab().save(shots + QStringLiteral("/orvel-options-delimiters.png")));
            menu->close();
        });
        QTest::mouseClick(sheet.SdfPage()->FieldDelimiterButton(), Qt::LeftButton);
        sheet.reject();
    });
}

} // namespace
