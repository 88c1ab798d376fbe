#pragma once

#include "platform/AnsiString.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace orvel {

// The bytes of the "OrvelDatabase" clipboard format: a record count, a field
// count, per field its name, type and embedded flag, then per record one
// value per field. Every integer is 32-bit little-endian and signed; names
// and values are a length and their bytes, without terminator.
namespace recordstream {

struct StreamField
{
    AnsiString name; // lower case, as the copying table's plain name
    int type = 0;
    int embedded = 0;
};

// Builds a stream: the header first, then one value per field and record.
class Writer
{
public:
    // The record count may be patched later (SetRecordCount), when a walk
    // over marked records ends early.
    void WriteHeader(int recordCount, const std::vector<StreamField> &fields);
    void WriteValue(AnsiView value);
    void SetRecordCount(int recordCount);
    // Forgets everything written (a copy that failed leaves an empty stream).
    void Clear() { m_bytes.clear(); }
    const QByteArray &Bytes() const { return m_bytes; }
    QByteArray TakeBytes() { return std::move(m_bytes); }

private:
    void writeInt(std::int32_t value);
    QByteArray m_bytes;
};

// Reads a stream from outside (the clipboard may hold anything under the
// format's name). Every count and length is checked against the bytes that
// are left before it is used; a stream that ends early or announces more
// than it holds stops the reader, which then reports failure.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes)
        : m_data(bytes.constData())
        , m_size(static_cast<std::size_t>(bytes.size()))
    {}
    Reader(const char *data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {}

    // Reads the record count and the field descriptions. Names longer than
    // 255 bytes keep their first 255. False for a damaged header.
    bool ReadHeader();
    int RecordCount() const { return m_recordCount; }
    const std::vector<StreamField> &Fields() const { return m_fields; }

    // The next value (in field order, record after record); false at the end
    // of the bytes or for a length that reaches beyond them. The view points
    // into the stream's bytes.
    bool ReadValue(AnsiView &value);
    bool AtEnd() const { return m_pos >= m_size; }

private:
    bool readInt(std::int32_t &value);

    const char *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    int m_recordCount = 0;
    std::vector<StreamField> m_fields;
};

} // namespace recordstream

} // namespace orvel
