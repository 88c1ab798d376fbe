#pragma once

#include "form/EmbeddedItem.h"

namespace orvel {

class CDrawOleObj;

// The embedded document of an OLE object on the form. Owned by its object.
class CDrawItem : public CEmbeddedItem
{
    ORVEL_DECLARE_CLASS(CDrawItem);

public:
    // The object showing this item; set when the object takes it.
    CDrawOleObj *drawObj = nullptr;
};

} // namespace orvel
