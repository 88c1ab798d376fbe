// Memo values: the conversions between the stored Windows-1252 text, the
// editor and text files, and memos in the object store through save, Save As
// and reopening.
#include "DocumentTestSupport.h"

#include "media/MemoStore.h"
#include "media/MemoText.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <QFileInfo>

using namespace orvel;
using namespace orvel::test;

namespace {

QByteArray Bytes(const char *text)
{
    return QByteArray(text);
}

struct DecodeCase
{
    const char *name;
    QByteArray bytes;
    bool utf8;
    QString text;
    int replacedCount;
    std::vector<char32_t> replaced;
};

TEST(MemoTextTest, TextFilesAreReadAsUtf8WhenTheyAreValidElseAsWindows1252)
{
    const std::vector<DecodeCase> cases = {
            {"utf-8 umlauts",
             Bytes("Gr\xC3\xBC\xC3\x9F"
                   "e aus K\xC3\xB6ln"),
             true,
             QStringLiteral("Grüße aus Köln"),
             0,
             {}},
            {"utf-8 with byte-order mark", Bytes("\xEF\xBB\xBFHallo"), true, QStringLiteral("Hallo"), 0, {}},
            {"utf-8 euro sign is in Windows-1252", Bytes("5 \xE2\x82\xAC"), true, QStringLiteral("5 €"), 0, {}},
            {"windows-1252 umlauts",
             Bytes("Gr\xFC\xDF"
                   "e \x80 5"),
             false,
             QStringLiteral("Grüße € 5"),
             0,
             {}},
            {"a lone lead byte is not utf-8", Bytes("K\xF6ln\r\n"), false, QStringLiteral("Köln\n"), 0, {}},
            {"line ends", Bytes("a\r\nb\rc\nd"), true, QStringLiteral("a\nb\nc\nd"), 0, {}},
            {"characters Windows-1252 cannot hold",
             Bytes("a \xE2\x86\x92 b \xE2\x86\x92 \xF0\x9F\x98\x80 \xCE\xA9"),
             true,
             QStringLiteral("a ? b ? ? ?"),
             4,
             {U'\u2192', U'\U0001F600', U'\u03A9'}},
            {"empty", QByteArray(), true, QString(), 0, {}},
    };
    for (const DecodeCase &c : cases) {
        const DecodedTextFile decoded = DecodeTextFile(c.bytes);
        EXPECT_EQ(decoded.utf8, c.utf8) << c.name;
        EXPECT_EQ(decoded.text, c.text) << c.name;
        EXPECT_EQ(decoded.replacedCount, c.replacedCount) << c.name;
        EXPECT_EQ(decoded.replaced, c.replaced) << c.name;
    }
}

TEST(MemoTextTest, TheMessageNamesEachReplacedCharacterOnceWithItsNumber)
{
    EXPECT_EQ(DescribeCharacters({U'\u2192', U'\U0001F600'}), QStringLiteral("„→“ (U+2192), „😀“ (U+1F600)"));
    // Characters that would not show are named by their number only.
    EXPECT_EQ(DescribeCharacters({U'\u200B'}), QStringLiteral("(U+200B)"));
    EXPECT_EQ(DescribeCharacters({U'\u03A9', U'\u03B1', U'\u03B2'}, 2),
              QStringLiteral("„Ω“ (U+03A9), „α“ (U+03B1), …"));
}

TEST(MemoTextTest, BinaryAndLargeFilesAreRecognised)
{
    const QByteArray text = QByteArray("Zeile\teins\r\nZeile zwei\f\x1A").repeated(100);
    QByteArray controls = QByteArray("ab\x01\x02\x03\x04", 6).repeated(100);
    QByteArray fewControls = QByteArray("Text mit \x1B[1mFarbe\x1B[0m und mehr Text ").repeated(50);
    struct Case
    {
        const char *name;
        QByteArray head;
        std::int64_t size;
        bool binary;
        bool large;
    } cases[] = {
            {"text", text, text.size(), false, false},
            {"empty", QByteArray(), 0, false, false},
            {"a NUL byte", QByteArray("Text\0Text", 9), 9, true, false},
            {"mostly control characters", controls, controls.size(), true, false},
            {"a few escape sequences", fewControls, fewControls.size(), false, false},
            {"exactly 16 MiB", text, kLargeTextFileSize, false, false},
            {"one byte more", text, kLargeTextFileSize + 1, false, true},
    };
    for (const Case &c : cases) {
        const TextFileCheck check = CheckTextFile(c.head, c.size);
        EXPECT_EQ(check.binary, c.binary) << c.name;
        EXPECT_EQ(check.large, c.large) << c.name;
    }
    // Only the start of a file decides: a NUL byte further on is not looked at.
    QByteArray late = QByteArray(kTextFileSampleSize, 'x') + QByteArray(1, '\0');
    EXPECT_FALSE(CheckTextFile(late, late.size()).binary);
}

TEST(MemoTextTest, TheEditorWorksWithLineFeedsAndTheMemoKeepsCrLf)
{
    EXPECT_EQ(MemoToEditorText("Gr\xFC\xDF"
                               "e\r\nZeile\rdrei\nvier"),
              QStringLiteral("Grüße\nZeile\ndrei\nvier"));
    EXPECT_EQ(EditorTextToMemo(QStringLiteral("a\nb") + QChar(QChar::ParagraphSeparator) + QStringLiteral("c")),
              "a\r\nb\r\nc");
    // No-break spaces stay; what Windows-1252 cannot hold becomes one "?".
    EXPECT_EQ(EditorTextToMemo(QStringLiteral("1\u00A0km → \U0001F600 €")), "1\xA0km ? ? \x80");
    // Text files are written as UTF-8 with line feeds.
    EXPECT_EQ(MemoToUtf8File("Gr\xFC\xDF"
                             "e\r\nK\xF6ln\r\n"),
              QByteArray("Gr\xC3\xBC\xC3\x9F"
                         "e\nK\xC3\xB6ln\n"));
}

// The bytes of a long memo: every byte value but NUL, lines of 78 bytes.
AnsiString LongMemo(std::size_t size)
{
    AnsiString memo;
    memo.reserve(size);
    for (std::size_t i = 0; memo.size() < size; ++i) {
        if (memo.size() % 80 == 78) {
            memo += "\r\n";
            continue;
        }
        memo.push_back(char(1 + i % 255));
    }
    memo.resize(size);
    return memo;
}

class MemoStoreTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        AddField(doc, "Titel");
        AddField(doc, "Liedtext", FT_MEMO);
        AddRecord(doc, {"Erstes Lied", ""});
        AddRecord(doc, {"Zweites Lied", ""});
        doc.SetModifiedFlag(false);
    }
    const QString &store() const { return doc.GetWorkingStorePath(); }
    AnsiString value(const COrvelDoc &d, int record) const
    {
        return AnsiString(d.GetTable().GetRecord(record)->GetRawValue(1));
    }
    // Writes the memo as the memo editor does and stores its reference.
    void putMemo(int record, AnsiView text)
    {
        const AnsiString old = value(doc, record);
        const AnsiString reference = WriteMemo(store(), old, text);
        ASSERT_FALSE(reference.empty());
        ASSERT_TRUE(doc.SetObjectReference(record, 1, reference));
    }
    static std::optional<AnsiString> memoOf(const COrvelDoc &d, int record)
    {
        return ReadMemo(d.GetWorkingStorePath(), d.GetTable().GetRecord(record)->GetRawValue(1));
    }

    COrvelDoc doc;
};

