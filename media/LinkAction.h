#pragma once

#include "platform/AnsiString.h"

#include <QString>
#include <QStringList>

namespace orvel {

// What opening a link field's value comes to. The value is data that may
// come from anywhere (a database someone sent), so nothing that runs code
// happens without the user's word.
enum class LinkStep {
    EditLink,            // nothing to carry out: the link dialog opens instead
    OpenUrl,             // a web, mail or telephone address for the desktop
    ConfirmOpenUrl,      // an address of another kind: asked first, then the desktop
    OpenFile,            // a document or folder opened by the desktop's handler
    ConfirmOpenFile,     // a file the desktop would run (script, launcher): asked first
    ConfirmStartProgram, // an executable file: asked first, then started with its parameters
    FileMissing,         // the file is not there: reported, nothing else is started
};

struct LinkPlan
{
    LinkStep step = LinkStep::EditLink;
    // The address, or the absolute path of the file, folder or program.
    QString target;
    // A program's parameters, split as a command line is (quotes group,
    // nothing else is special); each is one argument.
    QStringList arguments;
    // Where a program starts: the database file's folder, so that file
    // names among the parameters mean what the link's own file name means.
    QString workingFolder;
};

// What the plan needs to know of the file system; tests give their own.
class LinkFileSystem
{
public:
    virtual ~LinkFileSystem() = default;
    virtual bool Exists(const QString &path) const;
    virtual bool IsFolder(const QString &path) const;
    // A regular file with permission to execute it.
    virtual bool IsExecutable(const QString &path) const;
};

// How to carry out link value `value` of a database at `databasePath`
// (empty for one never saved):
// - an empty value, or one without all four parts, opens the link dialog;
//   so does one without a file name;
// - an address ("https://...", "mailto:...", "www....") goes to the desktop;
//   schemes other than web, mail and telephone are asked about first;
// - a file name is made absolute against the database file's folder
//   ("\" counts as "/"); a file that is not there is reported;
// - the action "explore" opens the folder that holds the file; every other
//   action (an empty one is "open") opens the file: a program is started
//   with its parameters, a file the desktop would run is asked about, any
//   other document or folder goes to the desktop.
LinkPlan PlanLinkOpen(AnsiView value, const QString &databasePath, const LinkFileSystem &files);
LinkPlan PlanLinkOpen(AnsiView value, const QString &databasePath);

// The folder the link dialog's file dialog starts in: the folder of the
// file named (made absolute as above), else the database file's folder,
// else empty.
QString LinkBrowseFolder(const QString &file, const QString &databasePath);

// Whether the desktop would run a file of this name rather than show it
// (launchers, scripts, Windows programs), judged by its extension.
bool IsProgramLikeFile(const QString &path);

} // namespace orvel
