#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "app/ui/DChildWnd.h"
#include "form/DrawEdit.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/OrvelView.h"
#include "listview/ViewSearch.h"
#include "platform/Codepage.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"
#include "tools/FindDialog.h"
#include "tools/ReplaceDialog.h"
#include "tools/SearchBar.h"
#include "tools/SearchHistory.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <string>

using namespace orvel;
using namespace orvel::test;

namespace {

void clearHistories()
{
    Registry::DeleteSection(QStringLiteral("Find"));
    Registry::DeleteSection(QStringLiteral("Replace"));
}

void shot(QWidget &widget, const char *name)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        EXPECT_TRUE(widget.grab().save(shots + u'/' + QLatin1StringView(name)));
    }
}

template<class T>
T *child(QWidget &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1StringView(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void click(QWidget &parent, const char *button)
{
    QTest::mouseClick(child<QPushButton>(parent, button), Qt::LeftButton);
}

// Types over the text of a history combo as a user would.
void typeInto(QWidget &parent, const char *combo, const QString &text)
{
    QLineEdit *edit = child<QComboBox>(parent, combo)->lineEdit();
    edit->selectAll();
    edit->del();
    // Letters beyond ASCII come as an input method gives them.
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(edit, char(c.unicode()));
        else
            edit->insert(QString(c));
    }
}

// --- the histories in the settings ---

class SearchHistoryTest : public testing::Test
{
protected:
    void SetUp() override { clearHistories(); }
    void TearDown() override { clearHistories(); }
    static QString stored(const SearchHistory &history, int n)
    {
        return Registry::GetProfileString(QStringLiteral("Find"), history.Key(n));
    }
};

TEST_F(SearchHistoryTest, KeepsTenNewestFirstAndDropsDamagedEntries)
{
    const SearchHistory history = SearchHistory::FindFirst();
    EXPECT_EQ(history.Key(1), QStringLiteral("Find101"));
    EXPECT_EQ(SearchHistory::ReplaceWith().Key(10), QStringLiteral("Replace10"));

    QStringList items;
    for (int i = 1; i <= 12; ++i) {
        history.Remember(items, QStringLiteral("Text %1").arg(i));
        items = history.Load();
    }
    ASSERT_EQ(items.size(), 10);
    EXPECT_EQ(items.first(), QStringLiteral("Text 12"));
    EXPECT_EQ(items.last(), QStringLiteral("Text 3")); // 1 and 2 dropped out

    // The newest again, or nothing at all, leaves the list as it is.
    history.Remember(items, QStringLiteral("Text 12"));
    history.Remember(items, QString());
    EXPECT_EQ(history.Load(), items);

    // A damaged settings file: the entries that no dialog could have written
    // are not offered, and the next save shifts the usable ones over them.
    const QString section = QStringLiteral("Find");
    Registry::WriteProfileString(section, history.Key(2), QString(256, u'x'));
    Registry::WriteProfileString(section, history.Key(3), QStringLiteral("\u0141\u00f3d\u017a"));
    Registry::WriteProfileString(section, history.Key(4), QStringLiteral("M\u00fcller"));
    const QStringList usable = history.Load();
    ASSERT_EQ(usable.size(), 8);
    EXPECT_EQ(usable.at(1), QStringLiteral("M\u00fcller"));
    history.Remember(usable, QStringLiteral("Neu"));
    EXPECT_EQ(stored(history, 1), QStringLiteral("Neu"));
    EXPECT_EQ(stored(history, 3), QStringLiteral("M\u00fcller"));
    EXPECT_EQ(stored(history, 10), QString()); // an entry without its item
    EXPECT_EQ(history.Load().size(), 9);
}

// --- the dialogs and the view ---

class FindReplaceTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        clearHistories();
        Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StartWindow"), 0);
    }
    void TearDown() override
    {
        AppTest::TearDown();
        clearHistories();
    }

    // A database file made by `fill`, opened in the started program.
    COrvelView &open(const char *name, const std::function<void(COrvelDoc &)> &fill)
    {
        {
            COrvelDoc doc;
            fill(doc);
            EXPECT_TRUE(doc.Save(path(name), 1, true));
        }
        if (!app)
            start();
        EXPECT_NE(app->OpenDocumentFile(path(name)), nullptr);
        QCoreApplication::processEvents();
        return *frame().GetActiveChild()->GetView();
    }
    // Name and Ort; the names are UTF-8 here and Windows-1252 in the file.
    COrvelView &openNames(std::initializer_list<const char *> names)
    {
        return open("namen.ovd", [names](COrvelDoc &doc) {
            AddField(doc, "&Name");
            AddField(doc, "Ort");
            for (const char *name : names)
                AddRecord(doc, {QStringToAnsi(QString::fromUtf8(name)).c_str(), "Bonn"});
        });
    }
    static QString value(const COrvelView &view, int record, int field)
    {
        return AnsiToQString(view.GetTable().GetRecord(record)->GetRawValue(field));
    }
    void run(int id) { EXPECT_TRUE(router().Execute(id)) << id; }
    static QString history(const char *section, const char *key)
    {
        return Registry::GetProfileString(QLatin1StringView(section), QLatin1StringView(key));
    }
};

