#include "exchange/ImportLosses.h"

#include "platform/Services.h"
#include "resources/StringIds.h"

namespace orvel {

namespace {}

void ImportLosses::Add(const QString &line)
{
    if (!m_lines.contains(line))
        m_lines.append(line);
}

void ImportLosses::Report() const
{
    if (m_lines.isEmpty())
        return;
    MessageBoxById(ids::kMsgImportLosses, MsgIcon::Exclamation, MsgButtons::Ok, {m_lines.join(QLatin1Char('\n'))});
}

} // namespace orvel
