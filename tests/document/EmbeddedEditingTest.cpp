// Embedded documents: the empty documents of "Objekt einfügen", OLE values in
// the object store, and editing a private copy in an "application" that saves
// by writing a new file and renaming it over the old one.
#include "document/DocumentTestSupport.h"

#include "document/EmbeddedEditing.h"
#include "form/DrawEditItem.h"
#include "form/DrawItem.h"
#include "form/DrawOleObj.h"
#include "form/OleValue.h"
#include "media/EmbeddedDocument.h"
#include "platform/Codepage.h"
#include "platform/TempFile.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QXmlStreamReader>
#include <QtEndian>

using namespace orvel;
using namespace orvel::test;

namespace {

TEST(NewEmbeddedDocumentTest, EveryKindIsAValidDocumentOfItsType)
{
    for (const NewDocumentType &type : NewDocumentTypes()) {
        SCOPED_TRACE(type.fileName.toStdString());
        const QByteArray bytes = NewDocumentBytes(type.kind);
        // The desktop chooses the application by name and content alike.
        EXPECT_EQ(MimeTypeOf(type.fileName, bytes), type.mimeType);
        switch (type.kind) {
        case NewDocumentKind::PlainText:
            EXPECT_TRUE(bytes.isEmpty());
            break;
        case NewDocumentKind::Picture: {
            ASSERT_TRUE(bytes.startsWith("\x89PNG\r\n\x1A\n"));
            EXPECT_EQ(bytes.mid(12, 4), "IHDR");
            EXPECT_EQ(qFromBigEndian<quint32>(bytes.constData() + 16), 320u);
            EXPECT_EQ(qFromBigEndian<quint32>(bytes.constData() + 20), 200u);
            // The pixels: every row a filter byte and white RGB samples.
            const qsizetype idat = bytes.indexOf("IDAT");
            ASSERT_GT(idat, 0);
            const quint32 length = qFromBigEndian<quint32>(bytes.constData() + idat - 4);
            QByteArray zlib(4, '\0');
            qToBigEndian<quint32>(200 * (1 + 3 * 320), zlib.data());
            const QByteArray rows = qUncompress(zlib + bytes.mid(idat + 4, length));
            ASSERT_EQ(rows.size(), 200 * (1 + 3 * 320));
            EXPECT_EQ(rows.count('\xFF'), 200 * 3 * 320);
            EXPECT_TRUE(bytes.endsWith(QByteArray("IEND\xAE\x42\x60\x82", 8)));
            break;
        }
        default: {
            QXmlStreamReader xml(bytes);
            ASSERT_TRUE(xml.readNextStartElement());
            EXPECT_EQ(xml.name(), u"document");
            const QString mimetype = xml.attributes()
                                             .value(QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0"),
                                                    QStringLiteral("mimetype"))
                                             .toString();
            EXPECT_EQ(mimetype + QStringLiteral("-flat-xml"), type.mimeType);
            while (!xml.atEnd())
                xml.readNext();
            EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        }
        }
    }
}

TEST(NewEmbeddedDocumentTest, CopiesGetNamesThatStayInTheirFolder)
{
    const struct
    {
        const char16_t *stored;
        const char *type;
        const char16_t *expected;
    } cases[] = {
            {u"Brief.odt", "application/vnd.oasis.opendocument.text", u"Brief.odt"},
            {u"C:\\Briefe\\Brief 1.txt", "text/plain", u"Brief 1.txt"},
            {u"../../etc/passwd", "text/plain", u"passwd"},
            {u"..", "text/plain", u"Dokument.txt"},
            {u"", "image/png", u"Dokument.png"},
            {u"Zeile\nUmbruch.txt", "text/plain", u"ZeileUmbruch.txt"},
            {u"ordner/", "application/x-unbekannt", u"Dokument"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SafeDocumentFileName(QString::fromUtf16(c.stored), QString::fromLatin1(c.type)),
                  QString::fromUtf16(c.expected));
}

class OleValueTest : public DocumentTest
{};

TEST_F(OleValueTest, AValueHoldsOneDocumentAndAnUnreadableOneIsToldApart)
{
    const QString store = path("werte.dbo");
    CDrawItem item;
    item.fileName = "Brief.txt";
    item.mimeType = "text/plain";
    item.ReplaceBytes("Sehr geehrte Damen und Herren");
    const AnsiString reference = WriteOleValue(store, AnsiView(), item);
    ASSERT_EQ(reference, "10");

    bool unreadable = true;
    const auto read = ReadOleValue(store, reference, &unreadable);
    ASSERT_TRUE(read);
    EXPECT_FALSE(unreadable);
    EXPECT_EQ(read->fileName, "Brief.txt");
    EXPECT_EQ(read->bytes, QByteArray("Sehr geehrte Damen und Herren"));
    // Whatever item it came from, the value is a CDrawEditItem.
    EXPECT_TRUE(ReadAll(store).contains("CDrawEditItem"));

    EXPECT_FALSE(ReadOleValue(store, "", &unreadable));
    EXPECT_FALSE(unreadable);
    EXPECT_FALSE(ReadOleValue(store, "999", &unreadable));
    EXPECT_TRUE(unreadable);

    // A file becomes an item with its bytes, or with its path when linked.
    const QString file = path("Bild.png");
    WriteAll(file, NewDocumentBytes(NewDocumentKind::Picture));
    CDrawEditItem embedded;
    ASSERT_EQ(LoadEmbeddedItem(embedded, file, false), EmbedOutcome::Done);
    EXPECT_EQ(embedded.fileName, "Bild.png");
    EXPECT_EQ(embedded.mimeType, "image/png");
    EXPECT_EQ(embedded.bytes, NewDocumentBytes(NewDocumentKind::Picture));
    CDrawEditItem linked;
    ASSERT_EQ(LoadEmbeddedItem(linked, file, true), EmbedOutcome::Done);
    EXPECT_TRUE(linked.linked);
    EXPECT_EQ(linked.linkPath, QStringToAnsi(file));
    EXPECT_TRUE(linked.bytes.isEmpty());
    EXPECT_EQ(LoadEmbeddedItem(linked, path("fehlt.png"), false), EmbedOutcome::Missing);
}

// A document with an OLE field whose first record holds a text document,
// and a test "application" in place of the desktop's.
class EmbeddedEditingTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        previous = CEmbeddedEditing::DesktopOpener();
        CEmbeddedEditing::DesktopOpener() = [this](const QString &opened) {
            handedOver << opened;
            return opens;
        };
        AddField(doc, "Name");
        AddField(doc, "Objekt", FT_OLE);
        AddRecord(doc, {"Erster", ""});
        AddRecord(doc, {"Zweiter", ""});
        CDrawEditItem item;
        item.fileName = "Notiz.txt";
        item.mimeType = "text/plain";
        item.ReplaceBytes("alt");
        reference = WriteOleValue(doc.GetWorkingStorePath(), AnsiView(), item);
        doc.GetTable().GetRecord(0)->SetRawValue(reference, 1);
        doc.SetModifiedFlag(false);
        doc.AddHintListener([this](const UpdateHint &hint) {
            if (hint.kind == Hint::RecordChanged)
                changedRecords.push_back(hint.record);
        });
    }
    void TearDown() override
    {
        doc.GetEmbeddedEditing().EndAll();
        CEmbeddedEditing::DesktopOpener() = previous;
    }

