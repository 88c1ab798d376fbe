#pragma once

#include "document/PageSettings.h"
#include "platform/ui/PropertySheet.h"
#include "print/MarginCheck.h"

#include <memory>
#include <optional>

class QAbstractButton;
class QLineEdit;

namespace Ui {
class CPPPageSetupMargins;
}

namespace orvel {

// "Ränder/Ausrichtung": the four page margins in whole millimetres and the
// alignment of table, header and footer. Opening the page fits the margins
// to the printer without a word; leaving it (or OK) checks the numbers and
// the margins once more, and when the check had to correct them the page
// shows the corrected values, says so (message 8) and stays.
class CPPPageSetupMargins : public PropertyPage
{
    Q_OBJECT
public:
    static constexpr int kMaxMargin = 2000;

    explicit CPPPageSetupMargins(const PageSettings &settings, QWidget *parent = nullptr);
    ~CPPPageSetupMargins() override;

    bool OnKillActive() override;
    // Writes the margins (when the edits hold valid numbers) and the
    // alignment (when a button is chosen) into `settings`.
    void Store(PageSettings &settings) const;

    // The margins as the edits show them; nothing while one holds no
    // number from 0 to 2000.
    std::optional<PageMargins> Margins() const;

    QLineEdit *TopEdit() const;
    QLineEdit *BottomEdit() const;
    QLineEdit *LeftEdit() const;
    QLineEdit *RightEdit() const;
    QAbstractButton *AlignmentButton(int alignment) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showMargins(const PageMargins &margins);

    std::unique_ptr<Ui::CPPPageSetupMargins> m_ui;
};

} // namespace orvel
