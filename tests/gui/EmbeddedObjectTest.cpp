// Embedded documents in the program: the insert-object dialog, OLE values of
// data fields and embedded objects of the form, opened in a test
// "application", hatched while open, and kept through saving.
#include "AppTestSupport.h"
#include "DialogDriver.h"
#include "FormMouse.h"
#include "document/DocumentTestSupport.h"

#include "app/ui/DChildWnd.h"
#include "document/EmbeddedEditing.h"
#include "form/DrawEdit.h"
#include "form/DrawEditItem.h"
#include "form/DrawItem.h"
#include "form/DrawOleObj.h"
#include "form/FormObjects.h"
#include "form/OleValue.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/OrvelView.h"
#include "media/EmbeddedDocument.h"
#include "media/gfx/DocumentIcons.h"
#include "media/gfx/QtPictureDecoder.h"
#include "media/ui/InsertObjectDialog.h"
#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUrl>

using namespace orvel;
using namespace orvel::test;

namespace {

QByteArray PngOf(const QColor &color, int width = 60, int height = 40)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

void SaveByRename(const QString &copy, const QByteArray &bytes)
{
    const QString fresh = QFileInfo(copy).dir().filePath(QStringLiteral("neu.tmp"));
    WriteAll(fresh, bytes);
    QFile::remove(copy);
    ASSERT_TRUE(QFile::rename(fresh, copy));
}

bool WaitFor(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(3000);
    while (!done() && !deadline.hasExpired())
        QTest::qWait(20);
    return done();
}

void Screenshot(QWidget &widget, const char *name)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        EXPECT_TRUE(widget.grab().save(shots + QLatin1Char('/') + QLatin1String(name)));
    }
}

// The test "application" in place of the desktop's: it records what it is
// given.
class TestApplication
{
public:
    TestApplication()
        : m_previous(CEmbeddedEditing::DesktopOpener())
    {
        CEmbeddedEditing::DesktopOpener() = [this](const QString &path) {
            opened << path;
            return true;
        };
    }
    ~TestApplication() { CEmbeddedEditing::DesktopOpener() = m_previous; }
    QStringList opened;

private:
    CEmbeddedEditing::Opener m_previous;
};

class InsertObjectDialogTest : public testing::Test
{
protected:
    void SetUp() override { dir = MakeScratchDir(); }
    QString path(const char *name) const { return dir + QLatin1Char('/') + QString::fromUtf8(name); }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    QString dir;
};

