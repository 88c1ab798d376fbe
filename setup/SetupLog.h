#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

namespace orvel::setup {

// "Setup.log": what an installation created, for its uninstallation.
inline constexpr char kLogHeader[] = "** INSTALLATION LOG - FILE IS NEEDED FOR UNINSTALL CAPABILITIES **";
inline constexpr char kCreatedDirPrefix[] = "Created dir :        ";
inline constexpr char kCopiedFilePrefix[] = "Copied file :        ";
inline constexpr char kCopiedSharedPrefix[] = "Copied shared file : ";
inline constexpr char kCopiedOcxPrefix[] = "Copied ocx file :    ";
inline constexpr int kLogPrefixLength = 21;
// The longest log line read back: a prefix and a path of PATH_MAX bytes.
inline constexpr int kMaxLogLineLength = kLogPrefixLength + 4096;

enum class LogItemKind { CreatedDir, CopiedFile, CopiedShared, CopiedOcx };

struct LogItem
{
    LogItemKind kind;
    QString path;
};

QByteArray LogItemLine(const LogItem &item);

// Writes the log line by line, flushing each line to the disk, so that an
// installation that breaks off leaves every item it created recorded.
class SetupLogWriter
{
public:
    bool Open(const QString &path); // creates or truncates
    bool WriteLine(const QByteArray &line);
    bool WriteItem(const LogItem &item) { return WriteLine(LogItemLine(item)); }
    void Close();
    bool IsOpen() const { return m_file.isOpen(); }

private:
    QFile m_file;
};

struct SetupLogContents
{
    QList<LogItem> items;      // without the header line
    QStringList registryLines; // between the first and the second "##"
};

// Reads a log. The whole log is checked before anything acts on it: the
// header line, a known prefix and an absolute, clean path on every item
// line, no line longer than kMaxLogLineLength and no NUL byte. A log that an
// interrupted installation left without its "##" lines is complete up to its
// last whole line; a last line without its line feed was never finished and
// is ignored.
bool ParseSetupLog(const QByteArray &bytes, SetupLogContents *contents, QString *reason);

} // namespace orvel::setup