    CEmbeddedEditing &editing() { return doc.GetEmbeddedEditing(); }
    AnsiString value(int record = 0) const { return AnsiString(doc.GetTable().GetRecord(record)->GetRawValue(1)); }
    QByteArray storedBytes(int record = 0) const
    {
        const auto item = ReadOleValue(doc.GetWorkingStorePath(), value(record));
        return item ? item->bytes : QByteArray("<nichts>");
    }
    // What applications do: a new file beside the old one, renamed over it.
    static void saveByRename(const QString &copy, const QByteArray &bytes)
    {
        const QString fresh = QFileInfo(copy).dir().filePath(QStringLiteral(".~neu"));
        WriteAll(fresh, bytes);
        QFile::remove(copy);
        ASSERT_TRUE(QFile::rename(fresh, copy));
    }
    // Runs the event loop until `done` or `limit` milliseconds have passed.
    static bool waitFor(const std::function<bool()> &done, int limit = 2000)
    {
        QDeadlineTimer deadline(limit);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(10);
        }
        return done();
    }
    static void settle()
    {
        waitFor([] { return false; });
    }

    COrvelDoc doc;
    AnsiString reference;
    QStringList handedOver;
    bool opens = true;
    std::vector<int> changedRecords;
    CEmbeddedEditing::Opener previous;
};

