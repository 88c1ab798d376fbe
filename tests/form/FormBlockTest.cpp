// The bytes of the form block and what survives storing and loading it.
#include "FormTestSupport.h"

#include "form/DrawEdit.h"
#include "form/DrawEditItem.h"
#include "form/DrawItem.h"
#include "form/DrawOleObj.h"
#include "form/DrawPicture.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "platform/Codepage.h"
#include "platform/ScriptedServices.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace orvel;
using orvel::test::ByteBuilder;
using orvel::test::LoadForm;
using orvel::test::StoreForm;

namespace {

class FormBlockTest : public testing::Test
{
protected:
    ScriptedServices scripted;
    ScopedServices scope{&scripted};
};

// Points the temporary folder somewhere else while it lives.
class ScopedTempFolder
{
public:
    explicit ScopedTempFolder(const QString &folder)
        : m_previous(qgetenv("TMPDIR"))
        , m_had(qEnvironmentVariableIsSet("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(folder));
    }
    ~ScopedTempFolder()
    {
        if (m_had)
            qputenv("TMPDIR", m_previous);
        else
            qunsetenv("TMPDIR");
    }
    ScopedTempFolder(const ScopedTempFolder &) = delete;
    ScopedTempFolder &operator=(const ScopedTempFolder &) = delete;

private:
    QByteArray m_previous;
    bool m_had;
};

// The common part of an object with the defaults of a new one.
void objectPart(ByteBuilder &b, const RECT &r)
{
    b.i32(r.left).i32(r.top).i32(r.right).i32(r.bottom);
    b.u16(1).u32(0).i32(1).i32(1).u32(kDefaultLineColor); // pen
    b.u16(1).u32(0).u32(kDefaultFillColor).i32(0);        // brush
    b.u16(0);                                             // frame3D
}

void textPart(ByteBuilder &b, QByteArrayView text)
{
    const auto font = StockFont(DEFAULT_GUI_FONT).toBytes();
    b.str(text).raw(QByteArrayView(reinterpret_cast<const char *>(font.data()), qsizetype(font.size())));
    b.u16(0).u32(kDefaultLineColor).u16(0x10).u16(0).u16(1);
}

QByteArray writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One object of every class with values away from the defaults.
void fillWithEveryClass(CFormObjects &form, const QString &scratch, int pictureSize = 50000)
{
    auto line = std::make_unique<CDrawRect>(CDrawRect::line, RECT{300, 200, 100, 50});
    line->pen = LOGPEN{PS_DASH, {3, 3}, RGB(1, 2, 3)};
    line->frame3D = 1;
    form.Add(std::move(line));

    auto round =
            std::make_unique<CDrawRect>(CDrawRect::roundRectangle, RECT{0, 0, 80, 40}, DrawColors{0x112233, 0x445566});
    round->roundness = POINT{10, 6};
    round->hasBrush = 0;
    form.Add(std::move(round));

    auto poly = std::make_unique<CDrawPoly>(RECT{});
    for (POINT p : {POINT{0, 0}, POINT{50, 10}, POINT{20, 60}})
        poly->AddPoint(p);
    form.Add(std::move(poly));

    auto text = std::make_unique<CDrawText>(RECT{10, 10, 200, 40});
    text->text = "Gr\xFC\xDF"
                 "e";
    text->font.lfEscapement = 900;
    text->reserved = 0xBEEF;
    text->drawFlags = 1;
    text->alignment = 1;
    text->wordWrap = 0;
    form.Add(std::move(text));

    auto field = std::make_unique<CDrawEdit>(7, RECT{5, 20, 405, 39});
    field->caption = "Titel";
    field->spareFlag = 0;
    field->framed = 0;
    field->embedded = 1;
    form.Add(std::move(field));

    auto ole = std::make_unique<CDrawOleObj>(RECT{400, 400, 500, 480});
    ole->extent = HimetricSize{2540, 1270};
    auto item = std::make_unique<CDrawItem>();
    item->fileName = "Brief.odt";
    item->mimeType = "application/vnd.oasis.opendocument.text";
    item->bytes = QByteArray("PK\x03\x04 document", 14);
    ole->SetClientItem(std::move(item));
    form.Add(std::move(ole));

    auto linked = std::make_unique<CDrawOleObj>(RECT{0, 500, 10, 510});
    auto linkItem = std::make_unique<CDrawItem>();
    linkItem->linked = true;
    linkItem->linkPath = "/home/anna/Tabelle.ods";
    linked->SetClientItem(std::move(linkItem));
    form.Add(std::move(linked));
    form.Add(std::make_unique<CDrawOleObj>(RECT{0, 600, 10, 610})); // no item

    QByteArray picture(pictureSize, '\0');
    for (int i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 7);
    auto embedded = std::make_unique<CDrawPicture>(RECT{20, 20, 120, 120});
    embedded->path = QStringToAnsi(scratch + "/db/Bilder/foto.png");
    embedded->embedded = 1;
    const QString copy = scratch + "/copy.png";
    writeFile(copy, picture);
    embedded->tempPath = TempFile(copy);
    form.Add(std::move(embedded));

    auto linkedPicture = std::make_unique<CDrawPicture>(RECT{20, 20, 120, 120});
    linkedPicture->path = QStringToAnsi(scratch + "/andere/bild.bmp");
    form.Add(std::move(linkedPicture));
    form.SetBackground(RGB(10, 20, 30));
}

TEST_F(FormBlockTest, TwoRectanglesAndTwoTextsShareTheirClassEntries)
{
    CFormObjects form;
    form.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{10, 20, 110, 70}));
    form.Add(std::make_unique<CDrawRect>(CDrawRect::ellipse, RECT{30, 40, 50, 60}));
    auto text = std::make_unique<CDrawText>(RECT{5, 5, 100, 25});
    text->text = "Hallo";
    form.Add(std::move(text));
    form.Add(std::make_unique<CDrawText>(RECT{5, 30, 100, 50}));

