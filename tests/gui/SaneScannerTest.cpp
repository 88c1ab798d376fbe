// Scanning through SANE with its "test" backend, end to end through the
// imaging control: grey, colour, line art, three-pass and hand scanners,
// the choice between several devices, no device, a failing device and
// Escape; and the assembly of frames on its own.
#include "media/ui/SaneScanner.h"
#include "gui/PictureTestSupport.h"
#include "media/Lead.h"
#include "media/ui/SaneSourceDialog.h"
#include "media/ui/ScanImageAssembler.h"
#include "platform/ScriptedServices.h"
#include "platform/gfx/ImageBitmap.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QSet>

#include <functional>

using namespace orvel;
using namespace orvel::test;

namespace {

QImage PictureOf(CLead &lead)
{
    return lead.HasBitmap() ? ImageBitmap::ImageOf(*lead.GetBitmap()).convertToFormat(QImage::Format_RGB32) : QImage();
}

bool AllPixels(const QImage &image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colour)
                return false;
    return true;
}

int ColourCount(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

class SaneScannerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SaneTestSetup::Folder();
        InstallSaneScanner();
    }
    void TearDown() override { UninstallSaneScanner(); }

    // Prepares and acquires as the insert-picture dialog does.
    short scan(CLead &lead)
    {
        const short prepared = lead.SelectSource();
        return prepared != LeadOk ? prepared : lead.Acquire();
    }

    ScriptedServices scripted;
    ScopedServices servicesScope{&scripted};
};

struct ScanCase
{
    const char *what;
    QByteArray settings;
    short bits;
    std::function<void(const QImage &)> check;
};

} // namespace

TEST_F(SaneScannerTest, ScansEveryKindOfFrameIntoABitmapWithTheScansResolution)
{
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    const auto solid = [](QRgb colour) {
        return [colour](const QImage &image) { EXPECT_TRUE(AllPixels(image, colour)); };
    };
    const ScanCase cases[] = {
            {"grey", "mode Gray\ndepth 8\ntest-picture \"Solid black\"\n", 8, solid(black)},
            {"grey of 16 bits", "mode Gray\ndepth 16\ntest-picture \"Solid white\"\n", 8, solid(white)},
            {"line art, black", "mode Gray\ndepth 1\ntest-picture \"Solid black\"\n", 1, solid(black)},
            {"line art, white", "mode Gray\ndepth 1\ntest-picture \"Solid white\"\n", 1, solid(white)},
            {"colour", "mode Color\ndepth 8\ntest-picture \"Color pattern\"\n", 24,
             [](const QImage &image) { EXPECT_GE(ColourCount(image), 6); }},
            {"colour of 16 bits", "mode Color\ndepth 16\ntest-picture \"Solid white\"\n", 24, solid(white)},
            {"colour of 1 bit", "mode Color\ndepth 1\ntest-picture \"Solid white\"\n", 24, solid(white)},
    };
    for (const ScanCase &c : cases) {
        SCOPED_TRACE(c.what);
        SaneTestSetup::TestBackend(1, 75, c.settings);
        CLead lead;
        ASSERT_EQ(scan(lead), LeadOk);
        EXPECT_EQ(lead.GetBitmapWidth(), float(SaneTestSetup::ScanSize(75).width()));
        EXPECT_EQ(lead.GetBitmapHeight(), float(SaneTestSetup::ScanSize(75).height()));
        EXPECT_EQ(lead.GetBitsPerPixel(), c.bits);
        EXPECT_EQ(lead.GetXResolution(), 75);
        EXPECT_EQ(lead.GetYResolution(), 75);
        c.check(PictureOf(lead));
    }
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(SaneScannerTest, ThreePassAndHandScannersGiveWholePictures)
{
    // The three colours of a three-pass scanner make the same picture as a
    // scan in one pass.
    SaneTestSetup::TestBackend(1, 50, "mode Color\ntest-picture \"Color pattern\"\n");
    CLead onePass;
    ASSERT_EQ(scan(onePass), LeadOk);
    SaneTestSetup::TestBackend(1, 50, "mode Color\nthree-pass true\ntest-picture \"Color pattern\"\n");
    CLead threePass;
    ASSERT_EQ(scan(threePass), LeadOk);
    EXPECT_EQ(PictureOf(threePass), PictureOf(onePass));

    // A hand scanner tells its length only by the lines that arrive.
    SaneTestSetup::TestBackend(1, 50, "mode Gray\nhand-scanner true\ntest-picture \"Solid white\"\n");
    CLead hand;
    ASSERT_EQ(scan(hand), LeadOk);
    const QImage picture = PictureOf(hand);
    EXPECT_GT(picture.width(), 0);
    EXPECT_GT(picture.height(), 0);
    EXPECT_TRUE(AllPixels(picture, qRgb(255, 255, 255)));
}

TEST_F(SaneScannerTest, NoDeviceAndFailingDevicesReportFailureAndClearTheBitmap)
{
    SaneTestSetup::NoDevices();
    CLead lead;
    lead.SetBitmap(ImageBitmap::Make(SamplePicture()));
    EXPECT_EQ(lead.SelectSource(), LeadNoScanner);
    EXPECT_EQ(lead.Acquire(), LeadNoScanner); // tries to select a source itself
    EXPECT_FALSE(lead.HasBitmap());

    SaneTestSetup::TestBackend(1, 75, "read-status-code \"SANE_STATUS_IO_ERROR\"\n");
    lead.SetBitmap(ImageBitmap::Make(SamplePicture()));
    EXPECT_EQ(scan(lead), LeadNoScanner);
    EXPECT_FALSE(lead.HasBitmap());

    // The device is released after a failure: the next scan works.
    SaneTestSetup::TestBackend(1, 75, "mode Gray\n");
    EXPECT_EQ(scan(lead), LeadOk);
}

TEST_F(SaneScannerTest, EscapeDuringTheScanCancelsItWhenTheUserConfirms)
{
    SaneTestSetup::TestBackend(1, 75, "mode Gray\n");
    CLead lead;
    scripted.pressEscapeAtPoll(1);
    scripted.queueAnswer(MsgResult::No);
    EXPECT_EQ(scan(lead), LeadOk);

    scripted.pressEscapeAtPoll(1);
    scripted.queueAnswer(MsgResult::Yes);
    EXPECT_EQ(scan(lead), LeadScanCancelled);
    EXPECT_FALSE(lead.HasBitmap());
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{510, 510}));
}