TEST_F(EmbeddedEditingTest, EachSaveOfTheApplicationGoesIntoTheRecordAndTheStore)
{
    ASSERT_TRUE(editing().OpenValue(0, 1));
    ASSERT_EQ(handedOver.size(), 1);
    const QString copy = handedOver.front();
    EXPECT_EQ(QFileInfo(copy).fileName(), QStringLiteral("Notiz.txt"));
    EXPECT_EQ(ReadAll(copy), QByteArray("alt"));
    // A folder of its own, which only the user can read.
    EXPECT_NE(QFileInfo(copy).absolutePath(), QDir(TempFolder()).absolutePath());
    EXPECT_FALSE(QFile::permissions(copy).testAnyFlags(QFileDevice::ReadOther | QFileDevice::ReadGroup));
    EXPECT_TRUE(editing().IsValueOpen(0, 1));
    EXPECT_FALSE(editing().IsValueOpen(1, 1));
    EXPECT_FALSE(doc.IsModified());

    saveByRename(copy, "neu");
    ASSERT_TRUE(waitFor([this] { return doc.IsModified(); }));
    EXPECT_EQ(storedBytes(), QByteArray("neu"));
    EXPECT_EQ(changedRecords, std::vector<int>{0});
    const auto item = ReadOleValue(doc.GetWorkingStorePath(), value());
    EXPECT_EQ(item->fileName, "Notiz.txt");

    // The watch survives the rename: the next save arrives too, and only
    // once it has settled.
    doc.SetModifiedFlag(false);
    saveByRename(copy, "noch neuer und l\xE4nger");
    ASSERT_TRUE(waitFor([this] { return doc.IsModified(); }));
    EXPECT_EQ(storedBytes(), QByteArray("noch neuer und l\xE4nger"));
    EXPECT_EQ(changedRecords.size(), 2u);

    // Opened again while open: handed to the application again, the same copy.
    ASSERT_TRUE(editing().OpenValue(0, 1));
    EXPECT_EQ(handedOver, QStringList({copy, copy}));
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(EmbeddedEditingTest, EndingAsksAndLaterChangesAreNotTakenOver)
{
    ASSERT_TRUE(editing().OpenValue(0, 1));
    const QString copy = handedOver.front();

    // Saved, but not yet settled: ending takes it over before it asks.
    saveByRename(copy, "zuletzt");
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(editing().EndValue(0, 1));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgEndEmbeddedEditing});
    EXPECT_EQ(scripted.messages().front().icon, MsgIcon::Question);
    EXPECT_TRUE(scripted.messages().front().text.contains(QStringLiteral("\"Notiz.txt\"")));
    EXPECT_TRUE(editing().IsValueOpen(0, 1));
    EXPECT_EQ(storedBytes(), QByteArray("zuletzt"));
    EXPECT_TRUE(doc.IsModified());

    scripted.queueAnswer(MsgResult::Yes);
    EXPECT_TRUE(editing().EndValue(0, 1));
    EXPECT_FALSE(editing().IsValueOpen(0, 1));
    // The copy and its folder are gone; nothing arrives any more.
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(copy).absolutePath()));
    const AnsiString ended = value();
    settle();
    EXPECT_EQ(value(), ended);
}

TEST_F(EmbeddedEditingTest, AnApplicationThatNeverSavesOrDeletesTheCopyLeavesTheRecord)
{
    ASSERT_TRUE(editing().OpenValue(0, 1));
    const QString copy = handedOver.front();
    settle();
    // The application removes its file and writes nothing.
    QFile::remove(copy);
    settle();
    scripted.setDefaultAnswer(MsgResult::Yes);
    EXPECT_TRUE(editing().EndValue(0, 1));
    EXPECT_EQ(value(), reference);
    EXPECT_EQ(storedBytes(), QByteArray("alt"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(changedRecords.empty());
}

TEST_F(EmbeddedEditingTest, ClosingWithAnOpenCopyWarnsFirst)
{
    ASSERT_TRUE(editing().OpenValue(0, 1));
    saveByRename(handedOver.front(), "vor dem Schlie\xDF"
                                     "en");
    // Keep editing: the database stays open, the change is in already.
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(doc.SaveModified());
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgEndEmbeddedEditing});
    EXPECT_TRUE(editing().IsValueOpen(0, 1));
    EXPECT_EQ(storedBytes(), QByteArray("vor dem Schlie\xDF"
                                        "en"));

    // End it: then the usual question whether to save.
    scripted.clear();
    scripted.queueAnswer(MsgResult::Yes);
    scripted.queueAnswer(MsgResult::No);
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgEndEmbeddedEditing, ids::kMsgAskToSave}));
    EXPECT_FALSE(editing().HasOpenDocuments());
}

