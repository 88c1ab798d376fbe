#include "platform/ui/CheckedInteger.h"

#include "platform/Services.h"
#include "resources/StringIds.h"

#include <QLineEdit>

#include <charconv>

namespace orvel {

std::optional<int> CheckedInteger(QLineEdit *edit, int minimum, int maximum)
{
    const QByteArray text = edit->text().trimmed().toLatin1();
    const char *end = text.constData() + text.size();
    long long number = 0;
    const auto [stop, error] = std::from_chars(text.constData(), end, number);
    const bool isNumber =
            !text.isEmpty() && stop == end && (error == std::errc() || error == std::errc::result_out_of_range);
    std::optional<int> value;
    if (!isNumber)
        MessageBoxById(ids::kMsgEnterInteger, MsgIcon::Exclamation);
    else if (error != std::errc() || number < minimum || number > maximum)
        MessageBoxById(ids::kMsgEnterIntegerBetween, MsgIcon::Exclamation, MsgButtons::Ok,
                       {QString::number(minimum), QString::number(maximum)});
    else
        value = int(number);
    if (!value) {
        edit->setFocus();
        edit->selectAll();
    }
    return value;
}

} // namespace orvel
