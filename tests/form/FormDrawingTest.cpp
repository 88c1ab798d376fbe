// What each form object draws, call by call, on a recording device context.
#include "form/DrawEdit.h"
#include "form/DrawItem.h"
#include "form/DrawOleObj.h"
#include "form/DrawPicture.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "form/FormObjects.h"
#include "platform/ScriptedServices.h"
#include "support/RecordingDC.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <gtest/gtest.h>

using namespace orvel;
using orvel::test::RecordingDC;

namespace {

using Calls = std::vector<std::string>;

Calls drawn(CDrawObj &object, const DrawContext &context = {})
{
    RecordingDC dc;
    object.Draw(dc, context);
    return dc.calls;
}

TEST(FormDrawingTest, ShapesSelectTheirPenAndBrushAndDrawTheirNormalizedRectangle)
{
    CDrawRect rect(CDrawRect::rectangle, {50, 40, 10, 10}, DrawColors{0x0000FF, 0x00FF00});
    EXPECT_EQ(drawn(rect), (Calls{"SelectBrush 0 00FF00", "SelectPen 0 1 0000FF", "Rectangle 10,10,50,40"}));

    CDrawRect round(CDrawRect::roundRectangle, {10, 10, 50, 40});
    round.roundness = {12, 8};
    round.hasBrush = 0;
    round.hasPen = 0;
    EXPECT_EQ(drawn(round), (Calls{"SelectBrush 1 000000", "SelectPen 5 0 000000", "RoundRect 10,10,50,40 12,8"}));

    CDrawRect ellipse(CDrawRect::ellipse, {10, 10, 50, 40});
    EXPECT_EQ(drawn(ellipse).back(), "Ellipse 10,10,50,40");

    // The raised frame goes along the rectangle after it is drawn.
    CDrawRect framed(CDrawRect::rectangle, {10, 10, 50, 40});
    framed.frame3D = 1;
    const Calls calls = drawn(framed);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "Rectangle 10,10,50,40");
    EXPECT_EQ(calls.back(), "Draw3DFrame 10,10,50,40 raised");
    // Only rectangles have the frame.
    CDrawRect framedEllipse(CDrawRect::ellipse, {10, 10, 50, 40});
    framedEllipse.frame3D = 1;
    EXPECT_EQ(drawn(framedEllipse).back(), "Ellipse 10,10,50,40");
}

TEST(FormDrawingTest, LineEndsMoveInForWidePens)
{
    struct Case
    {
        RECT position;
        int width;
        std::string from;
        std::string to;
    };
    const Case cases[] = {
            {{10, 10, 60, 40}, 1, "MoveTo 11,11", "LineTo 60,40"},
            {{10, 10, 60, 40}, 6, "MoveTo 13,13", "LineTo 57,37"},
            {{10, 10, 60, 40}, 5, "MoveTo 13,13", "LineTo 58,38"},
            // Drawn backwards: the start moves out by the smaller half.
            {{60, 40, 10, 10}, 6, "MoveTo 57,37", "LineTo 13,13"},
            {{60, 40, 10, 10}, 5, "MoveTo 58,38", "LineTo 13,13"},
            // Horizontal and vertical lines keep their direction.
            {{10, 20, 60, 20}, 6, "MoveTo 13,20", "LineTo 57,20"},
            {{30, 50, 30, 10}, 6, "MoveTo 30,47", "LineTo 30,13"},
    };
    for (const Case &c : cases) {
        CDrawRect line(CDrawRect::line, c.position);
        line.pen.lopnWidth = {c.width, c.width};
        const Calls calls = drawn(line);
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2], c.from) << c.width;
        EXPECT_EQ(calls.back(), c.to) << c.width;
    }
}

TEST(FormDrawingTest, PolygonsFillAlternatelyAndTextsDrawWithTheirFontAndFlags)
{
    CDrawPoly poly(RECT{});
    for (POINT p : {POINT{0, 0}, POINT{50, 10}, POINT{20, 60}})
        poly.AddPoint(p);
    const Calls polyCalls = drawn(poly);
    EXPECT_EQ(polyCalls[polyCalls.size() - 2], "SetPolyFillMode 1");
    EXPECT_EQ(polyCalls.back(), "Polygon 0,0 50,10 20,60");

    CDrawText text(RECT{100, 50, 10, 20});
    text.text = "Gr\xFC\xDF"
                "e";
    text.font.lfEscapement = 900;
    text.textColor = 0x0000FF;
    text.drawFlags = DT_CENTER | DT_WORDBREAK;
    const Calls textCalls = drawn(text);
    ASSERT_EQ(textCalls.size(), 4u);
    EXPECT_EQ(textCalls[0].rfind("SelectFont ", 0), 0u);
    EXPECT_NE(textCalls[0].find(" 900"), std::string::npos);
    EXPECT_EQ(textCalls[1], "SetTextColor 0000FF");
    EXPECT_EQ(textCalls[2], "SetBkMode 1");
    EXPECT_EQ(textCalls[3], "DrawText \"Grüße\" 10,20,100,50 000011");
}

