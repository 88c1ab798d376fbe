// Link values: the four parts, the caption on the button, and what is
// carried out when the button is pressed.
#include "media/LinkValue.h"
#include "media/LinkAction.h"
#include "platform/Codepage.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <set>

using namespace orvel;

namespace {

struct ParseCase
{
    const char *value;
    const char *caption;
    const char *file;
    const char *parameters;
    const char *action;
    int separators;
    const char *dialogAction;
};

TEST(LinkValue, SplitsAtTheFirstThreeCommas)
{
    const ParseCase cases[] = {
            {"", "", "", "", "", 0, ""},
            {"Nur Text", "Nur Text", "", "", "", 0, ""},
            {"Brief,brief.txt", "Brief", "brief.txt", "", "", 1, ""},
            {"Brief,brief.txt,", "Brief", "brief.txt", "", "", 2, "open"},
            {"Brief,brief.txt,,", "Brief", "brief.txt", "", "", 3, "open"},
            {"Rechner,calc,-x,print", "Rechner", "calc", "-x", "print", 3, "print"},
            // The action is the rest, commas and all.
            {"A,b,c,d,e", "A", "b", "c", "d,e", 3, "d,e"},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.value);
        const LinkValue link = LinkValue::Parse(c.value);
        EXPECT_EQ(link.caption, c.caption);
        EXPECT_EQ(link.file, c.file);
        EXPECT_EQ(link.parameters, c.parameters);
        EXPECT_EQ(link.action, c.action);
        EXPECT_EQ(link.separators, c.separators);
        EXPECT_EQ(link.IsComplete(), c.separators == 3);
        EXPECT_EQ(link.DialogAction(), c.dialogAction);
    }
    EXPECT_EQ(LinkValue::Parse("A,b,,").EffectiveAction(), "open");
}

TEST(LinkValue, TheButtonShowsWhatStandsBeforeTheFirstComma)
{
    EXPECT_EQ(LinkCaption("Verein,https://verein.example,,"), "Verein");
    EXPECT_EQ(LinkCaption("https://bernd.example"), "https://bernd.example");
    EXPECT_EQ(LinkCaption(",datei.txt,,"), "");
    EXPECT_EQ(LinkCaption(""), "");
}

// A file system of names only.
class FakeFiles : public LinkFileSystem
{
public:
    std::set<QString> files;
    std::set<QString> folders;
    std::set<QString> executables;

    bool Exists(const QString &path) const override
    {
        return files.count(path) || folders.count(path) || executables.count(path);
    }
    bool IsFolder(const QString &path) const override { return folders.count(path) != 0; }
    bool IsExecutable(const QString &path) const override { return executables.count(path) != 0; }
};

struct PlanCase
{
    const char *value;
    LinkStep step;
    const char *target;
};

TEST(LinkPlan, DecidesWhatALinkComesTo)
{
    FakeFiles files;
    files.files = {QStringLiteral("/daten/brief.txt"),   QStringLiteral("/daten/briefe/mai.txt"),
                   QStringLiteral("/home/anna/x.pdf"),   QStringLiteral("/daten/start.sh"),
                   QStringLiteral("/daten/app.desktop"), QStringLiteral("/daten/a;b $(touch x) & `id`.txt")};
    files.folders = {QStringLiteral("/daten/fotos")};
    files.executables = {QStringLiteral("/usr/bin/werkzeug")};
    const PlanCase cases[] = {
            // Nothing to carry out: the link dialog.
            {"", LinkStep::EditLink, ""},
            {"Nur Beschriftung", LinkStep::EditLink, ""},
            {"Brief,brief.txt", LinkStep::EditLink, ""},
            {"Brief,brief.txt,", LinkStep::EditLink, ""},
            {"Leer,,,", LinkStep::EditLink, ""},
            // Documents beside the database, with either separator.
            {"Brief,brief.txt,,", LinkStep::OpenFile, "/daten/brief.txt"},
            {"Brief,briefe\\mai.txt,,", LinkStep::OpenFile, "/daten/briefe/mai.txt"},
            {"Brief,./briefe/../brief.txt,,open", LinkStep::OpenFile, "/daten/brief.txt"},
            {"PDF,/home/anna/x.pdf,,open", LinkStep::OpenFile, "/home/anna/x.pdf"},
            {"Drucken,brief.txt,,print", LinkStep::OpenFile, "/daten/brief.txt"},
            {"Datei,file:///daten/brief.txt,,", LinkStep::OpenFile, "/daten/brief.txt"},
            {"Fotos,fotos,,", LinkStep::OpenFile, "/daten/fotos"},
            {"Ordner,brief.txt,,explore", LinkStep::OpenFile, "/daten"},
            {"Ordner,/usr/bin/werkzeug,,Explore", LinkStep::OpenFile, "/usr/bin"},
            {"Sonderzeichen,a;b $(touch x) & `id`.txt,,", LinkStep::OpenFile, "/daten/a;b $(touch x) & `id`.txt"},
            // Files that are not there are reported.
            {"Fehlt,weg.txt,,", LinkStep::FileMissing, "/daten/weg.txt"},
            {"Windows,C:\\Briefe\\x.doc,,", LinkStep::FileMissing, "C:\\Briefe\\x.doc"},
            // Addresses.
            {"Web,https://www.example.org/,,", LinkStep::OpenUrl, "https://www.example.org/"},
            {"Web,www.example.org,,", LinkStep::OpenUrl, "http://www.example.org"},
            {"Post,mailto:anna@example.org,,", LinkStep::OpenUrl, "mailto:anna@example.org"},
            {"Anruf,tel:+49761123,,", LinkStep::OpenUrl, "tel:+49761123"},
            {"Spiel,steam://run/1,,", LinkStep::ConfirmOpenUrl, "steam://run/1"},
            // What runs code is asked about.
            {"Werkzeug,/usr/bin/werkzeug,,", LinkStep::ConfirmStartProgram, "/usr/bin/werkzeug"},
            {"Skript,start.sh,,", LinkStep::ConfirmOpenFile, "/daten/start.sh"},
            {"Starter,app.desktop,,open", LinkStep::ConfirmOpenFile, "/daten/app.desktop"},
    };
    for (const PlanCase &c : cases) {
        SCOPED_TRACE(c.value);
        const LinkPlan plan = PlanLinkOpen(c.value, QStringLiteral("/daten/adressen.ovd"), files);
        EXPECT_EQ(int(plan.step), int(c.step));
        EXPECT_EQ(plan.target, QString::fromUtf8(c.target));
    }
}

