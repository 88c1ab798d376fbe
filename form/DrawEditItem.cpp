#include "form/DrawEditItem.h"

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawEditItem, CEmbeddedItem, 0);

} // namespace orvel
