// What a screen reader gets from the list grid and the form through Qt's
// accessibility interfaces.
#include "ListGridFixture.h"
#include "document/DocumentTestSupport.h"

#include "form/DrawEdit.h"
#include "form/FormObjects.h"
#include "form/ui/DataFieldControl.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/OrvelView.h"
#include "platform/Codepage.h"

#include <QAccessible>
#include <QWidget>

#include <map>

using namespace orvel;
using namespace orvel::test;

namespace {

// Records the focus events sent while it lives, with accessibility active.
class FocusEvents
{
public:
    FocusEvents()
    {
        s_events = &m_events;
        m_previous = QAccessible::installUpdateHandler(&FocusEvents::handle);
        QAccessible::setActive(true);
    }
    ~FocusEvents()
    {
        QAccessible::setActive(false);
        QAccessible::installUpdateHandler(m_previous);
        s_events = nullptr;
    }
    // Row and column of each focused cell.
    const std::vector<std::pair<int, int>> &cells() const { return m_events; }

private:
    static void handle(QAccessibleEvent *event)
    {
        if (s_events == nullptr || event->type() != QAccessible::Focus)
            return;
        QAccessibleInterface *iface = event->accessibleInterface();
        QAccessibleTableCellInterface *cell = iface ? iface->tableCellInterface() : nullptr;
        if (cell != nullptr)
            s_events->emplace_back(cell->rowIndex(), cell->columnIndex());
    }

    static inline std::vector<std::pair<int, int>> *s_events = nullptr;
    std::vector<std::pair<int, int>> m_events;
    QAccessible::UpdateHandler m_previous = nullptr;
};

using GridAccessibilityTest = ListGridTest;

TEST_F(GridAccessibilityTest, TheGridIsATableOfRecordsAndFields)
{
    makeTable(3);
    showGrid();
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid.get());
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Table);
    QAccessibleTableInterface *tableIface = iface->tableInterface();
    ASSERT_NE(tableIface, nullptr);
    EXPECT_EQ(tableIface->rowCount(), 3);
    EXPECT_EQ(tableIface->columnCount(), 4);
    EXPECT_EQ(iface->childCount(), 12);
    EXPECT_EQ(tableIface->columnDescription(1), "Betrag");
    EXPECT_EQ(tableIface->rowDescription(2), "Datensatz 3");

    // Each cell: the value as the grid shows it, the field and record in its
    // description; the same object every time it is asked for.
    AnsiString buffer;
    const QString amount = AnsiToQString(table().GetRecord(1)->GetDisplayValue(1, buffer));
    QAccessibleInterface *cell = tableIface->cellAt(1, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(cell->text(QAccessible::Value), amount);
    EXPECT_EQ(cell->text(QAccessible::Name), amount);
    EXPECT_EQ(cell->text(QAccessible::Description), "Betrag, Datensatz 2");
    EXPECT_EQ(tableIface->cellAt(0, 0)->text(QAccessible::Name), "Name 1");
    EXPECT_TRUE(tableIface->cellAt(0, 3)->text(QAccessible::Name).startsWith('['));
    EXPECT_TRUE(tableIface->cellAt(0, 3)->state().readOnly);
    EXPECT_EQ(iface->child(5), cell);
    EXPECT_EQ(iface->indexOfChild(cell), 5);
    EXPECT_EQ(cell->parent(), iface);
    EXPECT_EQ(cell->tableCellInterface()->rowIndex(), 1);
    EXPECT_EQ(cell->tableCellInterface()->columnIndex(), 1);
    EXPECT_FALSE(cell->rect().isEmpty());
    EXPECT_EQ(iface->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
    EXPECT_EQ(tableIface->cellAt(3, 0), nullptr);
    EXPECT_EQ(tableIface->cellAt(0, 4), nullptr);

    // Marked records are the selected rows.
    table().GetRecord(2)->SetMark(true);
    EXPECT_TRUE(tableIface->isRowSelected(2));
    EXPECT_FALSE(tableIface->isRowSelected(1));
    EXPECT_EQ(tableIface->selectedRows(), QList<int>{2});
    EXPECT_TRUE(tableIface->cellAt(2, 0)->state().selected);

    // A cell whose record went away is no longer valid.
    QAccessibleInterface *last = tableIface->cellAt(2, 0);
    table().RemoveRecord(2);
    EXPECT_FALSE(last->isValid());
}

TEST_F(GridAccessibilityTest, TheCurrentCellIsTheFocusAndMovesAreAnnounced)
{
    makeTable(3);
    showGrid();
    FocusEvents events;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid.get());
    QAccessibleInterface *focus = iface->focusChild();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->tableCellInterface()->rowIndex(), 0);
    EXPECT_EQ(focus->tableCellInterface()->columnIndex(), 0);

    grid->LineDown();
    grid->Right();
    focus = iface->focusChild();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->text(QAccessible::Name), iface->tableInterface()->cellAt(1, 1)->text(QAccessible::Name));
    EXPECT_EQ(focus->state().focused, grid->hasFocus());
    EXPECT_TRUE(focus->state().active);
    EXPECT_FALSE(iface->tableInterface()->cellAt(0, 0)->state().focused);
    // The offscreen platform has no accessibility bridge, so events reach
    // the handler only where one is active.
    if (QAccessible::isActive() && grid->hasFocus()) {
        // Each move is told once, in order.
        EXPECT_EQ(events.cells(), (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}}));
    }
}

class FormAccessibilityTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        CFormDesigner::Tools() = {};
        AddField(doc, "Name");
        AddField(doc, "Ort");
        AddField(doc, "Notiz", FT_MEMO);
        AddRecord(doc, {"Anna", "Bonn", ""});
        AddRecord(doc, {"Bernd", "K\xF6ln", ""});
        doc.CreateDefaultForm();
        doc.SetModifiedFlag(false);
    }

    COrvelDoc doc;
};

TEST_F(FormAccessibilityTest, TheFormShowsItsDataFieldsWithTheCurrentRecordsValues)
{
    COrvelView view(doc, nullptr, nullptr, false);
    view.resize(640, 480);
    view.show();
    view.OnInitialUpdate();
    QCoreApplication::processEvents();
    CFormView *formView = view.GetFormView();
    ASSERT_NE(formView, nullptr);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(formView);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Form);
    ASSERT_GE(iface->childCount(), 3);

    // The fields by name, with the values of the current record.
    std::map<QString, QAccessibleInterface *> byName;
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface *child = iface->child(i);
        ASSERT_NE(child, nullptr);
        byName[child->text(QAccessible::Name)] = child;
    }
    ASSERT_EQ(byName.count("Ort"), 1u);
    ASSERT_EQ(byName.count("Notiz"), 1u);
    const int record = view.GetCurrentRecord();
    ASSERT_GE(record, 0);
    AnsiString buffer;
    EXPECT_EQ(byName["Ort"]->text(QAccessible::Value),
              AnsiToQString(doc.GetTable().GetRecord(record)->GetDisplayValue(1, buffer)));
    EXPECT_EQ(byName["Ort"]->role(), QAccessible::EditableText);
    EXPECT_EQ(byName["Notiz"]->role(), QAccessible::Button);
    EXPECT_EQ(byName["Ort"]->text(QAccessible::Description), QString("Datensatz %1").arg(record + 1));

    // The next record: the same fields read its values.
    view.SetCurrentCell(1 - record, 0);
    EXPECT_EQ(byName["Ort"]->text(QAccessible::Value),
              AnsiToQString(doc.GetTable().GetRecord(1 - record)->GetDisplayValue(1, buffer)));

    // The control over a selected field carries the field's name.
    CFormDesigner &designer = formView->Designer();
    designer.Select(doc.GetForm().FindDataField(1));
    QCoreApplication::processEvents();
    if (designer.GetEditor() != nullptr) {
        EXPECT_EQ(designer.GetEditor()->Widget()->accessibleName(), "Ort");
    }
}

} // namespace
