// A new user's first database, from "Neu" to the file on disk: fields
// defined with Strg+F, records typed in the list, the form arranged, saved,
// reopened and read back by the command-line tool.
#include "AppTestSupport.h"
#include "DialogDriver.h"
#include "FormMouse.h"
#include "app/ui/NewDatabaseDialog.h"

#include "app/ui/DChildWnd.h"
#include "form/DrawEdit.h"
#include "form/DrawText.h"
#include "form/ui/CFieldPropDlg.h"
#include "form/ui/CTextPropTextDlg.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/FieldDefinitionsDialog.h"
#include "listview/ListGrid.h"
#include "listview/OrvelView.h"
#include "platform/ui/PropertySheet.h"
#include "resources/CommandIds.h"
#include "table/FieldType.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

class NewDatabaseTest : public AppTest
{
protected:
    COrvelView &activeView() { return *frame().GetActiveChild()->GetView(); }
    // The main window is the active one again, as after a dialog closes.
    void activate()
    {
        frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    }
    // Presses `button`, which opens the field sheet, and fills it in as a
    // user would: the name typed over the proposal, the type clicked, OK.
    static void newFieldThroughSheet(QPushButton *button, const QString &name, int type)
    {
        WhenShown<PropertySheet>([name, type](PropertySheet &sheet) {
            auto *page = qobject_cast<CFieldPropDlg *>(sheet.Page(0));
            ASSERT_NE(page, nullptr);
            page->NameEdit()->selectAll();
            QTest::keyClicks(page->NameEdit(), name);
            QTest::mouseClick(page->TypeButton(type), Qt::LeftButton);
            QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // Keys as the keyboard sends them: each to the widget that has the
    // focus at that moment.
    static void typeText(const QString &text)
    {
        for (const QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    // A key after a pause, in which the program brings its commands' states
    // up to date.
    void pause()
    {
        QCoreApplication::processEvents();
        router().UpdateAll();
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        pause();
        pressNow(key, modifiers);
    }
    // Without a pause: a dialog's driver is waiting for it.
    static void pressNow(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
};

TEST_F(NewDatabaseTest, FieldsRecordsAndFormOfANewDatabaseSurviveSaving)
{
    start();
    frame().show();
    activate();
    // "Neu...": "Leere Datenbank" opens the form designer; F6 ends the
    // design, F9 shows the list.
    WhenShown<NewDatabaseDialog>([](NewDatabaseDialog &dialog) {
        EXPECT_EQ(dialog.Selected(), NewDatabaseDialog::EmptyDatabase);
        QTest::keyClick(dialog.List(), Qt::Key_Return);
    });
    router().Action(ID_FILE_NEW)->trigger();
    QCoreApplication::processEvents();
    ASSERT_TRUE(activeView().IsDesignMode());
    activate();
    press(Qt::Key_F6);
    press(Qt::Key_F9);
    COrvelView &view = activeView();
    ASSERT_FALSE(view.IsDesignMode());
    ASSERT_EQ(view.GetListMode(), 1);
    COrvelDoc &doc = view.GetDocument();
    ASSERT_EQ(doc.GetTable().GetFieldCount(), 0);

    // Strg+F in the list: three fields.
    WhenShown<FieldDefinitionsDialog>([](FieldDefinitionsDialog &dialog) {
        // Each new field goes before the selected one, which is the one
        // made last.
        newFieldThroughSheet(dialog.NewButton(), QStringLiteral("Geburtstag"), FT_DATE);
        newFieldThroughSheet(dialog.NewButton(), QStringLiteral("Betrag"), FT_NUMERIC);
        newFieldThroughSheet(dialog.NewButton(), QStringLiteral("Name"), FT_TEXT);
        QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
    });
    view.GetGrid()->setFocus();
    QTest::keyClick(view.GetGrid(), Qt::Key_F, Qt::ControlModifier);
    const CDataTable &table = doc.GetTable();
    ASSERT_EQ(table.GetFieldCount(), 3);
    EXPECT_EQ(table.GetFieldName(0), "Name");
    EXPECT_EQ(table.GetFieldName(1), "Betrag");
    EXPECT_EQ(table.GetFieldName(2), "Geburtstag");
    EXPECT_EQ(table.GetFieldType(2), FT_DATE);

    // Two records typed into the list; a click into the empty list starts
    // the first, Down after the last one the next.
    CListGrid *grid = view.GetGrid();
    activate();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(100, 40));
    ASSERT_EQ(table.GetRecordCount(), 1);
    typeText(QStringLiteral("Anna"));
    press(Qt::Key_Tab);
    typeText(QStringLiteral("12,5"));
    press(Qt::Key_Tab);
    typeText(QStringLiteral("24.12.1996"));
    press(Qt::Key_Return);
    press(Qt::Key_Down);
    ASSERT_EQ(table.GetRecordCount(), 2);
    press(Qt::Key_Home);
    typeText(QStringLiteral("Bernd"));
    press(Qt::Key_Tab);
    typeText(QStringLiteral("7"));
    press(Qt::Key_Tab);
    typeText(QStringLiteral("1.2.1990"));
    press(Qt::Key_Return);
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(0), "Anna");
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(1), "12.5");
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(2), "19961224");
    EXPECT_EQ(table.GetRecord(1)->GetRawValue(0), "Bernd");
    EXPECT_EQ(table.GetRecord(1)->GetRawValue(2), "19900201");

    // The form: F9 shows it, F6 designs it; a heading on top and the
    // data fields moved down below it.
    press(Qt::Key_F9);
    press(Qt::Key_F6);
    CFormView *form = view.GetFormView();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->Designer().IsDesignMode());
    pause();
    WhenShown<PropertySheet>([](PropertySheet &sheet) {
        auto *page = qobject_cast<CTextPropTextDlg *>(sheet.Page(0));
        ASSERT_NE(page, nullptr);
        page->TextEdit()->selectAll();
        QTest::keyClicks(page->TextEdit(), QStringLiteral("Adressen"));
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    pressNow(Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    activate();
    CFormObjects &objects = doc.GetForm();
    ASSERT_EQ(objects.GetObjects().size(), 4u);
    FormMouse mouse([form] { return form->viewport(); });
    // The data fields clicked one after the other with Umsch.
    for (int field = 0; field < 3; ++field) {
        const RECT at = objects.FindDataField(field)->position;
        mouse.click({300, at.top + 5}, field > 0 ? Qt::ShiftModifier : Qt::NoModifier);
    }
    ASSERT_EQ(form->Designer().GetSelection().size(), 3u);
    const RECT before = objects.FindDataField(0)->position;
    mouse.drag({300, before.top + 5}, {300, before.top + 45});
    EXPECT_EQ(objects.FindDataField(0)->position.top, before.top + 40);
    const RECT nameAt = objects.FindDataField(0)->position;

    // Saved under a name of the user's choice, reopened, and read back.
    const QString file = path("Adressen.ovd");
    scripted.queueFileName(file);
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_FALSE(doc.IsModified());
    ASSERT_TRUE(docs().CloseDocument(doc, false));
    COrvelDoc *again = app->OpenDocumentFile(file);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetTable().GetRecordCount(), 2);
    EXPECT_EQ(again->GetForm().FindDataField(0)->position, nameAt);

    QProcess cli;
    cli.start(qEnvironmentVariable("ORVEL_CLI"), {QStringLiteral("dump"), file});
    ASSERT_TRUE(cli.waitForFinished(30000));
    const QJsonObject dump = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    const QJsonArray fields = dump.value(QStringLiteral("fields")).toArray();
    ASSERT_EQ(fields.size(), 3);
    const struct
    {
        const char *name;
        int type;
    } expected[] = {{"Name", FT_TEXT}, {"Betrag", FT_NUMERIC}, {"Geburtstag", FT_DATE}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(fields.at(i)[QStringLiteral("name")].toString(), QLatin1String(expected[i].name));
        EXPECT_EQ(fields.at(i)[QStringLiteral("type")].toInt(), expected[i].type);
    }
    const QJsonArray records = dump.value(QStringLiteral("records")).toArray();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records.at(1)[QStringLiteral("values")].toArray().at(0).toString(), QStringLiteral("Bernd"));
    const QJsonArray saved = dump.value(QStringLiteral("form")).toObject().value(QStringLiteral("objects")).toArray();
    ASSERT_EQ(saved.size(), 4);
    EXPECT_EQ(saved.at(3)[QStringLiteral("class")].toString(), QStringLiteral("CDrawText"));
    EXPECT_EQ(saved.at(3)[QStringLiteral("text")].toString(), QStringLiteral("Adressen"));
    for (const QJsonValue object : saved) {
        if (object[QStringLiteral("class")].toString() == u"CDrawEdit"
            && object[QStringLiteral("fieldIndex")].toInt() == 0) {
            EXPECT_EQ(object[QStringLiteral("position")].toArray().at(1).toInt(), nameAt.top);
        }
    }
}

} // namespace

// "Neu...": the choices, the start setting, and what each choice opens.
class NewDialogTest : public AppTest
{
protected:
    // Runs "Neu..." and chooses the given row (-1 cancels); `look` sees the
    // dialog first.
    void chooseNew(int row, const std::function<void(NewDatabaseDialog &)> &look = {})
    {
        WhenShown<NewDatabaseDialog>([row, look](NewDatabaseDialog &dialog) {
            if (look)
                look(dialog);
            if (row < 0) {
                QTest::keyClick(dialog.List(), Qt::Key_Escape);
                return;
            }
            dialog.List()->setCurrentRow(row);
            QTest::keyClick(dialog.List(), Qt::Key_Return);
        });
        router().Execute(ID_FILE_NEW);
        QCoreApplication::processEvents();
    }
    COrvelView &activeView() { return *frame().GetActiveChild()->GetView(); }
    int startWindow() { return Registry::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("StartWindow"), -1); }
};

