#pragma once

#include "platform/AnsiString.h"
#include "platform/ui/PropertySheet.h"

#include <memory>

class QCheckBox;
class QGroupBox;
class QPlainTextEdit;
class QSpinBox;

namespace Ui {
class CTextPropTextDlg;
}

namespace orvel {

// "Text": the text of a text object, over several lines, and whether it
// wraps at the object's right edge. The angle (0 to 360 degrees) has its
// group on the page but is not shown.
class CTextPropTextDlg : public PropertyPage
{
    Q_OBJECT
public:
    CTextPropTextDlg(const AnsiString &text, bool wordWrap, int angle, QWidget *parent = nullptr);
    ~CTextPropTextDlg() override;

    // Line breaks as the form keeps them (CR LF). An unchanged text is the
    // text given, byte for byte.
    AnsiString Text() const;
    bool WordWrap() const;
    // The angle given, until the user changes it.
    int Angle() const;

    // For the tests.
    QPlainTextEdit *TextEdit() const;
    QCheckBox *WordWrapBox() const;
    QGroupBox *AngleGroup() const;
    QSpinBox *AngleBox() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::CTextPropTextDlg> m_ui;
    AnsiString m_text;
    QString m_shownText;
    int m_angle;
    bool m_angleChanged = false;
    bool m_shown = false;
};

} // namespace orvel
