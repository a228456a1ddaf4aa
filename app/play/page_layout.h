// app/play/page_layout.h
//
// Where the parts of the two playback pages go, as pure functions of a client
// rectangle and a few flags. The page and frame dialogs move their children to
// these rectangles on WM_SIZE and show or hide them as told.
//
//   page     the list on the left (270 pixels on the disk page, 240 on the
//            network page), the playback frame right of it, and the 190-pixel
//            sensor panel below the frame when it is shown
//   frame    the view type selector (25 high), the content (video grid, map
//            grid or both side by side), the tool bar (26), the time-bar strip
//            (100)
//
// Widths and heights are never negative: a client too small for the fixed
// parts gives the content 0 pixels, and the parts below it keep their sizes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/base/pane_count.h"
#include "app/base/pixel_rect.h"

namespace play {

enum class PageKind { Disk, Network };

// View types of the playback frame.
enum class ViewType { Video = 1, Map = 2, VideoMap = 3 };

// WM_VIEW_TYPE's wParam (the selector's buttons) and the view types they choose.
inline constexpr int kViewTypeVideoCommand = 1045;
inline constexpr int kViewTypeMapCommand = 1046;
inline constexpr int kViewTypeVideoMapCommand = 1047;
std::optional<ViewType> ViewTypeFromCommand(int command);

// Fixed sizes.
inline constexpr int kDiskListWidth = 270;
inline constexpr int kNetworkListWidth = 240;
inline constexpr int kSensorPanelHeight = 190;
inline constexpr int kTypeSelectorHeight = 25;
inline constexpr int kToolBarHeight = 26;
inline constexpr int kStripHeight = 100;
inline constexpr int kFrameFixedHeight = 151;  // selector + tool bar + strip
inline constexpr int kViewButtonWidth = 170;

struct PageRects {
    PixelRect list;
    PixelRect frame;
    Placement sensorPanel;
};
PageRects LayOutPage(PageKind kind, const PixelRect& client, bool sensorPanelHidden);

// The sensor panel starts hidden unless the disk page's [Mimic] setting is 1;
// the network page starts with it hidden.
bool SensorPanelHiddenAtStart(PageKind kind, int mimicSetting);

struct FrameRects {
    PixelRect typeSelector;
    Placement videoGrid;
    Placement mapGrid;  // never shown when the frame has no map grid
    PixelRect toolBar;
    PixelRect strip;
};
// hasMapGrid: the map grid exists (GPS switch on).
FrameRects LayOutFrame(const PixelRect& client, ViewType type, bool hasMapGrid);

// The view type selector: three buttons 170 wide from the left, and from the
// middle of the client the title, the Sync Playback check box with its label
// and the Show Watermark check box with its label.
struct TypeSelectorRects {
    Placement videoButton;       // 1006
    Placement trackButton;       // 1007
    Placement videoTrackButton;  // 1008
    PixelRect title;             // 1009
    PixelRect syncCheck;         // 1044
    PixelRect syncLabel;         // 1246
    Placement watermarkCheck;    // 1236
    Placement watermarkLabel;    // 1247
};
// gps: Track and Video Track exist; viewButtons: the three buttons are shown at
// all (not on the network page); watermark: the [Watermark] setting is on.
TypeSelectorRects LayOutTypeSelector(const PixelRect& client, bool gps, bool viewButtons, bool watermark);

// The strip routes a seek from its time bar: a row to that play pane, the
// common cursor (-1) to the tool bar; any other row goes nowhere.
enum class SeekRoute { None, Pane, ToolBar };
struct SeekDestination {
    SeekRoute route = SeekRoute::None;
    int pane = -1;
};
SeekDestination RouteTimebarSeek(int row);

// The strip's name for a time-bar row: "%s%02d" of the word ("Window") and
// row + 1.
std::string TimebarRowName(std::string_view word, int row);

}  // namespace play
