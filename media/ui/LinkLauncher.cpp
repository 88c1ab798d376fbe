#include "media/ui/LinkLauncher.h"

#include "platform/Services.h"
#include "resources/StringIds.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>

namespace orvel {

namespace {

LinkLauncher::Hooks defaultHooks()
{
    LinkLauncher::Hooks hooks;
    hooks.openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    hooks.startProgram = [](const QString &program, const QStringList &arguments, const QString &folder) {
        return QProcess::startDetached(program, arguments, folder);
    };
    return hooks;
}

bool confirmed(const QString &target)
{
    return MessageBoxById(ids::kMsgConfirmRunLink, MsgIcon::Question, MsgButtons::YesNo,
                          {QDir::toNativeSeparators(target)})
           == MsgResult::Yes;
}

bool open(const QUrl &url)
{
    const auto &openUrl = LinkLauncher::hooks().openUrl;
    return openUrl && openUrl(url);
}

} // namespace

LinkLauncher::Hooks &LinkLauncher::hooks()
{
    static Hooks hooks = defaultHooks();
    return hooks;
}

void LinkLauncher::resetHooks()
{
    hooks() = defaultHooks();
}

LinkOutcome LinkLauncher::Carry(const LinkPlan &plan)
{
    switch (plan.step) {
    case LinkStep::EditLink:
        return LinkOutcome::EditLink;
    case LinkStep::FileMissing:
        MessageBoxById(ids::kMsgFileNotFound, MsgIcon::Stop, MsgButtons::Ok, {plan.target});
        return LinkOutcome::EditLink;
    case LinkStep::ConfirmOpenUrl:
        if (!confirmed(plan.target))
            return LinkOutcome::Declined;
        [[fallthrough]];
    case LinkStep::OpenUrl:
        if (open(QUrl(plan.target)))
            return LinkOutcome::Opened;
        MessageBoxById(ids::kMsgCannotOpen, MsgIcon::Stop, MsgButtons::Ok, {plan.target});
        return LinkOutcome::EditLink;
    case LinkStep::ConfirmOpenFile:
        if (!confirmed(plan.target))
            return LinkOutcome::Declined;
        [[fallthrough]];
    case LinkStep::OpenFile:
        if (open(QUrl::fromLocalFile(plan.target)))
            return LinkOutcome::Opened;
        MessageBoxById(ids::kMsgCannotOpen, MsgIcon::Stop, MsgButtons::Ok, {plan.target});
        return LinkOutcome::EditLink;
    case LinkStep::ConfirmStartProgram: {
        if (!confirmed(plan.target))
            return LinkOutcome::Declined;
        const auto &start = hooks().startProgram;
        if (start && start(plan.target, plan.arguments, plan.workingFolder))
            return LinkOutcome::Opened;
        MessageBoxById(ids::kMsgCannotOpen, MsgIcon::Stop, MsgButtons::Ok, {plan.target});
        return LinkOutcome::EditLink;
    }
    }
    return LinkOutcome::EditLink;
}

LinkOutcome LinkLauncher::Open(AnsiView value, const QString &databasePath, const LinkFileSystem &files)
{
    return Carry(PlanLinkOpen(value, databasePath, files));
}

LinkOutcome LinkLauncher::Open(AnsiView value, const QString &databasePath)
{
    return Carry(PlanLinkOpen(value, databasePath));
}

} // namespace orvel
