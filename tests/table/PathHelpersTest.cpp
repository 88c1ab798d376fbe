#include "table/PathHelpers.h"

#include <gtest/gtest.h>

using namespace orvel;

namespace {

TEST(PathHelpers, AbsolutePaths)
{
    EXPECT_TRUE(IsAbsolutePath("/home/anna/bild.jpg"));
    EXPECT_TRUE(IsAbsolutePath("C:\\Bilder\\a.bmp"));
    EXPECT_TRUE(IsAbsolutePath("c:a.bmp"));
    EXPECT_FALSE(IsAbsolutePath("bilder/a.bmp"));
    EXPECT_FALSE(IsAbsolutePath("\\bilder\\a.bmp"));
    EXPECT_FALSE(IsAbsolutePath(""));
}

TEST(PathHelpers, RelativeToTheDatabaseFolder)
{
    const AnsiView base = "/home/anna/Daten";
    EXPECT_EQ(MakeRelativePath("/home/anna/Daten/Bilder/Urlaub.JPG", base), "Bilder/Urlaub.JPG");
    EXPECT_EQ(MakeRelativePath("/home/anna/Daten/a.bmp", base), "a.bmp");
    EXPECT_EQ(MakeRelativePath("/home/anna/Bilder/a.bmp", base), "../Bilder/a.bmp");
    EXPECT_EQ(MakeRelativePath("/media/cd/a.bmp", base), "../../../media/cd/a.bmp");
    EXPECT_EQ(MakeRelativePath("/home/anna/Daten/x/../y/./a.bmp", "/home/anna/Daten/"), "y/a.bmp");
    // Names are compared exactly: another case is another folder.
    EXPECT_EQ(MakeRelativePath("/home/anna/daten/a.bmp", base), "../daten/a.bmp");
    EXPECT_EQ(MakeRelativePath("/home/anna", base), "..");
    EXPECT_EQ(MakeRelativePath("/home/anna/Daten", base), ".");
    EXPECT_EQ(MakeRelativePath("M\xFCller/\xC4rger.png", base), "M\xFCller/\xC4rger.png");
    EXPECT_EQ(MakeRelativePath("Bilder\\alt\\a.bmp", base), "Bilder/alt/a.bmp");
    EXPECT_EQ(MakeRelativePath("C:\\Bilder\\a.bmp", base), "C:\\Bilder\\a.bmp");
    EXPECT_EQ(MakeRelativePath("", base), "");
}

TEST(PathHelpers, AbsoluteFromTheDatabaseFolder)
{
    const AnsiView base = "/home/anna/Daten";
    EXPECT_EQ(MakeAbsolutePath("Bilder/Urlaub.JPG", base), "/home/anna/Daten/Bilder/Urlaub.JPG");
    EXPECT_EQ(MakeAbsolutePath("..\\Bilder\\a.bmp", base), "/home/anna/Bilder/a.bmp");
    EXPECT_EQ(MakeAbsolutePath("../../../../../a.bmp", base), "/a.bmp");
    EXPECT_EQ(MakeAbsolutePath("\\a.bmp", base), "/home/anna/Daten/a.bmp");
    EXPECT_EQ(MakeAbsolutePath("/tmp/a\\b.bmp", base), "/tmp/a\\b.bmp");
    EXPECT_EQ(MakeAbsolutePath("C:\\Bilder\\a.bmp", base), "C:\\Bilder\\a.bmp");
    EXPECT_EQ(MakeAbsolutePath("", base), "");
}

TEST(PathHelpers, RoundTrip)
{
    const AnsiView base = "/srv/orvel/Sammlung";
    for (const AnsiView path :
         {"/srv/orvel/Sammlung/CDs/Cover 1.png", "/srv/Bilder/x.gif", "/x.gif", "/srv/orvel/Sammlung.bak/y.png"}) {
        EXPECT_EQ(MakeAbsolutePath(MakeRelativePath(path, base), base), path);
    }
}

} // namespace