TEST_F(InsertObjectDialogTest, NewOrFromAFileEmbeddedOrLinked)
{
    InsertObjectDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Objekt einfügen"));
    EXPECT_TRUE(dialog.NewRadio()->isChecked());
    ASSERT_EQ(dialog.TypeList()->count(), 5);
    EXPECT_EQ(dialog.TypeList()->item(3)->text(), QStringLiteral("Tabelle"));
    dialog.TypeList()->setCurrentRow(3);
    EXPECT_TRUE(dialog.ResultLabel()->text().contains(QStringLiteral("„Tabelle.fods“")));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    InsertObjectChoice choice = dialog.Choice();
    EXPECT_FALSE(choice.fromFile);
    EXPECT_EQ(choice.kind, NewDocumentKind::Spreadsheet);
    dialog.show();
    QCoreApplication::processEvents();
    Screenshot(dialog, "orvel-insert-object-new.png");

    // From a file: OK waits for a name; "Durchsuchen..." fills it in.
    ClickBox(dialog.FileRadio());
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    const QString file = path("Brief.txt");
    WriteAll(file, "Hallo");
    scripted.queueFileName(file);
    dialog.BrowseButton()->click();
    EXPECT_EQ(dialog.FileEdit()->text(), file);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_TRUE(dialog.ResultLabel()->text().contains(QStringLiteral("eingebettetes Dokument")));
    ClickBox(dialog.LinkBox());
    EXPECT_TRUE(dialog.ResultLabel()->text().contains(QStringLiteral("Verknüpfung")));
    choice = dialog.Choice();
    EXPECT_TRUE(choice.fromFile);
    EXPECT_TRUE(choice.linked);
    EXPECT_EQ(choice.path, file);
    QCoreApplication::processEvents();
    Screenshot(dialog, "orvel-insert-object-file.png");

    // A file that is not there keeps the dialog open.
    dialog.FileEdit()->setText(path("fehlt.txt"));
    dialog.accept();
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgFileNotFound});
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(InsertObjectDialogTest, AHugeFileIsEmbeddedOnlyAfterAskingButLinkedAtOnce)
{
    const QString huge = path("gross.bin");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(kLargeEmbeddedFileSize + 1)); // sparse: costs no disk
    }
    InsertObjectDialog dialog;
    dialog.FileRadio()->setChecked(true);
    dialog.FileEdit()->setText(huge);
    dialog.show();
    scripted.queueAnswer(MsgResult::No);
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgMemoFileLarge});
    EXPECT_TRUE(scripted.messages().front().text.contains(QStringLiteral("ist 64 MB groß")));
    EXPECT_EQ(scripted.messages().front().icon, MsgIcon::Question);

    scripted.clear();
    dialog.LinkBox()->setChecked(true);
    dialog.accept();
    EXPECT_TRUE(scripted.messages().empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// A database with an OLE field on its form, shown in a form view.
class EmbeddedObjectTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CFormDesigner::Tools() = {};
        RegisterQtPictureDecoder();
        RegisterDocumentIcons();
        dir = MakeScratchDir();
        AddField(doc, "Titel");
        AddField(doc, "Dokument", FT_OLE);
        AddRecord(doc, {"Erster", ""});
        AddRecord(doc, {"Zweiter", ""});
        doc.CreateDefaultForm();
        // Room for a picture.
        doc.GetForm().MoveObject(doc.GetForm().FindDataField(1), RECT{5, 58, 405, 200});
        doc.SetModifiedFlag(false);
        form = std::make_unique<COrvelView>(doc, nullptr, nullptr, false);
        form->resize(640, 480);
        form->show();
        form->OnInitialUpdate();
        QCoreApplication::processEvents();
    }
    void TearDown() override { doc.GetEmbeddedEditing().EndAll(); }
    QString path(const char *name) const { return dir + QLatin1Char('/') + QString::fromUtf8(name); }
    CFormDesigner &designer() const { return form->GetFormView()->Designer(); }
    AnsiString value(int record) const { return AnsiString(doc.GetTable().GetRecord(record)->GetRawValue(1)); }
    std::unique_ptr<CDrawEditItem> item(int record) const
    {
        return ReadOleValue(doc.GetWorkingStorePath(), value(record));
    }
    bool run(int id) { return form->OnCmdMsg(id, nullptr); }
    bool enabled(int id)
    {
        CCmdUI ui(id);
        return form->OnCmdMsg(id, &ui) && ui.IsEnabled();
    }
    static void chooseFile(const QString &file, bool linked)
    {
        WhenShown<InsertObjectDialog>([file, linked](InsertObjectDialog &dialog) {
            dialog.FileRadio()->setChecked(true);
            dialog.FileEdit()->setText(file);
            dialog.LinkBox()->setChecked(linked);
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        });
    }
    static void chooseNew(int row)
    {
        WhenShown<InsertObjectDialog>([row](InsertObjectDialog &dialog) {
            dialog.TypeList()->setCurrentRow(row);
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        });
    }
    QImage shot() const { return form->GetFormView()->viewport()->grab().toImage(); }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    TestApplication application;
    COrvelDoc doc;
    std::unique_ptr<COrvelView> form;
    QString dir;
};

