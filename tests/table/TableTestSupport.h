#pragma once

#include "platform/Clock.h"
#include "table/DataTable.h"

#include <QDateTime>
#include <QTimeZone>

#include <initializer_list>

namespace orvel::test {

// Today is 7 December 2026 (UTC) in the table tests: date input fills the
// missing parts from it.
inline QDateTime TableTestNow()
{
    return QDateTime(QDate(2026, 12, 7), QTime(10, 30), QTimeZone::utc());
}

// A table with text fields of these names in this order.
inline void AddTextFields(CDataTable &table, std::initializer_list<const char *> names)
{
    for (const char *name : names)
        table.InsertField(name, -1);
}

// Appends a record with these raw values by display position.
inline CDataRecord &AddRow(CDataTable &table, std::initializer_list<const char *> values)
{
    auto record = table.CreateRecord(false);
    int pos = 0;
    for (const char *value : values)
        record->SetRawValue(value, pos++);
    return *table.GetRecord(table.AddRecord(std::move(record)));
}

} // namespace orvel::test