TEST_F(FindReplaceTest, TheFindDialogOffersTheDataFieldsTheHistoryAndTheSpecsOptions)
{
    COrvelView &view = open("felder.ovd", [](COrvelDoc &doc) {
        AddField(doc, "&Name");
        AddField(doc, "Bild");
        AddField(doc, "Betrag");
        doc.GetTable().SetFieldType(FT_PICTURE, 1);
        doc.GetTable().SetFieldType(FT_NUMERIC, 2);
        AddRecord(doc, {"Meier", "", "1"});
        AddRecord(doc, {"Schulz", "", "2"});
    });
    Registry::WriteProfileString(QStringLiteral("Find"), QStringLiteral("Find101"), QStringLiteral("Meier"));
    Registry::WriteProfileString(QStringLiteral("Find"), QStringLiteral("Find102"), QStringLiteral("Schulz"));
    bool checked = false;
    WhenShown<FindDialog>([&checked](FindDialog &dialog) {
        const CriterionControls &first = dialog.First();
        // The data fields by plain name, each with its display position.
        ASSERT_EQ(first.field->count(), 2);
        EXPECT_EQ(first.field->itemText(0), QStringLiteral("Name"));
        EXPECT_EQ(first.field->itemText(1), QStringLiteral("Betrag"));
        EXPECT_EQ(first.field->itemData(1).toInt(), 2);
        EXPECT_EQ(first.text->currentText(), QStringLiteral("Meier"));
        EXPECT_EQ(first.text->count(), 2);
        EXPECT_EQ(first.text->lineEdit()->maxLength(), 32);
        // Without a link the second criterion waits.
        EXPECT_FALSE(dialog.Second().text->isEnabled());
        ClickBox(child<QRadioButton>(dialog, "linkAnd"));
        EXPECT_TRUE(child<QRadioButton>(dialog, "linkAnd")->isChecked());
        EXPECT_TRUE(dialog.Second().text->isEnabled());
        shot(dialog, "orvel-find-dialog.png");

        // "Und" with an empty second text: the buttons do nothing.
        typeInto(dialog, "textCombo2", QString());
        click(dialog, "searchButton");
        EXPECT_TRUE(dialog.isVisible());
        // A character the database cannot hold cannot be typed.
        typeInto(dialog, "textCombo2", QString());
        dialog.Second().text->lineEdit()->insert(QStringLiteral("\u0141"));
        dialog.Second().text->lineEdit()->insert(QStringLiteral("x"));
        EXPECT_EQ(dialog.Second().text->currentText(), QStringLiteral("x"));
        ClickBox(child<QCheckBox>(dialog, "beginsWithCheck2"));
        ClickBox(child<QCheckBox>(dialog, "matchCaseCheck1"));
        first.field->setCurrentIndex(1);
        click(dialog, "searchButton");
        checked = true;
    });
    run(ID_RECORD_FIND);
    ASSERT_TRUE(checked);
    const ViewSearch &search = view.Search();
    EXPECT_EQ(search.FindLink(), SL_AND);
    EXPECT_EQ(search.FindSpec().criterion1.field, 2);
    EXPECT_EQ(search.FindSpec().criterion1.options, std::uint32_t(SO_MATCH_CASE));
    EXPECT_EQ(search.FindSpec().criterion2.text, "x");
    EXPECT_EQ(search.FindSpec().criterion2.options, std::uint32_t(SO_BEGINS_WITH));
    // "Meier" was the newest already; "x" is new in the second list.
    EXPECT_EQ(history("Find", "Find101"), QStringLiteral("Meier"));
    EXPECT_EQ(history("Find", "Find102"), QStringLiteral("Schulz"));
    EXPECT_EQ(history("Find", "Find201"), QStringLiteral("x"));

    // The dialog opens again as it was left.
    WhenShown<FindDialog>([](FindDialog &dialog) {
        EXPECT_TRUE(child<QRadioButton>(dialog, "linkAnd")->isChecked());
        EXPECT_EQ(dialog.First().field->currentIndex(), 1);
        EXPECT_TRUE(dialog.First().matchCase->isChecked());
        EXPECT_TRUE(dialog.Second().beginsWith->isChecked());
        click(dialog, "cancelButton");
    });
    run(ID_RECORD_FIND);
}

