// winlib/msgmap.cpp
#include "winlib/msgmap.h"

#include <vector>

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

namespace {

// Every class an IMPLEMENT_ macro entered, in the order of static construction.
std::vector<const CRuntimeClass*>& RuntimeClasses() {
    static std::vector<const CRuntimeClass*> classes;
    return classes;
}

}  // namespace

RuntimeClassRegistration::RuntimeClassRegistration(const CRuntimeClass* runtimeClass) {
    RuntimeClasses().push_back(runtimeClass);
}

}  // namespace winlib

CCmdTarget* CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->m_pfnGetBaseClass ? c->m_pfnGetBaseClass() : nullptr) {
        if (c == base)
            return TRUE;
    }
    return FALSE;
}

const CRuntimeClass* CRuntimeClass::FromName(LPCSTR className) {
    if (!className)
        return nullptr;
    for (const CRuntimeClass* c : winlib::RuntimeClasses()) {
        if (::lstrcmpA(c->m_lpszClassName, className) == 0)
            return c;
    }
    return nullptr;
}

CCmdTarget* CRuntimeClass::CreateObject(LPCSTR className) {
    const CRuntimeClass* c = FromName(className);
    return c ? c->CreateObject() : nullptr;
}

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", nullptr, nullptr};
static const winlib::RuntimeClassRegistration winlibRegistrationCCmdTarget(RUNTIME_CLASS(CCmdTarget));

const CRuntimeClass* CCmdTarget::GetRuntimeClass() const {
    return RUNTIME_CLASS(CCmdTarget);
}

BOOL CCmdTarget::IsKindOf(const CRuntimeClass* runtimeClass) const {
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

LONG CCmdTarget::InternalRelease() {
    const LONG left = ::InterlockedDecrement(&m_dwRef);
    if (left == 0)
        OnFinalRelease();
    return left;
}

void CCmdTarget::OnFinalRelease() {
    delete this;
}

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
