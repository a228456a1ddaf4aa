// tests/gui/uidriver/uidriver.cpp
//
// uidriver.exe: drives the windows of another program from outside, one
// command per run, the way a user would: it finds windows and controls,
// clicks, types, selects, answers message boxes and reads pixels. GUI tests
// run it under scripts/wine-run beside the program under test (see
// tests/gui/gui_driver.py). Prints its answer on stdout; exit code 0 on
// success, 1 when a window or control was not found (in time) or the target
// did not answer, 2 for a bad command line.
//
//   windows                                   visible top-level windows: handle class "caption"
//   find [--class C] [--caption T] [--timeout MS]       handle of a top-level window
//   wait-gone --window H [--timeout MS]
//   control --window H --id N                 handle of a control (searched in all descendants)
//   click --window H --id N                   BM_CLICK, posted (a click that opens a
//                                             modal dialog does not block the driver)
//   set-text --window H [--id N] --text T
//   text --window H [--id N]
//   select --window H --id N --index I        CB_SETCURSEL, then CBN_SELCHANGE to the parent
//   check --window H --id N                   BM_GETCHECK
//   state --window H [--id N]                 visible= enabled= rect= client=
//   send|post --window H --msg M [--wparam W] [--lparam L]
//   answer-box [--caption T] --button ID [--timeout MS]   clicks a message box button; prints its texts
//   pixel --window H [--id N] --x X --y Y     RRGGBB at client (X, Y), read from the screen
//
// Numbers may be decimal or 0x-hex. Handles print as 0x-hex.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr UINT kAnswerMs = 5000;  // how long a target may take to answer a sent message

struct Args {
    std::string command;
    std::map<std::string, std::string> options;

    bool Has(const char* name) const { return options.count(name) != 0; }
    std::string Text(const char* name, const char* fallback = "") const {
        auto it = options.find(name);
        return it == options.end() ? fallback : it->second;
    }
    long long Number(const char* name, long long fallback = 0) const {
        auto it = options.find(name);
        return it == options.end() ? fallback : std::strtoll(it->second.c_str(), nullptr, 0);
    }
};

class UsageError {};
class NotFound {
public:
    explicit NotFound(std::string what) : what_(std::move(what)) {}
    const std::string& what() const { return what_; }

private:
    std::string what_;
};

std::string ClassOf(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                               SMTO_ABORTIFHUNG, kAnswerMs, &copied))
        throw NotFound("no answer to WM_GETTEXT");
    return text;
}

void PrintHandle(HWND window) {
    std::printf("0x%llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
}

HWND HandleArg(const Args& args) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(args.Number("--window")));
    if (!args.Has("--window")) throw UsageError();
    if (!::IsWindow(window)) throw NotFound("no window " + args.Text("--window"));
    return window;
}

