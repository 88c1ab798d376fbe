#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace orvel {

// The help pages built into the program (resources/help): their titles and
// texts, the contents tree of the contents page, the keyword index, the
// full-text search and the map from dialogs to their pages. Pages are named
// by file name ("dlg-suchen.html"); a target may add an anchor
// ("menu-datei.html#drucken").
class HelpLibrary
{
public:
    struct ContentsNode
    {
        QString title;
        QString target; // empty for a heading without a page
        std::vector<ContentsNode> children;
    };
    struct IndexEntry
    {
        QString keyword;
        QString target;
        QString pageTitle;
    };

    static constexpr const char *kContentsPage = "inhalt.html";

    // Reads every page under the resource folder; `root` is for tests.
    explicit HelpLibrary(const QString &root = QStringLiteral(":/orvel/help/"));

    const QString &Root() const { return m_root; }
    // The pages' file names, sorted.
    QStringList Pages() const;
    bool HasPage(const QString &page) const { return m_pages.contains(page); }
    QString Title(const QString &page) const;
    QString Html(const QString &page) const;
    // The page's text without markup.
    QString PlainText(const QString &page) const;
    // The name="..." and id="..." anchors of a page.
    QStringList Anchors(const QString &page) const;
    // The href targets of a page as written.
    QStringList Links(const QString &page) const;

    // The nested lists of the contents page.
    const std::vector<ContentsNode> &Contents() const { return m_contents; }
    // Keywords (the pages' "keywords" meta data and their titles), sorted
    // the German way.
    const std::vector<IndexEntry> &Index() const { return m_index; }
    // The pages that contain every typed word, ignoring case; "ae", "oe",
    // "ue" and "ss" find "ä", "ö", "ü" and "ß" and the other way round.
    // Sorted by title.
    QStringList Search(const QString &words) const;

    // The page of a dialog or property page by its object or class name;
    // empty when it has none.
    QString ContextTarget(const QString &name) const;
    const QHash<QString, QString> &ContextMap() const { return m_contextMap; }

    // Lower case with umlauts and "ß" spelt out, for comparing words.
    static QString Fold(const QString &text);

private:
    struct Page
    {
        QString title;
        QString html;
        QString plain;
        QString folded;
    };

    void loadContents();
    void loadIndex();
    void loadContextMap();

    QString m_root;
    QHash<QString, Page> m_pages;
    std::vector<ContentsNode> m_contents;
    std::vector<IndexEntry> m_index;
    QHash<QString, QString> m_contextMap;
};

} // namespace orvel
