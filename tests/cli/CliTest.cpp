// orvel-cli from the outside: the real executable on files written by the
// document, and its argument rules.
#include "cli/CliArguments.h"
#include "cli/JsonWriter.h"
#include "document/OrvelDoc.h"
#include "media/MemoStore.h"
#include "platform/Codepage.h"
#include "platform/ScriptedServices.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace orvel;

namespace {

struct CliResult
{
    int status = -1;
    QString out;
    QString err;
};

CliResult RunCli(const QStringList &args)
{
    QProcess process;
    process.start(qEnvironmentVariable("ORVEL_CLI"), args);
    process.waitForFinished(60000);
    CliResult result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// Name (text), Ort (text), Betrag (numeric, 2 decimals), Datum (date).
QString WriteSampleDatabase(const QString &dir)
{
    ScriptedServices scripted;
    ScopedServices scope(&scripted);
    COrvelDoc doc;
    CDataTable &table = doc.GetTable();
    const char *names[] = {"Name", "Ort", "Betrag", "Datum"};
    const int types[] = {FT_TEXT, FT_TEXT, FT_NUMERIC, FT_DATE};
    for (int i = 0; i < 4; ++i) {
        const int pos = table.InsertField(names[i]);
        table.SetFieldType(types[i], pos);
    }
    table.SetFieldFormat(2, 2);
    table.SetFieldFormat(2, 3);
    const char *rows[][4] = {
            {"Meier", "Bonn", "1000", "19961224"},  {"M\xFCller", "K\xF6ln", "9", "19970101"},
            {"Meier", "Bonn", "12.5", ""},          {"Abel", "Tab\there", "10", "20260105"},
            {"Meier", "K\xF6ln", "-3", "19961224"},
    };
    for (const auto &row : rows) {
        auto record = table.CreateRecord(false);
        record->SetModificationTime(851385600);
        for (int pos = 0; pos < 4; ++pos)
            record->SetRawValue(row[pos], pos);
        table.AddRecord(std::move(record));
    }
    const QString path = dir + "/Adressen.ovd";
    EXPECT_TRUE(doc.Save(path, 1, true));
    return path;
}

} // namespace

TEST(CliArguments, WrongUsageIsRefusedBeforeAnyFileIsRead)
{
    QString error;
    EXPECT_FALSE(cli::ParseCliArguments({"frobnicate", "a.ovd"}, error));
    EXPECT_FALSE(cli::ParseCliArguments({"sort", "a.ovd", "b.ovd"}, error)); // no key
    EXPECT_FALSE(cli::ParseCliArguments({"sort", "a.ovd", "b.ovd", "--key", "x"}, error));
    EXPECT_FALSE(
            cli::ParseCliArguments({"sort", "a", "b", "--key", "1", "--key", "2", "--key", "3", "--key", "4"}, error));
    EXPECT_FALSE(cli::ParseCliArguments({"find", "a.ovd", "--field", "0"}, error)); // no text
    EXPECT_FALSE(cli::ParseCliArguments({"find", "a.ovd", "--field", "0", "--text", "x", "--link", "and"}, error));
    EXPECT_FALSE(cli::ParseCliArguments({"replace", "a", "b", "--field", "0", "--text", "x"}, error)); // no --with
    EXPECT_FALSE(cli::ParseCliArguments({"duplicates", "a", "--fields", "0,x"}, error));
    EXPECT_FALSE(cli::ParseCliArguments({"convert", "a"}, error));
    EXPECT_FALSE(cli::ParseCliArguments({"dump", "a", "--charset", "ebcdic"}, error));

    const auto sort = cli::ParseCliArguments({"sort", "a", "b", "--key", "2:desc", "--key", "0"}, error);
    ASSERT_TRUE(sort);
    ASSERT_EQ(sort->keys.size(), 2u);
    EXPECT_EQ(sort->keys[0].field, 2);
    EXPECT_TRUE(sort->keys[0].descending);
    EXPECT_FALSE(sort->keys[1].descending);
    const auto dup = cli::ParseCliArguments({"duplicates", "a", "--fields", "0,1", "--relative-paths", "1"}, error);
    ASSERT_TRUE(dup);
    EXPECT_EQ(dup->duplicateFields, (std::vector<int>{0, 1}));
    EXPECT_EQ(dup->relativePaths, true);
    EXPECT_FALSE(dup->fuzzy);

    // --phonetic compares by sound, which builds on the folded spelling.
    const auto fuzzy = cli::ParseCliArguments({"duplicates", "a", "--fields", "0", "--fuzzy"}, error);
    ASSERT_TRUE(fuzzy);
    EXPECT_TRUE(fuzzy->fuzzy);
    EXPECT_FALSE(fuzzy->phonetic);
    const auto sound = cli::ParseCliArguments({"duplicates", "a", "--fields", "0", "--phonetic"}, error);
    ASSERT_TRUE(sound);
    EXPECT_TRUE(sound->fuzzy && sound->phonetic);
    EXPECT_FALSE(cli::ParseCliArguments({"find", "a", "--field", "0", "--text", "x", "--fuzzy"}, error));
}

TEST(CliJson, StringsAreEscapedAsJsonRequires)
{
    std::string out;
    cli::JsonWriter::AppendEscaped(out, "a\"b\\c\n\t\x01\x1f\xc3\xa4");
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\n\\t\\u0001\\u001f\xc3\xa4\"");
}

class CliRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = test::MakeScratchDir();
        m_db = WriteSampleDatabase(m_dir);
    }
    QString m_dir;
    QString m_db;
};

TEST_F(CliRun, DumpGivesTheFileAsJson)
{
    const CliResult r = RunCli({"dump", m_db});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(root["format"].toString(), "ovd");
    EXPECT_EQ(root["version"].toInt(), 1376);
    const QJsonArray fields = root["fields"].toArray();
    ASSERT_EQ(fields.size(), 4);
    EXPECT_EQ(fields[2].toObject()["type"].toInt(), 1);
    EXPECT_EQ(fields[0].toObject()["print"].toBool(), true);
    const QJsonArray records = root["records"].toArray();
    ASSERT_EQ(records.size(), 5);
    EXPECT_EQ(records[1].toObject()["values"].toArray()[0].toString(), QString::fromUtf8("Müller"));
    EXPECT_EQ(records[0].toObject()["modified"].toInt(), 851385600);
    EXPECT_EQ(root["page"].toObject()["size"].toInt(), 9);
    EXPECT_EQ(root["form"].toObject()["background"].toInt(), 0xC0C0C0);

    const CliResult shown = RunCli({"dump", m_db, "--display"});
    const QJsonArray first =
            QJsonDocument::fromJson(shown.out.toUtf8()).object()["records"].toArray()[0].toObject()["values"].toArray();
    EXPECT_EQ(first[2].toString(), "1.000,00");
    EXPECT_EQ(first[3].toString(), "24.12.1996");
}

TEST(CliMemos, DumpWithMemosShowsTheTextsAfterSaveAsAndReopening)
{
    ScriptedServices scripted;
    ScopedServices scope(&scripted);
    const QString dir = test::MakeScratchDir();
    COrvelDoc doc;
    const int title = doc.GetTable().InsertField("Titel");
    const int lyrics = doc.GetTable().InsertField("Liedtext");
    doc.GetTable().SetFieldType(FT_MEMO, lyrics);
    AnsiString longText;
    while (longText.size() < 40000)
        longText += "Stra\xDF"
                    "e und Gr\xFC\xDF"
                    "e\r\n";
    for (const AnsiString &text : {longText, AnsiString()}) {
        auto record = doc.GetTable().CreateRecord(false);
        record->SetRawValue(text.empty() ? "" : WriteMemo(doc.GetWorkingStorePath(), "", text), lyrics);
        record->SetRawValue("Lied", title);
        doc.GetTable().AddRecord(std::move(record));
    }
    const QString file = dir + "/Lieder.ovd";
    ASSERT_TRUE(doc.Save(file, 1, true));

    const CliResult plain = RunCli({"dump", file});
    EXPECT_EQ(QJsonDocument::fromJson(plain.out.toUtf8())
                      .object()["records"]
                      .toArray()[0]
                      .toObject()["values"]
                      .toArray()[1]
                      .toString(),
              "10");
    const CliResult r = RunCli({"dump", file, "--memos"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray records = QJsonDocument::fromJson(r.out.toUtf8()).object()["records"].toArray();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].toObject()["values"].toArray()[1].toString(), AnsiToQString(longText));
    EXPECT_EQ(records[1].toObject()["values"].toArray()[1].toString(), QString());
    EXPECT_EQ(records[0].toObject()["values"].toArray()[0].toString(), "Lied");
}

