// orvel-sample-db OUT.ovd [RECORDS]: writes the seeded benchmark table as a
// database file, so that whole orvel-cli commands can be timed side by side
// with other tools on the same data.
#include "bench/GeneratedTable.h"
#include "document/OrvelDoc.h"
#include "platform/ConsoleServices.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "Aufruf: orvel-sample-db AUS.ovd [DATENSÄTZE]\n");
        return 2;
    }
    const int records = args.size() > 2 ? args[2].toInt() : 30000;
    orvel::ConsoleServices console;
    orvel::ScopedServices scoped(&console);

    orvel::COrvelDoc doc;
    orvel::bench::FillGeneratedTable(doc.GetTable(), records);
    doc.CreateDefaultForm();
    return doc.Save(args[1], 1, true) ? 0 : 1;
}
