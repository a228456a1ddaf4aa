// tests/app/base/page_base_test.cpp
//
// What the page families share that is easy to get wrong: the speed table,
// where the tool bar's and a pane's children go, and capture names a
// recorder's name cannot steer out of their folder.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/base/capture_names.h"
#include "app/base/play_layouts.h"
#include "app/base/play_speed.h"
#include "res/play_pane_ids.h"

namespace {

TEST(PlaySpeed, LevelsModesAndTexts) {
    const std::vector<std::tuple<int, int, std::string>> table = {
        {-4, 7, "-16x"}, {-3, 6, "-8x"},  {-2, 5, "-4x"},  {-1, 4, "-2x"},   {0, 1, "1x"},
        {1, 0x10, "2x"}, {2, 0x11, "4x"}, {3, 0x12, "8x"}, {4, 0x13, "16x"}, {9, 0x13, "16x"}};
    for (const auto& [level, mode, text] : table) {
        EXPECT_EQ(play::ModeForSpeedLevel(level), mode) << level;
        EXPECT_EQ(play::SpeedLevelText(level), text) << level;
    }
}

TEST(PlayLayouts, ToolbarAndPane) {
    const std::vector<play::ToolbarPlacement> bar = play::LayOutToolbar({10, 5, 990, 26});
    ASSERT_EQ(bar.size(), 18u);
    EXPECT_EQ(bar[0], (play::ToolbarPlacement{IDC_TOOL_PLAY, {10, 6, 35, 25}}));
    EXPECT_EQ(bar[10], (play::ToolbarPlacement{IDC_TOOL_DOWNLOAD, {370, 6, 35, 25}}));
    EXPECT_EQ(bar[13], (play::ToolbarPlacement{IDC_TOOL_FULL_SCREEN, {479, 6, 28, 25}}));
    EXPECT_EQ(bar[15], (play::ToolbarPlacement{IDC_TOOL_STATE, {577, 6, 80, 25}}));
    EXPECT_EQ(bar[17], (play::ToolbarPlacement{IDC_TOOL_VOLUME, {854, 8, 140, 20}}));

    const play::PaneRects pane = play::LayOutPlayPane({0, 0, 400, 300});
    EXPECT_EQ(pane.timeText, (play::PixelRect{280, 0, 115, 14}));
    EXPECT_EQ(pane.video, (play::PixelRect{1, 14, 398, 285}));
    EXPECT_EQ(play::LayOutPlayPane({0, 0, 1, 1}).video.height, 0);
    EXPECT_EQ(play::PaneTitle("Playback Window:", 3), "Playback Window:4");
}

TEST(CaptureNames, RecorderNamesCannotLeaveTheFolder) {
    EXPECT_EQ(play::SafeFolderName("Bus 12"), "Bus 12");
    EXPECT_EQ(play::SafeFolderName("..\\..\\Windows"), ".._.._Windows");
    EXPECT_EQ(play::SafeFolderName(".."), "_");
    EXPECT_EQ(play::SafeFolderName("a:b/c*?\"<>|\x01"), "a_b_c_______");
    const play::CivilTime now{2024, 12, 31, 23, 59, 58};
    EXPECT_EQ(play::CaptureFolder("C:\\Cap", "", now), "C:\\Cap\\2024-12-31");
    EXPECT_EQ(play::CaptureFolder("C:\\Cap", "..", now), "C:\\Cap\\_\\2024-12-31");
    EXPECT_EQ(play::ClipFilePath("F", 1, now, 7), "F\\ch02-20241231-235958.mp4");
    EXPECT_EQ(play::ClipRecordType(7), 1);
}

}  // namespace
