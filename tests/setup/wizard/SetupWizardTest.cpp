// The wizard's pages driven as a user would, with a disk set made here,
// through to the installed files and the log, and back out with the
// uninstaller's command line.
#include "setup/ui/SetupWizard.h"
#include "WizardTestSupport.h"
#include "setup/SetupStrings.h"
#include "setup/ui/SetupDriver.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

namespace orvel::setup {
namespace {

using test::ReadFile;
using test::Screenshot;
using test::Tree;
using test::TreeChanges;
using test::WriteFile;

class SetupWizardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_paths = test::ScratchPaths(&m_root);
        qputenv("XDG_DATA_HOME", (m_root + QStringLiteral("/home/.local/share")).toLocal8Bit());
        test::MakeSkeleton(m_root);
        m_program = QByteArray("\x7f"
                               "ELF")
                    + QByteArray(1500, 'p');
        m_source = test::MakeDiskSet(m_root, m_program);
        WriteFile(m_source + QStringLiteral("/Setup"), "#!/bin/sh\n");
        m_prompter.diskFolder = m_source;
        m_before = Tree(m_root);
        m_settings = std::make_unique<SetupSettings>(m_paths);
        readInf();
    }

    void readInf()
    {
        QString reason;
        ASSERT_TRUE(ParseSetupInf(ReadFile(m_source + QStringLiteral("/SETUP.INF")), &m_inf, &reason))
                << reason.toStdString();
    }

    std::unique_ptr<CSetupWizard> wizard()
    {
        auto w = std::make_unique<CSetupWizard>(m_inf, *m_settings, WizardOptions{m_source, QString(), menuBase()},
                                                m_prompter);
        w->show();
        return w;
    }

    QString menuBase() const { return m_root + QStringLiteral("/menu"); }
    QString target() const { return m_root + QStringLiteral("/opt/Orvel97"); }

    // The tree as it was, but for the marker the disk prompt "inserted".
    QStringList treeAfter() const
    {
        QStringList after = Tree(m_root);
        after.removeAll(QStringLiteral("media/Disk2.id"));
        return after;
    }

    QString m_root, m_source;
    SetupPaths m_paths;
    std::unique_ptr<SetupSettings> m_settings;
    SetupInf m_inf;
    QByteArray m_program;
    QStringList m_before;
    test::ScriptedPrompter m_prompter;
};

