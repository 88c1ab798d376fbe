#pragma once

#include <QDialog>

#include <vector>

class QDialogButtonBox;
class QTabWidget;

namespace orvel {

// One page of a property sheet.
class PropertyPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The page is about to be left, for another page or with OK: false
    // keeps it shown (after telling the user what is wrong) and the sheet
    // open.
    virtual bool OnKillActive() { return true; }
};

// A property sheet ("Eigenschaften" unless the caller names it otherwise):
// pages as tabs, with OK and Abbrechen.
// A page's values are checked when the user leaves it for another page and
// when OK is pressed; the caller reads the pages' values after exec()
// returned Accepted.
class PropertySheet : public QDialog
{
    Q_OBJECT
public:
    explicit PropertySheet(QWidget *parent = nullptr);

    // Takes the page; its window title is the tab's caption.
    void AddPage(PropertyPage *page);
    PropertyPage *Page(int index) const;
    int PageCount() const { return int(m_pages.size()); }
    // The page on top (and the one that is shown first).
    void SetActivePage(int index);
    PropertyPage *ActivePage() const;

    void accept() override;

    QTabWidget *Tabs() const { return m_tabs; }
    QDialogButtonBox *Buttons() const { return m_buttons; }

private:
    void onTabChanged(int index);

    QTabWidget *m_tabs;
    QDialogButtonBox *m_buttons;
    std::vector<PropertyPage *> m_pages;
    int m_current = -1;
    bool m_switching = false;
};

} // namespace orvel