TEST_F(CliRun, SortFindReplaceAndDuplicatesWorkOnTheFile)
{
    const QString sorted = m_dir + "/sortiert.ovd";
    CliResult r = RunCli({"sort", m_db, sorted, "--key", "2"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    r = RunCli({"find", sorted, "--field", "0", "--text", "ei"});
    EXPECT_EQ(r.out, "0\tMeier\n3\tMeier\n4\tMeier\n"); // -3, 9, 10, 12.5, 1000

    r = RunCli({"find", m_db, "--field", "1", "--text", "here"});
    EXPECT_EQ(r.out, "3\tTab here\n"); // tabs in values come out as blanks

    r = RunCli({"find", m_db, "--field", "0", "--text", "zzz"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith("312: ")) << r.err.toStdString();

    r = RunCli({"find", m_db, "--field", "0", "--text", "meier", "--link", "and", "--field2", "1", "--text2",
                QString::fromUtf8("Köln")});
    EXPECT_EQ(r.out, "4\tMeier\n");

    const QString replaced = m_dir + "/ersetzt.ovd";
    r = RunCli({"replace", m_db, replaced, "--field", "1", "--text", "Bonn", "--with", "Berlin"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith("325: ")) << r.err.toStdString();
    r = RunCli({"find", replaced, "--field", "1", "--text", "Berlin"});
    EXPECT_EQ(r.out, "0\tBerlin\n2\tBerlin\n");

    r = RunCli({"duplicates", m_db, "--fields", "0,1"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "2\tMeier\n"); // Abel, Meier/Bonn, Meier/Bonn (marked), Meier/Köln, Müller

    // By sound "Bonn" and "Köln" still differ; every Meier beyond the first
    // is one when only the name counts.
    r = RunCli({"duplicates", m_db, "--fields", "0", "--phonetic"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "2\tMeier\n3\tMeier\n");
    r = RunCli({"duplicates", m_db, "--fields", "0,1", "--fuzzy"});
    EXPECT_EQ(r.out, "2\tMeier\n");
}

TEST_F(CliRun, WrongUsageAndFailuresHaveTheirExitStatus)
{
    EXPECT_EQ(RunCli({"find", m_db, "--field", "9", "--text", "x"}).status, 2);
    EXPECT_EQ(RunCli({"sort", m_db, m_dir + "/x.ovd", "--key", "0", "--key", "0"}).status, 2);
    EXPECT_EQ(RunCli({"bogus"}).status, 2);

    const CliResult missing = RunCli({"dump", m_dir + "/fehlt.ovd"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.startsWith("526: ")) << missing.err.toStdString(); // "nicht gefunden"

    QFile garbage(m_dir + "/kaputt.ovd");
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("ORVEL0\x1a\x00garbage", 15);
    garbage.close();
    const CliResult damaged = RunCli({"dump", garbage.fileName()});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.out.isEmpty());
}

TEST_F(CliRun, ConvertWritesACopyThatReadsBackTheSame)
{
    const QString copy = m_dir + "/Kopie.OVD";
    ASSERT_EQ(RunCli({"convert", m_db, copy}).status, 0);
    EXPECT_EQ(RunCli({"dump", copy}).out, RunCli({"dump", m_db}).out);
}

TEST_F(CliRun, ExchangeFormatsAreWrittenAndReadBack)
{
    // dBASE keeps types and stored values; its names are the dBASE names.
    const QString dbf = m_dir + "/Adressen.dbf";
    ASSERT_EQ(RunCli({"convert", m_db, dbf, "--charset", "dos"}).status, 0);
    const CliResult fromDbase = RunCli({"find", dbf, "--field", "1", "--text", "K\u00f6ln", "--charset", "dos"});
    EXPECT_EQ(fromDbase.status, 0);
    EXPECT_EQ(fromDbase.out, QStringLiteral("1\tK\u00f6ln\n4\tK\u00f6ln\n"));

    // SDF carries display values as text fields "1.", "2.", ...
    const QString sdf = m_dir + "/Adressen.sdf";
    ASSERT_EQ(RunCli({"convert", m_db, sdf, "--charset", "ansi", "--field-delimiter", "59"}).status, 0);
    const CliResult sorted = RunCli(
            {"sort", sdf, m_dir + "/Sortiert.ovd", "--key", "0:desc", "--charset", "ansi", "--field-delimiter", "59"});
    EXPECT_EQ(sorted.status, 0);
    const CliResult dump = RunCli({"dump", m_dir + "/Sortiert.ovd"});
    EXPECT_TRUE(dump.out.contains(QStringLiteral("\"1.\""))) << dump.out.toStdString();
    EXPECT_TRUE(dump.out.contains(QStringLiteral("1.000,00"))) << dump.out.toStdString();

    // The exports write their files and leave nothing else behind.
    ASSERT_EQ(RunCli({"convert", m_db, m_dir + "/Adressen.htm"}).status, 0);
    ASSERT_EQ(RunCli({"convert", m_db, m_dir + "/Adressen.txt"}).status, 0);
    QFile merge(m_dir + "/Adressen.txt");
    ASSERT_TRUE(merge.open(QIODevice::ReadOnly));
    EXPECT_EQ(merge.readLine(), QByteArray("Name;Ort;Betrag;Datum\r\n"));
    EXPECT_FALSE(QFile::exists(m_dir + "/Adressen.dbo.tmp"));
}
