// The help: its pages and their links, the contents, index and search of the
// help window, the menu commands and F1 in dialogs.
#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "app/ui/CPPOptionsSDF.h"
#include "app/ui/CPSOptions.h"
#include "app/ui/HelpController.h"
#include "app/ui/HelpLibrary.h"
#include "app/ui/HelpWindow.h"
#include "listview/GoToDialog.h"
#include "resources/CommandIds.h"
#include "tools/CdPlayerDialog.h"
#include "tools/FindDialog.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

#include <functional>

using namespace orvel;
using namespace orvel::test;

namespace {

const HelpLibrary &library()
{
    static const HelpLibrary help;
    return help;
}

void collectTargets(const std::vector<HelpLibrary::ContentsNode> &nodes, QStringList &targets)
{
    for (const auto &node : nodes) {
        if (!node.target.isEmpty())
            targets << node.target;
        collectTargets(node.children, targets);
    }
}

// Where a target points ("page.html#anchor"), relative to `from`; empty when
// it exists.
QString brokenTarget(const QString &from, const QString &target)
{
    const QString page = target.section(u'#', 0, 0).isEmpty() ? from : target.section(u'#', 0, 0);
    const QString anchor = target.section(u'#', 1);
    if (!library().HasPage(page))
        return from + QStringLiteral(" -> ") + target + QStringLiteral(" (no such page)");
    if (!anchor.isEmpty() && !library().Anchors(page).contains(anchor))
        return from + QStringLiteral(" -> ") + target + QStringLiteral(" (no such anchor)");
    return {};
}

} // namespace

TEST(HelpPagesTest, EveryPageHasATitleKeywordsAndCleanUtf8AndAllAreInTheContentsTree)
{
    const QStringList pages = library().Pages();
    // The introduction, a page per menu, per dialog and per field type.
    ASSERT_GE(pages.size(), 40);
    for (const char *name : {"erste-schritte.html", "menu-datei.html", "menu-hilfe.html", "dlg-suchen.html",
                             "feld-zeichen.html", "feld-numerisch.html", "feld-datum.html", "feld-grafik.html",
                             "feld-memo.html", "feld-ole.html", "feld-verknuepfung.html"})
        EXPECT_TRUE(library().HasPage(QString::fromLatin1(name))) << name;

    for (const QString &page : pages) {
        EXPECT_FALSE(library().Title(page).isEmpty()) << page.toStdString();
        EXPECT_NE(library().Title(page), page) << "no <title> in " << page.toStdString();
        EXPECT_TRUE(library().Html(page).contains(QStringLiteral("name=\"keywords\""))) << page.toStdString();
        // A byte that is not UTF-8 would show as a replacement character.
        EXPECT_FALSE(library().Html(page).contains(QChar::ReplacementCharacter)) << page.toStdString();
    }

    // Every page is one click away in the contents tree; the contents page
    // is the tree itself.
    QStringList targets;
    collectTargets(library().Contents(), targets);
    QSet<QString> listed;
    for (const QString &target : targets)
        listed.insert(target.section(u'#', 0, 0));
    for (const QString &page : pages) {
        if (page != QLatin1StringView(HelpLibrary::kContentsPage)) {
            EXPECT_TRUE(listed.contains(page)) << page.toStdString() << " is not in the contents";
        }
    }
    // Headings group the pages.
    ASSERT_EQ(library().Contents().size(), 4u);
    EXPECT_EQ(library().Contents()[0].title, QStringLiteral("Einführung"));
    EXPECT_EQ(library().Contents()[3].title, QStringLiteral("Feldtypen"));
    EXPECT_EQ(library().Contents()[3].children.size(), 7u);
}

TEST(HelpPagesTest, NoLinkIndexEntryOrDialogMapEntryPointsNowhere)
{
    QStringList broken;
    for (const QString &page : library().Pages()) {
        for (const QString &link : library().Links(page)) {
            // The pages are read from inside the program: nothing outside.
            if (link.contains(u':'))
                broken << page + QStringLiteral(" -> ") + link + QStringLiteral(" (outside the help)");
            else if (const QString wrong = brokenTarget(page, link); !wrong.isEmpty())
                broken << wrong;
        }
    }
    for (const auto &entry : library().Index()) {
        if (const QString wrong = brokenTarget(QStringLiteral("index"), entry.target); !wrong.isEmpty())
            broken << wrong;
    }
    ASSERT_FALSE(library().ContextMap().isEmpty());
    for (auto it = library().ContextMap().cbegin(); it != library().ContextMap().cend(); ++it) {
        if (const QString wrong = brokenTarget(QStringLiteral("pages.txt ") + it.key(), it.value()); !wrong.isEmpty())
            broken << wrong;
    }
    EXPECT_TRUE(broken.isEmpty()) << broken.join(u'\n').toStdString();
}

