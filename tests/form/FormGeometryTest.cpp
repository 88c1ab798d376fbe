// Handles, handle dragging, hit testing by shape, clones and the form's own
// editing operations.
#include "form/DrawEdit.h"
#include "form/DrawOleObj.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "form/FormObjects.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace orvel;

namespace {

std::unique_ptr<CDrawRect> shape(CDrawRect::Shape kind, RECT r)
{
    return std::make_unique<CDrawRect>(kind, r);
}

TEST(FormGeometryTest, HandlesOfTheRectangleAndWhereTheyAreHit)
{
    // Midpoints truncate: (10 + 21 / 2, 20 + 41 / 2) = (20, 40).
    const auto r = shape(CDrawRect::rectangle, {10, 20, 31, 61});
    const POINT expected[] = {{10, 20}, {20, 20}, {31, 20}, {31, 40}, {31, 61}, {20, 61}, {10, 61}, {10, 40}};
    ASSERT_EQ(r->GetHandleCount(), 8);
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(r->GetHandle(n), expected[n - 1]) << n;
    EXPECT_EQ(r->GetHandleCursor(1), HandleCursor::SizeNorthWestSouthEast);
    EXPECT_EQ(r->GetHandleCursor(4), HandleCursor::SizeWestEast);
    EXPECT_EQ(r->GetHandleCursor(7), HandleCursor::SizeNorthEastSouthWest);

    // Selected: the square of +-3 around a handle, right and bottom open.
    EXPECT_EQ(r->HitTest({7, 17}, true), 1);
    EXPECT_EQ(r->HitTest({12, 22}, true), 1);
    EXPECT_EQ(r->HitTest({13, 22}, true), 0);
    EXPECT_EQ(r->HitTest({33, 63}, true), 5);
    // Not selected: inside the position, right and bottom open.
    EXPECT_EQ(r->HitTest({10, 20}, false), 1);
    EXPECT_EQ(r->HitTest({31, 40}, false), 0);

    // A line has its two end points, the rounded rectangle a ninth handle.
    const auto line = shape(CDrawRect::line, {300, 200, 100, 50});
    ASSERT_EQ(line->GetHandleCount(), 2);
    EXPECT_EQ(line->GetHandle(1), (POINT{300, 200}));
    EXPECT_EQ(line->GetHandle(2), (POINT{100, 50}));
    line->MoveHandleTo(2, {120, 60}, kMouseLeftButton);
    EXPECT_EQ(line->position, (RECT{300, 200, 120, 60}));
    const auto round = shape(CDrawRect::roundRectangle, {100, 100, 200, 160});
    round->roundness = {20, 30};
    ASSERT_EQ(round->GetHandleCount(), 9);
    EXPECT_EQ(round->GetHandle(9), (POINT{190, 145}));
    EXPECT_EQ(round->GetHandleCursor(9), HandleCursor::SizeAll);
}

TEST(FormGeometryTest, EachHandleMovesTheEdgesItStandsOn)
{
    struct Case
    {
        int handle;
        RECT expected;
    };
    const Case cases[] = {
            {1, {5, 7, 100, 100}}, {2, {10, 7, 100, 100}}, {3, {10, 7, 5, 100}}, {4, {10, 10, 5, 100}},
            {5, {10, 10, 5, 7}},   {6, {10, 10, 100, 7}},  {7, {5, 10, 100, 7}}, {8, {5, 10, 100, 100}},
    };
    for (const Case &c : cases) {
        const auto r = shape(CDrawRect::rectangle, {10, 10, 100, 100});
        r->MoveHandleTo(c.handle, {5, 7}, kMouseLeftButton);
        EXPECT_EQ(r->position, c.expected) << c.handle;
    }
}

TEST(FormGeometryTest, RoundedCornerHandleStaysBetweenTheCentreAndTheEdge)
{
    struct Case
    {
        RECT position;
        POINT drag;
        POINT roundness;
    };
    const Case cases[] = {
            // Beyond the right and bottom edges: the smallest roundness.
            {{100, 100, 200, 160}, {250, 170}, {2, 2}},
            // Left of and above the centre: the whole width and height.
            {{100, 100, 200, 160}, {20, 20}, {100, 60}},
            // An odd width is rounded up to an even roundness.
            {{100, 100, 201, 161}, {20, 20}, {102, 62}},
            // Anywhere between: twice the distance from the edge.
            {{100, 100, 200, 160}, {185, 150}, {30, 20}},
            // Drawn right to left: the normalized rectangle counts.
            {{200, 160, 100, 100}, {185, 150}, {30, 20}},
    };
    for (const Case &c : cases) {
        CFormObjects form;
        auto *r = static_cast<CDrawRect *>(form.Add(shape(CDrawRect::roundRectangle, c.position)));
        form.SetModified(false);
        form.MoveObjectHandle(r, 9, c.drag, kMouseLeftButton);
        EXPECT_EQ(r->roundness, c.roundness) << c.drag.x << "," << c.drag.y;
        EXPECT_EQ(r->position, c.position);
        EXPECT_TRUE(form.IsModified());
    }
}

TEST(FormGeometryTest, ShapesAreHitWhereTheyAreDrawn)
{
    const RECT corner{101, 101, 103, 103};
    const RECT centre{149, 129, 151, 131};
    EXPECT_TRUE(shape(CDrawRect::rectangle, {100, 100, 200, 160})->Intersects(corner));
    EXPECT_FALSE(shape(CDrawRect::ellipse, {100, 100, 200, 160})->Intersects(corner));
    EXPECT_TRUE(shape(CDrawRect::ellipse, {100, 100, 200, 160})->Intersects(centre));
    const auto round = shape(CDrawRect::roundRectangle, {100, 100, 200, 160});
    round->roundness = {40, 40};
    EXPECT_FALSE(round->Intersects(corner));
    EXPECT_TRUE(round->Intersects({100, 125, 102, 127}));
    // Outside the rectangle nothing is hit, whatever the shape.
    EXPECT_FALSE(shape(CDrawRect::rectangle, {100, 100, 200, 160})->Intersects({200, 100, 210, 110}));

    // A diagonal line is hit along a band of (width + 5) / 2 either side.
    const auto line = shape(CDrawRect::line, {0, 0, 100, 100});
    EXPECT_TRUE(line->Intersects({50, 50, 51, 51}));
    EXPECT_TRUE(line->Intersects({52, 50, 53, 51}));
    EXPECT_FALSE(line->Intersects({60, 40, 61, 41}));
    line->pen.lopnWidth = {21, 21};
    EXPECT_TRUE(line->Intersects({60, 40, 61, 41}));
    // A horizontal line has an empty rectangle and is still hit on its
    // band, but not beyond its ends.
    const auto flat = shape(CDrawRect::line, {10, 50, 200, 50});
    EXPECT_TRUE(flat->Intersects({100, 51, 101, 52}));
    EXPECT_FALSE(flat->Intersects({100, 56, 101, 57}));
    EXPECT_FALSE(flat->Intersects({205, 50, 206, 51}));

    // A polygon by its alternate-fill region: the notch of a U is outside.
    CDrawPoly u(RECT{});
    for (POINT p : {POINT{0, 0}, POINT{30, 0}, POINT{30, 30}, POINT{20, 30}, POINT{20, 10}, POINT{10, 10},
                    POINT{10, 30}, POINT{0, 30}})
        u.AddPoint(p);
    EXPECT_TRUE(u.Intersects({5, 20, 6, 21}));
    EXPECT_FALSE(u.Intersects({15, 20, 16, 21}));
}

TEST(FormGeometryTest, ObjectAtTakesTheFrontObjectWhoseShapeCoversThePoint)
{
    CFormObjects form;
    CDrawObj *back = form.Add(shape(CDrawRect::rectangle, {0, 0, 100, 100}));
    CDrawObj *front = form.Add(shape(CDrawRect::ellipse, {50, 50, 150, 150}));
    EXPECT_EQ(form.ObjectAt({75, 75}), front);
    // The ellipse's corner is not the ellipse.
    EXPECT_EQ(form.ObjectAt({52, 52}), back);
    EXPECT_EQ(form.ObjectAt({140, 60}), nullptr);
}

TEST(FormGeometryTest, ClonesLookLikeTheirOriginalsAndDataFieldsHaveNone)
{
    auto rect = shape(CDrawRect::roundRectangle, {1, 2, 30, 40});
    rect->roundness = {8, 6};
    rect->pen = LOGPEN{PS_DASH, {3, 3}, 0x123456};
    rect->brush = LOGBRUSH{BS_HATCHED, 0x654321, 2};
    rect->hasBrush = 0;
    rect->frame3D = 1;
    const auto rectClone = rect->Clone();
    const auto *r = dynamic_cast<const CDrawRect *>(rectClone.get());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->shape, rect->shape);
    EXPECT_EQ(r->roundness, rect->roundness);
    EXPECT_EQ(r->position, rect->position);
    EXPECT_EQ(r->pen.lopnStyle, uint32_t(PS_DASH));
    EXPECT_EQ(r->pen.lopnColor, 0x123456u);
    EXPECT_EQ(r->brush.lbHatch, 2u);
    EXPECT_EQ(r->hasBrush, 0u);
    EXPECT_EQ(r->frame3D, 1u);

