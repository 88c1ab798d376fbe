#pragma once

#include <QString>
#include <QStringList>

namespace orvel {

// What an import had to leave out. Nothing the user loads is dropped
// silently: once the import is done, everything collected is reported in
// one message (523), one line per kind of loss.
class ImportLosses
{
public:
    // Adds a line such as "Datensätze nach dem 30000.", once per text.
    void Add(const QString &line);
    bool IsEmpty() const { return m_lines.isEmpty(); }
    const QStringList &Lines() const { return m_lines; }
    // Shows message 523 when something was lost; does nothing otherwise.
    void Report() const;

private:
    QStringList m_lines;
};

} // namespace orvel
