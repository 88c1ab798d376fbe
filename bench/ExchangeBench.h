#pragma once

// What the benchmarks of the text exchange formats share.
#include "platform/ScriptedServices.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QString>

#include <functional>

namespace orvel::bench {

// Messages (a generated note of 255 bytes loses its last byte in SDF) and
// progress go nowhere.
inline void QuietServices()
{
    static ScriptedServices services;
    installServices(&services);
    services.clear();
}

// Times `write` into a fresh file at `path` once per iteration (opening and
// closing the file are not timed) and reports the size of what it wrote.
inline void RunFileExport(benchmark::State &state, const QString &path, const std::function<int(QIODevice &)> &write)
{
    QuietServices();
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        state.ResumeTiming();
        if (write(file) != 1)
            state.SkipWithError("the export failed");
        state.PauseTiming();
        bytes = file.size();
        file.close();
        state.ResumeTiming();
    }
    state.counters["FileMiB"] = double(bytes) / (1024.0 * 1024.0);
}

} // namespace orvel::bench
