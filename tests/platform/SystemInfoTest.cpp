// What the About dialog reads of the machine, fed with sample /proc texts.
#include "platform/SystemInfo.h"
#include "platform/ProgramVersion.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <limits>

using namespace orvel;

namespace {

const char kIntelCpuInfo[] = "processor\t: 0\n"
                             "vendor_id\t: GenuineIntel\n"
                             "cpu family\t: 6\n"
                             "model\t\t: 158\n"
                             "model name\t: Some Core CPU\n\n"
                             "processor\t: 1\n"
                             "vendor_id\t: GenuineIntel\n"
                             "cpu family\t: 6\n";

const char kArmCpuInfo[] = "processor\t: 0\n"
                           "BogoMIPS\t: 48.00\n"
                           "CPU implementer\t: 0x41\n"
                           "CPU architecture: 8\n"
                           "CPU variant\t: 0x0\n";

} // namespace

TEST(SystemInfoTest, ProcessorFollowsTheX86FamilyAndIsUnknownOtherwise)
{
    const struct
    {
        const char *text;
        const char *expected;
    } cases[] = {
            {"vendor_id : GenuineIntel\ncpu family : 3\n", "386er"},
            {"vendor_id : GenuineIntel\ncpu family : 4\n", "486er"},
            {"vendor_id : GenuineIntel\ncpu family : 5\n", "Intel Pentium"},
            {kIntelCpuInfo, "Intel Pentium"},
            {"vendor_id : AuthenticAMD\ncpu family : 25\n", "Intel Pentium"},
            // Families the table does not know, other architectures, damage.
            {"vendor_id : GenuineIntel\ncpu family : 2\n", "Unbekannt"},
            {kArmCpuInfo, "Unbekannt"},
            {"", "Unbekannt"},
            {"vendor_id : GenuineIntel\ncpu family : \n", "Unbekannt"},
            {"vendor_id : GenuineIntel\ncpu family : x6\n", "Unbekannt"},
            {"vendor_id : GenuineIntel\ncpu family : 99999999999999999999999\n", "Unbekannt"},
            {"vendor_id\ncpu family\n::::\n\0\xff", "Unbekannt"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SystemInfo::ProcessorText(SystemInfo::ParseCpuInfo(QString::fromLatin1(c.text))),
                  QString::fromUtf8(c.expected))
                << c.text;
    }
}

TEST(SystemInfoTest, MemoryIsReadInKilobytesAndDamageLeavesItUnknown)
{
    const auto memory = SystemInfo::ParseMemInfo(u"MemTotal:       16314000 kB\n"
                                                 u"MemFree:         1000000 kB\n"
                                                 u"MemAvailable:    8123456 kB\n");
    EXPECT_EQ(SystemInfo::MemoryText(memory.availableKB), QStringLiteral("8123456 KB"));
    EXPECT_EQ(SystemInfo::MemoryText(memory.totalKB), QStringLiteral("16314000 KB"));

    // An old kernel without MemAvailable: the free memory.
    EXPECT_EQ(SystemInfo::ParseMemInfo(u"MemTotal: 64 kB\nMemFree: 12 kB\n").availableKB, 12u);

    for (const QString &text : {QString(), QStringLiteral("MemTotal: lots kB\nMemAvailable: -5 kB\n"),
                                QStringLiteral("MemTotal: 99999999999999999999999 kB\nMemAvailable: 5 MB\n"),
                                QStringLiteral("MemTotal 5 kB\n:\n::")}) {
        const auto damaged = SystemInfo::ParseMemInfo(text);
        EXPECT_FALSE(damaged.totalKB) << text.toStdString();
        EXPECT_FALSE(damaged.availableKB) << text.toStdString();
        EXPECT_EQ(SystemInfo::MemoryText(damaged.totalKB), QStringLiteral("Unbekannt"));
    }
}

TEST(SystemInfoTest, KernelReleaseGivesTheSystemLine)
{
    const struct
    {
        const char16_t *release;
        const char *expected;
    } cases[] = {
            {u"6.1.0-13-amd64", "Linux: 6.1 (Build 0)"},
            {u"5.15.133.1-microsoft-standard-WSL2", "Linux: 5.15 (Build 133)"},
            {u"4.19", "Linux: 4.19 (Build 0)"},
            {u"6.8.12+rc1", "Linux: 6.8 (Build 12)"},
            {u"", "Linux: 0.0 (Build 0)"},
            {u"abc", "Linux: 0.0 (Build 0)"},
            {u"99999999999.1.2", "Linux: 0.0 (Build 0)"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SystemInfo::SystemText(SystemInfo::ParseKernelRelease(c.release)), QString::fromUtf8(c.expected))
                << QString::fromUtf16(c.release).toStdString();
    }
    // This machine's kernel has at least a major number.
    EXPECT_GT(SystemInfo::ReadKernelVersion().major, 0);
}

TEST(SystemInfoTest, DiskSpaceIsCountedInKilobytesOrSaysThereIsNone)
{
    EXPECT_EQ(SystemInfo::FreeKB(1000, 4096), 4000u);
    EXPECT_EQ(SystemInfo::FreeKB(3, 512), 1u);
    constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
    // Past 64 bits in bytes but not in kilobytes.
    EXPECT_EQ(SystemInfo::FreeKB(kMax / 4, 4096), kMax / 4 * 4);
    EXPECT_FALSE(SystemInfo::FreeKB(kMax, 4096));
    EXPECT_EQ(SystemInfo::DiskText(4000), QStringLiteral("4000 KB Frei"));
    EXPECT_EQ(SystemInfo::DiskText(std::nullopt), QStringLiteral("Kein Platz vorhanden"));
    EXPECT_FALSE(SystemInfo::ReadFreeDiskKB(QStringLiteral("/no/such/folder/anywhere")));
    EXPECT_TRUE(SystemInfo::ReadFreeDiskKB(QStringLiteral("/")));
}

TEST(SystemInfoTest, VersionIsTheProjectsAndTheBuildStampHasDateAndTime)
{
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(ProgramVersion()).hasMatch())
            << ProgramVersion().toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Built: [A-Z][a-z]{2} [ 0-9]\\d \\d{4}; \\d\\d:\\d\\d:\\d\\d$"))
                        .match(BuildStamp())
                        .hasMatch())
            << BuildStamp().toStdString();
}
