// The values the property sheets read from form objects and write back, and
// the texts of the read-only pages.
#include "form/ObjectProperties.h"
#include "form/DrawItem.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "form/FormObjects.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace orvel;

namespace {

TEST(ObjectPropertiesTest, LineValuesComeFromPenAndFrame)
{
    struct Case
    {
        uint32_t hasPen;
        int32_t penWidth;
        uint32_t style;
        uint32_t frame3D;
        int width;
        int kind;
    };
    const Case cases[] = {
            {1, 1, PS_SOLID, 0, 1, kLineSolid},
            {1, 1, PS_INSIDEFRAME, 0, 1, kLineSolid},
            {1, 1, PS_DASH, 0, 1, kLineDashed},
            {1, 1, PS_DASHDOTDOT, 0, 1, kLineDashDotDot},
            {1, 1, PS_NULL, 0, 1, kLineSolid},
            {1, 1, PS_INSIDEFRAME, 1, 1, kLine3D},
            // The raised frame wins over a pen style.
            {1, 1, PS_DOT, 1, 1, kLine3D},
            // Without an outline the width is 0, whatever the pen says.
            {0, 4, PS_DOT, 0, 0, kLineDotted},
            {1, 7, PS_SOLID, 0, 7, kLineSolid},
    };
    for (const Case &c : cases) {
        CDrawRect rect(CDrawRect::rectangle, {0, 0, 10, 10}, DrawColors{0x112233, 0x445566});
        rect.hasPen = c.hasPen;
        rect.pen.lopnWidth = {c.penWidth, c.penWidth};
        rect.pen.lopnStyle = c.style;
        rect.frame3D = c.frame3D;
        rect.hasBrush = 0;
        const LineFillValues values = LineFillValuesOf(rect);
        SCOPED_TRACE(testing::Message() << "style " << c.style << " frame " << c.frame3D);
        EXPECT_EQ(values.width, c.width);
        EXPECT_EQ(values.kind, c.kind);
        EXPECT_EQ(values.lineColor, 0x112233u);
        EXPECT_FALSE(values.fill);
        EXPECT_EQ(values.fillColor, 0x445566u);
    }
}

TEST(ObjectPropertiesTest, LineValuesGoBackThroughTheForm)
{
    struct Case
    {
        int width;
        int kind;
        uint32_t hasPen;
        int32_t penWidth;
        uint32_t style;
        uint32_t frame3D;
    };
    const Case cases[] = {
            // A wide line is solid: width 3 with "Gestrichelt" is a solid 3.
            {3, kLineDashed, 1, 3, PS_INSIDEFRAME, 0},
            {1, kLineDashed, 1, 1, PS_DASH, 0},
            {1, kLineDashDot, 1, 1, PS_DASHDOT, 0},
            {1, kLineSolid, 1, 1, PS_INSIDEFRAME, 0},
            {1, kLine3D, 1, 1, PS_INSIDEFRAME, 1},
            {2, kLine3D, 1, 2, PS_INSIDEFRAME, 0},
            // No outline: the pen keeps its width (5 from before).
            {0, kLineDotted, 0, 5, PS_DOT, 0},
    };
    for (const Case &c : cases) {
        CFormObjects form;
        auto *rect = static_cast<CDrawRect *>(form.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{})));
        rect->pen.lopnWidth = {5, 5};
        rect->frame3D = 1;
        form.SetModified(false);
        LineFillValues values = LineFillValuesOf(*rect);
        values.width = c.width;
        values.kind = c.kind;
        values.lineColor = 0x0000FF;
        values.fill = false;
        values.fillColor = 0x00FF00;
        ApplyLineFillValues(form, *rect, values, true);
        SCOPED_TRACE(testing::Message() << "width " << c.width << " kind " << c.kind);
        EXPECT_EQ(rect->hasPen, c.hasPen);
        EXPECT_EQ(rect->pen.lopnWidth.x, c.penWidth);
        EXPECT_EQ(rect->pen.lopnWidth.y, c.penWidth);
        EXPECT_EQ(rect->pen.lopnStyle, c.style);
        EXPECT_EQ(rect->frame3D, c.frame3D);
        EXPECT_EQ(rect->pen.lopnColor, 0x0000FFu);
        EXPECT_EQ(rect->hasBrush, 0u);
        EXPECT_EQ(rect->brush.lbColor, 0x00FF00u);
        EXPECT_TRUE(form.IsModified());
        // What was written reads back the same (a wide line as solid).
        const LineFillValues back = LineFillValuesOf(*rect);
        EXPECT_EQ(back.kind, c.width > 1 ? kLineSolid : c.kind);
    }
}

