#pragma once

#include "form/ObjectProperties.h"
#include "platform/ui/PropertySheet.h"

#include <memory>

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QSpinBox;

namespace Ui {
class LinePropPage;
}

namespace orvel {

class ColorSwatch;

// "Linie": the width of a drawn object's outline (0 to 10 points, 0 for
// none), its colour and its kind. The kinds other than solid apply to lines
// of width 1 only: their buttons are enabled only then, and a wider line
// becomes solid. "3D" (a raised frame) is offered only where the object can
// draw one.
class LinePropPage : public PropertyPage
{
    Q_OBJECT
public:
    LinePropPage(const LineFillValues &values, bool supports3DFrame, QWidget *parent = nullptr);
    ~LinePropPage() override;

    // The values given, with this page's width, colour and kind.
    LineFillValues Value() const;

    // A width outside 0 to 10 (only an object read from a file can bring
    // one) is refused with a message; the page stays.
    bool OnKillActive() override;

    // For the tests.
    QSpinBox *WidthBox() const;
    ColorSwatch *ColorPreview() const;
    QAbstractButton *ChangeButton() const;
    QGroupBox *KindGroup() const;
    QAbstractButton *KindButton(int kind) const;

private:
    void widthChanged(int width);
    void changeColor();

    std::unique_ptr<Ui::LinePropPage> m_ui;
    QButtonGroup *m_kinds;
    LineFillValues m_values;
};

} // namespace orvel
