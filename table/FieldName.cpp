#include "table/FieldName.h"

namespace orvel {

AnsiString PlainFieldName(AnsiView name)
{
    AnsiString plain;
    plain.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        // The last "&" of a run is the one that is dropped.
        if (name[i] == '&' && (i + 1 == name.size() || name[i + 1] != '&'))
            continue;
        plain.push_back(name[i]);
    }
    return plain;
}

bool SamePlainFieldName(AnsiView a, AnsiView b)
{
    return PlainFieldName(a) == PlainFieldName(b);
}

} // namespace orvel
