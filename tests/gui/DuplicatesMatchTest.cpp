#include "DialogDriver.h"
#include "document/DocumentTestSupport.h"

#include "listview/DuplicatesDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

class DuplicatesMatchTest : public DocumentTest
{
protected:
    // "Müller" and "Mueller" at the same street, "Meier" and "Mayer" too.
    void SetUp() override
    {
        DocumentTest::SetUp();
        AddField(doc, "Name");
        AddField(doc, "Stra\xDF"
                      "e");
        AddRecord(doc, {"M\xFCller", "Hauptstra\xDF"
                                     "e 5"});
        AddRecord(doc, {"Muff", "Hauptstr. 5"});
        AddRecord(doc, {"Mueller", "Hauptstr. 5"});
        AddRecord(doc, {"Meier", "Am Markt 1"});
        AddRecord(doc, {"Mayer", "Am Markt 1"});
    }

    // Runs the dialog, ticking both fields and clicking the given boxes
    // from the keyboard; returns the number of marked records.
    int run(bool similar, bool sound)
    {
        doc.GetTable().UnmarkAllRecords();
        WhenShown<DuplicatesDialog>([similar, sound](DuplicatesDialog &dialog) {
            QListWidget *list = dialog.FieldList();
            for (int row : {0, 1}) {
                list->setCurrentRow(row);
                QTest::keyClick(list, Qt::Key_Space);
            }
            // The sound comparison is offered only with similar spellings.
            EXPECT_FALSE(dialog.SoundCheck()->isEnabled());
            EXPECT_FALSE(dialog.SimilarCheck()->isChecked());
            if (similar)
                ClickBox(dialog.SimilarCheck());
            EXPECT_EQ(dialog.SoundCheck()->isEnabled(), similar);
            if (sound)
                ClickBox(dialog.SoundCheck());
            dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        EXPECT_TRUE(RunDuplicatesDialog(nullptr, doc));
        return doc.GetTable().GetMarkedCount();
    }

    COrvelDoc doc;
};

TEST_F(DuplicatesMatchTest, TheBoxesChooseHowValuesAreCompared)
{
    EXPECT_EQ(run(false, false), 0);
    EXPECT_EQ(run(true, false), 1); // Müller/Mueller
    EXPECT_EQ(run(true, true), 2);  // and Meier/Mayer
}

TEST_F(DuplicatesMatchTest, TheBoxesHaveMnemonicsAndTexts)
{
    DuplicatesDialog dialog(doc.GetTable());
    EXPECT_EQ(dialog.SimilarCheck()->text(), QString::fromUtf8("&Ähnliche Schreibweisen als gleich behandeln"));
    EXPECT_EQ(dialog.SoundCheck()->text(), QString::fromUtf8("Nach dem &Klang vergleichen (Kölner Phonetik)"));
}

} // namespace