    // Class CDrawRect 1, objects 2 and 3, class CDrawText 4, objects 5 and 6.
    ByteBuilder b;
    b.u32(0x00C0C0C0).u16(4);
    b.newClass("CDrawRect");
    objectPart(b, {10, 20, 110, 70});
    b.u16(0).i32(16).i32(16);
    b.u16(0x8001);
    objectPart(b, {30, 40, 50, 60});
    b.u16(2).i32(16).i32(16);
    b.newClass("CDrawText");
    objectPart(b, {5, 5, 100, 25});
    textPart(b, "Hallo");
    b.u16(0x8004);
    objectPart(b, {5, 30, 100, 50});
    textPart(b, "Textobjekt");
    b.u32(0);
    EXPECT_EQ(StoreForm(form), b.bytes);
}

TEST_F(FormBlockTest, LongTextTakesTheSixteenBitLengthPrefix)
{
    CFormObjects form;
    auto text = std::make_unique<CDrawText>(RECT{});
    text->text = AnsiString(300, 'x');
    form.Add(std::move(text));
    const QByteArray bytes = StoreForm(form);
    // background, count, class entry (2 + 2 + 2 + 9), object part (50).
    EXPECT_EQ(bytes.mid(4 + 2 + 15 + 50, 3), QByteArray("\xFF\x2C\x01"));

    CFormObjects loaded;
    LoadForm(loaded, bytes);
    EXPECT_EQ(static_cast<CDrawText &>(*loaded.GetObjects()[0]).text, AnsiString(300, 'x'));
}

TEST_F(FormBlockTest, PolygonKeepsItsCapacity)
{
    CFormObjects form;
    auto poly = std::make_unique<CDrawPoly>(RECT{});
    for (int i = 0; i < 11; ++i)
        poly->AddPoint(POINT{i * 10, (i % 3) * 7});
    poly->AddPoint(POINT{100, 7}); // the last point again: ignored
    EXPECT_EQ(poly->GetPointCount(), 11u);
    EXPECT_EQ(poly->GetAllocatedCount(), 20u);
    EXPECT_EQ(poly->position, (RECT{0, 0, 100, 14}));
    form.Add(std::move(poly));

    const QByteArray bytes = StoreForm(form);
    EXPECT_EQ(bytes.mid(4 + 2 + 15 + 50, 4), QByteArray("\x0B\x00\x14\x00", 4));
    CFormObjects loaded;
    LoadForm(loaded, bytes);
    const auto &copy = static_cast<const CDrawPoly &>(*loaded.GetObjects()[0]);
    EXPECT_EQ(copy.GetAllocatedCount(), 20u);
    EXPECT_EQ(copy.GetPoints(), static_cast<const CDrawPoly &>(*form.GetObjects()[0]).GetPoints());
    EXPECT_FALSE(copy.hasBrush);
}