TEST_F(SetupWizardTest, EveryPageThroughToTheLogAndOutAgain)
{
    auto w = wizard();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Orvel 97 Setup"));
    EXPECT_EQ(w->CurrentPage(), CSetupWizard::Welcome);
    EXPECT_FALSE(w->BackButton()->isEnabled());
    EXPECT_EQ(w->BackButton()->text(), QStringLiteral("< &Zurück"));
    EXPECT_EQ(w->NextButton()->text(), QStringLiteral("&Weiter >"));
    EXPECT_EQ(w->CancelButton()->text(), QStringLiteral("Abbrechen"));
    Screenshot(w.get(), QStringLiteral("1-welcome"));

    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    ASSERT_EQ(w->CurrentPage(), CSetupWizard::Target);
    EXPECT_EQ(w->TargetEdit()->text(), target()); // the program-files folder + the INF's folder name
    Screenshot(w.get(), QStringLiteral("2-target"));
    w->TargetEdit()->setText(target() + QStringLiteral("/"));
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    // The folder does not exist: asked for, not yet made.
    ASSERT_EQ(m_prompter.QuestionIds(), QList<int>{IDS_CREATE_FOLDER});
    EXPECT_EQ(m_prompter.questions[0].second, target());
    EXPECT_FALSE(QFileInfo::exists(target()));
    ASSERT_EQ(w->CurrentPage(), CSetupWizard::Menu); // enough space: no space page

    // The tree of existing menu folders; the folder is the selected one + the name.
    QTreeWidget *tree = w->MenuTree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem *root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("Programme"));
    ASSERT_EQ(root->childCount(), 1);
    EXPECT_EQ(root->child(0)->text(0), QStringLiteral("Büro"));
    EXPECT_EQ(w->MenuNameEdit()->text(), QStringLiteral("Orvel 97"));
    EXPECT_EQ(w->MenuPathText()->text(), menuBase() + QStringLiteral("/Orvel 97"));
    tree->setCurrentItem(root->child(0));
    EXPECT_EQ(w->MenuPathText()->text(), menuBase() + QStringLiteral("/Büro/Orvel 97"));
    Screenshot(w.get(), QStringLiteral("4-menu"));
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    ASSERT_EQ(w->CurrentPage(), CSetupWizard::Summary);
    const QString menuFolder = menuBase() + QStringLiteral("/Büro/Orvel 97");
    EXPECT_EQ(w->SummaryText()->text(), QStringLiteral("Das Programm wird installiert im Verzeichnis:\n\n    %1\n\n"
                                                       "Verknüpfungen werden angelegt unter: \n\n     %2")
                                                .arg(target(), menuFolder));
    Screenshot(w.get(), QStringLiteral("5-summary"));

    // "< Zurück" goes back the way it came.
    QTest::mouseClick(w->BackButton(), Qt::LeftButton);
    EXPECT_EQ(w->CurrentPage(), CSetupWizard::Menu);
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    ASSERT_EQ(w->CurrentPage(), CSetupWizard::Summary);

    // Copying: the disk prompt for disk 2 with its label, then the end page.
    m_prompter.onDisk = [&] { Screenshot(w.get(), QStringLiteral("6-copying")); };
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    EXPECT_EQ(m_prompter.diskPrompts, QStringList{QStringLiteral("2 Orvel 97 - Diskette 2")});
    EXPECT_TRUE(m_prompter.messages.isEmpty());
    ASSERT_EQ(w->CurrentPage(), CSetupWizard::Finished);
    EXPECT_EQ(w->NextButton()->text(), QStringLiteral("OK"));
    EXPECT_FALSE(w->CancelButton()->isVisible());
    Screenshot(w.get(), QStringLiteral("7-finished"));
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    EXPECT_EQ(w->result(), QDialog::Accepted);

    EXPECT_EQ(ReadFile(target() + QStringLiteral("/orvel")), m_program);
    EXPECT_EQ(ReadFile(target() + QStringLiteral("/doc/liesmich.txt")), QByteArray("Lies mich!\n").repeated(40));
    EXPECT_TRUE(QFileInfo::exists(menuFolder + QStringLiteral("/Orvel 97.desktop")));
    const QStringList log = QString::fromUtf8(ReadFile(w->LogPath())).split(QLatin1Char('\n'));
    ASSERT_GT(log.size(), 12);
    EXPECT_EQ(log[0], QStringLiteral("** INSTALLATION LOG - FILE IS NEEDED FOR UNINSTALL CAPABILITIES **"));
    EXPECT_EQ(log[1], QStringLiteral("Created dir :        ") + m_paths.windowsFolder);
    EXPECT_TRUE(log.contains(QStringLiteral("Created dir :        ") + target()));
    EXPECT_TRUE(log.contains(QStringLiteral("Created dir :        ") + menuFolder));
    EXPECT_TRUE(log.contains(QStringLiteral("Copied shared file : ") + m_paths.windowsFolder
                             + QStringLiteral("/shared.dat")));

    // Out again through the uninstaller's command line.
    const SetupCommandLine command = ParseSetupCommandLine({QStringLiteral("/uninstall"), w->LogPath()});
    ASSERT_EQ(command.mode, SetupCommandLine::Mode::Uninstall);
    w.reset();
    m_prompter.messages.clear();
    EXPECT_EQ(RunSetupUninstall(command, m_paths, m_prompter), 0);
    EXPECT_EQ(m_prompter.MessageIds(), QList<int>{IDS_UNINSTALL_DONE});
    EXPECT_TRUE(m_prompter.progress.contains(SetupString(IDS_REMOVING) + target() + QStringLiteral("/orvel")));
    EXPECT_EQ(treeAfter(), m_before);
}

