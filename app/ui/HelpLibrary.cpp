#include "app/ui/HelpLibrary.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTextDocumentFragment>

#include <algorithm>

namespace orvel {

namespace {

QString readUtf8(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString htmlToText(const QString &html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

QCollator germanCollator()
{
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

} // namespace

HelpLibrary::HelpLibrary(const QString &root)
    : m_root(root.endsWith(u'/') ? root : root + u'/')
{
    static const QRegularExpression titleRe(QStringLiteral("<title>(.*?)</title>"),
                                            QRegularExpression::DotMatchesEverythingOption
                                                    | QRegularExpression::CaseInsensitiveOption);
    const QStringList files = QDir(m_root).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        Page page;
        page.html = readUtf8(m_root + file);
        const auto title = titleRe.match(page.html);
        page.title = title.hasMatch() ? htmlToText(title.captured(1)) : file;
        page.plain = htmlToText(page.html);
        page.folded = Fold(page.title + u' ' + page.plain);
        m_pages.insert(file, std::move(page));
    }
    loadContents();
    loadIndex();
    loadContextMap();
}

QString HelpLibrary::Fold(const QString &text)
{
    QString folded = text.toLower();
    folded.replace(u'ä', QStringLiteral("ae"));
    folded.replace(u'ö', QStringLiteral("oe"));
    folded.replace(u'ü', QStringLiteral("ue"));
    folded.replace(u'ß', QStringLiteral("ss"));
    return folded;
}

QStringList HelpLibrary::Pages() const
{
    QStringList pages = m_pages.keys();
    pages.sort();
    return pages;
}

QString HelpLibrary::Title(const QString &page) const
{
    const auto it = m_pages.constFind(page);
    return it == m_pages.cend() ? QString() : it->title;
}

QString HelpLibrary::Html(const QString &page) const
{
    const auto it = m_pages.constFind(page);
    return it == m_pages.cend() ? QString() : it->html;
}

QString HelpLibrary::PlainText(const QString &page) const
{
    const auto it = m_pages.constFind(page);
    return it == m_pages.cend() ? QString() : it->plain;
}

QStringList HelpLibrary::Anchors(const QString &page) const
{
    static const QRegularExpression anchorRe(QStringLiteral("\\s(?:name|id)=\"([^\"]+)\""));
    QStringList anchors;
    for (const auto &match : anchorRe.globalMatch(Html(page)))
        anchors << match.captured(1);
    return anchors;
}

QStringList HelpLibrary::Links(const QString &page) const
{
    static const QRegularExpression linkRe(QStringLiteral("\\shref=\"([^\"]*)\""));
    QStringList links;
    for (const auto &match : linkRe.globalMatch(Html(page)))
        links << match.captured(1);
    return links;
}

void HelpLibrary::loadContents()
{
    // The contents page is one nested list: an item is a link to a page or
    // a heading whose own list follows.
    static const QRegularExpression tokenRe(
            QStringLiteral("<(/?)ul\\b[^>]*>|<li\\b[^>]*>([^<]*)|<a\\s+href=\"([^\"]*)\"[^>]*>(.*?)</a>"),
            QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    m_contents.clear();
    std::vector<std::vector<ContentsNode> *> lists;
    ContentsNode *last = nullptr;
    for (const auto &match : tokenRe.globalMatch(Html(QString::fromLatin1(kContentsPage)))) {
        if (match.capturedLength(0) >= 3 && match.captured(0).startsWith(QStringLiteral("<ul"), Qt::CaseInsensitive)) {
            lists.push_back(lists.empty() || !last ? &m_contents : &last->children);
            last = nullptr;
        } else if (match.captured(1) == u"/") {
            if (!lists.empty())
                lists.pop_back();
            last = nullptr;
        } else if (match.captured(0).startsWith(QStringLiteral("<li"), Qt::CaseInsensitive)) {
            if (lists.empty())
                continue;
            lists.back()->push_back({htmlToText(match.captured(2)), {}, {}});
            last = &lists.back()->back();
        } else if (last && last->target.isEmpty() && last->children.empty()) {
            last->target = match.captured(3);
            if (last->title.isEmpty())
                last->title = htmlToText(match.captured(4));
        }
    }
}

void HelpLibrary::loadIndex()
{
    // <meta name="keywords" content="Stichwort, Stichwort#anker, ...">
    static const QRegularExpression keywordsRe(QStringLiteral("<meta\\s+name=\"keywords\"\\s+content=\"([^\"]*)\""),
                                               QRegularExpression::CaseInsensitiveOption);
    m_index.clear();
    for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
        m_index.push_back({it->title, it.key(), it->title});
        const auto match = keywordsRe.match(it->html);
        if (!match.hasMatch())
            continue;
        for (const QString &item : match.captured(1).split(u',', Qt::SkipEmptyParts)) {
            const QString keyword = item.section(u'#', 0, 0).trimmed();
            const QString anchor = item.section(u'#', 1).trimmed();
            if (keyword.isEmpty())
                continue;
            m_index.push_back({htmlToText(keyword), anchor.isEmpty() ? it.key() : it.key() + u'#' + anchor, it->title});
        }
    }
    const QCollator collator = germanCollator();
    std::sort(m_index.begin(), m_index.end(), [&collator](const IndexEntry &a, const IndexEntry &b) {
        if (const int order = collator.compare(a.keyword, b.keyword); order != 0)
            return order < 0;
        return collator.compare(a.pageTitle, b.pageTitle) < 0;
    });
}

void HelpLibrary::loadContextMap()
{
    // pages.txt: "<object or class name> <page>[#anchor]" a line; '#' starts
    // a comment line.
    m_contextMap.clear();
    const QStringList lines = readUtf8(m_root + QStringLiteral("pages.txt")).split(u'\n');
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList parts = line.split(QRegularExpression(QStringLiteral("\\s+")));
        if (parts.size() == 2)
            m_contextMap.insert(parts.at(0), parts.at(1));
    }
}

QString HelpLibrary::ContextTarget(const QString &name) const
{
    return m_contextMap.value(name);
}

QStringList HelpLibrary::Search(const QString &words) const
{
    QStringList folded;
    for (const QString &word : words.split(QRegularExpression(QStringLiteral("[\\s,;:.!?\"()]+")), Qt::SkipEmptyParts))
        folded << Fold(word);
    if (folded.isEmpty())
        return {};
    QStringList found;
    for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
        const bool all = std::all_of(folded.cbegin(), folded.cend(),
                                     [&it](const QString &word) { return it->folded.contains(word); });
        if (all)
            found << it.key();
    }
    const QCollator collator = germanCollator();
    std::sort(found.begin(), found.end(),
              [&](const QString &a, const QString &b) { return collator.compare(Title(a), Title(b)) < 0; });
    return found;
}

} // namespace orvel
