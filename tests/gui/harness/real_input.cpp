// tests/gui/harness/real_input.cpp
#include "tests/gui/harness/real_input.h"

#include "tests/gui/harness/known_desktop.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <thread>

namespace vekgui {

namespace {

Hand*& Current() {
    static Hand* current = nullptr;
    return current;
}

POINT Cursor() {
    POINT p{-1, -1};
    ::GetCursorPos(&p);
    return p;
}

std::string WindowText(HWND window) {
    if (!window)
        return "no window";
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    char handle[32];
    std::snprintf(handle, sizeof handle, "%p", static_cast<void*>(window));
    return std::string(handle) + " (" + name + ")";
}

const char* MessageName(UINT message) {
    switch (message) {
        case WM_MOUSEMOVE:
            return "WM_MOUSEMOVE";
        case WM_LBUTTONDOWN:
            return "WM_LBUTTONDOWN";
        case WM_LBUTTONUP:
            return "WM_LBUTTONUP";
        case WM_LBUTTONDBLCLK:
            return "WM_LBUTTONDBLCLK";
        case WM_RBUTTONDOWN:
            return "WM_RBUTTONDOWN";
        case WM_RBUTTONUP:
            return "WM_RBUTTONUP";
        case WM_RBUTTONDBLCLK:
            return "WM_RBUTTONDBLCLK";
        case WM_NCMOUSEMOVE:
            return "WM_NCMOUSEMOVE";
        case WM_NCLBUTTONDOWN:
            return "WM_NCLBUTTONDOWN";
        case WM_NCLBUTTONUP:
            return "WM_NCLBUTTONUP";
        case WM_NCLBUTTONDBLCLK:
            return "WM_NCLBUTTONDBLCLK";
        case WM_NCRBUTTONDOWN:
            return "WM_NCRBUTTONDOWN";
        case WM_NCRBUTTONUP:
            return "WM_NCRBUTTONUP";
        case WM_NCRBUTTONDBLCLK:
            return "WM_NCRBUTTONDBLCLK";
        case WM_KEYDOWN:
            return "WM_KEYDOWN";
        case WM_KEYUP:
            return "WM_KEYUP";
        case WM_SYSKEYDOWN:
            return "WM_SYSKEYDOWN";
        case WM_SYSKEYUP:
            return "WM_SYSKEYUP";
        default:
            return nullptr;
    }
}

bool IsMove(UINT m) {
    return m == WM_MOUSEMOVE || m == WM_NCMOUSEMOVE;
}
bool IsDown(UINT m, bool right) {
    return right ? m == WM_RBUTTONDOWN || m == WM_RBUTTONDBLCLK || m == WM_NCRBUTTONDOWN ||
                       m == WM_NCRBUTTONDBLCLK
                 : m == WM_LBUTTONDOWN || m == WM_LBUTTONDBLCLK || m == WM_NCLBUTTONDOWN ||
                       m == WM_NCLBUTTONDBLCLK;
}
bool IsUp(UINT m, bool right) {
    return right ? m == WM_RBUTTONUP || m == WM_NCRBUTTONUP : m == WM_LBUTTONUP || m == WM_NCLBUTTONUP;
}

DWORD ButtonFlag(bool right, bool down) {
    return down ? (right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN)
                : (right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}

INPUT Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Sent to the answer window: the watched thread sends the INPUT at lParam.
constexpr UINT kSendInput = WM_APP + 0x4E1;
constexpr char kAnswerClass[] = "VekHandAnswer";

LRESULT CALLBACK AnswerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSendInput) {
        INPUT* input = reinterpret_cast<INPUT*>(lParam);
        return static_cast<LRESULT>(::SendInput(1, input, sizeof *input));
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

std::string KeyText(WORD key) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", key);
    return text;
}

std::string StepText(const InputStep& step, POINT at) {
    switch (step.kind) {
        case InputStep::kMove:
            return "the move to " + PointText(step.at);
        case InputStep::kPress:
            return std::string(step.right ? "the right" : "the") + " press at " + PointText(at);
        case InputStep::kRelease:
            return std::string(step.right ? "the right" : "the") + " release at " + PointText(at);
        case InputStep::kKeyDown:
            return "key " + KeyText(step.key) + " down";
        case InputStep::kKeyUp:
            return "key " + KeyText(step.key) + " up";
        case InputStep::kAction:
            return step.what;
    }
    return "?";
}

}  // namespace

InputStep MoveTo(int x, int y) {
    InputStep step;
    step.kind = InputStep::kMove;
    step.at = {x, y};
    return step;
}
InputStep Press() {
    InputStep step;
    step.kind = InputStep::kPress;
    return step;
}
InputStep Release() {
    InputStep step;
    step.kind = InputStep::kRelease;
    return step;
}
InputStep RightPress() {
    InputStep step = Press();
    step.right = true;
    return step;
}
InputStep RightRelease() {
    InputStep step = Release();
    step.right = true;
    return step;
}
InputStep KeyDown(WORD key) {
    InputStep step;
    step.kind = InputStep::kKeyDown;
    step.key = key;
    return step;
}
InputStep KeyUp(WORD key) {
    InputStep step;
    step.kind = InputStep::kKeyUp;
    step.key = key;
    return step;
}
InputStep Act(std::string what, std::function<void()> action) {
    InputStep step;
    step.kind = InputStep::kAction;
    step.what = std::move(what);
    step.action = std::move(action);
    return step;
}

void SendMoveNow(POINT p) {
    INPUT input = MouseAt(0, p);
    ::SendInput(1, &input, sizeof input);
}

void SendButtonNow(POINT p, bool right, bool down) {
    INPUT input = MouseAt(ButtonFlag(right, down), p);
    ::SendInput(1, &input, sizeof input);
}

Hand::Hand(DWORD stepMs) : thread_(::GetCurrentThreadId()), stepMs_(stepMs), at_(Cursor()) {
    Current() = this;
    hook_ = ::SetWindowsHookExA(WH_GETMESSAGE, &Hand::OnMessage, nullptr, thread_);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &AnswerProcedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kAnswerClass;
    ::RegisterClassA(&wc);
    answer_ =
        ::CreateWindowExA(0, kAnswerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

Hand::~Hand() {
    if (answer_)
        ::DestroyWindow(answer_);
    if (hook_)
        ::UnhookWindowsHookEx(hook_);
    Current() = nullptr;
}

LRESULT CALLBACK Hand::OnMessage(int code, WPARAM wParam, LPARAM lParam) {
    Hand* hand = Current();
    if (code == HC_ACTION && hand) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (MessageName(msg->message)) {
            std::lock_guard<std::mutex> lock(hand->mutex_);
            // A message peeked and left is seen again when it is taken.
            if (hand->taken_.empty() || wParam == PM_REMOVE || hand->taken_.back().message != msg->message ||
                !Same(hand->taken_.back().pt, msg->pt))
                hand->taken_.push_back({msg->message, msg->hwnd, msg->pt, msg->wParam});
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

size_t Hand::TakenCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return taken_.size();
}

bool Hand::TakenSince(size_t from, const std::function<bool(const Taken&)>& match) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = from; i < taken_.size(); ++i) {
        if (match(taken_[i]))
            return true;
    }
    return false;
}

bool Hand::TookMoveAt(POINT p, size_t from) const {
    return TakenSince(from, [&](const Taken& t) { return IsMove(t.message) && Same(t.pt, p); });
}

std::string Hand::TakenSinceText(size_t from) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (from >= taken_.size())
        return "nothing";
    std::string text;
    for (size_t i = from; i < taken_.size(); ++i) {
        const Taken& t = taken_[i];
        if (!text.empty())
            text += ", ";
        text += MessageName(t.message);
        if (t.message >= WM_KEYFIRST && t.message <= WM_KEYLAST)
            text += " " + KeyText(static_cast<WORD>(t.wParam));
        else
            text += " at " + PointText(t.pt);
    }
    return text;
}

bool Hand::WatchedThreadTakesMouseAt(POINT p) const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (::GetGUIThreadInfo(thread_, &info) && info.hwndCapture)
        return true;
    const HWND under = ::WindowFromPoint(p);
    return under && ::GetWindowThreadProcessId(under, nullptr) == thread_;
}

