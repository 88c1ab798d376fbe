#pragma once

#include "../SetupTestSupport.h"
#include "setup/ui/SetupPrompter.h"

#include <QApplication>
#include <QHash>
#include <QList>
#include <QWidget>

namespace orvel::setup::test {

// Answers Setup's questions from a script and records what was asked.
class ScriptedPrompter : public ISetupPrompter
{
public:
    void Message(int id, const QString &argument) override { messages.append({id, argument}); }
    bool Ask(int id, const QString &argument, bool) override
    {
        questions.append({id, argument});
        return answers.value(id, true);
    }
    bool ConfirmExit() override
    {
        ++exitQuestions;
        return exitAnswer;
    }
    bool InsertDisk(int disk, const QString &label) override
    {
        diskPrompts << QStringLiteral("%1 %2").arg(disk).arg(label);
        if (onDisk)
            onDisk();
        if (diskFolder.isEmpty())
            return false;
        WriteFile(diskFolder + QStringLiteral("/Disk%1.id").arg(disk), "");
        return true;
    }
    bool OverwriteNewer(const VersionConflict &conflict) override
    {
        conflicts << conflict.path;
        return overwrite;
    }
    bool RemoveShared(const SharedFileQuestion &question) override
    {
        removals << question.path;
        return true;
    }
    bool ConfirmUninstall() override { return uninstallAnswer; }
    void ShowProgress(const QString &status, const QString &path) override { progress << status + path; }
    void EndProgress() override {}

    QList<int> MessageIds() const
    {
        QList<int> ids;
        for (const auto &m : messages)
            ids << m.first;
        return ids;
    }
    QList<int> QuestionIds() const
    {
        QList<int> ids;
        for (const auto &q : questions)
            ids << q.first;
        return ids;
    }

    QList<QPair<int, QString>> messages, questions;
    QHash<int, bool> answers;
    QStringList diskPrompts, conflicts, removals, progress;
    QString diskFolder; // where an "inserted" disk's marker appears
    std::function<void()> onDisk;
    int exitQuestions = 0;
    bool exitAnswer = true;
    bool overwrite = false;
    bool uninstallAnswer = true;
};

// Saves a picture of the widget when ORVEL_SCREENSHOT_DIR names a folder.
inline void Screenshot(QWidget *widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QApplication::processEvents(); // pending layouts, as the screen would show them
    widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// A disk set of two disks in <root>/media: a compressed program, a read-me
// in a subfolder, a shared file on disk 2, two shortcuts and registry
// values (among them the uninstall key).
inline QString MakeDiskSet(const QString &root, const QByteArray &program, qint64 programSize = 2000)
{
    const QString source = root + QStringLiteral("/media");
    WriteFile(source + QStringLiteral("/Disk1.id"), "");
    WriteFile(source + QStringLiteral("/ORVEL.EX_"), CompressSzdd(program));
    WriteFile(source + QStringLiteral("/readme.tx_"), CompressSzdd(QByteArray("Lies mich!\n").repeated(40)));
    WriteFile(source + QStringLiteral("/shared.dat"), "shared");
    const QByteArray inf = "VERSION 1.0.0.0\n"
                           "Orvel 97\n"
                           "Orvel97\n"
                           "##\n"
                           "Orvel 97 - Diskette 1\n"
                           "Orvel 97 - Diskette 2\n"
                           "##\n"
                           "1:ORVEL.EX_,ORVEL,orvel,"
                           + QByteArray::number(programSize)
                           + ",p\n"
                             "1:readme.tx_,doc\\LIESMICH.TXT,liesmich.txt,100,p\n"
                             "2:shared.dat,shared.dat,shared.dat,100,x\n"
                             "##\n"
                             "%s\\orvel\n"
                             "Orvel 97\n"
                             "%s\\doc\\liesmich.txt\n"
                             "Liesmich\n"
                             "##\n"
                             "REGEDIT4\n"
                             "##\n"
                             "HKCU,Software\\KWZ\\Orvel 97\\Settings,StandardView,d,1\n"
                             "HKLM,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvel97,DisplayName,s,"
                             "Orvel 97\n"
                             "HKLM,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvel97,UninstallString,s,"
                             "&windir//UninsKWZ /uninstall &dest//Setup.log\n"
                             "##\n";
    WriteFile(source + QStringLiteral("/SETUP.INF"), inf);
    return source;
}

// Folders a system and a home already have; an uninstallation leaves them.
inline void MakeSkeleton(const QString &root)
{
    for (const char *folder : {"etc/xdg", "usr/local/lib", "usr/local/share", "opt", "home/.config",
                               "home/.local/share/applications", "menu/Büro"})
        QDir().mkpath(root + QLatin1Char('/') + QString::fromUtf8(folder));
}

} // namespace orvel::setup::test
