#pragma once

#include <QString>

namespace orvel {

// The format of a file is chosen by the last three characters of its path,
// in lower case ("X.DBF" is dBASE; "x.dbase" is not).
QString FileExtension(const QString &path);

// The name Save As proposes: the document's path when it has one; else its
// title cut to 8 characters, then before the first blank, "#", "%", ";",
// "/" or "\", followed by ".ovd" (Unbenannt1 gives Unbenann.ovd, "Liste 97"
// gives Liste.ovd).
QString ProposeSaveName(const QString &path, const QString &title);

} // namespace orvel
