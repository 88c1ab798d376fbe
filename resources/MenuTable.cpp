#include "resources/MenuTable.h"

#include "resources/StringTable.h"

#include <QFile>
#include <QStringDecoder>
#include <QtDebug>

#include <algorithm>
#include <charconv>
#include <optional>

namespace orvel {

namespace {

const MenuEntry *findNamed(const std::vector<MenuEntry> &entries, QStringView name)
{
    const auto it = std::find_if(entries.begin(), entries.end(), [name](const MenuEntry &e) { return e.text == name; });
    return it != entries.end() ? &*it : nullptr;
}

void collectIds(const MenuEntry &entry, std::vector<int> &ids)
{
    for (const MenuEntry &child : entry.children) {
        if (child.kind == MenuEntry::Kind::Command)
            ids.push_back(child.id);
        else if (child.kind == MenuEntry::Kind::Popup)
            collectIds(child, ids);
    }
}

std::optional<int> parseId(QStringView text)
{
    const QByteArray digits = text.toLatin1();
    int id = 0;
    const char *first = digits.constData();
    const char *last = first + digits.size();
    const auto [ptr, ec] = std::from_chars(first, last, id);
    if (digits.isEmpty() || ec != std::errc() || ptr != last || id <= 0 || id > 65535)
        return std::nullopt;
    return id;
}

// Lower-case words joined by hyphens: recent-files, window-list, ole-verbs.
bool isPlaceholderName(QStringView word)
{
    if (word.isEmpty() || word.front() < u'a' || word.front() > u'z' || word.back() == u'-')
        return false;
    QChar previous;
    for (QChar c : word) {
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
        if (!letter && (c != u'-' || previous == u'-'))
            return false;
        previous = c;
    }
    return true;
}

// Splits "keyword rest of line" at the first run of blanks.
std::pair<QStringView, QStringView> splitWord(QStringView line)
{
    qsizetype blank = 0;
    while (blank < line.size() && !line.at(blank).isSpace())
        ++blank;
    return {line.first(blank), line.sliced(blank).trimmed()};
}

} // namespace

const MenuEntry *MenuEntry::popup(QStringView popupText) const
{
    const auto it = std::find_if(children.begin(), children.end(), [popupText](const MenuEntry &e) {
        return e.kind == Kind::Popup && e.text == popupText;
    });
    return it != children.end() ? &*it : nullptr;
}

std::vector<int> MenuEntry::commandIds() const
{
    std::vector<int> ids;
    collectIds(*this, ids);
    return ids;
}

const MenuTable &MenuTable::program()
{
    static const MenuTable table = [] {
        QFile file(QStringLiteral(":/orvel/menus.txt"));
        if (!file.open(QIODevice::ReadOnly)) {
            qWarning("The menu lists are missing from the program's resources.");
            return MenuTable();
        }
        QStringList errors;
        MenuTable parsed = parse(file.readAll(), &errors);
        for (const QString &error : std::as_const(errors))
            qWarning("%s", qUtf8Printable(error));
        return parsed;
    }();
    return table;
}

MenuTable MenuTable::parse(QByteArrayView utf8, QStringList *errors)
{
    MenuTable table;
    auto report = [errors](int line, const QString &what) {
        if (errors)
            errors->append(QStringLiteral("menus line %1: %2").arg(line).arg(what));
    };

    QStringDecoder decoder(QStringConverter::Utf8);
    const QString text = decoder(utf8);
    if (decoder.hasError() && errors)
        errors->append(QStringLiteral("menus: the file is not valid UTF-8"));

    // The block being read: the top-level menu or toolbar first, then the open
    // pop-ups. Entries are built here and moved into their parent on "end", so
    // that no pointer into a growing vector is kept.
    struct Open
    {
        MenuEntry entry;
        bool isToolbar = false;
        int line = 0;
    };
    std::vector<Open> stack;

    auto closeTop = [&table, &stack, &report](int line) {
        Open done = std::move(stack.back());
        stack.pop_back();
        if (!stack.empty()) {
            stack.back().entry.children.push_back(std::move(done.entry));
            return;
        }
        std::vector<MenuEntry> &list = done.isToolbar ? table.m_toolbars : table.m_menus;
        if (findNamed(list, done.entry.text)) {
            report(line, QStringLiteral("\"%1\" is defined twice; the first one is kept").arg(done.entry.text));
            return;
        }
        list.push_back(std::move(done.entry));
    };

    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        const QStringView line = QStringView(lines.at(i)).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const auto [word, rest] = splitWord(line);

        if (word == u"menu" || word == u"toolbar") {
            if (!stack.empty()) {
                report(lineNumber, QStringLiteral("\"%1\" inside another block").arg(word));
                continue;
            }
            if (rest.isEmpty()) {
                report(lineNumber, QStringLiteral("\"%1\" without a name").arg(word));
                continue;
            }
            Open open;
            open.entry.kind = MenuEntry::Kind::Popup;
            open.entry.text = rest.toString();
            open.isToolbar = word == u"toolbar";
            open.line = lineNumber;
            stack.push_back(std::move(open));
            continue;
        }
        if (word == u"end") {
            if (stack.empty())
                report(lineNumber, QStringLiteral("\"end\" without an open block"));
            else
                closeTop(lineNumber);
            continue;
        }
        if (stack.empty()) {
            report(lineNumber, QStringLiteral("an entry outside a menu or toolbar"));
            continue;
        }

        const bool inToolbar = stack.front().isToolbar;
        MenuEntry entry;
        if (word == u"popup") {
            if (inToolbar) {
                report(lineNumber, QStringLiteral("a toolbar cannot hold a pop-up"));
                continue;
            }
            QString why;
            std::optional<QString> popupText = UnescapeResourceText(rest, &why);
            if (!popupText || popupText->isEmpty()) {
                report(lineNumber, popupText ? QStringLiteral("a pop-up without a text") : why);
                continue;
            }
            Open open;
            open.entry.kind = MenuEntry::Kind::Popup;
            open.entry.text = *popupText;
            open.line = lineNumber;
            stack.push_back(std::move(open));
            continue;
        }
        if (word == u"-" && rest.isEmpty()) {
            entry.kind = MenuEntry::Kind::Separator;
        } else if (word.front().isDigit()) {
            const std::optional<int> id = parseId(word);
            if (!id) {
                report(lineNumber, QStringLiteral("\"%1\" is not a command id").arg(word));
                continue;
            }
            QString why;
            std::optional<QString> itemText = UnescapeResourceText(rest, &why);
            if (!itemText || (inToolbar && !itemText->isEmpty())) {
                report(lineNumber, itemText ? QStringLiteral("a toolbar button takes no text") : why);
                continue;
            }
            entry.kind = MenuEntry::Kind::Command;
            entry.id = *id;
            entry.text = *itemText;
        } else if (rest.isEmpty() && isPlaceholderName(word) && !inToolbar) {
            entry.kind = MenuEntry::Kind::Placeholder;
            entry.text = word.toString();
        } else {
            report(lineNumber, QStringLiteral("cannot read \"%1\"").arg(line));
            continue;
        }
        stack.back().entry.children.push_back(std::move(entry));
    }

    while (!stack.empty()) {
        report(stack.back().line, QStringLiteral("\"%1\" is not closed with \"end\"").arg(stack.back().entry.text));
        closeTop(stack.back().line);
    }
    return table;
}

const MenuEntry *MenuTable::menu(QStringView name) const
{
    return findNamed(m_menus, name);
}

const MenuEntry *MenuTable::toolbar(QStringView name) const
{
    return findNamed(m_toolbars, name);
}

} // namespace orvel
