#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace orvel::cli {

// A sort key as given on the command line: "2" or "2:desc".
struct CliSortKey
{
    int field = -1;
    bool descending = false;
};

// One search criterion as given on the command line.
struct CliCriterion
{
    int field = -1;
    QString text;
    int options = 0;
};

// The command line of orvel-cli, parsed but not yet checked against a file
// (whether a field position exists is known only after loading).
struct CliArguments
{
    QString command; // dump, convert, sort, find, replace, duplicates; "help", "version"
    QString input;
    QString output;

    // Common options; empty/unset means "the user's settings, then the default".
    QString locale;
    std::optional<bool> dosCharset;
    std::optional<int> fieldDelimiter;
    std::optional<int> dataDelimiter;
    std::optional<int> csvEncoding; // 0 UTF-8, 1 Windows-1252
    std::optional<bool> csvBom;
    std::optional<bool> relativePaths;
    bool timing = false;
    bool noSync = false; // new output files are not flushed before their rename

    bool display = false;         // dump
    bool memos = false;           // dump: memo texts in place of their references
    bool objects = false;         // dump: OLE values as their documents' items
    std::vector<CliSortKey> keys; // sort
    CliCriterion criterion1;      // find, replace
    CliCriterion criterion2;      // find with --link
    int link = 0;                 // 0 none, 1 and, 2 or
    QString replacement;          // replace
    bool hasReplacement = false;
    std::vector<int> duplicateFields; // duplicates
    bool fuzzy = false;               // duplicates: similar spellings count as equal
    bool phonetic = false;            // duplicates: compared by sound (implies fuzzy)
};

// Parses the arguments after the program name. On wrong usage returns
// nothing and sets `error` to a German explanation.
std::optional<CliArguments> ParseCliArguments(const QStringList &args, QString &error);

// The usage text of --help.
QString CliUsage();

} // namespace orvel::cli
