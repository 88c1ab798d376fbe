#include "platform/ui/CommandRouter.h"

#include "platform/gfx/KeySequences.h"
#include "resources/CommandTable.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

#include <algorithm>

namespace orvel {

// --- CommandMap ---

void CommandMap::On(int id, Handler handler, Updater update)
{
    RangeHandler wrapped;
    if (handler)
        wrapped = [h = std::move(handler)](int) { h(); };
    m_single[id] = Entry{std::move(wrapped), std::move(update)};
}

void CommandMap::OnRange(int first, int last, RangeHandler handler, Updater update)
{
    m_ranges.push_back(RangeEntry{first, last, Entry{std::move(handler), std::move(update)}});
}

const CommandMap::Entry *CommandMap::find(int id) const
{
    if (const auto it = m_single.find(id); it != m_single.end())
        return &it->second;
    for (const RangeEntry &range : m_ranges) {
        if (id >= range.first && id <= range.last)
            return &range.entry;
    }
    return nullptr;
}

bool CommandMap::Execute(int id) const
{
    const Entry *entry = find(id);
    if (!entry || !entry->handler)
        return false;
    entry->handler(id);
    return true;
}

bool CommandMap::Update(CCmdUI &ui) const
{
    const Entry *entry = find(ui.GetID());
    if (!entry)
        return false;
    ui.SetHandled();
    if (entry->update) {
        // An update handler that says nothing leaves the command enabled.
        ui.Enable(true);
        entry->update(ui);
    } else {
        ui.Enable(static_cast<bool>(entry->handler));
    }
    return true;
}

bool CCmdTarget::OnCmdMsg(int id, CCmdUI *ui)
{
    return ui ? m_commandMap.Update(*ui) : m_commandMap.Execute(id);
}

// --- CommandRouter ---

CommandRouter::CommandRouter(QWidget *window, const CommandTable &table)
    : QObject(window)
    , m_window(window)
{
    for (const Command &command : table.all()) {
        Item item;
        item.menuText = command.menuText;
        const QKeySequence key = KeySequenceOf(command);
        item.keyText = KeyText(key);
        auto *action = new QAction(window);
        action->setObjectName(command.symbol);
        action->setData(command.id);
        action->setText(item.keyText.isEmpty() ? item.menuText : item.menuText + u'\t' + item.keyText);
        action->setStatusTip(command.prompt);
        action->setToolTip(command.toolTip);
        action->setEnabled(false);
        if (!key.isEmpty() && !IsWidgetKey(key)) {
            action->setShortcut(key);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { onTriggered(id); });
        if (window)
            window->addAction(action);
        item.action = action;
        m_items.emplace(id, std::move(item));
    }
}

CommandRouter::~CommandRouter()
{
    SetIdleUpdates(false);
}

QAction *CommandRouter::Action(int id) const
{
    const auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : it->second.action;
}

std::vector<int> CommandRouter::Ids() const
{
    std::vector<int> ids;
    ids.reserve(m_items.size());
    for (const auto &entry : m_items)
        ids.push_back(entry.first);
    return ids;
}

QAction *CommandRouter::CreateAlias(int id, const QString &menuText, QObject *parent)
{
    const auto it = m_items.find(id);
    if (it == m_items.end())
        return nullptr;
    Item &item = it->second;
    auto *alias = new QAction(parent);
    alias->setData(id);
    alias->setText(item.keyText.isEmpty() ? menuText : menuText + u'\t' + item.keyText);
    alias->setStatusTip(item.action->statusTip());
    alias->setToolTip(item.action->toolTip());
    alias->setEnabled(item.action->isEnabled());
    alias->setCheckable(item.action->isCheckable());
    alias->setChecked(item.action->isChecked());
    connect(alias, &QAction::triggered, this, [this, id] { onTriggered(id); });
    connect(alias, &QObject::destroyed, this, [this, id](QObject *gone) {
        const auto found = m_items.find(id);
        if (found == m_items.end())
            return;
        auto &aliases = found->second.aliases;
        aliases.erase(std::remove(aliases.begin(), aliases.end(), gone), aliases.end());
    });
    item.aliases.push_back(alias);
    return alias;
}

CommandRouter::Chain CommandRouter::CurrentChain() const
{
    return m_chainProvider ? m_chainProvider() : Chain();
}

CCmdUI CommandRouter::query(int id, const Chain &chain) const
{
    CCmdUI ui(id);
    for (CCmdTarget *target : chain) {
        if (target && target->OnCmdMsg(id, &ui))
            break;
    }
    return ui;
}

CCmdUI CommandRouter::Query(int id) const
{
    return query(id, CurrentChain());
}

bool CommandRouter::Execute(int id)
{
    const Chain chain = CurrentChain();
    // A key can arrive before the idle pass has disabled its command.
    if (!query(id, chain).IsEnabled())
        return false;
    ++m_executing;
    bool done = false;
    const auto run = [&] {
        for (CCmdTarget *target : chain) {
            if (target && target->OnCmdMsg(id, nullptr)) {
                done = true;
                break;
            }
        }
    };
    if (m_executeWrapper)
        m_executeWrapper(id, run);
    else
        run();
    --m_executing;
    return done;
}

void CommandRouter::onTriggered(int id)
{
    Execute(id);
}

void CommandRouter::apply(Item &item, const CCmdUI &ui)
{
    QAction *action = item.action;
    action->setEnabled(ui.IsEnabled());
    if (ui.Checked()) {
        if (!action->isCheckable())
            action->setCheckable(true);
        action->setChecked(*ui.Checked());
    }
    if (ui.Text()) {
        const QString text = item.keyText.isEmpty() ? *ui.Text() : *ui.Text() + u'\t' + item.keyText;
        action->setText(text);
    }
    if (ui.Visible())
        action->setVisible(*ui.Visible());
    for (QAction *alias : item.aliases) {
        alias->setEnabled(ui.IsEnabled());
        if (ui.Checked()) {
            alias->setCheckable(true);
            alias->setChecked(*ui.Checked());
        }
    }
}

void CommandRouter::UpdateAction(int id)
{
    const auto it = m_items.find(id);
    if (it != m_items.end())
        apply(it->second, query(id, CurrentChain()));
}

void CommandRouter::UpdateActions(const QList<QAction *> &actions)
{
    const Chain chain = CurrentChain();
    for (QAction *action : actions) {
        bool isCommand = false;
        const int id = action->data().toInt(&isCommand);
        const auto it = isCommand ? m_items.find(id) : m_items.end();
        if (it != m_items.end())
            apply(it->second, query(id, chain));
    }
}

void CommandRouter::UpdateAll()
{
    if (m_inUpdate)
        return;
    m_inUpdate = true;
    const Chain chain = CurrentChain();
    for (auto &[id, item] : m_items)
        apply(item, query(id, chain));
    m_inUpdate = false;
}

void CommandRouter::SetIdleUpdates(bool on)
{
    if (m_idleConnection) {
        disconnect(m_idleConnection);
        m_idleConnection = {};
    }
    if (!on)
        return;
    if (auto *dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread()))
        m_idleConnection = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CommandRouter::onIdle);
}

