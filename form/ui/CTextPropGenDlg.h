#pragma once

#include "platform/Gdi.h"
#include "platform/LogFont.h"
#include "platform/ui/PropertySheet.h"

#include <memory>

class QAbstractButton;
class QLabel;

namespace Ui {
class CTextPropGenDlg;
}

namespace orvel {

// The look of a text or a data field's value on the format page.
struct TextFormat
{
    LOGFONT font;
    COLORREF color = 0;
    int alignment = 0; // 0 left, 1 centred, 2 right
};

// "Formatierung": the font (described, with a sample, chosen in the font
// dialog) and the alignment of a text or a data field.
class CTextPropGenDlg : public PropertyPage
{
    Q_OBJECT
public:
    explicit CTextPropGenDlg(const TextFormat &format, QWidget *parent = nullptr);
    ~CTextPropGenDlg() override;

    TextFormat Value() const;

    // For the tests.
    QLabel *FontDescription() const;
    QAbstractButton *SampleButton() const;
    QAbstractButton *ChooseButton() const;
    QAbstractButton *AlignmentButton(int alignment) const;

private:
    void chooseFont();
    void showFont();

    std::unique_ptr<Ui::CTextPropGenDlg> m_ui;
    TextFormat m_format;
    // The size the description shows, in points.
    int m_pointSize = 0;
};

} // namespace orvel
