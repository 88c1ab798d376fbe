#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace orvel::setup {

// Files compressed with the installer's LZ format ("SZDD"), as source disks
// carry them, expanded through libmspack.

// True when the bytes begin with an SZDD header (either signature).
bool IsSzdd(const QByteArray &head);

// Expands the whole of `in` into `out`. The expansion must yield exactly the
// length the header declares: a stream that ends early (a truncated file) or
// runs on beyond it (damaged data) is refused, so that a broken disk never
// installs a cut file. On failure *error holds the reason.
bool ExpandSzdd(QIODevice &in, QIODevice &out, qint64 *length, QString *error);

} // namespace orvel::setup
