#include "setup/SetupInf.h"

#include <algorithm>

namespace orvel::setup {
namespace {

const QString kSeparator = QStringLiteral("##");

// The lines of the file, each checked for length and stray bytes; a
// carriage return before the line feed (a file written on DOS) is dropped.
bool splitLines(const QByteArray &bytes, QStringList *lines, QString *reason)
{
    qsizetype start = 0;
    int number = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArray line = bytes.mid(start, end - start);
        start = end + 1;
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.size() > kMaxInfLineLength) {
            *reason = QStringLiteral("line %1 is longer than %2 bytes").arg(number).arg(kMaxInfLineLength);
            return false;
        }
        if (line.contains('\0')) {
            *reason = QStringLiteral("line %1 holds a NUL byte").arg(number);
            return false;
        }
        lines->append(QString::fromUtf8(line));
    }
    return true;
}

// A single file or folder name: nothing that could climb or separate.
bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20)
            return false;
    }
    return true;
}

// A relative path written with "\" (or "/"): every part a plain name, so it
// stays below the folder it is relative to.
bool normaliseRelativePath(const QString &path, QString *out)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (p.isEmpty() || p.startsWith(QLatin1Char('/')) || (p.size() >= 2 && p.at(1) == QLatin1Char(':')))
        return false;
    const QStringList parts = p.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (!isPlainName(part))
            return false;
    }
    *out = parts.join(QLatin1Char('/'));
    return true;
}

// Reads the lines of one of sections 2 to 6 up to its "##", skipping
// comments.
bool readSection(const QStringList &lines, qsizetype *at, int maximum, const char *name, QStringList *entries,
                 QString *reason)
{
    while (*at < lines.size()) {
        const QString &line = lines.at((*at)++);
        if (line == kSeparator)
            return true;
        if (line.startsWith(QLatin1Char(';')))
            continue;
        if (entries->size() == maximum) {
            *reason = QStringLiteral("section %1 holds more than %2 entries").arg(QLatin1String(name)).arg(maximum);
            return false;
        }
        entries->append(line);
    }
    *reason = QStringLiteral("section %1 does not end with \"##\"").arg(QLatin1String(name));
    return false;
}

bool parseFileLine(const QString &line, int diskCount, InfFile *file, QString *reason)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        *reason = QStringLiteral("file line without \":\": %1").arg(line);
        return false;
    }
    const QString diskText = line.left(colon).trimmed();
    bool ok =
            diskText.size() >= 1 && diskText.size() <= 2
            && std::all_of(diskText.begin(), diskText.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
    const int disk = ok ? diskText.toInt() : 0;
    if (disk < 1 || disk > diskCount) {
        *reason = QStringLiteral("disk number out of range: %1").arg(line);
        return false;
    }
    const QStringList fields = line.mid(colon + 1).split(QLatin1Char(','));
    if (fields.size() < 5) {
        *reason = QStringLiteral("file line with a missing field: %1").arg(line);
        return false;
    }
    const QString kind = fields.mid(4).join(QLatin1Char(',')).trimmed();
    const QString sizeText = fields.at(3).trimmed();
    bool sizeOk =
            !sizeText.isEmpty() && sizeText.size() <= 15
            && std::all_of(sizeText.begin(), sizeText.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
    file->disk = disk;
    file->size = sizeOk ? sizeText.toLongLong() : -1;
    if (file->size < 0 || file->size > kMaxInfFileSize || kind.isEmpty()) {
        *reason = QStringLiteral("file line with a bad size or kind: %1").arg(line);
        return false;
    }
    if (!normaliseRelativePath(fields.at(0).trimmed(), &file->source)
        || !normaliseRelativePath(fields.at(1).trimmed(), &file->destination) || !isPlainName(fields.at(2).trimmed())) {
        *reason = QStringLiteral("file line with a path that is absolute, empty or climbs out: %1").arg(line);
        return false;
    }
    file->finalName = fields.at(2).trimmed();
    file->kind = kind == QLatin1String("x")   ? FileKind::Shared
                 : kind == QLatin1String("o") ? FileKind::Control
                                              : FileKind::Program;
    return true;
}

// A "&file" placeholder must name a file line that exists, with its two
// digits and its separator character.
bool checkPlaceholders(const QString &line, int fileCount, QString *reason)
{
    const qsizetype at = line.indexOf(QLatin1String("&file"));
    if (at < 0)
        return true;
    const QString digits = line.mid(at + 5, 2);
    const bool ok = digits.size() == 2 && digits.at(0).isDigit() && digits.at(1).isDigit()
                    && digits.at(0).unicode() < 128 && digits.at(1).unicode() < 128 && line.size() >= at + 8;
    if (!ok || digits.toInt() >= fileCount) {
        *reason = QStringLiteral("placeholder names no file line: %1").arg(line);
        return false;
    }
    return true;
}

struct Span
{
    qsizetype at;
    qsizetype length;
    QString replacement;
};

// The first occurrence of the placeholder that overlaps none of the spans
// already taken.
qsizetype findFree(const QString &line, const QString &token, const QList<Span> &taken)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype at = line.indexOf(token, from);
        if (at < 0)
            return -1;
        const auto overlap = std::find_if(taken.begin(), taken.end(), [&](const Span &s) {
            return at < s.at + s.length && s.at < at + token.size();
        });
        if (overlap == taken.end())
            return at;
        from = at + 1;
    }
}

} // namespace