TEST_F(SetupWizardTest, TargetFolderIsCheckedBeforeLeavingThePage)
{
    WriteFile(m_root + QStringLiteral("/opt/file"), "x");
    struct Case
    {
        QString text;
        bool answer; // to "Soll der Ordner ... angelegt werden?"
        QList<int> messages, questions;
    };
    const Case cases[] = {
            {QString(), true, {IDS_INVALID_PATH}, {}},
            {QStringLiteral("relative/Orvel97"), true, {IDS_INVALID_PATH}, {}},
            {m_root + QStringLiteral("/missing/Orvel97"), true, {IDS_INVALID_PATH}, {}},
            {m_root + QStringLiteral("/opt/file"), true, {IDS_INVALID_PATH}, {}},
            {m_root + QStringLiteral("/opt/../opt/x"), true, {IDS_INVALID_PATH}, {}},
            {m_root + QStringLiteral("/opt/A\nB"), true, {IDS_INVALID_PATH}, {}},
            {m_root + QStringLiteral("/opt/New"), false, {}, {IDS_CREATE_FOLDER}},
    };
    for (const Case &c : cases) {
        auto w = wizard();
        QTest::mouseClick(w->NextButton(), Qt::LeftButton);
        w->TargetEdit()->setText(c.text);
        m_prompter.messages.clear();
        m_prompter.questions.clear();
        m_prompter.answers[IDS_CREATE_FOLDER] = c.answer;
        QTest::mouseClick(w->NextButton(), Qt::LeftButton);
        EXPECT_EQ(w->CurrentPage(), CSetupWizard::Target) << c.text.toStdString();
        EXPECT_EQ(m_prompter.MessageIds(), c.messages) << c.text.toStdString();
        EXPECT_EQ(m_prompter.QuestionIds(), c.questions) << c.text.toStdString();
    }
    // An existing folder is taken without a question.
    auto w = wizard();
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    w->TargetEdit()->setText(m_root + QStringLiteral("/opt"));
    m_prompter.questions.clear();
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    EXPECT_EQ(w->CurrentPage(), CSetupWizard::Menu);
    EXPECT_TRUE(m_prompter.questions.isEmpty());
    // A menu folder name that is no single name stays on its page.
    for (const char *name : {"", "..", "a/b"}) {
        w->MenuNameEdit()->setText(QString::fromUtf8(name));
        m_prompter.messages.clear();
        QTest::mouseClick(w->NextButton(), Qt::LeftButton);
        EXPECT_EQ(w->CurrentPage(), CSetupWizard::Menu) << name;
        EXPECT_EQ(m_prompter.MessageIds(), QList<int>{IDS_INVALID_PATH}) << name;
    }
}

TEST_F(SetupWizardTest, TooLittleSpaceShowsItsPageAndAsks)
{
    m_source = test::MakeDiskSet(m_root, m_program, kMaxInfFileSize);
    readInf();
    auto w = wizard();
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    m_prompter.answers[IDS_CREATE_FOLDER] = true;
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    ASSERT_EQ(w->CurrentPage(), CSetupWizard::Space);
    EXPECT_TRUE(w->SpaceText()->text().contains(QStringLiteral("benötigt ")));
    EXPECT_TRUE(w->SpaceText()->text().contains(QStringLiteral(" MB")));
    Screenshot(w.get(), QStringLiteral("3-space"));
    m_prompter.questions.clear();
    m_prompter.answers[IDS_TOO_LITTLE_SPACE] = false;
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    EXPECT_EQ(w->CurrentPage(), CSetupWizard::Space);
    EXPECT_EQ(m_prompter.QuestionIds(), QList<int>{IDS_TOO_LITTLE_SPACE});
    m_prompter.answers[IDS_TOO_LITTLE_SPACE] = true;
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    EXPECT_EQ(w->CurrentPage(), CSetupWizard::Menu);
}

