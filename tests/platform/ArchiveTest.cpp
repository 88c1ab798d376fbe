#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <functional>

using orvel::ArchiveException;
using orvel::CArchive;
using orvel::ClassRegistry;
using orvel::CObject;

namespace {

int g_live = 0; // objects of the test classes alive right now

class Counted : public CObject
{
public:
    Counted() { ++g_live; }
    Counted(const Counted &) { ++g_live; }
    ~Counted() override { --g_live; }
};

// A base that is never stored on its own, as the form objects' common base.
class CShape : public Counted
{
    ORVEL_DECLARE_CLASS(CShape);

public:
    void Serialize(CArchive &) override {}
};
ORVEL_IMPLEMENT_DYNAMIC(CShape, CObject);

class CDrawRect : public CShape
{
    ORVEL_DECLARE_CLASS(CDrawRect);

public:
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    uint16_t shape = 0;
    void Serialize(CArchive &ar) override
    {
        if (ar.IsStoring()) {
            for (int32_t v : {left, top, right, bottom})
                ar.WriteI32(v);
            ar.WriteU16(shape);
        } else {
            for (int32_t *v : {&left, &top, &right, &bottom})
                *v = ar.ReadI32();
            shape = ar.ReadU16();
        }
    }
};
ORVEL_IMPLEMENT_SERIAL(CDrawRect, CShape, 0);

class CDrawText : public CDrawRect
{
    ORVEL_DECLARE_CLASS(CDrawText);

public:
    orvel::AnsiString text;
    void *document = nullptr;
    void Serialize(CArchive &ar) override
    {
        CDrawRect::Serialize(ar);
        if (ar.IsStoring()) {
            ar.WriteString(text);
        } else {
            text = ar.ReadString();
            document = ar.GetDocument<void>();
        }
    }
};
ORVEL_IMPLEMENT_SERIAL(CDrawText, CDrawRect, 0);

// Owns a child (like an object its OLE item) and points at another object.
class CNode : public Counted
{
    ORVEL_DECLARE_CLASS(CNode);

public:
    std::unique_ptr<CNode> child;
    CObject *link = nullptr;
    void Serialize(CArchive &ar) override
    {
        if (ar.IsStoring()) {
            ar.WriteObject(child.get());
            ar.WriteObject(link);
        } else {
            child = ar.ReadOwnedObject<CNode>();
            link = ar.ReadObject();
        }
    }
};
ORVEL_IMPLEMENT_SERIAL(CNode, CObject, 0);

const ClassRegistry &registry()
{
    static ClassRegistry r = [] {
        ClassRegistry reg;
        reg.Register(CShape::classInfo);
        reg.Register(CDrawRect::classInfo);
        reg.Register(CDrawText::classInfo);
        reg.Register(CNode::classInfo);
        return reg;
    }();
    return r;
}

QByteArray store(const std::function<void(CArchive &)> &write)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(buffer);
    write(ar);
    return buffer.data();
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

ArchiveException::Cause loadError(const QByteArray &bytes, const std::function<void(CArchive &)> &read)
{
    CArchive ar(bytes, registry());
    try {
        read(ar);
    } catch (const ArchiveException &e) {
        return e.cause();
    }
    ADD_FAILURE() << "no exception for " << bytes.toHex().constData();
    return ArchiveException::BadFormat;
}

ArchiveException::Cause readObjectError(const QByteArray &bytes, const orvel::ClassInfo *expected = nullptr)
{
    return loadError(bytes, [&](CArchive &ar) { ar.ReadObject(expected); });
}

// Fails after a given number of bytes, like a full disk.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 limit)
        : m_limit(limit)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 len) override
    {
        const qint64 n = std::min(len, m_limit - m_written);
        if (n <= 0)
            return -1;
        m_written += n;
        return n;
    }

private:
    qint64 m_limit;
    qint64 m_written = 0;
};

CDrawRect makeRect(int32_t l, int32_t t, int32_t r, int32_t b)
{
    CDrawRect rect;
    rect.left = l, rect.top = t, rect.right = r, rect.bottom = b;
    return rect;
}

