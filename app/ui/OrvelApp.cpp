#include "app/ui/OrvelApp.h"

#include "app/ui/AboutDialog.h"
#include "app/ui/DocTemplate.h"
#include "app/ui/DocumentUndo.h"
#include "app/ui/HelpController.h"
#include "app/ui/MailSender.h"
#include "app/ui/MainFrame.h"
#include "app/ui/NewDatabaseDialog.h"
#include "app/ui/OptionsCommand.h"
#include "app/ui/SingleInstance.h"
#include "app/ui/TipDialog.h"
#include "app/ui/ToolbarsDialog.h"
#include "document/OrvelDoc.h"
#include "listview/OrvelView.h"
#include "listview/RecordClipboard.h"
#include "media/gfx/DocumentIcons.h"
#include "media/gfx/QtPictureDecoder.h"
#include "media/ui/MagickPictureDecoder.h"
#include "media/ui/SaneScanner.h"
#include "platform/DataFiles.h"
#include "platform/Registry.h"
#include "platform/TempFile.h"
#include "platform/gfx/FontConversion.h"
#include "platform/ui/QtTranslations.h"
#include "platform/ui/WidgetServices.h"
#include "print/ui/PrinterSetupDialog.h"
#include "print/ui/SessionPrinter.h"
#include "resources/CommandIds.h"
#include "resources/CommandTable.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "tools/CdPlayerDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QToolBar>
#include <QWidget>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace orvel {

namespace {

constexpr int kMaxRecentFiles = 4;

const QString kRecentSection = QStringLiteral("Recent File List");

// SIGTERM and SIGINT end the event loop, so that the settings are written
// and the temporary files and the socket are removed as on a normal exit.
int g_signalPipe[2] = {-1, -1};
// A signal that came before the event loop ran (a message box during
// start-up): the loop must not start at all.
bool g_terminationRequested = false;

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

void installTerminationHandler(QObject *owner)
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char byte = 0;
        while (::read(g_signalPipe[0], &byte, 1) > 0) {
        }
        g_terminationRequested = true;
        // A message box or dialog has its own loop, which quitting the
        // application's loop does not end.
        while (QWidget *modal = QApplication::activeModalWidget()) {
            if (!modal->close())
                break;
        }
        QCoreApplication::quit();
    });
    struct sigaction action
    {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

// A path as the recent-file list shows it: the home folder as "~", and
// long paths shortened in the middle.
QString recentFileText(const QString &path)
{
    QString shown = QDir::toNativeSeparators(path);
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != u"/" && shown.startsWith(home + u'/'))
        shown = u'~' + shown.mid(home.size());
    constexpr int kMaxLength = 60;
    if (shown.size() > kMaxLength) {
        const QString name = QFileInfo(path).fileName();
        const int head = std::max(0, int(kMaxLength - name.size() - 4));
        shown = shown.left(head) + QStringLiteral(".../") + name;
    }
    shown.replace(u'&', QStringLiteral("&&"));
    return shown;
}

} // namespace

COrvelApp::COrvelApp(int &argc, char **argv)
    : COrvelApp(argc, argv, StartOptions())
{}

COrvelApp::COrvelApp(int &argc, char **argv, StartOptions options)
    : m_options(std::move(options))
{
    if (!QCoreApplication::instance()) {
        m_ownApplication = std::make_unique<QApplication>(argc, argv);
        installTerminationHandler(this);
    }
}

COrvelApp::COrvelApp(StartOptions options)
    : m_options(std::move(options))
{}

COrvelApp::~COrvelApp()
{
    if (!m_exited && m_running)
        ExitInstance();
    // Windows and documents go before the services they report through.
    m_template.reset();
    m_router = nullptr; // a child of the frame
    m_frame.reset();
    COrvelDoc::SetRecentFileHook({});
    if (m_widgetServices) {
        installServices(m_previousServices);
        m_widgetServices.reset();
    }
    m_mail.reset(); // removes the copies made for mail
    m_single.reset();
    // Records copied to the clipboard point into our temporary file, which
    // is about to go.
    if (QGuiApplication::instance())
        ClearClipboardIfRecords();
    if (!m_tempFile.isEmpty())
        RemoveFileQuietly(m_tempFile);
}

QString COrvelApp::CommandLinePath(const QStringList &arguments)
{
    return arguments.join(u' ');
}

