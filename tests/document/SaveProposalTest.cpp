#include "document/SaveProposal.h"

#include <gtest/gtest.h>

using namespace orvel;

TEST(SaveProposal, TitleIsCutToEightCharactersThenAtTheFirstSeparator)
{
    EXPECT_EQ(ProposeSaveName({}, QStringLiteral("Unbenannt1")), QStringLiteral("Unbenann.ovd"));
    EXPECT_EQ(ProposeSaveName({}, QStringLiteral("Liste 97")), QStringLiteral("Liste.ovd"));
    EXPECT_EQ(ProposeSaveName({}, QStringLiteral("CD#Liste")), QStringLiteral("CD.ovd"));
    EXPECT_EQ(ProposeSaveName({}, QStringLiteral("a/b;c")), QStringLiteral("a.ovd"));
    EXPECT_EQ(ProposeSaveName({}, QStringLiteral("Bücher%x")), QStringLiteral("Bücher.ovd"));
    EXPECT_EQ(ProposeSaveName({}, QStringLiteral("Abcdefg\\h")), QStringLiteral("Abcdefg.ovd"));
    // A saved document proposes its own path.
    EXPECT_EQ(ProposeSaveName(QStringLiteral("/home/u/Adressen.ovd"), QStringLiteral("x")),
              QStringLiteral("/home/u/Adressen.ovd"));
}

TEST(SaveProposal, ExtensionIsTheLastThreeCharactersIgnoringCase)
{
    EXPECT_EQ(FileExtension(QStringLiteral("/x/ADRESSEN.DBF")), QStringLiteral("dbf"));
    EXPECT_EQ(FileExtension(QStringLiteral("x.dbase")), QStringLiteral("ase"));
    EXPECT_EQ(FileExtension(QStringLiteral("liste.Sdf")), QStringLiteral("sdf"));
}
