// app/play/timebar_model.cpp
#include "app/play/timebar_model.h"

#include <algorithm>
#include <cstdio>

namespace play {

namespace {

constexpr int kRulerLabelWidth = 40;
constexpr int kRulerTickLength = 6;
constexpr int kZoomButtonLeft = 15;
constexpr int kZoomButtonGap = 5;

int RowsBottom() {
    return kTimebarHeaderHeight + kTimebarRowCount * kTimebarRowHeight;
}

ClockTime ValidClock(int hour, int minute, int second) {
    return {hour >= 0 && hour <= 23 ? hour : 0, minute >= 0 && minute <= 59 ? minute : 0,
            second >= 0 && second <= 59 ? second : 0};
}

std::string ClockText(const ClockTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

}  // namespace

std::string RulerLabel(int zoom, int grid) {
    const long seconds = static_cast<long>(grid) * SecondsPerCell(zoom);
    char text[48];
    std::snprintf(text, sizeof text, "%02ld:%02ld", seconds / 3600, seconds % 3600 / 60);
    return text;
}

void TimebarModel::Resize(int width, int height) {
    const int oldCell = view_.cellWidth();
    const int firstCell = -view_.scrollX / oldCell;
    view_.width = std::clamp(width, 0, 0xFFFF);
    view_.height = std::clamp(height, 0, 0xFFFF);
    view_.scrollX = view_.ClampScroll(-firstCell * view_.cellWidth());
}

// Records.

bool TimebarModel::AddRecord(int row, const _recfile_info_t& record) {
    if (!ValidRow(row) || rows_[row].records.size() >= kTimebarMaxRecords)
        return false;
    rows_[row].records.push_back(record);
    return true;
}

void TimebarModel::ClearRecords(int row) {
    if (ValidRow(row))
        std::vector<_recfile_info_t>().swap(rows_[row].records);
}

int TimebarModel::GetRecordCount(int row) const {
    return ValidRow(row) ? static_cast<int>(rows_[row].records.size()) : 0;
}

const _recfile_info_t* TimebarModel::Record(int row, int index) const {
    if (index < 0 || index >= GetRecordCount(row))
        return nullptr;
    return &rows_[row].records[index];
}

bool TimebarModel::SetRecord(int row, int index, const _recfile_info_t& record) {
    if (index < 0 || index >= GetRecordCount(row))
        return false;
    rows_[row].records[index] = record;
    return true;
}

void TimebarModel::SetRowName(int row, std::string_view name) {
    if (ValidRow(row))
        rows_[row].name = std::string(name.substr(0, kTimebarRowNameMax));
}

std::string_view TimebarModel::RowName(int row) const {
    return ValidRow(row) ? std::string_view(rows_[row].name) : std::string_view();
}

// Cursors and the clicked time.

bool TimebarModel::SetCursorTime(int row, int hour, int minute, int second, bool common) {
    if (!ValidRow(row))
        return false;
    ClockTime& cursor = common ? commonCursor_ : rows_[row].cursor;
    const int before = view_.TimeToX(cursor.hour, cursor.minute, cursor.second);
    cursor = ValidClock(hour, minute, second);
    return view_.TimeToX(cursor.hour, cursor.minute, cursor.second) != before;
}

bool TimebarModel::ShowCursor(int row, bool show, bool common) {
    if (common) {
        commonCursorShown_ = show;
        return true;
    }
    if (!ValidRow(row))
        return false;
    rows_[row].cursorShown = show;
    return true;
}

bool TimebarModel::CursorShown(int row) const {
    return ValidRow(row) && rows_[row].cursorShown;
}

int TimebarModel::CursorX(int row) const {
    if (!ValidRow(row))
        return 0;
    const ClockTime& c = rows_[row].cursor;
    return view_.TimeToX(c.hour, c.minute, c.second);
}

int TimebarModel::CommonCursorX() const {
    return view_.TimeToX(commonCursor_.hour, commonCursor_.minute, commonCursor_.second);
}

void TimebarModel::SetClickedTime(int hour, int minute, int second) {
    clicked_ = ValidClock(hour, minute, second);
}

int TimebarModel::FindRecordAt(int row, RecfileTime* out) const {
    if (!ValidRow(row) || !out)
        return 0;
    const std::vector<_recfile_info_t>& records = rows_[row].records;
    for (size_t i = 0; i < records.size(); ++i) {
        const _recfile_info_t& r = records[i];
        RecfileTime target = r.start;
        target.hour = static_cast<uint8_t>(clicked_.hour);
        target.minute = static_cast<uint8_t>(clicked_.minute);
        target.second = static_cast<uint8_t>(clicked_.second);
        target.spare = 0;
        const int64_t t = TimeKey(target);
        if (t >= TimeKey(r.start) && t <= TimeKey(r.end)) {
            *out = target;
            return 1;
        }
        if (t < TimeKey(r.start)) {
            if (i == 0 || t > TimeKey(records[i - 1].end)) {
                *out = r.start;
                out->spare = 0;
                return 2;
            }
            *out = target;
            return 1;
        }
    }
    return 0;
}

// Input.

int TimebarModel::ZoomButtonAt(int x, int y) const {
    for (int b = 0; b < 2; ++b) {
        if (ZoomButtonRect(b).Contains(x, y))
            return b;
    }
    return -1;
}

int TimebarModel::DragXFor(int x) const {
    return std::clamp(x, view_.barLeft(), std::max(view_.barLeft(), view_.barRight() - 1)) - view_.barLeft();
}

bool TimebarModel::SetScroll(int scroll) {
    scroll = view_.ClampScroll(scroll);
    if (scroll == view_.scrollX)
        return false;
    view_.scrollX = scroll;
    return true;
}

TimebarResponse TimebarModel::LeftButtonDown(int x, int y, uint32_t tickMs) {
    TimebarResponse r;
    pressedButton_ = ZoomButtonAt(x, y);
    if (pressedButton_ >= 0) {
        r.cursor = kTimebarCursorGrab;
        r.repaint = true;
    }
    pressTick_ = tickMs;
    lastMoveX_ = x;
    currentRow_ = view_.RowAt(y);
    pressed_ = true;
    if (currentRow_ >= 0 && view_.InBarArea(x)) {
        dragX_ = x - view_.barLeft();
        dragging_ = commonCursorShown_ || rows_[currentRow_].cursorShown;
        if (dragging_) {
            r.cursor = kTimebarCursorGrab;
            r.repaint = true;
        }
    }
    return r;
}

TimebarResponse TimebarModel::MouseMove(int x, int y, bool leftButtonDown, uint32_t tickMs) {
    TimebarResponse r;
    r.cursor = kTimebarCursorPoint;

    const int hot = ZoomButtonAt(x, y);
    if (hot != hotButton_) {
        hotButton_ = hot;
        r.repaint = true;
    }

    const int row = view_.RowAt(y);
    std::string hover;
    if (row >= 0 && view_.InBarArea(x)) {
        if (const std::optional<ClockTime> t = view_.XToTime(x))
            hover = ClockText(*t);
    }
    if (hover != hoverText_ || !hover.empty())
        r.repaint = true;
    hoverText_ = std::move(hover);
    hoverX_ = x;
    hoverY_ = y;

    if (!leftButtonDown) {
        if (dragging_)
            r.repaint = true;
        pressed_ = false;
        dragging_ = false;
    }
    const int dx = x - lastMoveX_;
    lastMoveX_ = x;
    if (!pressed_ || tickMs - pressTick_ < kTimebarDragDelayMs)
        return r;

    if (y >= 0 && y < kTimebarHeaderHeight && view_.zoom > 0 && pressedButton_ < 0) {
        if (SetScroll(view_.scrollX + dx))
            r.repaint = true;
    } else if (row >= 0) {
        dragging_ = commonCursorShown_ || (row == currentRow_ && rows_[row].cursorShown);
        if (dragging_)
            dragX_ = DragXFor(x);
        r.repaint = true;
    }
    return r;
}

TimebarResponse TimebarModel::LeftButtonUp(int x, int y) {
    TimebarResponse r;
    r.repaint = true;
    if (pressedButton_ >= 0 && ZoomButtonAt(x, y) == pressedButton_)
        Zoom(pressedButton_ == 0 ? 0 : 1);
    pressedButton_ = -1;

    const int row = view_.RowAt(y);
    if (pressed_ && row >= 0 && view_.InBarArea(x)) {
        const std::optional<ClockTime> t = view_.XToTime(x);
        if (commonCursorShown_) {
            if (t) {
                dragX_ = x - view_.barLeft();
                clicked_ = *t;
                commonCursorShown_ = false;
                r.seek = TimebarSeek{-1, *t};
            }
        } else if (row == currentRow_ && rows_[row].cursorShown) {
            if (t) {
                clicked_ = *t;
                SetCursorTime(row, t->hour, t->minute, t->second, false);
                dragX_ = x - view_.barLeft();
                rows_[row].cursorShown = false;
                r.seek = TimebarSeek{row, *t};
            }
        } else {
            currentRow_ = -1;
        }
    } else {
        currentRow_ = -1;
    }
    dragging_ = false;
    pressed_ = false;
    return r;
}

TimebarResponse TimebarModel::MouseWheel(int delta) {
    TimebarResponse r;
    if (delta != 0) {
        Zoom(delta > 0 ? 0 : 1);
        r.repaint = true;
    }
    return r;
}

TimebarResponse TimebarModel::MouseLeave() {
    hoverText_.clear();
    TimebarResponse r;
    r.repaint = true;
    return r;
}

TimebarResponse TimebarModel::KeyDown(TimebarKey key) {
    TimebarResponse r;
    if (view_.zoom > 0) {
        const int cell = view_.cellWidth();
        const int page = kTimebarCellsInView * cell;
        switch (key) {
            case TimebarKey::PageUp:
                SetScroll(view_.scrollX + page);
                break;
            case TimebarKey::PageDown:
                SetScroll(view_.scrollX - page);
                break;
            case TimebarKey::End:
                SetScroll(view_.MinScroll());
                break;
            case TimebarKey::Home:
                SetScroll(0);
                break;
            case TimebarKey::Left:
            case TimebarKey::Up:
                SetScroll(view_.scrollX - cell);
                break;
            case TimebarKey::Right:
            case TimebarKey::Down:
                SetScroll(view_.scrollX + cell);
                break;
            case TimebarKey::Other:
                r.handled = false;
                return r;
        }
    }
    hoverText_.clear();
    r.repaint = true;
    return r;
}

void TimebarModel::Zoom(int direction) {
    if (direction == 0)
        view_.zoom = std::min(view_.zoom + 1, kTimebarMaxZoom);
    else if (direction == 1)
        view_.zoom = std::max(view_.zoom - 1, 0);
    else
        return;
    view_.scrollX = 0;
}

// Painting.

std::vector<TimebarBar> TimebarModel::Bars(int row) const {
    std::vector<TimebarBar> bars;
    if (!ValidRow(row))
        return bars;
    const int top = view_.RowTop(row) + kTimebarBarTop;
    bool havePrevious = false;
    int previousRight = 0;
    int previousPriority = 0;
    const std::vector<_recfile_info_t>& records = rows_[row].records;
    for (size_t i = 0; i < records.size(); ++i) {
        const _recfile_info_t& rec = records[i];
        int left = view_.dayLeft() + view_.TimeToX(rec.start.hour, rec.start.minute, rec.start.second);
        int right = view_.dayLeft() + view_.TimeToX(rec.end.hour, rec.end.minute, rec.end.second);
        right = std::max(right, left + 1);
        const int priority = PaintPriority(rec.type);
        // A bar does not paint over the bar before it unless it ranks higher.
        if (havePrevious && left <= previousRight && priority <= previousPriority)
            left = previousRight;
        if (right <= left)
            continue;  // wholly under the bar before: the next one compares with that bar
        havePrevious = true;
        previousRight = right;
        previousPriority = priority;
        const int l = std::max(left, view_.barLeft());
        const int r = std::min(right, view_.barRight());
        if (r > l)
            bars.push_back({static_cast<int>(i), {l, top, r - l, kTimebarBarHeight}, rec.colour});
    }
    return bars;
}

std::vector<TimebarCursorMark> TimebarModel::Cursors() const {
    std::vector<TimebarCursorMark> marks;
    const int rowLineTop = kTimebarBarTop;
    if (commonCursorShown_) {
        const int x = view_.dayLeft() + CommonCursorX();
        if (view_.InBarArea(x))
            marks.push_back({x, kTimebarHeaderHeight + 1, RowsBottom(), kTimebarWhite});
    } else {
        for (int row = 0; row < kTimebarRowCount; ++row) {
            const int x = view_.dayLeft() + CursorX(row);
            if (rows_[row].cursorShown && view_.InBarArea(x))
                marks.push_back({x, view_.RowTop(row) + rowLineTop, view_.RowTop(row) + kTimebarRowHeight,
                                 kTimebarWhite});
        }
    }
    if (dragging_ && ValidRow(currentRow_)) {
        marks.push_back({view_.barLeft() + dragX_, view_.RowTop(currentRow_) + rowLineTop,
                         view_.RowTop(currentRow_) + kTimebarRowHeight, kTimebarDragCursor});
    }
    return marks;
}

std::vector<TimebarRulerMark> TimebarModel::Ruler() const {
    std::vector<TimebarRulerMark> marks;
    for (int g = view_.FirstVisibleGrid(); g <= view_.LastVisibleGrid(); ++g) {
        const int x = view_.GridLineX(g);
        marks.push_back(
            {g,
             x,
             kTimebarHeaderHeight - kRulerTickLength,
             {x - kRulerLabelWidth / 2, 2, kRulerLabelWidth, kTimebarHeaderHeight - kRulerTickLength - 3},
             RulerLabel(view_.zoom, g)});
    }
    return marks;
}

PixelRect TimebarModel::ZoomButtonRect(int button) {
    const int x = kZoomButtonLeft + (button == 0 ? 0 : kTimebarZoomButtonSize + kZoomButtonGap);
    return {x, (kTimebarHeaderHeight - kTimebarZoomButtonSize) / 2, kTimebarZoomButtonSize,
            kTimebarZoomButtonSize};
}

PixelRect TimebarModel::RowNameRect(int row) {
    return {4, kTimebarHeaderHeight + row * kTimebarRowHeight, kTimebarLeftMargin - 8, kTimebarRowHeight};
}

}  // namespace play
