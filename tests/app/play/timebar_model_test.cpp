// tests/app/play/timebar_model_test.cpp
#include "app/play/timebar_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vkfs/vkfs_api.h"

namespace {

using play::_recfile_info_t;
using play::ClockTime;
using play::RecfileTime;
using play::TimebarKey;
using play::TimebarModel;

constexpr int kCell = 50;
constexpr int kLeft = play::kTimebarLeftMargin;

RecfileTime At(int hour, int minute, int second, int day = 15) {
    return {2023,
            12,
            static_cast<uint8_t>(day),
            static_cast<uint8_t>(hour),
            static_cast<uint8_t>(minute),
            static_cast<uint8_t>(second),
            0};
}

_recfile_info_t Rec(int32_t type, RecfileTime start, RecfileTime end) {
    _recfile_info_t r;
    r.colour = play::RecordTypeColour(type);
    r.start = start;
    r.end = end;
    r.type = type;
    return r;
}

// The bars of a row as [left, right) pairs.
std::vector<std::pair<int, int>> Spans(const TimebarModel& bar, int row) {
    std::vector<std::pair<int, int>> spans;
    for (const play::TimebarBar& b : bar.Bars(row))
        spans.emplace_back(b.rect.x, b.rect.right());
    return spans;
}

// A time bar of 50-pixel cells (a 690-pixel client): 6 hours in 300 pixels at
// zoom 0.
class TimebarModelTest : public testing::Test {
  protected:
    TimebarModelTest() { bar.Resize(kCell * 12 + 90, 100); }

    int RowY(int row) const { return bar.view().RowTop(row) + 5; }
    // x of a time in the bar at the current zoom and scroll.
    int X(int hour) const { return bar.view().dayLeft() + bar.view().TimeToX(hour, 0, 0); }
    play::TimebarResponse Click(int x, int y) {
        bar.LeftButtonDown(x, y, 1000);
        return bar.LeftButtonUp(x, y);
    }

    TimebarModel bar;
};

TEST_F(TimebarModelTest, LowerPriorityBarStartsWhereTheOverlappedBarEnds) {
    // Type 2 (priority 40) then an overlapping type 1 (5): the type-1 bar starts
    // at the type-2 bar's right end.
    bar.AddRecord(0, Rec(2, At(10, 0, 0), At(12, 0, 0)));
    bar.AddRecord(0, Rec(1, At(11, 0, 0), At(13, 0, 0)));
    EXPECT_EQ(Spans(bar, 0), (std::vector<std::pair<int, int>>{{X(10), X(12)}, {X(12), X(13)}}));
    // The other way round the type-2 bar paints over the type-1 bar.
    bar.AddRecord(1, Rec(1, At(11, 0, 0), At(13, 0, 0)));
    bar.AddRecord(1, Rec(2, At(10, 0, 0), At(12, 0, 0)));
    EXPECT_EQ(Spans(bar, 1), (std::vector<std::pair<int, int>>{{X(11), X(13)}, {X(10), X(12)}}));
    // Equal priority gives way too; a bar wholly under the bar before it is not
    // painted, and the one after it is compared with the bar that was painted.
    bar.AddRecord(2, Rec(4, At(10, 0, 0), At(12, 0, 0)));
    bar.AddRecord(2, Rec(1, At(10, 30, 0), At(11, 0, 0)));
    bar.AddRecord(2, Rec(4, At(11, 30, 0), At(13, 0, 0)));
    const std::vector<play::TimebarBar> bars = bar.Bars(2);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[1].record, 2);
    EXPECT_EQ(bars[1].rect, (play::PixelRect{X(12), bar.view().RowTop(2) + 3, X(13) - X(12), 16}));
    EXPECT_EQ(bars[1].colour, 0x00FFFFu);
}

