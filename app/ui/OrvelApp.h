#pragma once

#include "app/ui/AppSettings.h"
#include "app/ui/ToolbarsDialog.h"
#include "platform/ui/CommandRouter.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QApplication;

namespace orvel {

class CMainFrame;
class COrvelDoc;
class COrvelDocTemplate;
class HelpController;
class MailSender;
class Services;
class SingleInstance;
class WidgetServices;

// The application: settings, the one-program-per-user rule, the document
// template, the main frame and the commands of the application itself
// ("&Neu...", "&Öffnen...", "Drucker &einrichten...", the recent files,
// "&Beenden"). It is the last link of the command chain.
class COrvelApp : public QObject, public CCmdTarget
{
    Q_OBJECT
public:
    struct StartOptions
    {
        // The command line after the program name; the process's own when
        // not given.
        std::optional<QStringList> arguments;
        // Hand files to a running program and take those of later starts.
        bool singleInstance = true;
        // Message boxes and dialogs as widgets (tests keep their scripted
        // services).
        bool widgetServices = true;
        // How the main window is first shown.
        int showCommand = 1;
    };

    // Makes the QApplication when there is none yet.
    COrvelApp(int &argc, char **argv);
    COrvelApp(int &argc, char **argv, StartOptions options);
    explicit COrvelApp(StartOptions options);
    ~COrvelApp() override;
    COrvelApp(const COrvelApp &) = delete;
    COrvelApp &operator=(const COrvelApp &) = delete;

    // The start: settings, single instance, template, frame, command line or
    // "New", temporary file. False ends the process (a second start that
    // handed its file over, or a frame that could not be made).
    bool InitInstance();
    // The event loop; then ExitInstance. Returns the exit code.
    int Run();
    // Writes the settings and the recent-file list.
    int ExitInstance();

    AppSettings &GetSettings() { return m_settings; }
    void LoadSettings();
    void SaveSettings();

    CMainFrame *GetMainFrame() const { return m_frame.get(); }
    COrvelDocTemplate *GetDocTemplate() const { return m_template.get(); }
    CommandRouter *GetRouter() const { return m_router; }
    MailSender *GetMailSender() const { return m_mail.get(); }
    HelpController *GetHelp() const { return m_help.get(); }
    SingleInstance *GetSingleInstance() const { return m_single.get(); }
    // The application's temporary file (the clipboard's object file).
    const QString &GetTempFilePath() const { return m_tempFile; }

    // Opens a file (or brings its window to the front); null on failure.
    COrvelDoc *OpenDocumentFile(const QString &path);
    void OnFileNew();
    void OnFileOpen();
    // "Drucker &einrichten...": the session printer, its paper and
    // orientation; the windows that show pages hear of the change.
    void OnFilePrintSetup();
    void OnAppExit();
    // "&Symbolleisten...": the bars shown, the button size and tool tips.
    void OnViewToolbars();
    // Shows and hides the bars as chosen and sets the two button settings.
    void SetToolbarChoices(const ToolbarsDialog::Choices &choices);
    // Stores "LargeIcons" and "ToolTips" and rebuilds the toolbars at once.
    void SetBarSettings(bool largeButtons, bool toolTips);

    // The recent-file list, most recent first (at most 4).
    const QStringList &GetRecentFiles() const { return m_recentFiles; }
    void AddToRecentFileList(const QString &path);

    // A later start asked for this file (empty: only to come to the front).
    void OnActivationRequest(const QString &path);

    // The command line taken whole as one path, as the shell passed it.
    static QString CommandLinePath(const QStringList &arguments);

private:
    void registerCommands();
    void loadRecentFiles();
    void saveRecentFiles() const;
    void openRecentFile(int index);
    CommandRouter::Chain commandChain() const;

    StartOptions m_options;
    std::unique_ptr<QApplication> m_ownApplication;
    // The help window and F1 (after the QApplication, so it goes first).
    std::unique_ptr<HelpController> m_help;
    AppSettings m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    CommandRouter *m_router = nullptr;
    std::unique_ptr<MailSender> m_mail;
    std::unique_ptr<COrvelDocTemplate> m_template;
    std::unique_ptr<WidgetServices> m_widgetServices;
    Services *m_previousServices = nullptr;
    std::unique_ptr<SingleInstance> m_single;
    QStringList m_recentFiles;
    QStringList m_pendingActivations;
    QString m_tempFile;
    bool m_running = false;
    bool m_exited = false;
};

} // namespace orvel
