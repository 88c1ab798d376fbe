#include "AppTestSupport.h"

#include "app/ui/DChildWnd.h"
#include "form/ui/FormView.h"
#include "listview/ListGrid.h"
#include "listview/OrvelView.h"
#include "platform/Codepage.h"
#include "platform/ui/CellEditor.h"
#include "table/FieldType.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

#include <functional>
#include <string>

using namespace orvel;
using namespace orvel::test;

namespace {

constexpr int kGoTo = 32781;
constexpr int kInsertBefore = 32774;
constexpr int kInsertAfter = 32876;
constexpr int kDelete = 32772;
constexpr int kDeleteMarked = 32773;
constexpr int kMark = 32805;
constexpr int kMarkAll = 57642;
constexpr int kClearMarks = 32777;
constexpr int kCopy = 57634;
constexpr int kCut = 57635;
constexpr int kPaste = 57637;
constexpr int kCopyMarked = 32907;
constexpr int kCutMarked = 32906;
constexpr int kFillDown = 32873;
constexpr int kInsertFrom = 32783;
constexpr int kListForm = 32802;
constexpr int kDesign = 32858;
constexpr int kSort = 32775;
constexpr int kDuplicates = 32913;

class ViewTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StartWindow"), 0);
        QApplication::clipboard()->clear();
    }
    void TearDown() override
    {
        AppTest::TearDown();
        QApplication::clipboard()->clear();
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
    // Name and Ort, one record per name.
    COrvelView &openNames(std::initializer_list<const char *> names)
    {
        return open("namen.ovd", [names](COrvelDoc &doc) {
            AddField(doc, "Name");
            AddField(doc, "Ort");
            for (const char *name : names)
                AddRecord(doc, {name, "Bonn"});
        });
    }

    static std::string names(const COrvelView &view)
    {
        std::string all;
        const CDataTable &table = view.GetTable();
        for (int i = 0; i < table.GetRecordCount(); ++i)
            all += std::string(table.GetRecord(i)->GetRawValue(0)) + (i + 1 < table.GetRecordCount() ? " " : "");
        return all;
    }
    void run(int id) { EXPECT_TRUE(router().Execute(id)) << id; }
    bool checked(int id) { return router().Query(id).Checked().value_or(false); }
};

TEST_F(ViewTest, AnEmptyDatabaseGrowsOnlyBelowARecordThatHoldsSomething)
{
    COrvelView &view = open("leer.ovd", [](COrvelDoc &doc) {
        AddField(doc, "Name");
        AddField(doc, "Ort");
    });
    CListGrid *grid = view.GetGrid();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(view.GetBody(), grid);
    EXPECT_EQ(view.GetCurrentRecord(), -1);
    for (int id : {kDelete, kCopy, kCut, kMark, kMarkAll, kGoTo, kFillDown, kCopyMarked, kSort})
        EXPECT_FALSE(enabled(id)) << id;
    for (int id : {kInsertBefore, kInsertAfter, kPaste, kInsertFrom, kListForm, kDesign})
        EXPECT_TRUE(enabled(id)) << id;
    EXPECT_EQ(router().Query(kListForm).Text(), QStringLiteral("&Formularansicht"));

    // Down starts the first record; it is blank, so Down adds no second.
    QTest::keyClick(grid, Qt::Key_Down);
    ASSERT_EQ(view.GetTable().GetRecordCount(), 1);
    EXPECT_EQ(view.GetCurrentRecord(), 0);
    EXPECT_TRUE(view.GetDocument().IsModified());
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(view.GetTable().GetRecordCount(), 1);

    QTest::keyClicks(grid, QStringLiteral("J"));
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_Odiaeresis, QStringLiteral("ö"), {});
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("rg"));
    QTest::keyClick(grid, Qt::Key_Down);
    ASSERT_EQ(view.GetTable().GetRecordCount(), 2);
    EXPECT_EQ(view.GetTable().GetRecord(0)->GetRawValue(0), "J\xF6rg");
    EXPECT_EQ(view.GetCurrentRecord(), 1);
    EXPECT_TRUE(frame().GetMessageText().startsWith(QStringLiteral("Datensatz 2 von 2, Letzte Änderung: ")))
            << frame().GetMessageText().toStdString();
    EXPECT_TRUE(enabled(kSort));
    EXPECT_TRUE(enabled(kGoTo));
}

