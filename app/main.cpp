#include "platform/HeapTuning.h"
#include "platform/ui/QtTranslations.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>

int main(int argc, char **argv)
{
    orvel::PrepareHeapForLargeTables();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvel 97"));
    QApplication::setOrganizationName(QStringLiteral("KWZ"));
    QApplication::setDesktopFileName(QStringLiteral("orvel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/orvel/icons/orvel.svg")));
    orvel::InstallQtGermanTranslations(app);

    // Until the main frame exists, an empty window stands for the program.
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Orvel 97"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
