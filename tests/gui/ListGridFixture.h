#pragma once

// A list grid on a real document, owned by a host that behaves like the
// list view: it keeps the current cell, appends with the table's commands
// and records what it is told.

#include "document/OrvelDoc.h"
#include "listview/ListGrid.h"
#include "platform/ScriptedServices.h"
#include "platform/ui/CellEditor.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace orvel::test {

class GridTestHost : public ListGridHost
{
public:
    explicit GridTestHost(COrvelDoc &document)
        : doc(document)
    {}

    int currentRecord() const override { return record; }
    int currentField() const override { return field; }
    void setCurrentCell(int newRecord, int newField) override
    {
        record = newRecord;
        field = newField;
    }
    void appendIfNeeded() override
    {
        int current = record;
        if (!AppendIfNeeded(doc.GetTable(), current))
            return;
        ++appends;
        record = current;
        field = 0;
        doc.SetModifiedFlag();
        if (grid)
            grid->OnUpdate(Hint::ShowCurrent);
    }
    void notifyOtherViews(const UpdateHint &hint) override { hints.push_back(hint); }
    void showStatusText(const QString &text) override { status = text; }
    LOGFONT gridFont() const override { return StockFont(ANSI_VAR_FONT); }

    COrvelDoc &doc;
    CListGrid *grid = nullptr;
    int record = -1;
    int field = -1;
    int appends = 0;
    std::vector<UpdateHint> hints;
    QString status;
};

// Fields: Name (text), Betrag (numeric, 2 decimals), Datum (date), Notiz
// (memo); `records` records "Name 1", "Name 2", ...
class ListGridTest : public ::testing::Test
{
protected:
    void TearDown() override { grid.reset(); }

    void makeTable(int records)
    {
        CDataTable &table = doc.GetTable();
        for (const auto &[name, type, format] : {std::tuple{"Name", FT_TEXT, 0}, std::tuple{"Betrag", FT_NUMERIC, 2},
                                                 std::tuple{"Datum", FT_DATE, 0}, std::tuple{"Notiz", FT_MEMO, 0}}) {
            const int pos = table.InsertField(name);
            table.SetFieldType(type, pos);
            table.SetFieldFormat(format, pos);
        }
        for (int i = 0; i < records; ++i) {
            auto record = table.CreateRecord();
            record->SetRawValue("Name " + std::to_string(i + 1), 0);
            record->SetRawValue("1234.5", 1);
            record->SetRawValue("19961224", 2);
            table.AddRecord(std::move(record));
        }
        host.record = records > 0 ? 0 : -1;
        host.field = records > 0 ? 0 : -1;
    }

    void showGrid(int width = 600, int height = 400)
    {
        grid = std::make_unique<CListGrid>(host, doc);
        host.grid = grid.get();
        grid->resize(width, height);
        grid->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
        grid->Initialise();
        grid->setFocus();
        QCoreApplication::processEvents();
    }

    CDataTable &table() { return doc.GetTable(); }
    QWidget *area() { return grid->viewport(); }
    // The middle of a cell's rectangle.
    QPoint cellCenter(int record, int field)
    {
        const RECT cell = grid->Geometry().cellRect(record, field);
        return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    }
    // Lets a closed editor go.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    ScriptedServices services;
    ScopedServices installed{&services};
    COrvelDoc doc;
    GridTestHost host{doc};
    std::unique_ptr<CListGrid> grid;
};

} // namespace orvel::test