TEST_F(TimebarModelTest, BarsAreAtLeastOnePixelAndClippedToTheBarArea) {
    bar.AddRecord(3, Rec(8, At(10, 0, 0), At(10, 0, 5)));
    bar.AddRecord(3, Rec(8, At(14, 0, 0), At(13, 0, 0)));  // ends before it starts
    EXPECT_EQ(Spans(bar, 3), (std::vector<std::pair<int, int>>{{X(10), X(10) + 1}, {X(14), X(14) + 1}}));
    // Zoom 5 at 02:00: a bar from 01:00 to 02:30 is cut at the left margin, one of
    // 00:00 to 00:10 is out of view.
    bar.ClearRecords(3);
    bar.AddRecord(3, Rec(1, At(0, 0, 0), At(0, 10, 0)));
    bar.AddRecord(3, Rec(1, At(1, 0, 0), At(2, 30, 0)));
    for (int i = 0; i < 5; ++i)
        bar.Zoom(0);
    bar.KeyDown(TimebarKey::PageDown);
    bar.KeyDown(TimebarKey::PageDown);
    EXPECT_EQ(bar.view().scrollX, -24 * kCell);
    EXPECT_EQ(Spans(bar, 3), (std::vector<std::pair<int, int>>{{kLeft, kLeft + 6 * kCell}}));
}

TEST_F(TimebarModelTest, FindRecordAtInsideInAGapBeforeAndAfter) {
    bar.AddRecord(1, Rec(1, At(8, 0, 0), At(9, 0, 0)));
    bar.AddRecord(1, Rec(2, At(10, 0, 0), At(11, 0, 0)));
    const RecfileTime untouched = At(1, 2, 3, 4);
    struct Case {
        ClockTime clicked;
        int result;
        RecfileTime out;
    };
    for (const Case& c : {Case{{7, 0, 0}, 2, At(8, 0, 0)}, Case{{8, 30, 15}, 1, At(8, 30, 15)},
                          Case{{9, 30, 0}, 2, At(10, 0, 0)}, Case{{11, 0, 0}, 1, At(11, 0, 0)},
                          Case{{11, 0, 1}, 0, untouched}}) {
        bar.SetClickedTime(c.clicked.hour, c.clicked.minute, c.clicked.second);
        RecfileTime out = untouched;
        EXPECT_EQ(bar.FindRecordAt(1, &out), c.result) << c.clicked.hour << ":" << c.clicked.minute;
        EXPECT_EQ(play::TimeKey(out), play::TimeKey(c.out));
    }
    RecfileTime out = untouched;
    for (int row : {0, 4, -1})
        EXPECT_EQ(bar.FindRecordAt(row, &out), 0);
    EXPECT_EQ(play::TimeKey(out), play::TimeKey(untouched));
}

TEST_F(TimebarModelTest, ClickSeeksOnlyOnARowWhoseCursorIsShown) {
    // Hidden cursor: nothing.
    EXPECT_FALSE(Click(X(6), RowY(2)).seek);
    EXPECT_EQ(bar.ClickedTime(), (ClockTime{0, 0, 0}));

    bar.SetCursorTime(2, 0, 0, 0, false);
    bar.ShowCursor(2, true, false);
    const play::TimebarResponse r = Click(X(6), RowY(2));
    ASSERT_TRUE(r.seek);
    EXPECT_EQ(r.seek->row, 2);
    EXPECT_EQ(r.seek->time, (ClockTime{6, 0, 0}));
    EXPECT_EQ(bar.ClickedTime(), (ClockTime{6, 0, 0}));
    EXPECT_EQ(bar.CursorX(2), 6 * kCell / 2);
    EXPECT_FALSE(bar.CursorShown(2));  // until the pane's timer shows it again
    EXPECT_FALSE(Click(X(7), RowY(2)).seek);

    // Released on another row than pressed: no seek.
    bar.ShowCursor(2, true, false);
    bar.LeftButtonDown(X(6), RowY(2), 1000);
    EXPECT_FALSE(bar.LeftButtonUp(X(6), RowY(1)).seek);
    EXPECT_EQ(bar.currentRow(), -1);
    // Released without a press in the bar: no seek.
    EXPECT_FALSE(bar.LeftButtonUp(X(6), RowY(2)).seek);
}

TEST_F(TimebarModelTest, CommonCursorSeeksTheSyncGroupFromAnyRow) {
    bar.ShowCursor(0, true, true);
    const play::TimebarResponse r = Click(X(12) + 5, RowY(3));  // a pixel is 144 s
    ASSERT_TRUE(r.seek);
    EXPECT_EQ(r.seek->row, -1);
    EXPECT_EQ(r.seek->time, (ClockTime{12, 12, 0}));
    EXPECT_FALSE(bar.CommonCursorShown());
}

