#include "DocumentTestSupport.h"

#include "document/FileFormats.h"

using namespace orvel;
using namespace orvel::test;

namespace {

class LifecycleTest : public DocumentTest
{};

// A file whose mode forbids writing; tests run as root, where modes do not.
class ReadOnlyFileDoc : public COrvelDoc
{
public:
    QString readOnly;

protected:
    bool IsFileWritable(const QString &p) const override { return p != readOnly; }
};

TEST_F(LifecycleTest, SaveTellsTheViewsAndClearsTheModifiedFlag)
{
    COrvelDoc doc;
    std::vector<int> hints;
    const int handle = doc.AddHintListener([&](const UpdateHint &hint) { hints.push_back(int(hint.kind)); });
    doc.SetBackgroundColor(0x00FF0000);
    EXPECT_TRUE(doc.IsModified());
    AddField(doc, "Name");
    AddRecord(doc, {"Anna"});
    ASSERT_TRUE(doc.Save(path("a.ovd"), 1, true));
    EXPECT_FALSE(doc.IsModified());
    std::vector<int> captions;
    for (const auto &event : scripted.progress()) {
        if (event.kind == ScriptedServices::ProgressEvent::Caption && (captions.empty() || captions.back() != event.a))
            captions.push_back(event.a);
    }
    EXPECT_EQ(captions, (std::vector<int>{414, 415}));
    EXPECT_EQ(scripted.progress().back().kind, ScriptedServices::ProgressEvent::End);
    doc.OnCloseDocument();
    // The save's hint keeps the views' current cells (0, not the field hint 4).
    EXPECT_EQ(hints, (std::vector<int>{20, 7, 0, 32}));
    doc.RemoveHintListener(handle);
    doc.OnCloseDocument();
    EXPECT_EQ(hints.size(), 4u);
}

TEST_F(LifecycleTest, SaveModifiedAsksAndFollowsTheAnswer)
{
    COrvelDoc doc;
    EXPECT_TRUE(doc.SaveModified()); // nothing to ask
    EXPECT_TRUE(scripted.messages().empty());

    AddField(doc, "Name");
    doc.SetModifiedFlag();
    scripted.queueAnswer(MsgResult::Cancel);
    EXPECT_FALSE(doc.SaveModified());
    ASSERT_EQ(scripted.messageIds(), std::vector<int>{61699});
    EXPECT_EQ(scripted.messages()[0].text, QStringLiteral("Änderungen in Unbenannt speichern?"));
    scripted.queueAnswer(MsgResult::No);
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_TRUE(doc.IsModified());

    // Yes on an untitled document is Save As; the dialog's name is taken.
    doc.SetTitle(QStringLiteral("Liste 97"));
    scripted.queueAnswer(MsgResult::Yes);
    scripted.queueFileName(path("Liste"));
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(doc.GetPathName(), path("Liste.ovd"));
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Liste.ovd"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetProgress(), nullptr);
}

// A dialog that hands back the name without its extension (the desktop's
// own dialog may) never lets the completed name replace a file unasked.
TEST_F(LifecycleTest, ACompletedNameReplacesAnExistingFileOnlyWhenTheUserSaysSo)
{
    WriteAll(path("Liste.ovd"), "alt");
    COrvelDoc doc;
    AddField(doc, "Name");
    AddRecord(doc, {"Anna"});

    scripted.queueFileName(path("Liste"));
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(doc.OnFileSaveAs());
    ASSERT_EQ(scripted.messageIds(), std::vector<int>{542});
    EXPECT_TRUE(scripted.messages()[0].text.contains(QStringLiteral("Liste.ovd")));
    EXPECT_EQ(ReadAll(path("Liste.ovd")), QByteArray("alt"));
    EXPECT_TRUE(doc.GetPathName().isEmpty());

    scripted.queueFileName(path("Liste"));
    scripted.queueAnswer(MsgResult::Yes);
    EXPECT_TRUE(doc.OnFileSaveAs());
    EXPECT_EQ(doc.GetPathName(), path("Liste.ovd"));
    EXPECT_NE(ReadAll(path("Liste.ovd")), QByteArray("alt"));
}

TEST_F(LifecycleTest, FormatsAreChosenByTheLastThreeCharacters)
{
    // A damaged dBASE file is refused as unreadable and leaves nothing behind.
    WriteAll(path("X.DBF"), "dBASE");
    COrvelDoc dbase;
    AddField(dbase, "alt");
    EXPECT_FALSE(dbase.Open(path("X.DBF")));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{304});
    EXPECT_EQ(dbase.GetTable().GetFieldCount(), 0);

