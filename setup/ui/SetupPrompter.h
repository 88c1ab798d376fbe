#pragma once

#include "setup/SetupInstaller.h"
#include "setup/SetupUninstaller.h"

#include <QString>

class QWidget;
class QDialog;
class QLabel;

namespace orvel::setup {

// The questions and messages of Setup, by its own string ids. The wizard
// and the drivers ask through this, so that the dialogs, the unattended mode
// and the tests answer them in one place each.
class ISetupPrompter
{
public:
    virtual ~ISetupPrompter() = default;

    virtual void Message(int id, const QString &argument) = 0;
    // A yes/no question by string id (106, 120, 123).
    virtual bool Ask(int id, const QString &argument, bool defaultYes) = 0;
    virtual bool ConfirmExit() = 0;                                    // "Wollen Sie Setup wirklich beenden?"
    virtual bool InsertDisk(int disk, const QString &label) = 0;       // "Datenträgerwechsel"; false cancels
    virtual bool OverwriteNewer(const VersionConflict &conflict) = 0;  // "Datei ist schon vorhanden"
    virtual bool RemoveShared(const SharedFileQuestion &question) = 0; // "Entfernen einer Datei"
    virtual bool ConfirmUninstall() = 0;                               // "Entfernen"
    // The uninstaller's progress window: a status text, then each path.
    virtual void ShowProgress(const QString &status, const QString &path) = 0;
    virtual void EndProgress() = 0;
};

// Answers every question as a cautious user would and writes the messages
// to the standard error: an existing installation does not stop it, too
// little space does, a newer installed file is kept, a shared file no
// installation uses any more is removed, a missing disk cancels.
class CUnattendedPrompter : public ISetupPrompter
{
public:
    void Message(int id, const QString &argument) override;
    bool Ask(int id, const QString &argument, bool defaultYes) override;
    bool ConfirmExit() override { return true; }
    bool InsertDisk(int disk, const QString &label) override;
    bool OverwriteNewer(const VersionConflict &) override { return false; }
    bool RemoveShared(const SharedFileQuestion &) override { return true; }
    bool ConfirmUninstall() override { return true; }
    void ShowProgress(const QString &, const QString &) override {}
    void EndProgress() override {}
};

// The dialogs (modal, over the given parent).
class CDialogPrompter : public ISetupPrompter
{
public:
    explicit CDialogPrompter(QWidget *parent = nullptr);
    ~CDialogPrompter() override;
    void SetParent(QWidget *parent) { m_parent = parent; }

    void Message(int id, const QString &argument) override;
    bool Ask(int id, const QString &argument, bool defaultYes) override;
    bool ConfirmExit() override;
    bool InsertDisk(int disk, const QString &label) override;
    bool OverwriteNewer(const VersionConflict &conflict) override;
    bool RemoveShared(const SharedFileQuestion &question) override;
    bool ConfirmUninstall() override;
    void ShowProgress(const QString &status, const QString &path) override;
    void EndProgress() override;

private:
    QWidget *m_parent;
    QDialog *m_progress = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_path = nullptr;
};

// The dialogs themselves, made but not shown (the prompter runs them; the
// tests look at them). Each returns a dialog whose accept() means the first
// answer named: "&Ja", "OK", "&Überschreiben", "Entfernen", "&Ja".
QDialog *CreateMessageDialog(QWidget *parent, int id, const QString &argument);
QDialog *CreateQuestionDialog(QWidget *parent, const QString &text, bool defaultYes);
QDialog *CreateDiskDialog(QWidget *parent, int disk, const QString &label);
QDialog *CreateVersionDialog(QWidget *parent, const VersionConflict &conflict);
QDialog *CreateRemoveSharedDialog(QWidget *parent, const SharedFileQuestion &question);
QDialog *CreateUninstallDialog(QWidget *parent);

// The window titles.
inline constexpr char kSetupTitle[] = "Setup";

} // namespace orvel::setup