TEST(ObjectPropertiesTest, WithoutAFillPageTheFillStays)
{
    CFormObjects form;
    auto *line = static_cast<CDrawRect *>(
            form.Add(std::make_unique<CDrawRect>(CDrawRect::line, RECT{0, 0, 50, 50}, DrawColors{0, 0x808080})));
    LineFillValues values = LineFillValuesOf(*line);
    values.fill = false;
    values.fillColor = 0x0000FF;
    values.width = 4;
    ApplyLineFillValues(form, *line, values, false);
    EXPECT_EQ(line->pen.lopnWidth.x, 4);
    EXPECT_EQ(line->hasBrush, 1u);
    EXPECT_EQ(line->brush.lbColor, 0x808080u);
}

TEST(ObjectPropertiesTest, TextValuesAndDrawFlags)
{
    struct Case
    {
        int alignment;
        bool wordWrap;
        uint16_t drawFlags;
    };
    const Case cases[] = {{0, true, 0x10}, {1, false, 1}, {2, false, 2}, {2, true, 0x12}, {1, true, 0x11}};
    for (const Case &c : cases) {
        CFormObjects form;
        auto *text = static_cast<CDrawText *>(form.Add(std::make_unique<CDrawText>(RECT{0, 0, 80, 20})));
        TextValues values = TextValuesOf(*text);
        values.alignment = c.alignment;
        values.wordWrap = c.wordWrap;
        values.text = "Hallo\r\nWelt";
        values.color = 0x0000FF;
        form.SetModified(false);
        ApplyTextValues(form, *text, values);
        SCOPED_TRACE(testing::Message() << "alignment " << c.alignment << " wrap " << c.wordWrap);
        EXPECT_EQ(text->drawFlags, c.drawFlags);
        EXPECT_EQ(text->alignment, c.alignment);
        EXPECT_EQ(text->wordWrap, c.wordWrap ? 1 : 0);
        EXPECT_EQ(text->text, "Hallo\r\nWelt");
        EXPECT_EQ(text->textColor, 0x0000FFu);
        EXPECT_TRUE(form.IsModified());
    }
}

TEST(ObjectPropertiesTest, TheAngleIsHiddenWhileTheSheetIsOpenAndKeptUnlessChanged)
{
    CFormObjects form;
    auto *text = static_cast<CDrawText *>(form.Add(std::make_unique<CDrawText>(RECT{0, 0, 80, 20})));
    text->font.lfEscapement = 455;
    text->font.lfOrientation = 450;
    const TextValues values = TextValuesOf(*text);
    EXPECT_EQ(values.angle, 45);
    EXPECT_EQ(values.font.lfEscapement, 0);
    EXPECT_EQ(values.font.lfOrientation, 0);
    // Reading changed nothing.
    EXPECT_EQ(text->font.lfEscapement, 455);

    // Unchanged: the tenths survive.
    ApplyTextValues(form, *text, values);
    EXPECT_EQ(text->font.lfEscapement, 455);
    EXPECT_EQ(text->font.lfOrientation, 450);

    TextValues turned = values;
    turned.angle = 90;
    ApplyTextValues(form, *text, turned);
    EXPECT_EQ(text->font.lfEscapement, 900);
    EXPECT_EQ(text->font.lfOrientation, 900);
}

TEST(ObjectPropertiesTest, FontSizeAndDescription)
{
    struct Size
    {
        int cellHeight;
        int internalLeading;
        int dpi;
        int points;
    };
    const Size sizes[] = {
            {11, 0, 96, 8},   // the stock GUI font: 8.25 points
            {16, 0, 96, 12},  // 12 exactly
            {16, 3, 96, 10},  // 9.75 rounds up
            {14, 0, 96, 11},  // 10.5: halves round up
            {20, 4, 120, 10}, // 9.6
            {11, 0, 0, 0},    // no resolution: the multiply-divide's -1, shown as is
    };
    for (const Size &s : sizes) {
        const int expected = s.dpi == 0 ? -1 : s.points;
        EXPECT_EQ(FontPointSize(s.cellHeight, s.internalLeading, s.dpi), expected)
                << s.cellHeight << " " << s.internalLeading << " " << s.dpi;
    }
    EXPECT_EQ(FontPointSizeFromTenths(125), 12);
    EXPECT_EQ(FontPointSizeFromTenths(80), 8);

    LOGFONT font = StockFont(DEFAULT_GUI_FONT);
    EXPECT_EQ(FontDescription(font, 8), QStringLiteral("MS Sans Serif, 8 Punkte"));
    font.setFaceName("Times New Roman");
    EXPECT_EQ(FontDescription(font, 12), QStringLiteral("Times New Roman, 12 Punkte"));
    font.setFaceName("");
    EXPECT_EQ(FontDescription(font, 12), QStringLiteral("- Keine ausgewählt -"));
}

