// winlib/msgmap.cpp
#include "winlib/msgmap.h"

namespace winlib {

const MsgMapEntry* FindMsgEntry(const MsgMap* map, UINT message, UINT code, UINT id) {
    const bool hasControl = message == WM_COMMAND || message == WM_NOTIFY ||
                            message == kReflectBase + WM_COMMAND || message == kReflectBase + WM_NOTIFY;
    for (; map; map = map->base ? map->base() : nullptr) {
        for (const MsgMapEntry* e = map->entries; e && e->thunk; ++e) {
            if (e->message != message)
                continue;
            if (hasControl && (e->code != code || id < e->idFirst || id > e->idLast))
                continue;
            return e;
        }
    }
    return nullptr;
}

}  // namespace winlib

const winlib::MsgMap* CCmdTarget::GetThisMessageMap() {
    static const winlib::MsgMapEntry kEntries[] = {{0, 0, 0, 0, nullptr}};
    static const winlib::MsgMap kMap = {nullptr, kEntries};
    return &kMap;
}

const winlib::MsgMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CCmdTarget::DispatchMsg(const winlib::MsgArgs& args, LRESULT* result) {
    const winlib::MsgMapEntry* entry =
        winlib::FindMsgEntry(GetMessageMap(), args.message, args.code, args.id);
    if (!entry)
        return FALSE;
    LRESULT r = 0;
    if (!entry->thunk(this, args, r))
        return FALSE;
    if (result)
        *result = r;
    return TRUE;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    return DispatchMsg(winlib::MsgArgs{WM_COMMAND, MAKEWPARAM(id, code), 0, id, code}, nullptr);
}
