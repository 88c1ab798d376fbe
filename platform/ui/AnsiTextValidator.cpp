#include "platform/ui/AnsiTextValidator.h"

#include "platform/Codepage.h"

namespace orvel {

QValidator::State AnsiTextValidator::validate(QString &input, int &) const
{
    return IsAnsiRepresentable(input) ? Acceptable : Invalid;
}

} // namespace orvel
