#include "app/ui/OrvelApp.h"
#include "platform/HeapTuning.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    orvel::PrepareHeapForLargeTables();
    orvel::COrvelApp app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));
    if (!app.InitInstance())
        return 0;
    return app.Run();
}
