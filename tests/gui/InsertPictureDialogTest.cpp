// "Grafik einfügen" and "Neue Größe" driven as a user drives them: file
// dialogs and messages scripted, scans from SANE's test backend.
#include "media/ui/InsertPictureDialog.h"
#include "gui/PictureTestSupport.h"
#include "media/Lead.h"
#include "media/gfx/QtPictureDecoder.h"
#include "media/ui/NewSizeDialog.h"
#include "media/ui/PicturePreview.h"
#include "media/ui/SaneScanner.h"
#include "platform/ScriptedServices.h"
#include "platform/gfx/ImageBitmap.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

// Scripted services that also keep what the file dialogs were asked.
class FileDialogRecorder : public ScriptedServices
{
public:
    struct Request
    {
        QString title;
        QString filter;
        int filterIndex = 0;
        QString defaultSuffix;
    };
    std::vector<Request> opens;
    std::vector<Request> saves;
    int chosenFilterIndex = 0; // 0: leave the index as it was offered

    QString getOpenFileName(const QString &title, const QString &filter, int *filterIndex,
                            const QString &defaultSuffix) override
    {
        opens.push_back({title, filter, filterIndex ? *filterIndex : 0, defaultSuffix});
        if (filterIndex && chosenFilterIndex > 0)
            *filterIndex = chosenFilterIndex;
        return ScriptedServices::getOpenFileName(title, filter, filterIndex, defaultSuffix);
    }
    QString getSaveFileName(const QString &title, const QString &proposed, const QString &filter, int *filterIndex,
                            const QString &defaultSuffix) override
    {
        saves.push_back({title, filter, filterIndex ? *filterIndex : 0, defaultSuffix});
        return ScriptedServices::getSaveFileName(title, proposed, filter, filterIndex, defaultSuffix);
    }
};

QPushButton *CancelButton(QDialog &dialog)
{
    return dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel);
}

class InsertPictureDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        RegisterQtPictureDecoder();
        SaneTestSetup::Folder();
        InstallSaneScanner();
        picture = path("bild.png");
        ASSERT_TRUE(SamplePicture().save(picture, "PNG"));
        broken = path("kaputt.png");
        WriteFile(broken, "\x89PNG\r\n\x1A\n and nothing after it");
    }
    void TearDown() override { UninstallSaneScanner(); }

    QString path(const char *name) const { return dir + u'/' + QString::fromLatin1(name); }

    QString dir;
    QString picture;
    QString broken;
    FileDialogRecorder scripted;
    ScopedServices servicesScope{&scripted};
};

} // namespace

TEST_F(InsertPictureDialogTest, BrowsingLoadsThePreviewAndOkHandsTheBitmapOn)
{
    CLead receiver;
    int filterIndex = 10; // PNG, chosen last time
    scripted.chosenFilterIndex = 2;
    scripted.queueFileName(broken);
    scripted.queueFileName(picture);
    WhenShown<InsertPictureDialog>([this](InsertPictureDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Grafik einfügen"));
        QStringList groups;
        for (const QGroupBox *group : dialog.findChildren<QGroupBox *>())
            groups << group->title();
        EXPECT_EQ(groups, (QStringList{QStringLiteral("Grafikdatei einfügen"), QStringLiteral("Grafik einscannen"),
                                       QStringLiteral("Vorschau")}));
        EXPECT_EQ(dialog.NameEdit()->maxLength(), 250);
        EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));
        EXPECT_EQ(CancelButton(dialog)->text(), QStringLiteral("Abbrechen"));
        EXPECT_FALSE(dialog.OkButton()->isEnabled()); // nothing to take yet

        // A file that does not load: OK stays disabled, the preview empty.
        dialog.BrowseButton()->click();
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        EXPECT_TRUE(dialog.LoadFailed());
        EXPECT_TRUE(dialog.Preview()->PictureRect().isEmpty());

        dialog.BrowseButton()->click();
        EXPECT_EQ(dialog.NameEdit()->text(), picture);
        EXPECT_TRUE(dialog.OkButton()->isEnabled());
        EXPECT_FALSE(dialog.LoadFailed());
        // A small picture shows at its own size.
        EXPECT_EQ(dialog.Preview()->PictureRect().size(), QSize(6, 4));
        dialog.OkButton()->click();
    });
    const auto result = RunInsertPictureDialog(nullptr, receiver, QString(), false, InsertPictureTarget::PictureObject,
                                               &filterIndex);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->fileName, picture);
    EXPECT_FALSE(result->embedded);
    EXPECT_FALSE(result->loadFailed);
    ASSERT_TRUE(receiver.HasBitmap());
    EXPECT_EQ(ImageBitmap::ImageOf(*receiver.GetBitmap()).pixel(2, 1), kSampleColours[3]);

    ASSERT_EQ(scripted.opens.size(), 2u);
    EXPECT_EQ(scripted.opens[0].title, QStringLiteral("Durchsuchen"));
    EXPECT_TRUE(scripted.opens[0].filter.startsWith(QStringLiteral("Bitmap-Dateien (*.bmp)|*.bmp|GEM-Grafikdateien")));
    EXPECT_EQ(scripted.opens[0].filterIndex, 10);
    EXPECT_EQ(filterIndex, 2); // the filter chosen is remembered by the caller
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(InsertPictureDialogTest, ATypedNameLoadsWhenItIsLeftAndKeepsTheCaseOfItsLetters)
{
    CLead receiver;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir);
    ASSERT_TRUE(SamplePicture().save(path("Foto.PNG"), "PNG"));
    WhenShown<InsertPictureDialog>([this](InsertPictureDialog &dialog) {
        // Focus leaves a field only in the active window.
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QLineEdit *edit = dialog.NameEdit();
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("kaputt.png"));
        QTest::keyClick(edit, Qt::Key_Tab); // leaving the field loads it
        EXPECT_EQ(edit->text(), broken);
        EXPECT_FALSE(dialog.OkButton()->isEnabled());

        // Enter loads the typed name, and OK takes it at once.
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("  Foto.PNG "));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    const auto result =
            RunInsertPictureDialog(nullptr, receiver, QString(), true, InsertPictureTarget::PictureField, nullptr);
    QDir::setCurrent(previous);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->fileName, path("Foto.PNG"));
    EXPECT_TRUE(result->embedded);
    EXPECT_TRUE(receiver.HasBitmap());
}