TEST_F(EmbeddedObjectTest, AFieldGetsAnEmbeddedALinkedAndANewDocument)
{
    EXPECT_FALSE(enabled(ID_FIELD_INSERT_OLE));
    CDrawEdit *field = doc.GetForm().FindDataField(1);
    designer().Select(field);
    ASSERT_TRUE(enabled(ID_FIELD_INSERT_OLE));
    EXPECT_FALSE(enabled(ID_OLE_VERB_EDIT));

    // Embedded from a file: a picture, shown as its preview.
    const QString picture = path("Rot.png");
    WriteAll(picture, PngOf(Qt::red));
    chooseFile(picture, false);
    ASSERT_TRUE(run(ID_FIELD_INSERT_OLE));
    ASSERT_TRUE(item(0));
    EXPECT_EQ(item(0)->fileName, "Rot.png");
    EXPECT_EQ(item(0)->mimeType, "image/png");
    EXPECT_EQ(item(0)->bytes, ReadAll(picture));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(application.opened.isEmpty());
    shot(); // painted once, the field knows where its value starts
    const QRect area = designer().FormToClient(field->ValueArea(nullptr, &doc.GetTable()));
    EXPECT_EQ(shot().pixelColor(area.center()), QColor(Qt::red));
    Screenshot(*form, "orvel-ole-field-picture.png");

    // Linked: only its path is kept; opening opens the file itself.
    chooseFile(picture, true);
    ASSERT_TRUE(run(ID_FIELD_INSERT_OLE));
    EXPECT_TRUE(item(0)->linked);
    EXPECT_EQ(item(0)->linkPath, QStringToAnsi(picture));
    ASSERT_TRUE(enabled(ID_OLE_VERB_EDIT));
    ASSERT_TRUE(run(ID_OLE_VERB_EDIT));
    EXPECT_EQ(application.opened, QStringList{picture});
    EXPECT_FALSE(enabled(ID_OLE_VERB_END));

    // New: made empty and opened at once, hatched until the editing ends.
    application.opened.clear();
    chooseNew(0);
    ASSERT_TRUE(run(ID_FIELD_INSERT_OLE));
    EXPECT_EQ(item(0)->fileName, "Text.txt");
    ASSERT_EQ(application.opened.size(), 1);
    EXPECT_TRUE(doc.GetEmbeddedEditing().IsValueOpen(0, 1));
    EXPECT_TRUE(enabled(ID_OLE_VERB_END));
    SaveByRename(application.opened.front(), "Gespeichert im Programm");
    ASSERT_TRUE(WaitFor([this] { return item(0) && item(0)->bytes == "Gespeichert im Programm"; }));
    QCoreApplication::processEvents();
    // Hatched: black lines over the white box.
    const QImage hatched = shot();
    Screenshot(*form, "orvel-ole-field-open.png");
    int black = 0;
    for (int x = area.left() + 10; x < area.right() - 10; ++x)
        black += hatched.pixelColor(x, area.center().y()) == QColor(Qt::black) ? 1 : 0;
    EXPECT_GT(black, 5);

    scripted.queueAnswer(MsgResult::Yes);
    ASSERT_TRUE(run(ID_OLE_VERB_END));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgEndEmbeddedEditing});
    EXPECT_FALSE(doc.GetEmbeddedEditing().IsValueOpen(0, 1));
    EXPECT_FALSE(enabled(ID_OLE_VERB_END));
    QCoreApplication::processEvents();
    Screenshot(*form, "orvel-ole-field-text.png");

    // The other record still has no value: a double click inserts one.
    scripted.clear();
    form->SetCurrentCell(1, 1);
    designer().Select(field);
    WhenShown<InsertObjectDialog>([](InsertObjectDialog &dialog) { dialog.reject(); });
    FormMouse mouse([this] { return form->GetFormView()->viewport(); });
    mouse.doubleClick(area.center());
    EXPECT_EQ(value(1), "");
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(EmbeddedObjectTest, TheFormGetsEmbeddedObjectsFromTheDialogAndTheClipboard)
{
    form->ToggleDesignMode();
    QCoreApplication::processEvents();
    ASSERT_TRUE(enabled(ID_OLE_INSERT_NEW));
    const std::size_t before = doc.GetForm().GetObjects().size();
    chooseNew(2); // "Bild"
    ASSERT_TRUE(run(ID_OLE_INSERT_NEW));
    ASSERT_EQ(doc.GetForm().GetObjects().size(), before + 1);
    auto *object = dynamic_cast<CDrawOleObj *>(doc.GetForm().GetObjects().back().get());
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->clientItem);
    EXPECT_EQ(object->clientItem->fileName, "Bild.png");
    // A picture takes its own size.
    EXPECT_EQ(object->GetNormalizedPosition().right - object->GetNormalizedPosition().left, 320);
    ASSERT_EQ(application.opened.size(), 1);
    EXPECT_TRUE(object->clientItem->open);

    // The "application" paints it blue; the form shows it, hatched.
    doc.SetModifiedFlag(false);
    SaveByRename(application.opened.front(), PngOf(Qt::blue, 320, 200));
    ASSERT_TRUE(WaitFor([this] { return doc.IsModified(); }));
    QCoreApplication::processEvents();
    Screenshot(*form, "orvel-form-embedded-open.png");
    scripted.queueAnswer(MsgResult::Yes);
    ASSERT_TRUE(run(ID_OLE_VERB_END));
    EXPECT_FALSE(object->clientItem->open);
    QCoreApplication::processEvents();
    const QRect place = designer().FormToClient(object->GetNormalizedPosition());
    EXPECT_EQ(shot().pixelColor(place.center()), QColor(Qt::blue));
    Screenshot(*form, "orvel-form-embedded.png");

    // Files on the clipboard become embedded objects, one after another.
    const QString text = path("Notiz.txt");
    WriteAll(text, "Notiz");
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(text), QUrl::fromLocalFile(path("fehlt.txt"))});
    QApplication::clipboard()->setMimeData(data);
    QCoreApplication::processEvents();
    ASSERT_TRUE(enabled(ID_EDIT_PASTE));
    ASSERT_TRUE(run(ID_EDIT_PASTE));
    auto *pasted = dynamic_cast<CDrawOleObj *>(doc.GetForm().GetObjects().back().get());
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->clientItem->fileName, "Notiz.txt");
    EXPECT_EQ(pasted->clientItem->bytes, QByteArray("Notiz"));
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{pasted});

    // A picture without a file becomes a PNG picture.
    QApplication::clipboard()->setImage(QImage::fromData(PngOf(Qt::green)));
    QCoreApplication::processEvents();
    ASSERT_TRUE(run(ID_EDIT_PASTE));
    auto *picture = dynamic_cast<CDrawOleObj *>(doc.GetForm().GetObjects().back().get());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->clientItem->mimeType, "image/png");
    EXPECT_EQ(picture->GetNormalizedPosition().right - picture->GetNormalizedPosition().left, 60);
    QApplication::clipboard()->clear();
}

