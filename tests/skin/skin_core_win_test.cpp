// tests/skin/skin_core_win_test.cpp
//
// The framework's Windows pieces under Wine: the schema drawing the
// state-coded skin (part backgrounds, a whole frame with its caption buttons,
// the window region cut from the frame images, a scroll bar) read by pixel,
// the metrics freeing their old brushes, the skin manager's colour filters
// reaching the schema, the colour manager over the system and the theme it
// detects, and the system helpers (MulDiv, version-gated functions, monitors, the
// visual-style name query, the menu-sound worker).
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "skin/core/color_manager.h"
#include "skin/core/module_handle.h"
#include "skin/core/monitor_helper.h"
#include "skin/core/os_version_info.h"
#include "skin/core/plym_muldiv.h"
#include "skin/core/skin_file.h"
#include "skin/core/skin_manager.h"
#include "skin/core/skin_schema.h"
#include "skin/core/sound_player.h"
#include "skin/core/win_theme_wrapper.h"
#include "tests/skin/skin_test_support.h"
#include "tests/skin/win_skin_support.h"

namespace {

using skintest::Coded;

// INT_MIN stays out: Wine negates it in 32 bits, which overflows.
TEST(PlymMulDivWinTest, AgreesWithTheSystemsMulDiv) {
    const int values[] = {0,  1,  -1,   2,     -2,    3,       7,          18,      21,       25,
                          96, 72, 1000, -1000, 65535, 1 << 20, -(1 << 20), INT_MAX, -INT_MAX, INT_MAX - 1};
    for (int a : values) {
        for (int b : values) {
            for (int c : values)
                ASSERT_EQ(PlymMulDiv(a, b, c), MulDiv(a, b, c)) << a << " * " << b << " / " << c;
        }
    }
}

class StateCodedSchemaTest : public testing::Test {
  protected:
    void SetUp() override {
        auto* file = new CPlymSkinManagerResourceFile();
        ASSERT_TRUE(file->Open(VEK_STATE_CODED_SKIN_MODULE, "NormalBlack.ini"));
        schema_ = file->CreateSchema();
        file->Release();  // the schema holds it
        schema_->ReadProperties();
        schema_->ReloadMetrics();
    }
    void TearDown() override {
        if (window_)
            DestroyWindow(window_);
        if (schema_)
            schema_->Release();
    }
    HWND MakeWindow(DWORD style, DWORD exStyle, int width, int height) {
        window_ = CreateWindowExA(exStyle, "STATIC", "State coded", style, 10, 10, width, height, nullptr,
                                  nullptr, nullptr, nullptr);
        return window_;
    }

