#pragma once

#include "platform/AnsiString.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QIODevice;

// The object serialisation of the form block, the "OrvelForm" clipboard data
// and stored OLE values. All integers are little-endian.
//
//   string   length < 255: one byte; < 0xFFFE: 0xFF + u16; else 0xFF 0xFFFF + u32;
//            then the bytes, no terminator
//   count    < 0xFFFF: u16; else 0xFFFF + u32
//   object   null: u16 0; written before: u16 index; new: its class, then the
//            object's own bytes. The class is 0xFFFF + u16 schema + u16 name
//            length + name when new, else u16 0x8000 | class index.
//            Classes and objects share one index counter per archive that
//            starts at 1.
//
// Indices stop at 0x7FFE: 0x7FFF would be the escape to 32-bit indices, which
// no form ever needs, so it is neither written nor accepted.

namespace orvel {

class CArchive;
class CObject;

// What the archive knows about a class: the name and schema stored with it, how
// to make an empty object of it (null for abstract classes), and its base class
// so that a reference can be required to be of some class or one derived from it.
struct ClassInfo
{
    const char *name;
    uint16_t schema;
    CObject *(*create)();
    const ClassInfo *base;

    bool IsDerivedFrom(const ClassInfo &other) const;
};

// Base of every object that goes through the archive. Serialize handles both
// directions: `if (ar.IsStoring()) ... else ...`.
//
// Destructors must not touch objects they merely point to: after a failed load
// the archive deletes what it created in no particular relation to who points
// to whom.
class CObject
{
public:
    virtual ~CObject() = default;
    virtual const ClassInfo &GetRuntimeClass() const = 0;
    virtual void Serialize(CArchive &ar) = 0;

    bool IsKindOf(const ClassInfo &info) const { return GetRuntimeClass().IsDerivedFrom(info); }

