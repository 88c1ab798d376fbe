#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "app/ui/NewDatabaseDialog.h"

#include "app/ui/DChildWnd.h"
#include "listview/OrvelView.h"
#include "platform/TempFile.h"

#include <QAction>
#include <QEventLoop>
#include <QFileInfo>
#include <QMdiArea>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <cstdio>

using namespace orvel;
using namespace orvel::test;

namespace {

// Runs a real event loop, which waits (and so goes idle) between events.
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST_F(AppTest, MissingSettingsGiveTheDefaultsAndAreWrittenAtExit)
{
    Registry::DeleteSection(QStringLiteral("Settings"));
    Registry::WriteProfileString(QStringLiteral("Settings"), QStringLiteral("ToolTips"), QStringLiteral("ja"));
    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StandardView"), 1);
    // "StartWindow" is missing, so the "Neu" dialog comes at start.
    bool offered = false;
    WhenShown<NewDatabaseDialog>([&offered](NewDatabaseDialog &dialog) {
        offered = true;
        EXPECT_EQ(dialog.Selected(), NewDatabaseDialog::EmptyDatabase);
        dialog.accept();
    });
    start();
    EXPECT_TRUE(offered);
    const AppSettings &s = app->GetSettings();
    EXPECT_EQ(s.toolTips, 1); // malformed: the default
    EXPECT_EQ(s.standardView, 1);
    EXPECT_EQ(s.startWindow, 1);
    EXPECT_EQ(s.niceListRepaint, 1);
    EXPECT_EQ(s.sdfFieldDelimiter, 44);
    EXPECT_EQ(s.sdfDataDelimiter, 34);
    EXPECT_EQ(s.gridFont, StockFont(ANSI_VAR_FONT));

    // "Leere Datenbank": an empty untitled database whose form is designed
    // first.
    ASSERT_EQ(docs().GetDocuments().size(), 1u);
    EXPECT_EQ(docs().GetDocuments()[0]->GetTitle(), QStringLiteral("Unbenannt1"));
    ASSERT_NE(frame().GetActiveChild(), nullptr);
    EXPECT_TRUE(frame().GetActiveChild()->GetView()->IsDesignMode());
    EXPECT_EQ(frame().windowTitle(), QStringLiteral("Orvel 97 - [Unbenannt1]"));

    const QString temp = app->GetTempFilePath();
    EXPECT_TRUE(QFileInfo(temp).fileName().startsWith(QStringLiteral("KWZ")));
    EXPECT_TRUE(temp.endsWith(QStringLiteral(".TMP")));
    EXPECT_TRUE(QFileInfo::exists(temp));
    stop();
    EXPECT_FALSE(QFileInfo::exists(temp));

    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("ToolTips"), -1), 1);
    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("StandardView"), -1), 1);
    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("SDF-Options"), QStringLiteral("Field Delimiter"), -1), 44);
    EXPECT_FALSE(Registry::HasEntry(QStringLiteral("Settings"), QStringLiteral("NiceListRepaint")));
    // A missing font section is the stock font, written back as such.
    EXPECT_EQ(ReadFont(QStringLiteral("GridFont")), StockFont(ANSI_VAR_FONT));
}