TEST_F(EmbeddedEditingTest, ARecordThatWentTakesNothingAndSortingKeepsTheTarget)
{
    ASSERT_TRUE(editing().OpenValue(0, 1));
    const QString copy = handedOver.front();
    // The record moves to the end: the value still finds it.
    auto moved = doc.GetTable().CreateRecord(false);
    moved->SetRawValue("Davor", 0);
    doc.GetTable().InsertRecord(0, std::move(moved));
    EXPECT_TRUE(editing().IsValueOpen(1, 1));
    saveByRename(copy, "verschoben");
    ASSERT_TRUE(waitFor([this] { return doc.IsModified(); }));
    EXPECT_EQ(storedBytes(1), QByteArray("verschoben"));

    // Gone: the copy belongs to nothing and the editing ends quietly.
    doc.SetModifiedFlag(false);
    doc.GetTable().RemoveRecord(1);
    saveByRename(copy, "verloren");
    ASSERT_TRUE(waitFor([this] { return !editing().HasOpenDocuments(); }));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(EmbeddedEditingTest, WhatCannotBeOpenedSaysWhy)
{
    // No application for it: 539, no copy left behind.
    opens = false;
    EXPECT_FALSE(editing().OpenValue(0, 1));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgCannotOpen});
    EXPECT_FALSE(editing().HasOpenDocuments());
    ASSERT_EQ(handedOver.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(handedOver.front()).absolutePath()));
    opens = true;

    // An empty value opens nothing and says nothing: the caller inserts.
    scripted.clear();
    EXPECT_FALSE(editing().OpenValue(1, 1));
    EXPECT_TRUE(scripted.messages().empty());
    // A reference to nothing: 502.
    doc.GetTable().GetRecord(1)->SetRawValue("12345", 1);
    EXPECT_FALSE(editing().OpenValue(1, 1));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgOleValueUnreadable});

    // A launcher is run only when the user says so.
    scripted.clear();
    CDrawEditItem launcher;
    launcher.fileName = "start.desktop";
    launcher.mimeType = "application/x-desktop";
    launcher.ReplaceBytes("[Desktop Entry]\nExec=rm -rf ~\n");
    doc.GetTable().GetRecord(1)->SetRawValue(WriteOleValue(doc.GetWorkingStorePath(), AnsiView(), launcher), 1);
    handedOver.clear();
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(editing().OpenValue(1, 1));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgConfirmRunLink});
    EXPECT_TRUE(handedOver.isEmpty());
}

TEST_F(EmbeddedEditingTest, ALinkedDocumentOpensTheFileItselfAndAMissingOneIsReported)
{
    const QString file = path("Tabelle.fods");
    WriteAll(file, NewDocumentBytes(NewDocumentKind::Spreadsheet));
    CDrawEditItem linked;
    ASSERT_EQ(LoadEmbeddedItem(linked, file, true), EmbedOutcome::Done);
    doc.GetTable().GetRecord(1)->SetRawValue(WriteOleValue(doc.GetWorkingStorePath(), AnsiView(), linked), 1);
    EXPECT_TRUE(editing().OpenValue(1, 1));
    EXPECT_EQ(handedOver, QStringList{file});
    // Nothing of it is kept, so nothing is watched or hatched.
    EXPECT_FALSE(editing().IsValueOpen(1, 1));

    QFile::remove(file);
    handedOver.clear();
    EXPECT_FALSE(editing().OpenValue(1, 1));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgFileNotFound});
    EXPECT_TRUE(handedOver.isEmpty());
}

TEST_F(EmbeddedEditingTest, AnObjectOfTheFormIsWrittenBackThroughTheForm)
{
    auto object = std::make_unique<CDrawOleObj>(RECT{10, 10, 210, 110});
    auto item = std::make_unique<CDrawItem>();
    MakeNewEmbeddedItem(*item, NewDocumentKind::TextDocument);
    object->SetClientItem(std::move(item));
    auto *ole = static_cast<CDrawOleObj *>(doc.GetForm().Add(std::move(object)));
    doc.GetForm().SetModified(false);
    doc.SetModifiedFlag(false);

    ASSERT_TRUE(editing().OpenObject(*ole));
    EXPECT_TRUE(ole->clientItem->open);
    EXPECT_EQ(QFileInfo(handedOver.front()).fileName(), QStringLiteral("Textdokument.fodt"));
    saveByRename(handedOver.front(), "<office:document/>");
    ASSERT_TRUE(waitFor([this] { return doc.IsModified(); }));
    EXPECT_EQ(ole->clientItem->bytes, QByteArray("<office:document/>"));
    EXPECT_TRUE(doc.GetForm().IsModified());

    // An object that leaves the form takes its editing with it.
    const std::unique_ptr<CDrawObj> removed = doc.GetForm().Remove(ole);
    EXPECT_FALSE(editing().HasOpenDocuments());
    EXPECT_FALSE(ole->clientItem->open);
}

} // namespace
