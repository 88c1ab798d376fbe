#pragma once

#include "resources/StringTable.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace orvel {

// One command: menu, toolbar button and key share its id.
struct Command
{
    int id = 0;
    QString symbol;   // ID_FILE_OPEN
    QString menuText; // "&Öffnen..." (without the key)
    QString key;      // portable QKeySequence text ("Ctrl+O"), empty when none
    QString prompt;   // status-bar prompt
    QString toolTip;
};

// The command table, resources/commands.txt: one "id<TAB>symbol<TAB>menu
// text<TAB>key" per line. Prompt and tool tip come from the string-table entry
// of the same id, "prompt\ntooltip"; an entry without a line break serves as
// both.
class CommandTable
{
public:
    // The compiled-in table with the program's strings, read once on first use.
    static const CommandTable &program();

    // Reads a table. Bad lines (no symbol, a bad id, symbol or key, a repeated
    // id or symbol, too many columns) are left out and described in *errors;
    // a command without a string-table entry is kept and reported.
    static CommandTable parse(QByteArrayView utf8, const StringTable &strings, QStringList *errors = nullptr);

    const Command *find(int id) const;
    const Command *findBySymbol(QStringView symbol) const;
    // Ordered by id.
    const std::vector<Command> &all() const { return m_commands; }

private:
    std::vector<Command> m_commands;
};

} // namespace orvel
