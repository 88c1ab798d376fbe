// "&Info..." and "&Symbolleisten..." run from the program's commands.
#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "app/ui/AboutDialog.h"
#include "app/ui/DChildWnd.h"
#include "app/ui/ToolbarsDialog.h"
#include "listview/OrvelView.h"
#include "platform/ProgramVersion.h"
#include "resources/CommandIds.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

using namespace orvel;
using namespace orvel::test;

namespace {

class AboutToolbarsTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StartWindow"), 0);
        Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("LargeIcons"), 0);
    }

    QSize buttonSize(QToolBar *bar)
    {
        const auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(bar->actions().value(0)));
        return button ? button->size() : QSize();
    }

    void saveShot(QWidget &widget, const char *name)
    {
        const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
        if (shots.isEmpty())
            return;
        QCoreApplication::processEvents();
        EXPECT_TRUE(widget.grab().save(shots + u'/' + QLatin1StringView(name)));
    }
};

} // namespace

TEST_F(AboutToolbarsTest, LargeButtonsRebuildAllThreeToolbarsAtOnceAndAreStored)
{
    start();
    std::vector<QToolBar *> bars = {frame().GetStandardBar(), frame().GetNavigationBar(), frame().GetDesignBar()};
    for (QToolBar *bar : bars)
        ASSERT_EQ(buttonSize(bar), QSize(23, 22));
    // A bar the user dragged elsewhere comes back to its place.
    frame().addToolBar(Qt::BottomToolBarArea, frame().GetNavigationBar());

    WhenShown<ToolbarsDialog>([this](ToolbarsDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Symbolleisten"));
        EXPECT_TRUE(dialog.StandardBox()->isChecked());
        EXPECT_TRUE(dialog.NavigationBox()->isChecked());
        EXPECT_TRUE(dialog.StatusBarBox()->isChecked());
        EXPECT_FALSE(dialog.LargeButtonsBox()->isChecked());
        EXPECT_TRUE(dialog.ToolTipsBox()->isChecked());
        // No view designs a form: its two bars cannot be chosen.
        EXPECT_FALSE(dialog.FormDesignBox()->isEnabled());
        EXPECT_FALSE(dialog.ColorsBox()->isEnabled());
        EXPECT_EQ(dialog.LargeButtonsBox()->text(), QStringLiteral("&Große Schaltflächen"));
        EXPECT_EQ(dialog.ToolTipsBox()->text(), QStringLiteral("&QuickInfo anzeigen"));
        saveShot(dialog, "orvel-toolbars.png");
        dialog.LargeButtonsBox()->click();
        dialog.ToolTipsBox()->click();
        dialog.StatusBarBox()->click();
        dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    router().Execute(ID_VIEW_TOOLBARS);

    for (QToolBar *bar : bars) {
        EXPECT_EQ(buttonSize(bar), QSize(31, 30)) << bar->windowTitle().toStdString();
        EXPECT_EQ(bar->iconSize(), QSize(24, 24));
    }
    EXPECT_EQ(frame().toolBarArea(frame().GetNavigationBar()), Qt::TopToolBarArea);
    EXPECT_FALSE(frame().GetBarOptions().toolTips);
    EXPECT_TRUE(frame().statusBar()->isHidden());
    EXPECT_TRUE(frame().GetDesignBar()->isHidden()); // still no design view
    EXPECT_EQ(app->GetSettings().largeIcons, 1);
    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("LargeIcons"), -1), 1);
    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("ToolTips"), -1), 0);

    // Cancel changes nothing.
    WhenShown<ToolbarsDialog>([](ToolbarsDialog &dialog) {
        EXPECT_TRUE(dialog.LargeButtonsBox()->isChecked());
        EXPECT_FALSE(dialog.StatusBarBox()->isChecked());
        dialog.LargeButtonsBox()->click();
        dialog.StandardBox()->click();
        dialog.reject();
    });
    router().Execute(ID_VIEW_TOOLBARS);
    EXPECT_EQ(buttonSize(frame().GetStandardBar()), QSize(31, 30));
    EXPECT_FALSE(frame().GetStandardBar()->isHidden());
}

TEST_F(AboutToolbarsTest, AboutShowsTheProgramsVersionAndTheMachine)
{
    start();
    WhenShown<AboutDialog>([this](AboutDialog &dialog) {
        EXPECT_EQ(dialog.VersionLabel()->text(), QStringLiteral("Version ") + ProgramVersion());
        EXPECT_TRUE(dialog.BuildLabel()->text().startsWith(QStringLiteral("Built: ")));
        EXPECT_TRUE(dialog.FreeMemoryLabel()->text().endsWith(QStringLiteral(" KB")));
        EXPECT_TRUE(dialog.TotalMemoryLabel()->text().endsWith(QStringLiteral(" KB")));
        EXPECT_TRUE(dialog.DiskLabel()->text().endsWith(QStringLiteral(" KB Frei")));
        EXPECT_TRUE(dialog.SystemLabel()->text().startsWith(QStringLiteral("Linux: ")));
        EXPECT_FALSE(dialog.ProcessorLabel()->text().isEmpty());
        saveShot(dialog, "orvel-about.png");
        dialog.accept();
    });
    router().Execute(ID_APP_ABOUT);

    // Facts that could not be read say so.
    AboutDialog unknown(AboutDialog::Facts{});
    EXPECT_EQ(unknown.ProcessorLabel()->text(), QStringLiteral("Unbekannt"));
    EXPECT_EQ(unknown.FreeMemoryLabel()->text(), QStringLiteral("Unbekannt"));
    EXPECT_EQ(unknown.DiskLabel()->text(), QStringLiteral("Kein Platz vorhanden"));
}

TEST_F(AboutToolbarsTest, DesignBarsCanBeChosenWhileTheActiveViewDesigns)
{
    start({writeSampleDatabase("Adressen.ovd")});
    router().Execute(ID_VIEW_FORM_DESIGN);
    ASSERT_TRUE(frame().GetActiveChild()->GetView()->IsDesignMode());
    ASSERT_FALSE(frame().GetColorBarDock()->isHidden());

    WhenShown<ToolbarsDialog>([](ToolbarsDialog &dialog) {
        EXPECT_TRUE(dialog.FormDesignBox()->isEnabled());
        EXPECT_TRUE(dialog.ColorsBox()->isEnabled());
        EXPECT_TRUE(dialog.FormDesignBox()->isChecked());
        EXPECT_TRUE(dialog.ColorsBox()->isChecked());
        dialog.ColorsBox()->click();
        dialog.NavigationBox()->click();
        dialog.accept();
    });
    router().Execute(ID_VIEW_TOOLBARS);
    EXPECT_TRUE(frame().GetColorBarDock()->isHidden());
    EXPECT_TRUE(frame().GetNavigationBar()->isHidden());
    EXPECT_FALSE(frame().GetDesignBar()->isHidden());
    EXPECT_FALSE(frame().GetStandardBar()->isHidden());
    EXPECT_EQ(frame().toolBarArea(frame().GetDesignBar()), Qt::LeftToolBarArea);
}
