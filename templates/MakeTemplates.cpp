// orvel-make-templates FOLDER: writes the database templates of the "Neu"
// dialog into FOLDER, each saved by the program's own document code.
#include "platform/ConsoleServices.h"
#include "platform/Services.h"
#include "templates/TemplateBuilder.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fputs("Aufruf: orvel-make-templates ORDNER\n", stderr);
        return 2;
    }
    // Messages of the document code go to standard error.
    orvel::ConsoleServices console;
    orvel::ScopedServices scoped(&console);

    QString error;
    if (!orvel::templates::WriteTemplates(args.at(1), &error)) {
        std::fprintf(stderr, "orvel-make-templates: %s\n", error.toUtf8().constData());
        return 1;
    }
    return 0;
}
