// tests/gui/harness/script.cpp
#include "tests/gui/harness/script.h"

#include <map>

namespace vekgui {

namespace {

// Thread timers carry no context: find the script by its timer id.
std::map<UINT_PTR, Script*>& Running() {
    static std::map<UINT_PTR, Script*> scripts;
    return scripts;
}

}  // namespace

Step Do(std::function<void()> action) {
    return [action = std::move(action)] {
        action();
        return true;
    };
}

Step WaitUntil(std::function<bool()> condition) {
    return condition;
}

Script::Script(std::vector<Step> steps, UINT tickMs, UINT timeoutMs)
    : steps_(std::move(steps)), timeoutMs_(timeoutMs) {
    timer_ = ::SetTimer(nullptr, 0, tickMs, &Script::OnTick);
    Running()[timer_] = this;
}

Script::~Script() {
    ::KillTimer(nullptr, timer_);
    Running().erase(timer_);
}

void CALLBACK Script::OnTick(HWND, UINT, UINT_PTR timer, DWORD) {
    auto it = Running().find(timer);
    if (it != Running().end())
        it->second->Tick();
}

void Script::Tick() {
    if (timedOut_)
        return;
    // The time counts from the first tick, when a loop runs the script: a slow
    // start of the program (or of Wine) is not the script's fault.
    if (!started_) {
        started_ = true;
        deadline_ = ::GetTickCount() + timeoutMs_;
    }
    if (!Finished() && static_cast<LONG>(::GetTickCount() - deadline_) > 0) {
        timedOut_ = true;
        ::PostQuitMessage(99);  // ends every loop, however deeply nested
        return;
    }
    if (next_ >= steps_.size()) {
        if (active_ == 0)
            ::KillTimer(nullptr, timer_);
        return;
    }
    // A step that runs a nested loop is still active when the next tick
    // comes: that tick runs the following step, inside the nested loop.
    const size_t index = next_++;
    ++active_;
    const bool done = steps_[index]();
    --active_;
    if (!done && next_ == index + 1)
        next_ = index;  // try it again next tick
}

int TakeQuitMessage() {
    MSG msg;
    if (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return static_cast<int>(msg.wParam);
    return -1;
}

void Click(HWND dialog, int id) {
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string WindowText(HWND window) {
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND FindOwnWindow(const char* caption) {
    struct Search {
        const char* caption;
        HWND found;
    } search{caption, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (::IsWindowVisible(window) && WindowText(window) == s->caption) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace vekgui
