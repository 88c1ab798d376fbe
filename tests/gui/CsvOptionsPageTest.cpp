// The page "CSV-Dateien" of the options sheet: what it shows, what it
// refuses and what OK writes.
#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "app/ui/CPPOptionsCSV.h"
#include "app/ui/CPSOptions.h"
#include "document/DocumentOptions.h"
#include "platform/Registry.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

class CsvOptionsPageTest : public AppTest
{
protected:
    void runSheet(std::function<void(CPSOptions &)> drive)
    {
        WhenShown<CPSOptions>([drive](CPSOptions &sheet) {
            drive(sheet);
            if (sheet.isVisible()) {
                ADD_FAILURE() << "the sheet is still open";
                sheet.reject();
            }
        });
        router().Execute(ID_OPTIONS);
    }
    const QString section = QStringLiteral("CSV-Options");
};

TEST_F(CsvOptionsPageTest, ShowsTheSettingsAndWritesWhatWasChanged)
{
    Registry::WriteProfileInt(section, QStringLiteral("Field Delimiter"), 59);
    start();
    runSheet([](CPSOptions &sheet) {
        sheet.SetActivePage(3);
        CPPOptionsCSV *page = sheet.CsvPage();
        EXPECT_EQ(sheet.Tabs()->tabText(3), QStringLiteral("CSV-Dateien"));
        EXPECT_EQ(page->FieldDelimiterEdit()->text(), QStringLiteral("59"));
        EXPECT_TRUE(page->EncodingButton(0)->isChecked());
        EXPECT_TRUE(page->BomBox()->isChecked());
        page->FieldDelimiterEdit()->setText(QStringLiteral("9"));
        ClickBox(page->BomBox());
        ClickBox(page->EncodingButton(1));
        // Without UTF-8 there is no mark to write.
        EXPECT_FALSE(page->BomBox()->isEnabled());
        sheet.accept();
    });
    EXPECT_EQ(Registry::GetProfileInt(section, QStringLiteral("Field Delimiter"), -1), 9);
    EXPECT_EQ(Registry::GetProfileInt(section, QStringLiteral("Encoding"), -1), 1);
    EXPECT_EQ(Registry::GetProfileInt(section, QStringLiteral("BOM"), -1), 0);
    const DocumentOptions options = DocumentOptions::FromSettings();
    EXPECT_EQ(options.csvFieldDelimiter, 9);
    EXPECT_EQ(options.csvEncoding, 1);
    EXPECT_EQ(options.csvBom, 0);
}

TEST_F(CsvOptionsPageTest, RefusesDelimitersThatWouldSplitEveryFileWrongly)
{
    start();
    for (const char *code : {"34", "10", "13", "256", "-1", "x"}) {
        SCOPED_TRACE(code);
        runSheet([code](CPSOptions &sheet) {
            sheet.SetActivePage(3);
            CPPOptionsCSV *page = sheet.CsvPage();
            page->FieldDelimiterEdit()->setText(QString::fromLatin1(code));
            EXPECT_FALSE(page->OnKillActive());
            sheet.reject();
        });
    }
    EXPECT_TRUE(scripted.sawMessage(ids::kMsgCsvDelimiterInvalid));
    // A damaged value in the settings file means "detect".
    Registry::WriteProfileInt(section, QStringLiteral("Field Delimiter"), 34);
    EXPECT_EQ(DocumentOptions::FromSettings().csvFieldDelimiter, 0);
}

TEST_F(CsvOptionsPageTest, Screenshot)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "no ORVEL_SCREENSHOT_DIR";
    start();
    runSheet([&](CPSOptions &sheet) {
        sheet.SetActivePage(3);
        QCoreApplication::processEvents();
        EXPECT_TRUE(sheet.grab().save(shots + QStringLiteral("/orvel-options-csv.png")));
        sheet.reject();
    });
}

} // namespace