    scripted.clear();
    WriteAll(path("x.dbase"), "kein Datenbankformat");
    COrvelDoc other;
    EXPECT_FALSE(other.Open(path("x.dbase")));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{61700});

    // Save As under a dBASE name makes that file the document's file, which
    // then opens through the dBASE reader.
    scripted.clear();
    COrvelDoc doc;
    AddField(doc, "Name");
    AddRecord(doc, {"M\xFCller"});
    doc.SetModifiedFlag();
    scripted.queueFileName(path("Kunden.Dbf"));
    ASSERT_TRUE(doc.DoSave());
    EXPECT_EQ(doc.GetPathName(), path("Kunden.Dbf"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(QFile::exists(path("Kunden.dbo")));
    COrvelDoc reopened;
    ASSERT_TRUE(reopened.Open(path("Kunden.Dbf")));
    EXPECT_EQ(reopened.GetFileFormatName(), QStringLiteral("dbf"));
    EXPECT_EQ(reopened.GetTable().GetFieldName(0), "NAME");
    EXPECT_EQ(reopened.GetTable().GetRecord(0)->GetRawValue(0), "M\xFCller");
}

TEST_F(LifecycleTest, ExportsLeaveTheDocumentsFileAndFlags)
{
    const FileFormat original = *FileFormats::Find(QStringLiteral("a.htm"));
    FileFormat html = original;
    html.write = [](COrvelDoc &, QIODevice &out, const QString &) { return out.write("<html>") == 6; };
    FileFormats::Register(html);

    COrvelDoc doc;
    AddField(doc, "Name");
    ASSERT_TRUE(doc.Save(path("a.ovd"), 1, true));
    doc.SetPathName(path("a.ovd"));
    doc.SetModifiedFlag();
    scripted.queueFileName(path("liste.htm"));
    EXPECT_TRUE(doc.DoSave());
    FileFormats::Register(original);

    EXPECT_EQ(ReadAll(path("liste.htm")), QByteArray("<html>"));
    EXPECT_EQ(doc.GetPathName(), path("a.ovd"));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetLock().path(), path("a.ovd"));
    EXPECT_EQ(doc.GetLastSaveFormat(), 1);
}

TEST_F(LifecycleTest, WriteProtectedFilesAreNotReplaced)
{
    ReadOnlyFileDoc doc;
    AddField(doc, "Name");
    ASSERT_TRUE(doc.Save(path("a.ovd"), 1, true));
    ASSERT_TRUE(doc.Open(path("a.ovd")));
    doc.readOnly = path("a.ovd");
    EXPECT_FALSE(doc.Save(path("a.ovd")));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{530});

    // The save command turns into Save As.
    scripted.clear();
    scripted.queueFileName(path("b.ovd"));
    EXPECT_TRUE(doc.OnFileSave());
    EXPECT_EQ(doc.GetPathName(), path("b.ovd"));
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(LifecycleTest, OpenAsCopyKeepsNoPathAndNoLock)
{
    COrvelDoc doc;
    AddField(doc, "Name");
    ASSERT_TRUE(doc.Save(path("vorlage.ovd"), 1, true));
    COrvelDoc copy;
    ASSERT_TRUE(copy.Open(path("vorlage.ovd"), true));
    EXPECT_EQ(copy.GetTable().GetFieldCount(), 1);
    EXPECT_TRUE(copy.GetPathName().isEmpty());
    EXPECT_FALSE(copy.GetLock().isHeld());
}

} // namespace
