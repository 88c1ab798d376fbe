// Defining fields through the dialogs: the field page's controls and
// checks, and "Datenfelder festlegen" with its list, which every window of
// the document follows at once.
#include "DialogDriver.h"
#include "document/DocumentTestSupport.h"

#include "form/DrawEdit.h"
#include "form/ui/CFieldPropDlg.h"
#include "listview/FieldDefinitionsDialog.h"
#include "listview/OrvelView.h"
#include "platform/ui/PropertySheet.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

class FieldDefinitionsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        AddField(doc, "A");
        AddField(doc, "B");
        AddField(doc, "C");
        doc.CreateDefaultForm();
        doc.SetModifiedFlag(false);
    }

    // Runs the dialog with `drive` acting in it.
    void runDialog(std::function<void(FieldDefinitionsDialog &)> drive)
    {
        WhenShown<FieldDefinitionsDialog>(std::move(drive));
        RunFieldDefinitionsDialog(nullptr, doc, {});
    }
    // Presses `button` of the dialog, which opens the field sheet, and
    // lets `fill` set the page before OK.
    static void inSheet(QPushButton *button, std::function<void(CFieldPropDlg &)> fill)
    {
        WhenShown<PropertySheet>([fill](PropertySheet &sheet) {
            auto *page = qobject_cast<CFieldPropDlg *>(sheet.Page(0));
            ASSERT_NE(page, nullptr);
            fill(*page);
            sheet.accept();
        });
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QStringList names() const
    {
        QStringList list;
        for (int pos = 0; pos < doc.GetTable().GetFieldCount(); ++pos)
            list << QString::fromLatin1(doc.GetTable().GetFieldName(pos).c_str());
        return list;
    }
    QString fieldOf(const char *dataFieldName) const
    {
        // Which field the data field that showed `dataFieldName` shows now.
        return QString::fromLatin1(
                doc.GetTable().GetFieldName(dataFields.at(QString::fromLatin1(dataFieldName))->fieldIndex).c_str());
    }
    void rememberDataFields()
    {
        for (int pos = 0; pos < doc.GetTable().GetFieldCount(); ++pos)
            dataFields[QString::fromLatin1(doc.GetTable().GetFieldName(pos).c_str())] =
                    doc.GetForm().FindDataField(pos);
    }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    std::map<QString, const CDrawEdit *> dataFields;
};

TEST_F(FieldDefinitionsTest, TheListsOrderIsAppliedByCloseButNotByTheCloseBox)
{
    rememberDataFields();
    // The last field dragged to the top, then "Schließen".
    runDialog([](FieldDefinitionsDialog &dialog) {
        QListWidget *list = dialog.FieldList();
        list->insertItem(0, list->takeItem(2));
        QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
    });
    EXPECT_EQ(names(), (QStringList{"C", "A", "B"}));
    EXPECT_EQ(fieldOf("C"), "C");
    EXPECT_EQ(fieldOf("A"), "A");
    EXPECT_TRUE(doc.IsModified());

    // The close box keeps a new field, but not a new order.
    runDialog([](FieldDefinitionsDialog &dialog) {
        inSheet(dialog.NewButton(), [](CFieldPropDlg &page) { page.NameEdit()->setText("D"); });
        QListWidget *list = dialog.FieldList();
        list->insertItem(0, list->takeItem(3));
        dialog.reject();
    });
    EXPECT_EQ(names(), (QStringList{"C", "A", "B", "D"}));
}

TEST_F(FieldDefinitionsTest, ANewFieldTakesThePlaceOfTheSelectedEntry)
{
    // A list window of the document shows the field at once.
    COrvelView list(doc, nullptr, nullptr, true);
    list.OnInitialUpdate();
    runDialog([this](FieldDefinitionsDialog &dialog) {
        dialog.FieldList()->setCurrentRow(2);
        inSheet(dialog.NewButton(), [](CFieldPropDlg &page) {
            EXPECT_EQ(page.NameEdit()->text(), QStringLiteral("Datenfeld1"));
            EXPECT_TRUE(page.FramedBox()->isChecked());
            EXPECT_TRUE(page.ShowNameBox()->isChecked());
            page.NameEdit()->setText(QStringLiteral("Preis"));
            page.TypeButton(FT_NUMERIC)->click();
            page.DecimalsSpin()->setValue(3);
        });
        EXPECT_EQ(dialog.FieldList()->currentRow(), 2);
        EXPECT_EQ(dialog.FieldList()->item(2)->text(), QStringLiteral("Preis"));
        // Until the dialog closes the table has it at the end.
        EXPECT_EQ(doc.GetTable().GetFieldCount(), 4);
        EXPECT_EQ(doc.GetTable().GetFieldName(3), "Preis");
        QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
    });
    EXPECT_EQ(names(), (QStringList{"A", "B", "Preis", "C"}));
    EXPECT_EQ(doc.GetTable().GetFieldType(2), FT_NUMERIC);
    EXPECT_EQ(doc.GetTable().GetFieldFormat(2), 3);
    ASSERT_NE(doc.GetForm().FindDataField(2), nullptr);
    EXPECT_EQ(list.GetTable().GetFieldCount(), 4);
}

