#include "tools/SearchHistory.h"

#include "platform/Codepage.h"
#include "platform/Registry.h"

#include <utility>

namespace orvel {

namespace {

// A Windows-1252 text has one byte per character.
constexpr qsizetype kMaxEntryBytes = 255;

} // namespace

SearchHistory::SearchHistory(QString section, QString keyPrefix)
    : m_section(std::move(section))
    , m_prefix(std::move(keyPrefix))
{}

QString SearchHistory::Key(int n) const
{
    return m_prefix + QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

bool SearchHistory::IsUsable(const QString &text)
{
    return !text.isEmpty() && text.size() <= kMaxEntryBytes && IsAnsiRepresentable(text)
           && !text.contains(QChar(u'\0'));
}

QStringList SearchHistory::Load() const
{
    QStringList entries;
    for (int n = 1; n <= kEntries; ++n) {
        const QString text = Registry::GetProfileString(m_section, Key(n));
        if (IsUsable(text))
            entries.append(text);
    }
    return entries;
}

void SearchHistory::Remember(const QStringList &listItems, const QString &text) const
{
    if (text.isEmpty() || (!listItems.isEmpty() && listItems.first() == text))
        return;
    for (int n = kEntries; n >= 2; --n)
        Registry::WriteProfileString(m_section, Key(n), listItems.value(n - 2));
    Registry::WriteProfileString(m_section, Key(1), text);
}

} // namespace orvel
