#pragma once

#include "exchange/DbaseExport.h"
#include "exchange/DbaseImport.h"
#include "platform/AnsiString.h"
#include "table/DataTable.h"

#include <QBuffer>
#include <QByteArray>

#include <vector>

namespace orvel::test {

struct DbaseFieldSpec
{
    const char *name;
    char type;
    int length;
    int decimals = 0;
};

inline void PutLe(QByteArray &bytes, qsizetype at, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

inline QByteArray DbaseDescriptor(const QByteArray &name, char type, int length, int decimals = 0)
{
    QByteArray descriptor(32, '\0');
    descriptor.replace(0, name.size(), name);
    descriptor[11] = type;
    descriptor[16] = char(length);
    descriptor[17] = char(decimals);
    return descriptor;
}

// One record: the deletion flag, then each value left-aligned in its field.
inline QByteArray DbaseRecord(const std::vector<DbaseFieldSpec> &fields, const std::vector<QByteArray> &values,
                              char flag = ' ')
{
    QByteArray record(1, flag);
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const QByteArray value = k < values.size() ? values[k] : QByteArray();
        record += value.left(fields[k].length).leftJustified(fields[k].length, ' ');
    }
    return record;
}

// A dBASE III file as the format lays it out: header, descriptors,
// terminator, the records and the end marker.
inline QByteArray DbaseFile(const std::vector<DbaseFieldSpec> &fields, const QByteArray &records, quint32 count,
                            char version = 3)
{
    QByteArray bytes(32, '\0');
    bytes[0] = version;
    const quint32 headerLength = quint32(32 * fields.size() + 33);
    quint32 recordLength = 1;
    for (const auto &field : fields)
        recordLength += quint32(field.length);
    PutLe(bytes, 4, count, 4);
    PutLe(bytes, 8, headerLength, 2);
    PutLe(bytes, 10, recordLength, 2);
    for (const auto &field : fields)
        bytes += DbaseDescriptor(field.name, field.type, field.length, field.decimals);
    bytes += '\x0D';
    return bytes + records + '\x1A';
}

inline int ImportBytes(CDataTable &table, const QByteArray &bytes, ExchangeCharSet charSet = ExchangeCharSet::Ansi,
                       ProgressBox *progress = nullptr)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ImportDbase(table, buffer, charSet, progress);
}

inline QByteArray ExportBytes(CDataTable &table, ExchangeCharSet charSet = ExchangeCharSet::Ansi, int *result = nullptr,
                              ProgressBox *progress = nullptr)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const int written = ExportDbase(table, buffer, charSet, progress);
    if (result)
        *result = written;
    buffer.close();
    return bytes;
}

} // namespace orvel::test
