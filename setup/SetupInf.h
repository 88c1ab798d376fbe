#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace orvel::setup {

// The limits of SETUP.INF: line length in bytes (without the line feed) and
// the number of entries each section may hold.
inline constexpr int kMaxInfLineLength = 260;
inline constexpr int kMaxDisks = 8;
inline constexpr int kMaxFiles = 64;
inline constexpr int kMaxShortcuts = 64;
inline constexpr int kMaxRegFileLines = 80;
inline constexpr int kMaxRegistryLines = 80;
// Sizes beyond this are not a setup file but a damaged line; it keeps the
// space totals far from overflowing.
inline constexpr std::int64_t kMaxInfFileSize = std::int64_t(1) << 40;

// A file version a.b.c.d as Setup records it.
struct FileVersion
{
    std::array<std::uint16_t, 4> parts{0, 0, 0, 0};

    friend auto operator<=>(const FileVersion &, const FileVersion &) = default;
    friend bool operator==(const FileVersion &, const FileVersion &) = default;
    QString toString() const; // "%d.%d.%d.%d"
    static bool parse(const QString &text, FileVersion *out);
};

enum class FileKind { Program = 0, Shared = 1, Control = 2 };

struct InfFile
{
    int disk = 1;
    QString source;      // name on the source disk, "/" separated
    QString destination; // relative to the install folder, "/" separated
    QString finalName;   // plain name in the destination's folder
    std::int64_t size = 0;
    FileKind kind = FileKind::Program;
};

struct InfShortcut
{
    QString targetFormat; // "%s" stands for the target folder (at most twice)
    QString arguments;
    QString name;
};

enum class RegistryRoot { LocalMachine, CurrentUser, ClassesRoot };

// One registry value line: root, key, value name, type and data. The line
// itself is kept as it stood, because the log records it verbatim.
struct RegistryLine
{
    QString line;
    RegistryRoot root = RegistryRoot::ClassesRoot;
    QString key; // "\" separated, as written
    QString valueName;
    bool isNumber = false;
    QString data; // before placeholder substitution
};

struct SetupInf
{
    FileVersion version; // "VERSION a.b.c.d" in line 1, else 0.0.0.0
    QString programName;
    QString defaultFolder;
    QStringList diskLabels;
    QList<InfFile> files;
    QList<InfShortcut> shortcuts;
    QStringList regFileLines;
    QList<RegistryLine> registryLines;
};

// Reads SETUP.INF. On failure returns false and says why in *reason (for
// logs and tests; the user sees message 114). Every line, count, number,
// path and placeholder is checked here, so that nothing later can step
// outside the folders Setup was told about.
bool ParseSetupInf(const QByteArray &bytes, SetupInf *inf, QString *reason);

// Splits a registry value line. Lines of the log pass through here as well:
// false when a field is missing. The number of a "d" line must be decimal
// and fit 32 bits.
bool ParseRegistryLine(const QString &line, RegistryLine *out);

// A key as "\" separated names, each non-empty and none "." or "..".
bool IsSafeRegistryKey(const QString &key);

// Replaces the placeholders "&file<nn><c>", "&dest<c>" and "&windir<c>" once
// each, in that order. finalPaths holds the installed path of every file
// line (empty when that file was not installed).
QString SubstitutePlaceholders(const QString &line, const QStringList &finalPaths, const QString &targetFolder,
                               const QString &windowsFolder);

} // namespace orvel::setup
