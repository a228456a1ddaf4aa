// veknet_wine_smoke: VekNet.dll driven the way the program drives it, against
// a simulated recorder: a login whose status arrives as a posted message on a
// window, the device information, a month and a day query, and one download
// with its events posted to the window as the download dialog does.
//
//   veknet_wine_smoke PORT [USER PASSWORD]
//
// Prints what it sees and exits 0 when every step did what it should.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "veknet/veknet_api.h"

namespace {

constexpr UINT kLoginStatus = 0x432;            // the network page's status message
constexpr UINT kDownloadBase = WM_APP + 0x100;  // + the event code
constexpr DWORD kTimeoutMs = 30000;

struct Seen {
    std::vector<WPARAM> statuses;
    std::vector<std::pair<int, int>> download;  // code, value
};
Seen gSeen;

LRESULT CALLBACK SmokeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kLoginStatus) {
        gSeen.statuses.push_back(wParam);
        return 0;
    }
    if (message == kDownloadBase + VEKNET_DOWNLOAD_PROGRESS ||
        message == kDownloadBase + VEKNET_DOWNLOAD_END) {
        gSeen.download.push_back({static_cast<int>(message - kDownloadBase), static_cast<int>(wParam)});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

template <typename Done>
bool PumpUntil(Done&& done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > kTimeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    return true;
}

HWND gWindow = nullptr;

// As the download dialog does: the event becomes a posted message.
void VEK_CALL OnDownloadEvent(int32_t code, int32_t value, uintptr_t) {
    PostMessageA(gWindow, kDownloadBase + static_cast<UINT>(code), static_cast<WPARAM>(value), 0);
}

std::vector<NetRecordItem> gItems;
void VEK_CALL OnRecord(const NetRecordItem* item, uintptr_t) {
    gItems.push_back(*item);
}

int Fail(const char* what) {
    std::printf("FAILED: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: veknet_wine_smoke PORT [USER PASSWORD]\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const char* user = argc > 3 ? argv[2] : "admin";
    const char* password = argc > 3 ? argv[3] : "admin";

    WNDCLASSA wc{};
    wc.lpfnWndProc = SmokeWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VekNetSmoke";
    RegisterClassA(&wc);
    gWindow = CreateWindowA("VekNetSmoke", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!gWindow)
        return Fail("no window");

    VekNetInit();
    NetLoginRequest login{};
    login.ip = "127.0.0.1";
    login.port = port;
    login.user = user;
    login.password = password;
    login.window = gWindow;
    login.message = kLoginStatus;
    login.reserved1 = 1;
    uint32_t handle = VekNetConnectionStart(&login);
    if (!handle)
        return Fail("VekNetConnectionStart gave no handle");
    if (!PumpUntil([] { return !gSeen.statuses.empty(); }))
        return Fail("no login status");
    std::printf("login status %u\n", static_cast<unsigned>(gSeen.statuses[0]));
    if (gSeen.statuses[0] != VEKNET_STATUS_LOGGED_IN)
        return Fail("not logged in");

    char info[VEKNET_DEVINFO_SIZE];
    const char* name = VekNetGetDevInfo(handle, info, sizeof info);
    if (!name)
        return Fail("no device information");
    std::printf("device \"%s\", %d channels\n", name, info[VEKNET_DEVINFO_CHANNELS]);

    // The month of the simulator's default day, all four channels.
    NetRecordQuery month{};
    month.command = VEKNET_QUERY_MONTH;
    month.channel = 0xF;
    month.start = {2024, 3, 1, 0, 0, 0, 0};
    month.end = {2024, 3, 31, 23, 59, 59, 0};
    month.reserved24 = -1;
    month.monthCallback = &OnRecord;
    const int32_t days = VekNetQueryRecord(handle, &month);
    std::printf("month query: %d day(s)%s\n", days, days > 0 ? "" : " - none");
    if (days < 1 || gItems.empty())
        return Fail("no day with records");
    const NetRecordItem day = gItems.front();
    std::printf("first day %04u-%02u-%02u\n", day.start.year, day.start.month, day.start.day);

    gItems.clear();
    NetRecordQuery records{};
    records.command = VEKNET_QUERY_DAY;
    records.channel = 0;
    records.start = day.start;
    records.end = day.end;
    records.reserved24 = -1;
    records.dayCallback = &OnRecord;
    if (VekNetQueryRecord(handle, &records) < 1 || gItems.empty())
        return Fail("no record on channel 1 that day");
    const NetRecordItem record = gItems.front();
    std::printf("record %02u:%02u:%02u-%02u:%02u:%02u, %u bytes\n", record.start.hour, record.start.minute,
                record.start.second, record.end.hour, record.end.minute, record.end.second, record.length);

    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    const std::string path =
        std::string(folder) + "veknet_smoke_" + std::to_string(GetCurrentProcessId()) + ".264";
    NetDownloadRequest request{};
    request.channel = 0;
    request.record = &record;
    request.path = path.c_str();
    request.callback = &OnDownloadEvent;
    uint32_t download = VekNetStartDownloadRecord(handle, &request);
    if (!download)
        return Fail("VekNetStartDownloadRecord gave no handle");
    const bool ended = PumpUntil([] {
        for (const auto& e : gSeen.download)
            if (e.first == VEKNET_DOWNLOAD_END)
                return true;
        return false;
    });
    VekNetStopDownloadRecord(&download);
    if (!ended)
        return Fail("no end of download");
    int last = -1;
    for (const auto& e : gSeen.download) {
        if (e.first == VEKNET_DOWNLOAD_PROGRESS && e.second <= last)
            return Fail("progress did not rise");
        if (e.first == VEKNET_DOWNLOAD_PROGRESS)
            last = e.second;
    }
    std::printf("download: %zu progress event(s) up to %d%%, end result %d\n", gSeen.download.size() - 1,
                last, gSeen.download.back().second);
    if (gSeen.download.back().second != VEKNET_DOWNLOAD_OK || last != 100)
        return Fail("download did not complete");

    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes))
        return Fail("no downloaded file");
    std::printf("file %s: %lu bytes\n", path.c_str(), static_cast<unsigned long>(attributes.nFileSizeLow));
    DeleteFileA(path.c_str());
    if (attributes.nFileSizeLow != record.length || attributes.nFileSizeHigh != 0)
        return Fail("the file is not the record's length");

    VekNetConnectionStop(&handle);
    VekNetRelease();
    DestroyWindow(gWindow);
    std::printf("ok\n");
    return 0;
}
