#pragma once

#include <QString>

namespace orvel {

// The program's version ("0.1.0"), the one the build gives the project and
// orvel-cli prints for --version.
QString ProgramVersion();
// When this build was made: "Built: Mar 23 1997; 13:35:37".
QString BuildStamp();

} // namespace orvel