void CommandRouter::onIdle()
{
    // Not while a command runs its own event loop (a dialog): its window
    // is modal, and the states are brought up to date when it returns.
    if (m_executing > 0 || m_inUpdate)
        return;
    QElapsedTimer timer;
    timer.start();
    UpdateAll();
    const std::int64_t ns = timer.nsecsElapsed();
    ++m_idleStats.passes;
    m_idleStats.lastNs = ns;
    m_idleStats.maxNs = std::max(m_idleStats.maxNs, ns);
    m_idleStats.totalNs += ns;
}

bool CommandRouter::IsWidgetKey(const QKeySequence &key)
{
    if (key.isEmpty())
        return false;
    const QKeyCombination combination = key[0];
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const int code = combination.key();
    return !(code >= Qt::Key_F1 && code <= Qt::Key_F35);
}

QString CommandRouter::KeyText(const QKeySequence &key)
{
    if (key.isEmpty())
        return QString();
    const QKeyCombination combination = key[0];
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    QStringList parts;
    if (modifiers & Qt::ControlModifier)
        parts << QStringLiteral("Strg");
    if (modifiers & Qt::AltModifier)
        parts << QStringLiteral("Alt");
    bool shift = modifiers & Qt::ShiftModifier;
    QString name;
    switch (combination.key()) {
    case Qt::Key_PageUp:
        name = QStringLiteral("Bild oben");
        break;
    case Qt::Key_PageDown:
        name = QStringLiteral("Bild unten");
        break;
    case Qt::Key_Home:
        name = QStringLiteral("Pos1");
        break;
    case Qt::Key_End:
        name = QStringLiteral("Ende");
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        name = QStringLiteral("Eingabe");
        break;
    case Qt::Key_Delete:
        name = QStringLiteral("Entf");
        break;
    case Qt::Key_Insert:
        name = QStringLiteral("Einfg");
        break;
    case Qt::Key_Escape:
        name = QStringLiteral("Esc");
        break;
    case Qt::Key_Up:
        name = QStringLiteral("Nach-oben");
        break;
    case Qt::Key_Down:
        name = QStringLiteral("Nach-unten");
        break;
    case Qt::Key_Left:
        name = QStringLiteral("Nach-links");
        break;
    case Qt::Key_Right:
        name = QStringLiteral("Nach-rechts");
        break;
    case Qt::Key_Backtab:
        shift = true;
        name = QStringLiteral("Tab");
        break;
    default:
        name = QKeySequence(combination.key()).toString(QKeySequence::PortableText);
        break;
    }
    if (shift)
        parts << QStringLiteral("Umsch");
    if (modifiers & Qt::KeypadModifier)
        name = QStringLiteral("Num ") + name;
    parts << name;
    return parts.join(u'+');
}

} // namespace orvel
