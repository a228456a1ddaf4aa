// tests/app/play/page_layout_test.cpp
#include "app/play/page_layout.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/play/full_screen_switch.h"
#include "app/play/pane_grid.h"

namespace {

using play::PageKind;
using play::PaneGrid;
using play::PixelRect;
using play::Placement;
using play::ViewType;

TEST(PageLayout, ListFrameAndSensorPanelOfBothPages) {
    const PixelRect client{0, 0, 1280, 800};
    play::PageRects disk = play::LayOutPage(PageKind::Disk, client, false);
    EXPECT_EQ(disk.list, (PixelRect{0, 0, 270, 800}));
    EXPECT_EQ(disk.frame, (PixelRect{271, 0, 1009, 610}));
    EXPECT_EQ(disk.sensorPanel, (Placement{{271, 610, 1009, 190}, true}));
    disk = play::LayOutPage(PageKind::Disk, client, true);
    EXPECT_EQ(disk.frame, (PixelRect{271, 0, 1009, 800}));
    EXPECT_FALSE(disk.sensorPanel.shown);
    const play::PageRects net = play::LayOutPage(PageKind::Network, client, true);
    EXPECT_EQ(net.list, (PixelRect{0, 0, 240, 800}));
    EXPECT_EQ(net.frame, (PixelRect{241, 0, 1039, 800}));
    // A client smaller than the fixed parts gives no negative sizes.
    const play::PageRects tiny = play::LayOutPage(PageKind::Disk, {0, 0, 100, 100}, false);
    EXPECT_EQ(std::tuple(tiny.frame.width, tiny.frame.height), std::tuple(0, 0));

    EXPECT_TRUE(play::SensorPanelHiddenAtStart(PageKind::Disk, 0));
    EXPECT_FALSE(play::SensorPanelHiddenAtStart(PageKind::Disk, 1));
    EXPECT_TRUE(play::SensorPanelHiddenAtStart(PageKind::Network, 1));
}

class FrameLayout : public testing::TestWithParam<std::tuple<ViewType, bool>> {};

// Client 1009 x 610: content 459 high between the 25-pixel selector and the tool
// bar (26) and strip (100).
TEST_P(FrameLayout, ViewTypesAndTheMapGridThatExistsOnlyWithGps) {
    const auto [type, gps] = GetParam();
    const play::FrameRects f = play::LayOutFrame({0, 0, 1009, 610}, type, gps);
    EXPECT_EQ(f.typeSelector, (PixelRect{0, 0, 1009, 25}));
    EXPECT_EQ(f.toolBar, (PixelRect{0, 484, 1009, 26}));
    EXPECT_EQ(f.strip, (PixelRect{0, 510, 1009, 100}));
    EXPECT_EQ(f.videoGrid.shown, type != ViewType::Map);
    EXPECT_EQ(f.mapGrid.shown, gps && type != ViewType::Video);
    if (type == ViewType::VideoMap) {
        EXPECT_EQ(f.videoGrid.rect, (PixelRect{0, 25, 504, 459}));
        EXPECT_EQ(f.mapGrid.rect, (PixelRect{504, 25, 505, 459}));
    } else {
        EXPECT_EQ(f.videoGrid.rect, (PixelRect{0, 25, 1009, 459}));
        EXPECT_EQ(f.mapGrid.rect, f.videoGrid.rect);
    }
}

INSTANTIATE_TEST_SUITE_P(TypesAndGps,
                         FrameLayout,
                         testing::Combine(testing::Values(ViewType::Video, ViewType::Map, ViewType::VideoMap),
                                          testing::Bool()));

TEST(FrameLayout, TinyClientKeepsTheBarsAndCommandsChooseTheViewType) {
    const play::FrameRects f = play::LayOutFrame({0, 0, 300, 100}, ViewType::Video, false);
    EXPECT_EQ(f.videoGrid.rect.height, 0);
    EXPECT_EQ(f.strip, (PixelRect{0, 51, 300, 100}));
    EXPECT_EQ(play::ViewTypeFromCommand(1045), ViewType::Video);
    EXPECT_EQ(play::ViewTypeFromCommand(1046), ViewType::Map);
    EXPECT_EQ(play::ViewTypeFromCommand(1047), ViewType::VideoMap);
    EXPECT_FALSE(play::ViewTypeFromCommand(1048));
}

TEST(TypeSelectorLayout, ButtonsFollowGpsThePageAndTheWatermarkSetting) {
    const PixelRect client{0, 0, 1009, 25};
    play::TypeSelectorRects s = play::LayOutTypeSelector(client, true, true, true);
    EXPECT_EQ(s.videoButton, (Placement{{1, 0, 170, 25}, true}));
    EXPECT_EQ(s.trackButton, (Placement{{171, 0, 170, 25}, true}));
    EXPECT_EQ(s.videoTrackButton, (Placement{{341, 0, 170, 25}, true}));
    EXPECT_EQ(s.title.x, 504);
    EXPECT_TRUE(s.watermarkCheck.shown && s.watermarkLabel.shown);
    s = play::LayOutTypeSelector(client, false, true, false);
    EXPECT_TRUE(s.videoButton.shown);
    EXPECT_FALSE(s.trackButton.shown || s.videoTrackButton.shown || s.watermarkCheck.shown);
    s = play::LayOutTypeSelector(client, true, false, true);  // the network page
    EXPECT_FALSE(s.videoButton.shown || s.trackButton.shown || s.videoTrackButton.shown);
}

TEST(PaneGrid, FourPanesInTwoByTwoCellsOrTheSelectedOneAlone) {
    PaneGrid grid(PaneGrid::Kind::Video);
    std::array<Placement, 4> panes = grid.LayOut(800, 600);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(panes[i], (Placement{{(i % 2) * 400 + 2, (i / 2) * 300 + 2, 396, 296}, true})) << i;

    EXPECT_TRUE(grid.ToggleLayout(2));
    panes = grid.LayOut(800, 600);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(panes[i].shown, i == 2);
    EXPECT_EQ(panes[2].rect, (PixelRect{2, 2, 796, 596}));
    EXPECT_EQ(grid.paneCount(), 1);

    EXPECT_FALSE(grid.ApplyLayoutCommand(play::kOnePaneCommand));  // already one pane
    EXPECT_TRUE(grid.ApplyLayoutCommand(play::kFourPaneCommand));
    EXPECT_FALSE(grid.ApplyLayoutCommand(1057));
    EXPECT_FALSE(grid.ToggleLayout(4));
    EXPECT_EQ(grid.paneCount(), 4);
}

TEST(PaneGrid, SelectionAndItsFrames) {
    PaneGrid grid(PaneGrid::Kind::Video);
    const PaneGrid::Selection first = grid.Select(3);
    EXPECT_EQ(std::tuple(first.changed, first.previous, grid.selectedPane()), std::tuple(true, 0, 3));
    EXPECT_FALSE(grid.Select(3).changed);
    EXPECT_FALSE(grid.Select(-1).changed);
    std::vector<play::PaneFrame> frames = grid.Frames(800, 600);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].rect, (PixelRect{-1, -1, 802, 602}));
    EXPECT_EQ(frames[0].colour, play::kPaneFrameColour);
    EXPECT_EQ(frames[1].rect, (PixelRect{401, 301, 398, 298}));
    EXPECT_EQ(frames[1].colour, play::kSelectedPaneColour);
    grid.ApplyLayoutCommand(play::kOnePaneCommand);
    frames = grid.Frames(800, 600);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].colour, play::kSelectedPaneColour);
}

