#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace orvel {

// One entry of a menu or toolbar.
struct MenuEntry
{
    enum class Kind {
        Command, // id; text is empty or replaces the command's menu text here
        Separator,
        Popup,       // text is the German menu text (or the pop-up's name in a context-menu resource)
        Placeholder, // text names what the UI fills in: recent-files, window-list, ole-verbs
    };

    Kind kind = Kind::Command;
    int id = 0;
    QString text;
    std::vector<MenuEntry> children; // pop-ups only

    // The child pop-up with this text, or null.
    const MenuEntry *popup(QStringView popupText) const;
    // Every command id below this entry, in menu order (repeats included).
    std::vector<int> commandIds() const;
};

// The menu bars, context menus and toolbars of resources/menus.txt (the format
// is described at the top of that file). A menu or toolbar is a Popup entry
// named by its text, whose children are its entries.
class MenuTable
{
public:
    // The compiled-in lists, read once on first use.
    static const MenuTable &program();

    // Reads the lists. A bad line is left out and described in *errors; an
    // unclosed block is closed at the end of the text.
    static MenuTable parse(QByteArrayView utf8, QStringList *errors = nullptr);

    const MenuEntry *menu(QStringView name) const;
    const MenuEntry *toolbar(QStringView name) const;
    const std::vector<MenuEntry> &menus() const { return m_menus; }
    const std::vector<MenuEntry> &toolbars() const { return m_toolbars; }

private:
    std::vector<MenuEntry> m_menus;
    std::vector<MenuEntry> m_toolbars;
};

} // namespace orvel
