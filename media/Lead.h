#pragma once

// CLead: the imaging control behind every picture of the program. Each
// picture object on the form and each picture data field owns one (hidden);
// the insert-picture dialog owns a visible one as its preview. It holds one
// bitmap, loads it from a file, reports its size, depth, resolution and the
// format code of the file last examined, stretch-draws it, hands it to
// another instance and saves it as a Windows bitmap.
//
// Loading, saving and scanning report a result code: 0 (LeadOk) is success,
// anything else failure, and callers show their own messages.
//
// Pictures are decoded when first needed, not while a database is read:
// SetFileName() only remembers the file, and the first query of the bitmap
// (size, depth, drawing, handing it on) decodes it.

#include "media/PictureDecoder.h"
#include "media/PictureFormat.h"
#include "platform/Bitmap.h"
#include "platform/Gdi.h"

#include <QRectF>
#include <QString>

#include <functional>

namespace orvel {

enum LeadResult : short {
    LeadOk = 0,
    LeadFileNotFound = 1,  // the file is missing or cannot be read
    LeadBadFormat = 2,     // no decoder could read the file
    LeadNoBitmap = 3,      // saving without a bitmap
    LeadWriteFailed = 4,   // the file could not be written
    LeadUnsupported = 5,   // a format or depth this control does not write
    LeadNoScanner = 6,     // no scanner layer registered, or it failed
    LeadScanCancelled = 7, // the user ended the acquisition
};

// The scanner layer (SANE, above the core) plugs in here. `prepare` selects
// and opens the source; `acquire` scans one picture into *bitmap. Both
// return a LeadResult.
struct LeadScanner
{
    short (*prepare)() = nullptr;
    short (*acquire)(BitmapPtr *bitmap) = nullptr;
};
// Installs the scanner layer for all instances; returns the previous one.
LeadScanner SetLeadScanner(LeadScanner scanner);

class CLead
{
public:
    CLead() = default;
    CLead(const CLead &) = delete;
    CLead &operator=(const CLead &) = delete;

    // --- The bitmap ---------------------------------------------------------

    // The bitmap (decoding a pending file first); null when there is none.
    // A bitmap never changes, so handing it to another instance with
    // SetBitmap() is cheap: that is how the insert-picture dialog passes its
    // preview to the receiving picture.
    BitmapPtr GetBitmap();
    bool HasBitmap();
    // Takes a bitmap; null clears it. Drops a pending file and leaves the
    // format code of the last examined file as it was.
    void SetBitmap(BitmapPtr bitmap);
    void ClearBitmap() { SetBitmap(nullptr); }

    // --- Loading ------------------------------------------------------------

    // Remembers the file to show; it is decoded when the bitmap is first
    // needed. An empty name clears the bitmap. The result of that deferred
    // load is GetLoadResult().
    void SetFileName(const QString &path);
    const QString &GetFileName() const { return m_fileName; }
    bool IsLoadPending() const { return m_loadPending; }
    // Decodes a pending file now; returns the result of the last load.
    short EnsureLoaded();
    // The result of the last load (LeadOk before any).
    short GetLoadResult() const { return m_loadResult; }

    // Decodes the file now (the control's load). bitsPerPixel 0 keeps the
    // file's depth; page 0 is the first picture. On failure the bitmap is
    // cleared and the result is non-zero.
    short Load(const QString &path, short bitsPerPixel = 0, short page = 0);

    // Examines a file without decoding it: sets the format code and the
    // file's size and depth as GetInfo...() report them. Non-zero when the
    // file cannot be read or no decoder knows it.
    short GetFileInfo(const QString &path, short page = 0);
    // Format code of the file last examined or loaded (see PictureFormat.h).
    short GetInfoFormat() const { return m_infoFormat; }
    int GetInfoWidth() const { return m_infoWidth; }
    int GetInfoHeight() const { return m_infoHeight; }
    short GetInfoBits() const { return m_infoBits; }

    // --- Properties of the bitmap (0 without one) -----------------------------

    float GetBitmapWidth();
    float GetBitmapHeight();
    // 1, 4, 8, 16, 24 or 32.
    short GetBitsPerPixel();
    // Dots per inch as the file stated them (96 when it stated none).
    short GetXResolution();
    short GetYResolution();

    // --- Saving -------------------------------------------------------------

    // Writes the bitmap as a picture file. Format kPictureFormatWindowsBmp
    // with 8 bits per pixel (a 256-colour palette made from the picture) or
    // 24; `quality` and `multiPage` do not matter for that format. Other
    // formats and depths give LeadUnsupported. A failed write removes the
    // partial file.
    short Save(const QString &path, short format, short bitsPerPixel, short quality = 0, bool multiPage = false);

    // --- Display --------------------------------------------------------------

    // The part of the bitmap that is drawn, in bitmap pixels; an empty
    // rectangle (the default) means the whole bitmap.
    void SetSrcRect(float left, float top, float width, float height);
    QRectF GetSrcRect() const { return m_srcRect; }
    // Where the preview shows the bitmap, in window pixels; empty means the
    // whole window. Kept for the widget that shows this control.
    void SetDstRect(float left, float top, float width, float height);
    QRectF GetDstRect() const { return m_dstRect; }

    // Stretches the source part of the bitmap into `target` (smoothly, since
    // pictures are mostly shrunk). Draws nothing without a bitmap; returns
    // whether a bitmap was drawn.
    bool Draw(CDC &dc, const RECT &target);

    // The widget showing this control repaints through this handler.
    void SetRepaintHandler(std::function<void()> handler) { m_repaint = std::move(handler); }
    void ForceRepaint();

    // --- Scanning ---------------------------------------------------------------

    // Through the installed scanner layer; LeadNoScanner without one. A
    // failed acquisition clears the bitmap.
    short SelectSource();
    short Acquire();

    // --- Switches without effect here -----------------------------------------

    // The hosting code sets two boolean switches of the control after
    // creating it (ids 2 and 16). They change nothing in this stand-in but
    // are kept so that what was set can be read back.
    void SetSwitch(int id, bool value);
    bool GetSwitch(int id) const;

private:
    void loadPending();

    BitmapPtr m_bitmap;
    QString m_fileName;
    bool m_loadPending = false;
    short m_loadResult = LeadOk;
    short m_infoFormat = kPictureFormatUnknown;
    int m_infoWidth = 0;
    int m_infoHeight = 0;
    short m_infoBits = 0;
    QRectF m_srcRect;
    QRectF m_dstRect;
    std::function<void()> m_repaint;
    unsigned m_switches = 0;
};

} // namespace orvel
