// orvel-cli and CSV files: the delimiter, encoding and byte-order-mark
// options, and a conversion there and back.
#include "cli/CliArguments.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

using namespace orvel;

namespace {

struct CsvCliRun
{
    int status = -1;
    QString out;
};

CsvCliRun RunCli(const QStringList &args)
{
    QProcess process;
    process.start(qEnvironmentVariable("ORVEL_CLI"), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput())};
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(CliCsvArguments, DelimiterEncodingAndMarkAreChecked)
{
    QString error;
    const auto parsed = cli::ParseCliArguments(
            {"convert", "a.csv", "b.ovd", "--field-delimiter", "0", "--encoding", "cp1252", "--bom", "0"}, error);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->fieldDelimiter, 0);
    EXPECT_EQ(parsed->csvEncoding, 1);
    EXPECT_EQ(parsed->csvBom, false);
    EXPECT_EQ(cli::ParseCliArguments({"dump", "a.csv", "--encoding", "UTF-8"}, error)->csvEncoding, 0);
    EXPECT_FALSE(cli::ParseCliArguments({"dump", "a.csv", "--encoding", "latin1"}, error));
    EXPECT_FALSE(cli::ParseCliArguments({"dump", "a.csv", "--bom", "2"}, error));
    EXPECT_FALSE(cli::ParseCliArguments({"dump", "a.csv", "--field-delimiter", "256"}, error));
}

TEST(CliCsv, ConvertsThereAndBackWithTheOptions)
{
    const QString dir = test::MakeScratchDir();
    const QString csv = dir + "/Liste.csv";
    {
        QFile file(csv);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Name|Betrag|Notiz\nM\xFCller|1.5|\"zwei\nZeilen\"\n");
    }
    // Windows-1252 with "|": only the options read it right.
    ASSERT_EQ(RunCli({"convert", csv, dir + "/Liste.ovd", "--field-delimiter", "124", "--encoding", "cp1252"}).status,
              0);
    const CsvCliRun dump = RunCli({"dump", dir + "/Liste.ovd"});
    EXPECT_TRUE(dump.out.contains(QStringLiteral("M\u00fcller"))) << dump.out.toStdString();
    EXPECT_TRUE(dump.out.contains(QStringLiteral("zwei\\nZeilen"))) << dump.out.toStdString();

    ASSERT_EQ(RunCli({"convert", dir + "/Liste.ovd", dir + "/Tab.csv", "--field-delimiter", "9", "--bom", "0"}).status,
              0);
    EXPECT_EQ(ReadAll(dir + "/Tab.csv"), QByteArray("Name\tBetrag\tNotiz\r\nM\xC3\xBCller\t1.5\t\"zwei\nZeilen\"\r\n"));
    ASSERT_EQ(RunCli({"convert", dir + "/Liste.ovd", dir + "/Standard.csv", "--locale", "de_DE"}).status, 0);
    EXPECT_TRUE(ReadAll(dir + "/Standard.csv").startsWith("\xEF\xBB\xBFName;Betrag;Notiz\r\n"));
}
