#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "platform/Codepage.h"
#include "platform/ScriptedServices.h"
#include "platform/TempFile.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"
#include "templates/TemplateBuilder.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <vector>

using namespace orvel;

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 U32At(const QByteArray &b, qsizetype at)
{
    return quint32(quint8(b[at])) | (quint32(quint8(b[at + 1])) << 8) | (quint32(quint8(b[at + 2])) << 16)
           | (quint32(quint8(b[at + 3])) << 24);
}

// The bytes of an object of the document's working store.
QByteArray ObjectBytes(const COrvelDoc &doc, AnsiView reference)
{
    const TempFile copy(ReadObject(doc.GetWorkingStorePath(), reference));
    return copy.isNull() ? QByteArray() : ReadAll(copy.path());
}

bool Inside(const RECT &inner, const RECT &outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right
           && inner.bottom <= outer.bottom;
}

bool Overlap(const RECT &a, const RECT &b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The templates are written once for the whole suite, as the build writes
// them.
class TemplatesTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ScriptedServices scripted;
        ScopedServices scope(&scripted);
        s_dir = new QString(test::MakeScratchDir());
        QString error;
        s_written = WriteTemplates(*s_dir, &error);
        EXPECT_TRUE(s_written) << error.toStdString();
        EXPECT_TRUE(scripted.messages().empty());
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static bool WriteTemplates(const QString &dir, QString *error) { return templates::WriteTemplates(dir, error); }
    void SetUp() override { ASSERT_TRUE(s_written); }

    static QString path(const char *name) { return *s_dir + QLatin1Char('/') + QLatin1String(name); }
    // Opens a template as the "Neu" dialog does: as an untitled copy.
    void open(COrvelDoc &doc, const char *name)
    {
        ASSERT_TRUE(doc.Open(path(name), true)) << name;
        EXPECT_TRUE(doc.GetPathName().isEmpty());
        EXPECT_TRUE(scripted.messages().empty()) << name;
    }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    static inline QString *s_dir = nullptr;
    static inline bool s_written = false;
};

TEST_F(TemplatesTest, EveryTemplateIsADatabaseWithTitledFormAndSampleRecords)
{
    const auto list = templates::TemplateList();
    ASSERT_EQ(list.size(), 7u);
    for (const templates::TemplateInfo &info : list) {
        SCOPED_TRACE(info.fileName);
        // The templates' extension is the database format, not an export.
        EXPECT_TRUE(ReadAll(path(info.fileName)).startsWith(QByteArray("ORVEL0\x1A", 7)));
        COrvelDoc doc;
        open(doc, info.fileName);
        const CDataTable &table = doc.GetTable();
        ASSERT_GE(table.GetFieldCount(), 5);
        EXPECT_GE(table.GetRecordCount(), 3);
        EXPECT_LE(table.GetRecordCount(), 5);
        EXPECT_NE(doc.GetBackgroundColor(), CFormObjects::kDefaultBackground);

        std::vector<const CDrawEdit *> dataFields;
        std::vector<const CDrawRect *> frames;
        const CDrawText *title = nullptr;
        for (const auto &object : doc.GetForm().GetObjects()) {
            if (const auto *edit = dynamic_cast<const CDrawEdit *>(object.get()))
                dataFields.push_back(edit);
            else if (const auto *frame = dynamic_cast<const CDrawRect *>(object.get()))
                frames.push_back(frame);
            else if (const auto *text = dynamic_cast<const CDrawText *>(object.get());
                     text && text->text == QStringToAnsi(QString::fromUtf8(info.title)))
                title = text;
        }
        // The title: larger than the stock font, bold, above every field.
        ASSERT_NE(title, nullptr);
        EXPECT_LT(title->font.lfHeight, StockFont(DEFAULT_GUI_FONT).lfHeight);
        EXPECT_EQ(title->font.lfWeight, 700);
        // One data field per field, each inside a frame, none on another,
        // all below the title and on the form.
        ASSERT_EQ(int(dataFields.size()), table.GetFieldCount());
        for (int k = 0; k < table.GetFieldCount(); ++k) {
            const CDrawEdit *field = doc.GetForm().FindDataField(k);
            ASSERT_NE(field, nullptr) << k;
            const RECT r = field->position;
            EXPECT_GE(r.top, title->position.bottom);
            EXPECT_LE(r.right, CFormObjects::kFormWidth);
            EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [&](const CDrawRect *frame) {
                return Inside(r, frame->position);
            })) << k;
            for (const CDrawEdit *other : dataFields)
                EXPECT_TRUE(other == field || !Overlap(r, other->position)) << k;
        }
        // Frames lie side by side or one below the other; only the banner
        // holds the title.
        for (const CDrawRect *a : frames)
            for (const CDrawRect *b : frames)
                EXPECT_TRUE(a == b || !Overlap(a->position, b->position));

        // Every sample value is shown by its type (no "##").
        for (int record = 0; record < table.GetRecordCount(); ++record)
            for (int k = 0; k < table.GetFieldCount(); ++k)
                EXPECT_NE(table.GetRecord(record)->GetDisplayValue(k), "##") << record << "/" << k;
    }
}

