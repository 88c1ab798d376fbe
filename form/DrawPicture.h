#pragma once

#include "form/DrawObj.h"
#include "media/Lead.h"
#include "platform/TempFile.h"

namespace orvel {

// A picture from a file. A linked picture keeps only the file's path; an
// embedded one stores the file's bytes in the form and works from a private
// temporary copy (prefix "tmp"), which it owns and deletes.
//
// Pictures are decoded when first drawn: loading a form only hands the file
// to the imaging control.
class CDrawPicture : public CDrawObj
{
    ORVEL_DECLARE_CLASS(CDrawPicture);

public:
    CDrawPicture();
    explicit CDrawPicture(const RECT &position, const DrawColors &colors = {});
    ~CDrawPicture() override;

    void Serialize(CArchive &ar) override;

    // The file the picture shows: the private copy of an embedded picture,
    // else the path.
    QString GetPictureFile() const;

    // The bitmap stretched over the normalized position, or message 408
    // with the path when the picture cannot be loaded (found out on the
    // first drawing, since pictures are decoded then).
    void Draw(CDC &dc, const DrawContext &context) override;
    // With exactly the left button and Shift held a corner handle keeps the
    // bitmap's aspect ratio; edges and other drags size freely.
    void MoveHandleTo(int n, POINT point, unsigned keyFlags) override;
    // The same path and bitmap; an embedded picture gets a private copy of
    // its own (null when that copy cannot be made).
    std::unique_ptr<CDrawObj> Clone() const override;
    int GetMenuIndex(const CDataTable *) const override { return 5; } // "DrawPic"
    // Whether the picture failed to load; decodes a pending file first.
    bool LoadFailed();
    // An embedded picture keeps its bytes in a private temporary file: a
    // copy of `source`, or with an empty source the control's bitmap saved
    // as an 8-bit Windows bitmap (a scan). False when no copy could be made.
    bool MakePrivateCopy(const QString &source);

    // Imaging control; holds the bitmap.
    CLead viewer;
    // The picture file the object was made from (absolute in memory).
    AnsiString path;
    // The private copy of an embedded picture.
    TempFile tempPath;
    // 1: the file's bytes are stored in the form; 0: only the path.
    uint32_t embedded = 0;
    // Set when the picture could not be loaded (runtime).
    bool loadFailed = false;
    // Whether the path is stored relative to the database's folder; taken
    // from the "Relative Pfade" option at every store and load.
    uint32_t relativePath = 1;

private:
    void storePicture(CArchive &ar);
    void loadPicture(CArchive &ar);
};

} // namespace orvel
