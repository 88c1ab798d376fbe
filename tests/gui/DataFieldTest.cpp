// Data fields in data mode: the controls over them, typing into records,
// other windows following, the Tab order and the values drawn.
#include "PictureTestSupport.h"
#include "document/DocumentTestSupport.h"

#include "form/DrawEdit.h"
#include "form/DrawEditItem.h"
#include "form/DrawPicture.h"
#include "form/FormObjects.h"
#include "form/ui/DataFieldControl.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/ListGrid.h"
#include "listview/OrvelView.h"
#include "media/gfx/QtPictureDecoder.h"
#include "media/ui/InsertPictureDialog.h"
#include "media/ui/NewSizeDialog.h"
#include "media/ui/SaneScanner.h"
#include "platform/Archive.h"
#include "platform/Codepage.h"
#include "resources/CommandIds.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace orvel;
using namespace orvel::test;

namespace {

class DataFieldTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CFormDesigner::Tools() = {};
        RegisterQtPictureDecoder();
        AddField(doc, "Name");
        AddField(doc, "Ort");
        AddField(doc, "Homepage", FT_LINK);
        AddField(doc, "Notiz", FT_MEMO);
        AddRecord(doc, {"Anna", "Bonn", "Verein,https://verein.example", ""});
        AddRecord(doc, {"Bernd", "K\xF6ln", "https://bernd.example", ""});
        doc.CreateDefaultForm();
        doc.SetModifiedFlag(false);
    }

    // A form view in data mode and a list of the same document beside it.
    void open()
    {
        form = std::make_unique<COrvelView>(doc, nullptr, nullptr, false);
        form->resize(640, 480);
        form->show();
        form->OnInitialUpdate();
        list = std::make_unique<COrvelView>(doc, nullptr, nullptr, true);
        list->resize(400, 300);
        list->show();
        list->OnInitialUpdate();
        QCoreApplication::processEvents();
    }

    CFormDesigner &designer() const { return form->GetFormView()->Designer(); }
    DataFieldControl *control() const { return designer().GetEditor(); }
    CDrawEdit *dataField(int field) { return doc.GetForm().FindDataField(field); }
    AnsiView value(int record, int field) const { return doc.GetTable().GetRecord(record)->GetRawValue(field); }
    bool run(COrvelView &view, int id) { return view.OnCmdMsg(id, nullptr); }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    std::unique_ptr<COrvelView> form;
    std::unique_ptr<COrvelView> list;
};

TEST_F(DataFieldTest, TypingGoesIntoTheRecordAndTheListShowsItAtOnce)
{
    open();
    // The current field is edited from the start.
    ASSERT_NE(control(), nullptr);
    EXPECT_EQ(&control()->Field(), dataField(0));
    auto *edit = qobject_cast<QLineEdit *>(control()->Widget());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("Anna"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("Anna"));

    std::vector<UpdateHint> heard;
    const int listener = doc.AddHintListener([&](const UpdateHint &hint) { heard.push_back(hint); });
    QTest::keyClicks(edit, QStringLiteral("Änne"));
    EXPECT_EQ(value(0, 0), "\xC4nne");
    EXPECT_TRUE(doc.IsModified());
    // At every change, as field and record.
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back().kind, Hint::RecordChanged);
    EXPECT_EQ(heard.back().record, 0);
    EXPECT_EQ(heard.back().field, 0);
    doc.RemoveHintListener(listener);

    // Tab goes to the next data field; the control follows.
    QTest::keyClick(edit, Qt::Key_Tab);
    QCoreApplication::processEvents();
    ASSERT_NE(control(), nullptr);
    EXPECT_EQ(&control()->Field(), dataField(1));
    EXPECT_EQ(form->GetCurrentField(), 1);
    QTest::keyClicks(control()->Widget(), QStringLiteral("Berlin"));
    EXPECT_EQ(value(0, 1), "Berlin");

    // The next record: the control shows its value.
    ASSERT_TRUE(run(*form, ID_RECORD_NEXT));
    QCoreApplication::processEvents();
    ASSERT_NE(control(), nullptr);
    EXPECT_EQ(qobject_cast<QLineEdit *>(control()->Widget())->text(), QStringLiteral("Köln"));
    EXPECT_EQ(form->GetCurrentRecord(), 1);
}

