#pragma once

#include "setup/SetupPaths.h"
#include "setup/SetupSettings.h"
#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <ostream>

// Readable strings in the failure messages of the Setup tests.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace orvel::setup::test {

// Compresses with the installer's LZ rules (SZDD, mode "A"): a 4096-byte
// window that starts filled with blanks at position 4080, control bytes
// whose bits (lowest first) say literal (1) or match (0), matches as 12-bit
// window position and 4-bit length - 3. Greedy and slow, for small files.
inline QByteArray CompressSzdd(const QByteArray &data, char missing = '_')
{
    QByteArray out("SZDD\x88\xF0\x27\x33", 8);
    out += 'A';
    out += missing;
    const quint32 length = quint32(data.size());
    for (int i = 0; i < 4; ++i)
        out += char((length >> (8 * i)) & 0xFF);
    qsizetype i = 0;
    while (i < data.size()) {
        const qsizetype controlAt = out.size();
        out += '\0';
        unsigned char control = 0;
        for (int bit = 0; bit < 8 && i < data.size(); ++bit) {
            int bestLength = 0;
            qsizetype bestFrom = 0;
            for (qsizetype from = std::max<qsizetype>(0, i - 4000); from < i; ++from) {
                int n = 0;
                while (n < 18 && i + n < data.size() && from + n < i && data.at(from + n) == data.at(i + n))
                    ++n;
                if (n > bestLength) {
                    bestLength = n;
                    bestFrom = from;
                }
            }
            if (bestLength >= 3) {
                const int position = int((4096 - 16 + bestFrom) & 4095);
                out += char(position & 0xFF);
                out += char(((position >> 4) & 0xF0) | (bestLength - 3));
                i += bestLength;
            } else {
                control |= static_cast<unsigned char>(1u << bit);
                out += data.at(i++);
            }
        }
        out[controlAt] = char(control);
    }
    return out;
}

inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything below a folder, as relative paths ("dir/" for folders).
inline QStringList Tree(const QString &root)
{
    QStringList out;
    QDir dir(root);
    const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QFileInfo &info : entries) {
        if (info.isDir() && !info.isSymLink()) {
            out << info.fileName() + QLatin1Char('/');
            for (const QString &inner : Tree(info.absoluteFilePath()))
                out << info.fileName() + QLatin1Char('/') + inner;
        } else {
            out << info.fileName();
        }
    }
    return out;
}

// What was added ("+path") and what went ("-path") between two trees; empty
// when they are the same.
inline QString TreeChanges(const QStringList &before, const QStringList &after)
{
    QStringList changes;
    for (const QString &entry : after) {
        if (!before.contains(entry))
            changes << QLatin1Char('+') + entry;
    }
    for (const QString &entry : before) {
        if (!after.contains(entry))
            changes << QLatin1Char('-') + entry;
    }
    return changes.join(QLatin1Char(' '));
}

// A temporary system root with the user's configuration below it too.
inline SetupPaths ScratchPaths(QString *root)
{
    *root = orvel::test::MakeScratchDir();
    SetupPaths paths = SetupPaths::ForSystemRoot(*root);
    paths.userConfigDir = *root + QStringLiteral("/home/.config");
    return paths;
}

} // namespace orvel::setup::test