    CPlymSkinManagerSchema* schema_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(StateCodedSchemaTest, PartBackgroundsPaintTheColourOfTheirSection) {
    skintest::Canvas canvas(40, 20);
    const RECT all{0, 0, 40, 20};
    const struct {
        const char* className;
        int part, state;
        COLORREF expected;
    } cases[] = {
        {"BUTTON", 1, 2, Coded(7, 1, 2)},    // [Button.Pushbutton(Hot)]
        {"button", 3, 12, Coded(7, 3, 12)},  // any case of the class name
        {"TAB", 4, 3, Coded(15, 4, 3)},      // [Tab.Tabitembothedge(Selected)]
        {"HEADER", 1, 7, Coded(13, 1, 0)},   // no such state: the part's section
        {"EDIT", 0, 0, Coded(22, 0, 0)},
    };
    for (const auto& c : cases) {
        CPlymSkinManagerClass* themeClass = schema_->GetThemeClass(c.className);
        ASSERT_TRUE(themeClass->DrawThemeBackground(canvas.Dc(), c.part, c.state, &all));
        EXPECT_EQ(canvas.At(20, 10), c.expected) << c.className << " " << c.part << " " << c.state;
    }
    // An image part: the arrow button's cell for its state.
    CPlymSkinManagerClass* scroll = schema_->GetThemeClass("SCROLLBAR");
    ASSERT_TRUE(scroll->DrawThemeBackground(canvas.Dc(), 1, 14, &all));
    EXPECT_EQ(canvas.At(20, 10), Coded(21, 1, 14));
    // The skin's metrics colours.
    EXPECT_EQ(schema_->GetSchemaColor(COLOR_BTNFACE), RGB(120, 135, 128));
    EXPECT_EQ(schema_->GetMetrics()->CaptionHeight(), 21);
}

TEST_F(StateCodedSchemaTest, AFrameDrawsEdgesCaptionAndButtonsInTheirStates) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE, 300, 200);
    ASSERT_NE(window, nullptr);
    skintest::TestFrame frame(schema_, window);
    const RECT b = frame.GetStoredFrameBorders();
    EXPECT_EQ(b.top, 21 + b.left);
    skintest::Canvas canvas(300, 200);
    ASSERT_TRUE(schema_->DrawThemeFrameCaption(canvas.Dc(), &frame));
    EXPECT_EQ(canvas.At(1, 100), Coded(6, 7, 1));          // left edge, active
    EXPECT_EQ(canvas.At(298, 100), Coded(6, 8, 1));        // right edge
    EXPECT_EQ(canvas.At(150, 199), Coded(6, 9, 1));        // bottom edge
    EXPECT_EQ(canvas.At(200, b.top / 2), Coded(6, 1, 1));  // caption, right of the text
    ASSERT_EQ(frame.buttons.size(), 3u);
    const RECT close = frame.buttons[0];
    EXPECT_GT(close.left, frame.buttons[1].right - 1);
    EXPECT_EQ(canvas.At((close.left + close.right) / 2, (close.top + close.bottom) / 2), Coded(6, 18, 1));
    const RECT minimize = frame.buttons[2];
    EXPECT_EQ(canvas.At((minimize.left + minimize.right) / 2, (minimize.top + minimize.bottom) / 2),
              Coded(6, 15, 1));

    frame.active = FALSE;
    ASSERT_TRUE(schema_->DrawThemeFrameCaption(canvas.Dc(), &frame));
    EXPECT_EQ(canvas.At(1, 100), Coded(6, 7, 2));
    EXPECT_EQ(canvas.At(200, b.top / 2), Coded(6, 1, 2));
    EXPECT_EQ(canvas.At((close.left + close.right) / 2, (close.top + close.bottom) / 2), Coded(6, 18, 5));
}

TEST_F(StateCodedSchemaTest, AWindowWithoutAFullCaptionGetsOnlyTheClassicEdges) {
    HWND window = MakeWindow(WS_POPUP | WS_BORDER, 0, 120, 80);
    ASSERT_NE(window, nullptr);
    skintest::TestFrame frame(schema_, window);
    skintest::Canvas canvas(120, 80);
    ASSERT_TRUE(schema_->DrawThemeFrameCaption(canvas.Dc(), &frame));
    EXPECT_EQ(canvas.At(0, 0), schema_->GetSchemaColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(canvas.At(119, 40), schema_->GetSchemaColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(canvas.At(60, 5), RGB(255, 255, 255));  // no caption
    EXPECT_TRUE(frame.buttons.empty());
}

TEST_F(StateCodedSchemaTest, TheRegionLeavesOutTheKeyColouredCaptionCorners) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE, 300, 200);
    skintest::TestFrame frame(schema_, window);
    HRGN region = schema_->GetFrameRegion(&frame, 300, 200);
    ASSERT_NE(region, nullptr);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, 299, 0));
    EXPECT_TRUE(PtInRegion(region, 150, 0));
    EXPECT_TRUE(PtInRegion(region, 150, 100));
    EXPECT_FALSE(PtInRegion(region, 0, 199));  // the bottom edge's round corners
    EXPECT_TRUE(PtInRegion(region, 5, 190));
    DeleteObject(region);
    EXPECT_EQ(schema_->FrameRegionCount(), 1u);

    // Another window of the same kind uses the same entry.
    skintest::TestFrame same(schema_, window);
    region = schema_->GetFrameRegion(&same, 500, 300);
    DeleteObject(region);
    EXPECT_EQ(schema_->FrameRegionCount(), 1u);
    schema_->ReloadMetrics();
    EXPECT_EQ(schema_->FrameRegionCount(), 0u);
}

