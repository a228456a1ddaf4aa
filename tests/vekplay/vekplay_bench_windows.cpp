// tests/vekplay/vekplay_bench_windows.cpp
//
// The windows of vekplay_bench: each instance plays into a top-level window of
// its own through the library's Win32 host (GDI drawing, posted notices), and
// this thread pumps messages until every instance has posted its end.
#include <windows.h>

#include <chrono>
#include <memory>
#include <vector>

#include "tests/vekplay/vekplay_bench.h"
#include "vekplay/play_host.h"
#include "vekplay/play_instance.h"

namespace vekplay::bench {

namespace {

constexpr UINT kNotifyMessage = WM_APP + 11;
constexpr int kPaneWidth = 352;
constexpr int kPaneHeight = 288;

using WallClock = std::chrono::steady_clock;

struct Ends {
    int count = 0;
    WallClock::time_point last;
};
Ends* gEnds = nullptr;

LRESULT CALLBACK BenchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kNotifyMessage) {
        if (wParam == kCodeEnd && gEnds) {
            gEnds->count++;
            gEnds->last = WallClock::now();
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(int index) {
    static const char* const kClass = "VekPlayBenchPane";
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = BenchWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kClass;
        registered = RegisterClassA(&wc) != 0;
    }
    RECT r{0, 0, kPaneWidth, kPaneHeight};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;
    AdjustWindowRect(&r, style, FALSE);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    return CreateWindowA(kClass, "vekplay_bench", style, (index % 2) * w, (index / 2) * h, w, h, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    const auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

PlayFigures PlayIntoWindows(const PlayRun& run) {
    PlayFigures out;
    std::vector<HWND> windows;
    std::vector<std::shared_ptr<Instance>> instances;
    const std::shared_ptr<Host> host = MakeSystemHost();
    Ends ends;
    gEnds = &ends;
    bool ok = true;
    for (int i = 0; i < run.count && ok; i++) {
        HWND window = MakeWindow(i);
        if (!window) {
            ok = false;
            break;
        }
        windows.push_back(window);
        UpdateWindow(window);
        auto inst = Instance::Create(static_cast<uint32_t>(i + 1), InstanceKind::kFile, host);
        ok = inst && inst->OpenFile(run.file.c_str()) == 0;
        if (!ok)
            break;
        inst->SetWindow(reinterpret_cast<uintptr_t>(window));
        inst->SetNotify(reinterpret_cast<uintptr_t>(window), kNotifyMessage, static_cast<uintptr_t>(i));
        inst->SetMode(run.mode);
        instances.push_back(inst);
    }
    if (ok) {
        const double cpu = ProcessCpuSeconds();
        const auto start = WallClock::now();
        for (auto& inst : instances)
            inst->Start();
        MSG msg;
        while (ends.count < run.count && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        out.wall = std::chrono::duration<double>(WallClock::now() - start).count();
        out.slowest = std::chrono::duration<double>(ends.last - start).count();
        out.cpu = ProcessCpuSeconds() - cpu;
        out.ok = ends.count == run.count;
    }
    CountAndShutDown(instances, &out);
    for (HWND w : windows)
        DestroyWindow(w);
    gEnds = nullptr;
    return out;
}

}  // namespace vekplay::bench