TEST_F(MemoStoreTest, AMemoOf40000BytesComesBackWhole)
{
    const AnsiString memo = LongMemo(40000);
    putMemo(0, memo);
    EXPECT_EQ(value(doc, 0), "10");
    const auto read = memoOf(doc, 0);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->size(), 40000u);
    EXPECT_EQ(*read, memo);
}

TEST_F(MemoStoreTest, ReadingNamesWhatCannotBeRead)
{
    EXPECT_EQ(ReadMemo(store(), ""), AnsiString());
    EXPECT_EQ(ReadMemo(store(), "0"), AnsiString());
    putMemo(0, "kurz");
    EXPECT_FALSE(ReadMemo(store(), "999999").has_value());
    EXPECT_FALSE(ReadMemo(store(), "zehn").has_value());
    EXPECT_FALSE(ReadMemo(QString(), "10").has_value());
}

TEST_F(MemoStoreTest, AShorterTextTakesTheOldPlaceALongerOneIsAppended)
{
    putMemo(0, "Ein Text von einiger L\xE4nge");
    EXPECT_EQ(value(doc, 0), "10");
    doc.SetModifiedFlag(false);
    doc.GetTable().SetModified(false);
    // The reference stays, yet the record changed.
    putMemo(0, "K\xFCrzer");
    EXPECT_EQ(value(doc, 0), "10");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.GetTable().IsModified());
    EXPECT_EQ(memoOf(doc, 0), AnsiString("K\xFCrzer"));
    putMemo(0, "Nun ein deutlich l\xE4ngerer Text als vorher");
    EXPECT_NE(value(doc, 0), "10");
    EXPECT_EQ(memoOf(doc, 0), AnsiString("Nun ein deutlich l\xE4ngerer Text als vorher"));
}