TEST_F(FindReplaceTest, F3FindsAndTheBarGoesOnUntilTheRunComesBackToItsFirstHit)
{
    COrvelView &view = openNames({"Müller", "Schulz", "Meier", "MÜLLER", "Lange"});
    WhenShown<FindDialog>([](FindDialog &dialog) {
        typeInto(dialog, "textCombo1", QStringLiteral("müller"));
        click(dialog, "searchButton");
    });
    run(ID_RECORD_FIND);
    // The start record is never the result: the next match is.
    EXPECT_EQ(view.GetCurrentRecord(), 3);
    EXPECT_EQ(history("Find", "Find101"), QStringLiteral("müller"));
    SearchBar *bar = view.Search().FindBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("Suchen"));
    shot(*bar, "orvel-find-bar.png");

    QTest::mouseClick(bar->ContinueButton(), Qt::LeftButton);
    EXPECT_EQ(view.GetCurrentRecord(), 0); // round the end
    EXPECT_TRUE(scripted.messages().empty());
    QTest::mouseClick(bar->ContinueButton(), Qt::LeftButton);
    EXPECT_EQ(view.GetCurrentRecord(), 0);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgNothingFound});

    QTest::mouseClick(bar->CancelButton(), Qt::LeftButton);
    EXPECT_EQ(view.Search().FindBar(), nullptr);
}

TEST_F(FindReplaceTest, MarkAllAndNewDatabaseWorkOnTheWholeTable)
{
    COrvelView &view = openNames({"Meier", "Schulz", "Meyer", "Maier"});
    COrvelDoc &doc = view.GetDocument();
    doc.GetTable().GetRecord(1)->SetMark(true);
    const auto findAll = [this](const char *text, const char *button) {
        WhenShown<FindDialog>([text, button](FindDialog &dialog) {
            typeInto(dialog, "textCombo1", QString::fromUtf8(text));
            click(dialog, button);
        });
        run(ID_RECORD_FIND);
    };
    // Marks that are set go first when the user says so.
    scripted.queueAnswer(MsgResult::Yes);
    findAll("ier", "markAllButton");
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgRemoveMarksFirst, ids::kMsgMarkedMany}));
    EXPECT_EQ(doc.GetTable().GetMarkedCount(), 2);
    EXPECT_FALSE(doc.GetTable().GetRecord(1)->IsMarked());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(view.Search().FindBar(), nullptr); // no run to continue

    // No match: message 312 and no new window.
    scripted.clear();
    const std::size_t documents = docs().GetDocuments().size();
    findAll("xyz", "newDatabaseButton");
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgNothingFound});
    EXPECT_EQ(docs().GetDocuments().size(), documents);

    scripted.clear();
    findAll("M", "newDatabaseButton");
    ASSERT_EQ(docs().GetDocuments().size(), documents + 1);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgRecordsCopied});
    COrvelView &copy = *frame().GetActiveChild()->GetView();
    ASSERT_NE(&copy.GetDocument(), &doc);
    EXPECT_TRUE(copy.GetDocument().IsModified());
    ASSERT_EQ(copy.GetTable().GetRecordCount(), 3);
    EXPECT_EQ(value(copy, 2, 0), QStringLiteral("Maier"));
    EXPECT_EQ(copy.GetCurrentRecord(), 0);
}