TEST_F(StateCodedSchemaTest, AScrollBarDrawsArrowsTrackAndThumb) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, 300, 200);
    skintest::TestFrame frame(schema_, window);
    plym::ScrollBarPosInfo bar = skintest::HorizontalBar(17, 40, 50);
    bar.hotPart = plym::kHitThumb;
    skintest::Canvas canvas(100, 17);
    schema_->DrawFrameScrollBar(canvas.Dc(), &frame, &bar);
    EXPECT_EQ(canvas.At(8, 8), Coded(21, 1, 9));    // left arrow, normal (16 cells: no hover)
    EXPECT_EQ(canvas.At(91, 8), Coded(21, 1, 13));  // right arrow
    EXPECT_EQ(canvas.At(30, 8), Coded(21, 0, 1));   // lower track: [Scrollbar(Normal)] before the part
    EXPECT_EQ(canvas.At(45, 8), Coded(21, 0, 2));   // the hot thumb
    EXPECT_EQ(canvas.At(70, 8), Coded(21, 0, 1));
}

// Refreshing the metrics for another skin frees the brushes it replaces.
TEST(SkinMetricsWinTest, ARefreshFreesTheBrushesItReplaces) {
    CPlymSkinManagerSchema* schema = new CPlymSkinManagerSchema(nullptr, nullptr);
    CPlymSkinManagerMetrics* metrics = schema->GetMetrics();
    skintest::Parse(schema, "[SysMetrics]\nBtnFace = 10 20 30\nWindow = 1 2 3\n");
    metrics->Refresh();
    const HBRUSH face = metrics->GetFaceBrush();
    const HBRUSH faceColour = metrics->GetColorBrush(COLOR_BTNFACE);
    const HBRUSH scrollColour = metrics->GetColorBrush(COLOR_SCROLLBAR);
    EXPECT_EQ(GetObjectType(face), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_TRUE(metrics->IsMetricsBrush(faceColour));
    EXPECT_FALSE(metrics->IsMetricsBrush(static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    EXPECT_EQ(metrics->GetColorBrush(-1), nullptr);
    EXPECT_EQ(metrics->GetColorBrush(31), nullptr);

    skintest::Parse(schema, "[SysMetrics]\nBtnFace = 40 50 60\nWindow = 1 2 3\n");
    metrics->Refresh();
    EXPECT_EQ(GetObjectType(faceColour), 0u);  // deleted
    EXPECT_EQ(GetObjectType(face), 0u);
    EXPECT_EQ(metrics->GetColorBrush(COLOR_SCROLLBAR), scrollColour);  // unchanged colour, same brush
    EXPECT_EQ(metrics->ColorAt(COLOR_BTNFACE), RGB(40, 50, 60));
    schema->Release();
    EXPECT_EQ(GetObjectType(scrollColour), 0u);
}

// Swaps red and blue.
class SwapRedAndBlue : public CPlymSkinManagerColorFilter {
  public:
    void FilterColor(COLORREF* color) override { *color = Swapped(*color); }
    static COLORREF Swapped(COLORREF c) { return RGB(GetBValue(c), GetGValue(c), GetRValue(c)); }
};

// The manager's colour filters reach every colour of a schema: its system
// colours, the colours of its properties and the pixels of its images.
TEST(SkinSchemaWinTest, TheManagersColourFiltersReachEveryColourOfTheSkin) {
    CPlymSkinManager* manager = GetPlymSkinManager();
    manager->AddColorFilter(std::make_unique<SwapRedAndBlue>());
    auto* file = new CPlymSkinManagerResourceFile(manager);
    ASSERT_TRUE(file->Open(VEK_STATE_CODED_SKIN_MODULE, "NormalBlack.ini"));
    CPlymSkinManagerSchema* schema = file->CreateSchema();
    file->Release();
    schema->ReadProperties();
    schema->ReloadMetrics();

    EXPECT_EQ(schema->GetSchemaColor(COLOR_BTNFACE), SwapRedAndBlue::Swapped(RGB(120, 135, 128)));
    skintest::Canvas canvas(40, 20);
    const RECT all{0, 0, 40, 20};
    ASSERT_TRUE(schema->GetThemeClass("BUTTON")->DrawThemeBackground(canvas.Dc(), 1, 2, &all));
    EXPECT_EQ(canvas.At(20, 10), SwapRedAndBlue::Swapped(Coded(7, 1, 2)));  // a border fill's FILLCOLOR
    ASSERT_TRUE(schema->GetThemeClass("SCROLLBAR")->DrawThemeBackground(canvas.Dc(), 1, 9, &all));
    EXPECT_EQ(canvas.At(20, 10), SwapRedAndBlue::Swapped(Coded(21, 1, 9)));  // an image cell
    manager->RemoveColorFilters();
    schema->Release();
}

// Theme classes cache pointers to the properties: a new read makes new ones.
TEST(SkinSchemaWinTest, ARereadAnswersWithTheNewProperties) {
    CPlymSkinManagerSchema* schema = new CPlymSkinManagerSchema(nullptr, nullptr);
    skintest::Parse(schema, "[Button]\nBorderSize = 3\n");
    EXPECT_EQ(schema->GetThemeClass("BUTTON")->GetThemeInt(1, 1, plym::kPropBorderSize, 0), 3);
    skintest::Parse(schema, "[Button]\nBorderSize = 5\n");
    EXPECT_EQ(schema->GetThemeClass("BUTTON")->GetThemeInt(1, 1, plym::kPropBorderSize, 0), 5);
    schema->Release();
}

// The theme is what the visual-style functions name: Wine's own style is
// none of the five; a skin names its file and its INI's colour.
TEST(ColorManagerWinTest, FollowsTheSystemColoursAndDetectsTheThemeTheStyleFunctionsName) {
    EXPECT_FALSE(CPlymColorManager::IsLowColorDisplay(nullptr));
    CPlymColorManager* colors = GetPlymColorManager();
    colors->RefreshColors();
    EXPECT_EQ(colors->GetColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(colors->GetColor(0), 0u);
    EXPECT_EQ(colors->GetColor(59), 0u);
    EXPECT_EQ(colors->GetColor(0x123456), 0x123456u);
    EXPECT_EQ(colors->DetectSystemTheme(), 0);

    // Skins in folder form: an INI file beside a skin path that need not exist.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "skintest_themes_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* ini : {"Blue.ini", "HomeStead.ini", "NormalMetallic.ini", "NormalBlack.ini"}) {
        FILE* out = std::fopen((folder + ini).c_str(), "wb");
        ASSERT_NE(out, nullptr) << ini;
        std::fputs("[SysMetrics]\r\nWindow = 1 2 3\r\n", out);
        std::fclose(out);
    }
    const struct {
        const char* skin;
        const char* ini;
        int theme;
    } cases[] = {
        {"WinXP.Luna.vyrstyles", "Blue.ini", 1},           {"WinXP.Luna.vyrstyles", "HomeStead.ini", 2},
        {"WinXP.Luna.vyrstyles", "NormalMetallic.ini", 3}, {"WinXP.Luna.vyrstyles", "NormalBlack.ini", 0},
        {"WinXP.Royale.vyrstyles", "NormalBlack.ini", 4},  {"Vista.vyrstyles", "Blue.ini", 0},
    };
    CPlymSkinManager* manager = GetPlymSkinManager();
    manager->SetHookedGroups(7);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.skin) + " " + c.ini);
        ASSERT_TRUE(manager->OpenSkin((folder + c.skin).c_str(), c.ini));
        EXPECT_EQ(colors->DetectSystemTheme(), c.theme);
        EXPECT_EQ(colors->GetCurrentTheme(), c.theme);  // the skin change refreshed the colours
    }
    EXPECT_FALSE(manager->OpenSkin("C:\\nowhere\\WinXP.Luna.vyrstyles", "Blue.ini"));
    EXPECT_EQ(colors->DetectSystemTheme(), 0);
    EXPECT_EQ(colors->GetCurrentTheme(), 0);
    for (const char* ini : {"Blue.ini", "HomeStead.ini", "NormalMetallic.ini", "NormalBlack.ini"})
        DeleteFileA((folder + ini).c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(WinThemeWrapperTest, TheNameQueryAlwaysEndsItsStrings) {
    for (int kind : {0, 1}) {
        CPlymWinThemeWrapper themes(kind);
        WCHAR file[4];
        WCHAR color[2];
        WCHAR size[1];
        for (auto* buffer : {file, color, size})
            buffer[0] = L'?';
        file[3] = color[1] = L'?';
        const HRESULT result = themes.GetCurrentThemeName(file, 4, color, 2, size, 1);
        EXPECT_EQ(file[3], L'\0');
        EXPECT_EQ(color[1], L'\0');
        EXPECT_EQ(size[0], L'\0');
        if (FAILED(result)) {
            EXPECT_EQ(file[0], L'\0');
        }
    }
}

TEST(ModuleHandleWinTest, AFunctionNeedingANewerLibraryIsReportedMissing) {
    HMODULE loaded = LoadLibraryA("comctl32.dll");
    ASSERT_NE(loaded, nullptr);
    CPlymModuleHandle comctl;
    ASSERT_TRUE(comctl.AttachOrLoad("comctl32.dll"));
    EXPECT_EQ(comctl.GetHow(), CPlymModuleHandle::kAttached);
    const DWORD version = comctl.GetDllVersion();
    ASSERT_GT(version, 0u);
    EXPECT_NE(comctl.GetFunction("InitCommonControlsEx"), nullptr);
    EXPECT_NE(comctl.GetFunction("InitCommonControlsEx", version), nullptr);
    EXPECT_EQ(comctl.GetFunction("InitCommonControlsEx", version + 1), nullptr);
    EXPECT_EQ(comctl.GetFunction("NoSuchFunction"), nullptr);
    comctl.Release();  // attached: not freed
    EXPECT_EQ(comctl.Handle(), nullptr);
    EXPECT_EQ(GetModuleHandleA("comctl32.dll"), loaded);
    FreeLibrary(loaded);
}

TEST(MonitorHelperWinTest, WithoutMultiMonitorFunctionsTheScreenAndWorkAreaStandIn) {
    CPlymMonitorHelper fallback(false);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const RECT got = fallback.WorkAreaFromPoint({5, 5});
    EXPECT_TRUE(EqualRect(&got, &work));
    const RECT screen = fallback.MonitorRectFromWindow(GetDesktopWindow());
    EXPECT_EQ(screen.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(screen.bottom, GetSystemMetrics(SM_CYSCREEN));
    const RECT monitor = GetPlymMonitorHelper()->MonitorRectFromPoint({5, 5});
    EXPECT_GT(monitor.right - monitor.left, 0);
}

// A sound API whose PlaySound blocks while a sound plays, until a purge -- or,
// stubborn, for ever.
struct FakeSound {
    static inline std::atomic<bool> stubborn{false};
    static inline HANDLE playing = nullptr;  // set when a sound starts
    static inline HANDLE purged = nullptr;   // set by PlaySound(NULL, SND_PURGE)
    static inline HANDLE never = nullptr;
    static inline std::vector<std::string> calls;
    static inline CRITICAL_SECTION lock;

    static UINT WINAPI Devices() { return 1; }
    static UINT WINAPI NoDevices() { return 0; }
    static BOOL WINAPI Play(LPCSTR sound, HMODULE, DWORD flags) {
        EnterCriticalSection(&lock);
        calls.push_back(sound ? sound : (flags & SND_PURGE) ? "purge" : "stop");
        LeaveCriticalSection(&lock);
        if (!sound) {
            SetEvent(purged);
            return TRUE;
        }
        SetEvent(playing);
        WaitForSingleObject(stubborn ? never : purged, INFINITE);
        return TRUE;
    }
    static void Reset(bool isStubborn) {
        stubborn = isStubborn;
        calls.clear();
        for (HANDLE* event : {&playing, &purged, &never}) {
            if (!*event)
                *event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            ResetEvent(*event);
        }
    }
    static std::vector<std::string> Calls() {
        EnterCriticalSection(&lock);
        std::vector<std::string> copy = calls;
        LeaveCriticalSection(&lock);
        return copy;
    }
};

class SoundPlayerWinTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { InitializeCriticalSection(&FakeSound::lock); }
};

TEST_F(SoundPlayerWinTest, WithoutASoundDeviceNoWorkerStarts) {
    const PlymSoundApi api{&FakeSound::NoDevices, &FakeSound::Play};
    CPlymSoundPlayer player(&api);
    player.QueueSound(CPlymSoundPlayer::kMenuPopup);
    EXPECT_FALSE(player.HasSoundDevice());
    EXPECT_FALSE(player.IsWorkerRunning());
}

// Stopping purges the playing sound first, so the worker ends by itself.
TEST_F(SoundPlayerWinTest, StopPurgesThePlayingSoundAndTheWorkerEnds) {
    FakeSound::Reset(false);
    const PlymSoundApi api{&FakeSound::Devices, &FakeSound::Play};
    CPlymSoundPlayer player(&api);
    player.QueueSound(CPlymSoundPlayer::kMenuPopup);
    ASSERT_TRUE(player.IsWorkerRunning());
    ASSERT_EQ(WaitForSingleObject(FakeSound::playing, 5000), WAIT_OBJECT_0);
    const DWORD start = GetTickCount();
    player.Stop();
    EXPECT_LT(GetTickCount() - start, 900u);
    EXPECT_FALSE(player.LastStopTerminated());
    EXPECT_FALSE(player.IsWorkerRunning());
    const std::vector<std::string> calls = FakeSound::Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "MenuPopup");
    EXPECT_EQ(calls[1], "purge");
}

// A worker that does not end within about a second is terminated -- after
// the purge.
TEST_F(SoundPlayerWinTest, AWorkerThatDoesNotEndIsTerminatedAfterThePurge) {
    FakeSound::Reset(true);
    const PlymSoundApi api{&FakeSound::Devices, &FakeSound::Play};
    CPlymSoundPlayer player(&api);
    player.QueueSound(CPlymSoundPlayer::kMenuCommand);
    ASSERT_EQ(WaitForSingleObject(FakeSound::playing, 5000), WAIT_OBJECT_0);
    const DWORD start = GetTickCount();
    player.Stop();
    EXPECT_GE(GetTickCount() - start, 1000u);
    EXPECT_TRUE(player.LastStopTerminated());
    EXPECT_EQ(FakeSound::Calls(), (std::vector<std::string>{"MenuCommand", "purge"}));
}

TEST(OSVersionWinTest, TheSystemIsOfTheNTFamily) {
    const CPlymOSVersionInfo& version = GetPlymOSVersionInfo();
    EXPECT_FALSE(version.OnWin9xFamily());
    EXPECT_TRUE(version.OnXPOrLater());
}

}  // namespace
