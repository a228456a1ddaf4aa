// tests/gui/harness/known_desktop.cpp
#include "tests/gui/harness/known_desktop.h"

#include <cstdio>
#include <vector>

namespace vekgui {

namespace {

// user32's functions, taken from the module the program loaded: this file
// must not import user32 itself (see the header).
struct User32 {
    decltype(&::EnumWindows) EnumWindows;
    decltype(&::GetAsyncKeyState) GetAsyncKeyState;
    decltype(&::GetClassNameA) GetClassNameA;
    decltype(&::GetCursorPos) GetCursorPos;
    decltype(&::GetDesktopWindow) GetDesktopWindow;
    decltype(&::GetMouseMovePointsEx) GetMouseMovePointsEx;
    decltype(&::GetSystemMetrics) GetSystemMetrics;
    decltype(&::GetWindowTextA) GetWindowTextA;
    decltype(&::GetWindowThreadProcessId) GetWindowThreadProcessId;
    decltype(&::IsWindowVisible) IsWindowVisible;
    decltype(&::MapVirtualKeyA) MapVirtualKeyA;
    decltype(&::SendInput) SendInput;
    decltype(&::SendMessageTimeoutA) SendMessageTimeoutA;
};

template <class Function>
bool Take(HMODULE module, const char* name, Function& function) {
    const FARPROC address = ::GetProcAddress(module, name);
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    return address != nullptr;
}

const User32* Loaded() {
    static const User32* const loaded = []() -> const User32* {
        static User32 table{};
        const HMODULE module = ::GetModuleHandleA("user32.dll");
        if (!module)
            return nullptr;
        const bool all = Take(module, "EnumWindows", table.EnumWindows) &&
                         Take(module, "GetAsyncKeyState", table.GetAsyncKeyState) &&
                         Take(module, "GetClassNameA", table.GetClassNameA) &&
                         Take(module, "GetCursorPos", table.GetCursorPos) &&
                         Take(module, "GetDesktopWindow", table.GetDesktopWindow) &&
                         Take(module, "GetMouseMovePointsEx", table.GetMouseMovePointsEx) &&
                         Take(module, "GetSystemMetrics", table.GetSystemMetrics) &&
                         Take(module, "GetWindowTextA", table.GetWindowTextA) &&
                         Take(module, "GetWindowThreadProcessId", table.GetWindowThreadProcessId) &&
                         Take(module, "IsWindowVisible", table.IsWindowVisible) &&
                         Take(module, "MapVirtualKeyA", table.MapVirtualKeyA) &&
                         Take(module, "SendInput", table.SendInput) &&
                         Take(module, "SendMessageTimeoutA", table.SendMessageTimeoutA);
        return all ? &table : nullptr;
    }();
    return loaded;
}

// How long the system's pointer must have kept its place before GetCursorPos
// reads the display's.
constexpr DWORD kReadsDisplayAfterMs = 100;
// A move whose effect has not come after this long is made again.
constexpr DWORD kAgainMs = 500;

std::string PointText(POINT p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

bool Same(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

// The newest place of the system's pointer history is `p`: true, with the
// time the system took it.
bool NewestPlace(const User32& u, POINT p, DWORD* time) {
    MOUSEMOVEPOINT in{p.x, p.y, 0, 0};
    MOUSEMOVEPOINT out[64];
    // The history runs from the newest place; the copy starts at the newest
    // entry that matches, so a full copy means that entry is the newest.
    if (u.GetMouseMovePointsEx(sizeof in, &in, out, 64, GMMP_USE_DISPLAY_POINTS) != 64)
        return false;
    *time = out[0].time;
    return true;
}

std::string WindowText(const User32& u, HWND window) {
    char name[64] = {};
    char title[64] = {};
    u.GetClassNameA(window, name, sizeof name);
    u.GetWindowTextA(window, title, sizeof title);
    DWORD process = 0;
    u.GetWindowThreadProcessId(window, &process);
    char text[256];
    std::snprintf(text, sizeof text, "%p (%s \"%s\", process %lu)", static_cast<void*>(window), name, title,
                  static_cast<unsigned long>(process));
    return text;
}

// Waits until `missing` returns "" or `deadlineMs` pass: "" or the last
// thing it said was missing.
template <class Missing>
std::string Await(DWORD deadlineMs, Missing missing) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        std::string what = missing();
        if (what.empty() || ::GetTickCount() - start > deadlineMs)
            return what;
        ::Sleep(2);
    }
}

// The buttons and modifier keys an earlier program left held down, let go.
std::string LetGo(const User32& u, DWORD deadlineMs) {
    struct Button {
        int key;
        const char* name;
        bool mouse;
        DWORD up;
    };
    static const Button kButtons[] = {
        {VK_LBUTTON, "the left button", true, MOUSEEVENTF_LEFTUP},
        {VK_RBUTTON, "the right button", true, MOUSEEVENTF_RIGHTUP},
        {VK_MBUTTON, "the middle button", true, MOUSEEVENTF_MIDDLEUP},
        {VK_SHIFT, "Shift", false, 0},
        {VK_CONTROL, "Ctrl", false, 0},
        {VK_MENU, "Alt", false, 0},
    };
    for (const Button& button : kButtons) {
        if (!(u.GetAsyncKeyState(button.key) & 0x8000))
            continue;
        INPUT input{};
        if (button.mouse) {
            input = MouseAt(button.up, RestingSpot());
        } else {
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = static_cast<WORD>(button.key);
            input.ki.wScan = static_cast<WORD>(u.MapVirtualKeyA(button.key, MAPVK_VK_TO_VSC));
            input.ki.dwFlags = KEYEVENTF_KEYUP;
        }
        u.SendInput(1, &input, sizeof input);
        const std::string held = Await(deadlineMs, [&]() -> std::string {
            return (u.GetAsyncKeyState(button.key) & 0x8000) ? std::string(button.name) + " is still down"
                                                             : "";
        });
        if (!held.empty())
            return held;
    }
    return "";
}

// No window of another program is shown, but for the desktop's own.
std::string ForeignWindowsGone(const User32& u, DWORD deadlineMs) {
    struct Look {
        const User32* u;
        DWORD own;
        DWORD desktop;
        std::vector<HWND> shown;
    } look{&u, ::GetCurrentProcessId(), 0, {}};
    u.GetWindowThreadProcessId(u.GetDesktopWindow(), &look.desktop);
    std::string left = Await(deadlineMs, [&]() -> std::string {
        look.shown.clear();
        u.EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                Look& l = *reinterpret_cast<Look*>(param);
                DWORD process = 0;
                l.u->GetWindowThreadProcessId(window, &process);
                if (process != l.own && process != l.desktop && l.u->IsWindowVisible(window))
                    l.shown.push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&look));
        std::string text;
        for (HWND window : look.shown)
            text += (text.empty() ? "" : ", ") + WindowText(u, window);
        return text;
    });
    return left.empty() ? "" : "windows of other programs are still shown: " + left;
}

