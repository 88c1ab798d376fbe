#include "app/ui/MainFrame.h"

#include "app/ui/PaintedTitleBar.h"

#include "app/ui/DChildWnd.h"
#include "document/OrvelDoc.h"
#include "form/ui/ColorBar.h"
#include "form/ui/FormDesigner.h"
#include "listview/OrvelView.h"
#include "platform/Registry.h"
#include "platform/ui/MenuBuilder.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace orvel {

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kToolbars = QStringLiteral("Toolbars");
const QString kAppTitle = QStringLiteral("Orvel 97");
// The text of the message pane while nothing else is said.
const QString kIdleMessage = QStringLiteral("Bereit");

// Version of the stored bar layout: a layout of another version is ignored.
constexpr int kBarStateVersion = 1;

// Context menus by their index in the "Context" resource.
constexpr int kClientAreaMenu = 1;
constexpr int kControlBarsMenu = 2;

// The X11 and xkb modifier bits of the two locks.
constexpr quint32 kNativeCapsLock = 0x02;
constexpr quint32 kNativeNumLock = 0x10;

std::optional<long long> parseNumber(QStringView text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char *first = bytes.constData();
    const char *last = first + bytes.size();
    if (first != last && *first == '+')
        ++first;
    long long value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

QString toText(long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

// The menu text of the n-th entry of a window or file list.
QString numberedText(int n, const QString &text)
{
    QString escaped = text;
    escaped.replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(n).arg(escaped);
}

} // namespace

CMainFrame::CMainFrame()
{
    setWindowTitle(kAppTitle);
    setWindowIcon(QIcon(QStringLiteral(":/orvel/icons/orvel.svg")));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_titleBar = new PaintedTitleBar(*this);
}

void CMainFrame::SetPaintedTitle(bool painted)
{
    m_titleBar->SetEnabled(painted);
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    // The views go with the child windows after this frame is gone; they
    // must not report back to it then.
    for (COrvelView *view : findChildren<COrvelView *>())
        view->ForgetFrame();
}

bool CMainFrame::Create(CommandRouter &router, const BarOptions &options)
{
    m_router = &router;
    m_barOptions = options;
    m_menus = std::make_unique<MenuBuilder>(router);
    m_menus->SetPlaceholderHandler([this](QMenu *menu, const QString &name) { fillPlaceholder(menu, name); });
    MenuBuilder::SetCommandIcons(router);

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->viewport()->installEventFilter(this);
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);

    setAcceptDrops(true);
    buildMenuBar();
    createStatusBar();
    createToolBars();
    registerCommands();

    // The filter indices; anything incomplete or a 0 makes all four 1.
    m_filterIndex = ParseFileFilters(Registry::GetProfileString(kSettings, QStringLiteral("FileFilters")));

    // The bar layout of the last session.
    const QByteArray state =
            QByteArray::fromBase64(Registry::GetProfileString(kToolbars, QStringLiteral("State")).toLatin1());
    if (!state.isEmpty())
        restoreState(state, kBarStateVersion);
    // The design bars wait for a view in design mode, wherever they stood.
    m_designBar->hide();
    m_colorDock->hide();
    statusBar()->setVisible(Registry::GetProfileInt(kToolbars, QStringLiteral("StatusBar"), 1) != 0);

    // The lock keys are read from the key events of the whole program.
    qApp->installEventFilter(this);
    m_created = true;
    return true;
}

void CMainFrame::buildMenuBar()
{
    // The bar itself stays: a maximised child window keeps its buttons in
    // it, and a new bar would leave the child's caption showing.
    QMenuBar *bar = menuBar();
    std::vector<QMenu *> old;
    for (QAction *action : bar->actions()) {
        if (QMenu *menu = action->menu())
            old.push_back(menu);
    }
    bar->clear();
    // A menu may be open while its command swaps the bar.
    for (QMenu *menu : old)
        menu->deleteLater();
    m_menus->FillMenuBar(bar, m_designMenu ? u"DesignMenu" : u"MainMenu");
}

