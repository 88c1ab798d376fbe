#include "platform/ui/MenuBuilder.h"

#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace orvel {

namespace {

struct IconName
{
    int id;
    const char *file;
};

// The toolbar commands and their drawings in resources/icons.
constexpr IconName kIcons[] = {
        {ID_FILE_NEW, "file-new"},
        {ID_FILE_OPEN, "file-open"},
        {ID_FILE_SAVE, "file-save"},
        {ID_FILE_PRINT, "file-print"},
        {ID_FILE_PRINT_PREVIEW, "print-preview"},
        {ID_PAGE_SETUP, "page-setup"},
        {ID_EDIT_CUT, "edit-cut"},
        {ID_EDIT_COPY, "edit-copy"},
        {ID_EDIT_PASTE, "edit-paste"},
        {ID_EDIT_UNDO, "edit-undo"},
        {ID_EDIT_REDO, "edit-redo"},
        {ID_RECORD_DELETE, "record-delete"},
        {ID_RECORD_INSERT_BEFORE, "record-insert"},
        {ID_RECORD_FIND, "record-find"},
        {ID_DATABASE_SORT, "database-sort"},
        {ID_RECORD_DIAL, "record-dial"},
        {ID_VIEW_LIST_FORM, "view-list-form"},
        {ID_VIEW_FORM_DESIGN, "form-design"},
        {ID_APP_ABOUT, "app-about"},
        {ID_RECORD_FIRST, "record-first"},
        {ID_RECORD_PREV, "record-prev"},
        {ID_RECORD_NEXT, "record-next"},
        {ID_RECORD_LAST, "record-last"},
        {ID_RECORD_MARK, "record-mark"},
        {ID_TOOL_SELECT, "tool-select"},
        {ID_TOOL_TEXT, "tool-text"},
        {ID_TOOL_DATA_FIELD, "tool-data-field"},
        {ID_TOOL_LINE, "tool-line"},
        {ID_TOOL_RECT, "tool-rect"},
        {ID_TOOL_ROUND_RECT, "tool-round-rect"},
        {ID_TOOL_ELLIPSE, "tool-ellipse"},
        {ID_TOOL_POLYGON, "tool-polygon"},
        {ID_TOOL_PICTURE, "tool-picture"},
        {ID_OLE_INSERT_NEW, "ole-insert"},
};

} // namespace

MenuBuilder::MenuBuilder(CommandRouter &router, const MenuTable &table)
    : m_router(router)
    , m_table(table)
{}

QIcon MenuBuilder::CommandIcon(int id)
{
    for (const IconName &icon : kIcons) {
        if (icon.id == id)
            return QIcon(QStringLiteral(":/orvel/icons/%1.svg").arg(QLatin1String(icon.file)));
    }
    return QIcon();
}

void MenuBuilder::SetCommandIcons(CommandRouter &router)
{
    for (const IconName &icon : kIcons) {
        if (QAction *action = router.Action(icon.id))
            action->setIcon(CommandIcon(icon.id));
    }
}

void MenuBuilder::fillMenu(QMenu *menu, const MenuEntry &popup) const
{
    for (const MenuEntry &entry : popup.children) {
        switch (entry.kind) {
        case MenuEntry::Kind::Command: {
            QAction *action =
                    entry.text.isEmpty() ? m_router.Action(entry.id) : m_router.CreateAlias(entry.id, entry.text, menu);
            if (action)
                menu->addAction(action);
            break;
        }
        case MenuEntry::Kind::Separator:
            menu->addSeparator();
            break;
        case MenuEntry::Kind::Popup:
            menu->addMenu(BuildPopup(entry, menu));
            break;
        case MenuEntry::Kind::Placeholder:
            if (m_placeholders)
                m_placeholders(menu, entry.text);
            break;
        }
    }
}

QMenu *MenuBuilder::BuildPopup(const MenuEntry &popup, QWidget *parent) const
{
    auto *menu = new QMenu(popup.text, parent);
    fillMenu(menu, popup);
    CommandRouter *router = &m_router;
    QObject::connect(menu, &QMenu::aboutToShow, menu, [router, menu] { router->UpdateActions(menu->actions()); });
    return menu;
}

void MenuBuilder::FillMenuBar(QMenuBar *bar, QStringView menuName) const
{
    const MenuEntry *resource = m_table.menu(menuName);
    if (!resource)
        return;
    for (const MenuEntry &entry : resource->children) {
        if (entry.kind == MenuEntry::Kind::Popup)
            bar->addMenu(BuildPopup(entry, bar));
    }
}

QMenu *MenuBuilder::BuildContextMenu(QStringView menuName, int index, QWidget *parent) const
{
    const MenuEntry *resource = m_table.menu(menuName);
    if (!resource || index < 0)
        return nullptr;
    int n = 0;
    for (const MenuEntry &entry : resource->children) {
        if (entry.kind != MenuEntry::Kind::Popup)
            continue;
        if (n++ == index)
            return BuildPopup(entry, parent);
    }
    return nullptr;
}

void MenuBuilder::FillToolBar(QToolBar *bar, QStringView name) const
{
    const MenuEntry *resource = m_table.toolbar(name);
    if (!resource)
        return;
    for (const MenuEntry &entry : resource->children) {
        if (entry.kind == MenuEntry::Kind::Separator) {
            bar->addSeparator();
        } else if (entry.kind == MenuEntry::Kind::Command) {
            if (QAction *action = m_router.Action(entry.id))
                bar->addAction(action);
        }
    }
}

} // namespace orvel
