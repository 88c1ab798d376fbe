#pragma once

#include "resources/MenuTable.h"

#include <QIcon>
#include <QString>
#include <QStringView>

#include <functional>

class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace orvel {

class CommandRouter;

// Builds menu bars, context menus and toolbars from the menu lists, with
// the router's actions, so that a command looks and behaves the same
// wherever it appears.
class MenuBuilder
{
public:
    // Fills in a placeholder ("recent-files", "window-list", "ole-verbs")
    // at the current end of `menu`.
    using PlaceholderHandler = std::function<void(QMenu *menu, const QString &name)>;

    explicit MenuBuilder(CommandRouter &router, const MenuTable &table = MenuTable::program());

    void SetPlaceholderHandler(PlaceholderHandler handler) { m_placeholders = std::move(handler); }

    // The pop-ups of a menu resource ("MainMenu", "DesignMenu") as the menus
    // of `bar`. Each pop-up brings its commands up to date before it opens.
    void FillMenuBar(QMenuBar *bar, QStringView menuName) const;
    // Pop-up `index` of a context-menu resource ("Context"), or null.
    QMenu *BuildContextMenu(QStringView menuName, int index, QWidget *parent) const;
    QMenu *BuildPopup(const MenuEntry &popup, QWidget *parent) const;
    // The buttons of toolbar `name` ("Standard", "Steuerung").
    void FillToolBar(QToolBar *bar, QStringView name) const;

    // The program's own icon of a command, null when it has none.
    static QIcon CommandIcon(int id);
    // Sets the icon of every command that has one.
    static void SetCommandIcons(CommandRouter &router);

private:
    void fillMenu(QMenu *menu, const MenuEntry &popup) const;

    CommandRouter &m_router;
    const MenuTable &m_table;
    PlaceholderHandler m_placeholders;
};

} // namespace orvel