QJsonArray DumpedObjects(const QString &file, int field)
{
    QProcess cli;
    cli.start(qEnvironmentVariable("ORVEL_CLI"), {QStringLiteral("dump"), file, QStringLiteral("--objects")});
    EXPECT_TRUE(cli.waitForFinished(30000));
    QJsonArray values;
    const QJsonArray records =
            QJsonDocument::fromJson(cli.readAllStandardOutput()).object().value(QStringLiteral("records")).toArray();
    for (const QJsonValue &record : records)
        values.append(record.toObject().value(QStringLiteral("values")).toArray().at(field));
    return values;
}

// In the program: a value edited in its application survives saving, Save
// As and opening again; closing with the copy still open warns first.
TEST_F(AppTest, AnEditedDocumentIsInTheSavedFilesAndClosingWithItOpenWarns)
{
    TestApplication application;
    const QString file = path("dokumente.ovd");
    {
        COrvelDoc doc;
        AddField(doc, "Titel");
        AddField(doc, "Dokument", FT_OLE);
        AddRecord(doc, {"Brief", ""});
        AddRecord(doc, {"Leer", ""});
        doc.CreateDefaultForm();
        CDrawEditItem letter;
        MakeNewEmbeddedItem(letter, NewDocumentKind::TextDocument);
        doc.GetTable().GetRecord(0)->SetRawValue(WriteOleValue(doc.GetWorkingStorePath(), AnsiView(), letter), 1);
        ASSERT_TRUE(doc.Save(file, 1, true));
    }
    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StandardView"), 0);
    start({file});
    COrvelView &view = *frame().GetActiveChild()->GetView();
    COrvelDoc &doc = view.GetDocument();
    CFormDesigner &designer = view.GetFormView()->Designer();
    designer.Select(doc.GetForm().FindDataField(1));
    ASSERT_EQ(designer.GetSelection(), std::vector<CDrawObj *>{doc.GetForm().FindDataField(1)});
    ASSERT_TRUE(view.OnCmdMsg(CFormDesigner::kOpenObjectValue, nullptr));
    ASSERT_EQ(application.opened.size(), 1);
    const QByteArray edited =
            NewDocumentBytes(NewDocumentKind::TextDocument).replace("<text:p/>", "<text:p>Hallo</text:p>");
    SaveByRename(application.opened.front(), edited);
    ASSERT_TRUE(WaitFor([&doc] { return doc.IsModified(); }));

    ASSERT_TRUE(router().Execute(ID_FILE_SAVE));
    QJsonArray values = DumpedObjects(file, 1);
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values[0].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Textdokument.fodt"));
    EXPECT_EQ(values[0].toObject().value(QStringLiteral("bytes")).toInt(), edited.size());
    EXPECT_EQ(values[0].toObject().value(QStringLiteral("linked")).toInt(), 0);
    EXPECT_TRUE(values[1].isNull());

    // Save As compacts the object file: the one value, once.
    const QString copy = path("kopie.ovd");
    scripted.queueFileName(copy);
    ASSERT_TRUE(router().Execute(ID_FILE_SAVE_AS));
    values = DumpedObjects(copy, 1);
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values[0].toObject().value(QStringLiteral("bytes")).toInt(), edited.size());

    // Still open: closing asks first; "Nein" keeps the database open.
    scripted.clear();
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(docs().CloseDocument(doc, true));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgEndEmbeddedEditing});
    scripted.queueAnswer(MsgResult::Yes);
    ASSERT_TRUE(docs().CloseDocument(doc, true));

    scripted.clear();
    scripted.queueFileName(copy);
    ASSERT_TRUE(router().Execute(ID_FILE_OPEN));
    COrvelDoc &reopened = frame().GetActiveChild()->GetView()->GetDocument();
    const auto kept = ReadOleValue(reopened.GetWorkingStorePath(), reopened.GetTable().GetRecord(0)->GetRawValue(1));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->bytes, edited);
    EXPECT_TRUE(scripted.messages().empty());
}

} // namespace