void CMainFrame::SetDesignMenu(bool design)
{
    // The bars follow every activation, even when the menu stays.
    m_designBar->setVisible(design);
    m_colorDock->setVisible(design);
    if (design == m_designMenu)
        return;
    m_designMenu = design;
    buildMenuBar();
}

void CMainFrame::SetCurrentLineColor(COLORREF color)
{
    m_lineColor = color;
    m_colorBar->SetCurrentColors(m_lineColor, m_fillColor);
}

void CMainFrame::SetCurrentFillColor(COLORREF color)
{
    m_fillColor = color;
    m_colorBar->SetCurrentColors(m_lineColor, m_fillColor);
}

void CMainFrame::fillPlaceholder(QMenu *menu, const QString &name)
{
    if (name == u"recent-files") {
        for (int id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE4; ++id) {
            if (QAction *action = m_router->Action(id))
                menu->addAction(action);
        }
    } else if (name == u"window-list") {
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillWindowList(menu); });
    } else if (name == u"ole-verbs") {
        // The verbs of embedded documents: open in the application, and
        // end that.
        for (const int id : {int(ID_OLE_VERB_EDIT), int(ID_OLE_VERB_END)}) {
            if (QAction *action = m_router->Action(id))
                menu->addAction(action);
        }
    }
}

void CMainFrame::fillWindowList(QMenu *menu)
{
    for (QAction *old : m_windowListActions) {
        menu->removeAction(old);
        old->deleteLater();
    }
    m_windowListActions.clear();
    const auto children = GetChildren();
    const CDChildWnd *active = GetActiveChild();
    int n = 0;
    for (CDChildWnd *child : children) {
        if (++n > 9)
            break;
        auto *action = new QAction(numberedText(n, child->windowTitle()), menu);
        action->setCheckable(true);
        action->setChecked(child == active);
        QPointer<CDChildWnd> target(child);
        connect(action, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdiArea->setActiveSubWindow(target);
        });
        menu->addAction(action);
        m_windowListActions.push_back(action);
    }
}

void CMainFrame::createStatusBar()
{
    QStatusBar *bar = statusBar();
    m_messagePane = new QLabel(kIdleMessage, bar);
    bar->addWidget(m_messagePane, 1);
    const auto makePane = [bar](const QString &text) {
        auto *pane = new QLabel(bar);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(text) + 12);
        bar->addPermanentWidget(pane);
        return pane;
    };
    m_capsPane = makePane(LoadQString(ids::kIndicatorCaps));
    m_numPane = makePane(LoadQString(ids::kIndicatorNum));
}

void CMainFrame::SetMessageText(const QString &text)
{
    m_messagePane->setText(text.isEmpty() ? kIdleMessage : text);
}

QString CMainFrame::GetMessageText() const
{
    return m_messagePane ? m_messagePane->text() : QString();
}

void CMainFrame::SetKeyboardIndicators(bool capsLock, bool numLock)
{
    m_capsPane->setText(capsLock ? LoadQString(ids::kIndicatorCaps) : QString());
    m_numPane->setText(numLock ? LoadQString(ids::kIndicatorNum) : QString());
}

