#include "TextExportTestSupport.h"

#include "exchange/CsvExport.h"
#include "exchange/ExportBuffer.h"
#include "exchange/ExportedFields.h"
#include "exchange/HtmlExport.h"
#include "exchange/SdfExport.h"

#include <QBuffer>

#include <new>
#include <string>
#include <vector>

using namespace orvel;
using namespace orvel::test;

namespace {

// The word-at-a-time copy must give what a byte-by-byte loop gives, wherever
// the stop bytes sit relative to the eight-byte words.
TEST(StopBytes, CopyAndSearchAgreeWithAByteLoop)
{
    StopBytes::Set quoteTabHigh = StopBytes::bytes({'"', '\t'});
    for (int b = 0x80; b < 0x100; b += 3)
        quoteTabHigh[std::size_t(b)] = true;
    const StopBytes::Set sets[] = {StopBytes::bytes({'"', '\t'}),
                                   StopBytes::bytes({' '}),
                                   quoteTabHigh,
                                   StopBytes::bytes({'&', '<', '>', ';', '"'}),
                                   StopBytes::bytes({0}),
                                   StopBytes::bytes({0xE4, 0x01})};
    const char specials[] = {'"', '\t', ' ', '&', '<', '>', ';', '\0', '\x01', '\x02', '\x80', '\xE4', '\xFF', 'a'};
    for (const StopBytes::Set &set : sets) {
        const StopBytes stops(set);
        // A stop byte shows as [c]; a byte the copy hands over without being
        // a stop byte must come out as it is.
        auto stop = [&](char c, char *out) {
            if (!set[static_cast<unsigned char>(c)]) {
                *out++ = c;
                return out;
            }
            *out++ = '[';
            *out++ = c;
            *out++ = ']';
            return out;
        };
        for (std::size_t length = 0; length <= 20; ++length) {
            for (std::size_t at = 0; at < std::max<std::size_t>(length, 1); ++at) {
                for (const char special : specials) {
                    std::string text(length, 'x');
                    if (length > 0) {
                        text[at] = special;
                        text[length - 1 - (at * 7) % length] = special;
                    }
                    std::string expected;
                    bool found = false;
                    for (const char c : text) {
                        found = found || set[static_cast<unsigned char>(c)];
                        if (set[static_cast<unsigned char>(c)])
                            expected += std::string{'[', c, ']'};
                        else
                            expected += c;
                    }
                    std::vector<char> out(3 * length + StopBytes::kSlack);
                    char *end = stops.copy(out.data(), text, stop);
                    EXPECT_EQ(std::string(out.data(), std::size_t(end - out.data())), expected)
                            << length << " " << at << " " << int(special);
                    EXPECT_EQ(stops.foundIn(text), found) << length << " " << at << " " << int(special);
                }
            }
        }
    }
}

// Text with what each export treats specially, at varying places.
class ExportSplitTest : public TextExportTest
{
protected:
    void FillTable(int records)
    {
        AddField("Name");
        AddField("Betrag", FT_NUMERIC, 2);
        AddField("Datum", FT_DATE, 4);
        AddField("Notiz");
        const char *pieces[] = {"M\xFC"
                                "ller",
                                "\"zitiert\"",
                                "a        \tb",
                                "<b>&amp;</b>",
                                "x;y,z",
                                "Zeile\r\nzwei",
                                "",
                                "Stra\xDF"
                                "e 12345678"};
        for (int i = 0; i < records; ++i) {
            std::string name = std::string(std::size_t(i % 11), 'n') + pieces[i % 8];
            std::string note = pieces[(i / 8) % 8] + std::string(std::size_t(i % 17), ' ') + pieces[(i + 3) % 8];
            std::string number = (i % 5 == 0 ? "-" : "") + std::to_string(i * 37) + "." + std::to_string(i % 10);
            std::string date =
                    i % 9 == 0 ? "" : "1996" + std::string(i % 12 < 9 ? "0" : "") + std::to_string(i % 12 + 1) + "17";
            AddRow({name.c_str(), number.c_str(), date.c_str(), note.c_str()});
        }
    }

