// The person at the simulated machine: answers message boxes in the order the
// scenario gives, then presses the default button.
#pragma once

#include <deque>

#include "platform/Platform.h"
#include "platform/sim/EffectTrace.h"

class SimUser {
public:
    explicit SimUser(EffectTrace& trace) : m_trace(trace) {}

    void QueueAnswer(int answer) { m_answers.push_back(answer); }

    int MessageBox(win::HWND owner, const char* text, const char* caption, win::UINT type);

private:
    EffectTrace& m_trace;
    std::deque<int> m_answers;
};