bool Hand::SendFromWatchedThread(INPUT input) const {
    DWORD_PTR sent = 0;
    return ::SendMessageTimeoutA(answer_, kSendInput, 0, reinterpret_cast<LPARAM>(&input), SMTO_NORMAL,
                                 stepMs_, &sent) &&
           sent == 1;
}

std::string Hand::Before(HWND window, const InputStep& step, bool firstPress) const {
    if (step.kind == InputStep::kPress || step.kind == InputStep::kRelease) {
        return Await(stepMs_, [&]() -> std::string {
            const POINT now = Cursor();
            if (!Same(now, at_))
                return "the pointer left " + PointText(at_) + " for " + PointText(now);
            if (step.kind == InputStep::kRelease)
                return "";
            const HWND under = ::WindowFromPoint(at_);
            if (!under || ::GetWindowThreadProcessId(under, nullptr) != thread_)
                return "under the point is " + WindowText(under) + ", not a window of the test's thread";
            if (!firstPress)
                return "";
            const HWND top = ::GetAncestor(window, GA_ROOT);
            if (!::IsWindowVisible(top))
                return WindowText(top) + " is not shown";
            if (::GetForegroundWindow() != top)
                return "in front is " + WindowText(::GetForegroundWindow()) + ", not " + WindowText(top);
            if (under != window && !::IsChild(window, under))
                return "under the point is " + WindowText(under) + ", not " + WindowText(window);
            return "";
        });
    }
    if (step.kind == InputStep::kKeyDown || step.kind == InputStep::kKeyUp) {
        return Await(stepMs_, [&]() -> std::string {
            const HWND front = ::GetForegroundWindow();
            if (!front || ::GetWindowThreadProcessId(front, nullptr) != thread_)
                return "in front is " + WindowText(front) + ", not a window of the test's thread";
            return "";
        });
    }
    return "";
}

