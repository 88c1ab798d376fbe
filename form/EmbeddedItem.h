#pragma once

#include "platform/Archive.h"
#include "platform/Bitmap.h"
#include "platform/Gdi.h"

#include <QByteArray>

namespace orvel {

// An embedded document, the program's OLE client item: a file's name, its
// type and either its bytes (embedded) or the path of the file (linked).
// CDrawItem and CDrawEditItem share these bytes:
//   u16 version 1; string file name; string MIME type; u16 linked (1) or
//   embedded (0); then a string with the path (linked) or u32 N and the N
//   bytes (embedded).
// The bytes are kept in memory: a loaded item's bytes never exceed what the
// archive held.
// The picture that stands for a kind of document (by its MIME type) where
// the document is no picture, `size` pixels square; the graphics layer
// installs one. Without one, or when it gives none, only the name and type
// are drawn.
using DocumentIconSource = BitmapPtr (*)(const QString &mimeType, int size);
void SetDocumentIconSource(DocumentIconSource source);

class CEmbeddedItem : public CObject
{
    ORVEL_DECLARE_CLASS(CEmbeddedItem);

public:
    static constexpr uint16_t kVersion = 1;

    void Serialize(CArchive &ar) override;

    AnsiString fileName;
    AnsiString mimeType;
    bool linked = false;
    // The linked file; empty for an embedded document.
    AnsiString linkPath;
    // The embedded document's bytes; empty for a linked one.
    QByteArray bytes;

    // Runtime only: the document is open in its application (drawn
    // hatched meanwhile).
    bool open = false;
    // A copy of the item: same document, same bytes or link.
    void CopyTo(CEmbeddedItem &other) const;
    // New bytes for an embedded document (its application saved it): the
    // preview is made again from them.
    void ReplaceBytes(const QByteArray &newBytes);
    // The item's picture when its document is one (decoded once, on the
    // first request); null otherwise.
    BitmapPtr Preview() const;
    // Draws the item into the rectangle: its preview stretched, or a white
    // box with the icon of the document's type above its name and type.
    void DrawInto(CDC &dc, const RECT &rect) const;

private:
    mutable BitmapPtr m_preview;
    mutable bool m_previewTried = false;
};

} // namespace orvel