TEST_F(SetupWizardTest, CancellingAsksAndLeavesNothingBehind)
{
    auto w = wizard();
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    m_prompter.exitAnswer = false;
    QTest::mouseClick(w->CancelButton(), Qt::LeftButton);
    EXPECT_EQ(m_prompter.exitQuestions, 1);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->CurrentPage(), CSetupWizard::Target);
    m_prompter.exitAnswer = true;
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_EQ(m_prompter.exitQuestions, 2);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->result(), QDialog::Rejected);
    EXPECT_EQ(TreeChanges(m_before, Tree(m_root)), QString());
}

TEST_F(SetupWizardTest, CancellingTheCopyingFailsAndTheLogUndoesIt)
{
    auto w = wizard();
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    ASSERT_EQ(w->CurrentPage(), CSetupWizard::Summary);
    // "Abbrechen" while the disk is being asked for: no question, the copying stops.
    m_prompter.onDisk = [&] {
        EXPECT_FALSE(w->NextButton()->isEnabled());
        EXPECT_FALSE(w->BackButton()->isEnabled());
        QTest::mouseClick(w->CancelButton(), Qt::LeftButton);
    };
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    EXPECT_EQ(m_prompter.exitQuestions, 0);
    EXPECT_EQ(m_prompter.MessageIds(), QList<int>{IDS_INSTALL_FAILED});
    EXPECT_EQ(w->result(), QDialog::Rejected);
    EXPECT_FALSE(QFileInfo::exists(m_paths.windowsFolder + QStringLiteral("/shared.dat")));
    const QString log = w->LogPath();
    ASSERT_TRUE(QFileInfo::exists(log));

    m_prompter.messages.clear();
    EXPECT_EQ(RunSetupUninstall(ParseSetupCommandLine({QStringLiteral("/uninstall"), log}), m_paths, m_prompter), 0);
    EXPECT_EQ(treeAfter(), m_before);
}

TEST_F(SetupWizardTest, UninstallingAsksFirstAndReportsWhatStayed)
{
    SetupCommandLine install =
            ParseSetupCommandLine({QStringLiteral("--unattended"), QStringLiteral("--target"), target(), m_source});
    ASSERT_EQ(RunSetupInstall(install, m_paths, m_prompter, QString()), 0);
    EXPECT_TRUE(m_prompter.messages.isEmpty());
    const QString log = target() + QStringLiteral("/Setup.log");

    // Installed already: the question comes first, "Nein" stops.
    m_prompter.answers[IDS_ALREADY_INSTALLED] = false;
    EXPECT_EQ(RunSetupInstall(install, m_paths, m_prompter, QString()), 1);
    EXPECT_EQ(m_prompter.QuestionIds(), QList<int>{IDS_ALREADY_INSTALLED});

    // "Nein" to the confirmation removes nothing.
    m_prompter.uninstallAnswer = false;
    EXPECT_EQ(RunSetupUninstall(ParseSetupCommandLine({QStringLiteral("/uninstall"), log}), m_paths, m_prompter), 1);
    EXPECT_TRUE(QFileInfo::exists(log));
    EXPECT_TRUE(m_prompter.progress.isEmpty());

    // A database of the user's keeps the folder: 116, then 122.
    m_prompter.uninstallAnswer = true;
    WriteFile(target() + QStringLiteral("/Adressen.ovd"), "x");
    EXPECT_EQ(RunSetupUninstall(ParseSetupCommandLine({QStringLiteral("/uninstall"), log}), m_paths, m_prompter), 1);
    EXPECT_EQ(m_prompter.MessageIds(), (QList<int>{IDS_FOLDER_NOT_REMOVED, IDS_UNINSTALL_INCOMPLETE}));
    EXPECT_EQ(Tree(target()), QStringList{QStringLiteral("Adressen.ovd")});

    // A log that is gone: 115.
    m_prompter.messages.clear();
    EXPECT_EQ(RunSetupUninstall(ParseSetupCommandLine({QStringLiteral("/uninstall"), log}), m_paths, m_prompter), 1);
    EXPECT_EQ(m_prompter.MessageIds(), QList<int>{IDS_LOG_MISSING});
}