TEST_F(ViewTest, DeletingTheOnlyRecordAsksAndThenDisablesTheRecordCommands)
{
    COrvelView &view = openNames({"Anna"});
    EXPECT_TRUE(enabled(kDelete));

    scripted.queueAnswer(MsgResult::No);
    run(kDelete);
    EXPECT_EQ(view.GetTable().GetRecordCount(), 1);
    EXPECT_FALSE(view.GetDocument().IsModified());

    scripted.queueAnswer(MsgResult::Yes);
    run(kDelete);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{339, 339}));
    EXPECT_EQ(view.GetTable().GetRecordCount(), 0);
    EXPECT_EQ(view.GetCurrentRecord(), -1);
    EXPECT_TRUE(view.GetDocument().IsModified());
    for (int id : {kDelete, kCopy, kCut, kMark, kMarkAll, kClearMarks, kGoTo, kFillDown})
        EXPECT_FALSE(enabled(id)) << id;

    // Insert before on an empty table starts a record with the defaults.
    view.GetTable().SetDefaultValue("Bonn", 1);
    run(kInsertBefore);
    ASSERT_EQ(view.GetTable().GetRecordCount(), 1);
    EXPECT_EQ(view.GetTable().GetRecord(0)->GetRawValue(1), "Bonn");
    EXPECT_EQ(view.GetCurrentRecord(), 0);
    EXPECT_TRUE(enabled(kDelete));
}

TEST_F(ViewTest, MarksFollowKeysAndCommandsAndInsertsKeepTheirPlace)
{
    COrvelView &view = openNames({"A", "B", "C"});
    CListGrid *grid = view.GetGrid();
    EXPECT_FALSE(enabled(kCopyMarked));
    QTest::keyClick(grid, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_TRUE(view.GetTable().GetRecord(0)->IsMarked());
    EXPECT_TRUE(checked(kMark));
    for (int id : {kCopyMarked, kCutMarked, kDeleteMarked, kClearMarks, kMarkAll})
        EXPECT_TRUE(enabled(id)) << id;
    run(kMarkAll);
    EXPECT_EQ(view.GetTable().GetMarkedCount(), 3);
    EXPECT_FALSE(enabled(kMarkAll));
    run(kClearMarks);
    EXPECT_EQ(view.GetTable().GetMarkedCount(), 0);
    EXPECT_FALSE(checked(kMark));

    // Before: the new record takes the current place; after: the next one.
    QTest::keyClick(grid, Qt::Key_Down);
    run(kInsertBefore);
    EXPECT_EQ(names(view), "A  B C");
    EXPECT_EQ(view.GetCurrentRecord(), 1);
    run(kInsertAfter);
    EXPECT_EQ(names(view), "A   B C");
    EXPECT_EQ(view.GetCurrentRecord(), 2);

    // Fill down copies into the empty cells below, up to the first value.
    view.SetCurrentCell(0, 0);
    view.GetDocument().SetModifiedFlag(false);
    ASSERT_TRUE(enabled(kFillDown));
    run(kFillDown);
    EXPECT_EQ(names(view), "A A A B C");
    EXPECT_TRUE(view.GetDocument().IsModified());
}

TEST_F(ViewTest, MarkedRecordsCutAndPasteInTheirOrder)
{
    COrvelView &view = openNames({"A", "B", "C", "D", "E"});
    for (int record : {1, 2, 4}) {
        view.SetCurrentCell(record, 0);
        run(kMark);
    }
    run(kCutMarked);
    EXPECT_EQ(names(view), "A D");
    EXPECT_EQ(view.GetTable().GetMarkedCount(), 0);
    EXPECT_TRUE(enabled(kPaste));

    view.SetCurrentCell(1, 0);
    scripted.clear();
    run(kPaste);
    EXPECT_EQ(names(view), "A B C E D");
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{361});
    EXPECT_EQ(view.GetCurrentRecord(), 1);

    // One record: copied, then pasted before the current one.
    view.SetCurrentCell(4, 0);
    run(kCopy);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("D\r\nBonn\r\n"));
    view.SetCurrentCell(0, 0);
    run(kPaste);
    EXPECT_EQ(names(view), "D A B C E D");
    run(kCut);
    EXPECT_EQ(names(view), "A B C E D");
}

TEST_F(ViewTest, ACutKeepsTheRecordWhenItCouldNotBeCopied)
{
    COrvelView &view = open("memo.ovd", [](COrvelDoc &doc) {
        AddField(doc, "Name");
        AddField(doc, "Notiz", FT_MEMO);
        AddRecord(doc, {"Anna", ""});
        AddRecord(doc, {"Bernd", ""});
    });
    view.GetTable().GetRecord(1)->SetRawValue("987654", 1); // no such object
    view.SetCurrentCell(1, 0);
    run(kCut);
    EXPECT_TRUE(scripted.sawMessage(513));
    EXPECT_EQ(names(view), "Anna Bernd");
}