// The strip is 100 pixels high and the rows end at 97: the last pixels are no row.
TEST_F(TimebarModelTest, ClickBelowTheFourthRowIsNoRow) {
    for (int row = 0; row < 4; ++row)
        bar.ShowCursor(row, true, false);
    for (int y : {97, 99}) {
        const play::TimebarResponse down = bar.LeftButtonDown(X(6), y, 1000);
        EXPECT_EQ(bar.currentRow(), -1);
        EXPECT_FALSE(bar.dragging());
        EXPECT_EQ(down.cursor, 0);
        bar.MouseMove(X(7), y, true, 1100);
        EXPECT_FALSE(bar.dragging());
        EXPECT_FALSE(bar.LeftButtonUp(X(7), y).seek);
    }
    bar.ShowCursor(0, true, true);
    EXPECT_FALSE(Click(X(6), 98).seek);
    EXPECT_FALSE(Click(X(6), 10).seek);  // the ruler
    EXPECT_EQ(bar.ClickedTime(), (ClockTime{0, 0, 0}));
}

TEST_F(TimebarModelTest, ClickOnNoCellNeitherSeeksNorHidesTheCursor) {
    bar.Resize(kCell * 12 + 90 + 11, 100);  // 11 pixels right of the twelfth cell
    bar.SetClickedTime(5, 0, 0);
    bar.ShowCursor(1, true, false);
    EXPECT_FALSE(Click(kLeft + 12 * kCell + 5, RowY(1)).seek);
    EXPECT_TRUE(bar.CursorShown(1));
    EXPECT_EQ(bar.ClickedTime(), (ClockTime{5, 0, 0}));
}

// A double click on the recording list stores the row's start as the clicked
// time before the pane seeks; the seek must go there, not to the last click on
// the bar.
TEST_F(TimebarModelTest, StoredSeekTimeIsWhatFindRecordAtReads) {
    bar.AddRecord(0, Rec(1, At(10, 0, 0), At(11, 0, 0)));
    bar.ShowCursor(0, true, false);
    ASSERT_TRUE(Click(X(2), RowY(0)).seek);
    bar.SetClickedTime(10, 20, 30);
    RecfileTime out;
    EXPECT_EQ(bar.FindRecordAt(0, &out), 1);
    EXPECT_EQ(play::TimeKey(out), play::TimeKey(At(10, 20, 30)));
    bar.SetClickedTime(24, 60, -1);
    EXPECT_EQ(bar.ClickedTime(), (ClockTime{0, 0, 0}));
}

TEST_F(TimebarModelTest, ZoomButtonsAndWheelZoomWithinZeroToFiveAndReturnToTheStart) {
    const play::PixelRect in = TimebarModel::ZoomButtonRect(0);
    const play::PixelRect out = TimebarModel::ZoomButtonRect(1);
    EXPECT_EQ(in, (play::PixelRect{15, 3, 18, 18}));
    EXPECT_EQ(out.x, 15 + 18 + 5);
    EXPECT_EQ(bar.LeftButtonDown(in.x + 4, in.y + 4, 0).cursor, play::kTimebarCursorGrab);
    bar.LeftButtonUp(in.x + 4, in.y + 4);
    EXPECT_EQ(bar.view().zoom, 1);
    bar.LeftButtonDown(in.x + 4, in.y + 4, 0);
    bar.LeftButtonUp(out.x + 4, out.y + 4);  // released on the other button
    EXPECT_EQ(bar.view().zoom, 1);
    bar.KeyDown(TimebarKey::End);
    ASSERT_LT(bar.view().scrollX, 0);
    bar.MouseWheel(120);
    EXPECT_EQ(bar.view().zoom, 2);
    EXPECT_EQ(bar.view().scrollX, 0);
    for (int i = 0; i < 9; ++i)
        bar.MouseWheel(120);
    EXPECT_EQ(bar.view().zoom, 5);
    for (int i = 0; i < 9; ++i)
        bar.MouseWheel(-120);
    EXPECT_EQ(bar.view().zoom, 0);
}

