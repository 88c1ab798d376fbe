#pragma once

#include "exchange/SdfImport.h"
#include "platform/ScriptedServices.h"
#include "table/DataTable.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <string>
#include <vector>

namespace orvel::test {

using Rows = std::vector<std::vector<std::string>>;

// Every record's stored values, by display position.
inline Rows TableRows(const CDataTable &table)
{
    Rows rows;
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        std::vector<std::string> row;
        for (int pos = 0; pos < table.GetFieldCount(); ++pos)
            row.emplace_back(table.GetRecord(i)->GetRawValue(pos));
        rows.push_back(std::move(row));
    }
    return rows;
}

// A test with scripted services and a table to import into.
class SdfTest : public testing::Test
{
protected:
    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    CDataTable table;

    Rows Import(const std::string &bytes, ExchangeCharSet charSet = ExchangeCharSet::Ansi, char field = ',',
                char data = '"')
    {
        table.SetSdfDelimiters(field, data);
        EXPECT_EQ(ImportSdfBytes(table, bytes.data(), bytes.size(), charSet, nullptr), 1);
        return TableRows(table);
    }
    bool ReportedLosses() const { return scripted.sawMessage(523); }
};

} // namespace orvel::test
