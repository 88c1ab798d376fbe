// orvel-cli: converts, inspects, sorts, searches and cleans database files
// without a display, through the same core as the program.
#include "cli/CliArguments.h"
#include "cli/CliRunner.h"
#include "platform/ConsoleServices.h"
#include "platform/HeapTuning.h"
#include "platform/Nls.h"
#include "platform/ProgramVersion.h"
#include "platform/Registry.h"
#include "platform/Services.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    orvel::PrepareHeapForLargeTables();
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    QString error;
    const std::optional<orvel::cli::CliArguments> parsed = orvel::cli::ParseCliArguments(args, error);
    if (!parsed) {
        std::fprintf(stderr, "orvel-cli: %s\n\n%s", error.toLocal8Bit().constData(),
                     orvel::cli::CliUsage().toLocal8Bit().constData());
        return orvel::cli::kExitUsage;
    }
    if (parsed->command == QLatin1String("version")) {
        std::printf("orvel-cli %s\n", orvel::ProgramVersion().toUtf8().constData());
        return orvel::cli::kExitSuccess;
    }
    if (parsed->command == QLatin1String("help")) {
        std::fputs(orvel::cli::CliUsage().toUtf8().constData(), stdout);
        return orvel::cli::kExitSuccess;
    }
    if (!parsed->locale.isEmpty() && !orvel::SetCurrentLocale(parsed->locale)) {
        std::fprintf(stderr, "orvel-cli: Unbekanntes Gebietsschema: %s\n", parsed->locale.toLocal8Bit().constData());
        return orvel::cli::kExitUsage;
    }

    // Messages go to standard error; the questions of the commands are
    // answered Yes (unmark first, sort before the duplicate search).
    orvel::ConsoleServices console;
    orvel::ScopedServices scoped(&console);

    std::string out;
    const int status = orvel::cli::RunCliCommand(*parsed, out);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    std::fflush(stderr);
    // Everything is written and the document (with its temporary files) is
    // gone. Tearing down Qt and the libraries' globals would only add a
    // tenth to the time of a whole command, so the process ends here, with
    // the settings written first.
    orvel::Registry::Flush();
    std::_Exit(status);
}
