// The pages of a printed table: columns split over column pages, rows over
// row pages, numbers, header and footer texts, and settings from a file
// that no printer could honour.
#include "print/TablePrintLayout.h"
#include "platform/TextMeasure.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>

using namespace orvel;

namespace {

// Every character 10 units wide; lines of 20 + 6.
class FixedMeasure final : public TextMeasure
{
public:
    int Height() const override { return 20; }
    int Descent() const override { return 4; }
    int ExternalLeading() const override { return 0; }
    int AverageCharWidth() const override { return 6; }
    int TextWidth(AnsiView text) const override { return 10 * int(text.size()); }
};

// A printer of 1000 × 1400 units on 100 × 140 mm, at 254 dots per inch,
// without borders unless a test gives it some.
PrinterMetrics Printer()
{
    PrinterMetrics p;
    p.logPixelsX = p.logPixelsY = 254;
    p.horzRes = 1000;
    p.vertRes = 1400;
    p.horzSizeMm = 100;
    p.vertSizeMm = 140;
    p.physicalWidth = 1000;
    p.physicalHeight = 1400;
    return p;
}

std::unique_ptr<CDataTable> Table(int fields, int records, int valueLength = 3)
{
    auto table = std::make_unique<CDataTable>();
    for (int f = 0; f < fields; ++f)
        table->InsertField("F" + std::to_string(f));
    for (int r = 0; r < records; ++r) {
        auto record = table->CreateRecord(false);
        for (int f = 0; f < fields; ++f)
            record->SetRawValue(AnsiString(std::size_t(valueLength), char('a' + f)), f);
        table->AddRecord(std::move(record));
    }
    return table;
}

// Plain settings: no header, footer, numbers or lines unless a test sets them.
PageSettings Plain()
{
    PageSettings settings;
    settings.printFieldNames = 0;
    settings.numberRecords = 0;
    settings.lineStyle = PageSettings::NoLine;
    return settings;
}

QStringList TextsOf(const PrintedPage &page)
{
    QStringList texts;
    for (const PrintedPage::Text &text : page.texts)
        texts << text.text;
    return texts;
}

TEST(TablePrintLayoutTest, WideTablesSplitIntoColumnPagesInTheirOrder)
{
    const FixedMeasure measure;
    // Three fields of 500 units each (48 characters and two blanks): 1.5
    // printable widths.
    const auto table = Table(3, 120, 48);
    const TablePrintLayout layout(*table, Plain(), Printer(), measure, {});
    ASSERT_EQ(layout.ColumnPages(), (std::vector<uint32_t>{0b011, 0b100}));
    EXPECT_EQ(layout.RowsPerPage(), 1400 / 26);
    const int rowPages = (120 + layout.RowsPerPage() - 1) / layout.RowsPerPage();
    EXPECT_EQ(layout.PageCount(), 2 * rowPages);
    // Page 2: the second column page of the first records; page 3: the
    // first column page of the next ones.
    EXPECT_TRUE(TextsOf(layout.Page(2)).startsWith(QString(48, u'c')));
    const PrintedPage third = layout.Page(3);
    EXPECT_EQ(third.texts.front().text, QString(48, u'a'));
    EXPECT_EQ(third.texts.front().rect.top, 0);
    // Past the end: nothing.
    EXPECT_TRUE(layout.Page(layout.PageCount() + 1).texts.empty());

    // One field wider than the page: alone on its page, cut at the edge.
    const auto wide = Table(2, 3, 150);
    const TablePrintLayout alone(*wide, Plain(), Printer(), measure, {});
    ASSERT_EQ(alone.ColumnPages(), (std::vector<uint32_t>{0b01, 0b10}));
    const PrintedPage first = alone.Page(1);
    EXPECT_EQ(first.texts.front().rect.right, 1000);
    EXPECT_GT(first.texts.front().width, 1000);
}

TEST(TablePrintLayoutTest, NumbersHeadersAndFootersAsTheSettingsSay)
{
    const FixedMeasure measure;
    const auto table = Table(2, 100);
    for (const int index : {3, 10, 42, 77, 99})
        table->GetRecord(index)->SetMark(true);
    PageSettings settings = Plain();
    settings.numberRecords = 1;
    settings.pageHeader = "Seite &p von &p";
    settings.pageFooter = "&f";
    PrintJobOptions options;
    options.printMarked = true;
    options.documentPath = QStringLiteral("/home/anna/&d/Adressen.ovd");

    const auto numbers = [&](const PrintedPage &page) {
        QStringList found;
        for (const PrintedPage::Text &text : page.texts) {
            if (text.align == PrintedPage::Align::Right)
                found << text.text;
        }
        return found;
    };
    options.consecutiveNumbers = true;
    const TablePrintLayout consecutive(*table, settings, Printer(), measure, options);
    ASSERT_EQ(consecutive.PageCount(), 1);
    const PrintedPage page = consecutive.Page(1);
    EXPECT_EQ(numbers(page), (QStringList{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(page.texts.front().text, QStringLiteral("Seite 1 von 1"));
    // The path as it is, though it holds a placeholder itself.
    EXPECT_EQ(page.texts.back().text, QStringLiteral("/home/anna/&d/Adressen.ovd"));
    EXPECT_TRUE(page.texts.back().bottom);
    EXPECT_EQ(page.texts.back().rect.bottom, 1400);

    options.consecutiveNumbers = false;
    const TablePrintLayout byRecord(*table, settings, Printer(), measure, options);
    EXPECT_EQ(numbers(byRecord.Page(1)), (QStringList{"4", "11", "43", "78", "100"}));
}

TEST(TablePrintLayoutTest, LinesComeAndGoWithoutMovingTheRows)
{
    const FixedMeasure measure;
    const auto table = Table(2, 5);
    PageSettings settings = Plain();
    settings.printFieldNames = 1;
    settings.lineStyle = PageSettings::Dashed;
    const TablePrintLayout withLines(*table, settings, Printer(), measure, {});
    settings.lineStyle = PageSettings::NoLine;
    const TablePrintLayout without(*table, settings, Printer(), measure, {});
    const PrintedPage a = withLines.Page(1);
    const PrintedPage b = without.Page(1);
    // Two lines under the names, one under each record.
    EXPECT_EQ(a.lines.size(), 2u + 5u);
    EXPECT_TRUE(b.lines.empty());
    ASSERT_EQ(a.texts.size(), b.texts.size());
    for (std::size_t i = 0; i < a.texts.size(); ++i)
        EXPECT_EQ(a.texts[i].rect, b.texts[i].rect);
    // The names' row and its gap: the first record two lines down.
    EXPECT_EQ(a.texts[2].rect.top, 2 * 26);
}

TEST(TablePrintLayoutTest, RowPagesEndWithTheLastRecord)
{
    const FixedMeasure measure;
    const int rows = 1400 / 26;
    for (const int records : {0, 1, rows, rows + 1, 3 * rows}) {
        const auto table = Table(1, records);
        const TablePrintLayout layout(*table, Plain(), Printer(), measure, {});
        EXPECT_EQ(layout.PageCount(), std::max(1, (records + rows - 1) / rows)) << records;
    }
}

TEST(TablePrintLayoutTest, SettingsNoPrinterCouldHonourStillPrint)
{
    const FixedMeasure measure;
    const auto table = Table(3, 50);
    PrinterMetrics bordered = Printer();
    bordered.physicalWidth = 1100;
    bordered.physicalHeight = 1500;
    bordered.offsetX = 40;
    bordered.offsetY = 50;

    const struct
    {
        const char *what;
        int16_t left, top, right, bottom;
        int32_t fontHeight;
        AnsiString header;
    } cases[] = {
            {"margins wider than the paper", 900, 10, 900, 10, -11, ""},
            {"margins taller than the paper", 10, 2000, 10, 2000, -11, ""},
            {"negative margins", -50, -50, -50, -50, -11, ""},
            {"a font of height 0", 10, 10, 10, 10, 0, ""},
            {"a font of height 5000", 10, 10, 10, 10, 5000, ""},
            {"255 page numbers", 10, 10, 10, 10, -11, AnsiString(254, '&') + "p"},
    };
    for (const auto &c : cases) {
        PageSettings settings;
        settings.marginLeft = c.left;
        settings.marginTop = c.top;
        settings.marginRight = c.right;
        settings.marginBottom = c.bottom;
        settings.printFont.lfHeight = c.fontHeight;
        settings.pageHeader = c.header;
        const LOGFONT font = TablePrintLayout::PrintFont(settings, bordered);
        EXPECT_NE(font.lfHeight, 0) << c.what;
        EXPECT_LE(std::abs(font.lfHeight), bordered.vertRes / 8) << c.what;
        const TablePrintLayout layout(*table, settings, bordered, measure, {});
        EXPECT_GT(layout.PrintableWidth(), 0) << c.what;
        EXPECT_GT(layout.PrintableHeight(), 0) << c.what;
        EXPECT_GE(layout.RowsPerPage(), 1) << c.what;
        EXPECT_LE(layout.PageCount(), 50 * int(layout.ColumnPages().size())) << c.what;
        EXPECT_FALSE(layout.Page(1).texts.empty()) << c.what;
    }

    // Millimetres become device units less the printer's own border.
    PageSettings settings;
    settings.marginLeft = settings.marginTop = settings.marginRight = settings.marginBottom = 10;
    const TablePrintLayout layout(*table, settings, bordered, measure, {});
    EXPECT_EQ(layout.Margins(), (RECT{100 - 40, 100 - 50, 100 - 60, 100 - 50}));
}

} // namespace
