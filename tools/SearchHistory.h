#pragma once

#include <QString>
#include <QStringList>

namespace orvel {

// The last ten texts of one combo box of the find or replace dialog, kept in
// the user's settings as keys <prefix>01 ... <prefix>10 of a section, entry
// 01 the newest.
class SearchHistory
{
public:
    static constexpr int kEntries = 10;

    SearchHistory(QString section, QString keyPrefix);

    // The four lists of the two dialogs.
    static SearchHistory FindFirst() { return {QStringLiteral("Find"), QStringLiteral("Find1")}; }
    static SearchHistory FindSecond() { return {QStringLiteral("Find"), QStringLiteral("Find2")}; }
    static SearchHistory ReplaceSearch() { return {QStringLiteral("Replace"), QStringLiteral("Find1")}; }
    static SearchHistory ReplaceWith() { return {QStringLiteral("Replace"), QStringLiteral("Replace")}; }

    // The key of entry `n` (1 ... 10), e.g. "Find101".
    QString Key(int n) const;

    // The entries that hold a usable text, newest first. An entry that a
    // damaged settings file gives (longer than 255 bytes or with characters
    // that Windows-1252 cannot hold) is left out, and so disappears at the
    // next save.
    QStringList Load() const;

    // After a successful use of `text`: when it differs from the first of
    // `listItems` (the combo box's list as it was opened), entry 10 gets
    // item 9, ..., entry 02 gets item 1 (an entry without its item gets an
    // empty text), and entry 01 the text. An empty text is no history and
    // changes nothing.
    void Remember(const QStringList &listItems, const QString &text) const;

    // Whether a text from the settings can be offered again.
    static bool IsUsable(const QString &text);

private:
    QString m_section;
    QString m_prefix;
};

} // namespace orvel
