#include "platform/Archive.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace orvel {
namespace {

constexpr uint16_t kNullTag = 0;
constexpr uint16_t kBigIndexTag = 0x7FFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kNewClassTag = 0xFFFF;

// Large raw copies go through the devices piecewise: pipes and sockets take
// writes of any size only in parts, and a bounded buffer keeps memory flat.
constexpr std::size_t kCopyChunk = 64 * 1024;

class NestingGuard
{
public:
    explicit NestingGuard(int &depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~NestingGuard() { --m_depth; }
    NestingGuard(const NestingGuard &) = delete;
    NestingGuard &operator=(const NestingGuard &) = delete;

private:
    int &m_depth;
};

} // namespace

const ClassInfo CObject::classInfo{"CObject", 0xFFFF, nullptr, nullptr};

bool ClassInfo::IsDerivedFrom(const ClassInfo &other) const
{
    for (const ClassInfo *c = this; c != nullptr; c = c->base) {
        if (c == &other)
            return true;
    }
    return false;
}

ClassRegistry &ClassRegistry::Global()
{
    static ClassRegistry registry;
    return registry;
}

bool ClassRegistry::Register(const ClassInfo &info)
{
    const auto [it, inserted] = m_classes.emplace(std::string_view(info.name), &info);
    return inserted || it->second == &info;
}

const ClassInfo *ClassRegistry::Find(std::string_view name) const
{
    const auto it = m_classes.find(name);
    return it == m_classes.end() ? nullptr : it->second;
}

ArchiveException::ArchiveException(Cause cause, std::string message)
    : m_cause(cause)
    , m_message(std::move(message))
{}

CArchive::CArchive(QIODevice &device)
    : m_device(&device)
{}

CArchive::CArchive(QByteArrayView data, const ClassRegistry &registry)
    : m_data(data)
    , m_registry(&registry)
{
    m_entries.emplace_back(); // index 0 is the null reference
}

CArchive::~CArchive()
{
    // Untaken objects belong to no other object, so the order is free as far
    // as ownership goes; newest first mirrors construction.
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        it->owned.reset();
}

void CArchive::fail(ArchiveException::Cause cause, const std::string &what) const
{
    throw ArchiveException(cause, "archive at byte " + std::to_string(m_pos) + ": " + what);
}

void CArchive::requireStoring() const
{
    if (!IsStoring())
        fail(ArchiveException::BadFormat, "write on a loading archive");
}

void CArchive::requireLoading() const
{
    if (!IsLoading())
        fail(ArchiveException::BadFormat, "read on a storing archive");
}

void CArchive::require(uint64_t size) const
{
    requireLoading();
    if (size > remaining())
        fail(ArchiveException::EndOfFile,
             "needs " + std::to_string(size) + " bytes, " + std::to_string(remaining()) + " left");
}

void CArchive::EnsureAvailable(uint64_t count, std::size_t elementSize) const
{
    requireLoading();
    // Compared by division so that a huge count cannot overflow the product.
    if (elementSize != 0 && count > remaining() / elementSize)
        fail(ArchiveException::EndOfFile, std::to_string(count) + " elements of " + std::to_string(elementSize)
                                                  + " bytes, " + std::to_string(remaining()) + " bytes left");
}

void CArchive::put(const void *data, std::size_t size)
{
    requireStoring();
    const char *p = static_cast<const char *>(data);
    std::size_t left = size;
    while (left > 0) {
        const qint64 n = m_device->write(p, qint64(std::min(left, kCopyChunk)));
        if (n <= 0)
            fail(ArchiveException::WriteFailure, "write failed: " + m_device->errorString().toStdString());
        p += n;
        left -= std::size_t(n);
        m_pos += std::size_t(n);
    }
}

const char *CArchive::take(std::size_t size)
{
    require(size);
    const char *p = m_data.data() + m_pos;
    m_pos += size;
    return p;
}

void CArchive::WriteU8(uint8_t v)
{
    put(&v, 1);
}

void CArchive::WriteU16(uint16_t v)
{
    const auto le = qToLittleEndian(v);
    put(&le, sizeof le);
}

void CArchive::WriteI16(int16_t v)
{
    WriteU16(static_cast<uint16_t>(v));
}

void CArchive::WriteU32(uint32_t v)
{
    const auto le = qToLittleEndian(v);
    put(&le, sizeof le);
}

void CArchive::WriteI32(int32_t v)
{
    WriteU32(static_cast<uint32_t>(v));
}

uint8_t CArchive::ReadU8()
{
    return static_cast<uint8_t>(*take(1));
}

uint16_t CArchive::ReadU16()
{
    return qFromLittleEndian<uint16_t>(take(2));
}

int16_t CArchive::ReadI16()
{
    return static_cast<int16_t>(ReadU16());
}

uint32_t CArchive::ReadU32()
{
    return qFromLittleEndian<uint32_t>(take(4));
}

int32_t CArchive::ReadI32()
{
    return static_cast<int32_t>(ReadU32());
}

void CArchive::WriteString(AnsiView text)
{
    const std::size_t n = text.size();
    if (n < 0xFF) {
        WriteU8(uint8_t(n));
    } else if (n < 0xFFFE) {
        WriteU8(0xFF);
        WriteU16(uint16_t(n));
    } else {
        if (n > 0xFFFFFFFFu)
            fail(ArchiveException::BadFormat, "string longer than 4 GiB");
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(uint32_t(n));
    }
    put(text.data(), n);
}

AnsiString CArchive::ReadString()
{
    uint32_t n = ReadU8();
    if (n == 0xFF) {
        n = ReadU16();
        // 0xFFFE announces a string of 16-bit characters, which this program
        // never writes.
        if (n == 0xFFFE)
            fail(ArchiveException::BadFormat, "wide-character string");
        if (n == 0xFFFF)
            n = ReadU32();
    }
    const char *p = take(n);
    return AnsiString(p, n);
}

void CArchive::WriteCount(std::size_t count)
{
    if (count < 0xFFFF) {
        WriteU16(uint16_t(count));
    } else {
        if (count > 0xFFFFFFFFu)
            fail(ArchiveException::BadFormat, "count beyond 32 bits");
        WriteU16(0xFFFF);
        WriteU32(uint32_t(count));
    }
}

uint32_t CArchive::ReadCount(std::size_t minElementSize)
{
    uint32_t count = ReadU16();
    if (count == 0xFFFF)
        count = ReadU32();
    EnsureAvailable(count, minElementSize);
    return count;
}

void CArchive::WriteBytes(const void *data, std::size_t size)
{
    put(data, size);
}

bool CArchive::WriteBytesFrom(QIODevice &source, uint64_t size)
{
    requireStoring();
    std::vector<char> buffer(std::size_t(std::min<uint64_t>(size, kCopyChunk)));
    uint64_t left = size;
    bool complete = true;
    while (left > 0) {
        const auto chunk = std::size_t(std::min<uint64_t>(left, buffer.size()));
        qint64 got = complete ? source.read(buffer.data(), qint64(chunk)) : 0;
        if (got <= 0) {
            complete = false;
            got = qint64(chunk);
            std::fill_n(buffer.begin(), chunk, '\0');
        }
        put(buffer.data(), std::size_t(got));
        left -= uint64_t(got);
    }
    return complete;
}

void CArchive::ReadBytes(void *data, std::size_t size)
{
    const char *p = take(size);
    if (size > 0)
        std::memcpy(data, p, size);
}

QByteArray CArchive::ReadBytes(std::size_t size)
{
    const char *p = take(size);
    return QByteArray(p, qsizetype(size));
}

bool CArchive::ReadBytesTo(QIODevice &target, uint64_t size)
{
    require(size);
    const char *p = take(std::size_t(size));
    std::size_t left = std::size_t(size);
    while (left > 0) {
        const qint64 n = target.write(p, qint64(std::min(left, kCopyChunk)));
        if (n <= 0)
            return false;
        p += n;
        left -= std::size_t(n);
    }
    return true;
}

uint32_t CArchive::nextIndex()
{
    const uint32_t index = IsStoring() ? m_nextIndex : uint32_t(m_entries.size());
    if (index > kMaxIndex)
        fail(ArchiveException::TooManyObjects, "more than 32766 classes and objects");
    if (IsStoring())
        ++m_nextIndex;
    return index;
}

void CArchive::writeClass(const ClassInfo &info)
{
    const auto it = m_storedClasses.find(&info);
    if (it != m_storedClasses.end()) {
        WriteU16(uint16_t(kClassTag | it->second));
        return;
    }
    // A class that cannot be created by name could never be read back.
    if (info.create == nullptr)
        fail(ArchiveException::BadClass, std::string("class ") + info.name + " cannot be stored");
    const std::size_t nameLength = std::strlen(info.name);
    if (nameLength > 0xFFFF)
        fail(ArchiveException::BadClass, "class name too long");
    m_storedClasses.emplace(&info, nextIndex());
    WriteU16(kNewClassTag);
    WriteU16(info.schema);
    WriteU16(uint16_t(nameLength));
    put(info.name, nameLength);
}

void CArchive::WriteObject(const CObject *object)
{
    if (object == nullptr) {
        WriteU16(kNullTag);
        return;
    }
    const auto it = m_storedObjects.find(object);
    if (it != m_storedObjects.end()) {
        WriteU16(uint16_t(it->second));
        return;
    }
    if (m_depth >= kMaxNesting)
        fail(ArchiveException::TooDeep, "objects nested too deeply");
    // Refused before any of its bytes are out, so that the archive ends on a
    // whole reference.
    const ClassInfo &info = object->GetRuntimeClass();
    if (m_nextIndex + (m_storedClasses.contains(&info) ? 0 : 1) > kMaxIndex)
        fail(ArchiveException::TooManyObjects, "more than 32766 classes and objects");
    writeClass(info);
    // The index is taken before the object's own bytes, so that references to
    // it from inside its Serialize become back-references.
    m_storedObjects.emplace(object, nextIndex());
    NestingGuard nesting(m_depth);
    // Serialize serves both directions and therefore is not const; storing
    // does not change the object.
    const_cast<CObject *>(object)->Serialize(*this);
}

const ClassInfo &CArchive::readClass(uint16_t tag, const ClassInfo *expected)
{
    const ClassInfo *info = nullptr;
    if (tag == kNewClassTag) {
        const uint16_t schema = ReadU16();
        const uint16_t nameLength = ReadU16();
        const std::string_view name(take(nameLength), nameLength);
        info = m_registry->Find(name);
        if (info == nullptr || info->create == nullptr)
            fail(ArchiveException::BadClass, "unknown class \"" + std::string(name) + "\"");
        if (info->schema != schema)
            fail(ArchiveException::BadSchema, "class " + std::string(name) + " with schema " + std::to_string(schema)
                                                      + " instead of " + std::to_string(info->schema));
        const uint32_t index = nextIndex();
        m_entries.emplace_back();
        m_entries[index].cls = info;
    } else {
        const uint32_t index = tag & ~kClassTag;
        if (index == 0 || index >= m_entries.size() || m_entries[index].object != nullptr)
            fail(ArchiveException::BadIndex, "no class with index " + std::to_string(index));
        info = m_entries[index].cls;
    }
    if (expected != nullptr && !info->IsDerivedFrom(*expected))
        fail(ArchiveException::WrongClass,
             std::string("class ") + info->name + " where " + expected->name + " is required");
    return *info;
}

CObject *CArchive::ReadObject(const ClassInfo *expected)
{
    requireLoading();
    const uint16_t tag = ReadU16();
    if (tag == kNullTag)
        return nullptr;
    if (tag == kBigIndexTag)
        fail(ArchiveException::TooManyObjects, "32-bit object index");
    if (!(tag & kClassTag)) {
        if (tag >= m_entries.size() || m_entries[tag].object == nullptr)
            fail(ArchiveException::BadIndex, "no object with index " + std::to_string(tag));
        CObject *object = m_entries[tag].object;
        if (expected != nullptr && !object->IsKindOf(*expected))
            fail(ArchiveException::WrongClass, std::string("object of class ") + object->GetRuntimeClass().name
                                                       + " where " + expected->name + " is required");
        return object;
    }

    const ClassInfo &info = readClass(tag, expected);
    if (m_depth >= kMaxNesting)
        fail(ArchiveException::TooDeep, "objects nested too deeply");
    const uint32_t index = nextIndex();
    std::unique_ptr<CObject> created(info.create());
    CObject *object = created.get();
    m_entries.emplace_back();
    LoadEntry &entry = m_entries[index];
    entry.cls = &info;
    entry.object = object;
    entry.owned = std::move(created);
    entry.loading = true;
    m_loadedIndex.emplace(object, index);

    {
        NestingGuard nesting(m_depth);
        object->Serialize(*this);
    }
    // m_entries may have grown meanwhile; the entry is looked up again.
    m_entries[index].loading = false;
    return object;
}

std::unique_ptr<CObject> CArchive::TakeObject(CObject *object)
{
    if (object == nullptr)
        return nullptr;
    const auto it = m_loadedIndex.find(object);
    if (it == m_loadedIndex.end() || !m_entries[it->second].owned)
        fail(ArchiveException::BadFormat, "object referenced by two owners");
    LoadEntry &entry = m_entries[it->second];
    if (entry.loading)
        fail(ArchiveException::BadFormat, "object owns itself through a reference");
    return std::move(entry.owned);
}

bool CArchive::OwnsObject(const CObject *object) const
{
    const auto it = m_loadedIndex.find(object);
    return it != m_loadedIndex.end() && m_entries[it->second].owned != nullptr;
}

} // namespace orvel