TEST(SetupCommandLineTest, Modes)
{
    using Mode = SetupCommandLine::Mode;
    struct Case
    {
        QStringList arguments;
        Mode mode;
        QString source, log, target, menu, root;
        bool unattended;
    };
    const Case cases[] = {
            {{}, Mode::Install, {}, {}, {}, {}, {}, false},
            {{"/media/cd"}, Mode::Install, "/media/cd", {}, {}, {}, {}, false},
            {{"--unattended", "--target", "/opt/O", "--menu-folder", "Orvel 97", "--system-root", "/tmp/r", "src"},
             Mode::Install,
             "src",
             {},
             "/opt/O",
             "Orvel 97",
             "/tmp/r",
             true},
            {{"/uninstall", "/opt/Orvel", "97/Setup.log"},
             Mode::Uninstall,
             {},
             "/opt/Orvel 97/Setup.log",
             {},
             {},
             {},
             false},
            {{"/uninstall", "/o/Setup.log", "--unattended", "--system-root", "/r"},
             Mode::Uninstall,
             {},
             "/o/Setup.log",
             {},
             {},
             "/r",
             true},
            {{"--help"}, Mode::Help, {}, {}, {}, {}, {}, false},
            {{"/uninstall"}, Mode::Invalid, {}, {}, {}, {}, {}, false},
            {{"--target"}, Mode::Invalid, {}, {}, {}, {}, {}, false},
            {{"--target", "/x"}, Mode::Invalid, {}, {}, {}, {}, {}, false}, // only unattended
            {{"a", "b"}, Mode::Invalid, {}, {}, {}, {}, {}, false},
            {{"--bogus"}, Mode::Invalid, {}, {}, {}, {}, {}, false},
    };
    for (const Case &c : cases) {
        const SetupCommandLine command = ParseSetupCommandLine(c.arguments);
        const std::string what = c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(command.mode, c.mode) << what;
        if (c.mode == Mode::Invalid) {
            EXPECT_FALSE(command.error.isEmpty()) << what;
            continue;
        }
        EXPECT_EQ(command.source, c.source) << what;
        EXPECT_EQ(command.logPath, c.log) << what;
        EXPECT_EQ(command.target, c.target) << what;
        EXPECT_EQ(command.menuFolder, c.menu) << what;
        EXPECT_EQ(command.systemRoot, c.root) << what;
        EXPECT_EQ(command.unattended, c.unattended) << what;
    }
}

