// "Tip des Tages": reading the tips file and the dialog that keeps its place.
#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "app/ui/TipDialog.h"
#include "app/ui/TipReader.h"
#include "platform/DataFiles.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvel;
using namespace orvel::test;

namespace {

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Points the program's data folder at a folder of the test's own.
class ScopedDataDir
{
public:
    explicit ScopedDataDir(const QString &dir)
        : m_old(qgetenv("ORVEL_DATA_DIR"))
    {
        qputenv("ORVEL_DATA_DIR", dir.toLocal8Bit());
    }
    ~ScopedDataDir() { qputenv("ORVEL_DATA_DIR", m_old); }

private:
    QByteArray m_old;
};

const QString kTip = QStringLiteral("Tip");

class TipTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        tips = path("tips.txt");
        data = std::make_unique<ScopedDataDir>(dir);
        // Tips at start, as for a new user.
        Registry::DeleteSection(kTip);
    }
    void TearDown() override
    {
        AppTest::TearDown();
        data.reset();
    }
    void writeTips(const QByteArray &bytes) { WriteFile(tips, bytes); }
    // Opens the dialog, lets the test look at it, and ends it with Escape or
    // "Schließen".
    void runDialog(const std::function<void(TipDialog &)> &look, bool close = true)
    {
        TipDialog dialog;
        look(dialog);
        if (close)
            QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
        else
            dialog.reject();
    }
    QString shownTip()
    {
        QString text;
        runDialog([&](TipDialog &dialog) { text = dialog.TipText(); });
        return text;
    }

    QString tips;
    std::unique_ptr<ScopedDataDir> data;
};

} // namespace

TEST_F(TipTest, TheReaderSkipsNonTipsBreaksLinesAndGoesRound)
{
    writeTips("; Kommentar\n"
              "Erster Tip\r\n"
              "\n"
              " eingerückt\n"
              "\tmit Tab\n"
              "Zweiter\\nTip mit M\xFC"
              "ller\n"
              "Dritter ohne Zeilenende");
    TipReader reader(tips);
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.Next(), QStringLiteral("Erster Tip"));
    EXPECT_EQ(reader.Next(), QStringLiteral("Zweiter\nTip mit Müller"));
    EXPECT_EQ(reader.Next(), QStringLiteral("Dritter ohne Zeilenende"));
    EXPECT_EQ(reader.Position(), QFileInfo(tips).size());
    // After the last tip comes the first again.
    EXPECT_EQ(reader.Next(), QStringLiteral("Erster Tip"));

    // Beyond the end starts at the top; a negative offset cannot be reached.
    EXPECT_TRUE(reader.Seek(QFileInfo(tips).size() + 100));
    EXPECT_EQ(reader.Next(), QStringLiteral("Erster Tip"));
    EXPECT_FALSE(reader.Seek(-1));
}

TEST_F(TipTest, TheReaderGivesUpAfterOnePassWithoutTipsAndCutsLongLines)
{
    writeTips("; nur Kommentare\n\n   \n");
    TipReader none(tips);
    EXPECT_EQ(none.Next(), QString());
    EXPECT_EQ(none.Next(), QString());
    writeTips({});
    TipReader empty(tips);
    EXPECT_EQ(empty.Next(), QString());

    // A line longer than the limit arrives in pieces of 999 characters.
    writeTips(QByteArray(2500, 'x') + "\nkurz\n");
    TipReader reader(tips);
    EXPECT_EQ(reader.Next().size(), TipReader::kLineLimit - 1);
    EXPECT_EQ(reader.Next().size(), TipReader::kLineLimit - 1);
    EXPECT_EQ(reader.Next().size(), 2500 - 2 * (TipReader::kLineLimit - 1));
    EXPECT_EQ(reader.Next(), QStringLiteral("kurz"));

    // A binary file gives lines without NUL characters and ends its pass.
    QByteArray binary;
    for (int i = 0; i < 5000; ++i)
        binary.append(char((i * 37) % 256));
    writeTips(binary);
    TipReader garbage(tips);
    for (int i = 0; i < 50; ++i)
        EXPECT_FALSE(garbage.Next().contains(QChar(0)));

    EXPECT_FALSE(TipReader(path("fehlt.txt")).IsOpen());
    EXPECT_FALSE(TipReader(dir).IsOpen());
}

