#pragma once

#include "document/PageSettings.h"
#include "platform/ui/PropertySheet.h"

#include <memory>

class QAbstractButton;
class QLineEdit;
class QMenu;

namespace Ui {
class CPPPageSetupHeaders;
}

namespace orvel {

// "Kopf-/Fußzeile": the header and footer texts of the printout. The ">"
// beside each edit offers the placeholders (page number, path, the file's
// and the printout's time and date), which it appends to that edit's text.
class CPPPageSetupHeaders : public PropertyPage
{
    Q_OBJECT
public:
    // The texts are stored in fields of 255 bytes with their terminator.
    static constexpr int kMaxTextLength = 254;

    explicit CPPPageSetupHeaders(const PageSettings &settings, QWidget *parent = nullptr);
    ~CPPPageSetupHeaders() override;

    // Writes header and footer into `settings`; a text the user left alone
    // keeps its bytes.
    void Store(PageSettings &settings) const;

    // The placeholder a command of the placeholder menu appends ("&p" for
    // the page number, ...); empty for any other command.
    static QString PlaceholderOf(int command);

    QLineEdit *HeaderEdit() const;
    QLineEdit *FooterEdit() const;
    QAbstractButton *HeaderPlaceholderButton() const;
    QAbstractButton *FooterPlaceholderButton() const;

private:
    // Opens the placeholder menu at the button's top-right corner.
    void choosePlaceholder(QLineEdit *edit, QAbstractButton *button);
    QMenu *buildPlaceholderMenu();

    std::unique_ptr<Ui::CPPPageSetupHeaders> m_ui;
    QString m_initialHeader;
    QString m_initialFooter;
};

} // namespace orvel
