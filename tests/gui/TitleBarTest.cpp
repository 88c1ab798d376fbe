// The main window's painted caption: on and off with "ShowTitle", its
// buttons, double click and window menu, and the switch in the options.
#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "app/ui/CPPOptionsGeneral.h"
#include "app/ui/CPSOptions.h"
#include "app/ui/PaintedTitleBar.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvel;
using namespace orvel::test;

namespace {

class TitleBarTest : public AppTest
{
protected:
    PaintedTitleBar &bar() { return *frame().GetTitleBar(); }
    // A point of the caption, relative to the caption's own rectangle.
    QPoint inCaption(QPoint point) { return bar().CaptionRect().topLeft() + point; }
    void showFrame()
    {
        frame().showNormal();
        frame().resize(640, 480);
        frame().activateWindow();
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(TitleBarTest, ShowTitleMakesTheWindowPaintItsOwnCaption)
{
    start();
    showFrame();
    ASSERT_TRUE(bar().IsEnabled());
    EXPECT_TRUE(frame().windowFlags() & Qt::FramelessWindowHint);
    // The menu bar starts below the caption.
    EXPECT_GE(frame().menuBar()->geometry().top(), bar().CaptionRect().bottom());
    const QImage shown = frame().grab().toImage();
    const QRect caption = bar().CaptionRect();
    // The right sixth (left of the buttons) is the caption colour, the
    // left end black.
    const QColor active = frame().palette().color(QPalette::Active, QPalette::Highlight);
    const int buttonsLeft = caption.left() + bar().Layout().minimize.left();
    EXPECT_EQ(shown.pixelColor(buttonsLeft - 3, caption.top()), active);
    EXPECT_EQ(shown.pixelColor(caption.left(), caption.bottom()), QColor(Qt::black));
    stop();

    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("ShowTitle"), 0);
    start();
    EXPECT_FALSE(bar().IsEnabled());
    EXPECT_FALSE(frame().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(frame().contentsMargins(), QMargins());
}

TEST_F(TitleBarTest, TheCaptionButtonsDoubleClickAndWindowMenuWork)
{
    start();
    showFrame();
    const CaptionLayout layout = bar().Layout();
    QTest::mouseDClick(&frame(), Qt::LeftButton, {}, inCaption(QPoint(layout.textLeft + 150, 8)));
    EXPECT_TRUE(frame().isMaximized());
    // A maximised window has no border to resize by.
    EXPECT_EQ(bar().BorderWidth(), 0);
    QTest::mouseClick(&frame(), Qt::LeftButton, {}, inCaption(bar().Layout().maximize.center()));
    EXPECT_FALSE(frame().isMaximized());
    // Pressed on a button and released elsewhere does nothing.
    QTest::mousePress(&frame(), Qt::LeftButton, {}, inCaption(bar().Layout().minimize.center()));
    QTest::mouseRelease(&frame(), Qt::LeftButton, {}, inCaption(QPoint(layout.textLeft + 150, 8)));
    EXPECT_FALSE(frame().isMinimized());

    QTest::mouseClick(&frame(), Qt::RightButton, {}, inCaption(QPoint(layout.textLeft + 150, 8)));
    QMenu *menu = bar().WindowMenu();
    ASSERT_TRUE(menu->isVisible());
    QStringList texts;
    QList<bool> enabled;
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text();
            enabled << action->isEnabled();
        }
    }
    EXPECT_EQ(texts, (QStringList{"&Wiederherstellen", "&Verschieben", "&Größe ändern", "Mi&nimieren", "Ma&ximieren",
                                  "&Schließen\tAlt+F4"}));
    EXPECT_EQ(enabled, (QList<bool>{false, true, true, true, true, true}));
    menu->actions().at(4)->trigger();
    menu->close();
    EXPECT_TRUE(frame().isMaximized());

    // The close button closes the program's window as Alt+F4 would.
    QTest::mouseClick(&frame(), Qt::LeftButton, {}, inCaption(bar().Layout().close.center()));
    EXPECT_FALSE(frame().isVisible());
}

TEST_F(TitleBarTest, TheOptionsSwitchTheCaptionAtOnce)
{
    start();
    showFrame();
    WhenShown<CPSOptions>([](CPSOptions &sheet) {
        QAbstractButton *box = sheet.GeneralPage()->ShowTitleBox();
        EXPECT_TRUE(box->isChecked());
        ClickBox(box);
        sheet.accept();
    });
    router().Execute(32804);
    EXPECT_FALSE(bar().IsEnabled());
    EXPECT_TRUE(frame().isVisible());
    EXPECT_FALSE(frame().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("ShowTitle"), -1), 0);
}

// With ORVEL_SCREENSHOT_DIR set, the window with its caption, active and
// inactive, is saved as pictures there.
TEST_F(TitleBarTest, Screenshots)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "no ORVEL_SCREENSHOT_DIR";
    start();
    showFrame();
    docs().OpenNewDocument();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame().grab().save(shots + QStringLiteral("/orvel-title-active.png")));
    QImage caption = bar().CaptionImage();
    EXPECT_TRUE(caption.save(shots + QStringLiteral("/orvel-title-caption.png")));
}