TEST(ObjectPropertiesTest, PicturePageTexts)
{
    PictureInfo png;
    png.path = "/bilder/Urlaub.png";
    png.width = 120;
    png.height = 80;
    png.bitmapWidth = 640;
    png.bitmapHeight = 480;
    png.dpiX = 72;
    png.dpiY = 96;
    png.bitsPerPixel = 24;
    png.formatCode = 75;

    PicturePageTexts texts = PicturePageTextsOf(png);
    EXPECT_EQ(texts.fileName, QStringLiteral("/bilder/Urlaub.png"));
    EXPECT_EQ(texts.fileType, QStringLiteral("Portable Network Graphics"));
    EXPECT_EQ(texts.size, QStringLiteral("120 x 80"));
    EXPECT_EQ(texts.originalSize, QStringLiteral("640 x 480"));
    EXPECT_EQ(texts.resolution, QStringLiteral("72 x 96"));
    EXPECT_EQ(texts.colors, QStringLiteral("16 Mill."));
    EXPECT_EQ(texts.status, QStringLiteral("Verknüpft"));

    PictureInfo failed = png;
    failed.loadFailed = true;
    failed.embedded = true;
    texts = PicturePageTextsOf(failed);
    EXPECT_EQ(texts.fileType, QStringLiteral("FEHLER"));
    EXPECT_EQ(texts.size, QStringLiteral("120 x 80"));
    EXPECT_EQ(texts.originalSize, QStringLiteral("-"));
    EXPECT_EQ(texts.resolution, QStringLiteral("-"));
    EXPECT_EQ(texts.colors, QStringLiteral("-"));
    EXPECT_EQ(texts.status, QStringLiteral("Eingebettet"));

    PictureInfo scan = png;
    scan.path = "#Scan#";
    scan.formatCode = 6;
    EXPECT_EQ(PicturePageTextsOf(scan).fileType, QStringLiteral("-"));
    PictureInfo unknown = png;
    unknown.formatCode = 99;
    EXPECT_EQ(PicturePageTextsOf(unknown).fileType, QStringLiteral("??"));

    const std::pair<int, const char *> colors[] = {{1, "2"},      {4, "16"},        {8, "256"},
                                                   {16, "65536"}, {24, "16 Mill."}, {32, "16 Mill."}};
    for (const auto &[bits, text] : colors)
        EXPECT_EQ(ColorCountText(bits), QString::fromUtf8(text)) << bits;
}

TEST(ObjectPropertiesTest, EmbeddedDocumentTexts)
{
    const EmbeddedDocumentTexts lost = EmbeddedDocumentTextsOf(nullptr);
    for (const QString &text : {lost.name, lost.type, lost.size, lost.status, lost.location})
        EXPECT_EQ(text, QStringLiteral("-"));

    CDrawItem embedded;
    embedded.fileName = "Brief an Oma.txt";
    embedded.mimeType = "text/plain";
    embedded.bytes = QByteArray(12345, 'x');
    EmbeddedDocumentTexts texts = EmbeddedDocumentTextsOf(&embedded);
    EXPECT_EQ(texts.name, QStringLiteral("Brief an Oma.txt"));
    // The description of the type, in German where the system's type
    // database has one.
    EXPECT_TRUE(texts.type == QStringLiteral("Einfaches Textdokument (text/plain)")
                || texts.type == QStringLiteral("text/plain"))
            << texts.type.toStdString();
    EXPECT_EQ(texts.size, QStringLiteral("12.345 Bytes"));
    EXPECT_EQ(texts.status, QStringLiteral("Eingebettet"));
    EXPECT_EQ(texts.location, QStringLiteral("-"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Liste.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1");
    file.close();
    CDrawItem linked;
    linked.fileName = "Liste.csv";
    linked.linked = true;
    linked.linkPath = path.toStdString();
    texts = EmbeddedDocumentTextsOf(&linked);
    EXPECT_EQ(texts.size, QStringLiteral("1 Byte"));
    EXPECT_EQ(texts.status, QStringLiteral("Verknüpft"));
    EXPECT_EQ(texts.location, path);
    EXPECT_EQ(texts.type, QStringLiteral("-"));
    // A link to a file that is gone has no size.
    linked.linkPath += "x";
    EXPECT_EQ(EmbeddedDocumentTextsOf(&linked).size, QStringLiteral("-"));
}

} // namespace
