#pragma once

#include "form/EmbeddedItem.h"

namespace orvel {

class CDrawEdit;

// The embedded document an OLE data field shows for the current record. The
// value itself lives in the binary-object store as an archive holding one
// reference to such an item; the data field keeps only a display copy.
class CDrawEditItem : public CEmbeddedItem
{
    ORVEL_DECLARE_CLASS(CDrawEditItem);

public:
    // The data field showing this item.
    CDrawEdit *drawEdit = nullptr;
};

} // namespace orvel
