#pragma once

#include "platform/ui/PropertySheet.h"

#include <memory>

class QAbstractButton;
class QLineEdit;

namespace Ui {
class CPPOptionsGeneral;
}

namespace orvel {

struct AppSettings;

// "Allgemeines": the "New" dialog at start, the standard view, relative
// picture paths and the outside-line prefix for dialling.
class CPPOptionsGeneral : public PropertyPage
{
    Q_OBJECT
public:
    explicit CPPOptionsGeneral(const AppSettings &settings, QWidget *parent = nullptr);
    ~CPPOptionsGeneral() override;

    // Writes the page's values into `settings`.
    void Store(AppSettings &settings) const;

    QAbstractButton *StartWindowBox() const;
    // 0 the form view, 1 the list view.
    QAbstractButton *ViewButton(int view) const;
    QAbstractButton *RelativePathsBox() const;
    // The program's own coloured caption ("ShowTitle").
    QAbstractButton *ShowTitleBox() const;
    QAbstractButton *CompressBlobsBox() const;
    QLineEdit *DialPrefixEdit() const;

private:
    std::unique_ptr<Ui::CPPOptionsGeneral> m_ui;
};

} // namespace orvel
