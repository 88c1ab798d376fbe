#include "document/RecordStream.h"
#include "platform/ByteOrder.h"

#include <algorithm>

namespace orvel::recordstream {

namespace {
constexpr std::size_t kMaxNameBytes = 255;
// A field description takes at least its three integers.
constexpr std::size_t kFieldHeaderBytes = 12;
} // namespace

void Writer::writeInt(std::int32_t value)
{
    char bytes[4];
    WriteLe32(bytes, static_cast<std::uint32_t>(value));
    m_bytes.append(bytes, 4);
}

void Writer::WriteHeader(int recordCount, const std::vector<StreamField> &fields)
{
    writeInt(recordCount);
    writeInt(static_cast<std::int32_t>(fields.size()));
    for (const StreamField &field : fields) {
        writeInt(static_cast<std::int32_t>(field.name.size()));
        m_bytes.append(field.name.data(), static_cast<qsizetype>(field.name.size()));
        writeInt(field.type);
        writeInt(field.embedded);
    }
}

void Writer::WriteValue(AnsiView value)
{
    writeInt(static_cast<std::int32_t>(value.size()));
    m_bytes.append(value.data(), static_cast<qsizetype>(value.size()));
}

void Writer::SetRecordCount(int recordCount)
{
    if (m_bytes.size() < 4)
        return;
    WriteLe32(m_bytes.data(), static_cast<std::uint32_t>(recordCount));
}

bool Reader::readInt(std::int32_t &value)
{
    if (m_size - m_pos < 4)
        return false;
    value = static_cast<std::int32_t>(ReadLe32(m_data + m_pos));
    m_pos += 4;
    return true;
}

bool Reader::ReadHeader()
{
    m_pos = 0;
    m_fields.clear();
    std::int32_t records = 0;
    std::int32_t fields = 0;
    if (!readInt(records) || !readInt(fields) || records < 0 || fields < 0)
        return false;
    // A count that the remaining bytes cannot hold is a damaged stream, not
    // a reason to reserve memory for it.
    if (static_cast<std::size_t>(fields) > (m_size - m_pos) / kFieldHeaderBytes)
        return false;
    m_fields.reserve(static_cast<std::size_t>(fields));
    for (std::int32_t i = 0; i < fields; ++i) {
        std::int32_t length = 0;
        if (!readInt(length) || length < 0 || static_cast<std::size_t>(length) > m_size - m_pos)
            return false;
        StreamField field;
        field.name.assign(m_data + m_pos, std::min(static_cast<std::size_t>(length), kMaxNameBytes));
        m_pos += static_cast<std::size_t>(length);
        std::int32_t type = 0;
        std::int32_t embedded = 0;
        if (!readInt(type) || !readInt(embedded))
            return false;
        field.type = type;
        field.embedded = embedded;
        m_fields.push_back(std::move(field));
    }
    // Each record holds at least one length per field.
    if (!m_fields.empty() && static_cast<std::size_t>(records) > (m_size - m_pos) / (4 * m_fields.size()))
        return false;
    m_recordCount = records;
    return true;
}

bool Reader::ReadValue(AnsiView &value)
{
    std::int32_t length = 0;
    if (!readInt(length) || length < 0 || static_cast<std::size_t>(length) > m_size - m_pos)
        return false;
    value = AnsiView(m_data + m_pos, static_cast<std::size_t>(length));
    m_pos += static_cast<std::size_t>(length);
    return true;
}

} // namespace orvel::recordstream