TEST(SetupDialogsTest, TextsAndButtons)
{
    struct Case
    {
        QDialog *dialog;
        QString title;
        QStringList texts;   // each found in one of its labels
        QStringList buttons; // the first accepts
        int defaultButton;
    };
    VersionConflict conflict{QStringLiteral("/usr/local/lib/KWZ/shared.dat"), QStringLiteral("2.0.0.0"),
                             QStringLiteral("01.02.2026 - 10:30"), QStringLiteral("1.0.0.0"), QStringLiteral("?")};
    SharedFileQuestion shared{QStringLiteral("/usr/local/lib/KWZ/ctl.so"), QStringLiteral("1.0.0.0"),
                              QStringLiteral("01.02.2026 - 10:30")};
    const Case cases[] = {
            {CreateDiskDialog(nullptr, 2, QStringLiteral("Orvel 97 - Diskette 2")),
             QStringLiteral("Datenträgerwechsel"),
             {QStringLiteral("Orvel 97 - Diskette 2")},
             {QStringLiteral("OK"), QStringLiteral("Abbrechen")},
             0},
            {CreateVersionDialog(nullptr, conflict),
             QStringLiteral("Datei ist schon vorhanden"),
             {conflict.path, QStringLiteral("2.0.0.0"), QStringLiteral("01.02.2026 - 10:30"), QStringLiteral("?")},
             {QStringLiteral("&Überschreiben"), QStringLiteral("Beibehalten")},
             1},
            {CreateRemoveSharedDialog(nullptr, shared),
             QStringLiteral("Entfernen einer Datei"),
             {QStringLiteral("Folgende Datei wird unter Umständen von anderen Anwendungen benötigt."), shared.path,
              QStringLiteral("Soll diese Datei nun entfernt werden?")},
             {QStringLiteral("Entfernen"), QStringLiteral("&Beibehalten")},
             1},
            {CreateUninstallDialog(nullptr),
             QStringLiteral("Entfernen"),
             {QStringLiteral("Sie sind in Begriff, Orvel 97 zu entfernen. \n\nWenn Sie fortfahren, werden alle "
                             "installierten Dateien entfernt und Sie können die Anwendung nicht mehr benutzen.\n\n"
                             "Möchten Sie Orvel 97 wirklich entfernen?")},
             {QStringLiteral("&Ja"), QStringLiteral("&Nein")},
             1},
            {CreateQuestionDialog(nullptr, SetupString(IDS_ALREADY_INSTALLED), false),
             QStringLiteral("Setup"),
             {QStringLiteral("Möchten Sie die Installation dennoch fortsetzen?")},
             {QStringLiteral("&Ja"), QStringLiteral("&Nein")},
             1},
            {CreateMessageDialog(nullptr, IDS_FOLDER_NOT_CREATED, QStringLiteral("/opt/X")),
             QStringLiteral("Setup"),
             {QStringLiteral("Der Ordner /opt/X konnte nicht angelegt werden!")},
             {QStringLiteral("OK")},
             0},
    };
    for (const Case &c : cases) {
        std::unique_ptr<QDialog> dialog(c.dialog);
        EXPECT_EQ(dialog->windowTitle(), c.title);
        QStringList labels;
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            labels << label->text();
        const QString all = labels.join(QLatin1Char('\n'));
        for (const QString &text : c.texts)
            EXPECT_TRUE(all.contains(text)) << c.title.toStdString() << ": " << text.toStdString();
        for (int i = 0; i < c.buttons.size(); ++i) {
            auto *button = dialog->findChild<QPushButton *>(QStringLiteral("button%1").arg(i));
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), c.buttons.at(i));
            EXPECT_EQ(button->isDefault(), i == c.defaultButton) << c.title.toStdString();
        }
        dialog->show();
        Screenshot(dialog.get(), QStringLiteral("dialog-") + dialog->objectName());
        // The first button accepts, the second rejects.
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("button0")), Qt::LeftButton);
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
    }
}

} // namespace
} // namespace orvel::setup

namespace orvel::setup {
namespace {

// Runs `answer` on the next modal dialog once it is shown.
void WhenModal(std::function<void(QWidget *)> answer)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer = std::move(answer)] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(modal);
    });
    poll->start();
}

