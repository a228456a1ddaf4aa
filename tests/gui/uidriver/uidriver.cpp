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
//   known-desktop [--timeout MS]              brings the desktop to the state a test starts
//                                             from: no button or key held, the pointer at rest
//                                             on the screen's bottom-right pixel, no window of
//                                             another program shown (known_desktop.h)
//   find [--class C] [--caption T] [--timeout MS]       handle of a top-level window
//   wait-gone --window H [--timeout MS]
//   wait-painted --window H [--timeout MS]    until neither the window nor a visible window
//                                             below it has anything left to paint, then
//                                             until its thread answers (it shows what it
//                                             painted once it waits for messages again)
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
//   parent --window H [--id N]                handle of the window's parent
//   children --window H [--id N]              the direct children, one a line:
//                                             handle id visible enabled class "text"
//   items --window H [--id N]                 a combo box's items, one a line
//   list-rows --window H [--id N]             a report list's rows, one a line: the columns'
//                                             texts and the small image index, tab-separated
//   list-dblclick --window H [--id N] --row R   double-clicks row R of a report list (mouse
//                                             messages at its label: it is selected first)
//   list-check --window H [--id N] --row R --check 0|1   checks (unchecks) row R of a list with
//                                             check boxes (its state image)
//   list-select --window H [--id N] --rows R,R...   selects exactly these rows of a list
//   set-date --window H --id N --date YYYY-MM-DD   sets a date picker's date (its time kept)
//   watch-text --window H --id N --until T [--count K] [--click B] [--enabled E] [--timeout MS]
//                                             clicks button B of the window first (posted),
//                                             then prints the control's text every time it
//                                             changes (the first one too), polling as fast as
//                                             the target answers, until the K-th (default 1)
//                                             time it reads T; with E, until it has read T
//                                             K times and control E of the window is enabled
//                                             (a text shown briefly may be missed: E says when
//                                             the work is over)
//   tree-items --window H [--id N]            a tree's items depth first, one a line:
//                                             depth, check (-1 no box, 0, 1) and text
//   tree-check --window H [--id N] --item I --check 0|1   checks (unchecks) item I of
//                                             tree-items' list
//   click-at --window H [--id N] --x X --y Y  a left click at client (X, Y): mouse move,
//                                             button down and up, posted together
//   browse-select --window H --path P         in a folder browser (SHBrowseForFolder), selects
//                                             folder P, prints the tree item then chosen and
//                                             presses OK
//   define-drive --letter X: --target T [--remove 1]   makes (removes) the drive letter X: the
//                                             system lists (DefineDosDevice), for programs
//                                             that offer the drives to choose from
//   device-notice --window H --event E [--volume X] [--timeout MS]   sends WM_DEVICECHANGE with
//                                             event E and, with --volume, a volume broadcast for
//                                             drive X; prints the answer, or "pending" when the
//                                             target is still at it (a message box it shows)
//
// Messages whose words point at data (list rows, the browser's path, the
// volume broadcast) carry memory the driver writes into the target process.
//
// Numbers may be decimal or 0x-hex. Handles print as 0x-hex.
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>
#include <shlobj.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/gui/harness/known_desktop.h"
#include "tests/gui/harness/start_mark.h"

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
    if (!args.Has("--window"))
        throw UsageError();
    if (!::IsWindow(window))
        throw NotFound("no window " + args.Text("--window"));
    return window;
}

