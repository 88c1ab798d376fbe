#pragma once

#include <QFile>
#include <QString>

namespace orvel {

// The tips of "tips.txt", one per line, read from where the last one
// stopped. A line that begins with a blank, a tab, ";" or is empty is no
// tip; "\n" (backslash, n) inside a tip is a line break. A line longer than
// 1000 characters is read in pieces of 999, as the old reader did.
class TipReader
{
public:
    static constexpr int kLineLimit = 1000;

    explicit TipReader(const QString &path);

    bool IsOpen() const { return m_file.isOpen(); }
    // The file's modification time as ctime writes it, without the line
    // feed (the settings compare it to see whether the file was replaced).
    QString TimeText() const;
    // False when the offset cannot be reached (negative, or the file cannot
    // seek); an offset beyond the end starts again at the top.
    bool Seek(qint64 offset);
    qint64 Position() const { return m_file.pos(); }

    // The next tip after the position, going round to the top at the end.
    // Empty when a whole pass finds no tip (or the file cannot be read).
    QString Next();

private:
    QFile m_file;
};

} // namespace orvel
