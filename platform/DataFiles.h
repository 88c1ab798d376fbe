#pragma once

#include <QString>
#include <QStringList>

namespace orvel {

// Where the program finds the files it ships beside itself (the templates
// in "Template/", "tips.txt"), in this order: $ORVEL_DATA_DIR when set; the
// folder of the executable (the build tree); "../share/orvel" next to it
// (an installed program); the system's data folders ("orvel" in each).
QStringList DataFolders();

// The first existing file of that relative name in the data folders; when
// there is none, the path beside the executable, so that the message about
// the missing file names the place the program looked first.
QString FindDataFile(const QString &relativePath);

} // namespace orvel
