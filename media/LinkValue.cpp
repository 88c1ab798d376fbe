#include "media/LinkValue.h"

namespace orvel {

LinkValue LinkValue::Parse(AnsiView value)
{
    LinkValue link;
    AnsiString *parts[] = {&link.caption, &link.file, &link.parameters};
    std::size_t start = 0;
    for (AnsiString *part : parts) {
        const std::size_t comma = value.find(',', start);
        if (comma == AnsiView::npos) {
            *part = AnsiString(value.substr(start));
            return link;
        }
        *part = AnsiString(value.substr(start, comma - start));
        ++link.separators;
        start = comma + 1;
    }
    link.action = AnsiString(value.substr(start));
    return link;
}

AnsiString LinkValue::Compose() const
{
    AnsiString value;
    value.reserve(caption.size() + file.size() + parameters.size() + action.size() + 3);
    value.append(caption).append(1, ',').append(file).append(1, ',').append(parameters).append(1, ',').append(action);
    return value;
}

AnsiString LinkValue::DialogAction() const
{
    return separators >= 2 && action.empty() ? AnsiString(kDefaultLinkAction) : action;
}

AnsiString LinkValue::EffectiveAction() const
{
    return action.empty() ? AnsiString(kDefaultLinkAction) : action;
}

AnsiView LinkCaption(AnsiView value)
{
    return value.substr(0, value.find(','));
}

} // namespace orvel