// "" when the system's and the display's pointer are both at `p`, else which
// is not; `taken`: the time the system took the place.
std::string NotAt(const User32& u, POINT p, bool* sendAgain, DWORD* taken) {
    *sendAgain = false;
    if (!NewestPlace(u, p, taken)) {
        *sendAgain = true;
        return "the system's pointer is not at " + PointText(p);
    }
    if (::GetTickCount() - *taken <= kReadsDisplayAfterMs)
        return "the display's pointer cannot be read yet";
    POINT now{-1, -1};
    u.GetCursorPos(&now);
    if (!Same(now, p)) {
        *sendAgain = true;
        return "the display's pointer is at " + PointText(now);
    }
    return "";
}

// The pointer at rest on the spot, in the system and on the display, with the
// desktop's reports of the display handled.
std::string PointerAtRest(const User32& u, DWORD deadlineMs) {
    const POINT spot = RestingSpot();
    const HWND desktop = u.GetDesktopWindow();
    INPUT move = MouseAt(0, spot);
    DWORD sentAt = 0;
    bool sent = false;
    DWORD taken = 0;
    bool sendAgain = false;
    const std::string missing = Await(deadlineMs, [&]() -> std::string {
        const std::string notAt = NotAt(u, spot, &sendAgain, &taken);
        if (!notAt.empty()) {
            // Not there yet, or no longer: a late report of the display took
            // the system's pointer away, or the display refused the move.
            if (sendAgain && (!sent || ::GetTickCount() - sentAt > kAgainMs)) {
                u.SendInput(1, &move, sizeof move);
                sentAt = ::GetTickCount();
                sent = true;
            }
            return notAt;
        }
        // The display is at the spot, so it has sent its reports of the move;
        // once the desktop's thread has answered twice it has handled them
        // (it reads the display before it waits for the next message).
        for (int i = 0; i < 2; ++i) {
            DWORD_PTR answer = 0;
            if (!u.SendMessageTimeoutA(desktop, WM_NULL, 0, 0, SMTO_NORMAL, deadlineMs, &answer))
                return "the desktop's thread does not answer";
        }
        DWORD still = 0;
        if (!NewestPlace(u, spot, &still) || still != taken)
            return "the system's pointer moved on after it came to " + PointText(spot);
        return "";
    });
    return missing.empty() ? "" : "the pointer did not come to rest at " + PointText(spot) + ": " + missing;
}

}  // namespace

bool CanOpenWindows() {
    return Loaded() != nullptr;
}

POINT RestingSpot() {
    const User32* u = Loaded();
    if (!u)
        return {0, 0};
    return {u->GetSystemMetrics(SM_CXSCREEN) - 1, u->GetSystemMetrics(SM_CYSCREEN) - 1};
}

INPUT MouseAt(DWORD flags, POINT p) {
    const User32* u = Loaded();
    const int w = u ? u->GetSystemMetrics(SM_CXSCREEN) : 1;
    const int h = u ? u->GetSystemMetrics(SM_CYSCREEN) : 1;
    INPUT input{};
    input.type = INPUT_MOUSE;
    // The system maps 0..65535 onto the screen truncating: round up so that
    // the pointer lands on the pixel itself.
    input.mi.dx = static_cast<LONG>((p.x * 65536LL + w - 1) / w);
    input.mi.dy = static_cast<LONG>((p.y * 65536LL + h - 1) / h);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

bool SystemPointerAt(POINT p) {
    const User32* u = Loaded();
    DWORD time = 0;
    return u && NewestPlace(*u, p, &time);
}

std::string PointerNotAt(POINT p, bool* sendAgain) {
    const User32* u = Loaded();
    DWORD taken = 0;
    bool again = false;
    std::string missing = u ? NotAt(*u, p, &again, &taken) : "the program has no user32";
    if (sendAgain)
        *sendAgain = again;
    return missing;
}

std::string StartFromKnownDesktop(bool alone, DWORD deadlineMs) {
    const User32* u = Loaded();
    if (!u)
        return "";
    std::string missing = LetGo(*u, deadlineMs);
    if (missing.empty() && alone)
        missing = ForeignWindowsGone(*u, deadlineMs);
    if (missing.empty())
        missing = PointerAtRest(*u, deadlineMs);
    return missing.empty() ? "" : "the desktop is not as every test starts from it: " + missing;
}

}  // namespace vekgui