std::string Hand::SendStep(HWND window, const InputStep& step, bool firstPress) {
    const std::string before = Before(window, step, firstPress);
    if (!before.empty())
        return StepText(step, at_) + " was not sent: " + before;
    if (step.kind == InputStep::kAction) {
        step.action();
        return "";
    }

    // The input, and what it has to do.
    const size_t from = TakenCount();
    INPUT input{};
    std::optional<PointerMove> move;
    std::function<std::string()> effect;
    switch (step.kind) {
        case InputStep::kMove: {
            const POINT to = step.at;
            const bool taken = WatchedThreadTakesMouseAt(to);
            // The system tells no window of a move to where its pointer
            // already is: such a move would count without having done anything.
            if (taken && SystemPointerAt(to))
                return StepText(step, at_) +
                       " was not sent: the pointer is there already, so it would move nothing";
            move.emplace(to, [this](const INPUT& in) { return SendFromWatchedThread(in); });
            at_ = to;
            effect = [this, to, taken, from]() -> std::string {
                if (taken && !TookMoveAt(to, from)) {
                    return SystemPointerAt(to) ? "the test's thread took no move there"
                                               : "the system's pointer is not at " + PointText(to);
                }
                return PointerNotAt(to);
            };
            break;
        }
        case InputStep::kPress:
        case InputStep::kRelease: {
            const bool down = step.kind == InputStep::kPress;
            const bool right = step.right;
            const POINT at = at_;
            const bool taken = down || WatchedThreadTakesMouseAt(at);
            input = MouseAt(ButtonFlag(right, down), at);
            (right ? rightDown_ : leftDown_) = down;
            effect = [this, down, right, at, taken, from]() -> std::string {
                if (taken && !TakenSince(from, [&](const Taken& t) {
                        return (down ? IsDown(t.message, right) : IsUp(t.message, right)) && Same(t.pt, at);
                    }))
                    return "the test's thread took no button message there";
                return "";
            };
            break;
        }
        case InputStep::kKeyDown:
        case InputStep::kKeyUp: {
            const bool up = step.kind == InputStep::kKeyUp;
            const WORD key = step.key;
            input = Key(key, up);
            if (up)
                keysDown_.erase(std::remove(keysDown_.begin(), keysDown_.end(), key), keysDown_.end());
            else
                keysDown_.push_back(key);
            effect = [this, up, key, from]() -> std::string {
                if (!TakenSince(from, [&](const Taken& t) {
                        return t.wParam == key &&
                               (up ? t.message == WM_KEYUP || t.message == WM_SYSKEYUP
                                   : t.message == WM_KEYDOWN || t.message == WM_SYSKEYDOWN);
                    }))
                    return "the test's thread took no such key message";
                return "";
            };
            break;
        }
        case InputStep::kAction:
            break;
    }
    // The watched thread sends it: Wine then ignores what its display still
    // reports of the pointer from before (a window shown under it, a move
    // the hand made earlier), which would put the pointer back there.
    if (!(move ? move->Make() : SendFromWatchedThread(input)))
        return StepText(step, at_) + " was not sent: the test's thread did not send it within " +
               std::to_string(stepMs_) + " ms";
    // Now and then Wine moves the pointer on the display but not its own, or
    // a late report of the display takes the system's pointer back: a move
    // is made again by the rule every move keeps (PointerMove).
    std::string missing = Await(stepMs_, effect, [&] {
        if (move)
            move->MakeUnlessTaken();
    });
    if (!missing.empty() && move && move->Made() > 1)
        missing += " (sent " + std::to_string(move->Made()) + " times)";
    if (!missing.empty()) {
        return StepText(step, at_) + " took no effect within " + std::to_string(stepMs_) + " ms: " + missing +
               "; the test's thread took since: " + TakenSinceText(from);
    }
    // The thread has read the step's message; once it answers a message sent
    // now it has also done what that message starts, up to reading its queue
    // again (a press that starts a drag has taken the capture).
    DWORD_PTR answered = 0;
    if (!::SendMessageTimeoutA(answer_, WM_NULL, 0, 0, SMTO_NORMAL, stepMs_, &answered))
        return "the test's thread did not read its queue again within " + std::to_string(stepMs_) +
               " ms after " + StepText(step, at_);
    return "";
}

