// app/play/timebar_model.h
//
// The recording time bar without its window: one day of recordings for the four
// play panes (one row each), a cursor per row or one common cursor for a sync
// group, six zoom levels, and what mouse and keys do. The window (the
// CVideoRecordTimeCtrl) feeds it client sizes, input and tick counts, paints
// what Bars, Cursors and Ruler return, and turns a seek into WM_TIMEBAR_SEEK
// (control id, row) to its parent.
//
// The clicked time (hour, minute, second) is the one seek target of the bar: a
// click on a row sets it, and so does a double click on a row of the recording
// list (SetClickedTime) before the pane seeks. FindRecordAt reads it.
//
// Rows are 0..3 and nothing else: a point in the ruler or below the fourth row
// is no row, so it neither drags nor seeks.
//
// A click on no cell of the day (beyond its end, in the pixels right of the
// twelfth cell) does not seek: the clicked time is unchanged, and seeking to
// an earlier click's time would jump somewhere the user did not point.
//
// A release seeks only after a press in the bar, and the pointer's button
// state on every move ends a press whose release went elsewhere.
//
// Cursors keep their time, not their pixel, so they stay on their time when
// the bar zooms or changes size.
//
// Zooming returns the view to the start of the day at once, even at the first
// or last level, so hits between the zoom and the next paint agree with what
// will be shown.
//
// A row keeps at most kTimebarMaxRecords records, so a filler fed without
// bound (a network peer) cannot grow it further.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/base/pixel_rect.h"
#include "app/base/timebar_record.h"
#include "app/play/timebar_view.h"

namespace play {

inline constexpr int kTimebarMaxRecords = 65536;
inline constexpr int kTimebarRowNameMax = 15;  // characters
inline constexpr uint32_t kTimebarDragDelayMs = 11;
inline constexpr int kTimebarZoomButtonSize = 18;

// Colours (COLORREF, 0x00BBGGRR).
inline constexpr uint32_t kTimebarBackground = 0x2E2E2E;
inline constexpr uint32_t kTimebarRulerTop = 0x545454;  // ruler gradient, top to bottom
inline constexpr uint32_t kTimebarRulerBottom = 0x2E2E2E;
inline constexpr uint32_t kTimebarSeparatorDark = 0x4E4E4E;
inline constexpr uint32_t kTimebarSeparatorLight = 0xD4D4D4;
inline constexpr uint32_t kTimebarRowBackground = 0x1E1E1E;
inline constexpr uint32_t kTimebarText = 0x969600;      // row names and ruler labels
inline constexpr uint32_t kTimebarWhite = 0xFFFFFF;     // ticks, hover text, cursors
inline constexpr uint32_t kTimebarBarShade = 0x0A0A0A;  // bars: gradient from their colour to this
inline constexpr uint32_t kTimebarDragCursor = 0x0000FF;

// Cursor resources.
inline constexpr int kTimebarCursorGrab = 171;  // over a zoom button, while dragging
inline constexpr int kTimebarCursorPoint = 172;

enum class TimebarKey { PageUp, PageDown, End, Home, Left, Up, Right, Down, Other };

// A click that seeks: row 0..3, or -1 for the common cursor (a sync group).
struct TimebarSeek {
    int row = -1;
    ClockTime time;
};

// What an input event asks of the window.
struct TimebarResponse {
    bool handled = true;  // keys: false when the key is to be passed on
    bool repaint = false;
    int cursor = 0;  // cursor resource to set, 0 to leave it
    std::optional<TimebarSeek> seek;
};

// One bar to paint: the rectangle is clipped to the bar area.
struct TimebarBar {
    int record = 0;  // index in the row
    PixelRect rect;
    uint32_t colour = 0;
};

// A vertical cursor line from (x, top) to (x, bottom), with an arrow head of two
// strokes from (x - 3, top + 3) and (x + 3, top + 3) to (x, top).
struct TimebarCursorMark {
    int x = 0;
    int top = 0;
    int bottom = 0;
    uint32_t colour = kTimebarWhite;
};

// A grid line of the ruler in view: its tick from tickTop to the ruler's foot,
// and its label centred over it.
struct TimebarRulerMark {
    int grid = 0;
    int x = 0;
    int tickTop = 0;
    PixelRect labelBox;
    std::string label;
};

// "HH:MM" of a grid line at a zoom level.
std::string RulerLabel(int zoom, int grid);

class TimebarModel {
  public:
    // Client size; the scroll offset keeps its first cell in view.
    void Resize(int width, int height);
    const TimebarView& view() const { return view_; }