TEST_F(TimebarModelTest, KeysScrollByPagesAndCellsWithinTheDay) {
    EXPECT_TRUE(bar.KeyDown(TimebarKey::End).handled);  // zoom 0: every key is taken, nothing moves
    EXPECT_TRUE(bar.KeyDown(TimebarKey::Other).handled);
    EXPECT_EQ(bar.view().scrollX, 0);
    for (int i = 0; i < 3; ++i)
        bar.Zoom(0);  // 96 cells, 84 of them beyond the view
    const int page = 12 * kCell;
    struct Step {
        TimebarKey key;
        int scroll;
    };
    for (const Step& s : {Step{TimebarKey::Right, 0}, Step{TimebarKey::Down, 0}, Step{TimebarKey::PageUp, 0},
                          Step{TimebarKey::Left, -kCell}, Step{TimebarKey::Up, -2 * kCell},
                          Step{TimebarKey::PageDown, -2 * kCell - page}, Step{TimebarKey::PageUp, -2 * kCell},
                          Step{TimebarKey::PageUp, 0}, Step{TimebarKey::End, -84 * kCell},
                          Step{TimebarKey::Left, -84 * kCell}, Step{TimebarKey::PageUp, -72 * kCell},
                          Step{TimebarKey::Right, -71 * kCell}, Step{TimebarKey::PageDown, -83 * kCell},
                          Step{TimebarKey::PageDown, -84 * kCell}, Step{TimebarKey::Home, 0}}) {
        EXPECT_TRUE(bar.KeyDown(s.key).repaint);
        EXPECT_EQ(bar.view().scrollX, s.scroll) << static_cast<int>(s.key);
    }
    EXPECT_FALSE(bar.KeyDown(TimebarKey::Other).handled);
}

TEST_F(TimebarModelTest, DraggingTheRulerScrollsAfterElevenMillisecondsWithinTheDay) {
    bar.LeftButtonDown(400, 10, 1000);
    bar.MouseMove(300, 10, true, 1020);
    EXPECT_EQ(bar.view().scrollX, 0);  // zoom 0 does not scroll
    bar.LeftButtonUp(300, 10);
    bar.Zoom(0);
    bar.Zoom(0);  // 48 cells
    bar.LeftButtonDown(400, 10, 1000);
    bar.MouseMove(300, 10, true, 1005);
    EXPECT_EQ(bar.view().scrollX, 0);
    bar.MouseMove(200, 10, true, 1011);
    EXPECT_EQ(bar.view().scrollX, -100);
    bar.MouseMove(-6000, 10, true, 1020);
    EXPECT_EQ(bar.view().scrollX, -36 * kCell);
    bar.MouseMove(9000, 10, true, 1030);
    EXPECT_EQ(bar.view().scrollX, 0);
    bar.MouseMove(8000, 10, false, 1040);  // the button went up elsewhere
    EXPECT_EQ(bar.view().scrollX, 0);
}

TEST_F(TimebarModelTest, CursorsAndTheDragLine) {
    EXPECT_FALSE(bar.SetCursorTime(4, 1, 0, 0, false));
    EXPECT_FALSE(bar.ShowCursor(-1, true, false));
    EXPECT_TRUE(bar.SetCursorTime(1, 6, 0, 0, false));
    EXPECT_FALSE(bar.SetCursorTime(1, 6, 0, 30, false));  // the same pixel
    bar.ShowCursor(1, true, false);
    const int top = bar.view().RowTop(1);
    std::vector<play::TimebarCursorMark> marks = bar.Cursors();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(std::tuple(marks[0].x, marks[0].top, marks[0].bottom, marks[0].colour),
              std::tuple(X(6), top + 3, top + 18, play::kTimebarWhite));

    // Pressing on the row and moving drags a red line; the row's cursor stays.
    bar.LeftButtonDown(X(6), RowY(1), 1000);
    bar.MouseMove(X(8), RowY(1), true, 1020);
    marks = bar.Cursors();
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(std::tuple(marks[1].x, marks[1].colour), std::tuple(X(8), play::kTimebarDragCursor));
    bar.LeftButtonUp(X(8), RowY(1));
    EXPECT_FALSE(bar.dragging());

    // The common cursor replaces the row cursors and spans all rows.
    bar.SetCursorTime(0, 9, 0, 0, true);
    bar.ShowCursor(1, true, false);
    bar.ShowCursor(0, true, true);
    marks = bar.Cursors();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(std::tuple(marks[0].x, marks[0].bottom), std::tuple(X(9), bar.view().RowTop(4)));

    // Cursors keep their time across a zoom; one out of view is not drawn.
    for (int i = 0; i < 5; ++i)
        bar.Zoom(0);
    EXPECT_EQ(bar.CommonCursorX(), 9 * 12 * kCell);
    EXPECT_TRUE(bar.Cursors().empty());
}

