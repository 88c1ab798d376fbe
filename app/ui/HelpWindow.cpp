#include "app/ui/HelpWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace orvel {

namespace {

constexpr int kTargetRole = Qt::UserRole;
constexpr int kKeywordRole = Qt::UserRole + 1;

} // namespace

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    // An open help window does not keep the program running once the main
    // window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Orvel 97 - Hilfe"));
    resize(900, 640);

    m_back = new QToolButton(this);
    m_back->setText(QStringLiteral("&Zurück"));
    m_back->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    m_back->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_back->setEnabled(false);
    m_forward = new QToolButton(this);
    m_forward->setText(QStringLiteral("&Vorwärts"));
    m_forward->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    m_forward->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_forward->setEnabled(false);
    m_home = new QToolButton(this);
    m_home->setText(QStringLiteral("&Inhalt"));
    m_home->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addWidget(m_home);
    buttons->addStretch();

    m_tabs = new QTabWidget(this);

    // "Inhalt": the tree of the contents page.
    m_contents = new QTreeWidget(m_tabs);
    m_contents->setHeaderHidden(true);
    m_contents->setColumnCount(1);
    buildContents(nullptr, m_library.Contents());
    m_contents->expandToDepth(0);
    m_tabs->addTab(m_contents, QStringLiteral("Inhalt"));

    // "Index": the keywords, narrowed down to those that contain the typed
    // text.
    auto *indexPage = new QWidget(m_tabs);
    auto *indexLayout = new QVBoxLayout(indexPage);
    auto *indexLabel = new QLabel(QStringLiteral("&Suchbegriff eingeben:"), indexPage);
    m_indexEdit = new QLineEdit(indexPage);
    indexLabel->setBuddy(m_indexEdit);
    m_indexList = new QListWidget(indexPage);
    for (const HelpLibrary::IndexEntry &entry : m_library.Index()) {
        // A keyword of several pages names the page too.
        const bool shared = std::count_if(m_library.Index().cbegin(), m_library.Index().cend(),
                                          [&](const auto &other) { return other.keyword == entry.keyword; })
                            > 1;
        auto *item = new QListWidgetItem(shared && entry.keyword != entry.pageTitle
                                                 ? entry.keyword + QStringLiteral(" – ") + entry.pageTitle
                                                 : entry.keyword,
                                         m_indexList);
        item->setData(kTargetRole, entry.target);
        item->setData(kKeywordRole, entry.keyword);
    }
    auto *indexShow = new QPushButton(QStringLiteral("&Anzeigen"), indexPage);
    indexLayout->addWidget(indexLabel);
    indexLayout->addWidget(m_indexEdit);
    indexLayout->addWidget(m_indexList);
    indexLayout->addWidget(indexShow, 0, Qt::AlignRight);
    m_tabs->addTab(indexPage, QStringLiteral("Index"));

    // "Suchen": every page that contains all the typed words.
    auto *searchPage = new QWidget(m_tabs);
    auto *searchLayout = new QVBoxLayout(searchPage);
    auto *searchLabel = new QLabel(QStringLiteral("&Gesuchte Wörter:"), searchPage);
    m_searchEdit = new QLineEdit(searchPage);
    searchLabel->setBuddy(m_searchEdit);
    auto *searchButton = new QPushButton(QStringLiteral("S&uchen"), searchPage);
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(m_searchEdit);
    searchRow->addWidget(searchButton);
    m_searchStatus = new QLabel(searchPage);
    m_searchList = new QListWidget(searchPage);
    searchLayout->addWidget(searchLabel);
    searchLayout->addLayout(searchRow);
    searchLayout->addWidget(m_searchStatus);
    searchLayout->addWidget(m_searchList);
    m_tabs->addTab(searchPage, QStringLiteral("Suchen"));

    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(false);
    m_browser->setOpenLinks(true);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_home, &QToolButton::clicked, this, &HelpWindow::ShowContents);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::onSourceChanged);
    connect(m_contents, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        const QString target = item->data(0, kTargetRole).toString();
        if (!target.isEmpty())
            ShowPage(target);
    });
    connect(m_contents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        const QString target = item->data(0, kTargetRole).toString();
        if (!target.isEmpty())
            ShowPage(target);
    });
    connect(m_indexEdit, &QLineEdit::textChanged, this, &HelpWindow::filterIndex);
    connect(m_indexEdit, &QLineEdit::returnPressed, this, [this] { OpenIndexItem(m_indexList->currentItem()); });
    connect(m_indexList, &QListWidget::itemActivated, this, &HelpWindow::OpenIndexItem);
    connect(indexShow, &QPushButton::clicked, this, [this] { OpenIndexItem(m_indexList->currentItem()); });
    connect(m_searchEdit, &QLineEdit::returnPressed, this, &HelpWindow::RunSearch);
    connect(searchButton, &QPushButton::clicked, this, &HelpWindow::RunSearch);
    connect(m_searchList, &QListWidget::itemActivated, this, &HelpWindow::OpenSearchItem);

    if (m_indexList->count() > 0)
        m_indexList->setCurrentRow(0);
    ShowPage(QString::fromLatin1(HelpLibrary::kContentsPage));
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::buildContents(QTreeWidgetItem *parent, const std::vector<HelpLibrary::ContentsNode> &nodes)
{
    for (const HelpLibrary::ContentsNode &node : nodes) {
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_contents);
        item->setText(0, node.title);
        item->setData(0, kTargetRole, node.target);
        buildContents(item, node.children);
    }
}