TEST_F(FindReplaceTest, ReplaceStepsThroughTheMatchesAndReplacesAll)
{
    COrvelView &view = openNames({"Meier", "Schulz", "Meier-Lange", "Maier"});
    COrvelDoc &doc = view.GetDocument();
    const auto replaceWith = [this](const char *button, const char *text, const char *by) {
        WhenShown<ReplaceDialog>([=](ReplaceDialog &dialog) {
            typeInto(dialog, "searchCombo", QString::fromUtf8(text));
            typeInto(dialog, "replaceCombo", QString::fromUtf8(by));
            shot(dialog, "orvel-replace-dialog.png");
            click(dialog, button);
            // A button that does nothing leaves the dialog open.
            if (dialog.isVisible())
                click(dialog, "cancelButton");
        });
        run(ID_RECORD_REPLACE);
    };
    // "Suchen" goes to the next match; the bar's "Ersetzen" replaces there
    // and goes on.
    replaceWith("searchButton", "Meier", "Meyer");
    EXPECT_EQ(view.GetCurrentRecord(), 2);
    SearchBar *bar = view.Search().ReplaceBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(bar->ReplaceButton(), nullptr);
    shot(*bar, "orvel-replace-bar.png");
    QTest::mouseClick(bar->ReplaceButton(), Qt::LeftButton);
    EXPECT_EQ(value(view, 2, 0), QStringLiteral("Meyer-Lange"));
    EXPECT_EQ(view.GetCurrentRecord(), 0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(history("Replace", "Find101"), QStringLiteral("Meier"));
    EXPECT_EQ(history("Replace", "Replace01"), QStringLiteral("Meyer"));
    QTest::mouseClick(bar->CancelButton(), Qt::LeftButton);

    // Equal texts: neither button does anything.
    scripted.clear();
    replaceWith("replaceAllButton", "Meier", "Meier");
    replaceWith("replaceButton", "Meier", "Meier");
    EXPECT_TRUE(scripted.messages().empty());
    EXPECT_EQ(value(view, 0, 0), QStringLiteral("Meier"));

    // "Alle ersetzen" over the table, with its count; no bar follows.
    replaceWith("replaceAllButton", "ei", "ai");
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgReplacedOne});
    EXPECT_EQ(value(view, 0, 0), QStringLiteral("Maier"));
    EXPECT_EQ(view.Search().ReplaceBar(), nullptr);
    // Nothing left to replace: 312, and the dialog stays open.
    scripted.clear();
    replaceWith("replaceAllButton", "ei", "ai");
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgNothingFound});
}

TEST_F(FindReplaceTest, TheBarsCloseWhenFewerThanTwoRecordsAreLeft)
{
    COrvelView &view = openNames({"Meier", "Schulz", "Meier"});
    WhenShown<FindDialog>([](FindDialog &dialog) {
        typeInto(dialog, "textCombo1", QStringLiteral("Meier"));
        click(dialog, "searchButton");
    });
    run(ID_RECORD_FIND);
    ASSERT_NE(view.Search().FindBar(), nullptr);
    run(ID_RECORD_DELETE);
    EXPECT_NE(view.Search().FindBar(), nullptr);
    run(ID_RECORD_DELETE);
    EXPECT_EQ(view.Search().FindBar(), nullptr);
    router().UpdateAll();
    EXPECT_FALSE(router().Query(ID_RECORD_FIND).IsEnabled());
    EXPECT_FALSE(router().Query(ID_RECORD_REPLACE).IsEnabled());
}

