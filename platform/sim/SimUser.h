// The person at the simulated machine: answers message boxes in the order the
// scenario gives, then presses the default button.
#pragma once

#include <deque>

#include "platform/Platform.h"
#include "platform/sim/EffectTrace.h"

class SimUser {
public:
    explicit SimUser(EffectTrace& trace) : m_trace(trace) {}

    // How the person answers one message box: the button, after letting this
    // many timer ticks pass while the box is open.
    struct Answer {
        int answer;
        int ticksBefore;
    };

    void QueueAnswer(int answer, int ticksBefore = 0) { m_answers.push_back({answer, ticksBefore}); }

    // Records the box and takes the next answer.
    Answer MessageBox(win::HWND owner, const char* text, const char* caption, win::UINT type);

private:
    EffectTrace& m_trace;
    std::deque<Answer> m_answers;
};