TEST_F(FormBlockTest, EveryClassSurvivesStoringAndLoading)
{
    const QString scratch = test::MakeScratchDir();
    const FormFileContext context{scratch + "/db/Adressen.ovd", true};
    CFormObjects form;
    fillWithEveryClass(form, scratch);
    const QByteArray first = StoreForm(form, context);

    CFormObjects loaded;
    loaded.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{}));
    LoadForm(loaded, first, context);
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_EQ(loaded.GetBackground(), RGB(10, 20, 30));
    ASSERT_EQ(loaded.GetObjects().size(), form.GetObjects().size());
    for (const auto &object : loaded.GetObjects())
        EXPECT_EQ(object->document, &loaded);
    // Storing again gives the same bytes: nothing was lost or changed.
    EXPECT_EQ(StoreForm(loaded, context), first);

    const auto &objects = loaded.GetObjects();
    const auto &line = static_cast<const CDrawRect &>(*objects[0]);
    EXPECT_EQ(line.position, (RECT{300, 200, 100, 50})); // still drawn up and to the left
    EXPECT_EQ(line.pen, (LOGPEN{PS_DASH, {3, 3}, RGB(1, 2, 3)}));
    const auto &ole = static_cast<const CDrawOleObj &>(*objects[5]);
    ASSERT_TRUE(ole.clientItem);
    EXPECT_EQ(ole.clientItem->drawObj, &ole);
    EXPECT_EQ(ole.clientItem->bytes, QByteArray("PK\x03\x04 document", 14));
    EXPECT_EQ(ole.extent, (HimetricSize{2540, 1270}));
    EXPECT_EQ(static_cast<const CDrawOleObj &>(*objects[6]).clientItem->linkPath, "/home/anna/Tabelle.ods");
    EXPECT_EQ(loaded.GetItems().size(), 2u);
    EXPECT_TRUE(loaded.IsPictureEmbedded(7));

    const auto &picture = static_cast<const CDrawPicture &>(*objects[8]);
    const QString copy = picture.tempPath.path();
    EXPECT_TRUE(QFileInfo(copy).fileName().startsWith(u"TMP"));
    EXPECT_EQ(readFile(copy), readFile(scratch + "/copy.png"));
    EXPECT_EQ(picture.viewer.GetFileName(), copy);
    EXPECT_EQ(picture.path, QStringToAnsi(scratch + "/db/Bilder/foto.png"));
    loaded.Clear();
    EXPECT_FALSE(QFile::exists(copy)); // the private copy goes with its object
}

TEST_F(FormBlockTest, PicturePathsFollowTheRelativePathsOption)
{
    const QString scratch = test::MakeScratchDir();
    const AnsiString absolute = QStringToAnsi(scratch + "/db/Bilder/foto.png");
    CFormObjects form;
    auto picture = std::make_unique<CDrawPicture>(RECT{});
    picture->path = absolute;
    form.Add(std::move(picture));

    const QByteArray relative = StoreForm(form, {scratch + "/db/Adressen.ovd", true});
    EXPECT_TRUE(relative.contains("\x0F"
                                  "Bilder/foto.png"));
    EXPECT_FALSE(relative.contains(QByteArrayView(scratch.toUtf8())));
    const QByteArray plain = StoreForm(form, {scratch + "/db/Adressen.ovd", false});
    EXPECT_TRUE(plain.contains(QByteArrayView(absolute)));

    // A relative path is found again with the option switched off, and one
    // with backslashes from an older file too.
    QByteArray older = relative;
    older.replace("Bilder/foto.png", "Bilder\\foto.png");
    for (const QByteArray &bytes : {relative, older}) {
        CFormObjects loaded;
        LoadForm(loaded, bytes, {scratch + "/db/Adressen.ovd", false});
        const auto &copy = static_cast<const CDrawPicture &>(*loaded.GetObjects()[0]);
        EXPECT_EQ(copy.path, absolute);
        EXPECT_EQ(copy.relativePath, 0u);
    }
}

TEST_F(FormBlockTest, DataFieldDropsItsDisplayItemBeforeStoring)
{
    CFormObjects form;
    auto *field = static_cast<CDrawEdit *>(form.Add(std::make_unique<CDrawEdit>(2, RECT{})));
    field->valueItem = std::make_unique<CDrawEditItem>();
    field->shownValue = "1234";
    const QByteArray bytes = StoreForm(form);
    EXPECT_FALSE(field->valueItem);
    EXPECT_TRUE(field->shownValue.empty());
    EXPECT_EQ(bytes.right(4), QByteArray(4, '\0')); // no items
}

