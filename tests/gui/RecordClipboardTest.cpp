#include "document/DocumentTestSupport.h"

#include "document/RecordStream.h"
#include "listview/RecordClipboard.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

using namespace orvel;
using namespace orvel::test;

namespace {

class RecordClipboardTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        clipboardFile = path("KWZCLIP.TMP");
        QApplication::clipboard()->clear();
    }
    void TearDown() override { QApplication::clipboard()->clear(); }

    // Name, Betrag (2 decimals), Notiz (memo); one record per name.
    void makeDoc(COrvelDoc &doc, const std::vector<std::string> &names)
    {
        AddField(doc, "Name");
        AddField(doc, "Betrag", FT_NUMERIC);
        doc.GetTable().SetFieldFormat(2, 1);
        AddField(doc, "Notiz", FT_MEMO);
        doc.CreateDefaultForm();
        for (const std::string &name : names)
            AddRecord(doc, {name.c_str(), "1234.5", ""});
    }

    std::string storeMemo(COrvelDoc &doc, const QByteArray &text)
    {
        const QString source = path("memo.tmp");
        WriteAll(source, text);
        return WriteObject(source, "", doc.GetWorkingStorePath());
    }

    static std::vector<std::string> names(const COrvelDoc &doc)
    {
        std::vector<std::string> result;
        for (int i = 0; i < doc.GetTable().GetRecordCount(); ++i)
            result.emplace_back(doc.GetTable().GetRecord(i)->GetRawValue(0));
        return result;
    }

    static bool clipboardHoldsRecordFormat()
    {
        const QMimeData *data = QApplication::clipboard()->mimeData();
        return data && data->hasFormat(QString::fromLatin1(kRecordMimeType));
    }

    static int streamRecordCount()
    {
        const QMimeData *data = QApplication::clipboard()->mimeData();
        if (!data)
            return -1;
        recordstream::Reader reader(data->data(QString::fromLatin1(kRecordMimeType)));
        return reader.ReadHeader() ? reader.RecordCount() : -1;
    }

    QString clipboardFile;
};

TEST_F(RecordClipboardTest, MarkedRecordsPasteInTheirOriginalOrderWithTheirObjects)
{
    COrvelDoc source;
    makeDoc(source, {"Anna", "Bernd", "Clara", "Dora"});
    CDataTable &table = source.GetTable();
    table.GetRecord(1)->SetRawValue(storeMemo(source, "Notiz von Bernd"), 2);
    for (int i : {0, 1, 3})
        table.GetRecord(i)->SetMark(true);
    ASSERT_EQ(table.GetMarkedCount(), 3);

    EXPECT_FALSE(ClipboardHasRecords());
    EXPECT_TRUE(CopyMarkedRecords(source, clipboardFile));
    EXPECT_TRUE(ClipboardHasRecords());
    EXPECT_EQ(streamRecordCount(), 3);
    EXPECT_EQ(scripted.progress().front().a, 428);

    COrvelDoc target;
    makeDoc(target, {"Erich", "Frieda"});
    scripted.clear();
    EXPECT_EQ(PasteRecords(target, 1, clipboardFile), 3);
    EXPECT_EQ(names(target), (std::vector<std::string>{"Erich", "Anna", "Bernd", "Dora", "Frieda"}));
    // Stored values travel as stored, the memo as an object of the target.
    EXPECT_EQ(target.GetTable().GetRecord(2)->GetRawValue(1), "1234.5");
    const QString memo = ReadObject(target.GetWorkingStorePath(), target.GetTable().GetRecord(2)->GetRawValue(2));
    EXPECT_EQ(ReadAll(memo), QByteArray("Notiz von Bernd"));
    QFile::remove(memo);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{361});
}

TEST_F(RecordClipboardTest, EscapeKeepsTheRecordsCopiedSoFarAndSaysHowMany)
{
    std::vector<std::string> many;
    for (int i = 0; i < 450; ++i)
        many.push_back("R" + std::to_string(i));
    COrvelDoc source;
    makeDoc(source, many);
    source.GetTable().MarkAllRecords();

    // The second poll comes after 200 records (walked from the last).
    scripted.pressEscapeAtPoll(2);
    EXPECT_FALSE(CopyMarkedRecords(source, clipboardFile)); // a cut must delete nothing now
    EXPECT_TRUE(scripted.sawMessage(510));
    EXPECT_EQ(streamRecordCount(), 200);

    COrvelDoc target;
    makeDoc(target, {});
    EXPECT_EQ(PasteRecords(target, -1, clipboardFile), 200);
    const std::vector<std::string> pasted = names(target);
    ASSERT_EQ(pasted.size(), 200u);
    EXPECT_EQ(pasted.front(), "R250");
    EXPECT_EQ(pasted.back(), "R449");
}

TEST_F(RecordClipboardTest, SingleCopyCarriesRecordAndDisplayText)
{
    COrvelDoc source;
    makeDoc(source, {"Anna", "M\xFCller"});
    EXPECT_TRUE(CopyRecord(source, 1, clipboardFile));
    EXPECT_TRUE(ClipboardHasRecords());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Müller\r\n1.234,50\r\n\r\n"));
    EXPECT_EQ(streamRecordCount(), 1);

    // Another program takes the clipboard: the cached state follows.
    QApplication::clipboard()->setText(QStringLiteral("fremd"));
    EXPECT_FALSE(ClipboardHasRecords());
    ClearClipboardIfRecords();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("fremd"));

    EXPECT_TRUE(CopyRecord(source, 0, clipboardFile));
    ClearClipboardIfRecords();
    EXPECT_FALSE(ClipboardHasRecords());
    EXPECT_FALSE(clipboardHoldsRecordFormat());
}

TEST_F(RecordClipboardTest, ObjectThatCannotBeCopiedLeavesNoRecordsToPaste)
{
    COrvelDoc source;
    makeDoc(source, {"Anna", "Bernd"});
    source.GetTable().GetRecord(1)->SetRawValue("987654", 2); // no such object
    source.GetTable().MarkAllRecords();

    // Records of an earlier copy point into the clipboard object file that
    // the failed copy has emptied; they must not stay pasteable.
    ASSERT_TRUE(CopyRecord(source, 0, clipboardFile));
    EXPECT_FALSE(CopyMarkedRecords(source, clipboardFile));
    EXPECT_TRUE(scripted.sawMessage(513));
    EXPECT_FALSE(ClipboardHasRecords());

    // A single copy still gives the text.
    scripted.clear();
    EXPECT_FALSE(CopyRecord(source, 1, clipboardFile));
    EXPECT_TRUE(scripted.sawMessage(513));
    EXPECT_FALSE(ClipboardHasRecords());
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("Bernd\r\n")));

    COrvelDoc target;
    makeDoc(target, {});
    EXPECT_EQ(PasteRecords(target, -1, clipboardFile), 0);
    EXPECT_EQ(target.GetTable().GetRecordCount(), 0);
}

} // namespace
