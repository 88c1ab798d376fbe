#pragma once

#include <QDialog>

#include <memory>
#include <optional>

class QCheckBox;

namespace Ui {
class ToolbarsDialog;
}

namespace orvel {

// "Symbolleisten": which bars show, and how the toolbars' buttons look.
class ToolbarsDialog : public QDialog
{
    Q_OBJECT
public:
    struct Choices
    {
        bool standard = true;
        bool navigation = true;
        bool formDesign = false;
        bool colors = false;
        bool statusBar = true;
        bool largeButtons = false;
        bool toolTips = true;
        bool operator==(const Choices &) const = default;
    };

    // The two design bars can be chosen only while a view designs its form.
    ToolbarsDialog(const Choices &choices, bool designing, QWidget *parent = nullptr);
    ~ToolbarsDialog() override;

    // The boxes as they stand.
    Choices GetChoices() const;

    QCheckBox *StandardBox() const;
    QCheckBox *NavigationBox() const;
    QCheckBox *FormDesignBox() const;
    QCheckBox *ColorsBox() const;
    QCheckBox *StatusBarBox() const;
    QCheckBox *LargeButtonsBox() const;
    QCheckBox *ToolTipsBox() const;

private:
    std::unique_ptr<Ui::ToolbarsDialog> m_ui;
    Choices m_initial;
};

// The choices after OK, nothing after Cancel.
std::optional<ToolbarsDialog::Choices> RunToolbarsDialog(QWidget *parent, const ToolbarsDialog::Choices &choices,
                                                         bool designing);

} // namespace orvel
