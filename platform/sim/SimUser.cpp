#include "platform/sim/SimUser.h"

#include "platform/WinConstants.h"

SimUser::Answer SimUser::MessageBox(win::HWND owner, const char* text, const char* caption,
                                    win::UINT type)
{
    // The first button, the default of every box the launcher shows, at once.
    Answer answer = {win::IDOK, 0};
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    // A null caption shows as "Error", as on Windows.
    m_trace.Record({{"effect", "message_box"},
                    {"owner", owner == nullptr ? nlohmann::json() : nlohmann::json("window")},
                    {"caption", caption ? caption : "Error"},
                    {"text", text ? text : ""},
                    {"style", type},
                    {"answer", answer.answer}});
    return answer;
}
