#pragma once

#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "exchange/MemoObjects.h"
#include "platform/ScriptedServices.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace orvel::test {

using CsvRows = std::vector<std::vector<std::string>>;

// A test that imports into and exports from a table whose memo texts live in
// an object file of its own.
class CsvTest : public testing::Test
{
protected:
    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    QTemporaryDir dir;
    QString store = dir.filePath(QStringLiteral("work.dbo"));
    CDataTable table;
    CsvImportInfo info;

    int ImportStatus(const std::string &bytes, const CsvOptions &options = {}, int recordLimit = 30000)
    {
        table.Clear();
        ObjectFileMemoSink memos(store);
        info = CsvImportInfo();
        return ImportCsvBytes(table, bytes.data(), bytes.size(), options, memos, nullptr, &info, recordLimit);
    }

    // The field names, then every record's values; memo values as their
    // texts.
    CsvRows Import(const std::string &bytes, const CsvOptions &options = {}, int recordLimit = 30000)
    {
        EXPECT_EQ(ImportStatus(bytes, options, recordLimit), 1);
        return Rows();
    }

    CsvRows Rows()
    {
        CsvRows rows;
        std::vector<std::string> names;
        for (int pos = 0; pos < table.GetFieldCount(); ++pos)
            names.push_back(table.GetPlainFieldName(pos));
        rows.push_back(names);
        for (int i = 0; i < table.GetRecordCount(); ++i) {
            std::vector<std::string> row;
            for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
                const AnsiView value = table.GetRecord(i)->GetRawValue(pos);
                row.push_back(table.GetFieldType(pos) == FT_MEMO ? Memo(value) : std::string(value));
            }
            rows.push_back(row);
        }
        return rows;
    }

    std::string Memo(AnsiView reference)
    {
        std::string text;
        MemoObjectReader reader(store);
        EXPECT_TRUE(reader.Read(reference, [&](const char *data, std::size_t size) { text.append(data, size); }));
        return text;
    }

    std::string Export(const CsvOptions &options = {})
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_EQ(ExportCsv(table, buffer, options, store, nullptr), 1);
        return buffer.data().toStdString();
    }

    std::vector<int> Types() const
    {
        std::vector<int> types;
        for (int pos = 0; pos < table.GetFieldCount(); ++pos)
            types.push_back(table.GetFieldType(pos));
        return types;
    }

    int Messages(int id) const
    {
        int count = 0;
        for (const auto &message : scripted.messages())
            count += message.id == id ? 1 : 0;
        return count;
    }
    QString MessageText(int id) const
    {
        for (const auto &message : scripted.messages()) {
            if (message.id == id)
                return message.text;
        }
        return QString();
    }
};

} // namespace orvel::test
