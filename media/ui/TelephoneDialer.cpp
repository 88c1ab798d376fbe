#include "media/ui/TelephoneDialer.h"

#include "media/Dialling.h"
#include "media/ui/DialDialog.h"
#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QDesktopServices>
#include <QProcess>

namespace orvel {

namespace {

// The query answers at once; a hung helper must not hang the program.
constexpr int kQueryTimeoutMs = 5000;

TelephoneDialer::Hooks defaultHooks()
{
    TelephoneDialer::Hooks hooks;
    hooks.hasTelHandler = [] { return TelephoneDialer::QueryTelHandler(); };
    hooks.openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    // The options sheet writes the settings as it closes with OK, so the
    // stored prefix is the one the program uses.
    hooks.prefix = [] {
        return Registry::GetProfileString(QStringLiteral("Settings"), QStringLiteral("DialPrefix"), QString());
    };
    return hooks;
}

} // namespace

TelephoneDialer::Hooks &TelephoneDialer::hooks()
{
    static Hooks hooks = defaultHooks();
    return hooks;
}

void TelephoneDialer::resetHooks()
{
    hooks() = defaultHooks();
}

bool TelephoneDialer::QueryTelHandler(const QString &xdgMime)
{
    QProcess query;
    query.setProcessChannelMode(QProcess::SeparateChannels);
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/tel")});
    if (!query.waitForStarted(kQueryTimeoutMs))
        return false;
    if (!query.waitForFinished(kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished(kQueryTimeoutMs);
        return false;
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return false;
    return !QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed().isEmpty();
}

bool TelephoneDialer::Dial(const QString &number, const QString &name)
{
    Q_UNUSED(name);
    const Hooks &h = hooks();
    const QString dialled = ApplyDialPrefix(number.left(kMaxDialNumberLength), h.prefix ? h.prefix() : QString());
    const QUrl url(TelUrlFromNumber(dialled), QUrl::StrictMode);
    // The prefix alone is no call.
    const bool handled = HasDialDigits(number) && h.hasTelHandler && h.hasTelHandler();
    if (!handled || !h.openUrl || !h.openUrl(url)) {
        MessageBoxById(ids::kMsgDialFailed, MsgIcon::Stop);
        return false;
    }
    return true;
}

void RunDialCommand(QWidget *parent, const CDataTable &table, int record, int field)
{
    const DialRequest request =
            PrepareDialRequest(table, record, field, QStringToAnsi(LoadQString(ids::kNameFieldKeyword)));
    DialDialog dialog(request.number, request.name, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    TelephoneDialer::Dial(dialog.Number(), dialog.Name());
}

} // namespace orvel
