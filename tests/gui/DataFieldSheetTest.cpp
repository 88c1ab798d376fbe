// The property sheet of data fields in the designer: opening it, what it
// stores, and new data fields through "Einfügen ▸ Datenfeld".
#include "DialogDriver.h"
#include "FormMouse.h"
#include "document/DocumentTestSupport.h"

#include "form/DrawEdit.h"
#include "form/ui/CFieldPropDlg.h"
#include "form/ui/CTextPropGenDlg.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/FieldDefinitionsDialog.h"
#include "listview/OrvelView.h"
#include "platform/ui/PropertySheet.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

class DataFieldSheetTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CFormDesigner::Tools() = {};
        AddField(doc, "Name");
        AddField(doc, "Memo", FT_MEMO);
        AddRecord(doc, {"Anna", ""});
        doc.CreateDefaultForm();
        doc.SetModifiedFlag(false);
        view = std::make_unique<COrvelView>(doc, nullptr, nullptr, false);
        view->resize(640, 480);
        view->show();
        view->OnInitialUpdate();
        view->ToggleDesignMode();
        QCoreApplication::processEvents();
    }
    CFormDesigner &designer() const { return view->GetFormView()->Designer(); }
    bool run(int id) { return view->OnCmdMsg(id, nullptr); }
    bool enabled(int id)
    {
        CCmdUI ui(id);
        return view->OnCmdMsg(id, &ui) && ui.IsEnabled();
    }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    std::unique_ptr<COrvelView> view;
};

TEST_F(DataFieldSheetTest, ADoubleClickOpensTheSheetAndOkStoresFieldAndLook)
{
    CDrawEdit *field = doc.GetForm().FindDataField(0);
    const QPoint inside = designer().FormToClient(field->position).center();
    WhenShown<PropertySheet>([](PropertySheet &sheet) {
        ASSERT_EQ(sheet.PageCount(), 2);
        auto *fields = qobject_cast<CFieldPropDlg *>(sheet.Page(0));
        auto *format = qobject_cast<CTextPropGenDlg *>(sheet.Page(1));
        ASSERT_TRUE(fields && format);
        fields->NameEdit()->setText(QStringLiteral("Vorname"));
        fields->FramedBox()->setChecked(false);
        format->AlignmentButton(1)->click();
        sheet.accept();
    });
    FormMouse([this] { return view->GetFormView()->viewport(); }).doubleClick(inside);
    EXPECT_EQ(doc.GetTable().GetFieldName(0), "Vorname");
    EXPECT_EQ(field->framed, 0);
    EXPECT_EQ(field->alignment, 1);
    // Centred, and a value never wraps.
    EXPECT_EQ(field->drawFlags, 1);
    EXPECT_TRUE(doc.IsModified());

    // A memo field keeps its type; cancelling changes nothing.
    designer().Select(doc.GetForm().FindDataField(1));
    ASSERT_TRUE(enabled(ID_OBJECT_PROPERTIES));
    WhenShown<PropertySheet>([](PropertySheet &sheet) {
        auto *fields = qobject_cast<CFieldPropDlg *>(sheet.Page(0));
        EXPECT_FALSE(fields->TypeButton(FT_TEXT)->isEnabled());
        fields->NameEdit()->setText(QStringLiteral("Notiz"));
        sheet.reject();
    });
    run(ID_OBJECT_PROPERTIES);
    EXPECT_EQ(doc.GetTable().GetFieldName(1), "Memo");

    // Two objects selected: no sheet.
    designer().SelectAll();
    EXPECT_FALSE(enabled(ID_OBJECT_PROPERTIES));
}

TEST_F(DataFieldSheetTest, ANewDataFieldComesFromItsSheetAndStopsAtThirtyTwo)
{
    WhenShown<PropertySheet>([](PropertySheet &sheet) {
        auto *fields = qobject_cast<CFieldPropDlg *>(sheet.Page(0));
        EXPECT_EQ(fields->NameEdit()->text(), QStringLiteral("Datenfeld1"));
        fields->TypeButton(FT_DATE)->click();
        sheet.accept();
    });
    run(ID_TOOL_DATA_FIELD);
    ASSERT_EQ(doc.GetTable().GetFieldCount(), 3);
    EXPECT_EQ(doc.GetTable().GetFieldType(2), FT_DATE);
    const CDrawEdit *added = doc.GetForm().FindDataField(2);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{const_cast<CDrawEdit *>(added)});
    EXPECT_EQ(added->position.bottom - added->position.top, kGeneratedFormLineHeight);

    // Cancelled: nothing is made.
    WhenShown<PropertySheet>([](PropertySheet &sheet) { sheet.reject(); });
    run(ID_TOOL_DATA_FIELD);
    EXPECT_EQ(doc.GetTable().GetFieldCount(), 3);

    while (doc.GetTable().GetFieldCount() < 32)
        doc.GetTable().InsertField("F" + std::to_string(doc.GetTable().GetFieldCount()));
    run(ID_TOOL_DATA_FIELD);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgTooManyFields});
}

} // namespace

namespace {

// With ORVEL_SCREENSHOT_DIR set, the data field's sheet (both pages) and
// the field definitions dialog are saved as pictures there.
TEST_F(DataFieldSheetTest, ScreenshotsOfTheSheetAndTheFieldDialog)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "no ORVEL_SCREENSHOT_DIR";
    CDrawEdit *field = doc.GetForm().FindDataField(0);
    PropertySheet sheet;
    auto *fields = new CFieldPropDlg(doc.GetTable(), 0, doc.GetFieldDefinition(0));
    sheet.AddPage(fields);
    sheet.AddPage(new CTextPropGenDlg({field->font, field->textColor, field->alignment}));
    sheet.show();
    EXPECT_TRUE(sheet.grab().save(shots + QStringLiteral("/orvel-sheet-field.png")));
    fields->TypeButton(FT_DATE)->click();
    EXPECT_TRUE(sheet.grab().save(shots + QStringLiteral("/orvel-sheet-field-date.png")));
    sheet.SetActivePage(1);
    EXPECT_TRUE(sheet.grab().save(shots + QStringLiteral("/orvel-sheet-format.png")));

    FieldDefinitionsDialog dialog(doc, {});
    dialog.show();
    EXPECT_TRUE(dialog.grab().save(shots + QStringLiteral("/orvel-field-definitions.png")));
}

} // namespace