std::string Hand::Send(HWND window, const std::vector<InputStep>& steps) {
    bool pressed = false;
    for (size_t i = 0; i < steps.size(); ++i) {
        const bool firstPress = !pressed && steps[i].kind == InputStep::kPress;
        pressed = pressed || firstPress;
        const std::string failed = SendStep(window, steps[i], firstPress);
        if (!failed.empty())
            return "step " + std::to_string(i + 1) + " of " + std::to_string(steps.size()) + ", " + failed;
    }
    return "";
}

void Hand::LetGo() {
    if (leftDown_)
        SendFromWatchedThread(MouseAt(MOUSEEVENTF_LEFTUP, at_));
    if (rightDown_)
        SendFromWatchedThread(MouseAt(MOUSEEVENTF_RIGHTUP, at_));
    leftDown_ = rightDown_ = false;
    for (WORD key : keysDown_)
        SendFromWatchedThread(Key(key, true));
    keysDown_.clear();
}

std::string Hand::Run(HWND window, const std::vector<InputStep>& steps, const std::function<void()>& pump) {
    std::string failed;
    std::atomic<bool> done{false};
    std::thread hand([&] {
        failed = Send(window, steps);
        if (!failed.empty())
            LetGo();
        done = true;
    });
    while (!done) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pump();
    }
    hand.join();
    pump();
    return failed;
}

}  // namespace vekgui