void COrvelApp::LoadSettings()
{
    m_settings.Load(AppSettings::DefaultLargeIcons());
}

void COrvelApp::SaveSettings()
{
    m_settings.Save();
}

bool COrvelApp::InitInstance()
{
    QCoreApplication::setOrganizationName(QStringLiteral("KWZ"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvel 97"));
    QGuiApplication::setApplicationDisplayName(QString());
    QGuiApplication::setDesktopFileName(QStringLiteral("orvel"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/orvel/icons/orvel.svg")));

    LoadSettings();

    // The command line is one path, blanks and all.
    QStringList arguments;
    if (m_options.arguments)
        arguments = *m_options.arguments;
    else
        arguments = QCoreApplication::arguments().mid(1);
    QString path = CommandLinePath(arguments);
    if (!path.isEmpty())
        path = QFileInfo(path).absoluteFilePath();

    if (m_options.singleInstance) {
        m_single = std::make_unique<SingleInstance>();
        if (m_single->Start(path) == SingleInstance::Outcome::HandedOver)
            return false;
        connect(m_single.get(), &SingleInstance::activationRequested, this, &COrvelApp::OnActivationRequest);
    }

    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        InstallQtGermanTranslations(*app);
    InstallFontSubstitutions();
    // Pictures are read by Qt's image readers, the older formats by
    // ImageMagick after them; scanning goes through SANE. The core decodes
    // and scans nothing itself.
    RegisterQtPictureDecoder();
    RegisterDocumentIcons();
    RegisterMagickPictureDecoder();
    InstallSaneScanner();
    loadRecentFiles();
    COrvelDoc::SetRecentFileHook([this](const QString &p) { AddToRecentFileList(p); });

    // The main frame, its commands and the document template.
    m_frame = std::make_unique<CMainFrame>();
    m_router = new CommandRouter(m_frame.get(), CommandTable::program());
    m_router->SetChainProvider([this] { return commandChain(); });
    // The commands of a document's window record their changes for undo.
    m_router->SetExecuteWrapper([this](int id, const std::function<void()> &run) {
        CDChildWnd *child = m_frame ? m_frame->GetActiveChild() : nullptr;
        CDocumentUndo *undo =
                child && !child->IsClosed() && m_template ? m_template->GetUndo(&child->GetDocument()) : nullptr;
        if (undo)
            undo->RunCommand(id, run);
        else
            run();
    });
    if (!m_frame->Create(*m_router, {m_settings.largeIcons != 0, m_settings.toolTips != 0}))
        return false;
    m_mail = std::make_unique<MailSender>();
    m_template = std::make_unique<COrvelDocTemplate>(*m_frame, *m_mail);
    m_template->SetClipboardFileSource([this] { return m_tempFile; });
    m_template->SetStandardView(m_settings.standardView);
    m_frame->SetOpenFilesHandler([this](const QStringList &files) {
        for (const QString &file : files)
            OpenDocumentFile(file);
    });
    m_frame->SetCloseHandler([this] {
        if (!m_template->SaveAllModified())
            return false;
        m_template->CloseAllDocuments();
        return true;
    });
    registerCommands();

    if (m_options.widgetServices) {
        m_widgetServices = std::make_unique<WidgetServices>();
        m_widgetServices->setParentWindow(m_frame.get());
        m_previousServices = installServices(m_widgetServices.get());
    }

    // Printing, the page setup and the margin check share the session's
    // printer.
    SessionPrinter::Install();
    m_frame->NotifyPrinterChanged();
    m_frame->SetPaintedTitle(m_settings.showTitle != 0);
    m_frame->ActivateFrame(m_options.showCommand);
    m_running = true;

    if (!path.isEmpty())
        OpenDocumentFile(path);
    else if (m_settings.startWindow)
        m_router->Execute(ID_FILE_NEW);

    m_tempFile = MakeTempFileName(QStringLiteral("tmp"));

    if (TipDialog::ShowAtStartUp()) {
        TipDialog tips(m_frame.get());
        tips.exec();
    }

    m_router->UpdateAll();
    m_router->SetIdleUpdates(true);

    // Starts that came while this one was getting ready.
    const QStringList pending = std::exchange(m_pendingActivations, {});
    for (const QString &request : pending)
        OnActivationRequest(request);
    return true;
}

int COrvelApp::Run()
{
    const int code = g_terminationRequested ? 0 : QCoreApplication::exec();
    ExitInstance();
    return code;
}

int COrvelApp::ExitInstance()
{
    if (m_exited)
        return 0;
    m_exited = true;
    if (m_router)
        m_router->SetIdleUpdates(false);
    SaveSettings();
    saveRecentFiles();
    Registry::Flush();
    return 0;
}

CommandRouter::Chain COrvelApp::commandChain() const
{
    CommandRouter::Chain chain;
    if (m_frame) {
        if (CDChildWnd *child = m_frame->GetActiveChild(); child && !child->IsClosed()) {
            if (COrvelView *view = child->GetView())
                chain.push_back(view);
            if (m_template)
                chain.push_back(m_template->GetDocTarget(&child->GetDocument()));
        }
        chain.push_back(m_frame.get());
    }
    chain.push_back(const_cast<COrvelApp *>(this));
    return chain;
}

void COrvelApp::registerCommands()
{
    m_commandMap.On(ID_FILE_NEW, [this] { OnFileNew(); });
    m_commandMap.On(ID_FILE_OPEN, [this] { OnFileOpen(); });
    m_commandMap.On(ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(); });
    m_commandMap.On(ID_OPTIONS, [this] { RunOptions(m_frame.get(), *this); });
    m_commandMap.On(ID_APP_EXIT, [this] { OnAppExit(); });
    m_commandMap.On(ID_APP_ABOUT, [this] { RunAboutDialog(m_frame.get()); });
    m_commandMap.On(ID_TIP_OF_THE_DAY, [this] {
        TipDialog tips(m_frame.get());
        tips.exec();
    });
    m_commandMap.On(ID_VIEW_TOOLBARS, [this] { OnViewToolbars(); });
    m_commandMap.On(ID_CD_PLAYER, [this] { CdPlayerDialog::Open(m_frame.get()); });
    // Help: the contents, the search, and F1 (the page of a modal dialog is
    // found by the help controller's event filter, since the dialog keeps
    // this command from running).
    m_help = std::make_unique<HelpController>();
    m_commandMap.On(ID_HELP_INDEX, [this] { m_help->ShowContents(); });
    m_commandMap.On(ID_DEFAULT_HELP, [this] { m_help->ShowContents(); });
    m_commandMap.On(ID_HELP_SEARCH, [this] { m_help->ShowSearch(); });
    m_commandMap.On(ID_HELP, [this] { m_help->ShowContextHelp(QApplication::activeWindow()); });
    m_commandMap.OnRange(
            ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE4, [this](int id) { openRecentFile(id - ID_FILE_MRU_FILE1); },
            [this](CCmdUI &ui) {
                const int index = ui.GetID() - ID_FILE_MRU_FILE1;
                if (index < m_recentFiles.size()) {
                    ui.SetText(QStringLiteral("&%1 %2").arg(index + 1).arg(recentFileText(m_recentFiles.at(index))));
                    ui.SetVisible(true);
                    ui.Enable(true);
                } else {
                    // An empty list shows one disabled entry that says so.
                    ui.SetText(QStringLiteral("Zuletzt geöffnete Datei"));
                    ui.SetVisible(index == 0);
                    ui.Enable(false);
                }
            });
}

COrvelDoc *COrvelApp::OpenDocumentFile(const QString &path)
{
    if (!m_template || path.isEmpty())
        return nullptr;
    return m_template->OpenDocumentFile(path);
}

void COrvelApp::OnFileNew()
{
    if (!m_template)
        return;
    NewDatabaseDialog dialog(m_settings.startWindow != 0, m_frame.get());
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_settings.startWindow = dialog.ShowAtStart() ? 1 : 0;
    SaveSettings();
    const int choice = dialog.Selected();
    // The dialog's area is painted before a file is read.
    m_frame->repaint();
    if (choice == NewDatabaseDialog::OpenFile) {
        OnFileOpen();
    } else if (choice >= NewDatabaseDialog::FirstTemplate && choice < NewDatabaseDialog::kChoices) {
        const char *file = NewDatabaseDialog::Entries()[std::size_t(choice)].template_;
        m_template->OpenDocumentCopy(FindDataFile(QStringLiteral("Template/") + QLatin1StringView(file)));
    } else if (m_template->OpenNewDocument()) {
        // A new database starts with its form.
        m_router->Execute(ID_VIEW_FORM_DESIGN);
    }
}

void COrvelApp::OnFileOpen()
{
    int filterIndex = m_frame->GetFilterIndex(CMainFrame::kFilterOpen);
    const QString path = services().getOpenFileName(QStringLiteral("Öffnen"), LoadQString(ids::kFilterOpen),
                                                    &filterIndex, LoadQString(ids::kDefaultExtension));
    m_frame->SetFilterIndex(CMainFrame::kFilterOpen, filterIndex);
    if (path.isEmpty())
        return;
    // The dialog's area is painted before the file is read.
    m_frame->repaint();
    OpenDocumentFile(path);
}

void COrvelApp::OnFilePrintSetup()
{
    if (RunPrinterSetup(m_frame.get()))
        m_frame->NotifyPrinterChanged();
}

void COrvelApp::OnViewToolbars()
{
    const CDChildWnd *child = m_frame->GetActiveChild();
    const COrvelView *view = child ? child->GetView() : nullptr;
    ToolbarsDialog::Choices choices;
    choices.standard = !m_frame->GetStandardBar()->isHidden();
    choices.navigation = !m_frame->GetNavigationBar()->isHidden();
    choices.formDesign = !m_frame->GetDesignBar()->isHidden();
    choices.colors = !m_frame->GetColorBarDock()->isHidden();
    choices.statusBar = !m_frame->statusBar()->isHidden();
    choices.largeButtons = m_settings.largeIcons != 0;
    choices.toolTips = m_settings.toolTips != 0;
    const auto chosen = RunToolbarsDialog(m_frame.get(), choices, view && view->IsDesignMode());
    if (chosen)
        SetToolbarChoices(*chosen);
}

void COrvelApp::SetToolbarChoices(const ToolbarsDialog::Choices &choices)
{
    m_frame->GetStandardBar()->setVisible(choices.standard);
    m_frame->GetNavigationBar()->setVisible(choices.navigation);
    m_frame->GetDesignBar()->setVisible(choices.formDesign);
    m_frame->GetColorBarDock()->setVisible(choices.colors);
    m_frame->statusBar()->setVisible(choices.statusBar);
    SetBarSettings(choices.largeButtons, choices.toolTips);
}

void COrvelApp::SetBarSettings(bool largeButtons, bool toolTips)
{
    m_settings.largeIcons = largeButtons ? 1 : 0;
    m_settings.toolTips = toolTips ? 1 : 0;
    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("LargeIcons"), m_settings.largeIcons);
    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("ToolTips"), m_settings.toolTips);
    Registry::Flush();
    m_frame->RebuildToolBars({largeButtons, toolTips});
}

void COrvelApp::OnAppExit()
{
    if (m_frame)
        m_frame->close();
}

void COrvelApp::loadRecentFiles()
{
    m_recentFiles.clear();
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        const QString path = Registry::GetProfileString(kRecentSection, QStringLiteral("File%1").arg(i));
        if (!path.isEmpty() && !m_recentFiles.contains(path))
            m_recentFiles << path;
    }
}