TEST_F(FormBlockTest, DamagedBlocksLeaveTheFormAsItWas)
{
    const QString scratch = test::MakeScratchDir();
    CFormObjects source;
    fillWithEveryClass(source, scratch, 100);
    const QByteArray whole = StoreForm(source);

    CFormObjects form;
    form.SetBackground(RGB(1, 1, 1));
    CDrawObj *kept = form.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{1, 2, 3, 4}));
    const QString temp = test::MakeScratchDir();
    ScopedTempFolder tempFolder(temp);
    for (qsizetype length = 0; length < whole.size(); ++length) {
        EXPECT_THROW(LoadForm(form, whole.left(length)), ArchiveException) << "length " << length;
        ASSERT_EQ(form.GetObjects().size(), 1u);
        EXPECT_EQ(form.GetObjects()[0].get(), kept);
        EXPECT_EQ(form.GetBackground(), RGB(1, 1, 1));
    }
    EXPECT_TRUE(QDir(temp).isEmpty()); // no private copy left behind
}

ArchiveException::Cause loadFailure(const QByteArray &bytes)
{
    CFormObjects form;
    try {
        LoadForm(form, bytes);
    } catch (const ArchiveException &e) {
        return e.cause();
    }
    ADD_FAILURE() << "loaded";
    return ArchiveException::BadFormat;
}

TEST_F(FormBlockTest, RefusesForeignClassesAndSchemas)
{
    ByteBuilder unknown;
    unknown.u32(0).u16(1).newClass("CDrawBox");
    objectPart(unknown, {});
    EXPECT_EQ(loadFailure(unknown.bytes), ArchiveException::BadClass);

    ByteBuilder schema;
    schema.u32(0).u16(1).u16(0xFFFF).u16(1).u16(9).raw("CDrawRect");
    objectPart(schema, {});
    schema.u16(0).i32(16).i32(16).u32(0);
    EXPECT_EQ(loadFailure(schema.bytes), ArchiveException::BadSchema);

    // The item of an OLE object must be a CDrawItem.
    ByteBuilder item;
    item.u32(0).u16(1).newClass("CDrawOleObj");
    objectPart(item, {});
    item.i32(0).i32(0).newClass("CDrawEditItem").u16(1).str("a").str("b").u16(1).str("c").u32(0);
    EXPECT_EQ(loadFailure(item.bytes), ArchiveException::WrongClass);

    // An item is no form object.
    ByteBuilder listed;
    listed.u32(0).u16(1).newClass("CDrawItem").u16(1).str("a").str("b").u16(1).str("c").u32(0);
    EXPECT_EQ(loadFailure(listed.bytes), ArchiveException::WrongClass);

    // Two OLE objects cannot own one item.
    ByteBuilder shared;
    shared.u32(0).u16(2).newClass("CDrawOleObj");
    objectPart(shared, {});
    shared.i32(0).i32(0).newClass("CDrawItem").u16(1).str("a").str("b").u16(1).str("c");
    shared.u16(0x8001);
    objectPart(shared, {});
    shared.i32(0).i32(0).u16(4).u32(0);
    EXPECT_EQ(loadFailure(shared.bytes), ArchiveException::BadFormat);

    // Fewer slots than points.
    ByteBuilder poly;
    poly.u32(0).u16(1).newClass("CDrawPoly");
    objectPart(poly, {});
    poly.u16(2).u16(1).i32(0).i32(0).i32(1).i32(1).u32(0);
    EXPECT_EQ(loadFailure(poly.bytes), ArchiveException::BadFormat);
}

TEST_F(FormBlockTest, PictureCopyFailuresAreReportedAndTheRestGoesOn)
{
    const QString scratch = test::MakeScratchDir();
    CFormObjects form;
    auto *picture = static_cast<CDrawPicture *>(form.Add(std::make_unique<CDrawPicture>(RECT{})));
    picture->embedded = 1;
    picture->tempPath = TempFile(scratch + "/vanished.png");
    form.Add(std::make_unique<CDrawText>(RECT{}));
    const QByteArray bytes = StoreForm(form);
    EXPECT_TRUE(scripted.sawMessage(61701));

    CFormObjects loaded;
    LoadForm(loaded, bytes);
    EXPECT_EQ(loaded.GetObjects().size(), 2u);

    // No temporary file can be made (the temporary "folder" is a file): the
    // bytes are skipped.
    writeFile(scratch + "/real.png", "bytes");
    picture->tempPath = TempFile(scratch + "/real.png");
    const QByteArray withBytes = StoreForm(form);
    scripted.clear();
    {
        ScopedTempFolder notAFolder(scratch + "/real.png");
        LoadForm(loaded, withBytes);
    }
    EXPECT_TRUE(scripted.sawMessage(61700));
    ASSERT_EQ(loaded.GetObjects().size(), 2u);
    EXPECT_TRUE(static_cast<const CDrawPicture &>(*loaded.GetObjects()[0]).loadFailed);
}