TEST_F(DataFieldTest, AChangeInAnotherWindowReachesTheControlAndEscapeBringsTheValueBack)
{
    open();
    auto *edit = qobject_cast<QLineEdit *>(control()->Widget());
    ASSERT_NE(edit, nullptr);
    // The list changes the name of the same record.
    ASSERT_TRUE(doc.SetFieldText(0, 0, "Anke"));
    list->UpdateOtherViews({Hint::RecordChanged, 0, 0});
    EXPECT_EQ(edit->text(), QStringLiteral("Anke"));

    doc.SetModifiedFlag(false);
    form->GetFormView()->Designer().SelectNext(true);
    form->GetFormView()->Designer().SelectNext(false);
    edit = qobject_cast<QLineEdit *>(control()->Widget());
    QTest::keyClicks(edit, QStringLiteral("Xaver"));
    EXPECT_EQ(value(0, 0), "Xaver");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(value(0, 0), "Anke");
    EXPECT_EQ(edit->text(), QStringLiteral("Anke"));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DataFieldTest, TheFieldsSizeDecidesTheKindOfEditBox)
{
    CDrawEdit *name = dataField(0);
    struct Case
    {
        RECT position;
        bool showFieldName;
        const char *expected; // "line", "text" or "none"
    };
    const int line = name->position.bottom - name->position.top;
    const Case cases[] = {
            {{5, 20, 405, 20 + line}, true, "line"},
            {{5, 20, 405, 20 + 3 * line}, true, "text"},
            // Narrower than its label: no room for a box.
            {{5, 20, 60, 20 + line}, true, "none"},
            // Without the label the same width is enough.
            {{5, 20, 60, 20 + line}, false, "line"},
    };
    open();
    for (const Case &c : cases) {
        designer().ClearSelection();
        name->position = c.position;
        name->showFieldName = c.showFieldName ? 1 : 0;
        designer().Select(name);
        const DataFieldControl *made = control();
        const char *kind = made == nullptr                                  ? "none"
                           : qobject_cast<QLineEdit *>(made->Widget())      ? "line"
                           : qobject_cast<QPlainTextEdit *>(made->Widget()) ? "text"
                                                                            : "?";
        EXPECT_STREQ(kind, c.expected) << c.position.right << "x" << c.position.bottom;
        if (made != nullptr) {
            // Right of the label, inside the field by three.
            const QRect area = made->Widget()->geometry();
            EXPECT_EQ(area.right(), c.position.right - 4);
            EXPECT_EQ(area.top(), c.position.top + 3);
            EXPECT_GT(area.left(), c.position.left + (c.showFieldName ? 12 : 0));
        }
    }
}

TEST_F(DataFieldTest, LinksAndMemosAreButtons)
{
    open();
    designer().Select(dataField(2));
    ASSERT_NE(control(), nullptr);
    auto *button = qobject_cast<QPushButton *>(control()->Widget());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(control()->Id(), DataFieldControl::kLinkButtonId);
    // Only what stands before the comma.
    EXPECT_EQ(button->text(), QStringLiteral("Verein"));
    // The button opens the link.
    EXPECT_TRUE(button->isEnabled());
    ASSERT_TRUE(run(*form, ID_RECORD_NEXT));
    designer().Select(dataField(2));
    EXPECT_EQ(qobject_cast<QPushButton *>(control()->Widget())->text(), QStringLiteral("https://bernd.example"));

    designer().Select(dataField(3));
    ASSERT_NE(control(), nullptr);
    EXPECT_EQ(control()->Id(), DataFieldControl::kMemoButtonId);
    EXPECT_EQ(qobject_cast<QPushButton *>(control()->Widget())->text(), QStringLiteral("Notiz"));
}

