// orvel-setup: installs Orvel 97 from its disk set with a wizard, or
// unattended, and removes it again from its log ("UninsKWZ /uninstall LOG").
#include "setup/SetupPaths.h"
#include "setup/ui/SetupDriver.h"
#include "setup/ui/SetupPrompter.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

// One wizard per user: a second start brings the running one (and the
// dialog it shows) to the front and ends.
bool activateRunningSetup(const QString &name)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("activate\n");
    socket.waitForBytesWritten(1000);
    return true;
}

void bringToFront(QWidget *widget)
{
    if (!widget)
        return;
    widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
    widget->show();
    widget->raise();
    widget->activateWindow();
}

} // namespace

int main(int argc, char **argv)
{
    using namespace orvel::setup;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const SetupCommandLine command = ParseSetupCommandLine(arguments);
    if (command.mode == SetupCommandLine::Mode::Help || command.mode == SetupCommandLine::Mode::Invalid) {
        if (command.mode == SetupCommandLine::Mode::Invalid)
            std::fprintf(stderr, "orvel-setup: %s\n", qPrintable(command.error));
        std::fputs(qPrintable(SetupUsage()), command.mode == SetupCommandLine::Mode::Help ? stdout : stderr);
        return command.mode == SetupCommandLine::Mode::Help ? 0 : 2;
    }

    // The unattended mode needs no display.
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<ISetupPrompter> prompter;
    if (command.unattended) {
        app = std::make_unique<QCoreApplication>(argc, argv);
        prompter = std::make_unique<CUnattendedPrompter>();
    } else {
        app = std::make_unique<QApplication>(argc, argv);
        prompter = std::make_unique<CDialogPrompter>();
    }
    QCoreApplication::setApplicationName(QStringLiteral("Setup"));
    QLocalServer server;
    if (!command.unattended && command.mode == SetupCommandLine::Mode::Install) {
        const QString name = QStringLiteral("orvel-setup-%1").arg(::getuid());
        if (activateRunningSetup(name))
            return 0;
        QLocalServer::removeServer(name);
        server.setSocketOptions(QLocalServer::UserAccessOption);
        server.listen(name);
        QObject::connect(&server, &QLocalServer::newConnection, &server, [&server] {
            while (QLocalSocket *socket = server.nextPendingConnection())
                socket->deleteLater();
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (widget->objectName() == QLatin1String("SetupWizard") && widget->isVisible())
                    bringToFront(widget);
            }
            bringToFront(QApplication::activeModalWidget());
        });
    }
    const SetupPaths paths = SetupPaths::FromEnvironment(command.systemRoot);
    if (command.mode == SetupCommandLine::Mode::Uninstall)
        return RunSetupUninstall(command, paths, *prompter);
    return RunSetupInstall(command, paths, *prompter, QCoreApplication::applicationFilePath());
}