TEST_F(AppTest, CommandLineIsOnePathAndStartWindowZeroStartsEmpty)
{
    const QString file = writeSampleDatabase("Meine Liste.ovd");
    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StartWindow"), 0);
    // The shell split the unquoted name at its blank.
    start({path("Meine"), QStringLiteral("Liste.ovd")});
    ASSERT_EQ(docs().GetDocuments().size(), 1u);
    COrvelDoc *doc = docs().GetDocuments()[0];
    EXPECT_EQ(doc->GetPathName(), file);
    EXPECT_EQ(doc->GetTable().GetRecordCount(), 3);
    EXPECT_TRUE(frame().GetActiveChild()->isMaximized());
    EXPECT_EQ(app->GetRecentFiles(), QStringList{file});
    stop();
    EXPECT_EQ(Registry::GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File1")), file);

    // No command line and no "New": no document and no question.
    start();
    EXPECT_TRUE(docs().GetDocuments().empty());
    EXPECT_TRUE(scripted.messages().empty());
    stop();

    // A file that cannot be opened is reported; the program keeps running.
    start({path("fehlt.ovd")});
    EXPECT_TRUE(docs().GetDocuments().empty());
    EXPECT_FALSE(scripted.messages().empty());
    EXPECT_TRUE(frame().isVisible());
}

TEST_F(AppTest, FileFiltersFallBackToOnesAndAreWrittenOnClose)
{
    Registry::WriteProfileString(QStringLiteral("Settings"), QStringLiteral("FileFilters"), QStringLiteral("2,0,3,4"));
    start();
    for (auto slot : {CMainFrame::kFilterOpen, CMainFrame::kFilterInsertFrom, CMainFrame::kFilterSaveAs,
                      CMainFrame::kFilterPicture})
        EXPECT_EQ(frame().GetFilterIndex(slot), 1);
    frame().SetFilterIndex(CMainFrame::kFilterOpen, 4);
    frame().SetFilterIndex(CMainFrame::kFilterSaveAs, 2);
    stop();
    EXPECT_EQ(Registry::GetProfileString(QStringLiteral("Settings"), QStringLiteral("FileFilters")),
              QStringLiteral("4,1,2,1"));

    start();
    EXPECT_EQ(frame().GetFilterIndex(CMainFrame::kFilterOpen), 4);
    EXPECT_EQ(*frame().SaveAsFilterIndex(), 2);

    EXPECT_EQ(CMainFrame::ParseFileFilters(QStringLiteral("1,2,3")), (std::array<int, 4>{1, 1, 1, 1}));
    EXPECT_EQ(CMainFrame::ParseFileFilters(QStringLiteral("1,2,x,4")), (std::array<int, 4>{1, 1, 1, 1}));
    EXPECT_EQ(CMainFrame::ParseFileFilters(QStringLiteral("3,2,5,4")), (std::array<int, 4>{3, 2, 5, 4}));
}

TEST_F(AppTest, WindowPlacementAndBarsAreRestoredAndNineNumbersAreIgnored)
{
    Registry::WriteProfileString(QStringLiteral("Settings"), QStringLiteral("WindowPos"),
                                 QStringLiteral("0,1,-1,-1,-1,-1,10,20,610,420"));
    start();
    EXPECT_EQ(frame().geometry(), QRect(10, 20, 600, 400));
    EXPECT_FALSE(frame().isMaximized());
    frame().showMaximized();
    router().Execute(32816);
    router().Execute(59393);
    QCoreApplication::processEvents();
    stop();
    const auto stored = CMainFrame::ParseWindowPos(
            Registry::GetProfileString(QStringLiteral("Settings"), QStringLiteral("WindowPos")));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->flags, 2u);
    EXPECT_EQ(stored->showCmd, 3u);
    EXPECT_EQ(QRect(QPoint(stored->left, stored->top), QPoint(stored->right - 1, stored->bottom - 1)),
              QRect(10, 20, 600, 400));

    // Restarted maximised with the bars as they were; restoring returns to
    // the saved rectangle.
    start();
    EXPECT_TRUE(frame().isMaximized());
    EXPECT_FALSE(frame().GetNavigationBar()->isVisible());
    EXPECT_TRUE(frame().GetStandardBar()->isVisible());
    EXPECT_FALSE(frame().statusBar()->isVisible());
    frame().showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(frame().geometry(), QRect(10, 20, 600, 400));
    stop();

    Registry::WriteProfileString(QStringLiteral("Settings"), QStringLiteral("WindowPos"),
                                 QStringLiteral("2,3,-1,-1,-1,-1,10,20,610"));
    start();
    EXPECT_FALSE(frame().isMaximized());
    EXPECT_NE(frame().geometry(), QRect(10, 20, 600, 400));
}

TEST_F(AppTest, CommandsAreEnabledByTheChainOfTheActiveWindow)
{
    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StartWindow"), 0);
    start();
    // Without a document only the application's and the frame's commands.
    for (int id : {57600, 57601, 57665, 59392, 32816, 59393, 57664, 32872, 32812})
        EXPECT_TRUE(enabled(id)) << id;
    for (int id : {57602, 57603, 57604, 57612, 32981, 57648, 57650, 57616})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_EQ(router().Query(57616).Text(), QStringLiteral("Zuletzt geöffnete Datei"));
    // Commands of features to come exist and are disabled.
    for (int id : {57607, 57609, 32806, 32791, 32775, 32913, 32858, 32862, 32871})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(router().Query(59392).Checked().value_or(false));

    ASSERT_TRUE(docs().OpenNewDocument());
    for (int id : {57602, 57604, 57612, 32981, 57648, 57650, 57651, 57649})
        EXPECT_TRUE(enabled(id)) << id;
    // "Speichern" only once there is something to save.
    EXPECT_FALSE(enabled(57603));
    frame().GetActiveChild()->GetDocument().SetModifiedFlag();
    EXPECT_TRUE(enabled(57603));
    EXPECT_TRUE(enabled(32858)); // the view's design mode

    // Hiding a bar unchecks its command; idle passes keep actions current.
    router().Execute(59392);
    EXPECT_FALSE(frame().GetStandardBar()->isVisible());
    runEventLoop(20);
    EXPECT_FALSE(router().Action(59392)->isChecked());
    EXPECT_GT(router().GetIdleStats().passes, 0);

    // The menu texts carry the German keys.
    EXPECT_EQ(router().Action(57604)->text(), QStringLiteral("Speichern &unter...\tStrg+S"));
    EXPECT_EQ(router().Action(32876)->text(), QStringLiteral("Nach dem aktuellen Datensatz\tStrg+Umsch+I"));
    EXPECT_EQ(router().Action(32805)->text(), QStringLiteral("Markieren\tNum +"));
    EXPECT_EQ(router().Action(57603)->shortcut(), QKeySequence(Qt::Key_F2));
    // Keys the grid and editors need stay with them.
    EXPECT_TRUE(router().Action(32793)->shortcut().isEmpty());
}

TEST_F(AppTest, IdlePassTakesMicroseconds)
{
    start({writeSampleDatabase("a.ovd")});
    CommandRouter::IdleStats before = router().GetIdleStats();
    for (int i = 0; i < 50; ++i) {
        frame().GetStandardBar()->update();
        runEventLoop(2);
    }
    const CommandRouter::IdleStats &after = router().GetIdleStats();
    const int passes = after.passes - before.passes;
    ASSERT_GT(passes, 0);
    const double meanUs = double(after.totalNs - before.totalNs) / passes / 1000.0;
    RecordProperty("IdlePassMeanMicroseconds", int(meanUs));
    std::printf("idle update pass over %zu commands: mean %.1f us, max %.1f us (%d passes)\n", router().Ids().size(),
                meanUs, double(after.maxNs) / 1000.0, passes);
}

} // namespace
