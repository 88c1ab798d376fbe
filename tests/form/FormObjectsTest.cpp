// The form's object list: z-order, hit testing, generated forms and the data
// field bookkeeping that field changes rely on.
#include "FormTestSupport.h"

#include "form/DrawEdit.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"

#include <gtest/gtest.h>

using namespace orvel;

namespace {

TEST(FormObjectsTest, AddRemoveAndHooks)
{
    CFormObjects form;
    EXPECT_EQ(form.GetBackground(), 0x00C0C0C0u);
    int modified = 0;
    std::vector<CDrawObj *> removed;
    form.SetModifiedHook([&] { ++modified; });
    form.SetRemovedHook([&](CDrawObj *o) { removed.push_back(o); });

    CDrawObj *a = form.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{0, 0, 10, 10}));
    CDrawObj *b = form.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{5, 5, 20, 20}));
    EXPECT_EQ(a->document, &form);
    EXPECT_TRUE(form.IsModified());
    EXPECT_EQ(modified, 2);

    form.SetModified(false);
    std::unique_ptr<CDrawObj> taken = form.Remove(a);
    EXPECT_EQ(taken.get(), a);
    EXPECT_EQ(removed, std::vector<CDrawObj *>{a});
    EXPECT_TRUE(form.IsModified());
    EXPECT_EQ(form.Remove(a), nullptr); // no longer there

    form.SetBackground(RGB(255, 0, 0));
    form.Clear();
    EXPECT_EQ(removed.back(), b);
    EXPECT_TRUE(form.GetObjects().empty());
    EXPECT_EQ(form.GetBackground(), 0x00C0C0C0u);
    EXPECT_FALSE(form.IsModified());
}

TEST(FormObjectsTest, ObjectAtFindsTheFrontmostShapeUnderThePoint)
{
    CFormObjects form;
    CDrawObj *back = form.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{0, 0, 100, 100}));
    CDrawObj *ellipse = form.Add(std::make_unique<CDrawRect>(CDrawRect::ellipse, RECT{100, 100, 50, 50}));
    EXPECT_EQ(form.ObjectAt({75, 75}), ellipse);
    EXPECT_EQ(form.ObjectAt({52, 52}), back);     // the ellipse's corner is outside it
    EXPECT_EQ(form.ObjectAt({100, 50}), nullptr); // right edge excluded
    EXPECT_EQ(form.ObjectAt({-1, 5}), nullptr);

    // A line drawn up and to the left is hit along its band only, and a
    // horizontal line, whose rectangle is empty, is hit too.
    CFormObjects lines;
    CDrawObj *diagonal = lines.Add(std::make_unique<CDrawRect>(CDrawRect::line, RECT{300, 300, 200, 200}));
    CDrawObj *level = lines.Add(std::make_unique<CDrawRect>(CDrawRect::line, RECT{0, 50, 100, 50}));
    EXPECT_EQ(lines.ObjectAt({250, 251}), diagonal);
    EXPECT_EQ(lines.ObjectAt({290, 210}), nullptr);
    EXPECT_EQ(lines.ObjectAt({50, 51}), level);
    EXPECT_EQ(lines.ObjectAt({50, 56}), nullptr);

    CFormObjects polys;
    auto poly = std::make_unique<CDrawPoly>(RECT{});
    for (POINT p : {POINT{0, 0}, POINT{100, 0}, POINT{0, 100}})
        poly->AddPoint(p);
    CDrawObj *triangle = polys.Add(std::move(poly));
    EXPECT_EQ(polys.ObjectAt({10, 10}), triangle);
    EXPECT_EQ(polys.ObjectAt({90, 90}), nullptr);
}

TEST(FormObjectsTest, PolygonMovesItsPoints)
{
    CDrawPoly poly(RECT{});
    for (POINT p : {POINT{10, 10}, POINT{30, 10}, POINT{20, 40}})
        poly.AddPoint(p);
    poly.MoveTo(RECT{110, 60, 130, 90});
    EXPECT_EQ(poly.GetPoints()[2], (POINT{120, 90}));
    poly.MovePoint(3, POINT{200, 200});
    EXPECT_EQ(poly.position, (RECT{110, 60, 200, 200}));
}

TEST(FormObjectsTest, DefaultFormHasOneDataFieldPerField)
{
    CFormObjects form;
    form.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{}));
    form.CreateDefaultForm(3);
    ASSERT_EQ(form.GetObjects().size(), 3u);
    for (int k = 0; k < 3; ++k) {
        const auto *field = dynamic_cast<const CDrawEdit *>(form.GetObjects()[std::size_t(k)].get());
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->fieldIndex, k);
        EXPECT_EQ(field->position, (RECT{5, 20 + 38 * k, 405, 39 + 38 * k}));
        EXPECT_EQ(field->font, StockFont(DEFAULT_GUI_FONT));
        EXPECT_EQ(form.FindDataField(k), field);
    }
    EXPECT_TRUE(form.IsModified());
}

TEST(FormObjectsTest, DeletingAFieldRemovesAndRenumbersDataFields)
{
    CFormObjects form;
    form.CreateDefaultForm(4);
    auto *extra = static_cast<CDrawEdit *>(form.Add(std::make_unique<CDrawEdit>(1, RECT{})));
    extra->embedded = 1;
    form.FindDataField(3)->embedded = 1;
    EXPECT_FALSE(form.IsPictureEmbedded(1)); // the first data field of field 1 decides

    int removed = 0;
    form.SetRemovedHook([&](CDrawObj *) { ++removed; });
    form.DeleteDataFields(1);
    EXPECT_EQ(removed, 2);
    ASSERT_EQ(form.GetObjects().size(), 3u);
    EXPECT_TRUE(form.IsPictureEmbedded(2));
    EXPECT_EQ(form.FindDataField(3), nullptr);

    form.RenumberDataFields({2, 0, 1});
    EXPECT_TRUE(form.IsPictureEmbedded(1));
    EXPECT_EQ(static_cast<const CDrawEdit &>(*form.GetObjects()[0]).fieldIndex, 2);
}

} // namespace
