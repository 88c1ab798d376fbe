// orvel-sample-db OUT.ovd [RECORDS]: writes the seeded benchmark table as a
// database file, so that whole orvel-cli commands can be timed side by side
// with other tools on the same data.
#include "bench/GeneratedTable.h"
#include "document/OrvelDoc.h"
#include "platform/ConsoleServices.h"
#include "table/DataRecord.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "Aufruf: orvel-sample-db AUS.ovd [DATENSÄTZE]\n");
        return 2;
    }
    const int records = args.size() > 2 ? args[2].toInt() : 30000;
    orvel::ConsoleServices console;
    orvel::ScopedServices scoped(&console);

    const auto source = orvel::bench::MakeGeneratedTable(records);
    orvel::COrvelDoc doc;
    orvel::CDataTable &table = doc.GetTable();
    for (int pos = 0; pos < source->GetFieldCount(); ++pos) {
        table.InsertField(source->GetFieldName(pos));
        table.SetFieldType(source->GetFieldType(pos), pos);
        table.SetFieldFormat(source->GetFieldFormat(pos), pos);
    }
    std::vector<orvel::AnsiView> values(size_t(source->GetFieldCount()));
    for (int i = 0; i < source->GetRecordCount(); ++i) {
        const orvel::CDataRecord *from = source->GetRecord(i);
        for (int pos = 0; pos < source->GetFieldCount(); ++pos)
            values[size_t(pos)] = from->GetRawValue(pos);
        auto record = table.CreateRecord(false);
        record->SetModificationTime(from->GetModificationTime());
        record->SetRawValues(values.data(), int(values.size()));
        table.AddRecord(std::move(record));
    }
    doc.CreateDefaultForm();
    return doc.Save(args[1], 1, true) ? 0 : 1;
}
