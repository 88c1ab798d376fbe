#pragma once

#include "platform/LogFont.h"
#include "platform/ui/PropertySheet.h"

#include <memory>

class QAbstractButton;
class QCheckBox;
class QGroupBox;

namespace Ui {
class FillPropPage;
}

namespace orvel {

class ColorSwatch;

// "Füllung": whether a drawn object is filled, and with which colour. The
// colour can be changed only while the object is filled; meanwhile the
// preview shows light grey and the colour is kept.
class FillPropPage : public PropertyPage
{
    Q_OBJECT
public:
    // What the preview shows while the object is not filled.
    static constexpr COLORREF kUnfilledPreview = 0x00C0C0C0;

    FillPropPage(bool fill, COLORREF color, QWidget *parent = nullptr);
    ~FillPropPage() override;

    bool Fill() const;
    COLORREF Color() const { return m_color; }

    // For the tests.
    QCheckBox *FillBox() const;
    QGroupBox *ColorGroup() const;
    ColorSwatch *ColorPreview() const;
    QAbstractButton *ChangeButton() const;

private:
    void showFill();
    void changeColor();

    std::unique_ptr<Ui::FillPropPage> m_ui;
    COLORREF m_color;
};

} // namespace orvel
