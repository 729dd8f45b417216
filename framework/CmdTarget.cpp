#include "framework/CmdTarget.h"

#include "platform/WinConstants.h"

namespace {

const MessageMapEntry kNoEntries[] = {{0, 0, nullptr}};

} // namespace

const MessageMap CCmdTarget::kMessageMap = {nullptr, kNoEntries};

const MessageMap* CCmdTarget::GetMessageMap() const { return &kMessageMap; }

const MessageMapEntry* CCmdTarget::FindEntry(win::UINT message, win::UINT id) const
{
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (const MessageMapEntry* entry = map->entries; entry->message != 0; ++entry) {
            if (entry->message == message && (message != win::WM_COMMAND || entry->commandId == id))
                return entry;
        }
    }
    return nullptr;
}

bool CCmdTarget::OnCommand(win::UINT id)
{
    const MessageMapEntry* entry = FindEntry(win::WM_COMMAND, id);
    if (entry == nullptr)
        return false;
    entry->call(*this, id, 0);
    return true;
}
