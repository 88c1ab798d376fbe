#include "setup/SetupLog.h"

#include <QDir>

#include <unistd.h>

namespace orvel::setup {

QByteArray LogItemLine(const LogItem &item)
{
    const char *prefix = kCopiedFilePrefix;
    switch (item.kind) {
    case LogItemKind::CreatedDir:
        prefix = kCreatedDirPrefix;
        break;
    case LogItemKind::CopiedFile:
        prefix = kCopiedFilePrefix;
        break;
    case LogItemKind::CopiedShared:
        prefix = kCopiedSharedPrefix;
        break;
    case LogItemKind::CopiedOcx:
        prefix = kCopiedOcxPrefix;
        break;
    }
    return QByteArray(prefix) + item.path.toUtf8();
}

bool SetupLogWriter::Open(const QString &path)
{
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool SetupLogWriter::WriteLine(const QByteArray &line)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray bytes = line + '\n';
    if (m_file.write(bytes) != bytes.size() || !m_file.flush())
        return false;
    ::fdatasync(m_file.handle());
    return true;
}

void SetupLogWriter::Close()
{
    m_file.close();
}

bool ParseSetupLog(const QByteArray &bytes, SetupLogContents *contents, QString *reason)
{
    auto fail = [&](const QString &text) {
        if (reason)
            *reason = text;
        return false;
    };
    QList<QByteArray> lines = bytes.split('\n');
    // The piece after the last line feed is empty for a complete log and an
    // unfinished line otherwise; either way it is not a line of the log.
    lines.removeLast();
    if (lines.isEmpty() || lines.first() != kLogHeader)
        return fail(QStringLiteral("the log does not begin with its header"));
    SetupLogContents result;
    int separators = 0;
    static const struct
    {
        const char *prefix;
        LogItemKind kind;
    } kinds[] = {{kCreatedDirPrefix, LogItemKind::CreatedDir},
                 {kCopiedFilePrefix, LogItemKind::CopiedFile},
                 {kCopiedSharedPrefix, LogItemKind::CopiedShared},
                 {kCopiedOcxPrefix, LogItemKind::CopiedOcx}};
    for (qsizetype i = 1; i < lines.size() && separators < 2; ++i) {
        const QByteArray &line = lines.at(i);
        if (line.size() > kMaxLogLineLength || line.contains('\0'))
            return fail(QStringLiteral("line %1 is too long or holds a NUL byte").arg(i + 1));
        if (line == "##") {
            ++separators;
            continue;
        }
        if (separators == 1) {
            result.registryLines.append(QString::fromUtf8(line));
            continue;
        }
        bool known = false;
        for (const auto &k : kinds) {
            if (!line.startsWith(k.prefix))
                continue;
            const QString path = QString::fromUtf8(line.mid(kLogPrefixLength));
            if (!path.startsWith(QLatin1Char('/')) || QDir::cleanPath(path) != path || path == QLatin1String("/"))
                return fail(QStringLiteral("line %1 names no clean absolute path").arg(i + 1));
            result.items.append({k.kind, path});
            known = true;
            break;
        }
        if (!known)
            return fail(QStringLiteral("line %1 is no log item").arg(i + 1));
    }
    *contents = result;
    return true;
}

} // namespace orvel::setup
