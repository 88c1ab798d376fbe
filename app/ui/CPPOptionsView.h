#pragma once

#include "platform/LogFont.h"
#include "platform/ui/PropertySheet.h"

#include <memory>

class QAbstractButton;
class QLabel;

namespace Ui {
class CPPOptionsView;
}

namespace orvel {

// "Listenansicht": the font of the list grid, described, with a sample, and
// chosen in the font dialog.
class CPPOptionsView : public PropertyPage
{
    Q_OBJECT
public:
    explicit CPPOptionsView(const LOGFONT &gridFont, QWidget *parent = nullptr);
    ~CPPOptionsView() override;

    const LOGFONT &GridFont() const { return m_font; }

    QLabel *FontDescription() const;
    QAbstractButton *SampleButton() const;
    QAbstractButton *ChooseButton() const;

private:
    void chooseFont();
    void showFont();

    std::unique_ptr<Ui::CPPOptionsView> m_ui;
    LOGFONT m_font;
    // The size the description shows, in points.
    int m_pointSize = 0;
};

} // namespace orvel