void COrvelApp::saveRecentFiles() const
{
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        const QString entry = QStringLiteral("File%1").arg(i);
        if (i <= m_recentFiles.size())
            Registry::WriteProfileString(kRecentSection, entry, m_recentFiles.at(i - 1));
        else if (Registry::HasEntry(kRecentSection, entry))
            Registry::WriteProfileString(kRecentSection, entry, QString());
    }
}

void COrvelApp::AddToRecentFileList(const QString &path)
{
    if (path.isEmpty())
        return;
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kMaxRecentFiles)
        m_recentFiles.removeLast();
}

void COrvelApp::openRecentFile(int index)
{
    if (index < 0 || index >= m_recentFiles.size())
        return;
    const QString path = m_recentFiles.at(index);
    // A file that cannot be opened any more leaves the list.
    if (!OpenDocumentFile(path))
        m_recentFiles.removeAll(path);
}

void COrvelApp::OnActivationRequest(const QString &path)
{
    if (!m_running || !m_frame) {
        m_pendingActivations << path;
        return;
    }
    if (!path.isEmpty())
        OpenDocumentFile(path);
    // To the front, restored from the task bar when minimised.
    m_frame->setWindowState((m_frame->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_frame->show();
    m_frame->raise();
    m_frame->activateWindow();
}

} // namespace orvel
