#include "table/ObjectStore.h"
#include "platform/ScriptedServices.h"
#include "platform/TempFile.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/resource.h>

using namespace orvel;

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A temporary file holding `bytes`, as the memo editor would hand it over.
QString SourceFile(const QByteArray &bytes)
{
    const QString path = MakeTempFileName(QStringLiteral("tmp"), QStringLiteral("tmp"));
    WriteAll(path, bytes);
    return path;
}

QByteArray Le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

QByteArray Magic()
{
    return QByteArray(kObjectFileMagic, int(kObjectFileMagicSize));
}

QStringList TempEntries()
{
    return QDir(TempFolder()).entryList(QDir::Files, QDir::Name);
}

// Reads an object back; empty when ReadObject found none.
QByteArray ReadBack(const QString &store, AnsiView ref, bool *found = nullptr)
{
    const QString temp = ReadObject(store, ref);
    if (found)
        *found = !temp.isEmpty();
    if (temp.isEmpty())
        return QByteArray();
    const QByteArray bytes = ReadAll(temp);
    QFile::remove(temp);
    return bytes;
}

class ObjectStoreTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dir = test::MakeScratchDir();
        store = dir + QStringLiteral("/name.dbo");
    }
    QString dir;
    QString store;
    ScriptedServices scripted;
    ScopedServices scope{&scripted};
};

} // namespace

TEST_F(ObjectStoreTest, WritesObjectsInTheDocumentedLayoutAndReadsThemBack)
{
    const QString memo = SourceFile("Erste Zeile\r\nzweite Zeile mit \xE4\xF6\xFC");
    const AnsiString first = WriteObject(memo, "", store);
    EXPECT_EQ(first, "10");            // the first object of a new file
    EXPECT_FALSE(QFile::exists(memo)); // consumed
    const AnsiString second = WriteObject(SourceFile(QByteArray(20000, 'x')), "", store);
    EXPECT_EQ(second, "47"); // 10 + 4 + 33
    const AnsiString empty = WriteObject(SourceFile(QByteArray()), "", store);
    EXPECT_EQ(empty, "20051");

    const QByteArray bytes = ReadAll(store);
    EXPECT_EQ(bytes.left(10), Magic());
    EXPECT_EQ(bytes.mid(10, 4), Le32(33));
    EXPECT_EQ(bytes.mid(14, 33), QByteArray("Erste Zeile\r\nzweite Zeile mit \xE4\xF6\xFC"));
    EXPECT_EQ(bytes.size(), 20055);

    const QString temp = ReadObject(store, second);
    ASSERT_FALSE(temp.isEmpty());
    EXPECT_TRUE(QFileInfo(temp).fileName().startsWith(QStringLiteral("KWZ")));
    EXPECT_TRUE(temp.endsWith(QStringLiteral(".TMP")));
    EXPECT_EQ(ReadAll(temp), QByteArray(20000, 'x'));
    QFile::remove(temp);
    bool found = false;
    EXPECT_EQ(ReadBack(store, empty, &found), QByteArray());
    EXPECT_TRUE(found);
    EXPECT_EQ(scripted.waitCursorDepth(), 0);
}

TEST_F(ObjectStoreTest, RewritesInPlaceWhenTheNewObjectFits)
{
    const AnsiString a = WriteObject(SourceFile("aaaaaaaaaa"), "", store);
    const AnsiString b = WriteObject(SourceFile("bbbbbbbbbb"), "", store);
    const qint64 length = QFileInfo(store).size();

    EXPECT_EQ(WriteObject(SourceFile("AAA"), a, store), a);
    EXPECT_EQ(QFileInfo(store).size(), length);
    EXPECT_EQ(ReadBack(store, a), QByteArray("AAA"));
    EXPECT_EQ(ReadBack(store, b), QByteArray("bbbbbbbbbb")); // the neighbour is untouched

    // Larger than the slot (now 3 bytes long): appended, the reference moves.
    const AnsiString moved = WriteObject(SourceFile("AAAAA"), a, store);
    EXPECT_EQ(moved, FormatObjectReference(quint64(length)));
    EXPECT_EQ(ReadBack(store, moved), QByteArray("AAAAA"));

    // A reference that names no object inside the file never overwrites
    // anything: the object is appended.
    for (const char *damaged : {"12", "999999", "-10", "1x"}) {
        const qint64 before = QFileInfo(store).size();
        EXPECT_EQ(WriteObject(SourceFile("z"), damaged, store), FormatObjectReference(quint64(before))) << damaged;
    }
    EXPECT_EQ(ReadBack(store, b), QByteArray("bbbbbbbbbb"));
}

TEST_F(ObjectStoreTest, NoObjectReferencesGiveAnEmptyTemporaryFile)
{
    WriteAll(store, QByteArray()); // a new document's empty working store
    for (const char *ref : {"", "0"}) {
        const QString temp = ReadObject(store, ref);
        ASSERT_FALSE(temp.isEmpty()) << ref;
        EXPECT_TRUE(QFileInfo::exists(temp));
        EXPECT_EQ(QFileInfo(temp).size(), 0);
        QFile::remove(temp);
    }
}

