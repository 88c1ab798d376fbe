// The pages of form, label and envelope printouts: which records go on which
// page and where, the label sheets and their checks, and the label lines of
// a record.
#include "platform/TextMeasure.h"
#include "print/EnvelopeLayout.h"
#include "print/FormPrintLayout.h"
#include "print/LabelPrintLayout.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"

#include <gtest/gtest.h>

#include <memory>

using namespace orvel;

namespace {

// Every character 10 units wide; lines of 20.
class FixedMeasure final : public TextMeasure
{
public:
    int Height() const override { return 20; }
    int Descent() const override { return 4; }
    int ExternalLeading() const override { return 0; }
    int AverageCharWidth() const override { return 6; }
    int TextWidth(AnsiView text) const override { return 10 * int(text.size()); }
};

// A borderless A4 printer at 96 dots per inch: one form unit is one device
// unit at 100 %.
PrinterMetrics A4At96()
{
    PrinterMetrics p;
    p.logPixelsX = p.logPixelsY = 96;
    p.horzRes = p.physicalWidth = 794;
    p.vertRes = p.physicalHeight = 1123;
    p.horzSizeMm = 210;
    p.vertSizeMm = 297;
    return p;
}

std::unique_ptr<CDataTable> Addresses(int records)
{
    auto table = std::make_unique<CDataTable>();
    for (const char *name : {"Vorname", "Name", "Strasse", "Ort"})
        table->InsertField(name);
    for (int r = 0; r < records; ++r) {
        auto record = table->CreateRecord(false);
        record->SetRawValue("V" + std::to_string(r + 1), 0);
        record->SetRawValue("N" + std::to_string(r + 1), 1);
        // Every other record has no street.
        record->SetRawValue(r % 2 == 0 ? "Weg " + std::to_string(r + 1) : AnsiString(), 2);
        record->SetRawValue("Ort", 3);
        table->AddRecord(std::move(record));
    }
    return table;
}

LabelSheet Sheet3x8()
{
    LabelSheet sheet;
    sheet.name = QStringLiteral("3 x 8");
    sheet.columns = 3;
    sheet.rows = 8;
    sheet.labelWidth = 70;
    sheet.labelHeight = 37;
    sheet.marginTop = 0.5;
    return sheet;
}

TEST(FormPrintLayoutTest, RecordRangesPickTheCurrentTheMarkedOrAll)
{
    auto table = Addresses(6);
    table->GetRecord(1)->SetMark(true);
    table->GetRecord(4)->SetMark(true);
    EXPECT_EQ(SelectRecords(*table, RecordRange::Current, 3), std::vector<int>{3});
    EXPECT_EQ(SelectRecords(*table, RecordRange::Current, 6), std::vector<int>{});
    EXPECT_EQ(SelectRecords(*table, RecordRange::Current, -1), std::vector<int>{});
    EXPECT_EQ(SelectRecords(*table, RecordRange::Marked, 0), (std::vector<int>{1, 4}));
    EXPECT_EQ(SelectRecords(*table, RecordRange::All, 0), (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST(FormPrintLayoutTest, FormsAreScaledDownToFitOrCutAtFullSizeAndStackWhenAsked)
{
    const FixedMeasure measure;
    PageSettings settings;
    settings.pageHeader = "Seite &p";
    settings.pageFooter = "Ende";
    struct Case
    {
        const char *what;
        RECT form;
        FormPrintLayout::Options options;
        double scale;
        int perPage;
        int pages;
    };
    // The content area is 794 × (1123 − 4 lines of 26) = 794 × 1019;
    // stacked forms keep 20 form units apart.
    const Case cases[] = {
            {"small form, one per page", {0, 0, 400, 300}, {false, false}, 1.0, 1, 7},
            {"small form, stacked", {0, 0, 400, 300}, {true, false}, 1.0, 3, 3},
            {"tall form scaled to the height", {0, 0, 400, 2038}, {false, false}, 0.5, 1, 7},
            {"tall form at 100 %", {0, 0, 400, 2038}, {false, true}, 1.0, 1, 7},
            {"wide form scaled to the width", {0, 0, 1588, 100}, {true, false}, 0.5, 17, 1},
    };
    for (const Case &c : cases) {
        const FormPrintLayout layout({0, 1, 2, 3, 4, 5, 6}, c.form, settings, A4At96(), measure, {}, c.options);
        EXPECT_NEAR(layout.Scale(), c.scale, 1e-3) << c.what;
        EXPECT_EQ(layout.RecordsPerPage(), c.perPage) << c.what;
        EXPECT_EQ(layout.PageCount(), c.pages) << c.what;
        const FormPage last = layout.Page(layout.PageCount());
        ASSERT_FALSE(last.forms.empty()) << c.what;
        EXPECT_EQ(last.forms.back().record, 6) << c.what;
        const RECT content = layout.ContentArea();
        for (const FormPlacement &placed : layout.Page(1).forms) {
            // Below the header, above the footer, inside the page.
            EXPECT_GE(placed.target.top(), content.top) << c.what;
            EXPECT_LE(placed.target.bottom(), content.bottom + 1e-6) << c.what;
            EXPECT_LE(placed.target.right(), content.right + 1e-6) << c.what;
        }
    }
    const FormPrintLayout layout({0, 1}, {0, 0, 100, 100}, settings, A4At96(), measure, {}, {});
    const FormPage page = layout.Page(2);
    ASSERT_EQ(page.page.texts.size(), 2u);
    EXPECT_EQ(page.page.texts[0].text, QStringLiteral("Seite 2"));
    EXPECT_TRUE(page.page.texts[1].bottom);
    EXPECT_TRUE(layout.Page(3).forms.empty());
    EXPECT_TRUE(layout.Page(0).forms.empty());
}

TEST(FormPrintLayoutTest, NoRecordsMakeNoPages)
{
    const FixedMeasure measure;
    const FormPrintLayout layout({}, {0, 0, 100, 100}, PageSettings{}, A4At96(), measure, {}, {true, false});
    EXPECT_EQ(layout.PageCount(), 0);
}

TEST(LabelSheetTest, SheetsAreCheckedForSizesAndFit)
{
    struct Case
    {
        const char *what;
        void (*change)(LabelSheet &);
        int message;
    };
    const Case cases[] = {
            {"3 x 8 fills the page", [](LabelSheet &) {}, 0},
            {"no columns", [](LabelSheet &s) { s.columns = 0; }, ids::kMsgLabelSizeInvalid},
            {"negative rows", [](LabelSheet &s) { s.rows = -2; }, ids::kMsgLabelSizeInvalid},
            {"zero width", [](LabelSheet &s) { s.labelWidth = 0; }, ids::kMsgLabelSizeInvalid},
            {"negative gap", [](LabelSheet &s) { s.gapY = -1; }, ids::kMsgLabelSizeInvalid},
            {"too wide", [](LabelSheet &s) { s.labelWidth = 71; }, ids::kMsgLabelsDoNotFit},
            {"a margin pushes it off", [](LabelSheet &s) { s.marginTop = 2; }, ids::kMsgLabelsDoNotFit},
            {"gaps push it off", [](LabelSheet &s) { s.gapX = 1; }, ids::kMsgLabelsDoNotFit},
            {"absurd counts", [](LabelSheet &s) { s.columns = s.rows = 1 << 20; }, ids::kMsgLabelsDoNotFit},
    };
    for (const Case &c : cases) {
        LabelSheet sheet = Sheet3x8();
        c.change(sheet);
        EXPECT_EQ(CheckLabelSheet(sheet), c.message) << c.what;
    }
    const LabelSheet sheet = Sheet3x8();
    EXPECT_EQ(CheckStartPosition(sheet, 1), 0);
    EXPECT_EQ(CheckStartPosition(sheet, 24), 0);
    EXPECT_EQ(CheckStartPosition(sheet, 25), ids::kMsgLabelStartInvalid);
    EXPECT_EQ(CheckStartPosition(sheet, 0), ids::kMsgLabelStartInvalid);
}

TEST(LabelSheetTest, TheTableReadsSkippingCommentsAndBrokenLines)
{
    const QByteArray text = "# comment\n"
                            "\n"
                            "Bogen A; 3; 8; 70; 37; 0,5; 0; 0; 0\r\n"
                            "zu breit; 3; 8; 80; 37; 0; 0; 0; 0\n"
                            "kaputt; drei; 8; 70; 37; 0; 0; 0; 0\n"
                            "zu kurz; 3; 8; 70\n"
                            "Bogen B; 2; 4; 105; 74; 0.5; 0; 0; 0\n";
    const std::vector<LabelSheet> sheets = ParseLabelSheets(text);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].name, QStringLiteral("Bogen A"));
    EXPECT_DOUBLE_EQ(sheets[0].marginTop, 0.5);
    EXPECT_EQ(sheets[1].LabelsPerSheet(), 8);

    // The table the program ships: at least twelve sheets, all of them fit.
    const QString shipped = qEnvironmentVariable("ORVEL_SOURCE_DIR") + QStringLiteral("/resources/labelsheets.txt");
    const std::vector<LabelSheet> table = ReadLabelSheets(shipped);
    EXPECT_GE(table.size(), 12u) << shipped.toStdString();
    EXPECT_TRUE(ReadLabelSheets(QStringLiteral("/nonexistent/labelsheets.txt")).empty());
}

TEST(LabelLinesTest, FieldsAreReplacedAndLinesOfEmptyFieldsLeftOut)
{
    auto table = Addresses(2);
    const std::vector<AnsiString> lines{"[Vorname] [Name]", "[Strasse]", "", "[Ort] [Unbekannt]", "Fest"};
    EXPECT_EQ(ExpandLabelLines(*table, 0, lines),
              (std::vector<QString>{"V1 N1", "Weg 1", "", "Ort [Unbekannt]", "Fest"}));
    // Record 2 has no street: its line goes, the others move up.
    EXPECT_EQ(ExpandLabelLines(*table, 1, lines), (std::vector<QString>{"V2 N2", "", "Ort [Unbekannt]", "Fest"}));
    EXPECT_TRUE(ExpandLabelLines(*table, 5, lines).empty());
    // Brackets that close nothing are text.
    EXPECT_EQ(ExpandLabelLines(*table, 0, {"[Name"}), std::vector<QString>{"[Name"});
}

TEST(LabelPrintLayoutTest, AStartPositionLeavesTheUsedLabelsEmpty)
{
    const FixedMeasure measure;
    auto table = Addresses(30);
    LabelContent content;
    content.lines = {"[Vorname] [Name]", "[Ort]"};
    std::vector<int> all(30);
    for (int i = 0; i < 30; ++i)
        all[std::size_t(i)] = i;
    const LabelPrintLayout layout(*table, all, Sheet3x8(), 5, content, A4At96(), measure, RECT{});
    // 4 used + 30 records = 34 labels: two sheets.
    ASSERT_EQ(layout.PageCount(), 2);
    const FormPage first = layout.Page(1);
    // 20 labels of two lines on the first sheet.
    ASSERT_EQ(first.page.texts.size(), 40u);
    EXPECT_EQ(first.page.texts[0].text, QStringLiteral("V1 N1"));
    const RECT fifth = layout.LabelRect(4);
    EXPECT_EQ(fifth.left, 265); // 70 mm
    EXPECT_EQ(fifth.top, 142);  // 0.5 + 37 mm
    EXPECT_GE(first.page.texts[0].rect.left, fifth.left);
    EXPECT_GE(first.page.texts[0].rect.top, fifth.top);
    EXPECT_LE(first.page.texts[1].rect.bottom, fifth.bottom);
    const FormPage second = layout.Page(2);
    ASSERT_EQ(second.page.texts.size(), 20u);
    EXPECT_EQ(second.page.texts[0].text, QStringLiteral("V21 N21"));
    EXPECT_EQ(second.page.texts[0].rect.top, layout.LabelRect(0).top + 8);

    // The form on each label, scaled to fit it.
    content.useForm = true;
    const LabelPrintLayout forms(*table, {0, 1}, Sheet3x8(), 1, content, A4At96(), measure, RECT{0, 0, 400, 100});
    const FormPage page = forms.Page(1);
    ASSERT_EQ(page.forms.size(), 2u);
    EXPECT_NEAR(page.forms[1].target.left(), 265, 1);
    EXPECT_LE(page.forms[1].target.width(), 265 + 1);
}

TEST(LabelPrintLayoutTest, LinesThatDoNotFitALabelAreLeftOut)
{
    const FixedMeasure measure;
    auto table = Addresses(1);
    LabelSheet tiny = Sheet3x8();
    tiny.labelHeight = 12; // 45 units: one line of 20 below the inner margin
    LabelContent content;
    content.lines = {"[Vorname]", "[Name]", "[Strasse]", "[Ort]"};
    const LabelPrintLayout layout(*table, {0}, tiny, 1, content, A4At96(), measure, RECT{});
    const FormPage page = layout.Page(1);
    ASSERT_EQ(page.page.texts.size(), 1u);
    EXPECT_LE(page.page.texts.back().rect.bottom, layout.LabelRect(0).bottom);
}

TEST(EnvelopeLayoutTest, TheSenderSitsTopLeftAndTheAddressInTheRightHalf)
{
    const FixedMeasure measure;
    PrinterMetrics dl = A4At96();
    dl.horzRes = dl.physicalWidth = 831;  // 220 mm
    dl.vertRes = dl.physicalHeight = 416; // 110 mm
    const FormPage page = EnvelopePage(EnvelopeSize::DL, {"Anna Absender", "", "Bonn"},
                                       {"Herrn", "Bernd Empfänger", "", "Köln"}, dl, measure);
    ASSERT_EQ(page.page.texts.size(), 5u);
    EXPECT_EQ(page.page.texts[0].text, QStringLiteral("Anna Absender"));
    EXPECT_LT(page.page.texts[0].rect.left, 60);
    EXPECT_LT(page.page.texts[0].rect.top, 60);
    EXPECT_EQ(page.page.texts[4].text, QStringLiteral("Köln"));
    EXPECT_GT(page.page.texts[2].rect.left, 831 * 4 / 10);
    EXPECT_GT(page.page.texts[2].rect.top, 416 / 3);
    EXPECT_LT(page.page.texts[4].rect.bottom, 416);
}

} // namespace