// Two rectangles and a text, as a form block writes them after its colour.
struct FormSample
{
    CDrawRect first = makeRect(10, 20, 5, 2); // drawn up and to the left: stays unnormalised
    CDrawRect second = makeRect(-1, 0, 0x7FFFFFFF, 1);
    CDrawText text;
    FormSample() { text.text = "Textobjekt"; }
    void write(CArchive &ar)
    {
        ar.WriteCount(3);
        ar.WriteObject(&first);
        ar.WriteObject(&second);
        ar.WriteObject(&text);
    }
    QByteArray bytes()
    {
        return store([&](CArchive &ar) { write(ar); });
    }
};

} // namespace

TEST(ArchiveFormat, TwoRectanglesAndATextShareTheIndexCounter)
{
    FormSample form;
    const QByteArray expected = hex("0300"
                                    "ffff 0000 0900 4344726177526563 74"       // new class CDrawRect: index 1
                                    "0a000000 14000000 05000000 02000000 0000" // object 2
                                    "0180"                                     // class 1 again
                                    "ffffffff 00000000 ffffff7f 01000000 0000" // object 3
                                    "ffff 0000 0900 4344726177546578 74"       // new class CDrawText: index 4
                                    "00000000 00000000 00000000 00000000 0000 0a 546578746f626a656b74");
    ASSERT_EQ(form.bytes().toHex(), expected.toHex());

    int document = 0;
    CArchive ar(expected, registry());
    ar.SetDocument(&document);
    ASSERT_EQ(ar.ReadCount(2), 3u);
    auto first = ar.ReadOwnedObject<CDrawRect>();
    auto second = ar.ReadOwnedObject<CDrawRect>();
    auto text = ar.TakeObject(ar.ReadObjectAs<CDrawText>());
    EXPECT_EQ(ar.remaining(), 0u);
    EXPECT_EQ(first->left, 10);
    EXPECT_EQ(first->right, 5);
    EXPECT_EQ(second->left, -1);
    EXPECT_EQ(second->right, 0x7FFFFFFF);
    EXPECT_EQ(text->text, "Textobjekt");
    EXPECT_EQ(text->document, &document);
}

TEST(ArchiveFormat, IntegersAreLittleEndian)
{
    const QByteArray bytes = store([](CArchive &ar) {
        ar.WriteU8(0xAB);
        ar.WriteI16(-2);
        ar.WriteU32(0x01020304);
        ar.WriteI32(-300);
    });
    EXPECT_EQ(bytes.toHex(), "abfeff04030201d4feffff");
    CArchive ar(bytes);
    EXPECT_EQ(ar.ReadU8(), 0xAB);
    EXPECT_EQ(ar.ReadI16(), -2);
    EXPECT_EQ(ar.ReadU32(), 0x01020304u);
    EXPECT_EQ(ar.ReadI32(), -300);
    EXPECT_EQ(ar.position(), 11u);
}

TEST(ArchiveFormat, StringLengthPrefixes)
{
    const std::pair<std::size_t, const char *> cases[] = {
            {0, "00"},
            {254, "fe"},
            {255, "ff ff00"},
            {300, "ff 2c01"},
            {0xFFFD, "ff fdff"},
            {0xFFFE, "ff ffff feff0000"},
            {0x10000, "ff ffff 00000100"},
    };
    for (const auto &[length, prefix] : cases) {
        const orvel::AnsiString text(length, '\xE4');
        const QByteArray bytes = store([&](CArchive &ar) { ar.WriteString(text); });
        const QByteArray head = hex(prefix);
        EXPECT_EQ(bytes.size(), head.size() + qsizetype(length));
        EXPECT_EQ(bytes.left(head.size()).toHex(), head.toHex()) << length;
        CArchive ar(bytes);
        EXPECT_EQ(ar.ReadString(), text) << length;
        EXPECT_EQ(ar.remaining(), 0u);
    }
}

