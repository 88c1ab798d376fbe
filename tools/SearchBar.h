#pragma once

#include <QDialog>

class QPushButton;

namespace orvel {

// The small modeless window that continues a search run after the find or
// replace dialog: "Suchen" with "Weitersuchen" and "Abbrechen", "Ersetzen"
// with "Weitersuchen", "Ersetzen" and "Abbrechen". Its buttons send the
// dialogs' codes; "Abbrechen" and Escape close it. It sits at the top edge
// of the window it belongs to and deletes itself once closed.
class SearchBar : public QDialog
{
    Q_OBJECT
public:
    enum class Kind { Find, Replace };
    static constexpr int kContinueResult = 520;
    static constexpr int kReplaceResult = 521;

    SearchBar(Kind kind, QWidget *owner);

    Kind GetKind() const { return m_kind; }
    QPushButton *ContinueButton() const { return m_continue; }
    // Null in the find bar.
    QPushButton *ReplaceButton() const { return m_replace; }
    QPushButton *CancelButton() const { return m_cancel; }

    // Shows the bar at the right of the top edge of its owner's window.
    void ShowAtTop();

signals:
    void continueRequested(int result);

private:
    Kind m_kind;
    QPushButton *m_continue = nullptr;
    QPushButton *m_replace = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace orvel