TEST_F(InsertPictureDialogTest, AFieldsPictureShowsAtOnceAndLargePicturesAreScaledIntoThePreview)
{
    QImage large(2000, 1000, QImage::Format_RGB32);
    large.fill(Qt::darkCyan);
    ASSERT_TRUE(large.save(path("gross.png"), "PNG"));
    CLead receiver;
    WhenShown<InsertPictureDialog>([](InsertPictureDialog &dialog) {
        EXPECT_TRUE(dialog.OkButton()->isEnabled());
        EXPECT_FALSE(dialog.EmbedBox()->isChecked());
        PicturePreview *preview = dialog.Preview();
        const QRect shown = preview->PictureRect();
        EXPECT_TRUE(preview->contentsRect().contains(shown));
        EXPECT_TRUE(shown.width() == preview->contentsRect().width()
                    || shown.height() == preview->contentsRect().height());
        EXPECT_NEAR(double(shown.width()) / shown.height(), 2.0, 0.05);
        CancelButton(dialog)->click();
    });
    EXPECT_FALSE(RunInsertPictureDialog(nullptr, receiver, path("gross.png"), false, InsertPictureTarget::PictureField,
                                        nullptr));
    EXPECT_FALSE(receiver.HasBitmap()); // cancelled: nothing handed on

    // A field whose picture no longer loads opens with OK disabled.
    WhenShown<InsertPictureDialog>([](InsertPictureDialog &dialog) {
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        EXPECT_TRUE(dialog.LoadFailed());
        CancelButton(dialog)->click();
    });
    EXPECT_FALSE(RunInsertPictureDialog(nullptr, receiver, path("weg.png"), false, InsertPictureTarget::PictureField,
                                        nullptr));
}

TEST_F(InsertPictureDialogTest, AScannedPictureObjectIsEmbedded)
{
    SaneTestSetup::TestBackend(1, 75, "mode Color\ntest-picture \"Color pattern\"\n");
    CLead receiver;
    WhenShown<InsertPictureDialog>([](InsertPictureDialog &dialog) {
        dialog.ScanButton()->click();
        EXPECT_EQ(dialog.NameEdit()->text(), QStringLiteral("#Scan#"));
        EXPECT_TRUE(dialog.EmbedBox()->isChecked());
        EXPECT_TRUE(dialog.OkButton()->isEnabled());
        dialog.OkButton()->click();
    });
    const auto result =
            RunInsertPictureDialog(nullptr, receiver, QString(), false, InsertPictureTarget::PictureObject, nullptr);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->fileName, QStringLiteral("#Scan#"));
    EXPECT_TRUE(result->embedded);
    EXPECT_EQ(receiver.GetBitmapWidth(), float(SaneTestSetup::ScanSize(75).width()));
    EXPECT_EQ(receiver.GetXResolution(), 75);
    EXPECT_TRUE(scripted.saves.empty());
}

