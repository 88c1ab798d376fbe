// Expands arbitrary bytes as a file in the installer's LZ format. Whatever
// the bytes, an expansion that succeeds yields exactly the declared length.
#include "setup/Szdd.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

using namespace orvel::setup;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer in(&input);
    in.open(QIODevice::ReadOnly);
    QByteArray output;
    QBuffer out(&output);
    out.open(QIODevice::WriteOnly);
    qint64 length = -1;
    QString error;
    if (ExpandSzdd(in, out, &length, &error) && (length != output.size() || !IsSzdd(input)))
        std::abort();
    return 0;
}
