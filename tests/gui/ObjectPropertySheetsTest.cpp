// "Eigenschaften" of drawn objects, texts, pictures and embedded documents,
// driven through the real pages; colour and font dialogs scripted.
#include "DialogDriver.h"

#include "form/DrawEdit.h"
#include "form/DrawItem.h"
#include "form/DrawOleObj.h"
#include "form/DrawPicture.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "form/FormObjects.h"
#include "form/ui/CPicturePropDlg.h"
#include "form/ui/CTextPropGenDlg.h"
#include "form/ui/CTextPropTextDlg.h"
#include "form/ui/ColorSwatch.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/EmbeddedDocPropPage.h"
#include "form/ui/FillPropPage.h"
#include "form/ui/LinePropPage.h"
#include "form/ui/ObjectPropertySheets.h"
#include "media/Lead.h"
#include "media/gfx/QtPictureDecoder.h"
#include "platform/ScriptedServices.h"
#include "platform/ui/FontSampleButton.h"
#include "platform/ui/PropertySheet.h"
#include "resources/StringIds.h"
#include "support/RecordingDC.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

class SheetHost : public DesignerHost
{
public:
    COLORREF CurrentLineColor() const override { return line; }
    COLORREF CurrentFillColor() const override { return fill; }
    void SetCurrentLineColor(COLORREF color) override { line = color; }
    void SetCurrentFillColor(COLORREF color) override { fill = color; }
    int CurrentRecord() const override { return 0; }
    int CurrentField() const override { return 0; }
    void SetCurrentField(int) override {}
    bool IsActiveView() const override { return true; }
    void ShowStatusText(const QString &) override {}
    QMenu *BuildContextMenu(const QString &, int) override { return nullptr; }
    void NotifyOtherViews(const UpdateHint &) override {}
    int PictureFilterIndex() const override { return 1; }
    void SetPictureFilterIndex(int) override {}

    COLORREF line = kDefaultLineColor;
    COLORREF fill = kDefaultFillColor;
};

QStringList TabTitles(const PropertySheet &sheet)
{
    QStringList titles;
    for (int i = 0; i < sheet.Tabs()->count(); ++i)
        titles << sheet.Tabs()->tabText(i);
    return titles;
}

template<class Page>
Page *PageOf(PropertySheet &sheet, int index)
{
    auto *page = qobject_cast<Page *>(sheet.Page(index));
    EXPECT_NE(page, nullptr) << "page " << index;
    return page;
}

// Types the text key by key, umlauts included.
void Type(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void Press(PropertySheet &sheet, QDialogButtonBox::StandardButton button)
{
    sheet.Buttons()->button(button)->click();
}

// With ORVEL_SCREENSHOT_DIR set, every page of the sheet is saved there.
void Screenshots(PropertySheet &sheet, const QString &name)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        return;
    const int current = sheet.Tabs()->currentIndex();
    for (int i = 0; i < sheet.PageCount(); ++i) {
        sheet.SetActivePage(i);
        QCoreApplication::processEvents();
        EXPECT_TRUE(sheet.grab().save(shots + QStringLiteral("/orvel-props-%1-%2.png").arg(name).arg(i)));
    }
    sheet.SetActivePage(current);
}

class ObjectPropertySheetsTest : public testing::Test
{
protected:
    template<class T>
    T *add(std::unique_ptr<T> object)
    {
        auto *added = static_cast<T *>(form.Add(std::move(object)));
        form.SetModified(false);
        return added;
    }

    // Opens the object's sheet, lets `drive` work on it and leaves it with
    // Abbrechen if `drive` did not close it (a failed expectation must not
    // leave a modal dialog open).
    bool edit(CDrawObj &object, std::function<void(PropertySheet &)> drive)
    {
        bool shown = false;
        WhenShown<PropertySheet>([&shown, drive](PropertySheet &sheet) {
            shown = true;
            drive(sheet);
            if (sheet.isVisible())
                sheet.reject();
        });
        const bool accepted = EditObjectProperties(nullptr, form, object, host);
        EXPECT_TRUE(shown);
        return accepted;
    }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    CFormObjects form;
    SheetHost host;
};

