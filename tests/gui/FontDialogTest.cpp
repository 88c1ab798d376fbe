// The font dialog of the widget services: Qt's dialog with a colour among
// its effects, answering with a stored font description, tenths of a point
// and the colour.
#include "DialogDriver.h"

#include "platform/ui/WidgetServices.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QPushButton>

using namespace orvel;
using namespace orvel::test;

namespace {

TEST(FontDialogTest, AColourBesideTheEffectsAndTheFontInTenthsOfAPoint)
{
    WidgetServices widgets;
    LOGFONT font = StockFont(DEFAULT_GUI_FONT);
    font.lfEscapement = font.lfOrientation = 450;
    int dpi = 0;
    WhenShown<QFontDialog>([&dpi](QFontDialog &dialog) {
        dpi = dialog.logicalDpiY();
        auto *colorButton = dialog.findChild<QPushButton *>(QStringLiteral("fontColorButton"));
        ASSERT_NE(colorButton, nullptr);
        // Among underline and strike-out.
        auto *effects = qobject_cast<QGroupBox *>(colorButton->parentWidget());
        ASSERT_NE(effects, nullptr);
        EXPECT_EQ(effects->findChildren<QCheckBox *>().size(), 2);
        // Upright and of normal weight, as the font is, whatever the family
        // calls that style.
        EXPECT_FALSE(dialog.currentFont().italic());
        EXPECT_EQ(dialog.currentFont().weight(), QFont::Normal);
        // 11 pixels are shown as 8 points at 96 dots per inch.
        if (dpi == 96) {
            EXPECT_EQ(dialog.currentFont().pointSize(), 8);
        }
        const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            EXPECT_TRUE(dialog.grab().save(shots + QStringLiteral("/orvel-font-dialog.png")));
        }

        WhenShown<QColorDialog>([](QColorDialog &colors) {
            colors.setCurrentColor(QColor(0, 0, 255));
            colors.accept();
        });
        colorButton->click();

        QFont chosen = dialog.currentFont();
        chosen.setPointSize(12);
        chosen.setUnderline(true);
        dialog.setCurrentFont(chosen);
        dialog.accept();
    });
    const std::optional<ChosenFont> chosen = widgets.chooseFont(font, 0x000080);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->pointSizeTenths, 120);
    EXPECT_EQ(chosen->color, 0xFF0000u);
    EXPECT_EQ(chosen->font.lfUnderline, 1);
    EXPECT_EQ(chosen->font.lfStrikeOut, 0);
    EXPECT_EQ(chosen->font.lfItalic, 0);
    EXPECT_EQ(chosen->font.lfWeight, 400);
    EXPECT_EQ(chosen->font.lfEscapement, 0);
    EXPECT_EQ(chosen->font.lfOrientation, 0);
    // The same face keeps the name stored for it.
    EXPECT_EQ(chosen->font.faceName(), "MS Sans Serif");
    EXPECT_EQ(chosen->font.lfPitchAndFamily, font.lfPitchAndFamily);
    if (dpi == 96) {
        EXPECT_EQ(chosen->font.lfHeight, -16);
    }

    WhenShown<QFontDialog>([](QFontDialog &dialog) { dialog.reject(); });
    EXPECT_FALSE(widgets.chooseFont(font, 0).has_value());
}

} // namespace
