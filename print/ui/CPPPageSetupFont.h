#pragma once

#include "platform/LogFont.h"
#include "platform/ui/PropertySheet.h"

#include <memory>

class QAbstractButton;
class QLabel;

namespace Ui {
class CPPPageSetupFont;
}

namespace orvel {

// "Schriftart": the font of the table printout, described, with a sample,
// and chosen in the font dialog.
class CPPPageSetupFont : public PropertyPage
{
    Q_OBJECT
public:
    // The sample never grows beyond this many pixels, however large the
    // font a file asks for.
    static constexpr int kLargestSamplePixels = 144;

    explicit CPPPageSetupFont(const LOGFONT &font, QWidget *parent = nullptr);
    ~CPPPageSetupFont() override;

    const LOGFONT &Font() const { return m_font; }

    QLabel *FontDescription() const;
    QAbstractButton *SampleButton() const;
    QAbstractButton *ChooseButton() const;

private:
    void chooseFont();
    void showFont();

    std::unique_ptr<Ui::CPPPageSetupFont> m_ui;
    LOGFONT m_font;
    // The size the description shows, in points.
    int m_pointSize = 0;
};

} // namespace orvel