TEST_F(FieldDefinitionsTest, DeletingAsksOnlyWhenThereAreRecords)
{
    runDialog([](FieldDefinitionsDialog &dialog) {
        dialog.FieldList()->setCurrentRow(0);
        QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
        // The positions of the later entries move down with their fields.
        EXPECT_EQ(dialog.ListedPositions(), (std::vector<int>{0, 1}));
        EXPECT_EQ(dialog.FieldList()->currentRow(), 0);
        dialog.accept();
    });
    EXPECT_TRUE(scripted.messages().empty());
    EXPECT_EQ(names(), (QStringList{"B", "C"}));

    AddRecord(doc, {"b", "c"});
    scripted.queueAnswer(MsgResult::No);
    scripted.queueAnswer(MsgResult::Yes);
    runDialog([](FieldDefinitionsDialog &dialog) {
        dialog.FieldList()->setCurrentRow(1);
        QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.FieldList()->count(), 2);
        QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.FieldList()->count(), 1);
        // The last entry went: the one before it is selected.
        EXPECT_EQ(dialog.FieldList()->currentRow(), 0);
        dialog.accept();
    });
    ASSERT_EQ(scripted.messages().size(), 2u);
    EXPECT_EQ(scripted.messages()[0].id, ids::kMsgConfirmDeleteDataField);
    EXPECT_TRUE(scripted.messages()[0].text.contains(QStringLiteral("\"C\"")));
    EXPECT_EQ(names(), (QStringList{"B"}));
    EXPECT_EQ(doc.GetTable().GetRecord(0)->GetRawValue(0), "b");
}

TEST_F(FieldDefinitionsTest, ThirtyTwoFieldsDisableNewAndNoFieldsDisableTheRest)
{
    while (doc.GetTable().GetFieldCount() < 32)
        doc.GetTable().InsertField("F" + std::to_string(doc.GetTable().GetFieldCount()));
    runDialog([](FieldDefinitionsDialog &dialog) {
        EXPECT_FALSE(dialog.NewButton()->isEnabled());
        EXPECT_TRUE(dialog.DeleteButton()->isEnabled());
        dialog.accept();
    });
    COrvelDoc empty;
    WhenShown<FieldDefinitionsDialog>([](FieldDefinitionsDialog &dialog) {
        EXPECT_TRUE(dialog.NewButton()->isEnabled());
        EXPECT_FALSE(dialog.DeleteButton()->isEnabled());
        EXPECT_FALSE(dialog.PropertiesButton()->isEnabled());
        dialog.accept();
    });
    RunFieldDefinitionsDialog(nullptr, empty, {});
}

// The field page alone, for an existing field of `type` or a new one.
class FieldPageTest : public FieldDefinitionsTest
{
protected:
    std::unique_ptr<CFieldPropDlg> page(int type, bool existing = true)
    {
        const int pos = existing ? doc.GetTable().InsertField("X" + std::to_string(type)) : -1;
        if (existing)
            doc.GetTable().SetFieldType(type, pos);
        FieldDefinition definition = existing ? doc.GetFieldDefinition(pos) : FieldDefinition{};
        if (!existing)
            definition.type = type;
        return std::make_unique<CFieldPropDlg>(doc.GetTable(), pos, definition);
    }
};

