#pragma once

// What the widget benchmarks share: the application object, quiet
// services, waiting for a window to be shown, and the median of frames.
#include "platform/ScriptedServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace orvel::bench {

// Widgets need an application object; the benchmark executable makes one
// the first time a widget benchmark runs, on the offscreen platform unless
// the environment names another.
inline void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "orvel-bench";
    static char *argv[] = {name, nullptr};
    // Never destroyed: at exit, after main, Qt's own globals may already be
    // gone, and tearing the application down then crashes.
    new QApplication(argc, argv);
}

inline void QuietServices()
{
    static ScriptedServices services;
    installServices(&services);
}

// Painting waits for the window to be exposed.
inline void WaitUntilExposed(QWidget &widget)
{
    QElapsedTimer waited;
    waited.start();
    while (widget.windowHandle() && !widget.windowHandle()->isExposed() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The value below which `share` (0 to 1) of the values lie.
inline double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = std::size_t(share * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace orvel::bench