TEST(ArchiveFormat, LongerStringPrefixesAreReadForShortStrings)
{
    const QByteArray bytes = hex("ff 0300 616263  ff ffff 02000000 6465");
    CArchive ar(bytes);
    EXPECT_EQ(ar.ReadString(), "abc");
    EXPECT_EQ(ar.ReadString(), "de");
}

TEST(ArchiveFormat, CountEscapeAt0xFFFF)
{
    EXPECT_EQ(store([](CArchive &ar) { ar.WriteCount(0xFFFE); }).toHex(), "feff");
    EXPECT_EQ(store([](CArchive &ar) { ar.WriteCount(0xFFFF); }).toHex(), "ffffffff0000");
    const QByteArray bytes = hex("feff ffffffff0000");
    CArchive ar(bytes);
    EXPECT_EQ(ar.ReadCount(0), 0xFFFEu);
    EXPECT_EQ(ar.ReadCount(0), 0xFFFFu);
    // A count is refused when its elements cannot fit into what is left.
    EXPECT_EQ(loadError(hex("0300 0000 0000"), [](CArchive &a) { a.ReadCount(2); }), ArchiveException::EndOfFile);
    EXPECT_EQ(loadError(hex("ffff ffffffff"), [](CArchive &a) { a.ReadCount(); }), ArchiveException::EndOfFile);
}

TEST(ArchiveReferences, BackAndNullReferences)
{
    CDrawRect rect = makeRect(1, 2, 3, 4);
    const QByteArray bytes = store([&](CArchive &ar) {
        ar.WriteObject(&rect);
        ar.WriteObject(nullptr);
        ar.WriteObject(&rect);
    });
    EXPECT_EQ(bytes.right(4).toHex(), "00000200");
    CArchive ar(bytes, registry());
    CObject *first = ar.ReadObject();
    EXPECT_EQ(ar.ReadObject(), nullptr);
    EXPECT_EQ(ar.ReadObject(&CDrawRect::classInfo), first);
    EXPECT_EQ(static_cast<CDrawRect *>(first)->bottom, 4);
}

TEST(ArchiveReferences, RefusedReferences)
{
    const QByteArray rect = store([](CArchive &ar) {
        CDrawRect r;
        ar.WriteObject(&r);
    });
    EXPECT_EQ(readObjectError(hex("ffff 0000 0800 4344726177506f6c")), ArchiveException::BadClass);
    EXPECT_EQ(readObjectError(hex("ffff 0000 0900 6364726177726563 74")), ArchiveException::BadClass);
    EXPECT_EQ(readObjectError(hex("ffff 0100 0900 4344726177526563 74")), ArchiveException::BadSchema);
    EXPECT_EQ(readObjectError(hex("0200")), ArchiveException::BadIndex);
    EXPECT_EQ(readObjectError(hex("0180")), ArchiveException::BadIndex);
    EXPECT_EQ(readObjectError(hex("0080")), ArchiveException::BadIndex);
    EXPECT_EQ(readObjectError(hex("ff7f 02000000")), ArchiveException::TooManyObjects);
    EXPECT_EQ(readObjectError(rect, &CDrawText::classInfo), ArchiveException::WrongClass);
    EXPECT_EQ(readObjectError(hex("ffff 0000 0500 434e6f6465 0000 0000"), &CShape::classInfo),
              ArchiveException::WrongClass);
    EXPECT_EQ(readObjectError(hex("ffff ffff 0600 435368617065")), ArchiveException::BadClass); // not creatable
    {
        CArchive derived(rect, registry());
        EXPECT_NE(derived.ReadObject(&CShape::classInfo), nullptr); // a derived class satisfies its base
    }
    // An index names either a class or an object, never both.
    auto second = [](const orvel::ClassInfo *expected) {
        return [expected](CArchive &ar) {
            ar.ReadObject();
            ar.ReadObject(expected);
        };
    };
    EXPECT_EQ(loadError(rect + hex("0100"), second(nullptr)), ArchiveException::BadIndex);
    EXPECT_EQ(loadError(rect + hex("0280"), second(nullptr)), ArchiveException::BadIndex);
    EXPECT_EQ(loadError(rect + hex("0200"), second(&CDrawText::classInfo)), ArchiveException::WrongClass);
    EXPECT_EQ(g_live, 0);
}

