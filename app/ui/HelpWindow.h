#pragma once

#include "app/ui/HelpLibrary.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace orvel {

// The help window: the pages in a browser, with the tabs "Inhalt" (the
// contents tree), "Index" (keywords, filtered as the user types) and
// "Suchen" (the pages that contain every typed word), and buttons back,
// forward and to the contents. The program keeps one.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    enum Tab { ContentsTab, IndexTab, SearchTab };

    explicit HelpWindow(QWidget *parent = nullptr);
    ~HelpWindow() override;

    const HelpLibrary &Library() const { return m_library; }

    // Shows a page ("dlg-suchen.html", "menu-datei.html#drucken").
    void ShowPage(const QString &target);
    // The contents page, with the contents tab in front.
    void ShowContents();
    // The search tab in front, its text selected for typing.
    void ShowSearch();
    // Shows the window and brings it to the front. While a modal dialog
    // runs the window belongs to that dialog, so the dialog's modality
    // does not block it.
    void Present();

    // The page shown, with its anchor ("menu-datei.html#drucken").
    QString CurrentTarget() const;

    // Runs the full-text search for the text in the search box.
    void RunSearch();
    // Opens the index entry or search hit of a list row.
    void OpenIndexItem(QListWidgetItem *item);
    void OpenSearchItem(QListWidgetItem *item);

    QTabWidget *Tabs() const { return m_tabs; }
    QTextBrowser *Browser() const { return m_browser; }
    QTreeWidget *ContentsTree() const { return m_contents; }
    QLineEdit *IndexEdit() const { return m_indexEdit; }
    QListWidget *IndexList() const { return m_indexList; }
    QLineEdit *SearchEdit() const { return m_searchEdit; }
    QListWidget *SearchList() const { return m_searchList; }
    QLabel *SearchStatus() const { return m_searchStatus; }
    QToolButton *BackButton() const { return m_back; }
    QToolButton *ForwardButton() const { return m_forward; }

private:
    void buildContents(QTreeWidgetItem *parent, const std::vector<HelpLibrary::ContentsNode> &nodes);
    void filterIndex(const QString &text);
    void onSourceChanged(const QUrl &url);
    QUrl urlOf(const QString &target) const;

    HelpLibrary m_library;
    QTabWidget *m_tabs = nullptr;
    QTextBrowser *m_browser = nullptr;
    QTreeWidget *m_contents = nullptr;
    QLineEdit *m_indexEdit = nullptr;
    QListWidget *m_indexList = nullptr;
    QLineEdit *m_searchEdit = nullptr;
    QListWidget *m_searchList = nullptr;
    QLabel *m_searchStatus = nullptr;
    QToolButton *m_back = nullptr;
    QToolButton *m_forward = nullptr;
    QToolButton *m_home = nullptr;
    QStringList m_searchWords;
};

} // namespace orvel