TEST_F(ViewTest, InsertFromMatchesNamesIgnoringCaseAndRemembersTheFilter)
{
    {
        COrvelDoc source;
        AddField(source, "NAME");
        AddField(source, "ort");
        AddField(source, "Anzahl", FT_NUMERIC); // a text field in the target
        AddRecord(source, {"Xaver", "K\xF6ln", "3"});
        AddRecord(source, {"Yvonne", "Ulm", "4"});
        ASSERT_TRUE(source.Save(path("quelle.ovd"), 1, true));
    }
    COrvelView &view = open("ziel.ovd", [](COrvelDoc &doc) {
        AddField(doc, "Name");
        AddField(doc, "Ort");
        AddField(doc, "Anzahl");
        AddRecord(doc, {"A", "Bonn", "1"});
        AddRecord(doc, {"B", "Bonn", "2"});
    });
    frame().SetFilterIndex(CMainFrame::kFilterInsertFrom, 2);
    view.SetCurrentCell(1, 0);
    scripted.clear();
    scripted.queueFileName(path("quelle.ovd"));
    run(kInsertFrom);

    EXPECT_EQ(names(view), "A Xaver Yvonne B");
    EXPECT_EQ(view.GetTable().GetRecord(1)->GetRawValue(1), "K\xF6ln");
    EXPECT_EQ(view.GetTable().GetRecord(1)->GetRawValue(2), "");
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{335});
    EXPECT_EQ(scripted.messages()[0].text, QStringLiteral("Es wurde(n) 2 von 2 Datensätzen eingefügt."));
    EXPECT_TRUE(view.GetDocument().IsModified());
    EXPECT_EQ(frame().GetFilterIndex(CMainFrame::kFilterInsertFrom), 2);
}

TEST_F(ViewTest, F6FromListModeDesignsTheFormAndF9ComesBack)
{
    COrvelView &view = openNames({"A", "B", "C"});
    view.SetCurrentCell(2, 1);
    run(kDesign);
    EXPECT_EQ(view.GetListMode(), 0);
    EXPECT_TRUE(view.IsDesignMode());
    EXPECT_EQ(view.GetGrid(), nullptr);
    ASSERT_NE(view.GetFormView(), nullptr);
    EXPECT_TRUE(view.GetFormView()->IsDesignMode());
    EXPECT_TRUE(frame().IsDesignMenu());
    EXPECT_TRUE(checked(kDesign));
    for (int id : {kListForm, kInsertBefore, kDelete, kCopy, kPaste, kSort, kDuplicates, kGoTo})
        EXPECT_FALSE(enabled(id)) << id;

    run(kDesign);
    EXPECT_FALSE(view.IsDesignMode());
    EXPECT_EQ(view.GetListMode(), 0);
    EXPECT_FALSE(frame().IsDesignMenu());
    EXPECT_EQ(router().Query(kListForm).Text(), QStringLiteral("&Listenansicht"));
    // The form moves through the records as well.
    run(32786);
    EXPECT_EQ(view.GetCurrentRecord(), 0);
    EXPECT_TRUE(frame().GetMessageText().startsWith(QStringLiteral("Datensatz 1 von 3, ")));

    run(kListForm);
    EXPECT_EQ(view.GetListMode(), 1);
    ASSERT_NE(view.GetGrid(), nullptr);
    EXPECT_EQ(view.GetCurrentRecord(), 0);
    EXPECT_EQ(view.GetCurrentField(), 1);
}

TEST_F(ViewTest, OnlyTheActiveViewIsActiveAndItsMenuActivatesItFirst)
{
    COrvelView &view = openNames({"A"});
    run(57648); // a second window on the same document
    COrvelView *second = frame().GetActiveChild()->GetView();
    ASSERT_NE(second, &view);
    EXPECT_FALSE(view.GetGrid()->IsActive());
    EXPECT_TRUE(second->GetGrid()->IsActive());

    QWidget *area = view.GetGrid()->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), area->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(area, &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << action->text();
    EXPECT_EQ(texts.mid(0, 5), (QStringList{QStringLiteral("&Ausschneiden\tStrg+X"),
                                            QStringLiteral("&Kopieren\tStrg+C"), QStringLiteral("&Einfügen\tStrg+V"),
                                            QString(), QStringLiteral("Datensatz &löschen\tStrg+D")}));
    menu->close();
    EXPECT_EQ(frame().GetActiveChild()->GetView(), &view);
    EXPECT_TRUE(view.GetGrid()->IsActive());
    EXPECT_FALSE(second->GetGrid()->IsActive());

    // The other window lets go of a record that is gone.
    run(kCut);
    EXPECT_EQ(second->GetCurrentRecord(), -1);
}