TEST(HelpPagesTest, SearchNeedsEveryWordIgnoresCaseAndTakesSpeltOutUmlauts)
{
    const HelpLibrary &help = library();
    EXPECT_TRUE(help.Search(QStringLiteral("Dubletten")).contains(QStringLiteral("dlg-dubletten.html")));
    EXPECT_TRUE(help.Search(QStringLiteral("dUBLETTEN")).contains(QStringLiteral("dlg-dubletten.html")));
    // Both words: the field page has decimals and date formats, the find
    // dialog neither.
    const QStringList both = help.Search(QStringLiteral("Dezimalstellen Datumsformat"));
    EXPECT_TRUE(both.contains(QStringLiteral("dlg-datenfeld.html")));
    EXPECT_FALSE(both.contains(QStringLiteral("dlg-suchen.html")));
    EXPECT_TRUE(help.Search(QStringLiteral("Dezimalstellen Xylophon")).isEmpty());
    // "ß" and the umlauts either way round.
    EXPECT_TRUE(help.Search(QStringLiteral("Groesse")).contains(QStringLiteral("dlg-neue-groesse.html")));
    EXPECT_TRUE(help.Search(QStringLiteral("Größe")).contains(QStringLiteral("dlg-neue-groesse.html")));
    EXPECT_TRUE(help.Search(QStringLiteral("  ")).isEmpty());
    // Markup is not text.
    EXPECT_FALSE(help.Search(QStringLiteral("href")).contains(QStringLiteral("menu-datei.html")));
}

TEST(HelpPagesTest, TheIndexHoldsKeywordsWithTheirAnchorsSortedTheGermanWay)
{
    const auto &index = library().Index();
    const auto find = [&index](const QString &keyword, const QString &target) {
        return std::find_if(index.cbegin(), index.cend(),
                            [&](const auto &entry) { return entry.keyword == keyword && entry.target == target; });
    };
    EXPECT_NE(find(QStringLiteral("Speichern unter"), QStringLiteral("menu-datei.html#speichern-unter")), index.cend());
    EXPECT_NE(find(QStringLiteral("Dubletten markieren"), QStringLiteral("dlg-dubletten.html")), index.cend());
    // "Überlappend" among the U, not after Z.
    const auto umlaut = find(QStringLiteral("Überlappend"), QStringLiteral("menu-fenster.html#ueberlappend"));
    ASSERT_NE(umlaut, index.cend());
    ASSERT_NE(umlaut + 1, index.cend());
    EXPECT_FALSE((umlaut + 1)->keyword.startsWith(u'A'));
    EXPECT_NE(std::prev(index.cend())->keyword.front(), QChar(u'Ü'));
}

TEST(HelpPagesTest, DialogsFindTheirPagesByName)
{
    EXPECT_EQ(library().ContextTarget(QStringLiteral("FindDialog")), QStringLiteral("dlg-suchen.html"));
    EXPECT_EQ(library().ContextTarget(QStringLiteral("CPPOptionsSDF")), QStringLiteral("dlg-einstellungen.html#sdf"));
    EXPECT_TRUE(library().ContextTarget(QStringLiteral("QMessageBox")).isEmpty());
}

namespace {

// Whether the help window was last told that a modal dialog blocks it.
class BlockedWatch : public QObject
{
public:
    BlockedWatch() { qApp->installEventFilter(this); }
    ~BlockedWatch() override { qApp->removeEventFilter(this); }
    bool blocked = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (qobject_cast<HelpWindow *>(watched)) {
            if (event->type() == QEvent::WindowBlocked)
                blocked = true;
            else if (event->type() == QEvent::WindowUnblocked)
                blocked = false;
        }
        return false;
    }
};

class HelpWindowTest : public AppTest
{
protected:
    HelpWindow *help() { return app->GetHelp()->Window(); }

    int helpWindowCount()
    {
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            count += qobject_cast<HelpWindow *>(widget) != nullptr;
        return count;
    }