TEST_F(NewDialogTest, TheChoicesComeInTheirOrderAndTheBoxIsTheStartSetting)
{
    start();
    chooseNew(-1, [](NewDatabaseDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Neue Datenbank erstellen"));
        QStringList texts;
        for (int i = 0; i < dialog.List()->count(); ++i) {
            texts << dialog.List()->item(i)->text();
            EXPECT_FALSE(dialog.List()->item(i)->icon().pixmap(32, 32).isNull()) << i;
        }
        EXPECT_EQ(texts,
                  (QStringList{"Leere Datenbank", "Vorhandene Datei öffnen", "Adreßdatenbank", "Telefonliste",
                               "WWW-Übersicht", "CD-Datenbank", "Liederverwaltung", "Bücherverzeichnis", "Fotoalbum"}));
        EXPECT_EQ(dialog.Selected(), 0);
        EXPECT_EQ(dialog.focusWidget(), dialog.List());
        EXPECT_FALSE(dialog.ShowAtStartBox()->isChecked());
        // Cancel keeps the setting even with the box changed.
        ClickBox(dialog.ShowAtStartBox());
    });
    EXPECT_TRUE(docs().GetDocuments().empty());
    EXPECT_EQ(startWindow(), 0);

    // OK writes the box at once; the next start opens with the dialog.
    chooseNew(1, [](NewDatabaseDialog &dialog) { ClickBox(dialog.ShowAtStartBox()); });
    EXPECT_EQ(startWindow(), 1);
    EXPECT_TRUE(docs().GetDocuments().empty());
    stop();
    bool shown = false;
    WhenShown<NewDatabaseDialog>([&](NewDatabaseDialog &dialog) {
        shown = true;
        EXPECT_TRUE(dialog.ShowAtStartBox()->isChecked());
        ClickBox(dialog.ShowAtStartBox());
        dialog.List()->setCurrentRow(1);
        dialog.accept();
    });
    scripted.queueFileName(writeSampleDatabase("adressen.ovd"));
    start();
    EXPECT_TRUE(shown);
    EXPECT_EQ(startWindow(), 0);
    // "Vorhandene Datei öffnen" ran the open command.
    ASSERT_EQ(docs().GetDocuments().size(), 1u);
    EXPECT_EQ(docs().GetDocuments().front()->GetPathName(), path("adressen.ovd"));
}

