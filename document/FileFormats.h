#pragma once

#include <QString>

#include <functional>

class QFile;
class QIODevice;

namespace orvel {

class COrvelDoc;

// The file formats other than the database file, chosen by the last three
// characters of a path (ignoring case). The exchange formats register their
// reader and writer here; a format without one is named but not supported
// yet.
struct FileFormat
{
    // Three lower-case characters.
    QString extension;
    // For messages: "dBASE", "SDF", ...
    QString displayName;
    // Open reads files of this kind with `read`; other extensions open as
    // database files.
    bool opens = false;
    // An export (HTML, mail merge): writing it leaves the document's file,
    // lock and modified flag as they were.
    bool isExport = false;
    // The table's SDF delimiters are taken from the settings before reading
    // or writing.
    bool usesSdfDelimiters = false;

    // Fills the empty document from the file, which is open for reading at
    // its start (an importer that works by path may close it). False: the
    // file could not be read; the document is emptied afterwards.
    std::function<bool(COrvelDoc &doc, QFile &file, const QString &path)> read;
    // Writes the document into an empty, seekable device that becomes the
    // file at `path` once everything is written.
    std::function<bool(COrvelDoc &doc, QIODevice &out, const QString &path)> write;
};

namespace FileFormats {

// The format of a path, or null for the database format.
const FileFormat *Find(const QString &path);
// Adds a format, or replaces the one with the same extension.
void Register(const FileFormat &format);

} // namespace FileFormats

} // namespace orvel
