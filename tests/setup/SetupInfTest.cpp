// Reading SETUP.INF: the sections, their limits, the file lines and the
// placeholders.
#include "setup/SetupInf.h"

#include <gtest/gtest.h>

namespace orvel::setup {
namespace {

// A description with every section, comments, a shortcut list that ends at
// an empty name, and a trailing line after the last "##".
const char kGood[] =
        "VERSION 1.2.3.4\n"
        "Orvel 97\n"
        "Orvel97\n"
        "ignored header line\n"
        "##\n"
        "; the labels\n"
        "Orvel 97 - Diskette 1\n"
        "Orvel 97 - Diskette 2\n"
        "##\n"
        "1:ORVEL.EX_, ORVEL.EXE , orvel, 1000, p\n"
        "; a comment in the files\n"
        " 2:shared.dat,shared.dat,shared.dat,20,x\n"
        "02:ctl.so,lib\\ctl.so,control.so,30,o\n"
        "##\n"
        "%s\\orvel -n\n"
        "Orvel 97\n"
        "%s\\readme.txt\n"
        "\n"
        "%s\\never\n"
        "Never\n"
        "##\n"
        "REGEDIT4\n"
        "path=&file00;\n"
        "##\n"
        "HKCU,Software\\KWZ\\Orvel 97\\Settings,StandardView,d,1\n"
        "HKLM,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvel97,DisplayName,s,Orvel 97, the database\n"
        "HKCR,.ovd,,s,Orvel.Document\n"
        "##\n"
        "after the end\n";

TEST(SetupInfTest, ReadsEverySection)
{
    SetupInf inf;
    QString reason;
    ASSERT_TRUE(ParseSetupInf(QByteArray(kGood), &inf, &reason)) << reason.toStdString();
    EXPECT_EQ(inf.version.toString(), QStringLiteral("1.2.3.4"));
    EXPECT_EQ(inf.programName, QStringLiteral("Orvel 97"));
    EXPECT_EQ(inf.defaultFolder, QStringLiteral("Orvel97"));
    EXPECT_EQ(inf.diskLabels,
              (QStringList{QStringLiteral("Orvel 97 - Diskette 1"), QStringLiteral("Orvel 97 - Diskette 2")}));
    ASSERT_EQ(inf.files.size(), 3);
    EXPECT_EQ(inf.files[0].disk, 1);
    EXPECT_EQ(inf.files[0].source, QStringLiteral("ORVEL.EX_"));
    EXPECT_EQ(inf.files[0].destination, QStringLiteral("ORVEL.EXE"));
    EXPECT_EQ(inf.files[0].finalName, QStringLiteral("orvel"));
    EXPECT_EQ(inf.files[0].size, 1000);
    EXPECT_EQ(inf.files[0].kind, FileKind::Program);
    EXPECT_EQ(inf.files[1].disk, 2);
    EXPECT_EQ(inf.files[1].kind, FileKind::Shared);
    EXPECT_EQ(inf.files[2].destination, QStringLiteral("lib/ctl.so"));
    EXPECT_EQ(inf.files[2].kind, FileKind::Control);
    ASSERT_EQ(inf.shortcuts.size(), 1);
    EXPECT_EQ(inf.shortcuts[0].targetFormat, QStringLiteral("%s\\orvel"));
    EXPECT_EQ(inf.shortcuts[0].arguments, QStringLiteral("-n"));
    EXPECT_EQ(inf.regFileLines.size(), 2);
    ASSERT_EQ(inf.registryLines.size(), 3);
    EXPECT_EQ(inf.registryLines[0].root, RegistryRoot::CurrentUser);
    EXPECT_TRUE(inf.registryLines[0].isNumber);
    EXPECT_EQ(inf.registryLines[1].root, RegistryRoot::LocalMachine);
    EXPECT_EQ(inf.registryLines[1].data, QStringLiteral("Orvel 97, the database"));
    EXPECT_EQ(inf.registryLines[2].root, RegistryRoot::ClassesRoot);
    EXPECT_TRUE(inf.registryLines[2].valueName.isEmpty());
}

TEST(SetupInfTest, VersionLineIsOptional)
{
    QByteArray text(kGood);
    for (const char *line : {"", "not used", "VERSION 1.2.3", "VERSION 1.2.3.70000"}) {
        QByteArray copy = text;
        copy.replace("VERSION 1.2.3.4", line);
        SetupInf inf;
        ASSERT_TRUE(ParseSetupInf(copy, &inf, nullptr)) << line;
        EXPECT_EQ(inf.version.toString(), QStringLiteral("0.0.0.0")) << line;
    }
}

QByteArray repeatLines(const QByteArray &line, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += line + '\n';
    return out;
}

TEST(SetupInfTest, LimitsAndDamage)
{
    const QByteArray good(kGood);
    struct Case
    {
        const char *name;
        QByteArray text;
        bool valid;
    };
    auto with = [&](const char *from, const QByteArray &to) {
        QByteArray copy = good;
        copy.replace(from, to);
        return copy;
    };
    const QByteArray twoDisks = "Orvel 97 - Diskette 1\nOrvel 97 - Diskette 2\n";
    const Case cases[] = {
            {"line of 260 bytes", with("ignored header line", QByteArray(260, 'a')), true},
            {"line of 261 bytes", with("ignored header line", QByteArray(261, 'a')), false},
            {"carriage returns", QByteArray(good).replace("\n", "\r\n"), true},
            {"8 disk labels", with(twoDisks.constData(), repeatLines("label", 8)), true},
            {"9 disk labels", with(twoDisks.constData(), repeatLines("label", 9)), false},
            {"64 files", with("; a comment in the files\n", repeatLines("1:a,b,c,1,p", 61)), true},
            {"65 files", with("; a comment in the files\n", repeatLines("1:a,b,c,1,p", 62)), false},
            {"80 registry lines", with("HKCR,.ovd,,s,Orvel.Document\n", repeatLines("HKCU,Software\\A\\B,v,s,x", 78)),
             true},
            {"81 registry lines", with("HKCR,.ovd,,s,Orvel.Document\n", repeatLines("HKCU,Software\\A\\B,v,s,x", 79)),
             false},
            {"81 reg-file lines", with("REGEDIT4\n", repeatLines("x", 80)), false},
            {"65 shortcut pairs", with("%s\\readme.txt\n", repeatLines("%s\\x\nX", 64)), false},
            {"comments do not count", with("; the labels\n", repeatLines("; comment", 20)), true},
            {"missing final ##", good.left(good.indexOf("##\nafter")), false},
            {"header without ##", QByteArray("VERSION 1.0.0.0\nname\nfolder\n"), false},
            {"header too short", with("Orvel 97\nOrvel97\nignored header line\n", "Orvel 97\n"), false},
            {"file line without colon", with(" 2:shared.dat", " 2 shared.dat"), false},
            {"disk 0", with(" 2:shared.dat", " 0:shared.dat"), false},
            {"disk beyond the labels", with(" 2:shared.dat", " 3:shared.dat"), false},
            {"three-digit disk", with(" 2:shared.dat", "002:shared.dat"), false},
            {"missing field", with(",20,x", ",20"), false},
            {"empty kind", with(",20,x", ",20, "), false},
            {"size not a number", with(",20,x", ",2O,x"), false},
            {"destination climbs out", with("lib\\ctl.so", "..\\..\\etc\\ctl.so"), false},
            {"destination climbs inside", with("lib\\ctl.so", "lib\\..\\..\\ctl.so"), false},
            {"absolute destination", with("lib\\ctl.so", "\\etc\\ctl.so"), false},
            {"drive destination", with("lib\\ctl.so", "C:\\ctl.so"), false},
            {"source climbs out", with("ctl.so,lib", "..\\ctl.so,lib"), false},
            {"final name with a folder", with("control.so", "lib/control.so"), false},
            {"program name with a slash", with("Orvel 97\nOrvel97", "Orvel/97\nOrvel97"), false},
            {"folder name ..", with("Orvel 97\nOrvel97", "Orvel 97\n.."), false},
            {"three %s in a shortcut", with("%s\\orvel -n", "%s%s%s\\orvel"), false},
            {"shortcut name with a slash", with("\nOrvel 97\n%s", "\n../Orvel\n%s"), false},
            {"registry line without data", with("HKCR,.ovd,,s,Orvel.Document", "HKCR,.ovd,,s"), false},
            {"registry key climbs", with("HKCR,.ovd,", "HKCR,..\\x,"), false},
            {"number that is no number", with("StandardView,d,1", "StandardView,d,one"), false},
            {"number beyond 32 bits", with("StandardView,d,1", "StandardView,d,4294967296"), false},
            {"placeholder names no file", with("path=&file00;", "path=&file03;"), false},
            {"placeholder without digits", with("path=&file00;", "path=&filexx;"), false},
            {"NUL byte",
             with("Orvel97\n", QByteArray("Orvel\0"
                                          "97\n",
                                          9)),
             false},
            {"empty file", QByteArray(), false},
    };
    for (const Case &c : cases) {
        SetupInf inf;
        QString reason;
        EXPECT_EQ(ParseSetupInf(c.text, &inf, &reason), c.valid) << c.name << ": " << reason.toStdString();
    }
}

TEST(SetupInfTest, Placeholders)
{
    const QStringList paths{QStringLiteral("/opt/A/orvel"), QStringLiteral("/opt/A/&dest-in-a-name")};
    struct Case
    {
        const char *line;
        const char *expected;
    };
    const Case cases[] = {
            {"x=&file00;", "x=/opt/A/orvel"},
            {"&file01, &dest\\Setup.log", "/opt/A/&dest-in-a-name /opt/ASetup.log"},
            {"&windir/UninsKWZ /uninstall &dest/Setup.log", "/lib/KUninsKWZ /uninstall /opt/ASetup.log"},
            {"&dest//Setup.log", "/opt/A/Setup.log"},
            {"&dest &dest", "/opt/A&dest"},
            {"&file00x&file00y", "/opt/A/orvel&file00y"},
            {"no placeholder", "no placeholder"},
            {"ends in &dest", "ends in /opt/A"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SubstitutePlaceholders(QString::fromUtf8(c.line), paths, QStringLiteral("/opt/A"),
                                         QStringLiteral("/lib/K")),
                  QString::fromUtf8(c.expected))
                << c.line;
}

} // namespace
} // namespace orvel::setup