    static const ClassInfo classInfo;
};

// In the class body: ORVEL_DECLARE_CLASS(CDrawRect);
// In one source file: ORVEL_IMPLEMENT_SERIAL(CDrawRect, CDrawObj, 0);
// (or ORVEL_IMPLEMENT_DYNAMIC for a class that cannot be created by name).
// The C++ base given must be the class's real base, because ReadObjectAs
// relies on it for its downcast.
// clang-format off
#define ORVEL_DECLARE_CLASS(Class)                                                                                     \
public:                                                                                                                \
    static const ::orvel::ClassInfo classInfo;                                                                         \
    const ::orvel::ClassInfo &GetRuntimeClass() const override { return classInfo; }                                   \
    static_assert(true, "")

#define ORVEL_IMPLEMENT_SERIAL(Class, Base, Schema)                                                                    \
    const ::orvel::ClassInfo Class::classInfo{                                                                         \
            #Class, Schema, []() -> ::orvel::CObject * { return new Class; }, &Base::classInfo}

#define ORVEL_IMPLEMENT_DYNAMIC(Class, Base)                                                                           \
    const ::orvel::ClassInfo Class::classInfo{#Class, 0xFFFF, nullptr, &Base::classInfo}
// clang-format on

// The classes an archive may create while loading, by their stored names.
// Registration is explicit (each module registers its classes at start-up)
// rather than done by static initialisers: the linker drops objects of a static
// library that nothing references, and a class would then silently vanish.
// Register everything before the first archive is read; lookups are not
// guarded against concurrent registration.
class ClassRegistry
{
public:
    // The registry archives use unless they are given another one.
    static ClassRegistry &Global();

    // False (and the earlier class stays) when another class already holds
    // the name. Registering the same class twice is harmless.
    bool Register(const ClassInfo &info);
    const ClassInfo *Find(std::string_view name) const;

private:
    std::map<std::string_view, const ClassInfo *> m_classes;
};

class ArchiveException : public std::exception
{
public:
    enum Cause {
        EndOfFile,      // the input ends before a value, or a length reaches past it
        BadClass,       // class name unknown or not creatable
        BadSchema,      // stored schema differs from the class's
        BadIndex,       // back-reference to nothing, to a class as an object or vice versa
        WrongClass,     // reference resolves to a class other than the one required
        WriteFailure,   // the output device refused bytes
        TooManyObjects, // more than 0x7FFE classes and objects, or the 32-bit index escape
        TooDeep,        // objects nested inside objects beyond the nesting limit
        BadFormat,      // anything else that cannot be in a valid archive
    };

    ArchiveException(Cause cause, std::string message);

    Cause cause() const { return m_cause; }
    const char *what() const noexcept override { return m_message.c_str(); }

private:
    Cause m_cause;
    std::string m_message;
};

// One archive is one pass over one stream: a storing archive writes to a
// QIODevice, a loading archive reads a byte span that must outlive it.
//
// Ownership while loading: every object that ReadObject creates belongs to the
// archive until someone calls TakeObject on it. Whatever is still the archive's
// when it is destroyed is deleted with it, so a load that throws half way
// leaks nothing, and a caller keeps exactly the objects it took. An object can
// be taken once, and only after its own Serialize has finished (so ownership can
// never form a cycle); back-references are plain pointers that never own.
// A taken object must live until the archive is done reading: a later
// back-reference may name it (a paste that drops some objects drops them after
// the load).
class CArchive
{
public:
    static constexpr uint32_t kMaxIndex = 0x7FFE;
    // Forms nest two deep (object, OLE item); anything far deeper is an attack
    // on the stack rather than a form.
    static constexpr int kMaxNesting = 64;

    // Storing. Every failed write throws WriteFailure at once.
    explicit CArchive(QIODevice &device);
    // Loading.
    explicit CArchive(QByteArrayView data, const ClassRegistry &registry = ClassRegistry::Global());
    // The archive reads its input in place: a temporary would be gone at once.
    CArchive(QByteArray &&data, const ClassRegistry &registry = ClassRegistry::Global()) = delete;
    ~CArchive();

    CArchive(const CArchive &) = delete;
    CArchive &operator=(const CArchive &) = delete;

    bool IsStoring() const { return m_device != nullptr; }
    bool IsLoading() const { return m_device == nullptr; }

    // Bytes written or read so far; bytes left to read (0 when storing).
    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return IsLoading() ? m_data.size() - m_pos : 0; }

    // The document the objects belong to, for objects that need it while
    // loading or storing. Not owned.
    void SetDocument(void *document) { m_pDocument = document; }
    template<class T>
    T *GetDocument() const
    {
        return static_cast<T *>(m_pDocument);
    }

    void WriteU8(uint8_t v);
    void WriteU16(uint16_t v);
    void WriteI16(int16_t v);
    void WriteU32(uint32_t v);
    void WriteI32(int32_t v);
    uint8_t ReadU8();
    uint16_t ReadU16();
    int16_t ReadI16();
    uint32_t ReadU32();
    int32_t ReadI32();

    void WriteString(AnsiView text);
    AnsiString ReadString();

    void WriteCount(std::size_t count);
    // Throws EndOfFile unless count * minElementSize bytes are still there, so
    // that a caller may reserve count elements safely. Pass the smallest stored
    // size of one element (2 for object references).
    uint32_t ReadCount(std::size_t minElementSize = 1);
    // The same check for counts stored some other way.
    void EnsureAvailable(uint64_t count, std::size_t elementSize) const;

    void WriteBytes(const void *data, std::size_t size);
    void WriteBytes(QByteArrayView bytes) { WriteBytes(bytes.data(), std::size_t(bytes.size())); }
    // Copies size bytes from source. When source ends or fails early the rest
    // is written as zeros, so the archive keeps the length it announced and
    // stays readable; returns false then. Failures of the archive's own device
    // throw as usual.
    bool WriteBytesFrom(QIODevice &source, uint64_t size);

    void ReadBytes(void *data, std::size_t size);
    QByteArray ReadBytes(std::size_t size);
    // Copies size bytes to target in chunks. The input must hold all of them
    // (EndOfFile otherwise, before anything is written). When target fails the
    // rest is skipped, so that reading can go on after the caller reports it;
    // returns false then.
    bool ReadBytesTo(QIODevice &target, uint64_t size);

    void WriteObject(const CObject *object);
    // The object a reference names, or null for a null reference. With
    // `expected`, the object must be of that class or one derived from it
    // (WrongClass otherwise). A newly created object stays the archive's until
    // taken; see above.
    CObject *ReadObject(const ClassInfo *expected = nullptr);
    template<class T>
    T *ReadObjectAs()
    {
        return static_cast<T *>(ReadObject(&T::classInfo));
    }

    // Hands an object this archive created over to the caller. Null gives
    // null. Throws BadFormat for an object that is not the archive's to give
    // (already taken, or not created by it) or whose loading is still running:
    // both mean a stream in which one object would get two owners.
    std::unique_ptr<CObject> TakeObject(CObject *object);
    template<class T>
    std::unique_ptr<T> TakeObject(T *object)
    {
        return std::unique_ptr<T>(static_cast<T *>(TakeObject(static_cast<CObject *>(object)).release()));
    }
    // Reads a reference the caller is to own: ReadObjectAs + TakeObject.
    template<class T>
    std::unique_ptr<T> ReadOwnedObject()
    {
        return TakeObject(ReadObjectAs<T>());
    }
    // Whether the archive still owns the object (created by it and not taken).
    bool OwnsObject(const CObject *object) const;

private:
    struct LoadEntry
    {
        const ClassInfo *cls = nullptr;
        CObject *object = nullptr; // null for a class entry
        std::unique_ptr<CObject> owned;
        bool loading = false;
    };

    [[noreturn]] void fail(ArchiveException::Cause cause, const std::string &what) const;
    void requireStoring() const;
    void requireLoading() const;
    void require(uint64_t size) const;
    void put(const void *data, std::size_t size);
    const char *take(std::size_t size);
    uint32_t nextIndex();
    void writeClass(const ClassInfo &info);
    const ClassInfo &readClass(uint16_t tag, const ClassInfo *expected);

    // Storing
    QIODevice *m_device = nullptr;
    std::unordered_map<const CObject *, uint32_t> m_storedObjects;
    std::unordered_map<const ClassInfo *, uint32_t> m_storedClasses;
    uint32_t m_nextIndex = 1;

    // Loading: m_entries[i] is index i (0 stays empty: the null reference).
    QByteArrayView m_data;
    const ClassRegistry *m_registry = nullptr;
    std::vector<LoadEntry> m_entries;
    std::unordered_map<const CObject *, uint32_t> m_loadedIndex;

    std::size_t m_pos = 0;
    int m_depth = 0;
    void *m_pDocument = nullptr;
};

} // namespace orvel