TEST_F(ObjectPropertySheetsTest, DrawnObjectsHaveALinePageAndAFillPageWhereTheyCanBeFilled)
{
    struct Case
    {
        const char *name;
        std::function<std::unique_ptr<CDrawObj>()> make;
        QStringList pages;
        bool offers3D;
    };
    const QStringList both{QStringLiteral("Linie"), QStringLiteral("Füllung")};
    const Case cases[] = {
            {"rectangle",
             [] {
                 return std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{10, 10, 90, 60});
             },
             both, true},
            {"rounded",
             [] {
                 return std::make_unique<CDrawRect>(CDrawRect::roundRectangle, RECT{10, 10, 90, 60});
             },
             both, false},
            {"ellipse",
             [] {
                 return std::make_unique<CDrawRect>(CDrawRect::ellipse, RECT{10, 10, 90, 60});
             },
             both, false},
            {"line",
             [] {
                 return std::make_unique<CDrawRect>(CDrawRect::line, RECT{90, 60, 10, 10});
             },
             {QStringLiteral("Linie")},
             false},
            {"polygon",
             [] {
                 return std::make_unique<CDrawPoly>(RECT{10, 10, 90, 60});
             },
             both, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CDrawObj *object = add(c.make());
        object->frame3D = 0;
        const LineFillValues before = LineFillValuesOf(*object);
        const bool accepted = edit(*object, [&](PropertySheet &sheet) {
            EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Eigenschaften"));
            EXPECT_EQ(TabTitles(sheet), c.pages);
            auto *line = PageOf<LinePropPage>(sheet, 0);
            ASSERT_NE(line, nullptr);
            EXPECT_EQ(line->KindButton(kLine3D)->isVisibleTo(line), c.offers3D);
            EXPECT_TRUE(line->KindButton(kLineDashed)->isVisibleTo(line));
            Screenshots(sheet, QString::fromLatin1(c.name));
            // Changes that Abbrechen throws away.
            line->WidthBox()->setValue(5);
            Press(sheet, QDialogButtonBox::Cancel);
        });
        EXPECT_FALSE(accepted);
        EXPECT_EQ(LineFillValuesOf(*object), before);
        EXPECT_FALSE(form.IsModified());
    }
}

TEST_F(ObjectPropertySheetsTest, TheKindsApplyToThinLinesAndTheValuesGoBackOnOk)
{
    auto *rect = add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{10, 10, 90, 60}));
    rect->pen.lopnColor = 0x000080;
    rect->brush.lbColor = 0x00FFFF;
    scripted.queueColor(0x0000FF); // line
    scripted.queueColor(0x00FF00); // fill
    const bool accepted = edit(*rect, [&](PropertySheet &sheet) {
        auto *line = PageOf<LinePropPage>(sheet, 0);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->WidthBox()->value(), 1);
        EXPECT_EQ(line->WidthBox()->minimum(), 0);
        EXPECT_EQ(line->WidthBox()->maximum(), 10);
        EXPECT_TRUE(line->KindGroup()->isEnabled());
        EXPECT_TRUE(line->KindButton(kLineSolid)->isChecked());
        line->KindButton(kLineDashed)->click();

        // Wider than 1: the kinds are off and the line is solid again.
        QTest::keyClick(line->WidthBox(), Qt::Key_Up);
        EXPECT_EQ(line->WidthBox()->value(), 2);
        EXPECT_FALSE(line->KindGroup()->isEnabled());
        EXPECT_TRUE(line->KindButton(kLineSolid)->isChecked());
        // No outline: the kinds are off too, but stay as they are.
        line->WidthBox()->setValue(1);
        line->KindButton(kLineDotted)->click();
        line->WidthBox()->setValue(0);
        EXPECT_FALSE(line->KindGroup()->isEnabled());
        EXPECT_TRUE(line->KindButton(kLineDotted)->isChecked());
        line->WidthBox()->setValue(3);

        EXPECT_EQ(line->ColorPreview()->Color(), 0x000080u);
        line->ChangeButton()->click();
        EXPECT_EQ(line->ColorPreview()->Color(), 0x0000FFu);

        sheet.SetActivePage(1);
        auto *fill = PageOf<FillPropPage>(sheet, 1);
        ASSERT_NE(fill, nullptr);
        EXPECT_TRUE(fill->FillBox()->isChecked());
        EXPECT_EQ(fill->ColorPreview()->Color(), 0x00FFFFu);
        fill->ChangeButton()->click();
        EXPECT_EQ(fill->ColorPreview()->Color(), 0x00FF00u);
        // Unfilled: light grey, and no colour to change.
        QTest::keyClick(fill->FillBox(), Qt::Key_Space);
        EXPECT_FALSE(fill->FillBox()->isChecked());
        EXPECT_EQ(fill->ColorPreview()->Color(), 0xC0C0C0u);
        EXPECT_FALSE(fill->ColorGroup()->isEnabled());
        Press(sheet, QDialogButtonBox::Ok);
    });
    ASSERT_TRUE(accepted);
    // The colour dialogs opened on the colours shown.
    EXPECT_EQ(scripted.colorRequests(), (std::vector<uint32_t>{0x000080, 0x00FFFF}));
    // Width 3 with a kind chosen before: a solid line of width 3.
    EXPECT_EQ(rect->hasPen, 1u);
    EXPECT_EQ(rect->pen.lopnWidth.x, 3);
    EXPECT_EQ(rect->pen.lopnWidth.y, 3);
    EXPECT_EQ(rect->pen.lopnStyle, PS_INSIDEFRAME);
    EXPECT_EQ(rect->frame3D, 0u);
    EXPECT_EQ(rect->pen.lopnColor, 0x0000FFu);
    EXPECT_EQ(rect->hasBrush, 0u);
    // The fill colour is kept for when the fill comes back.
    EXPECT_EQ(rect->brush.lbColor, 0x00FF00u);
    EXPECT_TRUE(form.IsModified());
    EXPECT_EQ(host.line, 0x0000FFu);
    EXPECT_EQ(host.fill, 0x00FF00u);
}