void CMainFrame::createToolBars()
{
    m_standardBar = new QToolBar(LoadQString(ids::kBarStandard), this);
    m_standardBar->setObjectName(QStringLiteral("Standard"));
    m_navigationBar = new QToolBar(LoadQString(ids::kBarNavigation), this);
    m_navigationBar->setObjectName(QStringLiteral("Steuerung"));
    m_designBar = new QToolBar(LoadQString(ids::kBarFormDesign), this);
    m_designBar->setObjectName(QStringLiteral("Formulardesign"));
    m_menus->FillToolBar(m_standardBar, u"Standard");
    m_menus->FillToolBar(m_navigationBar, u"Steuerung");
    m_menus->FillToolBar(m_designBar, u"Formulardesign");
    if (QAction *mark = m_router->Action(ID_RECORD_MARK))
        mark->setCheckable(true);

    // The colour bar: its buttons are the designer's, not commands.
    m_colorDock = new QToolBar(LoadQString(ids::kBarColors), this);
    m_colorDock->setObjectName(QStringLiteral("Farbauswahl"));
    m_colorBar = new CColorBar(m_colorDock);
    m_colorBar->SetCurrentColors(m_lineColor, m_fillColor);
    m_colorDock->addWidget(m_colorBar);
    connect(m_colorBar, &CColorBar::lineColorPicked, this, [this](COLORREF color) {
        SetCurrentLineColor(color);
        m_router->Execute(CFormDesigner::kApplyLineColor);
    });
    connect(m_colorBar, &CColorBar::fillColorPicked, this, [this](COLORREF color) {
        SetCurrentFillColor(color);
        m_router->Execute(CFormDesigner::kApplyFillColor);
    });

    for (QToolBar *bar : {m_standardBar, m_navigationBar, m_designBar, m_colorDock}) {
        bar->setAllowedAreas(Qt::AllToolBarAreas);
        bar->setMovable(true);
        bar->setFloatable(true);
        // The colour bar's right clicks pick fill colours.
        if (bar != m_colorDock)
            bar->installEventFilter(this);
        // The bar's own toggle would bypass the commands that show and hide it.
        bar->toggleViewAction()->setVisible(false);
        applyBarOptions(bar);
    }
    dockBars();
    m_designBar->hide();
    m_colorDock->hide();
    statusBar()->installEventFilter(this);
}

void CMainFrame::dockBars()
{
    // The standard and navigation bars side by side at the top; the design
    // bars stand at the left, the colours below the tools, and show only
    // while the active view designs its form. A bar docked again keeps
    // whether it was shown.
    for (const auto &[area, bar] :
         {std::pair{Qt::TopToolBarArea, m_standardBar}, std::pair{Qt::TopToolBarArea, m_navigationBar},
          std::pair{Qt::LeftToolBarArea, m_designBar}, std::pair{Qt::LeftToolBarArea, m_colorDock}}) {
        const bool visible = !bar->isHidden();
        if (m_created)
            removeToolBar(bar);
        addToolBar(area, bar);
        bar->setVisible(visible);
    }
}

void CMainFrame::applyBarOptions(QToolBar *bar)
{
    const int image = m_barOptions.largeButtons ? 24 : 16;
    const QSize button = m_barOptions.largeButtons ? QSize(31, 30) : QSize(23, 22);
    bar->setIconSize(QSize(image, image));
    for (QAction *action : bar->actions()) {
        if (auto *tool = qobject_cast<QToolButton *>(bar->widgetForAction(action))) {
            tool->setFixedSize(button);
            tool->setAutoRaise(true);
            tool->removeEventFilter(this);
            tool->installEventFilter(this);
        }
    }
}

void CMainFrame::RebuildToolBars(const BarOptions &options)
{
    m_barOptions = options;
    for (QToolBar *bar : {m_standardBar, m_navigationBar, m_designBar})
        applyBarOptions(bar);
    // Floating or moved bars come back to where they stood at the start.
    dockBars();
}

void CMainFrame::registerCommands()
{
    const auto toggle = [](QWidget *bar) {
        return std::pair{[bar] { bar->setVisible(!bar->isVisible()); },
                         [bar](CCmdUI &ui) { ui.SetCheck(bar->isVisible()); }};
    };
    for (const auto &[id, bar] : {std::pair<int, QWidget *>{ID_VIEW_TOOLBAR, m_standardBar},
                                  std::pair<int, QWidget *>{ID_VIEW_NAVIGATION_BAR, m_navigationBar},
                                  std::pair<int, QWidget *>{ID_VIEW_STATUS_BAR, statusBar()}}) {
        auto [handler, update] = toggle(bar);
        m_commandMap.On(id, handler, update);
    }
    // Only a view enables the form design command.
    m_commandMap.On(ID_VIEW_FORM_DESIGN, {}, [](CCmdUI &ui) { ui.Enable(false); });
    // The design bars may be hidden and shown while a view designs.
    for (const auto &[id, bar] : {std::pair<int, QWidget *>{ID_VIEW_DESIGN_BAR, m_designBar},
                                  std::pair<int, QWidget *>{ID_VIEW_COLOR_BAR, m_colorDock},
                                  std::pair<int, QWidget *>{ID_VIEW_COLOR_BAR_FRAME, m_colorDock}}) {
        m_commandMap.On(
                id, [bar] { bar->setVisible(!bar->isVisible()); },
                [this, bar](CCmdUI &ui) {
                    ui.Enable(activeViewDesigns());
                    ui.SetCheck(bar->isVisible());
                });
    }

    const auto hasChildren = [this](CCmdUI &ui) { ui.Enable(!m_mdiArea->subWindowList().isEmpty()); };
    m_commandMap.On(
            ID_WINDOW_CASCADE, [this] { m_mdiArea->cascadeSubWindows(); }, hasChildren);
    m_commandMap.On(
            ID_WINDOW_TILE_HORZ, [this] { m_mdiArea->tileSubWindows(); }, hasChildren);
    m_commandMap.On(
            ID_WINDOW_ARRANGE, [this] { arrangeIcons(); }, hasChildren);
}

