#pragma once

#include "listview/ViewFrame.h"
#include "platform/Gdi.h"
#include "platform/ui/CommandRouter.h"

#include <QEvent>
#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace orvel {

class PaintedTitleBar;

class CColorBar;
class CDChildWnd;
class COrvelView;
class MenuBuilder;

// The program's main window: the MDI client with one child window per open
// view, the menu bar, the "Standard" and "Steuerung" toolbars, the
// designer's "Formulardesign" toolbar and colour bar, and the status bar. It remembers its placement, the filter
// indices of four file dialogs and the layout of its bars in the settings.
class CMainFrame : public QMainWindow, public CCmdTarget, public ViewFrame
{
    Q_OBJECT
public:
    // The four file dialogs whose filter index the frame remembers.
    using FilterSlot = FileDialog;
    static constexpr FilterSlot kFilterOpen = FileDialog::Open;
    static constexpr FilterSlot kFilterInsertFrom = FileDialog::InsertFrom;
    static constexpr FilterSlot kFilterSaveAs = FileDialog::SaveAs;
    static constexpr FilterSlot kFilterPicture = FileDialog::Picture;
    // Show commands of the stored window placement.
    static constexpr int kShowNormal = 1;
    static constexpr int kShowMinimized = 2;
    static constexpr int kShowMaximized = 3;
    // At most this many views take part in the re-layout after the options.
    static constexpr int kMaxViews = 6;

    struct BarOptions
    {
        bool largeButtons = false;
        bool toolTips = true;
    };

    // The stored placement ("WindowPos"): flags (2 = restore to maximised),
    // show command, minimised and maximised positions, normal rectangle.
    struct WindowPlacement
    {
        unsigned flags = 0;
        unsigned showCmd = kShowNormal;
        int minX = -1;
        int minY = -1;
        int maxX = -1;
        int maxY = -1;
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    CMainFrame();
    ~CMainFrame() override;

    // The caption painted by the program ("ShowTitle") or by the window
    // system.
    void SetPaintedTitle(bool painted);
    PaintedTitleBar *GetTitleBar() const { return m_titleBar; }

    // Makes the menu bar, toolbars and status bar, and reads the filter
    // indices and the bar layout from the settings.
    bool Create(CommandRouter &router, const BarOptions &options);
    // The first show: the stored placement, if it is complete, with the
    // requested show command unless that is the plain normal one.
    void ActivateFrame(int showCommand = kShowNormal);
    // New button size and tool-tip setting for the three toolbars at once;
    // all bars are docked again as at the start.
    void RebuildToolBars(const BarOptions &options);
    const BarOptions &GetBarOptions() const { return m_barOptions; }

    CommandRouter *GetRouter() const { return m_router; }
    MenuBuilder *GetMenuBuilder() const { return m_menus.get(); }
    QMdiArea *GetMdiArea() const { return m_mdiArea; }
    QToolBar *GetStandardBar() const { return m_standardBar; }
    QToolBar *GetNavigationBar() const { return m_navigationBar; }
    QToolBar *GetDesignBar() const { return m_designBar; }
    QToolBar *GetColorBarDock() const { return m_colorDock; }
    CColorBar *GetColorBar() const { return m_colorBar; }

    // --- The designer's colours ---

    // New objects take them; the colour bar sets them.
    COLORREF CurrentLineColor() const override { return m_lineColor; }
    COLORREF CurrentFillColor() const override { return m_fillColor; }
    void SetCurrentLineColor(COLORREF color) override;
    void SetCurrentFillColor(COLORREF color) override;

    // --- Child windows ---

    CDChildWnd *GetActiveChild() const;
    std::vector<CDChildWnd *> GetChildren() const;
    // Shows a new child window: maximised when no child is active.
    void AddChild(CDChildWnd *child);

    // --- Filter indices (each at least 1) ---

    int GetFilterIndex(FilterSlot slot) const override;
    void SetFilterIndex(FilterSlot slot, int index) override;
    // The index the save dialog starts from and stores back.
    int *SaveAsFilterIndex() { return &m_filterIndex[std::size_t(kFilterSaveAs)]; }

    // --- Views and windows that hear of changes ---

    void RegisterView(COrvelView *view) override;
    void UnregisterView(COrvelView *view) override;
    std::vector<COrvelView *> GetRegisteredViews() const;
    // After the options sheet: bars rebuilt, every registered view laid out
    // again and repainted.
    void OnOptionsChanged(const BarOptions &options);

    // Windows that lay out pages from the printer hear when it changes.
    static QEvent::Type PrinterChangedEvent();
    void RegisterPrinterWindow(QObject *window);
    void UnregisterPrinterWindow(QObject *window);
    void NotifyPrinterChanged();

    // --- Status bar ---

    // The text of the message pane when no prompt is shown.
    void SetMessageText(const QString &text) override;
    QString GetMessageText() const;
    void SetKeyboardIndicators(bool capsLock, bool numLock);
    QLabel *GetCapsLockPane() const { return m_capsPane; }
    QLabel *GetNumLockPane() const { return m_numPane; }

    // The design menu and the two design bars instead of the main menu while
    // the active view designs its form.
    void SetDesignMenu(bool design) override;
    QMenu *BuildContextMenu(const QString &menu, int index) override;
    bool IsDesignMenu() const { return m_designMenu; }

    // --- Hooks of the application ---

    // Files dropped on the window.
    void SetOpenFilesHandler(std::function<void(const QStringList &)> handler) { m_openFiles = std::move(handler); }
    // Closing the window asks the documents; false keeps the program running.
    void SetCloseHandler(std::function<bool()> handler) { m_canClose = std::move(handler); }

    // Writes "FileFilters", the bar layout ("Toolbars") and "WindowPos".
    void SaveWindowState();

    // The settings values, read and written.
    static std::optional<WindowPlacement> ParseWindowPos(const QString &text);
    static QString FormatWindowPos(const WindowPlacement &placement);
    static std::array<int, 4> ParseFileFilters(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PaintedTitleBar *m_titleBar = nullptr;
    void createStatusBar();
    void createToolBars();
    void buildMenuBar();
    void fillPlaceholder(QMenu *menu, const QString &name);
    void fillWindowList(QMenu *menu);
    void applyBarOptions(QToolBar *bar);
    void dockBars();
    void registerCommands();
    void showContextMenu(int index, const QPoint &globalPos);
    void arrangeIcons();
    void onSubWindowActivated(QMdiSubWindow *window);
    bool activeViewDesigns() const;
    QWidget *controlBarOf(QObject *object) const;

    CommandRouter *m_router = nullptr;
    std::unique_ptr<MenuBuilder> m_menus;
    QMdiArea *m_mdiArea = nullptr;
    QToolBar *m_standardBar = nullptr;
    QToolBar *m_navigationBar = nullptr;
    QToolBar *m_designBar = nullptr;
    QToolBar *m_colorDock = nullptr;
    CColorBar *m_colorBar = nullptr;
    COLORREF m_lineColor = 0x00000000;
    COLORREF m_fillColor = 0x00FFFFFF;
    QLabel *m_messagePane = nullptr;
    QLabel *m_capsPane = nullptr;
    QLabel *m_numPane = nullptr;
    BarOptions m_barOptions;
    std::array<int, 4> m_filterIndex{1, 1, 1, 1};
    std::vector<QPointer<COrvelView>> m_views;
    std::vector<QPointer<QObject>> m_printerWindows;
    std::vector<QAction *> m_windowListActions;
    bool m_designMenu = false;
    bool m_created = false;
    std::function<void(const QStringList &)> m_openFiles;
    std::function<bool()> m_canClose;
};

} // namespace orvel
