#pragma once

#include <QString>

namespace orvel::test {

// Paths the test process was given: a private configuration folder and
// runtime folder (made before the first QSettings), the shared fixtures and
// the source tree.
QString ConfigDir();
QString RuntimeDir();
QString FixturesDir();
QString SourceDir();

// A fresh, empty folder below the test process's private temporary folder.
QString MakeScratchDir();

} // namespace orvel::test
