// Objects that take messages and commands through static message maps.
//
// A class's map is a constant table of entries and a link to its base's map;
// a message is looked up from the most derived class towards the root, so an
// entry of a derived class wins over one of its base. Each entry calls its
// handler through a small function made from the handler's form, so the
// tables hold plain function pointers and need no start-up code.
#pragma once

#include "platform/Platform.h"

class CCmdTarget;

struct MessageMapEntry {
    win::UINT message;   // 0 ends a class's entries
    win::UINT commandId; // for WM_COMMAND: the command or control ID; else 0
    win::LRESULT (*call)(CCmdTarget& target, win::WPARAM wParam, win::LPARAM lParam);
};

struct MessageMap {
    const MessageMap* base; // null at the root
    const MessageMapEntry* entries;
};

// The forms a handler can have, one function each.
namespace handler {

// No arguments, no result (WM_PAINT, commands).
template <class T, void (T::*Handler)()>
win::LRESULT Plain(CCmdTarget& target, win::WPARAM, win::LPARAM)
{
    (static_cast<T&>(target).*Handler)();
    return 0;
}

// No arguments; the cursor handle is the message's result (WM_QUERYDRAGICON).
template <class T, win::HCURSOR (T::*Handler)()>
win::LRESULT ReturnsCursor(CCmdTarget& target, win::WPARAM, win::LPARAM)
{
    return reinterpret_cast<win::LRESULT>((static_cast<T&>(target).*Handler)());
}

// The timer's ID from wParam (WM_TIMER).
template <class T, void (T::*Handler)(win::UINT_PTR)>
win::LRESULT TimerId(CCmdTarget& target, win::WPARAM wParam, win::LPARAM)
{
    (static_cast<T&>(target).*Handler)(wParam);
    return 0;
}

} // namespace handler

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Runs the handler of command `id`, when this object's maps have one.
    bool OnCommand(win::UINT id);

protected:
    virtual const MessageMap* GetMessageMap() const;

    // The entry that takes `message` (for WM_COMMAND: command `id`), or null.
    const MessageMapEntry* FindEntry(win::UINT message, win::UINT id) const;

    static const MessageMap kMessageMap;
};
