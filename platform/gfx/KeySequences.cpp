#include "platform/gfx/KeySequences.h"

namespace orvel {

QKeySequence KeySequenceOf(const Command &command)
{
    return QKeySequence::fromString(command.key, QKeySequence::PortableText);
}

} // namespace orvel
