#pragma once

#include "table/SearchCommands.h"
#include "table/SearchCriterion.h"
#include "tools/SearchBar.h"

#include <QPointer>

#include <functional>

namespace orvel {

class COrvelDoc;
class COrvelView;
class CommandMap;

// What a view keeps of finding and replacing: the last criteria of
// each dialog, the run it is in, and the continue bar it shows. The view
// passes the dialogs' results here; the bars' buttons come here too.
class ViewSearch
{
public:
    using NewDocument = std::function<COrvelDoc *()>;

    explicit ViewSearch(COrvelView &view);
    ~ViewSearch();
    ViewSearch(const ViewSearch &) = delete;
    ViewSearch &operator=(const ViewSearch &) = delete;

    // "&Suchen..." and "&Ersetzen...": at least 2 records, not designing.
    void RegisterCommands(CommandMap &map);
    // Where "Neue Datenbank" gets its new database window.
    void SetNewDocumentSource(NewDocument source) { m_newDocument = std::move(source); }

    void Find();
    void Replace();
    // A result of the dialogs or bars: 520 finds the next match of the run,
    // 521 replaces in the current record and finds the next one.
    void ContinueFind();
    void ContinueReplace(int result);

    // Both bars go.
    void CloseBars();
    // The bars while they are shown; null otherwise.
    SearchBar *FindBar() const { return shown(m_findBar); }
    SearchBar *ReplaceBar() const { return shown(m_replaceBar); }

    const SearchSpec &FindSpec() const { return m_findSpec; }
    int FindLink() const { return m_findLink; }
    const SearchCriterion &ReplaceCriterion() const { return m_replace; }

private:
    static SearchBar *shown(const QPointer<SearchBar> &bar) { return bar && bar->isVisible() ? bar.data() : nullptr; }
    void showBar(bool replace);
    // Makes a found record current and shows it (hint 2).
    void showFound(int record, int field);

    COrvelView &m_view;
    NewDocument m_newDocument;
    SearchSpec m_findSpec;
    int m_findLink = SL_NONE;
    SearchRun m_findRun;
    SearchCriterion m_replace;
    SearchRun m_replaceRun;
    QPointer<SearchBar> m_findBar;
    QPointer<SearchBar> m_replaceBar;
};

} // namespace orvel