TEST_F(InsertPictureDialogTest, AScanThatIsNotEmbeddedIsSavedAsAnEightBitBitmapFirst)
{
    SaneTestSetup::TestBackend(1, 75, "mode Color\ntest-picture \"Color pattern\"\n");
    CLead receiver;
    const QString saved = path("Scan vom Mai.bmp");
    WhenShown<InsertPictureDialog>([this, saved](InsertPictureDialog &dialog) {
        dialog.ScanButton()->click();
        EXPECT_FALSE(dialog.EmbedBox()->isChecked()); // a field keeps its setting

        // Cancelling the save dialog keeps the dialog and the scan.
        dialog.OkButton()->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.NameEdit()->text(), QStringLiteral("#Scan#"));

        // A file that cannot be written is reported; the dialog stays.
        scripted.queueFileName(path("fehlt/scan.bmp"));
        dialog.OkButton()->click();
        EXPECT_TRUE(dialog.isVisible());

        scripted.queueFileName(saved);
        dialog.OkButton()->click();
    });
    const auto result =
            RunInsertPictureDialog(nullptr, receiver, QString(), false, InsertPictureTarget::PictureField, nullptr);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->fileName, saved);
    EXPECT_FALSE(result->embedded);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{407, 407, 534, 407}));
    ASSERT_EQ(scripted.saves.size(), 3u);
    EXPECT_EQ(scripted.saves[0].filter, QStringLiteral("Bitmap-Dateien (*.bmp)|*.bmp||"));
    EXPECT_EQ(scripted.saves[0].defaultSuffix, QStringLiteral("bmp"));

    // A real Windows bitmap of 8 bits with the scan's size.
    const QByteArray bmp = ReadFile(saved);
    ASSERT_GT(bmp.size(), 54);
    EXPECT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(quint8(bmp[28]), 8);
    const QImage back(saved);
    EXPECT_EQ(back.size(), SaneTestSetup::ScanSize(75));
    EXPECT_TRUE(receiver.HasBitmap());
}

TEST_F(InsertPictureDialogTest, ScannerFailuresShowTheScannerMessage)
{
    CLead receiver;
    WhenShown<InsertPictureDialog>([this](InsertPictureDialog &dialog) {
        // No scanner: the picture already chosen stays.
        SaneTestSetup::NoDevices();
        scripted.queueFileName(picture);
        dialog.BrowseButton()->click();
        dialog.ScanButton()->click();
        EXPECT_EQ(scripted.messageIds(), std::vector<int>{354});
        EXPECT_TRUE(dialog.OkButton()->isEnabled());

        // A scan that fails on the way clears the preview: nothing to take.
        SaneTestSetup::TestBackend(1, 75, "read-status-code \"SANE_STATUS_IO_ERROR\"\n");
        dialog.ScanButton()->click();
        EXPECT_EQ(scripted.messageIds(), (std::vector<int>{354, 354}));
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        EXPECT_TRUE(dialog.Preview()->PictureRect().isEmpty());
        CancelButton(dialog)->click();
    });
    EXPECT_FALSE(
            RunInsertPictureDialog(nullptr, receiver, QString(), false, InsertPictureTarget::PictureObject, nullptr));
}

TEST(NewSizeDialogTest, RefusesSidesOutsideOneToThreeThousandAndStaysOpen)
{
    ScriptedServices scripted;
    ScopedServices scope(&scripted);
    const struct
    {
        const char *width;
        const char *height;
        int message;
        bool heightAtFault;
    } refused[] = {
            {"0", "100", 61714, false},
            {"3001", "100", 61714, false},
            {"200", "0", 61714, true},
            {"200", "3001", 61714, true},
            {"", "100", 61712, false},
            {"200", "", 61712, true},
            {"99999999999999999999", "100", 61714, false},
    };
    WhenShown<NewSizeDialog>([&](NewSizeDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Neue Größe"));
        EXPECT_EQ(dialog.WidthEdit()->text(), QStringLiteral("320"));
        EXPECT_EQ(dialog.HeightEdit()->text(), QStringLiteral("240"));
        QPushButton *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        for (const auto &r : refused) {
            scripted.clear();
            dialog.WidthEdit()->setText(QString::fromLatin1(r.width));
            dialog.HeightEdit()->setText(QString::fromLatin1(r.height));
            ok->click();
            EXPECT_TRUE(dialog.isVisible()) << r.width << " x " << r.height;
            ASSERT_EQ(scripted.messageIds(), std::vector<int>{r.message}) << r.width << " x " << r.height;
            if (r.message == 61714) {
                EXPECT_TRUE(scripted.messages()[0].text.contains(QStringLiteral("zwischen 1 und 3000")));
            }
            QLineEdit *atFault = r.heightAtFault ? dialog.HeightEdit() : dialog.WidthEdit();
            EXPECT_EQ(atFault->selectedText(), atFault->text());
        }
        // Letters cannot be typed.
        dialog.WidthEdit()->clear();
        QTest::keyClicks(dialog.WidthEdit(), QStringLiteral("1a2"));
        EXPECT_EQ(dialog.WidthEdit()->text(), QStringLiteral("12"));
        dialog.WidthEdit()->setText(QStringLiteral("3000"));
        dialog.HeightEdit()->setText(QStringLiteral("1"));
        ok->click();
    });
    EXPECT_EQ(RunNewSizeDialog(nullptr, 320, 240), QSize(3000, 1));

    WhenShown<NewSizeDialog>([](NewSizeDialog &dialog) { CancelButton(dialog)->click(); });
    EXPECT_EQ(RunNewSizeDialog(nullptr, 320, 240), std::nullopt);
}