// A control with `id` anywhere below `root`.
HWND FindControl(HWND root, int id) {
    if (HWND direct = ::GetDlgItem(root, id)) return direct;
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    ::EnumChildWindows(
        root,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (::GetDlgCtrlID(child) == s->id) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The window the command is about: --window, or its control --id.
HWND Target(const Args& args) {
    HWND window = HandleArg(args);
    if (!args.Has("--id")) return window;
    HWND control = FindControl(window, static_cast<int>(args.Number("--id")));
    if (!control) throw NotFound("no control " + args.Text("--id"));
    return control;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Polls until `probe` finds something or the timeout passes.
template <class Probe>
HWND WaitFor(const Args& args, Probe probe) {
    const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(args.Number("--timeout", 10000));
    for (;;) {
        if (HWND found = probe()) return found;
        if (static_cast<LONG>(::GetTickCount() - deadline) > 0) return nullptr;
        ::Sleep(50);
    }
}

HWND FindTopLevel(const Args& args) {
    const bool byClass = args.Has("--class"), byCaption = args.Has("--caption");
    const std::string cls = args.Text("--class"), caption = args.Text("--caption");
    return WaitFor(args, [&]() -> HWND {
        for (HWND window : TopLevelWindows()) {
            if (byClass && ::lstrcmpiA(ClassOf(window).c_str(), cls.c_str()) != 0) continue;
            if (byCaption) {
                char text[512] = {};
                ::GetWindowTextA(window, text, sizeof text);  // no message to the target
                if (caption != text) continue;
            }
            return window;
        }
        return nullptr;
    });
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &result))
        throw NotFound("no answer to message " + std::to_string(message));
    return static_cast<LRESULT>(result);
}

int Run(const Args& args) {
    const std::string& c = args.command;
    if (c == "windows") {
        for (HWND window : TopLevelWindows()) {
            char text[512] = {};
            ::GetWindowTextA(window, text, sizeof text);
            std::printf("0x%llx %s \"%s\"\n",
                        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
                        ClassOf(window).c_str(), text);
        }
    } else if (c == "find") {
        if (!args.Has("--class") && !args.Has("--caption")) throw UsageError();
        HWND window = FindTopLevel(args);
        if (!window) throw NotFound("no such window");
        PrintHandle(window);
    } else if (c == "wait-gone") {
        HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(args.Number("--window")));
        if (WaitFor(args, [&]() -> HWND { return ::IsWindow(window) ? nullptr : window; }) == nullptr)
            throw NotFound("the window is still there");
    } else if (c == "control") {
        PrintHandle(Target(args));
    } else if (c == "click") {
        if (!args.Has("--id")) throw UsageError();
        ::PostMessageA(Target(args), BM_CLICK, 0, 0);
    } else if (c == "set-text") {
        if (!args.Has("--text")) throw UsageError();
        const std::string text = args.Text("--text");
        Send(Target(args), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (c == "text") {
        std::printf("%s\n", TextOf(Target(args)).c_str());
    } else if (c == "select") {
        if (!args.Has("--id") || !args.Has("--index")) throw UsageError();
        HWND combo = Target(args);
        const auto index = static_cast<WPARAM>(args.Number("--index"));
        if (Send(combo, CB_SETCURSEL, index, 0) != static_cast<LRESULT>(index))
            throw NotFound("no such item");
        ::PostMessageA(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    } else if (c == "check") {
        if (!args.Has("--id")) throw UsageError();
        std::printf("%lld\n", static_cast<long long>(Send(Target(args), BM_GETCHECK, 0, 0)));
    } else if (c == "state") {
        HWND window = Target(args);
        RECT r{}, client{};
        ::GetWindowRect(window, &r);
        ::GetClientRect(window, &client);
        std::printf("visible=%d enabled=%d rect=%ld,%ld,%ld,%ld client=%ld,%ld\n",
                    ::IsWindowVisible(window) ? 1 : 0, ::IsWindowEnabled(window) ? 1 : 0, r.left, r.top,
                    r.right, r.bottom, client.right, client.bottom);
    } else if (c == "send" || c == "post") {
        if (!args.Has("--msg")) throw UsageError();
        HWND window = Target(args);
        const auto message = static_cast<UINT>(args.Number("--msg"));
        const auto wParam = static_cast<WPARAM>(args.Number("--wparam"));
        const auto lParam = static_cast<LPARAM>(args.Number("--lparam"));
        if (c == "post") {
            if (!::PostMessageA(window, message, wParam, lParam)) throw NotFound("post failed");
        } else {
            std::printf("%lld\n", static_cast<long long>(Send(window, message, wParam, lParam)));
        }
    } else if (c == "answer-box") {
        if (!args.Has("--button")) throw UsageError();
        Args boxQuery = args;
        boxQuery.options["--class"] = "#32770";
        HWND box = FindTopLevel(boxQuery);
        if (!box) throw NotFound("no message box");
        HWND button = ::GetDlgItem(box, static_cast<int>(args.Number("--button")));
        if (!button) throw NotFound("the box has no button " + args.Text("--button"));
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::lstrcmpiA(ClassOf(child).c_str(), "Static") == 0 && !TextOf(child).empty())
                std::printf("%s\n", TextOf(child).c_str());
        ::PostMessageA(button, BM_CLICK, 0, 0);
    } else if (c == "pixel") {
        if (!args.Has("--x") || !args.Has("--y")) throw UsageError();
        HWND window = Target(args);
        POINT p{static_cast<LONG>(args.Number("--x")), static_cast<LONG>(args.Number("--y"))};
        ::ClientToScreen(window, &p);
        HDC screen = ::GetDC(nullptr);
        const COLORREF color = ::GetPixel(screen, p.x, p.y);
        ::ReleaseDC(nullptr, screen);
        if (color == CLR_INVALID) throw NotFound("no pixel there");
        std::printf("%02X%02X%02X\n", GetRValue(color), GetGValue(color), GetBValue(color));
    } else {
        throw UsageError();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Args args;
    try {
        if (argc < 2) throw UsageError();
        args.command = argv[1];
        for (int i = 2; i < argc; i += 2) {
            if (std::strncmp(argv[i], "--", 2) != 0 || i + 1 >= argc) throw UsageError();
            args.options[argv[i]] = argv[i + 1];
        }
        const int code = Run(args);
        std::fflush(stdout);
        return code;
    } catch (const UsageError&) {
        std::fprintf(stderr, "uidriver: bad command line (see the header of uidriver.cpp)\n");
        return 2;
    } catch (const NotFound& failure) {
        std::fprintf(stderr, "uidriver %s: %s\n", args.command.c_str(), failure.what().c_str());
        return 1;
    }
}
