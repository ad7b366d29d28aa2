#include "message_map.h"

namespace {

bool IsCommand(UINT message) {
    return message == WM_COMMAND || message == WM_REFLECT_BASE + WM_COMMAND;
}

bool IsNotify(UINT message) {
    return message == WM_NOTIFY || message == WM_REFLECT_BASE + WM_NOTIFY;
}

bool Matches(const MessageMapEntry& entry, UINT message, WPARAM wParam, LPARAM lParam) {
    if (entry.message != message) return false;
    if (IsCommand(message)) {
        return entry.code == HIWORD(wParam) && (entry.id == 0 || entry.id == LOWORD(wParam));
    }
    if (IsNotify(message)) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header) return false;
        return entry.code == header->code && (entry.id == 0 || entry.id == header->idFrom);
    }
    return true;
}

}  // namespace

const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
    for (; map; map = map->base) {
        for (size_t i = 0; i < map->count; ++i) {
            if (Matches(map->entries[i], message, wParam, lParam)) return &map->entries[i];
        }
    }
    return nullptr;
}