    // The file and the progress positions of an export with `parts` threads.
    std::pair<QByteArray, std::vector<int>> Run(const std::function<int(QIODevice &, ProgressBox *, int)> &write,
                                                int parts)
    {
        auto box = scripted.beginProgress(0, 0, 0);
        scripted.clear();
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_EQ(write(buffer, box.get(), parts), 1);
        return {bytes, SeenProgress(scripted).positions};
    }
};

TEST_F(ExportSplitTest, ThreadsWriteTheSameFileAsOne)
{
    // Records to cross the blocks and rounds of the split, and fewer than
    // one block per thread.
    for (const int records : {0, 1, 130, 3073, 7000}) {
        table.Clear();
        FillTable(records);
        const std::function<int(QIODevice &, ProgressBox *, int)> exports[] = {
                [&](QIODevice &out, ProgressBox *box, int parts) {
                    return ExportSdf(table, out, ExchangeCharSet::Dos, box, parts);
                },
                [&](QIODevice &out, ProgressBox *box, int parts) {
                    return ExportSdf(table, out, ExchangeCharSet::Ansi, box, parts);
                },
                [&](QIODevice &out, ProgressBox *box, int parts) {
                    return ExportHtml(table, out, QStringLiteral("a&b.htm"), box, parts);
                },
                [&](QIODevice &out, ProgressBox *box, int parts) {
                    return ExportCsv(table, out, CsvOptions{}, QString(), box, parts);
                },
                [&](QIODevice &out, ProgressBox *box, int parts) {
                    CsvOptions options;
                    options.encoding = CsvEncoding::Windows1252;
                    options.fieldDelimiter = ';';
                    return ExportCsv(table, out, options, QString(), box, parts);
                },
        };
        int kind = 0;
        for (const auto &write : exports) {
            const auto one = Run(write, 1);
            for (const int parts : {2, 3}) {
                const auto split = Run(write, parts);
                EXPECT_TRUE(split.first == one.first) << records << " records, export " << kind << ", " << parts;
                EXPECT_EQ(split.second, one.second) << records << " records, export " << kind << ", " << parts;
            }
            ++kind;
        }
    }
}

TEST_F(ExportSplitTest, AFailedWriteIsReportedFromAnyRound)
{
    FillTable(7000);
    QByteArray whole;
    {
        QBuffer buffer(&whole);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_EQ(ExportSdf(table, buffer, ExchangeCharSet::Ansi, nullptr, 3), 1);
    }
    const qint64 size = whole.size();
    for (const qint64 capacity : {qint64(0), qint64(10), size / 3, size - 1}) {
        CappedDevice full(capacity);
        EXPECT_EQ(ExportSdf(table, full, ExchangeCharSet::Ansi, nullptr, 3), 0) << capacity;
        CappedDevice fullHtml(capacity);
        EXPECT_EQ(ExportHtml(table, fullHtml, QStringLiteral("x.htm"), nullptr, 3), 0) << capacity;
    }
    CappedDevice enough(size);
    EXPECT_EQ(ExportSdf(table, enough, ExchangeCharSet::Ansi, nullptr, 3), 1);
}

// A thread that fails while formatting (out of memory) ends the export with
// that failure; no other thread is left waiting for its block, whether the
// failing block comes first, in the middle or last.
TEST_F(ExportSplitTest, AFailingThreadEndsTheExportWithoutWaiting)
{
    FillTable(7000);
    // Repeated, since where the other threads are when one fails is left to
    // chance (the writing thread among them).
    for (int round = 0; round < 20; ++round) {
        for (const int failing : {0, 3500, 6999}) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            ExportBuffer out(buffer);
            const auto write = [&](ExportBuffer &text, const CDataRecord &record, int) {
                if (&record == table.GetRecord(failing))
                    throw std::bad_alloc();
                text.append(record.GetRawValue(0));
            };
            EXPECT_THROW(WriteRecords(table, out, nullptr, 3, write), std::bad_alloc) << failing;
        }
    }
}

} // namespace
