#include "bench/GeneratedTable.h"

#include "bench/DataGenerator.h"

namespace orvel::bench {

std::unique_ptr<CDataTable> MakeGeneratedTable(int records, uint64_t seed)
{
    auto table = std::make_unique<CDataTable>();
    FillGeneratedTable(*table, records, seed);
    return table;
}

void FillGeneratedTable(CDataTable &table, int records, uint64_t seed)
{
    for (const GeneratedField &field : DataGenerator::Fields()) {
        const int pos = table.InsertField(field.name);
        table.SetFieldType(field.type, pos);
        table.SetFieldFormat(field.format, pos);
    }
    DataGenerator generator(seed);
    generator.generate(records, [&](const std::vector<AnsiString> &values) {
        auto record = table.CreateRecord(false);
        record->SetModificationTime(851385600); // 1996-12-24
        for (int pos = 0; pos < int(values.size()); ++pos)
            record->SetRawValue(values[size_t(pos)], pos);
        table.AddRecord(std::move(record));
    });
    table.SetModified(false);
}

} // namespace orvel::bench