TEST_F(TemplatesTest, MemosArePlainTextObjects)
{
    COrvelDoc doc;
    open(doc, "Songs.dtf");
    const CDataTable &table = doc.GetTable();
    int memo = -1;
    for (int k = 0; k < table.GetFieldCount(); ++k)
        if (table.GetFieldType(k) == FT_MEMO)
            memo = k;
    ASSERT_GE(memo, 0);
    for (int record = 0; record < table.GetRecordCount(); ++record) {
        const AnsiView reference = table.GetRecord(record)->GetRawValue(memo);
        ASSERT_TRUE(ParseObjectReference(reference).has_value()) << record;
        const QByteArray text = ObjectBytes(doc, reference);
        // As the memo editor keeps it: Windows-1252, CR LF, no terminator.
        EXPECT_FALSE(text.isEmpty());
        EXPECT_TRUE(text.contains("\r\n"));
        EXPECT_FALSE(text.contains('\0'));
        EXPECT_EQ(text.count('\n'), text.count("\r\n"));
        EXPECT_FALSE(QString::fromUtf8(text).contains(QStringLiteral("Ã")));
    }
    EXPECT_TRUE(ObjectBytes(doc, table.GetRecord(3)->GetRawValue(memo))
                        .contains("Gr\xFC"
                                  "ne"));
}

TEST_F(TemplatesTest, PicturesAreEmbeddedBitmaps)
{
    COrvelDoc doc;
    open(doc, "Pics.dtf");
    const CDataTable &table = doc.GetTable();
    ASSERT_EQ(table.GetFieldType(0), FT_PICTURE);
    EXPECT_TRUE(doc.GetForm().IsPictureEmbedded(0));
    QByteArray previous;
    for (int record = 0; record < table.GetRecordCount(); ++record) {
        const QByteArray bmp = ObjectBytes(doc, table.GetRecord(record)->GetRawValue(0));
        ASSERT_TRUE(bmp.startsWith("BM")) << record;
        EXPECT_EQ(U32At(bmp, 2), quint32(bmp.size()));
        EXPECT_EQ(U32At(bmp, 18), 160u);
        EXPECT_EQ(U32At(bmp, 22), 120u);
        // Each record shows a picture of its own.
        EXPECT_NE(bmp, previous);
        previous = bmp;
    }
    // Only the documents with objects carry an object file.
    EXPECT_TRUE(QFile::exists(path("Pics.dbo")));
    EXPECT_TRUE(QFile::exists(path("Songs.dbo")));
    EXPECT_FALSE(QFile::exists(path("Address.dbo")));
}

TEST_F(TemplatesTest, LinksAndTypedFields)
{
    COrvelDoc doc;
    open(doc, "WWW.dtf");
    const CDataTable &table = doc.GetTable();
    int link = -1;
    for (int k = 0; k < table.GetFieldCount(); ++k)
        if (table.GetFieldType(k) == FT_LINK)
            link = k;
    ASSERT_GE(link, 0);
    for (int record = 0; record < table.GetRecordCount(); ++record) {
        // Caption, file, parameters, action.
        const AnsiView value = table.GetRecord(record)->GetRawValue(link);
        EXPECT_EQ(std::count(value.begin(), value.end(), ','), 3) << record;
        EXPECT_NE(value.find("example."), AnsiView::npos);
    }

    COrvelDoc address;
    open(address, "Address.dtf");
    bool hasDate = false;
    for (int k = 0; k < address.GetTable().GetFieldCount(); ++k)
        hasDate = hasDate || address.GetTable().GetFieldType(k) == FT_DATE;
    EXPECT_TRUE(hasDate);
    // The form's title keeps its umlauts and ß as Windows-1252 bytes.
    bool titled = false;
    for (const auto &object : address.GetForm().GetObjects())
        if (const auto *text = dynamic_cast<const CDrawText *>(object.get()))
            titled = titled
                     || text->text
                                == "Adre\xDF"
                                   "datenbank";
    EXPECT_TRUE(titled);
}

TEST_F(TemplatesTest, EveryBuildWritesTheSameBytes)
{
    // Templates go into the build and the packages; a time stamp or another
    // accident in them would make every build differ.
    const QString again = test::MakeScratchDir();
    QString error;
    ASSERT_TRUE(WriteTemplates(again, &error)) << error.toStdString();
    for (const QString &name : QDir(*s_dir).entryList(QDir::Files)) {
        EXPECT_EQ(ReadAll(*s_dir + QLatin1Char('/') + name), ReadAll(again + QLatin1Char('/') + name))
                << name.toStdString();
    }
    EXPECT_EQ(QDir(again).entryList(QDir::Files), QDir(*s_dir).entryList(QDir::Files));
}

TEST(SceneBitmapTest, RowsArePaddedToFourBytes)
{
    // 3 pixels of 3 bytes make 9 bytes a row, padded to 12.
    const QByteArray bmp = templates::MakeSceneBitmap(1, 3, 2);
    ASSERT_EQ(bmp.size(), 14 + 40 + 2 * 12);
    EXPECT_EQ(U32At(bmp, 10), 54u);
    EXPECT_EQ(U32At(bmp, 14), 40u);
    EXPECT_EQ(quint8(bmp[28]), 24);
    EXPECT_EQ(U32At(bmp, 34), 24u);
    EXPECT_EQ(bmp.mid(54 + 9, 3), QByteArray(3, '\0'));
    EXPECT_EQ(bmp.mid(54 + 12 + 9, 3), QByteArray(3, '\0'));
}

} // namespace
