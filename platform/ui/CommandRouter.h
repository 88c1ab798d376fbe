#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

class QAction;
class QWidget;

namespace orvel {

class CommandTable;

// What an update handler decides about one command before a menu opens or
// while the program is idle: enabled, checked, the menu text, whether it is
// shown at all.
class CCmdUI
{
public:
    explicit CCmdUI(int id)
        : m_id(id)
    {}
    int GetID() const { return m_id; }

    void Enable(bool on = true) { m_enabled = on; }
    void SetCheck(bool on = true) { m_checked = on; }
    // The menu text without its key ("&Formularansicht").
    void SetText(const QString &menuText) { m_text = menuText; }
    void SetVisible(bool on) { m_visible = on; }

    bool IsEnabled() const { return m_enabled; }
    const std::optional<bool> &Checked() const { return m_checked; }
    const std::optional<QString> &Text() const { return m_text; }
    const std::optional<bool> &Visible() const { return m_visible; }
    // Whether some target of the chain spoke for the command.
    bool IsHandled() const { return m_handled; }
    void SetHandled() { m_handled = true; }

private:
    int m_id;
    bool m_enabled = false;
    bool m_handled = false;
    std::optional<bool> m_checked;
    std::optional<QString> m_text;
    std::optional<bool> m_visible;
};

// The commands one object handles: a handler and an update handler per id
// or id range. A command with a handler but no update handler is enabled; a
// command that no object of the chain knows is disabled.
class CommandMap
{
public:
    using Handler = std::function<void()>;
    using RangeHandler = std::function<void(int id)>;
    using Updater = std::function<void(CCmdUI &)>;

    void On(int id, Handler handler, Updater update = {});
    void OnRange(int first, int last, RangeHandler handler, Updater update = {});
    // Runs the handler; false when this map has none for the id.
    bool Execute(int id) const;
    // Sets the state; false when this map does not know the id.
    bool Update(CCmdUI &ui) const;

private:
    struct Entry
    {
        RangeHandler handler;
        Updater update;
    };
    struct RangeEntry
    {
        int first = 0;
        int last = 0;
        Entry entry;
    };
    const Entry *find(int id) const;

    std::unordered_map<int, Entry> m_single;
    std::vector<RangeEntry> m_ranges;
};

// A link of the routing chain (view, document, frame, application).
class CCmdTarget
{
public:
    virtual ~CCmdTarget() = default;

    // With `ui`: fill in the state and return whether this target knows the
    // command. Without: carry the command out and return whether it did.
    // Targets that pass commands on to a part of theirs (the view to its
    // grid) override this.
    virtual bool OnCmdMsg(int id, CCmdUI *ui);

    CommandMap &GetCommandMap() { return m_commandMap; }

protected:
    CommandMap m_commandMap;
};

// One QAction per command id, made from the command table and added to the
// main window so that its key works anywhere in it. Triggering an action
// routes the command along the chain of the moment; update handlers run
// before a menu opens and whenever the event loop goes idle.
class CommandRouter : public QObject
{
    Q_OBJECT
public:
    using Chain = std::vector<CCmdTarget *>;
    using ChainProvider = std::function<Chain()>;

    // Timing of the idle update passes, in nanoseconds.
    struct IdleStats
    {
        int passes = 0;
        std::int64_t lastNs = 0;
        std::int64_t maxNs = 0;
        std::int64_t totalNs = 0;
    };

    CommandRouter(QWidget *window, const CommandTable &table);
    ~CommandRouter() override;

    // The action of a command id, or null for an id the table does not have.
    QAction *Action(int id) const;
    // Every command id that has an action, in ascending order.
    std::vector<int> Ids() const;
    // A second action for the same command with a menu text of its own (a
    // context menu that says "Datensatz &löschen"); it follows the state of
    // the command and routes like it.
    QAction *CreateAlias(int id, const QString &menuText, QObject *parent);

    void SetChainProvider(ChainProvider provider) { m_chainProvider = std::move(provider); }
    // Runs around every command carried out: it gets the id and the run of
    // the command, which it calls (or not). The undo list records the
    // document's changes in it.
    using ExecuteWrapper = std::function<void(int id, const std::function<void()> &run)>;
    void SetExecuteWrapper(ExecuteWrapper wrapper) { m_executeWrapper = std::move(wrapper); }
    Chain CurrentChain() const;

    // The state of a command as the chain decides it now.
    CCmdUI Query(int id) const;
    // Routes a command; false when it is disabled or nobody handles it.
    bool Execute(int id);

    void UpdateAction(int id);
    void UpdateActions(const QList<QAction *> &actions);
    void UpdateAll();

    // Runs UpdateAll whenever the event loop is about to wait.
    void SetIdleUpdates(bool on);
    const IdleStats &GetIdleStats() const { return m_idleStats; }

    // The key as the menus show it, in German ("Strg+Umsch+I", "Num +").
    static QString KeyText(const QKeySequence &key);
    // Keys that belong to the widget with the focus (arrows, Return, Tab,
    // Escape, Delete, page keys, keypad keys without Ctrl): shown in menus,
    // but not taken away from editors and the grid as window shortcuts.
    static bool IsWidgetKey(const QKeySequence &key);

private:
    struct Item
    {
        QAction *action = nullptr;
        QString menuText;
        QString keyText;
        std::vector<QAction *> aliases;
    };

    void apply(Item &item, const CCmdUI &ui);
    CCmdUI query(int id, const Chain &chain) const;
    void onIdle();
    void onTriggered(int id);

    QWidget *m_window;
    std::map<int, Item> m_items;
    ChainProvider m_chainProvider;
    ExecuteWrapper m_executeWrapper;
    IdleStats m_idleStats;
    QMetaObject::Connection m_idleConnection;
    bool m_inUpdate = false;
    int m_executing = 0;
};

} // namespace orvel
