#pragma once

#include "table/DataRecord.h"
#include "table/DataTable.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel::test {

// Two tables hold the same fields and records, value for value. Stops at the
// first record that differs and names it, so a garbled record among 30000
// is found without a flood of messages.
inline testing::AssertionResult SameTables(const CDataTable &expected, const CDataTable &actual)
{
    if (expected.GetFieldCount() != actual.GetFieldCount())
        return testing::AssertionFailure()
               << "fields: " << expected.GetFieldCount() << " vs " << actual.GetFieldCount();
    for (int k = 0; k < expected.GetFieldCount(); ++k) {
        if (expected.GetFieldName(k) != actual.GetFieldName(k) || expected.GetFieldType(k) != actual.GetFieldType(k))
            return testing::AssertionFailure()
                   << "field " << k << ": " << expected.GetFieldName(k) << " vs " << actual.GetFieldName(k);
    }
    if (expected.GetRecordCount() != actual.GetRecordCount())
        return testing::AssertionFailure()
               << "records: " << expected.GetRecordCount() << " vs " << actual.GetRecordCount();
    for (int i = 0; i < expected.GetRecordCount(); ++i) {
        const CDataRecord &a = *expected.GetRecord(i);
        const CDataRecord &b = *actual.GetRecord(i);
        if (a.GetModificationTime() != b.GetModificationTime() || a.GetRowHeight() != b.GetRowHeight())
            return testing::AssertionFailure() << "record " << i << ": time or height differs";
        for (int k = 0; k < expected.GetFieldCount(); ++k) {
            if (a.GetRawValue(k) != b.GetRawValue(k))
                return testing::AssertionFailure()
                       << "record " << i << ", field " << k << ": \"" << std::string(a.GetRawValue(k)) << "\" vs \""
                       << std::string(b.GetRawValue(k)) << '"';
        }
    }
    return testing::AssertionSuccess();
}

} // namespace orvel::test