TEST_F(FindReplaceTest, WithoutDataFieldsTheListsAreEmptyAndTheDialogsCancel)
{
    COrvelView &view = open("bilder.ovd", [](COrvelDoc &doc) {
        AddField(doc, "Bild");
        doc.GetTable().SetFieldType(FT_PICTURE, 0);
        AddRecord(doc, {""});
        AddRecord(doc, {""});
    });
    int result = -1;
    WhenShown<FindDialog>([&result](FindDialog &dialog) {
        EXPECT_EQ(dialog.First().field->count(), 0);
        typeInto(dialog, "textCombo1", QStringLiteral("x"));
        QObject::connect(&dialog, &QDialog::finished, [&result](int code) { result = code; });
        click(dialog, "searchButton");
    });
    run(ID_RECORD_FIND);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(view.Search().FindBar(), nullptr);
}

TEST_F(FindReplaceTest, TheFormShowsTheFoundRecordInTheFoundField)
{
    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StandardView"), 0);
    COrvelView &view = open("form.ovd", [](COrvelDoc &doc) {
        AddField(doc, "Name");
        AddField(doc, "Ort");
        AddRecord(doc, {"Meier", "Bonn"});
        AddRecord(doc, {"Schulz", "K\xF6ln"});
        AddRecord(doc, {"Lange", "Bonn"});
        doc.CreateDefaultForm();
    });
    ASSERT_NE(view.GetFormView(), nullptr);
    WhenShown<FindDialog>([](FindDialog &dialog) {
        typeInto(dialog, "textCombo1", QStringLiteral("köln"));
        dialog.First().field->setCurrentIndex(1);
        click(dialog, "searchButton");
    });
    run(ID_RECORD_FIND);
    EXPECT_EQ(view.GetCurrentRecord(), 1);
    EXPECT_EQ(view.GetCurrentField(), 1);
    const CFormDesigner &designer = view.GetFormView()->Designer();
    ASSERT_EQ(designer.GetSelection().size(), 1u);
    const auto *field = dynamic_cast<const CDrawEdit *>(designer.GetSelection().front());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->fieldIndex, 1);
    shot(*frame().GetActiveChild(), "orvel-find-form.png");
}

// As a user would: F3 for "müller" in any case, on with the bar, F4 to
// replace them all, F2 to save, and the saved file asked with orvel-cli.
TEST_F(FindReplaceTest, AUserFindsGoesOnReplacesAllAndSaves)
{
    COrvelView &view = openNames({"Müller", "Schulz", "Meier", "MÜLLER", "Lange"});
    frame().show();
    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    // A key after a pause in which the commands' states are brought up to
    // date; a dialog's driver is scheduled after the pause.
    const auto pause = [this] {
        QCoreApplication::processEvents();
        router().UpdateAll();
    };
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };

    pause();
    WhenShown<FindDialog>([](FindDialog &dialog) {
        EXPECT_EQ(dialog.First().field->currentText(), QStringLiteral("Name"));
        typeInto(dialog, "textCombo1", QStringLiteral("müller"));
        // Enter in the text box is "Suchen".
        QTest::keyClick(dialog.First().text, Qt::Key_Return);
    });
    press(Qt::Key_F3);
    EXPECT_EQ(view.GetCurrentRecord(), 3);
    SearchBar *bar = view.Search().FindBar();
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar->ContinueButton(), Qt::LeftButton);
    EXPECT_EQ(view.GetCurrentRecord(), 0);

    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    pause();
    WhenShown<ReplaceDialog>([](ReplaceDialog &dialog) {
        typeInto(dialog, "searchCombo", QStringLiteral("müller"));
        typeInto(dialog, "replaceCombo", QStringLiteral("Möller"));
        click(dialog, "replaceAllButton");
    });
    press(Qt::Key_F4);
    ASSERT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgReplacedMany});
    EXPECT_TRUE(scripted.messages().front().text.contains(QStringLiteral("2 Ersetzungen")));

    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    pause();
    press(Qt::Key_F2); // "Speichern"
    EXPECT_FALSE(view.GetDocument().IsModified());

    QProcess cli;
    cli.start(qEnvironmentVariable("ORVEL_CLI"),
              {QStringLiteral("find"), path("namen.ovd"), QStringLiteral("--field"), QStringLiteral("0"),
               QStringLiteral("--text"), QStringLiteral("möller")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(cli.readAllStandardOutput()), QStringLiteral("0\tMöller\n3\tMöller\n"));
}

} // namespace