void CMainFrame::arrangeIcons()
{
    // Minimised windows line up along the bottom edge of the client area.
    int x = 0;
    const int bottom = m_mdiArea->viewport()->height();
    for (QMdiSubWindow *window : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized())
            continue;
        const QSize size = window->size();
        if (x > 0 && x + size.width() > m_mdiArea->viewport()->width())
            x = 0;
        window->move(x, bottom - size.height());
        x += size.width();
    }
}

// --- Child windows ---

CDChildWnd *CMainFrame::GetActiveChild() const
{
    return m_mdiArea ? qobject_cast<CDChildWnd *>(m_mdiArea->activeSubWindow()) : nullptr;
}

std::vector<CDChildWnd *> CMainFrame::GetChildren() const
{
    std::vector<CDChildWnd *> children;
    if (!m_mdiArea)
        return children;
    for (QMdiSubWindow *window : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (auto *child = qobject_cast<CDChildWnd *>(window); child && !child->IsClosed())
            children.push_back(child);
    }
    return children;
}

void CMainFrame::AddChild(CDChildWnd *child)
{
    // While a child is maximised the MDI area shows its title in the
    // frame's caption ("Orvel 97 - [Liste.ovd]").
    QMdiSubWindow *active = m_mdiArea->activeSubWindow();
    m_mdiArea->addSubWindow(child);
    if (!active || active->isMaximized()) {
        child->showMaximized();
    } else {
        // Beside windows of their own size: two thirds of the area, one
        // caption below and right of the active window, back to the corner
        // when that would leave the area.
        const QSize area = m_mdiArea->viewport()->size();
        const QSize size(std::max(area.width() * 2 / 3, 200), std::max(area.height() * 2 / 3, 150));
        const int step = child->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, child) + 4;
        QPoint at = active->geometry().topLeft() + QPoint(step, step);
        if (at.x() + size.width() > area.width() || at.y() + size.height() > area.height())
            at = QPoint(0, 0);
        child->setGeometry(QRect(at, size));
        child->show();
    }
    m_mdiArea->setActiveSubWindow(child);
}

bool CMainFrame::activeViewDesigns() const
{
    const CDChildWnd *child = GetActiveChild();
    const COrvelView *view = child ? child->GetView() : nullptr;
    return view && view->IsDesignMode();
}

void CMainFrame::onSubWindowActivated(QMdiSubWindow *window)
{
    auto *child = qobject_cast<CDChildWnd *>(window);
    const COrvelView *view = child ? child->GetView() : nullptr;
    SetDesignMenu(view && view->IsDesignMode());
}

// --- Filter indices ---

int CMainFrame::GetFilterIndex(FilterSlot slot) const
{
    return m_filterIndex[std::size_t(slot)];
}

void CMainFrame::SetFilterIndex(FilterSlot slot, int index)
{
    m_filterIndex[std::size_t(slot)] = std::max(1, index);
}

QMenu *CMainFrame::BuildContextMenu(const QString &menu, int index)
{
    return m_menus ? m_menus->BuildContextMenu(menu, index, this) : nullptr;
}