QUrl HelpWindow::urlOf(const QString &target) const
{
    const QString page = target.section(u'#', 0, 0);
    const QString anchor = target.section(u'#', 1);
    const QString root = m_library.Root();
    QUrl url = root.startsWith(u':') ? QUrl(QStringLiteral("qrc") + root + page) : QUrl::fromLocalFile(root + page);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

void HelpWindow::ShowPage(const QString &target)
{
    const QString page = target.section(u'#', 0, 0);
    m_browser->setSource(urlOf(m_library.HasPage(page) ? target : QString::fromLatin1(HelpLibrary::kContentsPage)));
}

void HelpWindow::ShowContents()
{
    m_tabs->setCurrentIndex(ContentsTab);
    ShowPage(QString::fromLatin1(HelpLibrary::kContentsPage));
}

void HelpWindow::ShowSearch()
{
    m_tabs->setCurrentIndex(SearchTab);
    m_searchEdit->setFocus();
    m_searchEdit->selectAll();
}

QString HelpWindow::CurrentTarget() const
{
    const QUrl url = m_browser->source();
    const QString page = url.fileName();
    return url.hasFragment() ? page + u'#' + url.fragment() : page;
}

void HelpWindow::Present()
{
    // An application-modal dialog blocks every window that is not its own;
    // a window whose transient parent is the dialog counts as its own. The
    // blocked state is worked out when a window is shown, hence hide and
    // show when the owner changes.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == this)
        modal = nullptr;
    winId(); // the window handle
    QWindow *handle = windowHandle();
    QWindow *owner = modal ? modal->window()->windowHandle() : nullptr;
    if (handle && handle->transientParent() != owner) {
        const bool wasVisible = isVisible();
        if (wasVisible && owner)
            hide();
        handle->setTransientParent(owner);
    }
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void HelpWindow::filterIndex(const QString &text)
{
    const QString folded = HelpLibrary::Fold(text.trimmed());
    QListWidgetItem *first = nullptr;
    QListWidgetItem *firstStart = nullptr;
    for (int row = 0; row < m_indexList->count(); ++row) {
        QListWidgetItem *item = m_indexList->item(row);
        const QString keyword = HelpLibrary::Fold(item->data(kKeywordRole).toString());
        const bool shown = folded.isEmpty() || keyword.contains(folded);
        item->setHidden(!shown);
        if (shown && !first)
            first = item;
        if (shown && !firstStart && keyword.startsWith(folded))
            firstStart = item;
    }
    // The first keyword that begins with the text, else the first that
    // contains it.
    m_indexList->setCurrentItem(firstStart ? firstStart : first);
    if (m_indexList->currentItem())
        m_indexList->scrollToItem(m_indexList->currentItem());
}

void HelpWindow::OpenIndexItem(QListWidgetItem *item)
{
    if (item && !item->isHidden())
        ShowPage(item->data(kTargetRole).toString());
}

void HelpWindow::RunSearch()
{
    m_searchList->clear();
    m_searchWords = m_searchEdit->text().split(u' ', Qt::SkipEmptyParts);
    const QStringList pages = m_library.Search(m_searchEdit->text());
    for (const QString &page : pages) {
        auto *item = new QListWidgetItem(m_library.Title(page), m_searchList);
        item->setData(kTargetRole, page);
    }
    if (m_searchWords.isEmpty())
        m_searchStatus->setText(QString());
    else if (pages.size() == 1)
        m_searchStatus->setText(QStringLiteral("1 Thema gefunden"));
    else
        m_searchStatus->setText(QStringLiteral("%1 Themen gefunden").arg(pages.size()));
    if (!pages.isEmpty())
        m_searchList->setCurrentRow(0);
}

void HelpWindow::OpenSearchItem(QListWidgetItem *item)
{
    if (!item)
        return;
    ShowPage(item->data(kTargetRole).toString());
    // The first typed word, selected where it first occurs.
    if (!m_searchWords.isEmpty())
        m_browser->find(m_searchWords.constFirst());
}

void HelpWindow::onSourceChanged(const QUrl &url)
{
    // The contents tree follows the page shown.
    const QString page = url.fileName();
    QTreeWidgetItemIterator it(m_contents);
    for (; *it; ++it) {
        if ((*it)->data(0, kTargetRole).toString().section(u'#', 0, 0) == page) {
            m_contents->setCurrentItem(*it);
            return;
        }
    }
}

} // namespace orvel
