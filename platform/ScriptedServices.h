#pragma once

#include "platform/Services.h"

#include <deque>
#include <optional>
#include <vector>

namespace orvel {

// Services for tests: records every message and progress step, answers
// questions and file dialogs from a script, and presses Escape on request.
class ScriptedServices : public Services
{
public:
    struct ProgressEvent
    {
        enum Kind { Begin, Caption, Range, Pos, End } kind;
        int a = 0;
        int b = 0;
    };

    // Answers for the next questions, in order. When the script is empty a
    // question gets the default answer (the affirmative button unless set).
    void queueAnswer(MsgResult answer) { m_answers.push_back(answer); }
    void setDefaultAnswer(std::optional<MsgResult> answer) { m_defaultAnswer = answer; }
    // The n-th poll from now (1 = the next one) reports Escape; 0 = never.
    void pressEscapeAtPoll(int n) { m_escapeAt = n > 0 ? m_polls + n : 0; }
    void queueFileName(const QString &name) { m_fileNames.push_back(name); }
    // The next colour dialogs choose these colours; nullopt cancels.
    void queueColor(std::optional<uint32_t> color) { m_colors.push_back(color); }
    // The initial colours the colour dialogs were opened on.
    const std::vector<uint32_t> &colorRequests() const { return m_colorRequests; }
    // The next font dialogs choose these fonts; nullopt cancels.
    void queueFont(std::optional<ChosenFont> font) { m_fonts.push_back(std::move(font)); }
    // The fonts and colours the font dialogs were opened on.
    struct FontRequest
    {
        LOGFONT font;
        COLORREF color = 0;
    };
    const std::vector<FontRequest> &fontRequests() const { return m_fontRequests; }

    const std::vector<Message> &messages() const { return m_messages; }
    std::vector<int> messageIds() const;
    bool sawMessage(int id) const;
    void clear();
    const std::vector<ProgressEvent> &progress() const { return m_progress; }
    int polls() const { return m_polls; }
    int waitCursorDepth() const { return m_waitDepth; }

    MsgResult showMessage(const Message &message) override;
    std::unique_ptr<ProgressBox> beginProgress(int captionId, int low, int high) override;
    void beginWaitCursor() override { ++m_waitDepth; }
    void endWaitCursor() override { --m_waitDepth; }
    bool pollEscape() override;
    QString getOpenFileName(const QString &title, const QString &filter, int *filterIndex,
                            const QString &defaultSuffix) override;
    QString getSaveFileName(const QString &title, const QString &proposedName, const QString &filter, int *filterIndex,
                            const QString &defaultSuffix) override;
    // Cancelled when no colour is queued.
    std::optional<uint32_t> chooseColor(uint32_t initial) override;
    // Cancelled when no font is queued.
    std::optional<ChosenFont> chooseFont(const LOGFONT &initial, COLORREF initialColor) override;

private:
    friend class ScriptedProgress;
    std::vector<Message> m_messages;
    std::deque<MsgResult> m_answers;
    std::optional<MsgResult> m_defaultAnswer;
    std::deque<QString> m_fileNames;
    std::deque<std::optional<uint32_t>> m_colors;
    std::vector<uint32_t> m_colorRequests;
    std::deque<std::optional<ChosenFont>> m_fonts;
    std::vector<FontRequest> m_fontRequests;
    std::vector<ProgressEvent> m_progress;
    int m_polls = 0;
    int m_escapeAt = 0;
    int m_waitDepth = 0;
};

} // namespace orvel