TEST_F(ObjectPropertySheetsTest, ARectangleWithKind3DIsDrawnRaised)
{
    auto *rect = add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{10, 10, 90, 60}));
    ASSERT_TRUE(edit(*rect, [](PropertySheet &sheet) {
        auto *line = PageOf<LinePropPage>(sheet, 0);
        ASSERT_NE(line, nullptr);
        line->KindButton(kLine3D)->click();
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(rect->frame3D, 1u);
    RecordingDC dc;
    rect->Draw(dc, {});
    ASSERT_FALSE(dc.calls.empty());
    EXPECT_EQ(dc.calls.back(), "Draw3DFrame 10,10,90,60 raised");

    // Open again: the kind shows as 3D.
    EXPECT_TRUE(edit(*rect, [](PropertySheet &sheet) {
        auto *line = PageOf<LinePropPage>(sheet, 0);
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(line->KindButton(kLine3D)->isChecked());
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(rect->frame3D, 1u);
}

TEST_F(ObjectPropertySheetsTest, AWidthAFileBroughtFromOutsideTheRangeIsRefused)
{
    auto *rect = add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{10, 10, 90, 60}));
    rect->pen.lopnWidth = {25, 25};
    ASSERT_TRUE(edit(*rect, [this](PropertySheet &sheet) {
        auto *line = PageOf<LinePropPage>(sheet, 0);
        ASSERT_NE(line, nullptr);
        // Shown as it is, not silently cut to 10.
        EXPECT_EQ(line->WidthBox()->value(), 25);
        Press(sheet, QDialogButtonBox::Ok);
        EXPECT_TRUE(sheet.isVisible());
        EXPECT_TRUE(scripted.sawMessage(ids::kMsgEnterIntegerBetween));
        line->WidthBox()->setValue(10);
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(rect->pen.lopnWidth.x, 10);
}

TEST_F(ObjectPropertySheetsTest, TheTextSheetWritesTextFontAndAlignment)
{
    auto *text = add(std::make_unique<CDrawText>(RECT{10, 10, 200, 40}));
    text->text = "Textobjekt";
    text->font = StockFont(DEFAULT_GUI_FONT);
    text->font.lfEscapement = 455;
    text->font.lfOrientation = 455;
    ChosenFont chosen;
    chosen.font.setFaceName("Times New Roman");
    chosen.font.lfHeight = -16;
    chosen.font.lfWeight = 700;
    chosen.pointSizeTenths = 125;
    chosen.color = 0x0000FF;
    scripted.queueFont(chosen);

    const bool accepted = edit(*text, [&](PropertySheet &sheet) {
        EXPECT_EQ(TabTitles(sheet), (QStringList{QStringLiteral("Text"), QStringLiteral("Formatierung")}));
        auto *textPage = PageOf<CTextPropTextDlg>(sheet, 0);
        auto *format = PageOf<CTextPropGenDlg>(sheet, 1);
        ASSERT_TRUE(textPage && format);
        EXPECT_FALSE(textPage->AngleGroup()->isVisibleTo(textPage));
        EXPECT_TRUE(textPage->WordWrapBox()->isChecked());
        // The text is selected, ready to be typed over.
        EXPECT_EQ(sheet.focusWidget(), textPage->TextEdit());
        EXPECT_EQ(textPage->TextEdit()->textCursor().selectedText(), QStringLiteral("Textobjekt"));
        Type(textPage->TextEdit(), QStringLiteral("Grüße"));
        QTest::keyClick(textPage->TextEdit(), Qt::Key_Return);
        Type(textPage->TextEdit(), QStringLiteral("aus Köln"));
        textPage->WordWrapBox()->click();

        sheet.SetActivePage(1);
        // 11 pixels: 8 points at 96 dots per inch.
        if (format->logicalDpiY() == 96) {
            EXPECT_EQ(format->FontDescription()->text(), QStringLiteral("MS Sans Serif, 8 Punkte"));
        }
        Screenshots(sheet, QStringLiteral("text"));
        format->ChooseButton()->click();
        EXPECT_EQ(format->FontDescription()->text(), QStringLiteral("Times New Roman, 12 Punkte"));
        auto *sample = qobject_cast<FontSampleButton *>(format->SampleButton());
        ASSERT_NE(sample, nullptr);
        EXPECT_EQ(sample->SampleColor(), QColor(255, 0, 0));
        EXPECT_EQ(sample->SampleFont().pixelSize(), 16);
        EXPECT_EQ(sample->SampleFont().weight(), QFont::Bold);
        format->AlignmentButton(1)->click();
        Screenshots(sheet, QStringLiteral("text-chosen"));
        Press(sheet, QDialogButtonBox::Ok);
    });
    ASSERT_TRUE(accepted);
    // The font dialog opened on the upright font and the text's colour.
    ASSERT_EQ(scripted.fontRequests().size(), 1u);
    EXPECT_EQ(scripted.fontRequests()[0].font.lfEscapement, 0);
    EXPECT_EQ(scripted.fontRequests()[0].font.faceName(), "MS Sans Serif");
    EXPECT_EQ(scripted.fontRequests()[0].color, 0u);

    EXPECT_EQ(text->text, "Gr\xFC\xDF"
                          "e\r\naus K\xF6ln");
    // Word wrap off and centred.
    EXPECT_EQ(text->drawFlags, 1);
    EXPECT_EQ(text->wordWrap, 0);
    EXPECT_EQ(text->alignment, 1);
    EXPECT_EQ(text->font.faceName(), "Times New Roman");
    EXPECT_EQ(text->font.lfHeight, -16);
    EXPECT_EQ(text->textColor, 0x0000FFu);
    // The angle was not touched.
    EXPECT_EQ(text->font.lfEscapement, 455);
    EXPECT_EQ(text->font.lfOrientation, 455);
    EXPECT_TRUE(form.IsModified());
}

TEST_F(ObjectPropertySheetsTest, AbbrechenLeavesTheTextAndItsAngleAsTheyWere)
{
    auto *text = add(std::make_unique<CDrawText>(RECT{10, 10, 200, 40}));
    text->text = "Zeile 1\nZeile 2";
    text->font.lfEscapement = 455;
    text->font.lfOrientation = 450;
    text->textColor = 0x123456;
    scripted.queueFont(ChosenFont{});
    const bool accepted = edit(*text, [](PropertySheet &sheet) {
        auto *textPage = PageOf<CTextPropTextDlg>(sheet, 0);
        auto *format = PageOf<CTextPropGenDlg>(sheet, 1);
        ASSERT_TRUE(textPage && format);
        textPage->TextEdit()->setPlainText(QStringLiteral("anders"));
        format->ChooseButton()->click();
        format->AlignmentButton(2)->click();
        Press(sheet, QDialogButtonBox::Cancel);
    });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(text->text, "Zeile 1\nZeile 2");
    EXPECT_EQ(text->font.lfEscapement, 455);
    EXPECT_EQ(text->font.lfOrientation, 450);
    EXPECT_EQ(text->textColor, 0x123456u);
    EXPECT_EQ(text->alignment, 0);
    EXPECT_FALSE(form.IsModified());

    // OK without a change keeps even a lone line feed as it was.
    EXPECT_TRUE(edit(*text, [](PropertySheet &sheet) { Press(sheet, QDialogButtonBox::Ok); }));
    EXPECT_EQ(text->text, "Zeile 1\nZeile 2");
    EXPECT_EQ(text->font.lfOrientation, 450);
}

TEST_F(ObjectPropertySheetsTest, ThePicturePageTellsOfTheFile)
{
    RegisterQtPictureDecoder();
    const QString dir = MakeScratchDir();
    const QString file = dir + QStringLiteral("/Urlaub.png");
    QImage image(40, 30, QImage::Format_RGB888);
    image.fill(Qt::darkCyan);
    image.setDotsPerMeterX(3780); // 96 dpi
    image.setDotsPerMeterY(2835); // 72 dpi
    ASSERT_TRUE(image.save(file, "PNG"));

    // A picture whose bitmap the insert-picture dialog handed over, as a
    // new picture object has it.
    CLead dialogPreview;
    ASSERT_EQ(dialogPreview.Load(file), LeadOk);

    struct Case
    {
        bool handedOver;
        QString path;
        QString type;
        QString original;
        QString resolution;
        QString colors;
    };
    const Case cases[] = {
            {false, file, QStringLiteral("Portable Network Graphics"), QStringLiteral("40 x 30"),
             QStringLiteral("96 x 72"), QStringLiteral("16 Mill.")},
            {true, file, QStringLiteral("Portable Network Graphics"), QStringLiteral("40 x 30"),
             QStringLiteral("96 x 72"), QStringLiteral("16 Mill.")},
            {false, dir + QStringLiteral("/weg.png"), QStringLiteral("FEHLER"), QStringLiteral("-"),
             QStringLiteral("-"), QStringLiteral("-")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        auto *picture = add(std::make_unique<CDrawPicture>(RECT{80, 60, 10, 10}));
        picture->path = c.path.toStdString();
        if (c.handedOver)
            picture->viewer.SetBitmap(dialogPreview.GetBitmap());
        else
            picture->viewer.SetFileName(c.path);
        EXPECT_TRUE(edit(*picture, [&](PropertySheet &sheet) {
            EXPECT_EQ(TabTitles(sheet), QStringList{QStringLiteral("Allgemeines")});
            auto *page = PageOf<CPicturePropDlg>(sheet, 0);
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(page->FileName()->text(), c.path);
            EXPECT_EQ(page->FileType()->text(), c.type);
            // The size on the form, however it was drawn.
            EXPECT_EQ(page->Size()->text(), QStringLiteral("70 x 50"));
            EXPECT_EQ(page->OriginalSize()->text(), c.original);
            EXPECT_EQ(page->Resolution()->text(), c.resolution);
            EXPECT_EQ(page->Colors()->text(), c.colors);
            EXPECT_EQ(page->Status()->text(), QStringLiteral("Verknüpft"));
            Screenshots(sheet, QStringLiteral("picture"));
            Press(sheet, QDialogButtonBox::Ok);
        }));
        EXPECT_FALSE(form.IsModified());
    }
}

TEST_F(ObjectPropertySheetsTest, EmbeddedDocumentsShowTheirDocument)
{
    auto *object = add(std::make_unique<CDrawOleObj>(RECT{10, 10, 110, 90}));
    auto item = std::make_unique<CDrawItem>();
    item->fileName = "Brief an Oma.odt";
    item->mimeType = "application/vnd.oasis.opendocument.text";
    item->bytes = QByteArray(2048, 'x');
    object->SetClientItem(std::move(item));
    EXPECT_TRUE(edit(*object, [](PropertySheet &sheet) {
        EXPECT_EQ(TabTitles(sheet), QStringList{QStringLiteral("Allgemeines")});
        auto *page = PageOf<EmbeddedDocPropPage>(sheet, 0);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->Name()->text(), QStringLiteral("Brief an Oma.odt"));
        EXPECT_TRUE(page->Type()->text().contains(QStringLiteral("application/vnd.oasis.opendocument.text")));
        EXPECT_EQ(page->Size()->text(), QStringLiteral("2.048 Bytes"));
        EXPECT_EQ(page->Status()->text(), QStringLiteral("Eingebettet"));
        EXPECT_EQ(page->Location()->text(), QStringLiteral("-"));
        Screenshots(sheet, QStringLiteral("document"));
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_FALSE(form.IsModified());
}

TEST_F(ObjectPropertySheetsTest, DataFieldsAreLeftToTheirOwnSheet)
{
    auto *field = add(std::make_unique<CDrawEdit>(0, RECT{5, 20, 405, 39}));
    EXPECT_FALSE(EditObjectProperties(nullptr, form, *field, host));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(form.IsModified());
}

} // namespace