    // Runs `open` while the dialog D is up; on it, F1 to the widget with the
    // focus, then checks the page shown and that the dialog does not block
    // the help window.
    template<class D>
    QString pressF1In(const std::function<void()> &open, const std::function<void(D &)> &prepare = {})
    {
        QString shown;
        BlockedWatch watch;
        WhenShown<D>([&](D &dialog) {
            if (prepare)
                prepare(dialog);
            QWidget *focus = QApplication::focusWidget();
            QTest::keyClick(focus && focus->window() == &dialog ? focus : &dialog, Qt::Key_F1);
            EXPECT_NE(help(), nullptr);
            if (help()) {
                EXPECT_TRUE(help()->isVisible());
                shown = help()->CurrentTarget();
                // The help window belongs to the dialog while the dialog runs,
                // so that the dialog's modality leaves it usable.
                EXPECT_EQ(help()->windowHandle()->transientParent(), dialog.windowHandle());
                EXPECT_FALSE(watch.blocked);
                // "Zurück" goes to the page before.
                EXPECT_TRUE(help()->BackButton()->isEnabled());
                QTest::mouseClick(help()->BackButton(), Qt::LeftButton);
                EXPECT_NE(help()->CurrentTarget(), shown);
            }
            dialog.reject();
        });
        open();
        return shown;
    }
};

} // namespace

TEST_F(HelpWindowTest, TheMenuCommandsOpenOneWindowOnItsContentsOrSearch)
{
    start();
    EXPECT_TRUE(enabled(ID_HELP_INDEX));
    EXPECT_TRUE(enabled(ID_HELP_SEARCH));
    EXPECT_TRUE(enabled(ID_HELP));
    EXPECT_EQ(help(), nullptr);

    router().Execute(ID_HELP_INDEX);
    HelpWindow *window = help();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Orvel 97 - Hilfe"));
    // Closing the main window still ends the program.
    EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
    EXPECT_EQ(window->CurrentTarget(), QStringLiteral("inhalt.html"));
    EXPECT_EQ(window->Tabs()->currentIndex(), HelpWindow::ContentsTab);
    EXPECT_EQ(window->Tabs()->tabText(0), QStringLiteral("Inhalt"));
    EXPECT_EQ(window->Tabs()->tabText(1), QStringLiteral("Index"));
    EXPECT_EQ(window->Tabs()->tabText(2), QStringLiteral("Suchen"));

    // Closed and asked for again: the same window, on the search tab.
    window->ShowPage(QStringLiteral("menu-datei.html"));
    window->close();
    router().Execute(ID_HELP_SEARCH);
    EXPECT_EQ(help(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Tabs()->currentIndex(), HelpWindow::SearchTab);
    EXPECT_EQ(helpWindowCount(), 1);

    // F1 outside a dialog: the contents.
    router().Execute(ID_HELP);
    EXPECT_EQ(window->CurrentTarget(), QStringLiteral("inhalt.html"));
    QTest::keyClick(&frame(), Qt::Key_F1);
    EXPECT_EQ(window->CurrentTarget(), QStringLiteral("inhalt.html"));
    EXPECT_EQ(helpWindowCount(), 1);
}

TEST_F(HelpWindowTest, ContentsIndexSearchAndHistoryShowTheirPages)
{
    start();
    router().Execute(ID_HELP_INDEX);
    HelpWindow &window = *help();

    // Contents: a click on a topic.
    QTreeWidget *tree = window.ContentsTree();
    ASSERT_EQ(tree->topLevelItemCount(), 4);
    QTreeWidgetItem *fieldTypes = tree->topLevelItem(3);
    ASSERT_EQ(fieldTypes->childCount(), 7);
    emit tree->itemClicked(fieldTypes->child(1), 0);
    EXPECT_EQ(window.CurrentTarget(), QStringLiteral("feld-numerisch.html"));
    // Read as UTF-8.
    EXPECT_TRUE(window.Browser()->toPlainText().contains(QStringLiteral("Tausenderpunkten")));
    EXPECT_TRUE(window.Browser()->toPlainText().contains(QStringLiteral("„1.234,50“")));

    // Index: typing narrows the list down; Return opens the keyword.
    window.Tabs()->setCurrentIndex(HelpWindow::IndexTab);
    const int all = window.IndexList()->count();
    QTest::keyClicks(window.IndexEdit(), QStringLiteral("dublet"));
    int shown = 0;
    for (int row = 0; row < all; ++row)
        shown += !window.IndexList()->item(row)->isHidden();
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, all / 10);
    ASSERT_NE(window.IndexList()->currentItem(), nullptr);
    EXPECT_TRUE(window.IndexList()->currentItem()->text().startsWith(QStringLiteral("Dublette")));
    QTest::keyClick(window.IndexEdit(), Qt::Key_Return);
    EXPECT_TRUE(window.CurrentTarget().startsWith(QStringLiteral("dlg-dubletten.html"))
                || window.CurrentTarget().startsWith(QStringLiteral("menu-datenbank.html#dubletten")))
            << window.CurrentTarget().toStdString();
    // A keyword with an anchor goes to it.
    window.IndexEdit()->setText(QStringLiteral("Speichern unter"));
    window.OpenIndexItem(window.IndexList()->currentItem());
    EXPECT_EQ(window.CurrentTarget(), QStringLiteral("menu-datei.html#speichern-unter"));

    // Search: the pages with all words, by title.
    window.ShowSearch();
    window.SearchEdit()->setText(QStringLiteral("aufwärts SORTIERFELD"));
    QTest::keyClick(window.SearchEdit(), Qt::Key_Return);
    ASSERT_GE(window.SearchList()->count(), 1);
    EXPECT_EQ(window.SearchList()->item(0)->text(), QStringLiteral("Sortieren"));
    EXPECT_EQ(window.SearchStatus()->text(), QStringLiteral("1 Thema gefunden"));
    window.OpenSearchItem(window.SearchList()->item(0));
    EXPECT_EQ(window.CurrentTarget(), QStringLiteral("dlg-sortieren.html"));
    // The first word is selected where it first occurs.
    EXPECT_EQ(window.Browser()->textCursor().selectedText().toLower(), QStringLiteral("aufwärts"));

    // Back and forward through the pages seen.
    EXPECT_TRUE(window.BackButton()->isEnabled());
    EXPECT_FALSE(window.ForwardButton()->isEnabled());
    window.BackButton()->click();
    EXPECT_EQ(window.CurrentTarget(), QStringLiteral("menu-datei.html#speichern-unter"));
    EXPECT_TRUE(window.ForwardButton()->isEnabled());
    window.ForwardButton()->click();
    EXPECT_EQ(window.CurrentTarget(), QStringLiteral("dlg-sortieren.html"));

    // A page that does not exist shows the contents.
    window.ShowPage(QStringLiteral("gibt-es-nicht.html"));
    EXPECT_EQ(window.CurrentTarget(), QStringLiteral("inhalt.html"));
}