TEST_F(MemoStoreTest, ASharedObjectIsNotOverwritten)
{
    putMemo(0, "gemeinsam");
    const AnsiString reference = value(doc, 0);
    doc.GetTable().GetRecord(1)->SetRawValue(reference, 1);
    EXPECT_TRUE(IsObjectShared(doc.GetTable(), reference, 0, 1));
    EXPECT_TRUE(IsObjectShared(doc.GetTable(), reference, 1, 1));
    EXPECT_FALSE(IsObjectShared(doc.GetTable(), "", 0, 1));
    doc.GetTable().GetRecord(1)->SetRawValue("", 1);
    EXPECT_FALSE(IsObjectShared(doc.GetTable(), reference, 0, 1));
}

TEST_F(MemoStoreTest, MemosSurviveSaveSaveAsAndReopening)
{
    const AnsiString first = LongMemo(40000);
    // Many edits leave old objects behind in the working store.
    for (int round = 1; round <= 5; ++round)
        putMemo(0, LongMemo(std::size_t(1000 * round)));
    putMemo(0, first);
    const AnsiString second = "Zweiter Text\r\nmit zwei Zeilen";
    putMemo(1, second);

    const QString plain = path("Lieder.ovd");
    ASSERT_TRUE(doc.Save(plain, 1, false));
    const qint64 plainObjects = QFileInfo(path("Lieder.dbo")).size();
    {
        COrvelDoc reopened;
        ASSERT_TRUE(reopened.Open(plain));
        EXPECT_EQ(memoOf(reopened, 0), first);
        EXPECT_EQ(memoOf(reopened, 1), second);
    }

    // Save As compacts: each memo once, in record order.
    const QString compacted = path("Kopie.ovd");
    ASSERT_TRUE(doc.Save(compacted, 1, true));
    const qint64 compactObjects = QFileInfo(path("Kopie.dbo")).size();
    EXPECT_EQ(compactObjects, qint64(kObjectFileMagicSize + 2 * kObjectLengthSize + first.size() + second.size()));
    EXPECT_LT(compactObjects, plainObjects);
    COrvelDoc reopened;
    ASSERT_TRUE(reopened.Open(compacted));
    EXPECT_EQ(value(reopened, 0), "10");
    EXPECT_EQ(memoOf(reopened, 0), first);
    EXPECT_EQ(memoOf(reopened, 1), second);
    EXPECT_TRUE(scripted.messages().empty());
}

} // namespace