void ClickButton(QWidget *dialog, const QString &text)
{
    const QList<QPushButton *> buttons = dialog->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        if (button->text() == text) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

// The prompter that the wizard and the uninstaller use runs each question as
// a modal dialog and returns the button the user clicked.
TEST(SetupDialogPrompterTest, QuestionsReturnTheClickedAnswer)
{
    CDialogPrompter prompter;
    const SharedFileQuestion shared{QStringLiteral("/usr/local/lib/KWZ/ctl.so"), QStringLiteral("1.0.0.0"),
                                    QStringLiteral("01.02.2026 - 10:30")};
    WhenModal([](QWidget *d) { ClickButton(d, QStringLiteral("Entfernen")); });
    EXPECT_TRUE(prompter.RemoveShared(shared));
    WhenModal([](QWidget *d) { ClickButton(d, QStringLiteral("&Beibehalten")); });
    EXPECT_FALSE(prompter.RemoveShared(shared));
    WhenModal([](QWidget *d) { ClickButton(d, QStringLiteral("Abbrechen")); });
    EXPECT_FALSE(prompter.InsertDisk(2, QStringLiteral("Orvel 97 - Diskette 2")));
    WhenModal([](QWidget *d) { ClickButton(d, QStringLiteral("OK")); });
    EXPECT_TRUE(prompter.InsertDisk(2, QStringLiteral("Orvel 97 - Diskette 2")));
    WhenModal([](QWidget *d) { QTest::keyClick(d, Qt::Key_Return); }); // "&Nein" is the default
    EXPECT_FALSE(prompter.ConfirmUninstall());
    WhenModal([](QWidget *d) { ClickButton(d, QStringLiteral("&Ja")); });
    EXPECT_TRUE(prompter.ConfirmExit());
    bool shown = false;
    WhenModal([&shown](QWidget *d) {
        shown = d->findChildren<QLabel *>().size() > 0;
        ClickButton(d, QStringLiteral("OK"));
    });
    prompter.Message(IDS_FOLDER_NOT_CREATED, QStringLiteral("/opt/X"));
    EXPECT_TRUE(shown);
}

// "Durchsuchen..." opens the folder chooser at the nearest existing folder
// and takes the chosen folder; cancelling it keeps the text.
TEST_F(SetupWizardTest, BrowseTakesTheChosenFolder)
{
    QDir().mkpath(m_root + QStringLiteral("/opt/Programme"));
    auto w = wizard();
    QTest::mouseClick(w->NextButton(), Qt::LeftButton);
    auto *browse = w->findChild<QPushButton *>(QStringLiteral("browse"));
    ASSERT_NE(browse, nullptr);
    w->TargetEdit()->setText(m_root + QStringLiteral("/opt/missing/deeper"));
    QString startedAt;
    WhenModal([&](QWidget *d) {
        auto *chooser = qobject_cast<QFileDialog *>(d);
        ASSERT_NE(chooser, nullptr);
        startedAt = chooser->directory().absolutePath();
        chooser->reject();
    });
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_EQ(startedAt, m_root + QStringLiteral("/opt"));
    EXPECT_EQ(w->TargetEdit()->text(), m_root + QStringLiteral("/opt/missing/deeper"));

    WhenModal([&](QWidget *d) {
        auto *chooser = qobject_cast<QFileDialog *>(d);
        ASSERT_NE(chooser, nullptr);
        chooser->setDirectory(m_root + QStringLiteral("/opt/Programme"));
        QMetaObject::invokeMethod(chooser, "accept", Qt::DirectConnection);
    });
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_EQ(w->TargetEdit()->text(), m_root + QStringLiteral("/opt/Programme"));
}

TEST(SetupDialogPrompterTest, UninstallProgressShowsEachItemAndCloses)
{
    CDialogPrompter prompter;
    prompter.ShowProgress(QStringLiteral("Dateien werden entfernt..."), QStringLiteral("/opt/Orvel97/orvel"));
    QDialog *window = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("UninstallProgress") && w->isVisible())
            window = qobject_cast<QDialog *>(w);
    }
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Entfernen"));
    prompter.ShowProgress(QStringLiteral("Dateien werden entfernt..."), QStringLiteral("/opt/Orvel97/Setup.log"));
    QStringList texts;
    for (QLabel *label : window->findChildren<QLabel *>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("/opt/Orvel97/Setup.log"))) << texts.join(u'|').toStdString();
    EXPECT_FALSE(texts.contains(QStringLiteral("/opt/Orvel97/orvel")));
    prompter.EndProgress();
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_NE(w->objectName(), QStringLiteral("UninstallProgress"));
}

} // namespace
} // namespace orvel::setup
