#pragma once

#include "platform/Gdi.h"

#include <QString>

#include <functional>

#include <vector>

namespace orvel {

class CDataTable;
class CDrawObj;

// What form objects need to know while they draw themselves: the record the
// data fields show and the state of the view that draws.
struct DrawContext
{
    // The table whose fields the data fields show; null draws them without
    // names or values.
    const CDataTable *table = nullptr;
    // The current record, -1 for none.
    int record = -1;
    bool designMode = false;
    // Drawing for a printer or its preview: no trackers, no frame display.
    bool printing = false;
    // The class-wide display of the embedded documents' frames (command
    // 32984).
    bool showOleFrames = false;
    // The system colours of data fields and buttons.
    SysColors colors = kClassicColors;
    // The objects selected in the view that draws (in either mode); null
    // for none.
    const std::vector<CDrawObj *> *selection = nullptr;
    // Where the embedded pictures and documents of data fields are kept
    // (the document's working copy of its object file), and the database
    // file that relative picture paths start from.
    QString objectFile;
    QString databasePath;
    // Whether the OLE value of field `field` (display position) of record
    // `record` is open in its application: the data field draws it hatched.
    // Empty: nothing is open.
    std::function<bool(int record, int field)> isValueOpen;

    bool IsSelected(const CDrawObj *object) const;
};

// The mouse cursor over a handle of an object.
enum class HandleCursor {
    Arrow,
    SizeNorthWestSouthEast,
    SizeNorthSouth,
    SizeNorthEastSouthWest,
    SizeWestEast,
    SizeAll,
};

// The tracker states of DrawTracker: 0 draws nothing, 1 and 2 the handles.
inline constexpr int kTrackerNormal = 0;
inline constexpr int kTrackerSelected = 1;
inline constexpr int kTrackerActive = 2;

// The mouse key flags of a drag as the designer hands them on (the old
// button-message flags): left button 1, Shift 4, Ctrl 8.
inline constexpr unsigned kMouseLeftButton = 0x0001;
inline constexpr unsigned kMouseShift = 0x0004;
inline constexpr unsigned kMouseControl = 0x0008;

} // namespace orvel