// With ORVEL_SCREENSHOT_DIR set, the main window is saved as a picture there.
TEST_F(ViewTest, TheListShowsUmlautsLongTextsMarksAndTallRows)
{
    COrvelView &view = open("adressen.ovd", [](COrvelDoc &doc) {
        for (const char *name : {"Name", "Straße", "Betrag", "Notiz", "Bemerkung"})
            AddField(doc, QStringToAnsi(QString::fromUtf8(name)).c_str());
        doc.GetTable().SetFieldType(FT_NUMERIC, 2);
        doc.GetTable().SetFieldFormat(2, 2);
        doc.GetTable().SetFieldType(FT_MEMO, 3);
        doc.GetTable().SetColumnWidth(24, 4);
        for (const char *row : {"Müller|Königsallee 12|1234.5||Kunde seit 1989, zahlt pünktlich",
                                "Schäfer|Große Bleiche 3|-17||Ein sehr langer Text, der in der Spalte umbrochen "
                                "wird und über mehrere Zeilen geht",
                                "Weiß|Äußere Straße 7|0.5||"}) {
            auto record = doc.GetTable().CreateRecord(false);
            const QStringList values = QString::fromUtf8(row).split(u'|');
            for (int i = 0; i < values.size(); ++i)
                record->SetRawValue(QStringToAnsi(values[i]), i);
            record->SetModificationTime(851385600);
            doc.GetTable().AddRecord(std::move(record));
        }
        doc.GetTable().GetRecord(1)->SetRowHeight(3);
    });
    view.GetTable().GetRecord(0)->SetMark(true);
    view.GetTable().GetRecord(2)->SetMark(true);
    view.GetDocument().UpdateAllViews(Hint::Repaint);
    frame().resize(900, 480);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame()));
    QCoreApplication::processEvents();
    EXPECT_EQ(view.GetTable().GetMarkedCount(), 2);
    EXPECT_TRUE(frame().GetMessageText().startsWith(QStringLiteral("Datensatz 1 von 3, ")));
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        EXPECT_TRUE(frame().grab().save(shots + QStringLiteral("/orvel-list.png")));
        // The row headers and the focus frame, large enough to judge pixels.
        const QPixmap corner = view.GetGrid()->grab(QRect(0, 0, 260, 120));
        EXPECT_TRUE(corner.scaled(corner.size() * 3).save(shots + QStringLiteral("/orvel-list-corner.png")));
    }
}

} // namespace

namespace {

// Types as a user does: the first character opens the cell's edit, the
// rest goes to the edit that then has the focus.
void typeInto(QWidget *grid, const QString &text)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClicks(focus && grid->isAncestorOf(focus) ? focus : grid, text.left(1));
    QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
}

} // namespace

// Keys of commands that are disabled do nothing: they never reach the grid
// and do there what the command would (append a record, move the column).
TEST_F(ViewTest, KeysOfDisabledCommandsDoNothing)
{
    COrvelView &view = openNames({"A", "B"});
    CListGrid *grid = view.GetGrid();
    grid->setFocus();
    view.SetCurrentCell(1, 1);
    router().UpdateAll();
    ASSERT_FALSE(enabled(32788));
    QTest::keyClick(grid, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view.GetTable().GetRecordCount(), 2);
    EXPECT_EQ(view.GetCurrentRecord(), 1);
    EXPECT_EQ(view.GetCurrentField(), 1);
    EXPECT_FALSE(view.GetDocument().IsModified());

    view.SetCurrentCell(0, 1);
    router().UpdateAll();
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(view.GetCurrentRecord(), 0);
    EXPECT_EQ(view.GetCurrentField(), 1);

    // Enabled, the same key moves as the command does.
    view.SetCurrentCell(1, 1);
    router().UpdateAll();
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view.GetCurrentRecord(), 0);
    EXPECT_EQ(view.GetCurrentField(), 0);
}