std::array<int, 4> CMainFrame::ParseFileFilters(const QString &text)
{
    std::array<int, 4> indices{1, 1, 1, 1};
    const QStringList parts = text.split(u',');
    if (parts.size() < 4)
        return {1, 1, 1, 1};
    for (int i = 0; i < 4; ++i) {
        const auto value = parseNumber(parts.at(i));
        if (!value || *value <= 0 || *value > 0xFFFF)
            return {1, 1, 1, 1};
        indices[std::size_t(i)] = int(*value);
    }
    return indices;
}

// --- Placement ---

std::optional<CMainFrame::WindowPlacement> CMainFrame::ParseWindowPos(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() < 10)
        return std::nullopt;
    long long values[10];
    for (int i = 0; i < 10; ++i) {
        const auto value = parseNumber(parts.at(i));
        if (!value || *value < INT32_MIN || *value > UINT32_MAX)
            return std::nullopt;
        values[i] = *value;
    }
    WindowPlacement p;
    p.flags = unsigned(values[0]);
    p.showCmd = unsigned(values[1]);
    p.minX = int(values[2]);
    p.minY = int(values[3]);
    p.maxX = int(values[4]);
    p.maxY = int(values[5]);
    p.left = int(values[6]);
    p.top = int(values[7]);
    p.right = int(values[8]);
    p.bottom = int(values[9]);
    return p;
}

QString CMainFrame::FormatWindowPos(const WindowPlacement &p)
{
    const long long values[10] = {p.flags, p.showCmd, p.minX, p.minY, p.maxX, p.maxY, p.left, p.top, p.right, p.bottom};
    QStringList parts;
    for (long long value : values)
        parts << toText(value);
    return parts.join(u',');
}

void CMainFrame::ActivateFrame(int showCommand)
{
    int show = showCommand;
    const auto placement = ParseWindowPos(Registry::GetProfileString(kSettings, QStringLiteral("WindowPos")));
    QRect normal;
    if (placement) {
        normal = QRect(QPoint(placement->left, placement->top), QPoint(placement->right - 1, placement->bottom - 1));
        if (showCommand == kShowNormal)
            show = int(placement->showCmd);
    }
    // A stored rectangle that is empty or lies off every screen would hide
    // the window; the system's placement applies instead.
    const QScreen *screen = normal.isValid() ? QGuiApplication::screenAt(normal.center()) : nullptr;
    if (!screen && normal.isValid()) {
        for (const QScreen *candidate : QGuiApplication::screens()) {
            if (candidate->availableGeometry().intersects(normal))
                screen = candidate;
        }
    }
    if (normal.isValid() && normal.width() >= 100 && normal.height() >= 80 && screen) {
        setGeometry(normal);
    } else if (const QScreen *primary = QGuiApplication::primaryScreen()) {
        const QRect available = primary->availableGeometry();
        resize(available.width() * 4 / 5, available.height() * 4 / 5);
        move(available.center() - rect().center());
    }
    if (show == kShowMaximized || (placement && (placement->flags & 2) != 0 && show != kShowNormal))
        showMaximized();
    else
        showNormal(); // a program never starts hidden in the task bar
}

void CMainFrame::SaveWindowState()
{
    const auto &f = m_filterIndex;
    Registry::WriteProfileString(kSettings, QStringLiteral("FileFilters"),
                                 toText(f[0]) + u',' + toText(f[1]) + u',' + toText(GetFilterIndex(kFilterSaveAs))
                                         + u',' + toText(f[3]));
    Registry::WriteProfileString(kToolbars, QStringLiteral("State"),
                                 QString::fromLatin1(saveState(kBarStateVersion).toBase64()));
    Registry::WriteProfileInt(kToolbars, QStringLiteral("StatusBar"), statusBar()->isVisible() ? 1 : 0);

    WindowPlacement p;
    p.flags = isMaximized() ? 2 : 0;
    p.showCmd = isMinimized() ? kShowMinimized : isMaximized() ? kShowMaximized : kShowNormal;
    QRect normal = normalGeometry();
    if (!normal.isValid())
        normal = geometry();
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    Registry::WriteProfileString(kSettings, QStringLiteral("WindowPos"), FormatWindowPos(p));
    Registry::Flush();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    SaveWindowState();
    if (m_canClose && !m_canClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

// --- Views and printer windows ---

void CMainFrame::RegisterView(COrvelView *view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), nullptr), m_views.end());
    if (int(m_views.size()) >= kMaxViews)
        return;
    if (std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.emplace_back(view);
}