TEST(FormDrawingTest, MissingPicturesSayWhichFileTheyWanted)
{
    ScriptedServices scripted;
    ScopedServices scope(&scripted);
    CDrawPicture picture(RECT{10, 10, 210, 110});
    picture.path = "/nirgends/bild.png";
    picture.viewer.SetFileName(QStringLiteral("/nirgends/bild.png"));
    const Calls calls = drawn(picture);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "DrawText \"Die Grafik /nirgends/bild.png konnte nicht eingelesen werden.\" "
                            "10,10,210,110 000810");
}

TEST(FormDrawingTest, EmbeddedDocumentsShowTheirNameAndTheFrameWhileTheDisplayIsOn)
{
    CDrawOleObj ole(RECT{10, 10, 110, 60});
    auto item = std::make_unique<CDrawItem>();
    item->fileName = "Brief.odt";
    item->mimeType = "application/vnd.oasis.opendocument.text";
    ole.SetClientItem(std::move(item));

    const Calls plain = drawn(ole);
    EXPECT_EQ(plain.back().rfind("DrawText \"Brief.odt\napplication/vnd.oasis.opendocument.text\" 14,14,106,56", 0),
              0u);

    DrawContext frames;
    frames.showOleFrames = true;
    const Calls framed = drawn(ole, frames);
    EXPECT_EQ(framed.back(), "Rectangle 10,10,110,60");
    EXPECT_EQ(framed[framed.size() - 2], "SelectPen 0 1 000000");
    EXPECT_EQ(framed[framed.size() - 3], "SelectBrush 1 000000");

    // Open in its application: hatched; a linked document: dotted.
    ole.clientItem->open = true;
    ole.clientItem->linked = true;
    const Calls open = drawn(ole, frames);
    EXPECT_EQ(open[open.size() - 3], "SelectBrush 2 000000");
    EXPECT_EQ(open[open.size() - 2], "SelectPen 2 1 000000");

    // Never on paper.
    frames.printing = true;
    EXPECT_EQ(drawn(ole, frames), plain);
}

TEST(FormDrawingTest, DataFieldsAreFramedPlaceholdersWithTheirLabel)
{
    CDataTable table;
    table.InsertField("Name");
    table.SetFieldType(FT_MEMO, table.InsertField("Notiz"));
    table.AddRecord(table.CreateRecord());
    CDrawEdit name(0, RECT{5, 20, 405, 39});

    DrawContext design;
    design.table = &table;
    design.record = 0;
    design.designMode = true;
    const Calls calls = drawn(name, design);
    // The label in the minimum width of twelve "X", right-aligned; the
    // value area after it in grey with the sunken frame.
    EXPECT_NE(std::find(calls.begin(), calls.end(), "DrawText \"Name\" 5,23,77,36 000822"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SelectBrush 0 C0C0C0"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Rectangle 82,20,405,39"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Draw3DFrame 82,20,405,39 sunken"), calls.end());

    // In data mode the value area is white.
    DrawContext data = design;
    data.designMode = false;
    const Calls dataCalls = drawn(name, data);
    EXPECT_NE(std::find(dataCalls.begin(), dataCalls.end(), "SelectBrush 0 FFFFFF"), dataCalls.end());

    // A memo field is a raised button named after its field.
    CDrawEdit memo(1, RECT{5, 50, 105, 70});
    const Calls memoCalls = drawn(memo, design);
    EXPECT_NE(std::find(memoCalls.begin(), memoCalls.end(), "Draw3DFrame 5,50,105,70 raised"), memoCalls.end());
    EXPECT_EQ(memoCalls.back(), "DrawText \"Notiz\" 5,50,105,70 000825");
}

TEST(FormDrawingTest, TrackersInvertSevenPixelSquaresOnlyWhenSelected)
{
    CDrawRect rect(CDrawRect::rectangle, {10, 20, 30, 40});
    RecordingDC none;
    rect.DrawTracker(none, kTrackerNormal);
    EXPECT_TRUE(none.calls.empty());
    RecordingDC selected;
    rect.DrawTracker(selected, kTrackerSelected);
    ASSERT_EQ(selected.calls.size(), 8u);
    EXPECT_EQ(selected.calls[0], "InvertRect 7,17,14,24");
    EXPECT_EQ(selected.calls[4], "InvertRect 27,37,34,44");
}

} // namespace