// Writes the seed corpus of the fuzz target fuzz_form_block. Run by hand:
std::vector<CDrawObj *> allOf(const CFormObjects &form)
{
    std::vector<CDrawObj *> objects;
    for (const auto &object : form.GetObjects())
        objects.push_back(object.get());
    return objects;
}

// The cause a paste is refused for; -1 when it is accepted.
int pasteFailure(QByteArrayView bytes)
{
    CFormObjects form;
    try {
        form.LoadObjects(bytes);
    } catch (const ArchiveException &e) {
        return e.cause();
    }
    return -1;
}

TEST_F(FormBlockTest, ClipboardStreamCarriesEveryClassWithoutTheForm)
{
    const QString scratch = test::MakeScratchDir();
    CFormObjects form;
    fillWithEveryClass(form, scratch, 300);
    const QByteArray stream = form.StoreObjects(allOf(form));

    CFormObjects other;
    const auto pasted = other.LoadObjects(stream);
    ASSERT_EQ(pasted.size(), form.GetObjects().size());
    for (std::size_t i = 0; i < pasted.size(); ++i) {
        EXPECT_EQ(&pasted[i]->GetRuntimeClass(), &form.GetObjects()[i]->GetRuntimeClass()) << i;
        EXPECT_EQ(pasted[i]->position, form.GetObjects()[i]->position) << i;
        // Not yet part of the other form: the designer adds them.
        EXPECT_EQ(pasted[i]->document, nullptr);
    }
    EXPECT_TRUE(other.GetObjects().empty());
    // An embedded picture brings its bytes along.
    const auto *picture = dynamic_cast<const CDrawPicture *>(pasted[8].get());
    ASSERT_NE(picture, nullptr);
    ASSERT_FALSE(picture->tempPath.isNull());
    EXPECT_EQ(readFile(picture->tempPath.path()).size(), 300);

    std::vector<CDrawObj *> again;
    for (const auto &object : pasted)
        again.push_back(object.get());
    EXPECT_EQ(other.StoreObjects(again), stream);
}

TEST_F(FormBlockTest, DamagedClipboardStreamsAreRefusedWhole)
{
    const QString scratch = test::MakeScratchDir();
    CFormObjects form;
    fillWithEveryClass(form, scratch, 300);
    const QByteArray stream = form.StoreObjects(allOf(form));

    // Cut short anywhere: refused, whatever had been read is dropped.
    for (qsizetype length = 0; length < stream.size(); length += length < 64 ? 1 : 7)
        EXPECT_NE(pasteFailure(QByteArrayView(stream).first(length)), -1) << length;

    // One byte more than the objects: not a stream of ours.
    EXPECT_EQ(pasteFailure(stream + '\0'), ArchiveException::BadFormat);

    // More objects announced than bytes could hold.
    ByteBuilder many;
    many.u16(0x7FFF).u16(0x8001);
    EXPECT_EQ(pasteFailure(many.bytes), ArchiveException::EndOfFile);

    // Classes that are not form objects of this program.
    ByteBuilder foreign;
    foreign.u16(1).newClass("CDrawBox");
    objectPart(foreign, {});
    EXPECT_EQ(pasteFailure(foreign.bytes), ArchiveException::BadClass);
    ByteBuilder item;
    item.u16(1).newClass("CDrawItem").u16(1).str("a").str("b").u16(1).str("c");
    EXPECT_EQ(pasteFailure(item.bytes), ArchiveException::WrongClass);
}

// orvel-form-tests --gtest_also_run_disabled_tests --gtest_filter=*WriteFuzzSeeds
TEST_F(FormBlockTest, DISABLED_WriteFuzzSeeds)
{
    const QString folder = test::SourceDir() + "/fuzz/corpus/form_block";
    QDir().mkpath(folder);
    const QString scratch = test::MakeScratchDir();
    CFormObjects every;
    fillWithEveryClass(every, scratch, 64);
    writeFile(folder + "/every-class", StoreForm(every));
    CFormObjects generated;
    generated.CreateDefaultForm(4);
    writeFile(folder + "/generated-form", StoreForm(generated));
    writeFile(folder + "/empty-form", StoreForm(CFormObjects()));

    const QString streams = test::SourceDir() + "/fuzz/corpus/form_stream";
    writeFile(streams + "/every-class", every.StoreObjects(allOf(every)));
    writeFile(streams + "/generated-form", generated.StoreObjects(allOf(generated)));
    writeFile(streams + "/nothing", CFormObjects().StoreObjects({}));
}

} // namespace