    CDrawPoly poly(RECT{});
    for (POINT p : {POINT{0, 0}, POINT{50, 10}, POINT{20, 60}})
        poly.AddPoint(p);
    const auto polyClone = poly.Clone();
    EXPECT_EQ(dynamic_cast<const CDrawPoly &>(*polyClone).GetPoints(), poly.GetPoints());

    CDrawText text(RECT{0, 0, 50, 20});
    text.text = "Hallo";
    text.font.lfEscapement = 900;
    text.textColor = 0x0000FF;
    text.drawFlags = DT_CENTER;
    const auto textClone = text.Clone();
    const auto &t = dynamic_cast<const CDrawText &>(*textClone);
    EXPECT_EQ(t.text, "Hallo");
    EXPECT_EQ(t.font.lfEscapement, 900);
    EXPECT_EQ(t.textColor, 0x0000FFu);
    EXPECT_EQ(t.drawFlags, uint32_t(DT_CENTER));

    EXPECT_EQ(CDrawEdit(0, RECT{0, 0, 10, 10}).Clone(), nullptr);
}

TEST(FormGeometryTest, ZOrderMovesAndTheFrontObjectStaysInFront)
{
    struct Case
    {
        int object;
        CFormObjects::ZOrder order;
        std::vector<int> expected;
        bool moved;
    };
    using Z = CFormObjects::ZOrder;
    const Case cases[] = {
            {0, Z::ToFront, {1, 2, 0}, true},  {2, Z::ToBack, {2, 0, 1}, true},    {0, Z::Forward, {1, 0, 2}, true},
            {2, Z::Backward, {0, 2, 1}, true}, {2, Z::Forward, {0, 1, 2}, false},  {2, Z::ToFront, {0, 1, 2}, false},
            {0, Z::ToBack, {0, 1, 2}, false},  {0, Z::Backward, {0, 1, 2}, false},
    };
    for (const Case &c : cases) {
        CFormObjects form;
        std::vector<CDrawObj *> objects;
        for (int i = 0; i < 3; ++i)
            objects.push_back(form.Add(shape(CDrawRect::rectangle, {i, i, i + 10, i + 10})));
        form.SetModified(false);
        EXPECT_EQ(form.Reorder(objects[std::size_t(c.object)], c.order), c.moved);
        std::vector<int> order;
        for (const auto &object : form.GetObjects())
            order.push_back(int(std::find(objects.begin(), objects.end(), object.get()) - objects.begin()));
        EXPECT_EQ(order, c.expected) << c.object << " " << int(c.order);
        // Only a real move is a change.
        EXPECT_EQ(form.IsModified(), c.moved);
    }
}