// Tab walks the fields and on to the next record, with or without an open
// edit; typed characters after it land in the next cell.
TEST_F(ViewTest, TabAndShiftTabMoveBetweenFields)
{
    COrvelView &view = openNames({"A", "B"});
    CListGrid *grid = view.GetGrid();
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(view.GetCurrentField(), 1);
    EXPECT_TRUE(grid->hasFocus());

    // Typing opens the edit; Tab stores it and goes on past the last field
    // to the next record's first field.
    typeInto(grid, QStringLiteral("Ulm"));
    ASSERT_TRUE(grid->IsEditing());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(view.GetTable().GetRecord(0)->GetRawValue(1), "Ulm");
    EXPECT_EQ(view.GetCurrentRecord(), 1);
    EXPECT_EQ(view.GetCurrentField(), 0);
    typeInto(grid, QStringLiteral("C"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(view.GetTable().GetRecord(1)->GetRawValue(0), "C");
    EXPECT_EQ(view.GetCurrentRecord(), 0);
    EXPECT_EQ(view.GetCurrentField(), 1);

    // On the last field of the last record Tab appends as Down does.
    view.SetCurrentCell(1, 1);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(view.GetTable().GetRecordCount(), 3);
    EXPECT_EQ(view.GetCurrentRecord(), 2);
    EXPECT_EQ(view.GetCurrentField(), 0);
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(view.GetCurrentRecord(), 1);
    EXPECT_EQ(view.GetCurrentField(), 1);
}

// Escape in an open edit puts back the value, the record's time and the
// document's modified flag.
TEST_F(ViewTest, EscapeCancelsAnEditWhole)
{
    COrvelView &view = openNames({"Anna", "Bert"});
    CListGrid *grid = view.GetGrid();
    grid->setFocus();
    const std::uint32_t time = view.GetTable().GetRecord(0)->GetModificationTime();
    ASSERT_FALSE(view.GetDocument().IsModified());
    typeInto(grid, QStringLiteral("Xaver"));
    ASSERT_TRUE(view.GetDocument().IsModified());
    ASSERT_EQ(view.GetTable().GetRecord(0)->GetRawValue(0), "Xaver");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(view.GetTable().GetRecord(0)->GetRawValue(0), "Anna");
    EXPECT_EQ(view.GetTable().GetRecord(0)->GetModificationTime(), time);
    EXPECT_FALSE(view.GetDocument().IsModified());
    EXPECT_FALSE(enabled(57603));

    // A document that had changes before keeps its flag.
    view.GetDocument().SetModifiedFlag();
    QTest::keyClick(grid, Qt::Key_Return);
    typeInto(grid, QStringLiteral("x"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(view.GetTable().GetRecord(0)->GetRawValue(0), "Anna");
    EXPECT_TRUE(view.GetDocument().IsModified());
}

// A number or date that cannot be read is stored as the rules say, and the
// status bar tells the user when the edit closes.
TEST_F(ViewTest, UnreadableNumbersAndDatesAreNamedInTheStatusBar)
{
    COrvelView &view = open("typen.ovd", [](COrvelDoc &doc) {
        AddField(doc, "Betrag", FT_NUMERIC);
        AddField(doc, "Datum", FT_DATE);
        AddRecord(doc, {"1", "19970301"});
    });
    CListGrid *grid = view.GetGrid();
    grid->setFocus();
    typeInto(grid, QStringLiteral("zwanzig"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(frame().GetMessageText(), QStringLiteral("Keine gültige Zahl"));
    QTest::keyClick(grid, Qt::Key_Tab);
    typeInto(grid, QStringLiteral("32.13.97"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(view.GetTable().GetRecord(0)->GetDisplayValue(1), "##");
    EXPECT_EQ(frame().GetMessageText(), QStringLiteral("Kein gültiges Datum"));

    // A readable value gives the record line as before.
    typeInto(grid, QStringLiteral("1.3.97"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(frame().GetMessageText().startsWith(QStringLiteral("Datensatz 1 von 1")));
}

// After saving, the current cell stays where it was: typing goes on there.
TEST_F(ViewTest, SavingKeepsTheCurrentCell)
{
    COrvelView &view = openNames({"A", "B"});
    CListGrid *grid = view.GetGrid();
    grid->setFocus();
    view.SetCurrentCell(1, 1);
    typeInto(grid, QStringLiteral("Ulm"));
    router().UpdateAll(); // as the idle pass does before the next key
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    EXPECT_FALSE(view.GetDocument().IsModified());
    EXPECT_EQ(view.GetCurrentRecord(), 1);
    EXPECT_EQ(view.GetCurrentField(), 1);
    EXPECT_EQ(view.GetTable().GetRecord(1)->GetRawValue(1), "Ulm");
}

// A new, empty database says nothing of another window's records.
TEST_F(ViewTest, AnEmptyDatabaseShowsNoStaleRecordLine)
{
    openNames({"A", "B", "C"});
    ASSERT_TRUE(frame().GetMessageText().startsWith(QStringLiteral("Datensatz 1 von 3")));
    ASSERT_TRUE(docs().OpenNewDocument());
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame().GetMessageText().contains(QStringLiteral("Datensatz")))
            << frame().GetMessageText().toStdString();
}