TEST_F(ObjectStoreTest, DamagedReferencesAndLengthsReadNoObjectAndLeaveNoFile)
{
    WriteObject(SourceFile("hello"), "", store); // 10: length 5
    QByteArray bytes = ReadAll(store);
    bytes += Le32(1000) + "short";      // 19: a length past the end
    bytes += QByteArray("\x01\x00", 2); // 28: a cut length
    WriteAll(store, bytes);

    const QStringList before = TempEntries();
    for (const char *ref : {"19", "28", "29", "30", "5", "9", "-10", "abc", "10abc", " 10", "+10",
                            "99999999999999999999999", "18446744073709551615"}) {
        bool found = true;
        ReadBack(store, ref, &found);
        EXPECT_FALSE(found) << ref;
    }
    EXPECT_EQ(ReadBack(store, "10"), QByteArray("hello"));
    EXPECT_TRUE(ReadObject(dir + QStringLiteral("/missing.dbo"), "10").isEmpty());
    EXPECT_TRUE(ReadObject(QString(), "").isEmpty());
    EXPECT_TRUE(ReadObject(dir, "10").isEmpty()); // a folder is no object file
    EXPECT_EQ(TempEntries(), before);
}

TEST_F(ObjectStoreTest, FailedWritesReturnNoReferenceAndStillConsumeTheSource)
{
    const QString source = SourceFile("data");
    EXPECT_EQ(WriteObject(source, "", dir + QStringLiteral("/no/such/folder.dbo")), "");
    EXPECT_FALSE(QFile::exists(source));
    EXPECT_EQ(WriteObject(dir + QStringLiteral("/missing.tmp"), "", store), "");

    // Handing the object file itself over as the source must not delete it.
    WriteObject(SourceFile("keep"), "", store);
    EXPECT_EQ(WriteObject(store, "", store), "");
    EXPECT_EQ(ReadBack(store, "10"), QByteArray("keep"));
}

TEST_F(ObjectStoreTest, DiskFullWhileAppendingLeavesTheStoreAsItWas)
{
    WriteObject(SourceFile("before"), "", store);
    const QByteArray intact = ReadAll(store);
    const QString big = SourceFile(QByteArray(100000, 'b'));

    // A file size limit stands in for a full disk: writes beyond it fail.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 50000;
    setrlimit(RLIMIT_FSIZE, &limited);
    const AnsiString ref = WriteObject(big, "", store);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(ref, "");
    EXPECT_EQ(ReadAll(store), intact); // no half object at the end
}

TEST_F(ObjectStoreTest, ReferencesAndObjectFilePaths)
{
    EXPECT_EQ(ParseObjectReference("10"), std::optional<std::uint64_t>(10));
    EXPECT_EQ(ParseObjectReference("18446744073709551615"), std::optional<std::uint64_t>(UINT64_MAX));
    EXPECT_FALSE(ParseObjectReference("18446744073709551616"));
    EXPECT_TRUE(IsNoObjectReference("") && IsNoObjectReference("0") && !IsNoObjectReference("00"));
    EXPECT_EQ(FormatObjectReference(4294967306u), "4294967306");

    EXPECT_EQ(ObjectFilePathFor(QStringLiteral("/home/u/Adressen.ovd")), QStringLiteral("/home/u/Adressen.dbo"));
    EXPECT_EQ(ObjectFilePathFor(QStringLiteral("/home/u.v/Adressen")), QStringLiteral("/home/u.v/Adressen.dbo"));
    EXPECT_EQ(ObjectFilePathFor(QStringLiteral("/x/a.b.DTF")), QStringLiteral("/x/a.b.dbo"));
}

TEST_F(ObjectStoreTest, CopierCompactsInRecordOrderAndKeepsEmptyValuesEmpty)
{
    // A working store edited many times: dead objects between live ones.
    const AnsiString memo1 = WriteObject(SourceFile("old memo"), "", store);
    WriteObject(SourceFile("dead"), "", store);
    const AnsiString memo2 = WriteObject(SourceFile(QByteArray(300000, 'p')), "", store); // beyond one buffer
    const AnsiString memo1New = WriteObject(SourceFile("new memo, longer than before"), memo1, store);
    ASSERT_NE(memo1New, memo1);

    const QString target = dir + QStringLiteral("/saved.dbo");
    CObjectCopier copier(store, target, CObjectCopier::Replace);
    EXPECT_EQ(copier.CopyObject(memo2), std::optional<AnsiString>("10"));
    EXPECT_EQ(copier.CopyObject(""), std::optional<AnsiString>(""));
    EXPECT_EQ(copier.CopyObject("0"), std::optional<AnsiString>(""));
    EXPECT_EQ(copier.CopyObject("7"), std::nullopt); // damaged: the value goes empty, 515 later
    EXPECT_EQ(copier.CopyObject("9999999"), std::nullopt);
    const std::optional<AnsiString> second = copier.CopyObject(memo1New);
    EXPECT_EQ(second, std::optional<AnsiString>("300014"));
    EXPECT_TRUE(copier.Finish());
    EXPECT_EQ(copier.copiedCount(), 2);

    EXPECT_EQ(ReadAll(target),
              Magic() + Le32(300000) + QByteArray(300000, 'p') + Le32(28) + "new memo, longer than before");
    EXPECT_EQ(ReadBack(target, *second), QByteArray("new memo, longer than before"));
}