    // Records. Rows outside 0..3 are ignored (count 0, no record).
    bool AddRecord(int row, const _recfile_info_t& record);
    void ClearRecords(int row);  // also frees the row's storage
    int GetRecordCount(int row) const;
    const _recfile_info_t* Record(int row, int index) const;
    bool SetRecord(int row, int index, const _recfile_info_t& record);

    // At most 15 characters are kept.
    void SetRowName(int row, std::string_view name);
    std::string_view RowName(int row) const;

    // Cursors. SetCursorTime ignores rows outside 0..3 (common or not) and
    // reports whether the cursor moved (repaint). ShowCursor of the common
    // cursor takes any row, of a row's cursor only 0..3; it reports whether
    // anything was applied.
    bool SetCursorTime(int row, int hour, int minute, int second, bool common);
    bool ShowCursor(int row, bool show, bool common);
    bool CursorShown(int row) const;
    bool CommonCursorShown() const { return commonCursorShown_; }
    int CursorX(int row) const;  // pixels from the day's start
    int CommonCursorX() const;

    // The seek target. Fields out of range (hour 0..23, minute and second 0..59)
    // are stored as 0.
    void SetClickedTime(int hour, int minute, int second);
    ClockTime ClickedTime() const { return clicked_; }

    // Where a seek on the row goes, with the clicked time taken on each record's
    // own (start) date; records in the order added:
    //   0  empty row, bad row, or after the last record: *out untouched
    //   1  inside a record: *out = the target
    //   2  before the first record or in a gap: *out = the next record's start
    int FindRecordAt(int row, RecfileTime* out) const;

    // Input. Ticks are the system's millisecond tick count.
    TimebarResponse LeftButtonDown(int x, int y, uint32_t tickMs);
    TimebarResponse MouseMove(int x, int y, bool leftButtonDown, uint32_t tickMs);
    TimebarResponse LeftButtonUp(int x, int y);
    TimebarResponse MouseWheel(int delta);
    TimebarResponse MouseLeave();
    TimebarResponse KeyDown(TimebarKey key);
    // Direction 0 zooms in (to 5), 1 out (to 0); either returns to the start
    // of the day.
    void Zoom(int direction);

    // Painting.
    std::vector<TimebarBar> Bars(int row) const;
    std::vector<TimebarCursorMark> Cursors() const;
    std::vector<TimebarRulerMark> Ruler() const;
    static PixelRect ZoomButtonRect(int button);  // 0 zoom in, 1 zoom out
    static PixelRect RowNameRect(int row);
    int ZoomButtonAt(int x, int y) const;  // -1 when none
    int hotButton() const { return hotButton_; }
    int pressedButton() const { return pressedButton_; }
    const std::string& hoverText() const { return hoverText_; }  // centred at hoverX, hoverY
    int hoverX() const { return hoverX_; }
    int hoverY() const { return hoverY_; }
    bool dragging() const { return dragging_; }
    int currentRow() const { return currentRow_; }

  private:
    struct Row {
        std::string name;
        ClockTime cursor;
        bool cursorShown = false;
        std::vector<_recfile_info_t> records;
    };

    static bool ValidRow(int row) { return row >= 0 && row < kTimebarRowCount; }
    int DragXFor(int x) const;
    bool SetScroll(int scroll);

    TimebarView view_;
    std::array<Row, kTimebarRowCount> rows_;
    std::string hoverText_;
    int hoverX_ = 0;
    int hoverY_ = 0;
    int dragX_ = 0;  // from the bar area's left edge
    bool pressed_ = false;
    int hotButton_ = -1;
    int pressedButton_ = -1;
    int currentRow_ = -1;
    uint32_t pressTick_ = 0;
    int lastMoveX_ = 0;
    ClockTime clicked_;
    bool dragging_ = false;
    bool commonCursorShown_ = false;
    ClockTime commonCursor_;
};

}  // namespace play