TEST_F(FieldPageTest, TheTypeDecidesWhatThePageOffers)
{
    const struct
    {
        int type;
        bool decimals, dates, embed, nothing, framed, defaultValue, showName;
    } cases[] = {
            {FT_TEXT, false, false, false, true, true, true, true},
            {FT_NUMERIC, true, false, false, false, true, true, true},
            {FT_DATE, false, true, false, false, true, true, true},
            {FT_PICTURE, false, false, true, false, true, false, true},
            {FT_MEMO, false, false, false, true, false, false, false},
            {FT_OLE, false, false, false, true, true, false, true},
            {FT_LINK, false, false, false, true, false, false, true},
    };
    for (const auto &c : cases) {
        auto shown = page(c.type, false);
        shown->show();
        EXPECT_EQ(shown->DecimalsSpin()->isVisible(), c.decimals) << c.type;
        EXPECT_EQ(shown->DateFormatList()->isVisible(), c.dates) << c.type;
        EXPECT_EQ(shown->EmbedBox()->isVisible(), c.embed) << c.type;
        EXPECT_EQ(shown->NoPropertiesLabel()->isVisible(), c.nothing) << c.type;
        EXPECT_EQ(shown->FramedBox()->isEnabled(), c.framed) << c.type;
        EXPECT_EQ(shown->DefaultEdit()->isEnabled(), c.defaultValue) << c.type;
        EXPECT_EQ(shown->ShowNameBox()->isEnabled(), c.showName) << c.type;
        // A new field may take any type.
        for (int other = 0; other < kFieldTypeCount; ++other)
            EXPECT_TRUE(shown->TypeButton(other)->isEnabled());
    }

    // Today's date in the system's format and in the six pictures.
    auto dates = page(FT_DATE, false);
    ASSERT_EQ(dates->DateFormatList()->count(), 7);
    EXPECT_TRUE(dates->DateFormatList()->item(0)->text().endsWith(QStringLiteral(" (System)")));
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(dates->DateFormatList()->item(2)->text(), today);
}

TEST_F(FieldPageTest, AnExistingFieldKeepsToItsGroupOfTypes)
{
    auto memo = page(FT_MEMO);
    for (int type = 0; type < kFieldTypeCount; ++type)
        EXPECT_EQ(memo->TypeButton(type)->isEnabled(), type == FT_MEMO) << type;
    auto picture = page(FT_PICTURE);
    picture->show();
    EXPECT_FALSE(picture->EmbedBox()->isEnabled());
    auto number = page(FT_NUMERIC);
    for (int type = 0; type < kFieldTypeCount; ++type)
        EXPECT_EQ(number->TypeButton(type)->isEnabled(), type <= FT_DATE) << type;

    // A type change is confirmed; "No" puts the old type back.
    number->TypeButton(FT_DATE)->click();
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(number->OnKillActive());
    EXPECT_EQ(number->Type(), FT_NUMERIC);
    number->TypeButton(FT_DATE)->click();
    scripted.queueAnswer(MsgResult::Yes);
    EXPECT_TRUE(number->OnKillActive());
    EXPECT_EQ(number->Type(), FT_DATE);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgConfirmTypeChange, ids::kMsgConfirmTypeChange}));
}

TEST_F(FieldPageTest, BadNamesAndDefaultsKeepTheSheetOpen)
{
    const struct
    {
        const char *what;
        QString name;
        int type;
        QString defaultValue;
        int message;
    } cases[] = {
            {"duplicate", QStringLiteral("&B"), FT_TEXT, QString(), ids::kMsgDuplicateFieldName},
            {"empty", QString(), FT_TEXT, QString(), ids::kMsgFieldNameEmpty},
            {"not in the character set", QStringLiteral("Preis in \u20AC\u2009\u0141"), FT_TEXT, QString(),
             ids::kMsgFieldNameCharacters},
            {"unreadable number", QStringLiteral("Preis"), FT_NUMERIC, QStringLiteral("viel"),
             ids::kMsgDefaultValueUnreadable},
    };
    for (const auto &c : cases) {
        scripted.clear();
        PropertySheet sheet;
        auto *fields = new CFieldPropDlg(doc.GetTable(), 0, doc.GetFieldDefinition(0));
        sheet.AddPage(fields);
        fields->NameEdit()->setText(c.name);
        fields->DefaultEdit()->setText(c.defaultValue);
        sheet.show();
        if (c.type != FT_TEXT) {
            fields->TypeButton(c.type)->click();
            scripted.queueAnswer(MsgResult::Yes);
        }
        sheet.accept();
        EXPECT_TRUE(sheet.isVisible()) << c.what;
        EXPECT_EQ(sheet.result(), 0) << c.what;
        EXPECT_EQ(scripted.messageIds().back(), c.message) << c.what;
    }
    // The field keeps its name.
    EXPECT_EQ(doc.GetTable().GetFieldName(0), "A");
}

} // namespace