TEST_F(DataFieldTest, DesignModeDrawsGreyAndMakesNoControl)
{
    open();
    form->ToggleDesignMode();
    EXPECT_EQ(control(), nullptr);
    designer().Select(dataField(0));
    EXPECT_EQ(control(), nullptr);
    const QImage shot = form->GetFormView()->viewport()->grab().toImage();
    // Inside the value area, away from the text: the light grey of design.
    const RECT r = dataField(0)->position;
    EXPECT_EQ(shot.pixelColor(r.right - 6, r.bottom - 5), QColor(0xC0, 0xC0, 0xC0));
    form->ToggleDesignMode();
    QCoreApplication::processEvents();
    const QImage data = form->GetFormView()->viewport()->grab().toImage();
    EXPECT_EQ(data.pixelColor(r.right - 6, r.bottom - 5), QColor(255, 255, 255));
}

class PictureFieldTest : public DataFieldTest
{
protected:
    void SetUp() override
    {
        DataFieldTest::SetUp();
        dir = MakeScratchDir();
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(QColor(200, 0, 0));
        file = dir + QStringLiteral("/rot.png");
        ASSERT_TRUE(picture.save(file));
        const int pos = doc.GetTable().InsertField("Bild");
        doc.GetTable().SetFieldType(FT_PICTURE, pos);
        auto field = std::make_unique<CDrawEdit>(pos, RECT{5, 200, 305, 320});
        field->showFieldName = 0;
        doc.GetForm().Add(std::move(field));
    }
    QColor pixelInPicture()
    {
        form->GetFormView()->InvalidateAll();
        const QImage shot = form->GetFormView()->viewport()->grab().toImage();
        return shot.pixelColor(150, 260);
    }
    QString dir;
    QString file;
};

TEST_F(PictureFieldTest, PicturesAreDrawnFromFilesAndFromTheObjectStore)
{
    doc.GetTable().GetRecord(0)->SetRawValue(QStringToAnsi(file), 4);
    doc.GetTable().GetRecord(1)->SetRawValue(QStringToAnsi(dir + QStringLiteral("/fehlt.png")), 4);
    open();
    EXPECT_EQ(pixelInPicture(), QColor(200, 0, 0));
    // A picture that cannot be read says so instead.
    ASSERT_TRUE(run(*form, ID_RECORD_NEXT));
    EXPECT_NE(pixelInPicture(), QColor(200, 0, 0));
    EXPECT_TRUE(dataField(4)->valueUnreadable);

    // Embedded: the value is a key of the object store.
    CDrawEdit *field = dataField(4);
    field->embedded = 1;
    QFile::copy(file, dir + QStringLiteral("/kopie.png"));
    const AnsiString key = WriteObject(dir + QStringLiteral("/kopie.png"), "", doc.GetWorkingStorePath());
    ASSERT_FALSE(key.empty());
    doc.GetTable().GetRecord(1)->SetRawValue(key, 4);
    EXPECT_EQ(pixelInPicture(), QColor(200, 0, 0));
}

} // namespace