TEST_F(TimebarModelTest, HoverTextShowsTheTimeUnderThePointerInTheRows) {
    bar.MouseMove(X(6) + 5, RowY(0), false, 0);
    EXPECT_EQ(bar.hoverText(), "06:12:00");
    bar.MouseMove(X(6) + 5, 10, false, 0);
    EXPECT_EQ(bar.hoverText(), "");
    bar.MouseMove(X(6) + 5, RowY(3), false, 0);
    bar.MouseLeave();
    EXPECT_EQ(bar.hoverText(), "");
}

TEST_F(TimebarModelTest, RulerLabelsTheGridLinesInView) {
    std::vector<play::TimebarRulerMark> ruler = bar.Ruler();
    ASSERT_EQ(ruler.size(), 13u);
    EXPECT_EQ(ruler[1].label, "02:00");
    EXPECT_EQ(ruler[12].label, "24:00");
    EXPECT_EQ(ruler[1].labelBox.x, kLeft + kCell - 20);
    EXPECT_EQ(play::RulerLabel(2, 3), "01:30");
    EXPECT_EQ(play::RulerLabel(3, 5), "01:15");
    EXPECT_EQ(play::RulerLabel(4, 7), "01:10");
    EXPECT_EQ(play::RulerLabel(5, 287), "23:55");
}

TEST_F(TimebarModelTest, RowsKeepTheirRecordsAndNames) {
    EXPECT_FALSE(bar.AddRecord(4, Rec(1, At(1, 0, 0), At(2, 0, 0))));
    EXPECT_FALSE(bar.AddRecord(-1, Rec(1, At(1, 0, 0), At(2, 0, 0))));
    EXPECT_TRUE(bar.AddRecord(2, Rec(1, At(1, 0, 0), At(2, 0, 0))));
    EXPECT_EQ(bar.GetRecordCount(2), 1);
    EXPECT_EQ(bar.GetRecordCount(7), 0);
    _recfile_info_t r = *bar.Record(2, 0);
    r.downloadState = 2;
    r.downloadHandle = 7;
    EXPECT_TRUE(bar.SetRecord(2, 0, r));
    EXPECT_EQ(bar.Record(2, 0)->downloadHandle, 7u);
    EXPECT_FALSE(bar.SetRecord(2, 1, r));
    EXPECT_EQ(bar.Record(2, 1), nullptr);
    bar.ClearRecords(2);
    EXPECT_EQ(bar.GetRecordCount(2), 0);

    bar.SetRowName(0, "Window01");
    bar.SetRowName(1, "a name far longer than fifteen");
    bar.SetRowName(4, "none");
    EXPECT_EQ(bar.RowName(0), "Window01");
    EXPECT_EQ(bar.RowName(1), "a name far long");
    EXPECT_EQ(bar.RowName(4), "");
}

TEST(TimebarRecord, ColoursPrioritiesAndTimes) {
    for (const auto& [type, colour, priority] : {std::tuple{1, 0x00FF00u, 5},
                                                 {2, 0x0000FFu, 40},
                                                 {4, 0x00FFFFu, 35},
                                                 {8, 0xFF0000u, 30},
                                                 {16, 0xFFAA00u, 10},
                                                 {128, 0xFFAA00u, 10},
                                                 {-1, 0xFFA346u, 0},
                                                 {3, 0x00FF00u, 0}}) {
        EXPECT_EQ(play::RecordTypeColour(type), colour) << type;
        EXPECT_EQ(play::PaintPriority(type), priority) << type;
    }
    const RecTime rt{23, 12, 15, 10, 20, 30};
    const RecfileTime t = play::RecfileTimeFromRecTime(rt);
    EXPECT_EQ(play::TimeKey(t), play::TimeKey(At(10, 20, 30)));
    const RecTime back = play::RecTimeFromRecfileTime(t);
    EXPECT_EQ(std::tuple(back.year, back.month, back.day, back.second), std::tuple(23, 12, 15, 30));
    EXPECT_LT(play::TimeKey(At(23, 59, 59, 14)), play::TimeKey(At(0, 0, 0, 15)));
}

}  // namespace
