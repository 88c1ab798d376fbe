#pragma once

#include "platform/AnsiString.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <map>
#include <optional>
#include <vector>

namespace orvel {

// Undoes the escapes of the resource texts: \n, \r, \t, \" and \\. Anything
// else after a backslash is not an escape; then the result is empty and
// *error says why.
std::optional<QString> UnescapeResourceText(QStringView text, QString *error = nullptr);

// The German string table: messages, captions, filters, status-bar prompts and
// tool tips by their numeric id. The program's table is resources/strings.txt,
// one "id<TAB>text" per line with the texts escaped as above; a third column
// "<TAB>symbol" names the ids the code uses (resources/StringIds.h is made
// from it at build time).
class StringTable
{
public:
    // The compiled-in table, read once on first use.
    static const StringTable &program();

    // Reads a table. A bad line (no tab, no number, a bad escape, invalid UTF-8,
    // a repeated id) is left out and described in *errors; the rest is kept.
    // Empty lines and lines starting with '#' are skipped.
    static StringTable parse(QByteArrayView utf8, QStringList *errors = nullptr);

    bool contains(int id) const { return m_texts.find(id) != m_texts.end(); }
    // The text, or an empty string when the table has no such id.
    QString text(int id) const;
    // The text in Windows-1252, for texts that are stored or compared as bytes.
    AnsiString ansi(int id) const;
    // All ids in ascending order.
    std::vector<int> ids() const;
    int size() const { return static_cast<int>(m_texts.size()); }

private:
    std::map<int, QString> m_texts;
};

// The text of the program's table.
QString LoadQString(int id);
AnsiString LoadAnsiString(int id);

} // namespace orvel
