#pragma once

#include "platform/Services.h"

#include <map>
#include <optional>

namespace orvel {

// Services without a display (orvel-cli): every message that is not a
// question goes to standard error as one line "<id>: <text>" with each line
// break written as a blank; questions are answered as the command needs,
// without being printed. There is no progress display and no Escape key.
class ConsoleServices : public Services
{
public:
    // The answer to questions with this id; others get the default answer.
    void setAnswer(int id, MsgResult answer) { m_answers[id] = answer; }
    // Default: Yes for Yes/No questions, OK for OK/Cancel, Cancel for retries.
    void setDefaultAnswer(std::optional<MsgResult> answer) { m_defaultAnswer = answer; }

    // One message as the console prints it (without the line end).
    static QString FormatLine(const Message &message);

    MsgResult showMessage(const Message &message) override;
    std::unique_ptr<ProgressBox> beginProgress(int captionId, int low, int high) override;
    void beginWaitCursor() override {}
    void endWaitCursor() override {}
    bool pollEscape() override { return false; }
    QString getOpenFileName(const QString &, const QString &, int *, const QString &) override { return QString(); }
    QString getSaveFileName(const QString &, const QString &, const QString &, int *, const QString &) override
    {
        return QString();
    }
    std::optional<uint32_t> chooseColor(uint32_t) override { return std::nullopt; }
    std::optional<ChosenFont> chooseFont(const LOGFONT &, COLORREF) override { return std::nullopt; }

private:
    std::map<int, MsgResult> m_answers;
    std::optional<MsgResult> m_defaultAnswer;
};

// The answer a dialog gives when the user accepts it: the first button.
MsgResult AffirmativeAnswer(MsgButtons buttons);

} // namespace orvel
