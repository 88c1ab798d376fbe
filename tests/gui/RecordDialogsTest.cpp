#include "document/DocumentTestSupport.h"

#include "listview/DuplicatesDialog.h"
#include "listview/GoToDialog.h"
#include "listview/InsertFromCommand.h"
#include "listview/SortDialog.h"
#include "table/FieldType.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace orvel;
using namespace orvel::test;

namespace {

// Runs `drive` on the modal dialog of type D as soon as it is shown.
template<class D>
void whenShown(std::function<void(D &)> drive)
{
    QTimer::singleShot(0, [drive] {
        auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        drive(*dialog);
    });
}

void clickButton(QDialog &dialog, QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(which), Qt::LeftButton);
}

class RecordDialogsTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        doc.AddHintListener([this](const UpdateHint &hint) { hints.push_back(int(hint.kind)); });
    }

    std::vector<std::string> column(int pos) const
    {
        std::vector<std::string> values;
        for (int i = 0; i < doc.GetTable().GetRecordCount(); ++i)
            values.emplace_back(doc.GetTable().GetRecord(i)->GetRawValue(pos));
        return values;
    }

    COrvelDoc doc;
    std::vector<int> hints;
};

TEST_F(RecordDialogsTest, SortDialogShowsTheKeysAndAppliesItsOkRule)
{
    AddField(doc, "&Name");
    AddField(doc, "Foto", FT_PICTURE); // not sortable: not listed
    AddField(doc, "Ort");
    AddField(doc, "Betrag", FT_NUMERIC);
    AddRecord(doc, {"Anna", "", "Bonn", "3"});
    AddRecord(doc, {"Bernd", "", "K\xF6ln", "1"});
    AddRecord(doc, {"Clara", "", "Aachen", "2"});
    SortKeys keys;
    keys.key[0] = {2, 1}; // Ort, descending

    whenShown<SortDialog>([](SortDialog &dialog) {
        QListWidget *first = dialog.FieldList(0);
        ASSERT_EQ(first->count(), 3);
        EXPECT_EQ(first->item(2)->text(), QStringLiteral("Betrag"));
        // The key's field is found by position, although "Foto" is missing.
        ASSERT_EQ(first->selectedItems().size(), 1);
        EXPECT_EQ(first->selectedItems().constFirst()->text(), QStringLiteral("Ort"));
        EXPECT_TRUE(dialog.DescendingButton(0)->isChecked());
        EXPECT_TRUE(dialog.FieldList(1)->selectedItems().isEmpty());

        // Key 2 repeats key 1 and falls away; key 3 then moves up.
        dialog.FieldList(1)->setCurrentRow(1);
        dialog.FieldList(2)->setCurrentRow(2);
        clickButton(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(RunSortDialog(nullptr, doc, keys));
    EXPECT_EQ(keys.key[0], (SortKey{2, 1}));
    EXPECT_EQ(keys.key[1], (SortKey{3, 0}));
    EXPECT_FALSE(keys.key[2].IsSet());
    EXPECT_EQ(column(2), (std::vector<std::string>{"K\xF6ln", "Bonn", "Aachen"}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(hints, std::vector<int>{0});

    // Cancel changes nothing.
    hints.clear();
    doc.SetModifiedFlag(false);
    const SortKeys before = keys;
    whenShown<SortDialog>([](SortDialog &dialog) {
        dialog.FieldList(0)->setCurrentRow(0);
        clickButton(dialog, QDialogButtonBox::Cancel);
    });
    EXPECT_FALSE(RunSortDialog(nullptr, doc, keys));
    EXPECT_EQ(keys, before);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(hints.empty());
}

TEST_F(RecordDialogsTest, DuplicatesDialogComparesTheTickedFields)
{
    AddField(doc, "Name");
    AddField(doc, "Ort");
    AddField(doc, "Bild", FT_PICTURE);
    AddRecord(doc, {"Meier", "Bonn", "a.bmp"});
    AddRecord(doc, {"Meier", "K\xF6ln", "b.bmp"});
    AddRecord(doc, {"Meier", "Bonn", "c.bmp"});

    whenShown<DuplicatesDialog>([](DuplicatesDialog &dialog) {
        QListWidget *list = dialog.FieldList();
        ASSERT_EQ(list->count(), 3);
        // Ticked from the keyboard: Name, Ort, and the picture, which the
        // comparison ignores.
        for (int row : {0, 1, 2}) {
            list->setCurrentRow(row);
            QTest::keyClick(list, Qt::Key_Space);
        }
        EXPECT_EQ(dialog.SelectedFields(), (std::vector<int>{0, 1, 2}));
        clickButton(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(RunDuplicatesDialog(nullptr, doc));
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{509, 364}));
    EXPECT_EQ(doc.GetTable().GetMarkedCount(), 1);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(hints, std::vector<int>{0});

    // "No" to the question leaves everything as it was.
    scripted.clear();
    hints.clear();
    doc.SetModifiedFlag(false);
    scripted.queueAnswer(MsgResult::No);
    whenShown<DuplicatesDialog>([](DuplicatesDialog &dialog) { clickButton(dialog, QDialogButtonBox::Ok); });
    EXPECT_FALSE(RunDuplicatesDialog(nullptr, doc));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(hints.empty());
}

TEST_F(RecordDialogsTest, GoToRefusesNumbersOutsideTheTableAndStaysOpen)
{
    whenShown<GoToDialog>([this](GoToDialog &dialog) {
        QLineEdit *edit = dialog.NumberBox()->findChild<QLineEdit *>();
        EXPECT_EQ(edit->text(), QStringLiteral("3"));
        EXPECT_EQ(edit->selectedText(), QStringLiteral("3"));

        for (const char *wrong : {"6", "0"}) {
            QTest::keyClicks(edit, QString::fromLatin1(wrong));
            clickButton(dialog, QDialogButtonBox::Ok);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(edit->selectedText(), QString::fromLatin1(wrong));
        }
        ASSERT_EQ(scripted.messages().size(), 2u);
        EXPECT_EQ(scripted.messages()[0].id, 322);
        EXPECT_EQ(scripted.messages()[0].icon, MsgIcon::Stop);

        // The arrows stay within the table.
        dialog.NumberBox()->stepBy(10);
        EXPECT_EQ(edit->text(), QStringLiteral("5"));
        QTest::keyClicks(edit, QStringLiteral("4"));
        clickButton(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(RunGoToDialog(nullptr, 2, 5), std::optional<int>(3));

    whenShown<GoToDialog>([](GoToDialog &dialog) { clickButton(dialog, QDialogButtonBox::Cancel); });
    EXPECT_EQ(RunGoToDialog(nullptr, 0, 5), std::nullopt);
}

TEST_F(RecordDialogsTest, InsertFromTakesANameWithoutExtensionAsADatabase)
{
    {
        COrvelDoc other;
        AddField(other, "Name");
        AddRecord(other, {"Xaver"});
        AddRecord(other, {"Yvonne"});
        other.CreateDefaultForm();
        ASSERT_TRUE(other.Save(path("Andere.ovd")));
    }
    AddField(doc, "NAME");
    AddRecord(doc, {"Anna"});
    doc.CreateDefaultForm();

    int filterIndex = 2;
    EXPECT_EQ(RunInsertFromCommand(doc, 0, &filterIndex), 0); // cancelled
    EXPECT_EQ(filterIndex, 2);

    scripted.clear();
    scripted.queueFileName(path("Andere"));
    EXPECT_EQ(RunInsertFromCommand(doc, 0, &filterIndex), 2);
    EXPECT_EQ(column(0), (std::vector<std::string>{"Xaver", "Yvonne", "Anna"}));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{335});
}

} // namespace