TEST_F(SaneScannerTest, SeveralDevicesAreChosenInAListThatRemembersTheChoice)
{
    SaneTestSetup::TestBackend(2, 75, "mode Gray\n");
    CLead lead;
    WhenShown<SaneSourceDialog>([](SaneSourceDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quelle auswählen"));
        QListWidget *list = dialog.SourceList();
        ASSERT_EQ(list->count(), 2);
        EXPECT_TRUE(list->item(0)->text().endsWith(QStringLiteral("(test:0)")));
        EXPECT_TRUE(list->item(1)->text().endsWith(QStringLiteral("(test:1)")));
        EXPECT_EQ(list->currentRow(), 0);
        list->setCurrentRow(1);
        dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_EQ(scan(lead), LeadOk);

    WhenShown<SaneSourceDialog>([](SaneSourceDialog &dialog) {
        EXPECT_EQ(dialog.SourceList()->currentRow(), 1);
        dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(lead.SelectSource(), LeadScanCancelled);
    EXPECT_TRUE(lead.HasBitmap()); // choosing no source leaves the picture
}

namespace {

SANE_Parameters Frame(SANE_Frame format, int depth, int pixels, int lines, int lineBytes, bool last = true)
{
    SANE_Parameters p{};
    p.format = format;
    p.last_frame = last ? SANE_TRUE : SANE_FALSE;
    p.depth = depth;
    p.pixels_per_line = pixels;
    p.lines = lines;
    p.bytes_per_line = lineBytes;
    return p;
}

bool Feed(ScanImageAssembler &assembler, const SANE_Parameters &p, qsizetype bytes, char value = '\x80')
{
    const QByteArray data(bytes, value);
    return assembler.beginFrame(p)
           && assembler.add(reinterpret_cast<const SANE_Byte *>(data.constData()), SANE_Int(bytes))
           && assembler.endFrame();
}

} // namespace

TEST(ScanImageAssemblerTest, RefusesFramesThatDoNotAddUp)
{
    const struct
    {
        const char *what;
        SANE_Parameters frame;
        qsizetype bytes;
    } refused[] = {
            {"depth 4", Frame(SANE_FRAME_GRAY, 4, 10, 2, 5), 10},
            {"lines shorter than their pixels", Frame(SANE_FRAME_RGB, 8, 10, 2, 29), 58},
            {"no pixels", Frame(SANE_FRAME_GRAY, 8, 0, 2, 1), 2},
            {"no lines", Frame(SANE_FRAME_GRAY, 8, 10, 0, 10), 0},
            {"fewer lines than announced", Frame(SANE_FRAME_GRAY, 8, 10, 3, 10), 25},
            {"hand scanner without a whole line", Frame(SANE_FRAME_GRAY, 8, 10, -1, 10), 9},
            {"beyond the size limit", Frame(SANE_FRAME_RGB, 8, 30000, 30000, 90000), 0},
            {"a three-pass scan without blue", Frame(SANE_FRAME_GREEN, 8, 4, 2, 4), 8},
    };
    for (const auto &r : refused) {
        ScanImageAssembler assembler;
        EXPECT_FALSE(Feed(assembler, r.frame, r.bytes)) << r.what;
        EXPECT_TRUE(assembler.picture().isNull()) << r.what;
    }

    // The colours of a three-pass scan must match in size and cannot be
    // followed by a picture of their own.
    ScanImageAssembler assembler;
    ASSERT_TRUE(Feed(assembler, Frame(SANE_FRAME_RED, 8, 4, 2, 4, false), 8));
    EXPECT_FALSE(assembler.beginFrame(Frame(SANE_FRAME_GREEN, 8, 5, 2, 5, false)));
    EXPECT_FALSE(assembler.beginFrame(Frame(SANE_FRAME_RGB, 8, 4, 2, 12)));
    ASSERT_TRUE(Feed(assembler, Frame(SANE_FRAME_GREEN, 8, 4, 2, 4, false), 8, '\x40'));
    ASSERT_TRUE(Feed(assembler, Frame(SANE_FRAME_BLUE, 8, 4, 2, 4), 8, '\x20'));
    ASSERT_TRUE(assembler.complete());
    EXPECT_EQ(assembler.picture().pixel(3, 1), qRgb(0x80, 0x40, 0x20));
    EXPECT_FALSE(assembler.beginFrame(Frame(SANE_FRAME_GRAY, 8, 4, 2, 4)));

    // Padding at the end of lines is left out.
    ScanImageAssembler padded;
    ASSERT_TRUE(Feed(padded, Frame(SANE_FRAME_GRAY, 8, 3, 2, 8), 16));
    EXPECT_EQ(padded.picture().size(), QSize(3, 2));
}