// The first window anywhere below `root` that `match` takes.
HWND FindChild(HWND root, const std::function<bool(HWND)>& match) {
    struct Search {
        const std::function<bool(HWND)>* match;
        HWND found;
    } search{&match, nullptr};
    ::EnumChildWindows(
        root,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if ((*s->match)(child)) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A control with `id` anywhere below `root`.
HWND FindControl(HWND root, int id) {
    if (HWND direct = ::GetDlgItem(root, id))
        return direct;
    return FindChild(root, [id](HWND child) { return ::GetDlgCtrlID(child) == id; });
}

// The window the command is about: --window, or its control --id.
HWND Target(const Args& args) {
    HWND window = HandleArg(args);
    if (!args.Has("--id"))
        return window;
    HWND control = FindControl(window, static_cast<int>(args.Number("--id")));
    if (!control)
        throw NotFound("no control " + args.Text("--id"));
    return control;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            if (::IsWindowVisible(window))
                reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
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
        if (HWND found = probe())
            return found;
        if (static_cast<LONG>(::GetTickCount() - deadline) > 0)
            return nullptr;
        ::Sleep(50);
    }
}

// Whether the window, or a visible window below it, still has a part to paint.
bool Unpainted(HWND window) {
    if (::GetUpdateRect(window, nullptr, FALSE))
        return true;
    return FindChild(window, [](HWND child) {
               return ::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE);
           }) != nullptr;
}

HWND FindTopLevel(const Args& args) {
    const bool byClass = args.Has("--class"), byCaption = args.Has("--caption");
    const std::string cls = args.Text("--class"), caption = args.Text("--caption");
    return WaitFor(args, [&]() -> HWND {
        for (HWND window : TopLevelWindows()) {
            if (byClass && ::lstrcmpiA(ClassOf(window).c_str(), cls.c_str()) != 0)
                continue;
            if (byCaption) {
                char text[512] = {};
                ::GetWindowTextA(window, text, sizeof text);  // no message to the target
                if (caption != text)
                    continue;
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

// Memory in the process of a window, for messages whose words point at data.
class RemoteBuffer {
  public:
    RemoteBuffer(HWND window, size_t size) : size_(size) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (!process_)
            throw NotFound("cannot open the window's process");
        address_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!address_) {
            ::CloseHandle(process_);
            throw NotFound("cannot allocate in the window's process");
        }
    }
    ~RemoteBuffer() {
        if (!kept_)
            ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (local_)
            ::VirtualFree(local_, 0, MEM_RELEASE);
        ::CloseHandle(process_);
    }
    // The same memory at the same address in this process too, so that the
    // data is right whether or not the system copies it across with the message.
    void Mirror(const void* data, size_t length) {
        local_ = ::VirtualAlloc(address_, size_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (local_ != address_)
            throw NotFound("cannot mirror the data in this process");
        std::memcpy(local_, data, length);
        Write(0, data, length);
    }
    // Left to the target when the driver ends (a message it is still handling).
    void Keep() { kept_ = true; }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
    void Write(size_t offset, const void* data, size_t length) {
        if (offset + length > size_ || !::WriteProcessMemory(process_, At(offset), data, length, nullptr))
            throw NotFound("cannot write into the window's process");
    }
    void Read(size_t offset, void* data, size_t length) const {
        if (offset + length > size_ || !::ReadProcessMemory(process_, At(offset), data, length, nullptr))
            throw NotFound("cannot read from the window's process");
    }

  private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    void* local_ = nullptr;
    size_t size_;
    bool kept_ = false;
};

constexpr size_t kTextRoom = 512;

// Column `column` of row `row` of a report list, and the row's small image.
std::string ListCell(HWND list, RemoteBuffer& remote, int row, int column, int* image) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | (column == 0 ? LVIF_IMAGE : 0);
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = remote.At(sizeof item);
    item.cchTextMax = static_cast<int>(kTextRoom);
    remote.Write(0, &item, sizeof item);
    const char empty = 0;
    remote.Write(sizeof item, &empty, 1);
    Send(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.At(0)));
    remote.Read(0, &item, sizeof item);
    char text[kTextRoom] = {};
    remote.Read(sizeof item, text, sizeof text - 1);
    if (image && column == 0)
        *image = item.iImage;
    return text;
}

// The text of a tree item and its state image (0 none, 1 unchecked, 2 checked).
std::string TreeItem(HWND tree, HTREEITEM item, int* stateImage = nullptr) {
    RemoteBuffer remote(tree, sizeof(TVITEMW) + kTextRoom * sizeof(wchar_t));
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_STATE;
    tv.stateMask = TVIS_STATEIMAGEMASK;
    tv.hItem = item;
    tv.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof tv));
    tv.cchTextMax = static_cast<int>(kTextRoom);
    remote.Write(0, &tv, sizeof tv);
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.At(0)));
    remote.Read(0, &tv, sizeof tv);
    if (stateImage)
        *stateImage = static_cast<int>((tv.state & TVIS_STATEIMAGEMASK) >> 12);
    wchar_t text[kTextRoom] = {};
    remote.Read(sizeof tv, text, (kTextRoom - 1) * sizeof(wchar_t));
    char narrow[kTextRoom * 3] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