QString FileVersion::toString() const
{
    return QStringLiteral("%1.%2.%3.%4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]);
}

bool FileVersion::parse(const QString &text, FileVersion *out)
{
    const QStringList numbers = text.trimmed().split(QLatin1Char('.'));
    if (numbers.size() != 4)
        return false;
    FileVersion version;
    for (int i = 0; i < 4; ++i) {
        const QString &n = numbers.at(i);
        bool ok = !n.isEmpty() && n.size() <= 5
                  && std::all_of(n.begin(), n.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
        const int value = ok ? n.toInt() : -1;
        if (value < 0 || value > 65535)
            return false;
        version.parts[i] = static_cast<std::uint16_t>(value);
    }
    *out = version;
    return true;
}

bool IsSafeRegistryKey(const QString &key)
{
    if (key.isEmpty())
        return false;
    const QStringList parts = key.split(QLatin1Char('\\'));
    return std::all_of(parts.begin(), parts.end(), isPlainName);
}

bool ParseRegistryLine(const QString &line, RegistryLine *out)
{
    const QStringList fields = line.split(QLatin1Char(','));
    if (fields.size() < 5)
        return false;
    RegistryLine result;
    result.line = line;
    const QString root = line.left(4);
    result.root = root == QLatin1String("HKLM")   ? RegistryRoot::LocalMachine
                  : root == QLatin1String("HKCU") ? RegistryRoot::CurrentUser
                                                  : RegistryRoot::ClassesRoot;
    result.key = fields.at(1).trimmed();
    result.valueName = fields.at(2).trimmed();
    result.isNumber = fields.at(3).trimmed() == QLatin1String("d");
    result.data = fields.mid(4).join(QLatin1Char(',')).trimmed();
    if (!IsSafeRegistryKey(result.key) || result.valueName.contains(QLatin1Char('\\')))
        return false;
    if (result.isNumber) {
        bool ok = false;
        const qlonglong n = result.data.toLongLong(&ok);
        if (!ok || n < -2147483648LL || n > 4294967295LL)
            return false;
    }
    *out = result;
    return true;
}

QString SubstitutePlaceholders(const QString &line, const QStringList &finalPaths, const QString &targetFolder,
                               const QString &windowsFolder)
{
    QList<Span> spans;
    const qsizetype file = findFree(line, QStringLiteral("&file"), spans);
    if (file >= 0 && line.size() >= file + 8 && line.at(file + 5).isDigit() && line.at(file + 6).isDigit()) {
        const int index = line.mid(file + 5, 2).toInt();
        spans.append({file, 8, index < finalPaths.size() ? finalPaths.at(index) : QString()});
    }
    const qsizetype dest = findFree(line, QStringLiteral("&dest"), spans);
    if (dest >= 0)
        spans.append({dest, std::min<qsizetype>(6, line.size() - dest), targetFolder});
    const qsizetype windir = findFree(line, QStringLiteral("&windir"), spans);
    if (windir >= 0)
        spans.append({windir, std::min<qsizetype>(8, line.size() - windir), windowsFolder});
    std::sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) { return a.at < b.at; });
    QString out;
    qsizetype from = 0;
    for (const Span &span : spans) {
        if (span.at < from)
            continue;
        out += line.mid(from, span.at - from);
        out += span.replacement;
        from = span.at + span.length;
    }
    out += line.mid(from);
    return out;
}