TEST_F(NewDialogTest, EveryTemplateOpensAsAnUntitledCopyWithFieldsFormAndRecords)
{
    start();
    for (int row = NewDatabaseDialog::FirstTemplate; row < NewDatabaseDialog::kChoices; ++row) {
        SCOPED_TRACE(row);
        chooseNew(row);
        ASSERT_EQ(docs().GetDocuments().size(), 1u);
        COrvelDoc &doc = *docs().GetDocuments().front();
        EXPECT_TRUE(doc.GetPathName().isEmpty());
        EXPECT_TRUE(doc.GetTitle().startsWith(QStringLiteral("Unbenannt")));
        EXPECT_FALSE(doc.IsModified());
        EXPECT_GE(doc.GetTable().GetFieldCount(), 3);
        EXPECT_GE(doc.GetTable().GetRecordCount(), 3);
        EXPECT_GT(doc.GetForm().GetObjects().size(), std::size_t(doc.GetTable().GetFieldCount()));
        EXPECT_FALSE(activeView().IsDesignMode());

        // "Speichern" asks for a name at once; the file holds what the
        // template gave, as the command-line tool reads it.
        const QString saved = path("vorlage.ovd");
        QFile::remove(saved);
        QFile::remove(path("vorlage.dbo"));
        ASSERT_TRUE(enabled(ID_FILE_SAVE));
        scripted.queueFileName(saved);
        router().Execute(ID_FILE_SAVE);
        EXPECT_EQ(doc.GetPathName(), saved);
        QProcess cli;
        cli.start(qEnvironmentVariable("ORVEL_CLI"), {QStringLiteral("dump"), saved});
        ASSERT_TRUE(cli.waitForFinished(30000));
        const QJsonObject dump = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        EXPECT_EQ(dump.value(QStringLiteral("fields")).toArray().size(), doc.GetTable().GetFieldCount());
        EXPECT_EQ(dump.value(QStringLiteral("records")).toArray().size(), doc.GetTable().GetRecordCount());
        EXPECT_EQ(dump.value(QStringLiteral("form")).toObject().value(QStringLiteral("objects")).toArray().size(),
                  qsizetype(doc.GetForm().GetObjects().size()));
        docs().CloseAllDocuments();
    }
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(NewDialogTest, AMissingOrDamagedTemplateFailsLikeAnyOpen)
{
    const QString data = path("daten");
    ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("/Template")));
    QFile damaged(data + QStringLiteral("/Template/Phone.dtf"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("kein Datenbankformat");
    damaged.close();
    const QByteArray old = qgetenv("ORVEL_DATA_DIR");
    qputenv("ORVEL_DATA_DIR", data.toLocal8Bit());
    start();
    chooseNew(2); // Address.dtf is missing
    chooseNew(3); // Phone.dtf cannot be read
    qputenv("ORVEL_DATA_DIR", old);
    EXPECT_TRUE(docs().GetDocuments().empty());
    EXPECT_EQ(scripted.messages().size(), 2u);
}

// With ORVEL_SCREENSHOT_DIR set, the dialog and the form of every template
// are saved as pictures there.
TEST_F(NewDialogTest, Screenshots)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "no ORVEL_SCREENSHOT_DIR";
    NewDatabaseDialog dialog(true);
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.grab().save(shots + QStringLiteral("/orvel-new.png")));
    dialog.hide();

    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StandardView"), 0);
    start();
    frame().resize(900, 700);
    frame().show();
    for (int row = NewDatabaseDialog::FirstTemplate; row < NewDatabaseDialog::kChoices; ++row) {
        chooseNew(row);
        frame().GetActiveChild()->showMaximized();
        QCoreApplication::processEvents();
        EXPECT_TRUE(frame().grab().save(
                shots
                + QStringLiteral("/orvel-template-%1.png")
                          .arg(QLatin1StringView(NewDatabaseDialog::Entries()[std::size_t(row)].template_))));
        docs().CloseAllDocuments();
    }
}