std::string SelectedTreeItem(HWND tree) {
    const auto item = static_cast<LRESULT>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (item == 0)
        return "";
    return TreeItem(tree, reinterpret_cast<HTREEITEM>(item));
}

// Every item of a tree, depth first, with its depth.
void TreeItems(HWND tree, HTREEITEM first, int depth, std::vector<std::pair<HTREEITEM, int>>& out) {
    for (HTREEITEM item = first; item;
         item = reinterpret_cast<HTREEITEM>(
             Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        out.emplace_back(item, depth);
        TreeItems(tree,
                  reinterpret_cast<HTREEITEM>(
                      Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))),
                  depth + 1, out);
    }
}

std::vector<std::pair<HTREEITEM, int>> TreeItems(HWND tree) {
    std::vector<std::pair<HTREEITEM, int>> items;
    TreeItems(tree, reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, items);
    return items;
}

HWND FindChildOfClass(HWND root, const char* cls) {
    return FindChild(root, [cls](HWND child) { return ::lstrcmpiA(ClassOf(child).c_str(), cls) == 0; });
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
        if (!args.Has("--class") && !args.Has("--caption"))
            throw UsageError();
        HWND window = FindTopLevel(args);
        if (!window)
            throw NotFound("no such window");
        PrintHandle(window);
    } else if (c == "known-desktop") {
        const std::string missing =
            vekgui::StartFromKnownDesktop(true, static_cast<DWORD>(args.Number("--timeout", 10000)));
        if (!missing.empty())
            throw NotFound(missing);
    } else if (c == "wait-gone") {
        HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(args.Number("--window")));
        if (WaitFor(args, [&]() -> HWND { return ::IsWindow(window) ? nullptr : window; }) == nullptr)
            throw NotFound("the window is still there");
    } else if (c == "wait-painted") {
        HWND window = HandleArg(args);
        if (WaitFor(args, [&]() -> HWND { return Unpainted(window) ? nullptr : window; }) == nullptr)
            throw NotFound("the window has not finished painting");
        Send(window, WM_NULL, 0, 0);
    } else if (c == "control") {
        PrintHandle(Target(args));
    } else if (c == "click") {
        if (!args.Has("--id"))
            throw UsageError();
        ::PostMessageA(Target(args), BM_CLICK, 0, 0);
    } else if (c == "set-text") {
        if (!args.Has("--text"))
            throw UsageError();
        const std::string text = args.Text("--text");
        Send(Target(args), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (c == "text") {
        std::printf("%s\n", TextOf(Target(args)).c_str());
    } else if (c == "select") {
        if (!args.Has("--id") || !args.Has("--index"))
            throw UsageError();
        HWND combo = Target(args);
        const auto index = static_cast<WPARAM>(args.Number("--index"));
        if (Send(combo, CB_SETCURSEL, index, 0) != static_cast<LRESULT>(index))
            throw NotFound("no such item");
        ::PostMessageA(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    } else if (c == "check") {
        if (!args.Has("--id"))
            throw UsageError();
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
        if (!args.Has("--msg"))
            throw UsageError();
        HWND window = Target(args);
        const auto message = static_cast<UINT>(args.Number("--msg"));
        const auto wParam = static_cast<WPARAM>(args.Number("--wparam"));
        const auto lParam = static_cast<LPARAM>(args.Number("--lparam"));
        if (c == "post") {
            if (!::PostMessageA(window, message, wParam, lParam))
                throw NotFound("post failed");
        } else {
            std::printf("%lld\n", static_cast<long long>(Send(window, message, wParam, lParam)));
        }
    } else if (c == "answer-box") {
        if (!args.Has("--button"))
            throw UsageError();
        Args boxQuery = args;
        boxQuery.options["--class"] = "#32770";
        HWND box = FindTopLevel(boxQuery);
        if (!box)
            throw NotFound("no message box");
        HWND button = ::GetDlgItem(box, static_cast<int>(args.Number("--button")));
        if (!button)
            throw NotFound("the box has no button " + args.Text("--button"));
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::lstrcmpiA(ClassOf(child).c_str(), "Static") == 0 && !TextOf(child).empty())
                std::printf("%s\n", TextOf(child).c_str());
        ::PostMessageA(button, BM_CLICK, 0, 0);
    } else if (c == "pixel") {
        if (!args.Has("--x") || !args.Has("--y"))
            throw UsageError();
        HWND window = Target(args);
        POINT p{static_cast<LONG>(args.Number("--x")), static_cast<LONG>(args.Number("--y"))};
        ::ClientToScreen(window, &p);
        HDC screen = ::GetDC(nullptr);
        const COLORREF color = ::GetPixel(screen, p.x, p.y);
        ::ReleaseDC(nullptr, screen);
        if (color == CLR_INVALID)
            throw NotFound("no pixel there");
        std::printf("%02X%02X%02X\n", GetRValue(color), GetGValue(color), GetBValue(color));
    } else if (c == "children") {
        for (HWND child = ::GetWindow(Target(args), GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            char text[kTextRoom] = {};
            ::GetWindowTextA(child, text, sizeof text);  // no message to the target
            std::printf("0x%llx %d %d %d %s \"%s\"\n",
                        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(child)),
                        ::GetDlgCtrlID(child), ::IsWindowVisible(child) ? 1 : 0,
                        ::IsWindowEnabled(child) ? 1 : 0, ClassOf(child).c_str(), text);
        }
    } else if (c == "parent") {
        PrintHandle(::GetParent(Target(args)));
    } else if (c == "items") {
        // The text comes back wide: the system copies it between the processes.
        HWND combo = Target(args);
        const auto count = static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[kTextRoom] = {};
            DWORD_PTR length = 0;
            if (Send(combo, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(kTextRoom))
                ::SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                      reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kAnswerMs, &length);
            char narrow[kTextRoom * 3] = {};
            ::WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
            std::printf("%s\n", narrow);
        }
    } else if (c == "list-rows") {
        HWND list = Target(args);
        HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
        const int columns = header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
        const auto rows = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
        RemoteBuffer remote(list, sizeof(LVITEMA) + kTextRoom);
        for (int row = 0; row < rows; ++row) {
            int image = -1;
            std::string line;
            for (int column = 0; column < columns; ++column)
                line += ListCell(list, remote, row, column, &image) + "\t";
            std::printf("%s%d\n", line.c_str(), image);
        }
    } else if (c == "list-dblclick") {
        if (!args.Has("--row"))
            throw UsageError();
        HWND list = Target(args);
        RemoteBuffer remote(list, sizeof(RECT));
        RECT r{LVIR_LABEL, 0, 0, 0};
        remote.Write(0, &r, sizeof r);
        if (!Send(list, LVM_GETITEMRECT, static_cast<WPARAM>(args.Number("--row")),
                  reinterpret_cast<LPARAM>(remote.At(0))))
            throw NotFound("no such row");
        remote.Read(0, &r, sizeof r);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageA(list, WM_LBUTTONUP, 0, at);
        ::PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::PostMessageA(list, WM_LBUTTONUP, 0, at);
    } else if (c == "list-check") {
        if (!args.Has("--row") || !args.Has("--check"))
            throw UsageError();
        HWND list = Target(args);
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(args.Number("--check") != 0 ? 2 : 1);
        RemoteBuffer remote(list, sizeof item);
        remote.Write(0, &item, sizeof item);
        if (!Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(args.Number("--row")),
                  reinterpret_cast<LPARAM>(remote.At(0))))
            throw NotFound("no such row");
    } else if (c == "list-select") {
        if (!args.Has("--rows"))
            throw UsageError();
        HWND list = Target(args);
        RemoteBuffer remote(list, sizeof(LVITEMA));
        const auto setState = [&](int row, UINT state) {
            LVITEMA item{};
            item.stateMask = LVIS_SELECTED;
            item.state = state;
            remote.Write(0, &item, sizeof item);
            if (!Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(remote.At(0))))
                throw NotFound("no row " + std::to_string(row));
        };
        setState(-1, 0);
        const std::string rows = args.Text("--rows");
        for (size_t at = 0; at < rows.size();) {
            const size_t comma = rows.find(',', at);
            const std::string row =
                rows.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
            if (row.empty() || row.find_first_not_of("0123456789") != std::string::npos)
                throw UsageError();
            setState(std::atoi(row.c_str()), LVIS_SELECTED);
            at = comma == std::string::npos ? rows.size() : comma + 1;
        }
    } else if (c == "set-date") {
        if (!args.Has("--id") || !args.Has("--date"))
            throw UsageError();
        HWND picker = Target(args);
        int year = 0, month = 0, day = 0;
        if (std::sscanf(args.Text("--date").c_str(), "%d-%d-%d", &year, &month, &day) != 3)
            throw UsageError();
        RemoteBuffer remote(picker, sizeof(SYSTEMTIME));
        SYSTEMTIME time{};
        Send(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(remote.At(0)));
        remote.Read(0, &time, sizeof time);
        time.wYear = static_cast<WORD>(year);
        time.wMonth = static_cast<WORD>(month);
        time.wDay = static_cast<WORD>(day);
        time.wDayOfWeek = 0;
        remote.Write(0, &time, sizeof time);
        if (!Send(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(remote.At(0))))
            throw NotFound("the picker refused the date");
    } else if (c == "watch-text") {
        if (!args.Has("--id") || !args.Has("--until"))
            throw UsageError();
        HWND window = HandleArg(args);
        HWND control = Target(args);
        const std::string until = args.Text("--until");
        const long long count = args.Number("--count", 1);
        if (args.Has("--click")) {
            HWND button = FindControl(window, static_cast<int>(args.Number("--click")));
            if (!button)
                throw NotFound("no control " + args.Text("--click"));
            ::PostMessageA(button, BM_CLICK, 0, 0);
        }
        const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(args.Number("--timeout", 60000));
        HWND enabled = nullptr;
        if (args.Has("--enabled")) {
            enabled = FindControl(window, static_cast<int>(args.Number("--enabled")));
            if (!enabled)
                throw NotFound("no control " + args.Text("--enabled"));
        }
        std::string last;
        bool first = true;
        long long seen = 0;
        while (seen < count || (enabled && !::IsWindowEnabled(enabled))) {
            if (static_cast<LONG>(::GetTickCount() - deadline) > 0)
                throw NotFound("the text did not come");
            const std::string text = TextOf(control);
            if (first || text != last) {
                std::printf("%s\n", text.c_str());
                std::fflush(stdout);
                if (text == until)
                    ++seen;
                last = text;
                first = false;
            }
        }
    } else if (c == "tree-items") {
        HWND tree = Target(args);
        for (const auto& [item, depth] : TreeItems(tree)) {
            int stateImage = 0;
            const std::string text = TreeItem(tree, item, &stateImage);
            std::printf("%d %d %s\n", depth, stateImage - 1, text.c_str());
        }
    } else if (c == "tree-check") {
        if (!args.Has("--item") || !args.Has("--check"))
            throw UsageError();
        HWND tree = Target(args);
        const auto items = TreeItems(tree);
        const auto index = static_cast<size_t>(args.Number("--item"));
        if (index >= items.size())
            throw NotFound("no such item");
        TVITEMA tv{};
        tv.mask = TVIF_STATE;
        tv.hItem = items[index].first;
        tv.stateMask = TVIS_STATEIMAGEMASK;
        tv.state = INDEXTOSTATEIMAGEMASK(args.Number("--check") != 0 ? 2 : 1);
        RemoteBuffer remote(tree, sizeof tv);
        remote.Write(0, &tv, sizeof tv);
        Send(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(remote.At(0)));
    } else if (c == "click-at") {
        if (!args.Has("--x") || !args.Has("--y"))
            throw UsageError();
        HWND window = Target(args);
        const LPARAM at = MAKELPARAM(args.Number("--x"), args.Number("--y"));
        ::PostMessageA(window, WM_MOUSEMOVE, 0, at);
        ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageA(window, WM_LBUTTONUP, 0, at);
    } else if (c == "browse-select") {
        if (!args.Has("--path"))
            throw UsageError();
        HWND browser = HandleArg(args);
        wchar_t path[MAX_PATH] = {};
        if (!::MultiByteToWideChar(CP_ACP, 0, args.Text("--path").c_str(), -1, path, MAX_PATH))
            throw UsageError();
        RemoteBuffer remote(browser, sizeof path);
        remote.Write(0, path, sizeof path);
        Send(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote.At(0)));
        if (HWND tree = FindChildOfClass(browser, "SysTreeView32"))
            std::printf("%s\n", SelectedTreeItem(tree).c_str());
        ::PostMessageA(::GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
    } else if (c == "define-drive") {
        if (!args.Has("--letter") || !args.Has("--target"))
            throw UsageError();
        const DWORD flags =
            args.Number("--remove") != 0 ? DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE : 0;
        if (!::DefineDosDeviceA(flags, args.Text("--letter").c_str(), args.Text("--target").c_str()))
            throw NotFound("DefineDosDevice failed with " + std::to_string(::GetLastError()));
    } else if (c == "device-notice") {
        if (!args.Has("--event"))
            throw UsageError();
        HWND window = Target(args);
        const auto event = static_cast<WPARAM>(args.Number("--event"));
        std::unique_ptr<RemoteBuffer> remote;
        if (args.Has("--volume")) {
            const int letter = std::toupper(static_cast<unsigned char>(args.Text("--volume")[0]));
            if (letter < 'A' || letter > 'Z')
                throw UsageError();
            DEV_BROADCAST_VOLUME volume{};
            volume.dbcv_size = sizeof volume;
            volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
            volume.dbcv_unitmask = 1u << (letter - 'A');
            remote = std::make_unique<RemoteBuffer>(window, sizeof volume);
            remote->Mirror(&volume, sizeof volume);
        }
        // The target may answer only after a message box it shows: then the
        // driver prints "pending" and leaves the broadcast with it.
        DWORD_PTR result = 0;
        const auto data = reinterpret_cast<LPARAM>(remote ? remote->At(0) : nullptr);
        if (::SendMessageTimeoutA(window, WM_DEVICECHANGE, event, data, SMTO_ABORTIFHUNG,
                                  static_cast<UINT>(args.Number("--timeout", 3000)), &result)) {
            std::printf("%lld\n", static_cast<long long>(result));
        } else {
            if (remote)
                remote->Keep();
            std::printf("pending\n");
        }
    } else {
        throw UsageError();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    vekgui::MarkStarted();
    Args args;
    try {
        if (argc < 2)
            throw UsageError();
        args.command = argv[1];
        for (int i = 2; i < argc; i += 2) {
            if (std::strncmp(argv[i], "--", 2) != 0 || i + 1 >= argc)
                throw UsageError();
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
