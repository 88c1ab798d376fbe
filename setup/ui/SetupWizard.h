#pragma once

#include "setup/SetupInstaller.h"
#include "setup/SetupSettings.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

namespace orvel::setup {

class ISetupPrompter;

struct WizardOptions
{
    QString sourceFolder;    // SETUP.INF, the files and the disk markers
    QString setupExecutable; // copied as the uninstaller
    QString menuBase;        // the applications menu the Start-menu folder lies in
};

// Setup's wizard: welcome, target folder, (too little space), Start-menu
// folder, summary, copying, finished. Each page has "< &Zurück",
// "&Weiter >" and "Abbrechen"; the copying runs when the summary is left.
// Accepted when the installation is done, rejected when it was cancelled or
// failed.
class CSetupWizard : public QDialog
{
    Q_OBJECT

public:
    enum Page { Welcome, Target, Space, Menu, Summary, Copying, Finished };

    CSetupWizard(const SetupInf &inf, SetupSettings &settings, WizardOptions options, ISetupPrompter &prompter,
                 QWidget *parent = nullptr);

    Page CurrentPage() const;
    QString TargetFolder() const { return m_target; }
    QString MenuFolder() const { return m_menuFolder; }
    QString LogPath() const;

    // The pieces the tests drive.
    QLineEdit *TargetEdit() const { return m_targetEdit; }
    QLineEdit *MenuNameEdit() const { return m_menuName; }
    QTreeWidget *MenuTree() const { return m_menuTree; }
    QPushButton *BackButton() const { return m_back; }
    QPushButton *NextButton() const { return m_next; }
    QPushButton *CancelButton() const { return m_cancel; }
    QLabel *SummaryText() const { return m_summary; }
    QLabel *MenuPathText() const { return m_menuPath; }
    QLabel *SpaceText() const { return m_spaceText; }

public slots:
    void Next();
    void Back();
    void Cancel();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QWidget *makePage(Page page, const QString &title, QWidget *content);
    QWidget *welcomePage();
    QWidget *targetPage();
    QWidget *spacePage();
    QWidget *menuPage();
    QWidget *summaryPage();
    QWidget *copyingPage();
    QWidget *finishedPage();
    void showPage(Page page);
    bool acceptTarget();
    bool checkSpace(); // true: enough, the space page is skipped
    bool acceptMenu();
    void fillMenuTree();
    void updateMenuPath();
    QString selectedMenuParent() const;
    void install();
    void browse();

    const SetupInf &m_inf;
    SetupSettings &m_settings;
    WizardOptions m_options;
    ISetupPrompter &m_prompter;

    QStackedWidget *m_pages = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_cancel = nullptr;
    QLineEdit *m_targetEdit = nullptr;
    QLabel *m_spaceText = nullptr;
    QLineEdit *m_menuName = nullptr;
    QTreeWidget *m_menuTree = nullptr;
    QLabel *m_menuPath = nullptr;
    QLabel *m_menuStatus = nullptr;
    QLabel *m_summary = nullptr;
    QLabel *m_sourceFile = nullptr;
    QLabel *m_targetFile = nullptr;
    QLabel *m_copyStatus = nullptr;
    QProgressBar *m_progress = nullptr;

    QString m_target;
    QString m_menuFolder;
    QList<Page> m_history;
    bool m_copying = false;
    bool m_cancelCopying = false;
    bool m_done = false;
};

} // namespace orvel::setup