TEST_F(HelpWindowTest, F1InADialogOpensItsPageAndInASheetThePageOfTheTabOnTop)
{
    start({writeSampleDatabase("Adressen.ovd")});
    EXPECT_EQ(pressF1In<GoToDialog>([this] { router().Execute(ID_RECORD_GOTO); }), QStringLiteral("dlg-gehe-zu.html"));
    EXPECT_EQ(pressF1In<FindDialog>([this] { router().Execute(ID_RECORD_FIND); }), QStringLiteral("dlg-suchen.html"));
    EXPECT_EQ(pressF1In<CPSOptions>([this] { router().Execute(ID_OPTIONS); },
                                    [](CPSOptions &sheet) {
                                        for (int i = 0; i < sheet.PageCount(); ++i) {
                                            if (qobject_cast<CPPOptionsSDF *>(sheet.Page(i)))
                                                sheet.SetActivePage(i);
                                        }
                                    }),
              QStringLiteral("dlg-einstellungen.html#sdf"));
    // A dialog without a page of its own: the contents.
    EXPECT_EQ(pressF1In<QDialog>(
                      [this] {
                          QDialog plain(&frame());
                          plain.exec();
                      },
                      [this](QDialog &) { help()->ShowPage(QStringLiteral("menu-datei.html")); }),
              QStringLiteral("inhalt.html"));
    // After the dialog the window no longer belongs to it.
    router().Execute(ID_HELP_INDEX);
    EXPECT_EQ(help()->windowHandle()->transientParent(), nullptr);

    // A window beside the main window (the CD player) finds its page too.
    qputenv("ORVEL_CDAUDIO", "simulated:3");
    CdPlayerDialog *player = CdPlayerDialog::Open(&frame());
    ASSERT_NE(player, nullptr);
    QWidget *focus = player->focusWidget() ? player->focusWidget() : player;
    QTest::keyClick(focus, Qt::Key_F1);
    EXPECT_EQ(help()->CurrentTarget(), QStringLiteral("dlg-cd-spieler.html"));
    player->close();
    qunsetenv("ORVEL_CDAUDIO");
}
