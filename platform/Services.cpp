#include "platform/Services.h"

#include "platform/ConsoleServices.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace orvel {
namespace {

Services *g_services = nullptr;

Services &fallbackServices()
{
    static ConsoleServices console;
    return console;
}

} // namespace

QString FormatMessageText(const QString &pattern, const QStringList &args)
{
    QString result;
    result.reserve(pattern.size() + 32);
    qsizetype nextSequential = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c != u'%' || i + 1 == pattern.size()) {
            result.append(c);
            continue;
        }
        const QChar n = pattern.at(i + 1);
        if (n == u'%') {
            result.append(u'%');
            ++i;
        } else if (n >= u'1' && n <= u'9') {
            const qsizetype index = n.unicode() - u'1';
            if (index < args.size())
                result.append(args.at(index));
            ++i;
        } else {
            // printf conversions: an optional "l", then s, u, d or i.
            qsizetype j = i + 1;
            if (j < pattern.size() && pattern.at(j) == u'l')
                ++j;
            if (j < pattern.size()
                && (pattern.at(j) == u's' || pattern.at(j) == u'u' || pattern.at(j) == u'd' || pattern.at(j) == u'i')) {
                if (nextSequential < args.size())
                    result.append(args.at(nextSequential));
                ++nextSequential;
                i = j;
            } else {
                result.append(c);
            }
        }
    }
    return result;
}

Services &services()
{
    return g_services ? *g_services : fallbackServices();
}

Services *installServices(Services *s)
{
    Services *previous = g_services;
    g_services = s;
    return previous;
}

MsgResult MessageBoxById(int id, MsgIcon icon, MsgButtons buttons, const QStringList &args)
{
    Message message;
    message.id = id;
    message.text = FormatMessageText(LoadQString(id), args);
    message.icon = icon;
    message.buttons = buttons;
    return services().showMessage(message);
}

MsgResult MessageBoxText(int id, const QString &text, MsgIcon icon, MsgButtons buttons)
{
    return services().showMessage(Message{id, text, icon, buttons});
}

bool EscapePressedAndConfirmed()
{
    if (!services().pollEscape())
        return false;
    return MessageBoxById(ids::kMsgCancelOperation, MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes;
}

} // namespace orvel
