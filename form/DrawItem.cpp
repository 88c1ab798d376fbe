#include "form/DrawItem.h"

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawItem, CEmbeddedItem, 0);

} // namespace orvel
