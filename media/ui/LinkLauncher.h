#pragma once

#include "media/LinkAction.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace orvel {

// How opening a link ended.
enum class LinkOutcome {
    Opened,   // handed to the desktop or the program was started
    Declined, // the user did not want the program or address
    EditLink, // nothing could be opened: the link dialog is next
};

// Carries out what PlanLinkOpen decided: addresses and documents go to the
// desktop's handler, programs are started directly with their parameters
// as separate arguments (never through a shell), and only after the user
// has said yes to a question that names them.
class LinkLauncher
{
public:
    struct Hooks
    {
        // Hands an address or a file to the desktop; false when that failed.
        std::function<bool(const QUrl &)> openUrl;
        // Starts a program on its own; false when it could not be started.
        std::function<bool(const QString &program, const QStringList &arguments, const QString &folder)> startProgram;
    };
    // The hooks in use; the defaults are QDesktopServices::openUrl and
    // QProcess::startDetached.
    static Hooks &hooks();
    static void resetHooks();

    // Opens link value `value` of the database at `databasePath`. A missing
    // file is reported (526), a failure to open or start too (539); these,
    // like an incomplete value, end in EditLink. The question before a
    // program, a file the desktop would run or an unusual address is 559.
    static LinkOutcome Open(AnsiView value, const QString &databasePath, const LinkFileSystem &files);
    static LinkOutcome Open(AnsiView value, const QString &databasePath);
    // Carries out a plan made before.
    static LinkOutcome Carry(const LinkPlan &plan);
};

} // namespace orvel
