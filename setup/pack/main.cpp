// orvel-setup-pack IN OUT: compresses a file in the installer's LZ format
// ("SZDD", mode "A") for a disk set, as Setup expands it again: a 4096-byte
// window that starts filled with blanks at position 4080, a control byte per
// eight items whose bits (lowest first) say literal (1) or match (0), and a
// match as a 12-bit window position with a 4-bit length - 3.
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>
#include <vector>

namespace {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 18;
// Matches reach back less than the window, so that the bytes they name are
// still in it when they are expanded.
constexpr qsizetype kMaxDistance = 4096 - kMaxMatch - 1;
constexpr int kChainDepth = 48;
constexpr int kHashBits = 15;

int hashAt(const unsigned char *p)
{
    return int(((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & ((1 << kHashBits) - 1));
}

QByteArray compress(const QByteArray &input, char missing)
{
    QByteArray out("SZDD\x88\xF0\x27\x33", 8);
    out += 'A';
    out += missing;
    const quint32 length = quint32(input.size());
    for (int i = 0; i < 4; ++i)
        out += char((length >> (8 * i)) & 0xFF);
    out.reserve(out.size() + input.size() + input.size() / 8 + 16);

    const auto *data = reinterpret_cast<const unsigned char *>(input.constData());
    const qsizetype size = input.size();
    std::vector<qsizetype> head(std::size_t(1) << kHashBits, -1);
    std::vector<qsizetype> previous(std::size_t(size > 0 ? size : 1), -1);
    auto insert = [&](qsizetype at) {
        if (at + kMinMatch > size)
            return;
        const int h = hashAt(data + at);
        previous[std::size_t(at)] = head[std::size_t(h)];
        head[std::size_t(h)] = at;
    };

    qsizetype i = 0;
    while (i < size) {
        const qsizetype controlAt = out.size();
        out += '\0';
        unsigned char control = 0;
        for (int bit = 0; bit < 8 && i < size; ++bit) {
            int bestLength = 0;
            qsizetype bestFrom = 0;
            if (i + kMinMatch <= size) {
                qsizetype from = head[std::size_t(hashAt(data + i))];
                for (int depth = 0; from >= 0 && i - from <= kMaxDistance && depth < kChainDepth; ++depth) {
                    int n = 0;
                    while (n < kMaxMatch && i + n < size && from + n < i && data[from + n] == data[i + n])
                        ++n;
                    if (n > bestLength) {
                        bestLength = n;
                        bestFrom = from;
                        if (n == kMaxMatch)
                            break;
                    }
                    from = previous[std::size_t(from)];
                }
            }
            if (bestLength >= kMinMatch) {
                const int position = int((4096 - 16 + bestFrom) & 4095);
                out += char(position & 0xFF);
                out += char(((position >> 4) & 0xF0) | (bestLength - kMinMatch));
                for (int k = 0; k < bestLength; ++k)
                    insert(i + k);
                i += bestLength;
            } else {
                control |= static_cast<unsigned char>(1u << bit);
                out += char(data[i]);
                insert(i);
                ++i;
            }
        }
        out[controlAt] = char(control);
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("Usage: orvel-setup-pack IN OUT\n", stderr);
        return 2;
    }
    QFile in(QFile::decodeName(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "orvel-setup-pack: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray data = in.readAll();
    if (data.size() > qsizetype(0xFFFFFFFFu)) {
        std::fprintf(stderr, "orvel-setup-pack: %s is too large\n", argv[1]);
        return 1;
    }
    // The last character of the name, which the compressed file's name
    // replaces by "_".
    const QString name = QFileInfo(in.fileName()).fileName();
    const char missing = name.isEmpty() ? '_' : name.back().toLatin1();
    QSaveFile out(QFile::decodeName(argv[2]));
    const QByteArray packed = compress(data, missing ? missing : '_');
    if (!out.open(QIODevice::WriteOnly) || out.write(packed) != packed.size() || !out.commit()) {
        std::fprintf(stderr, "orvel-setup-pack: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
