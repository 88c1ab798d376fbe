// The operations every page setup change goes through: they mark the
// document modified only for a real change, and the print flags survive a
// save.
#include "document/DocumentTestSupport.h"

using namespace orvel;
using namespace orvel::test;

namespace {

TEST(PageSetupOperationsTest, OnlyARealChangeMarksTheDocumentModified)
{
    COrvelDoc doc;
    AddField(doc, "Name");
    AddField(doc, "Ort");
    doc.SetModifiedFlag(false);

    PageSettings settings = doc.GetPageSettings();
    EXPECT_FALSE(doc.SetPageSettings(settings));
    EXPECT_FALSE(doc.IsModified());
    settings.pageFooter = "&p";
    EXPECT_TRUE(doc.SetPageSettings(settings));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPageSettings().pageFooter, "&p");

    doc.SetModifiedFlag(false);
    EXPECT_FALSE(doc.SetPrintFlags({1, 1}));
    EXPECT_FALSE(doc.IsModified());
    // Any non-zero flag is stored as 1; flags beyond the fields are ignored.
    EXPECT_TRUE(doc.SetPrintFlags({0, 5, 1, 0}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPrintFlags(), (std::vector<int>{0, 1}));
}

TEST(PageSetupOperationsTest, PrintFlagsAndPageSettingsSurviveSaving)
{
    const QString file = MakeScratchDir() + "/flags.ovd";
    COrvelDoc doc;
    for (const char *name : {"A", "B", "C"})
        AddField(doc, name);
    doc.SetPrintFlags({1, 0, 1});
    PageSettings settings = doc.GetPageSettings();
    settings.marginLeft = 25;
    settings.paperSize = 999; // a code this program does not know is kept
    doc.SetPageSettings(settings);
    ASSERT_TRUE(doc.Save(file, 1, true));

    COrvelDoc loaded;
    ASSERT_TRUE(loaded.Open(file));
    EXPECT_EQ(loaded.GetPrintFlags(), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(loaded.GetPageSettings(), settings);
}

} // namespace