bool ParseSetupInf(const QByteArray &bytes, SetupInf *inf, QString *reason)
{
    QString why;
    QStringList lines;
    if (!splitLines(bytes, &lines, &why)) {
        if (reason)
            *reason = why;
        return false;
    }
    auto fail = [&](const QString &text) {
        if (reason)
            *reason = text;
        return false;
    };

    SetupInf result;
    qsizetype at = 0;
    QStringList header;
    while (at < lines.size() && lines.at(at) != kSeparator)
        header.append(lines.at(at++));
    if (at == lines.size())
        return fail(QStringLiteral("the header does not end with \"##\""));
    ++at;
    if (header.size() < 3)
        return fail(QStringLiteral("the header lacks the program name or the folder name"));
    const QString first = header.at(0).trimmed();
    if (first.startsWith(QLatin1String("VERSION ")))
        FileVersion::parse(first.mid(8), &result.version);
    result.programName = header.at(1).trimmed();
    result.defaultFolder = header.at(2).trimmed();
    if (!isPlainName(result.programName) || !isPlainName(result.defaultFolder))
        return fail(QStringLiteral("the program name or the folder name is not a plain name"));

    QStringList files, shortcutLines;
    if (!readSection(lines, &at, kMaxDisks, "2", &result.diskLabels, &why)
        || !readSection(lines, &at, kMaxFiles, "3", &files, &why)
        || !readSection(lines, &at, kMaxShortcuts * 2, "4", &shortcutLines, &why)
        || !readSection(lines, &at, kMaxRegFileLines, "5", &result.regFileLines, &why))
        return fail(why);
    QStringList registry;
    if (!readSection(lines, &at, kMaxRegistryLines, "6", &registry, &why))
        return fail(why);

    for (const QString &line : files) {
        InfFile file;
        if (!parseFileLine(line, int(result.diskLabels.size()), &file, &why))
            return fail(why);
        result.files.append(file);
    }
    for (qsizetype i = 0; i < shortcutLines.size(); i += 2) {
        InfShortcut shortcut;
        shortcut.name = i + 1 < shortcutLines.size() ? shortcutLines.at(i + 1).trimmed() : QString();
        if (shortcut.name.isEmpty())
            break;
        const QString target = shortcutLines.at(i).trimmed();
        const qsizetype blank = target.indexOf(QLatin1Char(' '));
        shortcut.targetFormat = blank < 0 ? target : target.left(blank);
        shortcut.arguments = blank < 0 ? QString() : target.mid(blank + 1).trimmed();
        if (shortcut.targetFormat.count(QLatin1String("%s")) > 2 || !isPlainName(shortcut.name))
            return fail(QStringLiteral("bad shortcut: %1 / %2").arg(target, shortcut.name));
        result.shortcuts.append(shortcut);
    }
    for (const QString &line : result.regFileLines) {
        if (!checkPlaceholders(line, int(result.files.size()), &why))
            return fail(why);
    }
    for (const QString &line : registry) {
        RegistryLine value;
        if (!ParseRegistryLine(line, &value))
            return fail(QStringLiteral("bad registry line: %1").arg(line));
        if (!checkPlaceholders(line, int(result.files.size()), &why))
            return fail(why);
        result.registryLines.append(value);
    }
    *inf = result;
    return true;
}

} // namespace orvel::setup
