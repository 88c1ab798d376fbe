#pragma once

#include <QString>

namespace orvel::test {

// Paths the test process was given: a private configuration folder and
// runtime folder (made before the first QSettings), the shared fixtures and
// the source tree.
QString ConfigDir();
QString RuntimeDir();
// The temporary folder of this test process (TMPDIR), so that tests which
// look at what lands there see only their own files.
QString TempDir();
QString FixturesDir();
QString SourceDir();

// A fresh, empty folder below the test process's private temporary folder.
QString MakeScratchDir();

} // namespace orvel::test
