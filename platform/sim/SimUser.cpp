#include "platform/sim/SimUser.h"

#include "platform/WinConstants.h"

int SimUser::MessageBox(win::HWND owner, const char* text, const char* caption, win::UINT type)
{
    int answer = win::IDOK; // the first button, the default of every box the launcher shows
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
                    {"answer", answer}});
    return answer;
}