TEST(LinkPlan, AProgramGetsItsParametersAsSeparateArgumentsWithoutAShell)
{
    FakeFiles files;
    files.executables = {QStringLiteral("/usr/bin/werkzeug")};
    const LinkPlan plan = PlanLinkOpen("W,/usr/bin/werkzeug,-a \"zwei Worte\" $HOME;ls `id` \"|x\",",
                                       QStringLiteral("/daten/adressen.ovd"), files);
    ASSERT_EQ(int(plan.step), int(LinkStep::ConfirmStartProgram));
    EXPECT_EQ(plan.arguments, (QStringList{QStringLiteral("-a"), QStringLiteral("zwei Worte"),
                                           QStringLiteral("$HOME;ls"), QStringLiteral("`id`"), QStringLiteral("|x")}));
    EXPECT_EQ(plan.workingFolder, QStringLiteral("/daten"));
    // A database never saved starts it in the program's own folder.
    EXPECT_EQ(PlanLinkOpen("W,/usr/bin/werkzeug,,", QString(), files).workingFolder, QStringLiteral("/usr/bin"));
}

TEST(LinkPlan, ARelativeNameOfADatabaseNeverSavedIsNotFound)
{
    FakeFiles files;
    files.files = {QStringLiteral("brief.txt")};
    EXPECT_EQ(int(PlanLinkOpen("Brief,brief.txt,,", QString(), files).step), int(LinkStep::FileMissing));
}

TEST(LinkPlan, TheRealFileSystemTellsProgramsFromDocuments)
{
    const QString dir = orvel::test::MakeScratchDir();
    const QString program = dir + QStringLiteral("/werkzeug");
    const QString document = dir + QStringLiteral("/brief.txt");
    for (const QString &path : {program, document}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
    }
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(document, QFile::ReadOwner | QFile::WriteOwner);
    const QString database = dir + QStringLiteral("/adressen.ovd");
    EXPECT_EQ(int(PlanLinkOpen("W,werkzeug,,", database).step), int(LinkStep::ConfirmStartProgram));
    EXPECT_EQ(int(PlanLinkOpen("B,brief.txt,,", database).step), int(LinkStep::OpenFile));
    EXPECT_EQ(int(PlanLinkOpen("O,.,,", database).step), int(LinkStep::OpenFile));

    // The file dialog starts where the named file lies, else beside the
    // database.
    EXPECT_EQ(LinkBrowseFolder(QStringLiteral("brief.txt"), database), dir);
    EXPECT_EQ(LinkBrowseFolder(QStringLiteral("/nirgends/x.txt"), database), dir);
    EXPECT_EQ(LinkBrowseFolder(QStringLiteral("https://example.org"), database), dir);
    EXPECT_EQ(LinkBrowseFolder(QString(), QString()), QString());
}

} // namespace
