#include "platform/FileLock.h"
#include "platform/TempFile.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <set>

#include <sys/stat.h>

using namespace orvel;

namespace {

QStringList tempEntries()
{
    return QDir(TempFolder()).entryList(QDir::Files);
}

} // namespace

TEST(TempFile, MakesExactlyOneNewUpperCaseFile)
{
    const QStringList before = tempEntries();
    const QString path = MakeTempFileName(QStringLiteral("dbo"));
    ASSERT_FALSE(path.isEmpty());
    const QFileInfo info(path);
    EXPECT_TRUE(info.exists());
    EXPECT_EQ(info.size(), 0);
    EXPECT_EQ(info.absolutePath(), QFileInfo(TempFolder()).absoluteFilePath()); // the folder keeps its case
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^KWZ[0-9A-F]+\\.DBO$")).match(info.fileName()).hasMatch())
            << info.fileName().toStdString();
    QStringList after = tempEntries();
    after.removeOne(info.fileName());
    EXPECT_EQ(after, before); // no stray file beside it
    QFile::remove(path);

    const QString picture = MakeTempFileName(QStringLiteral("bmp"), QStringLiteral("tmp"));
    EXPECT_TRUE(QFileInfo(picture).fileName().startsWith(QStringLiteral("TMP")));
    QFile::remove(picture);
}

TEST(TempFile, NamesAreUniqueAndOwnedFilesAreRemoved)
{
    std::set<QString> names;
    std::vector<TempFile> files;
    for (int i = 0; i < 200; ++i) {
        files.push_back(TempFile::Create(QStringLiteral("tmp")));
        ASSERT_FALSE(files.back().isNull());
        EXPECT_TRUE(names.insert(files.back().path()).second);
    }
    const QString first = files.front().path();
    files.clear();
    EXPECT_FALSE(QFile::exists(first));

    TempFile kept = TempFile::Create(QStringLiteral("tmp"));
    const QString released = kept.release();
    kept.reset();
    EXPECT_TRUE(QFile::exists(released));
    EXPECT_TRUE(RemoveFileQuietly(released));
    EXPECT_TRUE(RemoveFileQuietly(released)); // already gone is fine
}

TEST(FileLock, AnotherHolderIsSeenButNotOneself)
{
    const QString path = test::MakeScratchDir() + QStringLiteral("/Adressen.ovd");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("ORVEL0");
    file.close();

    EXPECT_FALSE(FileLock::IsHeldByAnother(path));
    FileLock mine;
    ASSERT_TRUE(mine.acquire(path));
    EXPECT_TRUE(mine.isHeld());
    EXPECT_FALSE(FileLock::IsHeldByAnother(path, &mine));
    EXPECT_TRUE(mine.isHeld()); // asking did not lose the lock
    EXPECT_TRUE(FileLock::IsHeldByAnother(path));

    // A second document of the same process holding the file counts as another.
    FileLock other;
    ASSERT_TRUE(other.acquire(path));
    EXPECT_TRUE(FileLock::IsHeldByAnother(path, &mine));
    other.release();
    EXPECT_FALSE(FileLock::IsHeldByAnother(path, &mine));

    FileLock moved(std::move(mine));
    EXPECT_TRUE(moved.isHeld());
    EXPECT_FALSE(mine.isHeld()); // NOLINT(bugprone-use-after-move)
    moved.release();
    EXPECT_FALSE(FileLock::IsHeldByAnother(path));

    EXPECT_FALSE(mine.acquire(path + QStringLiteral(".missing")));
}

TEST(FileLock, IsAnOpenFileDescriptionLockThatOtherProcessesSee)
{
    const QString path = test::MakeScratchDir() + QStringLiteral("/Liste.ovd");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    FileLock lock;
    ASSERT_TRUE(lock.acquire(path));

    // The kernel's lock table names the lock's kind and the file's inode:
    // a lock there is seen by every process that asks.
    struct stat info
    {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    QFile locks(QStringLiteral("/proc/locks"));
    ASSERT_TRUE(locks.open(QIODevice::ReadOnly));
    bool found = false;
    for (const QByteArray &line : locks.readAll().split('\n')) {
        if (line.contains("OFDLCK") && line.contains("READ")
            && line.contains(":" + QByteArray::number(qulonglong(info.st_ino)) + " "))
            found = true;
    }
    EXPECT_TRUE(found);
}
