#include "platform/ScriptedServices.h"

#include "platform/ConsoleServices.h"

#include <algorithm>

namespace orvel {

class ScriptedProgress : public ProgressBox
{
public:
    explicit ScriptedProgress(ScriptedServices &owner)
        : m_owner(owner)
    {}
    ~ScriptedProgress() override { m_owner.m_progress.push_back({ScriptedServices::ProgressEvent::End}); }
    void setCaption(int captionId) override
    {
        m_owner.m_progress.push_back({ScriptedServices::ProgressEvent::Caption, captionId});
    }
    void setRange(int low, int high) override
    {
        m_owner.m_progress.push_back({ScriptedServices::ProgressEvent::Range, low, high});
    }
    void setPos(int pos) override
    {
        m_pos = pos;
        m_owner.m_progress.push_back({ScriptedServices::ProgressEvent::Pos, pos});
    }
    int pos() const override { return m_pos; }

private:
    ScriptedServices &m_owner;
    int m_pos = 0;
};

std::vector<int> ScriptedServices::messageIds() const
{
    std::vector<int> ids;
    ids.reserve(m_messages.size());
    for (const Message &m : m_messages)
        ids.push_back(m.id);
    return ids;
}

bool ScriptedServices::sawMessage(int id) const
{
    return std::any_of(m_messages.begin(), m_messages.end(), [id](const Message &m) { return m.id == id; });
}

void ScriptedServices::clear()
{
    m_messages.clear();
    m_progress.clear();
}

MsgResult ScriptedServices::showMessage(const Message &message)
{
    m_messages.push_back(message);
    if (message.buttons == MsgButtons::Ok)
        return MsgResult::Ok;
    if (!m_answers.empty()) {
        const MsgResult answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return m_defaultAnswer.value_or(AffirmativeAnswer(message.buttons));
}

std::unique_ptr<ProgressBox> ScriptedServices::beginProgress(int captionId, int low, int high)
{
    m_progress.push_back({ProgressEvent::Begin, captionId});
    auto box = std::make_unique<ScriptedProgress>(*this);
    box->setCaption(captionId);
    box->setRange(low, high);
    return box;
}

bool ScriptedServices::pollEscape()
{
    ++m_polls;
    if (m_escapeAt != 0 && m_polls == m_escapeAt) {
        m_escapeAt = 0;
        return true;
    }
    return false;
}

QString ScriptedServices::getOpenFileName(const QString &, const QString &, int *, const QString &)
{
    if (m_fileNames.empty())
        return QString();
    QString name = m_fileNames.front();
    m_fileNames.pop_front();
    return name;
}

QString ScriptedServices::getSaveFileName(const QString &title, const QString &, const QString &filter,
                                          int *filterIndex, const QString &defaultSuffix)
{
    return getOpenFileName(title, filter, filterIndex, defaultSuffix);
}

std::optional<uint32_t> ScriptedServices::chooseColor(uint32_t initial)
{
    m_colorRequests.push_back(initial);
    if (m_colors.empty())
        return std::nullopt;
    const std::optional<uint32_t> color = m_colors.front();
    m_colors.pop_front();
    return color;
}

std::optional<ChosenFont> ScriptedServices::chooseFont(const LOGFONT &initial, COLORREF initialColor)
{
    m_fontRequests.push_back({initial, initialColor});
    if (m_fonts.empty())
        return std::nullopt;
    std::optional<ChosenFont> font = std::move(m_fonts.front());
    m_fonts.pop_front();
    return font;
}

} // namespace orvel
