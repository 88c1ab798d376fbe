// Reads object references, counts and strings from the input until it ends or
// the archive refuses it. Whatever was read is stored again, read back and
// stored once more: the two stored forms must be the same bytes, so that a
// form survives any number of saves unchanged.
#include "platform/Archive.h"

#include <QBuffer>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <variant>
#include <vector>

namespace {

using orvel::CArchive;
using orvel::CObject;

class CDrawRect : public CObject
{
    ORVEL_DECLARE_CLASS(CDrawRect);

public:
    std::array<int32_t, 4> position{};
    uint16_t shape = 0;
    void Serialize(CArchive &ar) override
    {
        if (ar.IsStoring()) {
            for (int32_t v : position)
                ar.WriteI32(v);
            ar.WriteU16(shape);
        } else {
            for (int32_t &v : position)
                v = ar.ReadI32();
            shape = ar.ReadU16();
        }
    }
};
ORVEL_IMPLEMENT_SERIAL(CDrawRect, CObject, 0);

class CDrawText : public CDrawRect
{
    ORVEL_DECLARE_CLASS(CDrawText);

public:
    orvel::AnsiString text;
    std::array<char, 60> font{};
    void Serialize(CArchive &ar) override
    {
        CDrawRect::Serialize(ar);
        if (ar.IsStoring()) {
            ar.WriteString(text);
            ar.WriteBytes(font.data(), font.size());
        } else {
            text = ar.ReadString();
            ar.ReadBytes(font.data(), font.size());
        }
    }
};
ORVEL_IMPLEMENT_SERIAL(CDrawText, CDrawRect, 0);

class CDrawPoly : public CDrawRect
{
    ORVEL_DECLARE_CLASS(CDrawPoly);

public:
    std::vector<std::array<int32_t, 2>> points;
    void Serialize(CArchive &ar) override
    {
        CDrawRect::Serialize(ar);
        if (ar.IsStoring()) {
            ar.WriteU16(uint16_t(points.size()));
            for (const auto &p : points) {
                ar.WriteI32(p[0]);
                ar.WriteI32(p[1]);
            }
        } else {
            const uint16_t count = ar.ReadU16();
            ar.EnsureAvailable(count, 8);
            points.resize(count);
            for (auto &p : points) {
                p[0] = ar.ReadI32();
                p[1] = ar.ReadI32();
            }
        }
    }
};
ORVEL_IMPLEMENT_SERIAL(CDrawPoly, CDrawRect, 0);

class CDrawItem : public CObject
{
    ORVEL_DECLARE_CLASS(CDrawItem);

public:
    QByteArray bytes;
    void Serialize(CArchive &ar) override
    {
        if (ar.IsStoring()) {
            ar.WriteU32(uint32_t(bytes.size()));
            ar.WriteBytes(bytes);
        } else {
            const uint32_t size = ar.ReadU32();
            QBuffer target(&bytes);
            target.open(QIODevice::WriteOnly);
            ar.ReadBytesTo(target, size);
        }
    }
};
ORVEL_IMPLEMENT_SERIAL(CDrawItem, CObject, 0);

class CDrawOleObj : public CDrawRect
{
    ORVEL_DECLARE_CLASS(CDrawOleObj);

public:
    std::unique_ptr<CDrawItem> item;
    void Serialize(CArchive &ar) override
    {
        CDrawRect::Serialize(ar);
        if (ar.IsStoring())
            ar.WriteObject(item.get());
        else
            item = ar.ReadOwnedObject<CDrawItem>();
    }
};
ORVEL_IMPLEMENT_SERIAL(CDrawOleObj, CDrawRect, 0);

// Owns a list of objects and points at one more, as a group or a document
// would.
class CGroup : public CObject
{
    ORVEL_DECLARE_CLASS(CGroup);

public:
    orvel::AnsiString name;
    std::vector<std::unique_ptr<CObject>> members;
    CObject *link = nullptr;
    void Serialize(CArchive &ar) override
    {
        if (ar.IsStoring()) {
            ar.WriteString(name);
            ar.WriteCount(members.size());
            for (const auto &m : members)
                ar.WriteObject(m.get());
            ar.WriteObject(link);
        } else {
            name = ar.ReadString();
            const uint32_t count = ar.ReadCount(2);
            for (uint32_t i = 0; i < count; ++i)
                members.push_back(ar.ReadOwnedObject<CObject>());
            link = ar.ReadObject();
        }
    }
};
ORVEL_IMPLEMENT_SERIAL(CGroup, CObject, 0);

const orvel::ClassRegistry &registry()
{
    static const orvel::ClassRegistry r = [] {
        orvel::ClassRegistry reg;
        for (const orvel::ClassInfo *c : {&CDrawRect::classInfo, &CDrawText::classInfo, &CDrawPoly::classInfo,
                                          &CDrawItem::classInfo, &CDrawOleObj::classInfo, &CGroup::classInfo})
            reg.Register(*c);
        return reg;
    }();
    return r;
}

using Step = std::variant<CObject *, uint32_t, orvel::AnsiString>;

// Each step starts with a byte that says what follows: 0 an object the reader
// keeps, 1 a form object it leaves to the archive, 2 a count, 3 a string.
// Returns false when the archive refused the input.
bool readSteps(CArchive &ar, std::vector<Step> &steps, std::vector<std::unique_ptr<CObject>> &kept)
{
    try {
        while (ar.remaining() > 0) {
            const uint8_t what = ar.ReadU8() & 3;
            steps.emplace_back(what);
            switch (what) {
            case 0:
                kept.push_back(ar.ReadOwnedObject<CObject>());
                steps.emplace_back(kept.back().get());
                break;
            case 1:
                steps.emplace_back(ar.ReadObjectAs<CDrawRect>());
                break;
            case 2:
                steps.emplace_back(ar.ReadCount(0));
                break;
            default:
                steps.emplace_back(ar.ReadString());
                break;
            }
        }
    } catch (const orvel::ArchiveException &) {
        return false;
    }
    return true;
}

QByteArray writeSteps(const std::vector<Step> &steps)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(buffer);
    for (std::size_t i = 0; i + 1 < steps.size(); i += 2) {
        ar.WriteU8(uint8_t(std::get<uint32_t>(steps[i])));
        const Step &value = steps[i + 1];
        if (const auto *object = std::get_if<CObject *>(&value))
            ar.WriteObject(*object);
        else if (const auto *count = std::get_if<uint32_t>(&value))
            ar.WriteCount(*count);
        else
            ar.WriteString(std::get<orvel::AnsiString>(value));
    }
    return buffer.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Declared before the archive: taken objects outlive it, as they must.
    std::vector<std::unique_ptr<CObject>> kept;
    CArchive ar(QByteArrayView(data, qsizetype(size)), registry());
    std::vector<Step> steps;
    if (!readSteps(ar, steps, kept))
        return 0;

    const QByteArray first = writeSteps(steps);
    std::vector<std::unique_ptr<CObject>> keptAgain;
    CArchive again(first, registry());
    std::vector<Step> stepsAgain;
    if (!readSteps(again, stepsAgain, keptAgain) || writeSteps(stepsAgain) != first)
        std::abort();
    return 0;
}
