#pragma once

#include <QString>

#include <string>

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
// The bytes a fixture's expectation file writes one character per byte
// (latin-1) in a JSON string.
std::string FixtureBytes(const QString &text);
QString SourceDir();

// A fresh, empty folder below the test process's private temporary folder.
QString MakeScratchDir();

} // namespace orvel::test