namespace {

// A record with every kind of value, shown in data mode; with
// ORVEL_SCREENSHOT_DIR set the form is saved as a picture there.
TEST_F(PictureFieldTest, AFormWithEveryKindOfField)
{
    CDataTable &table = doc.GetTable();
    const int amount = table.InsertField("Betrag");
    table.SetFieldType(FT_NUMERIC, amount);
    table.SetFieldFormat(2, amount);
    const int date = table.InsertField("Geburtstag");
    table.SetFieldType(FT_DATE, date);
    const int object = table.InsertField("Brief");
    table.SetFieldType(FT_OLE, object);
    CDataRecord &record = *table.GetRecord(0);
    record.SetRawValue(QStringToAnsi(file), 4);
    record.SetValue("1234,5", amount);
    record.SetValue("24.12.1996", date);

    // An embedded document as the OLE value.
    CDrawEditItem item;
    item.fileName = "Brief an Oma.odt";
    item.mimeType = "application/vnd.oasis.opendocument.text";
    item.bytes = QByteArray("PK\x03\x04 Brief", 11);
    QFile out(dir + QStringLiteral("/brief.bin"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    {
        CArchive ar(out);
        ar.WriteObject(&item);
    }
    out.close();
    const AnsiString key = WriteObject(out.fileName(), "", doc.GetWorkingStorePath());
    ASSERT_FALSE(key.empty());
    record.SetRawValue(key, object);

    // Below the generated fields: the number, the date and the document.
    int top = 330;
    for (const int field : {amount, date}) {
        doc.GetForm().Add(std::make_unique<CDrawEdit>(field, RECT{5, top, 405, top + 19}));
        top += 30;
    }
    doc.GetForm().Add(std::make_unique<CDrawEdit>(object, RECT{320, 200, 500, 320}));
    for (const auto &drawn : doc.GetForm().GetObjects()) {
        if (auto *field = dynamic_cast<CDrawEdit *>(drawn.get()))
            field->font = StockFont(DEFAULT_GUI_FONT);
    }
    open();
    QCoreApplication::processEvents();
    const QImage shot = form->grab().toImage();
    // The document's name is drawn into its field.
    EXPECT_FALSE(dataField(object)->valueUnreadable);
    ASSERT_NE(dataField(object)->valueItem, nullptr);
    EXPECT_EQ(dataField(object)->valueItem->fileName, "Brief an Oma.odt");
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        EXPECT_TRUE(shot.save(shots + QStringLiteral("/orvel-form-fields.png")));
    }
}

} // namespace

namespace {

// Picks a file in the picture dialog and takes it.
void chooseInPictureDialog(const QString &file, bool embed)
{
    WhenShown<InsertPictureDialog>([file, embed](InsertPictureDialog &dialog) {
        dialog.NameEdit()->setText(file);
        emit dialog.NameEdit()->editingFinished();
        dialog.EmbedBox()->setChecked(embed);
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
}

// Remembers what the save dialog proposed.
class ProposalServices : public ScriptedServices
{
public:
    QStringList proposals;
    QString getSaveFileName(const QString &title, const QString &proposed, const QString &filter, int *filterIndex,
                            const QString &defaultSuffix) override
    {
        proposals << proposed;
        return ScriptedServices::getSaveFileName(title, proposed, filter, filterIndex, defaultSuffix);
    }
};

class PictureCommandTest : public PictureFieldTest
{
protected:
    void SetUp() override
    {
        PictureFieldTest::SetUp();
        QImage other(30, 20, QImage::Format_RGB32);
        other.fill(QColor(0, 0, 200));
        blue = dir + QStringLiteral("/blau.png");
        ASSERT_TRUE(other.save(blue));
    }
    bool enabled(int id)
    {
        CCmdUI ui(id);
        return form->OnCmdMsg(id, &ui) && ui.IsEnabled();
    }
    bool checked(int id)
    {
        CCmdUI ui(id);
        form->OnCmdMsg(id, &ui);
        return ui.Checked().value_or(false);
    }
    QString blue;
};

TEST_F(PictureCommandTest, APictureObjectComesInAtItsOwnSizeAndSizesAgain)
{
    open();
    form->ToggleDesignMode();
    const std::size_t before = doc.GetForm().GetObjects().size();
    chooseInPictureDialog(file, false);
    ASSERT_TRUE(run(*form, ID_TOOL_PICTURE));
    ASSERT_EQ(doc.GetForm().GetObjects().size(), before + 1);
    auto *picture = dynamic_cast<CDrawPicture *>(doc.GetForm().GetObjects().back().get());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->position, (RECT{10, 10, 50, 40}));
    EXPECT_EQ(AnsiToQString(picture->path), file);
    EXPECT_EQ(picture->embedded, 0u);
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{picture});
    EXPECT_EQ(CFormDesigner::Tools().currentTool, CFormDesigner::Tool::Select);

    // At its natural size the command is checked and has nothing to do.
    EXPECT_TRUE(checked(ID_PICTURE_NATURAL_SIZE));
    EXPECT_FALSE(enabled(ID_PICTURE_NATURAL_SIZE));
    WhenShown<NewSizeDialog>([](NewSizeDialog &dialog) {
        dialog.WidthEdit()->setText(QStringLiteral("120"));
        dialog.HeightEdit()->setText(QStringLiteral("60"));
        dialog.accept();
    });
    ASSERT_TRUE(run(*form, ID_PICTURE_RESIZE));
    EXPECT_EQ(picture->position, (RECT{10, 10, 130, 70}));
    EXPECT_FALSE(checked(ID_PICTURE_NATURAL_SIZE));
    ASSERT_TRUE(run(*form, ID_PICTURE_NATURAL_SIZE));
    EXPECT_EQ(picture->position, (RECT{10, 10, 50, 40}));

    // Embedded, the picture keeps a private copy of its own.
    chooseInPictureDialog(blue, true);
    ASSERT_TRUE(run(*form, ID_TOOL_PICTURE));
    auto *copy = dynamic_cast<CDrawPicture *>(doc.GetForm().GetObjects().back().get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->embedded, 1u);
    ASSERT_FALSE(copy->tempPath.isNull());
    EXPECT_NE(copy->tempPath.path(), blue);
    EXPECT_EQ(QFileInfo(copy->tempPath.path()).size(), QFileInfo(blue).size());

    // Cancelled: nothing comes in.
    WhenShown<InsertPictureDialog>([](InsertPictureDialog &dialog) { dialog.reject(); });
    ASSERT_TRUE(run(*form, ID_TOOL_PICTURE));
    EXPECT_EQ(doc.GetForm().GetObjects().size(), before + 2);
}

TEST_F(PictureCommandTest, SaveAsProposesTheFileNameWithBmpAndAMissingPictureKeepsItsSize)
{
    ProposalServices proposing;
    ScopedServices use(&proposing);
    open();
    form->ToggleDesignMode();
    auto picture = std::make_unique<CDrawPicture>(RECT{10, 10, 90, 70});
    picture->path = "/home/anna.schmidt/Bilder/urlaub.2019.jpg";
    picture->viewer.SetFileName(AnsiToQString(picture->path));
    CDrawPicture *missing = static_cast<CDrawPicture *>(doc.GetForm().Add(std::move(picture)));
    designer().Select(missing);
    // It cannot be read: no natural size, nothing to save.
    EXPECT_FALSE(enabled(ID_PICTURE_NATURAL_SIZE));
    EXPECT_FALSE(enabled(ID_PICTURE_SAVE_AS));
    EXPECT_EQ(missing->position, (RECT{10, 10, 90, 70}));

    auto readable = std::make_unique<CDrawPicture>(RECT{10, 100, 50, 130});
    readable->path = QStringToAnsi(dir + QStringLiteral("/rot.png"));
    readable->viewer.SetFileName(file);
    CDrawPicture *shown = static_cast<CDrawPicture *>(doc.GetForm().Add(std::move(readable)));
    designer().Select(shown);
    const QString target = dir + QStringLiteral("/gesichert.bmp");
    proposing.queueFileName(target);
    ASSERT_TRUE(run(*form, ID_PICTURE_SAVE_AS));
    ASSERT_EQ(proposing.proposals.size(), 1);
    EXPECT_EQ(proposing.proposals[0], dir + QStringLiteral("/rot.bmp"));
    EXPECT_EQ(QImage(target).size(), QSize(40, 30));

    // A full stop in a folder name stays.
    shown->path = "/home/anna.schmidt/Bilder/urlaub.2019.jpg";
    proposing.queueFileName(QString());
    ASSERT_TRUE(run(*form, ID_PICTURE_SAVE_AS));
    EXPECT_EQ(proposing.proposals[1], QStringLiteral("/home/anna.schmidt/Bilder/urlaub.2019.bmp"));
}

TEST_F(PictureCommandTest, NewPictureOfAFieldChangesTheRecordOnlyForAnotherFile)
{
    doc.GetTable().GetRecord(0)->SetRawValue(QStringToAnsi(file), 4);
    open();
    designer().Select(dataField(4));
    doc.SetModifiedFlag(false);
    // The same file again: nothing changes.
    chooseInPictureDialog(file, false);
    ASSERT_TRUE(run(*form, ID_FIELD_NEW_PICTURE));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(AnsiToQString(value(0, 4)), file);
    EXPECT_EQ(form->GetCurrentField(), 4);

    std::vector<UpdateHint> heard;
    const int listener = doc.AddHintListener([&](const UpdateHint &hint) { heard.push_back(hint); });
    chooseInPictureDialog(blue, false);
    ASSERT_TRUE(run(*form, ID_FIELD_NEW_PICTURE));
    EXPECT_EQ(AnsiToQString(value(0, 4)), blue);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back().kind, Hint::RecordChanged);
    EXPECT_EQ(heard.back().field, 4);
    doc.RemoveHintListener(listener);
    EXPECT_EQ(pixelInPicture(), QColor(0, 0, 200));

