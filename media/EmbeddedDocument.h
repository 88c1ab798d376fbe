#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>

namespace orvel {

// The files behind embedded documents: the empty documents "Objekt einfügen"
// creates, the type of a file, and the name its private copy gets while it is
// open in the desktop's application.

// Above this size a file is embedded only after asking (message 558).
inline constexpr std::int64_t kLargeEmbeddedFileSize = 64 * 1024 * 1024;
// An embedded document is stored with a 32-bit length inside an object of
// the object store that also holds its name and type; what is larger cannot
// be kept.
inline constexpr std::int64_t kMaxEmbeddedFileSize = 0xFFFFFFFFLL - 64 * 1024;

// The kinds of new, empty documents.
enum class NewDocumentKind { PlainText, TextDocument, Picture, Spreadsheet, Drawing };

struct NewDocumentType
{
    NewDocumentKind kind;
    // What the dialog lists.
    QString label;
    // The document's name (and so the extension its application is chosen
    // by) and its type.
    QString fileName;
    QString mimeType;
};

// Every kind, in the order the dialog lists them.
std::span<const NewDocumentType> NewDocumentTypes();
const NewDocumentType &NewDocumentTypeOf(NewDocumentKind kind);

// A small, valid, empty document of the kind: an empty text file, a white
// PNG picture, or a flat OpenDocument text, spreadsheet or drawing (one XML
// file each, which the office applications open and save as they are).
QByteArray NewDocumentBytes(NewDocumentKind kind);

// The MIME type of a file by its name and its first bytes
// ("application/octet-stream" when nothing is known).
QString MimeTypeOf(const QString &fileName, const QByteArray &head);
QString MimeTypeOfFile(const QString &path);

// The name the private copy of an embedded document gets in its folder: the
// last part of the stored name, without characters a file name cannot hold,
// never "." or ".."; an empty name becomes "Dokument" with the extension
// its type suggests.
QString SafeDocumentFileName(const QString &storedName, const QString &mimeType);

// The size for message 558: whole megabytes, rounded.
QString MegabytesText(std::int64_t bytes);

} // namespace orvel
