#include "platform/Registry.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

using namespace orvel;

namespace {

// Writes a raw value into the settings file as a user with an editor would.
void writeRaw(const QString &section, const QString &entry, const QVariant &value)
{
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KWZ"), QStringLiteral("Orvel 97"));
    raw.setValue(section + u'/' + entry, value);
    raw.sync();
}

} // namespace

TEST(Settings, SettingsLiveInTheUsersConfigurationFolder)
{
    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("ToolTips"), 0);
    Registry::Flush();
    EXPECT_TRUE(QFile::exists(test::ConfigDir() + QStringLiteral("/KWZ/Orvel 97.conf")));
    EXPECT_EQ(Registry::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("ToolTips"), 1), 0);
}

TEST(Settings, MissingAndMalformedValuesGiveTheDefault)
{
    const QString section = QStringLiteral("SDF-Options");
    EXPECT_EQ(Registry::GetProfileInt(section, QStringLiteral("Field Delimiter"), 44), 44);
    Registry::WriteProfileInt(section, QStringLiteral("Field Delimiter"), 59);
    EXPECT_EQ(Registry::GetProfileInt(section, QStringLiteral("Field Delimiter"), 44), 59);

    for (const QVariant &bad : {QVariant(QStringLiteral("abc")), QVariant(QStringLiteral("12x")),
                                QVariant(QStringLiteral("99999999999")), QVariant(QString())}) {
        Registry::WriteProfileString(section, QStringLiteral("Data Delimiter"), bad.toString());
        EXPECT_EQ(Registry::GetProfileInt(section, QStringLiteral("Data Delimiter"), 34), 34)
                << bad.toString().toStdString();
    }
    writeRaw(section, QStringLiteral("CharSet"), QStringLiteral(" 1 "));
    EXPECT_EQ(Registry::GetProfileInt(section, QStringLiteral("CharSet"), 0), 1);
    Registry::WriteProfileInt(section, QStringLiteral("CharSet"), -3);
    EXPECT_EQ(Registry::GetProfileInt(section, QStringLiteral("CharSet"), 0), -3);

    Registry::WriteProfileString(QStringLiteral("Settings"), QStringLiteral("DialPrefix"), QStringLiteral("0,"));
    EXPECT_EQ(Registry::GetProfileString(QStringLiteral("Settings"), QStringLiteral("DialPrefix")),
              QStringLiteral("0,"));
    EXPECT_EQ(Registry::GetProfileString(QStringLiteral("Settings"), QStringLiteral("Nothing"), QStringLiteral("x")),
              QStringLiteral("x"));
}

TEST(Settings, FontSectionKeepsSixMembersAndFallsBackToTheStockFont)
{
    const QString section = QStringLiteral("GridFont");
    Registry::DeleteSection(section);
    EXPECT_EQ(ReadFont(section), StockFont(ANSI_VAR_FONT));

    LOGFONT font;
    font.lfHeight = -13;
    font.lfWidth = 7; // not stored
    font.lfWeight = 700;
    font.lfItalic = 1;
    font.lfUnderline = 1;
    font.lfStrikeOut = 1; // not stored
    font.lfPitchAndFamily = 18;
    font.setFaceName("Times New Roman with a name far longer than thirty-one");
    WriteFont(section, font);

    const LOGFONT read = ReadFont(section);
    EXPECT_EQ(read.lfHeight, -13);
    EXPECT_EQ(read.lfWeight, 700);
    EXPECT_EQ(read.lfItalic, 1);
    EXPECT_EQ(read.lfUnderline, 1);
    EXPECT_EQ(read.lfPitchAndFamily, 18);
    EXPECT_EQ(read.lfWidth, 0);
    EXPECT_EQ(read.lfStrikeOut, 0);
    EXPECT_EQ(read.faceName(), "Times New Roman with a name far");
    EXPECT_EQ(read.faceName().size(), 31u);

    // A height of 0 writes nothing else and reads as the stock font, whatever
    // the other values say.
    Registry::DeleteSection(section);
    LOGFONT zero = font;
    zero.lfHeight = 0;
    WriteFont(section, zero);
    EXPECT_TRUE(Registry::HasEntry(section, QStringLiteral("Height")));
    EXPECT_FALSE(Registry::HasEntry(section, QStringLiteral("Weight")));
    EXPECT_FALSE(Registry::HasEntry(section, QStringLiteral("FaceName")));
    writeRaw(section, QStringLiteral("Weight"), 700);
    EXPECT_EQ(ReadFont(section), StockFont(ANSI_VAR_FONT));

    // A height alone: the face name defaults to "System".
    Registry::DeleteSection(section);
    Registry::WriteProfileInt(section, QStringLiteral("Height"), 16);
    EXPECT_EQ(ReadFont(section).faceName(), "System");
    EXPECT_EQ(ReadFont(section).lfWeight, 0);
}

TEST(Settings, WinIniIsAnIniFileInTheConfigurationFolder)
{
    EXPECT_EQ(WinIni::Path(), test::ConfigDir() + QStringLiteral("/win.ini"));
    EXPECT_EQ(WinIni::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("CheckMargins"), 1), 1);
    WinIni::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("CheckMargins"), 0);
    EXPECT_EQ(WinIni::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("CheckMargins"), 1), 0);
    QFile file(WinIni::Path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("[Settings]"));
}

TEST(LogFont, StoredBytesFollowTheFixedLayout)
{
    LOGFONT font = StockFont(DEFAULT_GUI_FONT);
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfPitchAndFamily, 34);
    EXPECT_EQ(font.faceName(), "MS Sans Serif");
    EXPECT_EQ(StockFont(ANSI_VAR_FONT).lfHeight, 12);

    font.lfEscapement = 900;
    font.lfItalic = 1;
    const auto bytes = font.toBytes();
    ASSERT_EQ(bytes.size(), 60u);
    EXPECT_EQ(bytes[0], 0xF5); // -11, little-endian
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[8], 0x84); // 900
    EXPECT_EQ(bytes[9], 0x03);
    EXPECT_EQ(bytes[16], 0x90); // 400
    EXPECT_EQ(bytes[20], 1);
    EXPECT_EQ(bytes[27], 34);
    EXPECT_EQ(bytes[28], 'M');
    EXPECT_EQ(bytes[28 + 13], 0);
    EXPECT_EQ(LOGFONT::fromBytes(bytes.data()), font);

    // A face name that fills all 32 bytes survives the round trip unchanged.
    auto full = bytes;
    for (int i = 28; i < 60; ++i)
        full[i] = 'A';
    EXPECT_EQ(LOGFONT::fromBytes(full.data()).toBytes(), full);
    EXPECT_EQ(LOGFONT::fromBytes(full.data()).faceName().size(), 32u);
}
