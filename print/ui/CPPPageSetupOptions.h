#pragma once

#include "document/PageSettings.h"
#include "platform/ui/PropertySheet.h"
#include "print/ui/SessionPrinter.h"

#include <memory>

class QAbstractButton;
class QCheckBox;
class QComboBox;

namespace Ui {
class CPPPageSetupOptions;
}

namespace orvel {

class OrientationPicture;

// "Optionen": paper size and bin from the printer's lists, orientation,
// field names, record numbers, widths and the separator lines.
//
// What a file brought that the page cannot show (a paper code the printer
// does not list, an option of 2, a line style of 7) stays as it was until
// the user changes that control.
class CPPPageSetupOptions : public PropertyPage
{
    Q_OBJECT
public:
    CPPPageSetupOptions(const PageSettings &settings, const PaperOffer &paper, QWidget *parent = nullptr);
    ~CPPPageSetupOptions() override;

    // Writes paper size, bin, orientation, the three options and the line
    // style into `settings`.
    void Store(PageSettings &settings) const;

    QComboBox *SizeBox() const;
    QComboBox *SourceBox() const;
    QAbstractButton *OrientationButton(bool landscape) const;
    OrientationPicture *Picture() const;
    QCheckBox *FieldNamesBox() const;
    QCheckBox *NumbersBox() const;
    QCheckBox *WidthsBox() const;
    // 0 "Keine Linien" to 5 "2 Striche, 1 Punkt".
    QAbstractButton *LineButton(int style) const;

private:
    std::unique_ptr<Ui::CPPPageSetupOptions> m_ui;
    int m_initialSize = -1;
    int m_initialSource = -1;
    bool m_initialLandscape = false;
    bool m_initialChecks[3] = {};
};

} // namespace orvel
