// tests/gui/harness/known_desktop.cpp
#include "tests/gui/harness/known_desktop.h"

#include <cstdio>
#include <type_traits>
#include <utility>
#include <vector>

namespace vekgui {

namespace {

// user32's functions, taken from the module the program loaded: this file
// must not import user32 itself (see the header). One list names them for the
// table and for its look-up.
#define VEK_KNOWN_DESKTOP_USER32(X) \
    X(EnumWindows)                  \
    X(GetAsyncKeyState)             \
    X(GetClassNameA)                \
    X(GetCursorPos)                 \
    X(GetDesktopWindow)             \
    X(GetMouseMovePointsEx)         \
    X(GetSystemMetrics)             \
    X(GetWindowTextA)               \
    X(GetWindowThreadProcessId)     \
    X(IsWindowVisible)              \
    X(MapVirtualKeyA)               \
    X(SendInput)                    \
    X(SendMessageTimeoutA)

struct User32 {
#define VEK_MEMBER(name) decltype(&::name) name;
    VEK_KNOWN_DESKTOP_USER32(VEK_MEMBER)
#undef VEK_MEMBER
};

// Fills `table` from `module`: "" or the first function it lacks.
std::string Fill(HMODULE module, User32* table) {
    const auto take = [module](const char* name, auto& function) {
        const FARPROC address = ::GetProcAddress(module, name);
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            reinterpret_cast<void (*)()>(address));
        return address != nullptr;
    };
#define VEK_TAKE(name)             \
    if (!take(#name, table->name)) \
        return #name;
    VEK_KNOWN_DESKTOP_USER32(VEK_TAKE)
#undef VEK_TAKE
    return "";
}

// The program's user32, when it has one: its table, or the function it lacks.
struct Loaded {
    bool present = false;
    const User32* u = nullptr;
    std::string lacks;
};

const Loaded& Program() {
    static const Loaded loaded = [] {
        Loaded l;
        const HMODULE module = ::GetModuleHandleA("user32.dll");
        if (!module)
            return l;
        static User32 table{};
        l.present = true;
        l.lacks = Fill(module, &table);
        if (l.lacks.empty())
            l.u = &table;
        return l;
    }();
    return loaded;
}

const User32* Table() {
    return Program().u;
}

// Why the table is missing.
std::string NoTable() {
    return Program().present ? "the program's user32.dll has no " + Program().lacks
                             : "the program has no user32";
}

// How long the system's pointer must have kept its place before GetCursorPos
// reads the display's.
constexpr DWORD kReadsDisplayAfterMs = 100;
// A move not taken is made again after this long at the soonest.
constexpr DWORD kAgainMs = 500;

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
    PointerMove move(spot);
    DWORD taken = 0;
    bool sendAgain = false;
    const std::string missing = Await(deadlineMs, [&]() -> std::string {
        const std::string notAt = NotAt(u, spot, &sendAgain, &taken);
        if (!notAt.empty()) {
            // Not there yet, or no longer: a late report of the display took
            // the system's pointer away, or the display refused the move.
            move.MakeUnlessTaken();
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
    return Program().present;
}

std::string User32Lacks(HMODULE module) {
    User32 table{};
    return Fill(module, &table);
}

std::string PointText(POINT p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

bool Same(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

std::string Await(DWORD deadlineMs,
                  const std::function<std::string()>& missing,
                  const std::function<void()>& meanwhile) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        std::string what = missing();
        if (what.empty() || ::GetTickCount() - start > deadlineMs)
            return what;
        if (meanwhile)
            meanwhile();
        ::Sleep(2);
    }
}

POINT RestingSpot() {
    const User32* u = Table();
    if (!u)
        return {0, 0};
    return {u->GetSystemMetrics(SM_CXSCREEN) - 1, u->GetSystemMetrics(SM_CYSCREEN) - 1};
}

INPUT MouseAt(DWORD flags, POINT p) {
    const User32* u = Table();
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
    const User32* u = Table();
    DWORD time = 0;
    return u && NewestPlace(*u, p, &time);
}

std::string PointerNotAt(POINT p, bool* sendAgain) {
    const User32* u = Table();
    DWORD taken = 0;
    bool again = false;
    std::string missing = u ? NotAt(*u, p, &again, &taken) : NoTable();
    if (sendAgain)
        *sendAgain = again;
    return missing;
}

PointerMove::PointerMove(POINT to, Send send) : to_(to), send_(std::move(send)) {
    if (!send_) {
        send_ = [](const INPUT& input) {
            const User32* u = Table();
            INPUT copy = input;
            return u && u->SendInput(1, &copy, sizeof copy) == 1;
        };
    }
}

bool PointerMove::Make() {
    lookedAt_ = ::GetTickCount();
    ++made_;
    return send_(MouseAt(0, to_));
}

bool PointerMove::MakeUnlessTaken() {
    if (made_ > 0 && ::GetTickCount() - lookedAt_ < kAgainMs)
        return false;
    lookedAt_ = ::GetTickCount();
    bool sendAgain = false;
    PointerNotAt(to_, &sendAgain);
    return sendAgain && Make();
}

std::string StartFromKnownDesktop(bool alone, DWORD deadlineMs) {
    if (!CanOpenWindows())
        return "";
    const User32* u = Table();
    if (!u)
        return "the known start cannot be made: " + NoTable();
    std::string missing = LetGo(*u, deadlineMs);
    if (missing.empty() && alone)
        missing = ForeignWindowsGone(*u, deadlineMs);
    if (missing.empty())
        missing = PointerAtRest(*u, deadlineMs);
    return missing.empty() ? "" : "the desktop is not as every test starts from it: " + missing;
}

}  // namespace vekgui
