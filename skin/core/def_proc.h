// skin/core/def_proc.h
//
// How a skin object falls back to what would have happened without the skin.
// Every message the skin routes pushes a default-procedure descriptor naming
// the call that the window's own code was about to make (or the window's
// previous procedure); the object's DefWindowProc calls whatever the top
// descriptor names. And the decision whether a replaced default procedure
// (DefWindowProc, DefDlgProc, DefFrameProc, DefMDIChildProc, CallWindowProc)
// hands a message to the skin first. Portable: the calls go through a Calls
// type, the system's on Windows and fakes in the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plym {

// What a descriptor calls.
enum DefProcKind {
    kDefProcPrevious = 0,        // the window's previous window procedure
    kDefProcCallWindowProc = 1,  // CallWindowProc (extra: the procedure it was given)
    kDefProcDefWindowProc = 2,
    kDefProcDefMDIChildProc = 3,
    kDefProcDefFrameProc = 4,  // DefFrameProc (extra: the MDI client window)
    kDefProcDefDlgProc = 5,
};

struct DefProcDescriptor {
    int kind = kDefProcPrevious;
    uintptr_t procedure = 0;  // the unpatched system function (kinds 1 to 5)
    uintptr_t extra = 0;      // kind 1: the target procedure; kind 4: the MDI client; else 0
    uint32_t message = 0;     // the message being handled
};

// The pushed calls of one skin object, the last pushed on top. Not locked:
// the skin object guards it.
class DefProcStack {
  public:
    DefProcStack() { calls_.reserve(10); }
    void Push(const DefProcDescriptor& call) { calls_.push_back(call); }
    // Nothing on an empty stack.
    void Pop() {
        if (!calls_.empty())
            calls_.pop_back();
    }
    const DefProcDescriptor* Top() const { return calls_.empty() ? nullptr : &calls_.back(); }
    // The message of the top call, 0 when none.
    uint32_t CurrentMessage() const { return calls_.empty() ? 0 : calls_.back().message; }
    size_t Depth() const { return calls_.size(); }

  private:
    std::vector<DefProcDescriptor> calls_;
};

// Calls what `top` names (the previous procedure when there is no top):
//   kind 0            Calls::Previous(previous, window, message, wParam, lParam)
//   kind 1            Calls::Chain(procedure, extra, window, message, wParam, lParam)
//   kinds 2, 3 and 5  Calls::Plain(procedure, window, message, wParam, lParam)
//   kind 4            Calls::Frame(procedure, window, extra, message, wParam, lParam)
//   any other kind    0, nothing called.
template <class Calls>
typename Calls::Result CallDefProc(const DefProcDescriptor* top,
                                   uintptr_t previous,
                                   typename Calls::Window window,
                                   uint32_t message,
                                   typename Calls::WParam wParam,
                                   typename Calls::LParam lParam) {
    if (!top || top->kind == kDefProcPrevious)
        return Calls::Previous(previous, window, message, wParam, lParam);
    switch (top->kind) {
        case kDefProcCallWindowProc:
            return Calls::Chain(top->procedure, top->extra, window, message, wParam, lParam);
        case kDefProcDefWindowProc:
        case kDefProcDefMDIChildProc:
        case kDefProcDefDlgProc:
            return Calls::Plain(top->procedure, window, message, wParam, lParam);
        case kDefProcDefFrameProc:
            return Calls::Frame(top->procedure, window, top->extra, message, wParam, lParam);
        default:
            return typename Calls::Result(0);
    }
}

// What a replaced default procedure knows when a message reaches it.
struct DefRouteFacts {
    bool enabled = false;      // the skin manager is enabled
    bool hasObject = false;    // the window has a skin object
    bool skinningOff = false;  // the window switched skinning off
    uint32_t message = 0;
    uint32_t currentDefProcMessage = 0;  // the object's top descriptor's message
    bool ncDestroy = false;              // the message is WM_NCDESTROY
    bool subclassed = false;             // the framework's window procedure is installed
    int kind = kDefProcDefWindowProc;    // the replaced function's descriptor kind
    bool defaultProcOnly = false;        // the object's IsDefaultProcOnly(message)
    uintptr_t target = 0;                // kind 1: the procedure CallWindowProc was given
    bool targetInSystemModule = false;
    bool win9x = false;
};

enum class DefRoute {
    kPass,           // the unpatched function runs; the skin does nothing
    kDetachAndPass,  // the skin object leaves the window, then as kPass
    kRoute,          // the skin's message map sees the message first
};

// The replaced default procedures' decision: the skin acts only for an
// enabled manager and a window with skinning on; never for the message it is
// already falling back with (so that its own fall-back reaches the system);
// WM_NCDESTROY on a window that is not subclassed detaches its object; and
// CallWindowProc into an application procedure lets the chain run on, so
// that the skin acts where it reaches the system or a default procedure.
DefRoute ChooseDefProcRoute(const DefRouteFacts& facts);

}  // namespace plym