TEST_F(ObjectStoreTest, CopierTouchesNoTargetWithoutObjectsAndAppendsIntoStores)
{
    WriteObject(SourceFile("one"), "", store);
    const QString target = dir + QStringLiteral("/saved.dbo");
    {
        CObjectCopier copier(store, target, CObjectCopier::Replace);
        EXPECT_EQ(copier.CopyObject(""), std::optional<AnsiString>(""));
        EXPECT_TRUE(copier.Finish());
        EXPECT_FALSE(copier.wroteAny());
    }
    EXPECT_FALSE(QFile::exists(target));

    // Replace never truncates the file it reads from.
    {
        CObjectCopier copier(store, store, CObjectCopier::Replace);
        EXPECT_EQ(copier.CopyObject("10"), std::nullopt);
    }
    EXPECT_EQ(ReadBack(store, "10"), QByteArray("one"));

    // Pasting into a store that has objects: theirs stay where they are.
    const QString other = dir + QStringLiteral("/other.dbo");
    WriteObject(SourceFile("theirs"), "", other);
    CObjectCopier paste(store, other, CObjectCopier::Append);
    const std::optional<AnsiString> ref = paste.CopyObject("10");
    EXPECT_EQ(ref, std::optional<AnsiString>("20"));
    EXPECT_TRUE(paste.Finish(false));
    EXPECT_EQ(ReadBack(other, "10"), QByteArray("theirs"));
    EXPECT_EQ(ReadBack(other, *ref), QByteArray("one"));

    // Copying within one store reads what it appended before.
    CObjectCopier self(store, store, CObjectCopier::Append);
    const std::optional<AnsiString> copy = self.CopyObject("10");
    ASSERT_TRUE(copy);
    const std::optional<AnsiString> copyOfCopy = self.CopyObject(*copy);
    ASSERT_TRUE(copyOfCopy);
    EXPECT_TRUE(self.Finish());
    EXPECT_EQ(ReadBack(store, *copyOfCopy), QByteArray("one"));
}

TEST_F(ObjectStoreTest, WorkingStoreLifeCycle)
{
    QString path;
    {
        CWorkingStore working;
        path = working.path();
        ASSERT_TRUE(working.isValid());
        EXPECT_EQ(QFileInfo(path).size(), 0);
        EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup),
                  QFile::Permissions());

        // Open: the object file's bytes; a database without one: empty.
        WriteObject(SourceFile("stored"), "", store);
        EXPECT_TRUE(working.LoadFrom(store));
        EXPECT_EQ(ReadBack(working.path(), "10"), QByteArray("stored"));
        EXPECT_TRUE(working.LoadFrom(dir + QStringLiteral("/none.dbo")));
        EXPECT_EQ(working.size(), 0u);

        // Plain save: the store over the target; the target keeps its mode.
        WriteObject(SourceFile("edited"), "", working.path());
        const QString target = dir + QStringLiteral("/target.dbo");
        WriteAll(target, "an older and longer object file");
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        EXPECT_TRUE(working.CopyTo(target));
        EXPECT_EQ(ReadAll(target), ReadAll(working.path()));
        EXPECT_EQ(QFileInfo(target).permissions() & QFile::ReadGroup, QFile::ReadGroup);
        EXPECT_FALSE(working.CopyTo(dir + QStringLiteral("/no/such/target.dbo")));
    }
    EXPECT_FALSE(QFile::exists(path)); // closing the document removes it
}

TEST_F(ObjectStoreTest, CheckWorkingStoreSpaceWarnsWhenTheDiskIsShort)
{
    CWorkingStore working;
    WriteObject(SourceFile(QByteArray(1000, 'm')), "", working.path());
    const std::uint64_t size = working.size();

    std::uint64_t free = size - 1;
    const FreeSpaceProbe previous = SetFreeSpaceProbe([&free](const QString &) { return free; });
    EXPECT_FALSE(CheckWorkingStoreSpace(working.path()));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{516});

    scripted.clear();
    free = size;
    EXPECT_TRUE(CheckWorkingStoreSpace(working.path()));
    EXPECT_FALSE(CheckWorkingStoreSpace(dir + QStringLiteral("/gone.tmp"))); // unreadable: refused silently
    EXPECT_TRUE(scripted.messages().empty());
    SetFreeSpaceProbe(previous);

    EXPECT_TRUE(CheckWorkingStoreSpace(working.path())); // the real file system has room for 1 KB
    ReportObjectsNotWritten();
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{515});
}
