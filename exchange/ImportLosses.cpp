#include "exchange/ImportLosses.h"

#include "platform/Services.h"

namespace orvel {

namespace {
constexpr int kMsgImportLosses = 523;
}

void ImportLosses::Add(const QString &line)
{
    if (!m_lines.contains(line))
        m_lines.append(line);
}

void ImportLosses::Report() const
{
    if (m_lines.isEmpty())
        return;
    MessageBoxById(kMsgImportLosses, MsgIcon::Exclamation, MsgButtons::Ok, {m_lines.join(QLatin1Char('\n'))});
}

} // namespace orvel
