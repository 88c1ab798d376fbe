// Setup's own string table, built into its engine.
#include "setup/SetupStrings.h"

#include <gtest/gtest.h>

namespace orvel::setup {
namespace {

TEST(SetupStringsTest, MessagesWithTheirArguments)
{
    EXPECT_EQ(SetupMessage(IDS_FOLDER_NOT_CREATED, QStringLiteral("/opt/Orvel97")),
              QStringLiteral("Der Ordner /opt/Orvel97 konnte nicht angelegt werden!"));
    EXPECT_EQ(SetupMessage(IDS_FILE_IN_USE, QStringLiteral("orvel")),
              QStringLiteral("Datei orvel wird genutzt und konnte\n deshalb nicht installiert werden.\n\n"));
    EXPECT_TRUE(SetupString(IDS_ALREADY_INSTALLED).endsWith(QStringLiteral("dennoch fortsetzen?\n")));
    EXPECT_TRUE(SetupString(IDS_SUMMARY).contains(QStringLiteral("\r\n\r\n    %s\r\n")));
    EXPECT_EQ(SetupString(IDS_READING_MENU), QStringLiteral("Programmorder wird eingelesen. "));
    EXPECT_TRUE(SetupString(999).isEmpty());
}

} // namespace
} // namespace orvel::setup