    // An embedded field keeps the picture in the object store.
    dataField(4)->embedded = 1;
    doc.GetTable().GetRecord(0)->SetRawValue("", 4);
    chooseInPictureDialog(file, true);
    ASSERT_TRUE(run(*form, ID_FIELD_NEW_PICTURE));
    const auto key = ParseObjectReference(value(0, 4));
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(pixelInPicture(), QColor(200, 0, 0));

    // Another picture goes into the same object and keeps the reference;
    // the document still knows it has changed.
    const AnsiString reference(value(0, 4));
    doc.SetModifiedFlag(false);
    chooseInPictureDialog(blue, true);
    ASSERT_TRUE(run(*form, ID_FIELD_NEW_PICTURE));
    EXPECT_EQ(value(0, 4), reference);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(pixelInPicture(), QColor(0, 0, 200));
}

// A scan taken into an embedded picture field is kept in the database's
// object file and comes back with it.
TEST_F(PictureCommandTest, AScanIntoAnEmbeddedFieldIsSavedWithTheDatabase)
{
    SaneTestSetup::Folder();
    InstallSaneScanner();
    SaneTestSetup::TestBackend(1, 75, "mode Color\ntest-picture \"Color pattern\"\n");
    dataField(4)->embedded = 1;
    open();
    designer().Select(dataField(4));
    WhenShown<InsertPictureDialog>([](InsertPictureDialog &dialog) {
        dialog.ScanButton()->click();
        EXPECT_TRUE(dialog.EmbedBox()->isChecked());
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(run(*form, ID_FIELD_NEW_PICTURE));
    UninstallSaneScanner();
    const AnsiString key(value(0, 4));
    ASSERT_TRUE(ParseObjectReference(key).has_value());

    const QString path = dir + QStringLiteral("/Scans.ovd");
    ASSERT_TRUE(doc.Save(path, 1, true));
    form.reset();
    list.reset();
    COrvelDoc reopened;
    ASSERT_TRUE(reopened.Open(path));
    EXPECT_EQ(reopened.GetTable().GetRecord(0)->GetRawValue(4), key);
    const QString copy = ReadObject(reopened.GetWorkingStorePath(), key);
    ASSERT_FALSE(copy.isEmpty());
    const QImage scan(copy);
    EXPECT_EQ(scan.size(), SaneTestSetup::ScanSize(75));
    QFile::remove(copy);
}

} // namespace