TEST_F(TipTest, TheDialogContinuesWhereItStoppedAndRestartsForAReplacedFile)
{
    writeTips("Eins\nZwei\nDrei\n");
    runDialog([](TipDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tip des Tages"));
        EXPECT_TRUE(dialog.StartUpBox()->isChecked());
        EXPECT_EQ(dialog.TipText(), QStringLiteral("Eins"));
        QTest::mouseClick(dialog.NextButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.TipText(), QStringLiteral("Zwei"));
    });
    EXPECT_EQ(Registry::GetProfileInt(kTip, QStringLiteral("FilePos"), -1), 10);
    EXPECT_EQ(Registry::GetProfileInt(kTip, QStringLiteral("StartUp"), -1), 0);
    EXPECT_EQ(shownTip(), QStringLiteral("Drei"));
    EXPECT_EQ(shownTip(), QStringLiteral("Eins"));

    // A new file (another time) starts at its first tip.
    writeTips("Neu eins\nNeu zwei\nNeu drei\n");
    QFile replaced(tips);
    ASSERT_TRUE(replaced.open(QIODevice::ReadWrite));
    ASSERT_TRUE(replaced.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime));
    replaced.close();
    EXPECT_EQ(shownTip(), QStringLiteral("Neu eins"));
    EXPECT_EQ(shownTip(), QStringLiteral("Neu zwei"));

    // A position beyond the end of a shorter file of the same time.
    Registry::WriteProfileInt(kTip, QStringLiteral("FilePos"), 5000);
    EXPECT_EQ(shownTip(), QStringLiteral("Neu eins"));
}

TEST_F(TipTest, EscapeKeepsTheStartSettingButAdvancesAndCloseStoresTheBox)
{
    writeTips("Eins\nZwei\n");
    runDialog(
            [](TipDialog &dialog) {
                ClickBox(dialog.StartUpBox());
                EXPECT_FALSE(dialog.StartUpBox()->isChecked());
            },
            false);
    EXPECT_TRUE(TipDialog::ShowAtStartUp());
    EXPECT_EQ(shownTip(), QStringLiteral("Zwei"));

    runDialog([](TipDialog &dialog) { ClickBox(dialog.StartUpBox()); });
    EXPECT_EQ(Registry::GetProfileInt(kTip, QStringLiteral("StartUp"), -1), 1);
    EXPECT_FALSE(TipDialog::ShowAtStartUp());
    runDialog([](TipDialog &dialog) { EXPECT_FALSE(dialog.StartUpBox()->isChecked()); });
}

TEST_F(TipTest, AMissingFileSaysSoAndANegativePositionIsAReadProblem)
{
    runDialog([](TipDialog &dialog) {
        EXPECT_EQ(dialog.TipText(), QStringLiteral("Die Datei mit den Tips wurde gelöscht!"));
        EXPECT_FALSE(dialog.NextButton()->isEnabled());
    });
    EXPECT_TRUE(scripted.messages().empty());

    writeTips("Eins\n");
    runDialog([](TipDialog &) {});
    Registry::WriteProfileInt(kTip, QStringLiteral("FilePos"), -7);
    runDialog([](TipDialog &) {});
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{121});
}

TEST_F(TipTest, TheProgramShowsTheTipAtStartAndOnItsCommand)
{
    writeTips("Eins\nZwei\n");
    bool shown = false;
    WhenShown<TipDialog>([&](TipDialog &dialog) {
        shown = true;
        EXPECT_EQ(dialog.TipText(), QStringLiteral("Eins"));
        QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
    });
    start();
    EXPECT_TRUE(shown);

    shown = false;
    WhenShown<TipDialog>([&](TipDialog &dialog) {
        shown = true;
        EXPECT_EQ(dialog.TipText(), QStringLiteral("Zwei"));
        dialog.reject();
    });
    router().Execute(112);
    EXPECT_TRUE(shown);
}

// The shipped tips: enough of them, each fits the dialog's panel.
TEST(ShippedTips, ThereAreThirtyAndEachFitsThePanel)
{
    const QString file = FindDataFile(QStringLiteral("tips.txt"));
    TipReader reader(file);
    ASSERT_TRUE(reader.IsOpen()) << file.toStdString();
    TipDialog dialog;
    const QLabel *label = dialog.findChild<QLabel *>(QStringLiteral("tipText"));
    ASSERT_NE(label, nullptr);
    const QFontMetrics metrics(label->font());
    QStringList seen;
    for (QString tip = reader.Next(); !tip.isEmpty() && !seen.contains(tip); tip = reader.Next()) {
        seen << tip;
        const QRect needed = metrics.boundingRect(QRect(0, 0, label->width(), 10000), Qt::TextWordWrap, tip);
        EXPECT_LE(needed.height(), label->height()) << tip.toStdString();
        EXPECT_FALSE(tip.contains(u'\uFFFD')) << tip.toStdString();
    }
    EXPECT_GE(seen.size(), 30);
}

TEST(ShippedTips, Screenshot)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "no ORVEL_SCREENSHOT_DIR";
    TipDialog dialog;
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.grab().save(shots + QStringLiteral("/orvel-tip.png")));
}