TEST(ArchiveReferences, NestedObjectsOwnershipAndLeaks)
{
    CNode leaf;
    CNode root;
    root.child = std::make_unique<CNode>();
    root.link = &leaf;
    leaf.link = root.child.get();
    const int before = g_live;
    {
        const QByteArray bytes = store([&](CArchive &ar) {
            ar.WriteObject(&root);
            ar.WriteObject(&leaf);
        });
        CArchive ar(bytes, registry());
        auto loadedRoot = ar.ReadOwnedObject<CNode>();
        CObject *loadedLeaf = ar.ReadObject();
        ASSERT_TRUE(loadedRoot->child);
        EXPECT_EQ(loadedRoot->link, loadedLeaf);
        EXPECT_EQ(static_cast<CNode *>(loadedLeaf)->link, loadedRoot->child.get());
        EXPECT_TRUE(ar.OwnsObject(loadedLeaf)); // never taken: goes with the archive
        EXPECT_FALSE(ar.OwnsObject(loadedRoot.get()));
    }
    EXPECT_EQ(g_live, before);

    // Class CNode = 1. Object 2 owns a new child 3; object 4 claims 3 as its
    // child as well, and object 5 claims itself.
    const QByteArray twoOwners = hex("ffff 0000 0500 434e6f6465  0180 0000 0000 0000  0180 0300 0000");
    EXPECT_EQ(loadError(twoOwners,
                        [](CArchive &ar) {
                            ar.ReadObject();
                            ar.ReadObject();
                        }),
              ArchiveException::BadFormat);
    const QByteArray selfOwner = hex("ffff 0000 0500 434e6f6465  0200 0000");
    EXPECT_EQ(loadError(selfOwner, [](CArchive &ar) { ar.ReadObject(); }), ArchiveException::BadFormat);
    // A plain link to itself is fine.
    const QByteArray selfLink = hex("ffff 0000 0500 434e6f6465  0000 0200");
    CArchive ar(selfLink, registry());
    CObject *self = ar.ReadObject();
    EXPECT_EQ(static_cast<CNode *>(self)->link, self);
    EXPECT_EQ(g_live, before + 1);
}

TEST(ArchiveReferences, ClassesThatCannotBeReadBackAreNotWritten)
{
    CShape shape;
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    CArchive ar(sink);
    try {
        ar.WriteObject(&shape);
        FAIL();
    } catch (const ArchiveException &e) {
        EXPECT_EQ(e.cause(), ArchiveException::BadClass);
        EXPECT_EQ(sink.size(), 0);
    }
}

TEST(ArchiveReferences, NestingIsLimited)
{
    QByteArray deep = hex("ffff 0000 0500 434e6f6465");
    for (int i = 0; i < 10000; ++i)
        deep += hex("0180");
    EXPECT_EQ(readObjectError(deep), ArchiveException::TooDeep);

    CNode root;
    CNode *tail = &root;
    for (int i = 0; i < CArchive::kMaxNesting; ++i)
        tail = (tail->child = std::make_unique<CNode>()).get();
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    CArchive ar(sink);
    try {
        ar.WriteObject(&root);
        FAIL();
    } catch (const ArchiveException &e) {
        EXPECT_EQ(e.cause(), ArchiveException::TooDeep);
    }
}