TEST(PaneGrid, MapGridInSyncModeShowsPaneZeroAndIgnoresLayoutRequests) {
    PaneGrid map(PaneGrid::Kind::Map);
    ASSERT_TRUE(map.syncMode());
    map.Select(2);
    EXPECT_FALSE(map.ToggleLayout(2));
    EXPECT_FALSE(map.ApplyLayoutCommand(play::kOnePaneCommand));
    std::array<Placement, 4> panes = map.LayOut(400, 300);
    EXPECT_EQ(panes[0], (Placement{{2, 2, 396, 296}, true}));
    EXPECT_FALSE(panes[1].shown || panes[2].shown || panes[3].shown);

    map.SetSyncMode(false);
    EXPECT_TRUE(map.ApplyLayoutCommand(play::kOnePaneCommand));
    EXPECT_TRUE(map.LayOut(400, 300)[2].shown);

    PaneGrid video(PaneGrid::Kind::Video);
    video.SetSyncMode(true);  // only the map grid follows Sync Playback
    EXPECT_TRUE(video.ToggleLayout(1));
}

TEST(FullScreenSwitch, LeavingGivesBackThePageEnteringSaved) {
    play::FullScreenSwitch fs;
    EXPECT_EQ(fs.Leave(), 0u);  // nothing to undo: the frame keeps its parent
    EXPECT_FALSE(fs.Enter(0));
    EXPECT_TRUE(fs.Enter(0x1234));
    EXPECT_FALSE(fs.Enter(0x9999));  // twice: the first page is kept
    EXPECT_TRUE(fs.active());
    EXPECT_EQ(fs.Leave(), 0x1234u);
    EXPECT_FALSE(fs.active());
    EXPECT_EQ(fs.Leave(), 0u);
}

TEST(TimebarStrip, SeeksGoToTheRowsPaneOrTheToolBarAndRowsAreNamed) {
    for (int row = 0; row < 4; ++row) {
        const play::SeekDestination d = play::RouteTimebarSeek(row);
        EXPECT_EQ(std::tuple(d.route, d.pane), std::tuple(play::SeekRoute::Pane, row));
    }
    EXPECT_EQ(play::RouteTimebarSeek(-1).route, play::SeekRoute::ToolBar);
    EXPECT_EQ(play::RouteTimebarSeek(4).route, play::SeekRoute::None);
    EXPECT_EQ(play::RouteTimebarSeek(-2).route, play::SeekRoute::None);
    EXPECT_EQ(play::TimebarRowName("Window", 0), "Window01");
    EXPECT_EQ(play::TimebarRowName("Window", 3), "Window04");
}

}  // namespace