TEST(FormGeometryTest, RestylingAndMovingMarkTheFormOnlyWhenSomethingChanges)
{
    CFormObjects form;
    CDrawObj *r = form.Add(shape(CDrawRect::rectangle, {0, 0, 10, 10}));
    std::vector<const CDrawObj *> repainted;
    form.SetInvalidateHook([&](const CDrawObj *object) { repainted.push_back(object); });
    form.SetModified(false);
    form.MoveObject(r, {0, 0, 10, 10});
    EXPECT_FALSE(form.IsModified());
    EXPECT_TRUE(repainted.empty());

    form.SetLineColor(r, 0x0000FF);
    EXPECT_EQ(r->pen.lopnColor, 0x0000FFu);
    EXPECT_TRUE(form.IsModified());
    form.SetModified(false);
    form.SetFillColor(r, 0x00FF00);
    EXPECT_EQ(r->brush.lbColor, 0x00FF00u);
    EXPECT_TRUE(form.IsModified());
    form.SetModified(false);
    form.MoveObject(r, {5, 5, 15, 15});
    EXPECT_EQ(r->position, (RECT{5, 5, 15, 15}));
    EXPECT_TRUE(form.IsModified());
    // Moving repaints the old place and the new one.
    EXPECT_GE(repainted.size(), 2u);
}

} // namespace
