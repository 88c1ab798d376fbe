#include "platform/ConsoleServices.h"

#include <cstdio>

namespace orvel {
namespace {

class SilentProgress : public ProgressBox
{
public:
    void setCaption(int) override {}
    void setRange(int, int) override {}
    void setPos(int pos) override { m_pos = pos; }
    int pos() const override { return m_pos; }

private:
    int m_pos = 0;
};

bool isQuestion(MsgButtons buttons)
{
    return buttons != MsgButtons::Ok;
}

} // namespace

MsgResult AffirmativeAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
        return MsgResult::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgResult::Yes;
    case MsgButtons::RetryCancel:
        return MsgResult::Retry;
    case MsgButtons::AbortRetryIgnore:
        return MsgResult::Abort;
    }
    return MsgResult::Ok;
}

QString ConsoleServices::FormatLine(const Message &message)
{
    QString text = message.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    return QString::number(message.id) + QStringLiteral(": ") + text;
}

MsgResult ConsoleServices::showMessage(const Message &message)
{
    if (!isQuestion(message.buttons)) {
        const QByteArray line = FormatLine(message).toUtf8();
        std::fprintf(stderr, "%s\n", line.constData());
        std::fflush(stderr);
        return MsgResult::Ok;
    }
    if (const auto it = m_answers.find(message.id); it != m_answers.end())
        return it->second;
    if (m_defaultAnswer)
        return *m_defaultAnswer;
    // Retrying without a user would loop for ever.
    if (message.buttons == MsgButtons::RetryCancel)
        return MsgResult::Cancel;
    return AffirmativeAnswer(message.buttons);
}

std::unique_ptr<ProgressBox> ConsoleServices::beginProgress(int, int, int)
{
    return std::make_unique<SilentProgress>();
}

} // namespace orvel
