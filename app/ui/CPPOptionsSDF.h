#pragma once

#include "platform/ui/PropertySheet.h"

#include <memory>
#include <optional>

class QAbstractButton;
class QLineEdit;
class QMenu;

namespace Ui {
class CPPOptionsSDF;
}

namespace orvel {

struct AppSettings;

// "SDF-Dateifilter": the field and data delimiters of SDF files as
// character codes, each with a menu of the usual ones, and the character
// set of the files.
class CPPOptionsSDF : public PropertyPage
{
    Q_OBJECT
public:
    // The codes a delimiter may have.
    static constexpr int kMinDelimiter = 1;
    static constexpr int kMaxDelimiter = 255;

    explicit CPPOptionsSDF(const AppSettings &settings, QWidget *parent = nullptr);
    ~CPPOptionsSDF() override;

    // Both delimiters must be codes from 1 to 255.
    bool OnKillActive() override;
    // Writes the page's values into `settings`; call after OnKillActive.
    void Store(AppSettings &settings) const;

    // The code a delimiter command of the menu stands for; nothing for
    // other commands.
    static std::optional<int> DelimiterOf(int command);

    QLineEdit *FieldDelimiterEdit() const;
    QLineEdit *DataDelimiterEdit() const;
    QAbstractButton *FieldDelimiterButton() const;
    QAbstractButton *DataDelimiterButton() const;
    // 0 DOS, 1 ANSI.
    QAbstractButton *CharSetButton(int charSet) const;

private:
    QMenu *buildDelimiterMenu();
    void chooseDelimiter(QLineEdit *edit, QAbstractButton *button);

    std::unique_ptr<Ui::CPPOptionsSDF> m_ui;
};

} // namespace orvel