void CMainFrame::UnregisterView(COrvelView *view)
{
    m_views.erase(std::remove_if(m_views.begin(), m_views.end(),
                                 [view](const QPointer<COrvelView> &v) { return v.isNull() || v == view; }),
                  m_views.end());
}

std::vector<COrvelView *> CMainFrame::GetRegisteredViews() const
{
    std::vector<COrvelView *> views;
    for (const auto &view : m_views) {
        if (view)
            views.push_back(view);
    }
    return views;
}

void CMainFrame::OnOptionsChanged(const BarOptions &options)
{
    RebuildToolBars(options);
    for (COrvelView *view : GetRegisteredViews())
        view->RelayoutAfterOptions();
}

QEvent::Type CMainFrame::PrinterChangedEvent()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void CMainFrame::RegisterPrinterWindow(QObject *window)
{
    UnregisterPrinterWindow(window);
    m_printerWindows.emplace_back(window);
}

void CMainFrame::UnregisterPrinterWindow(QObject *window)
{
    m_printerWindows.erase(std::remove_if(m_printerWindows.begin(), m_printerWindows.end(),
                                          [window](const QPointer<QObject> &w) { return w.isNull() || w == window; }),
                           m_printerWindows.end());
}

void CMainFrame::NotifyPrinterChanged()
{
    const auto windows = m_printerWindows;
    for (const auto &window : windows) {
        if (window) {
            QEvent event(PrinterChangedEvent());
            QCoreApplication::sendEvent(window, &event);
        }
    }
}

// --- Drops, context menus, keys ---

void CMainFrame::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls()) {
        for (const QUrl &url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
    event->ignore();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent *event)
{
    QStringList files;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // Activate the window first, as the desktop expects from a drop target.
    activateWindow();
    if (m_openFiles)
        m_openFiles(files);
}

void CMainFrame::contextMenuEvent(QContextMenuEvent *event)
{
    // Bars and the client area have their own menus (see eventFilter); the
    // window's default menu of bars is not used.
    event->accept();
}

QWidget *CMainFrame::controlBarOf(QObject *object) const
{
    for (QObject *o = object; o; o = o->parent()) {
        if (o == m_standardBar || o == m_navigationBar || o == m_designBar || o == statusBar())
            return static_cast<QWidget *>(o);
        if (o == this)
            break;
    }
    return nullptr;
}

void CMainFrame::showContextMenu(int index, const QPoint &globalPos)
{
    QMenu *menu = m_menus->BuildContextMenu(u"Context", index, this);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(index == kClientAreaMenu ? QStringLiteral("ClientArea") : QStringLiteral("ControlBars"));
    m_router->UpdateActions(menu->actions());
    menu->popup(globalPos);
}

bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ContextMenu: {
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        // Only the empty client area: a click in a child window comes here
        // too when the child leaves it unhandled.
        if (m_mdiArea && watched == m_mdiArea->viewport()) {
            if (m_mdiArea->viewport()->childAt(menuEvent->pos()))
                break;
            showContextMenu(kClientAreaMenu, menuEvent->globalPos());
            return true;
        }
        if (controlBarOf(watched)) {
            showContextMenu(kControlBarsMenu, menuEvent->globalPos());
            return true;
        }
        break;
    }
    case QEvent::ToolTip:
        if (!m_barOptions.toolTips && qobject_cast<QToolButton *>(watched) && controlBarOf(watched))
            return true;
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const quint32 native = static_cast<QKeyEvent *>(event)->nativeModifiers();
        const QString platform = QGuiApplication::platformName();
        if (platform == u"xcb" || platform.startsWith(u"wayland"))
            SetKeyboardIndicators(native & kNativeCapsLock, native & kNativeNumLock);
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace orvel
