#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QListWidget;

namespace orvel {

// "Neue Datenbank erstellen": an empty database, an existing file or one of
// the seven templates, chosen from a list of icons; and whether the dialog
// shows at start.
class NewDatabaseDialog : public QDialog
{
    Q_OBJECT
public:
    // The choices in list order: the index is the dialog's answer.
    enum Choice { EmptyDatabase = 0, OpenFile = 1, FirstTemplate = 2 };
    struct Entry
    {
        int textId;
        const char *icon;      // in the icon resources
        const char *template_; // file in "Template/", null for the first two
    };
    static constexpr int kChoices = 9;
    static const std::array<Entry, kChoices> &Entries();

    NewDatabaseDialog(bool showAtStart, QWidget *parent = nullptr);

    // The selected choice after OK (-1 without a selection).
    int Selected() const;
    bool ShowAtStart() const;
    QListWidget *List() const { return m_list; }
    QCheckBox *ShowAtStartBox() const { return m_showAtStart; }

private:
    QListWidget *m_list = nullptr;
    QCheckBox *m_showAtStart = nullptr;
};

} // namespace orvel