TEST(ArchiveReferences, IndexCounterStopsAt0x7FFE)
{
    std::vector<CDrawRect> rects(CArchive::kMaxIndex); // class 1, objects 2 .. 0x7FFE, one too many
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(buffer);
    for (std::size_t i = 0; i + 1 < rects.size(); ++i)
        ar.WriteObject(&rects[i]);
    ar.WriteObject(&rects[0]);
    try {
        ar.WriteObject(&rects.back());
        FAIL();
    } catch (const ArchiveException &e) {
        EXPECT_EQ(e.cause(), ArchiveException::TooManyObjects);
    }

    CArchive in(buffer.data(), registry());
    CObject *first = in.ReadObject();
    for (std::size_t i = 2; i < rects.size(); ++i)
        in.ReadObject();
    EXPECT_EQ(in.ReadObject(), first);
    EXPECT_EQ(in.remaining(), 0u);
}

TEST(ArchiveDamage, EveryTruncationThrows)
{
    FormSample form;
    CNode root;
    root.child = std::make_unique<CNode>();
    root.link = &form.text;
    const QByteArray bytes = store([&](CArchive &ar) {
        form.write(ar);
        ar.WriteObject(&root);
    });
    const int before = g_live;
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        CArchive ar(QByteArrayView(bytes).first(n), registry());
        try {
            const uint32_t count = ar.ReadCount(2);
            for (uint32_t i = 0; i < count; ++i)
                ar.ReadObject(&CDrawRect::classInfo);
            ar.TakeObject(ar.ReadObject(&CNode::classInfo));
            ADD_FAILURE() << "no exception at length " << n;
        } catch (const ArchiveException &e) {
            EXPECT_EQ(e.cause(), ArchiveException::EndOfFile) << n;
        }
    }
    EXPECT_EQ(g_live, before);
    EXPECT_EQ(loadError(hex("ff ffff ffffffff 41"), [](CArchive &ar) { ar.ReadString(); }),
              ArchiveException::EndOfFile);
    EXPECT_EQ(loadError(hex("ff feff 0100 4100"), [](CArchive &ar) { ar.ReadString(); }), ArchiveException::BadFormat);
}

TEST(ArchiveDamage, WriteFailureAtEveryByte)
{
    FormSample form;
    const qsizetype total = form.bytes().size();
    for (qsizetype limit = 0; limit < total; ++limit) {
        FailingDevice device(limit);
        CArchive ar(device);
        try {
            ar.WriteCount(3);
            ar.WriteObject(&form.first);
            ar.WriteObject(&form.second);
            ar.WriteObject(&form.text);
            ADD_FAILURE() << "no exception at limit " << limit;
        } catch (const ArchiveException &e) {
            EXPECT_EQ(e.cause(), ArchiveException::WriteFailure);
        }
    }
}

TEST(ArchiveBytes, LargeCopiesThroughDevices)
{
    QByteArray picture(200000, Qt::Uninitialized);
    for (qsizetype i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 7);
    QBuffer source(&picture);
    source.open(QIODevice::ReadOnly);
    QByteArray stored = store([&](CArchive &ar) { EXPECT_TRUE(ar.WriteBytesFrom(source, 200000)); });
    EXPECT_EQ(stored, picture);

    // A source that ends early is padded, so the announced length still holds.
    QByteArray shortSource("abc");
    QBuffer shortDevice(&shortSource);
    shortDevice.open(QIODevice::ReadOnly);
    EXPECT_EQ(store([&](CArchive &ar) { EXPECT_FALSE(ar.WriteBytesFrom(shortDevice, 5)); }), QByteArray("abc\0\0", 5));

    stored += "Z";
    CArchive ar(stored);
    QBuffer target;
    target.open(QIODevice::WriteOnly);
    EXPECT_TRUE(ar.ReadBytesTo(target, 200000));
    EXPECT_EQ(target.data(), picture);
    EXPECT_EQ(ar.ReadU8(), 'Z');

    // A failing target skips the bytes: the reader can report it and go on.
    CArchive again(stored);
    FailingDevice full(1000);
    EXPECT_FALSE(again.ReadBytesTo(full, 200000));
    EXPECT_EQ(again.ReadU8(), 'Z');
    CArchive tooShort(stored);
    EXPECT_THROW(tooShort.ReadBytesTo(target, 300000), ArchiveException);
    EXPECT_EQ(tooShort.position(), 0u);
}
