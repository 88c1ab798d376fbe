#include "resources/CommandTable.h"

#include <QFile>
#include <QStringDecoder>
#include <QtDebug>

#include <algorithm>
#include <charconv>

namespace orvel {

namespace {

bool isSymbol(QStringView symbol)
{
    if (symbol.isEmpty() || symbol.front().isDigit())
        return false;
    return std::all_of(symbol.begin(), symbol.end(),
                       [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_'; });
}

// A key must be one key combination written as Qt's portable key text
// writes it (modifiers in the order Ctrl, Alt, Shift, Num, then one key), so
// that a typing error in the table cannot silently bind some other key. The
// graphics layer turns the text into a key sequence; its tests check that
// every key of the program's table reads back as written.
bool isKey(QStringView key)
{
    for (const QStringView modifier : {u"Ctrl+", u"Alt+", u"Shift+", u"Num+"}) {
        if (key.startsWith(modifier) && key.size() > modifier.size())
            key = key.sliced(modifier.size());
    }
    if (key.size() == 1)
        return key.front().unicode() > u' ' && key.front().unicode() < 0x7F
               && !(key.front() >= u'a' && key.front() <= u'z');
    static const QStringView names[] = {u"Return", u"Enter", u"Tab",   u"Backtab", u"Esc",  u"Backspace",
                                        u"Ins",    u"Del",   u"Home",  u"End",     u"PgUp", u"PgDown",
                                        u"Left",   u"Up",    u"Right", u"Down",    u"Space"};
    if (std::find(std::begin(names), std::end(names), key) != std::end(names))
        return true;
    if (key.size() >= 2 && key.front() == u'F') {
        bool ok = false;
        const int number = key.sliced(1).toInt(&ok);
        return ok && number >= 1 && number <= 35 && !key.sliced(1).startsWith(u'0');
    }
    return false;
}

} // namespace

const CommandTable &CommandTable::program()
{
    static const CommandTable table = [] {
        QFile file(QStringLiteral(":/orvel/commands.txt"));
        if (!file.open(QIODevice::ReadOnly)) {
            qWarning("The command table is missing from the program's resources.");
            return CommandTable();
        }
        QStringList errors;
        CommandTable parsed = parse(file.readAll(), StringTable::program(), &errors);
        for (const QString &error : std::as_const(errors))
            qWarning("%s", qUtf8Printable(error));
        return parsed;
    }();
    return table;
}

CommandTable CommandTable::parse(QByteArrayView utf8, const StringTable &strings, QStringList *errors)
{
    CommandTable table;
    auto report = [errors](int line, const QString &what) {
        if (errors)
            errors->append(QStringLiteral("commands line %1: %2").arg(line).arg(what));
    };

    QStringDecoder decoder(QStringConverter::Utf8);
    const QString text = decoder(utf8);
    if (decoder.hasError() && errors)
        errors->append(QStringLiteral("commands: the file is not valid UTF-8"));

    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        QStringView line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;

        const QList<QStringView> columns = line.split(u'\t');
        if (columns.size() < 2 || columns.size() > 4) {
            report(lineNumber, QStringLiteral("expected id, symbol, menu text and key"));
            continue;
        }
        Command command;
        const QByteArray idText = columns.at(0).toLatin1();
        const char *first = idText.constData();
        const char *last = first + idText.size();
        const auto [ptr, ec] = std::from_chars(first, last, command.id);
        if (idText.isEmpty() || ec != std::errc() || ptr != last || command.id <= 0 || command.id > 65535) {
            report(lineNumber, QStringLiteral("\"%1\" is not an id").arg(columns.at(0)));
            continue;
        }
        command.symbol = columns.at(1).toString();
        if (!isSymbol(command.symbol)) {
            report(lineNumber, QStringLiteral("\"%1\" is not a symbol").arg(command.symbol));
            continue;
        }
        if (columns.size() > 2) {
            QString why;
            std::optional<QString> menuText = UnescapeResourceText(columns.at(2), &why);
            if (!menuText) {
                report(lineNumber, QStringLiteral("%1: %2").arg(command.id).arg(why));
                continue;
            }
            command.menuText = *menuText;
        }
        if (columns.size() > 3)
            command.key = columns.at(3).toString();
        if (!command.key.isEmpty() && !isKey(command.key)) {
            report(lineNumber, QStringLiteral("%1: \"%2\" is not a key").arg(command.id).arg(command.key));
            continue;
        }
        if (table.find(command.id) || table.findBySymbol(command.symbol)) {
            report(lineNumber, QStringLiteral("%1 %2 appears twice").arg(command.id).arg(command.symbol));
            continue;
        }

        if (!strings.contains(command.id))
            report(lineNumber, QStringLiteral("%1 has no prompt in the string table").arg(command.id));
        const QString help = strings.text(command.id);
        const qsizetype newline = help.indexOf(u'\n');
        command.prompt = newline < 0 ? help : help.first(newline);
        command.toolTip = newline < 0 ? help : help.sliced(newline + 1);

        const auto at = std::lower_bound(table.m_commands.begin(), table.m_commands.end(), command.id,
                                         [](const Command &c, int id) { return c.id < id; });
        table.m_commands.insert(at, std::move(command));
    }
    return table;
}

const Command *CommandTable::find(int id) const
{
    const auto it = std::lower_bound(m_commands.begin(), m_commands.end(), id,
                                     [](const Command &c, int key) { return c.id < key; });
    return it != m_commands.end() && it->id == id ? &*it : nullptr;
}

const Command *CommandTable::findBySymbol(QStringView symbol) const
{
    const auto it = std::find_if(m_commands.begin(), m_commands.end(),
                                 [symbol](const Command &c) { return c.symbol == symbol; });
    return it != m_commands.end() ? &*it : nullptr;
}

} // namespace orvel
