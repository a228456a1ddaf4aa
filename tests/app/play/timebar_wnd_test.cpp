// The recording time bar's window under Wine: clicks injected at the input
// queue post WM_TIMEBAR_SEEK (control id, row or -1) to the owner with the
// time the model predicts, only on a row whose cursor is shown and never
// below the fourth row; wheel and keys reach the model; what it paints.
#include <gtest/gtest.h>

#include "app/play/timebar_wnd.h"
#include "tests/app/play/play_windows_support.h"
#include "tests/gui/harness/pixels.h"

namespace {

using play_test::CTestHost;
using play_test::Pump;

constexpr int kWidth = 800;
constexpr int kHeight = 100;  // the strip's height
constexpr UINT kBarId = 1;

play::_recfile_info_t Record(int fromHour,
                             int fromMinute,
                             int toHour,
                             int toMinute,
                             uint32_t colour,
                             int32_t type = 1) {
    play::_recfile_info_t r;
    r.colour = colour;
    r.start = {2024, 3, 5, static_cast<uint8_t>(fromHour), static_cast<uint8_t>(fromMinute), 0, 0};
    r.end = {2024, 3, 5, static_cast<uint8_t>(toHour), static_cast<uint8_t>(toMinute), 0, 0};
    r.type = type;
    return r;
}

class TimebarWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host_.Make(kWidth + 40, kHeight + 40));
        ::SetWindowPos(host_, HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ASSERT_TRUE(bar_.Create(CRect(10, 10, 10 + kWidth, 10 + kHeight), &host_, kBarId));
        host_.SetForegroundWindow();
        for (int row = 0; row < 4; ++row) {
            for (const play::_recfile_info_t& r :
                 {Record(1 + row, 0, 3 + row, 30, 0x2080F0), Record(8, 0, 12, 0, 0x30C030)}) {
                bar_.AddRecord(row, r);
                predict_.AddRecord(row, r);
            }
        }
        predict_.Resize(kWidth, kHeight);
        Pump();
    }
    void TearDown() override {
        host_.DestroyWindow();
        Pump();
    }

    // Clicks the bar at (x, y): whether the click posted a seek. The bar posts
    // it while it takes the release, so it is queued once the click is done.
    bool ClickSeeks(int x, int y) {
        const size_t before = host_.seeks.size();
        EXPECT_EQ(play_test::InjectClick(hand_, bar_, x, y), "");
        Pump();
        return host_.seeks.size() > before;
    }

    vekgui::Hand hand_;
    CTestHost host_;
    CVideoRecordTimeCtrl bar_;
    play::TimebarModel predict_;  // the same geometry, for the expected times
};

TEST_F(TimebarWindow, ClickOnAShownRowCursorPostsTheRowAndTheTimeTheModelPredicts) {
    bar_.ShowCursor(2, 1, 0);
    const int x = 80 + 301;
    const int y = 25 + 2 * 18 + 9;
    ASSERT_TRUE(ClickSeeks(x, y));
    ASSERT_EQ(host_.seeks.size(), 1u);
    EXPECT_EQ(host_.seeks[0].id, kBarId);
    EXPECT_EQ(host_.seeks[0].row, 2);

    const std::optional<play::ClockTime> expected = predict_.view().XToTime(x);
    ASSERT_TRUE(expected);
    EXPECT_EQ(bar_.Model().ClickedTime(), *expected);
    EXPECT_FALSE(bar_.Model().CursorShown(2))
        << "the click hides the row's cursor until the pane shows it again";
    predict_.SetClickedTime(expected->hour, expected->minute, expected->second);
    for (int row = 0; row < 4; ++row) {
        play::RecfileTime got{}, want{};
        EXPECT_EQ(bar_.FindRecordAt(row, &got), 1) << row;
        predict_.FindRecordAt(row, &want);
        EXPECT_EQ(play::TimeKey(got), play::TimeKey(want)) << row;
    }
}

TEST_F(TimebarWindow, TheCommonCursorSeeksWithRowMinusOneFromAnyRow) {
    bar_.ShowCursor(0, 1, 1);
    ASSERT_TRUE(ClickSeeks(80 + 500, 25 + 3 * 18 + 5));
    EXPECT_EQ(host_.seeks.back().row, -1);
    EXPECT_EQ(bar_.Model().ClickedTime(), *predict_.view().XToTime(80 + 500));
    EXPECT_FALSE(bar_.Model().CommonCursorShown());
}

TEST_F(TimebarWindow, HiddenCursorsTheRulerAndThePixelsBelowTheFourthRowDoNotSeek) {
    bar_.ShowCursor(1, 1, 0);
    bar_.ShowCursor(3, 1, 0);
    const play::ClockTime before = bar_.Model().ClickedTime();
    EXPECT_FALSE(ClickSeeks(300, 25 + 0 * 18 + 9)) << "row 0's cursor is hidden";
    EXPECT_FALSE(ClickSeeks(300, 10)) << "the ruler is no row";
    for (int y : {97, 98, 99})
        EXPECT_FALSE(ClickSeeks(300, y)) << "y " << y << " would be a fifth row";
    EXPECT_TRUE(ClickSeeks(300, 96)) << "the last pixel of the fourth row";
    ASSERT_EQ(host_.seeks.size(), 1u);
    EXPECT_EQ(host_.seeks[0].row, 3);
    EXPECT_NE(bar_.Model().ClickedTime(), before);
}

TEST_F(TimebarWindow, WheelZoomsAndKeysScrollOnlyWhenZoomedIn) {
    bar_.SendMessage(WM_KEYDOWN, VK_END);
    EXPECT_EQ(bar_.Model().view().scrollX, 0) << "zoom 0 shows the whole day";
    bar_.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    bar_.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(bar_.Model().view().zoom, 2);
    bar_.SendMessage(WM_KEYDOWN, VK_END);
    EXPECT_EQ(bar_.Model().view().scrollX, bar_.Model().view().MinScroll());
    bar_.SendMessage(WM_KEYDOWN, VK_HOME);
    EXPECT_EQ(bar_.Model().view().scrollX, 0);
    bar_.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(bar_.Model().view().zoom, 1);
    EXPECT_EQ(bar_.SendMessage(WM_GETDLGCODE), DLGC_WANTALLKEYS);
}

TEST_F(TimebarWindow, PaintsBarsInTheirColourRowNamesAndCursors) {
    bar_.SetRowName(0, "Window01");
    bar_.ShowCursor(1, 1, 0);
    bar_.SetCursorTime(1, 10, 0, 0, 0);
    const vekgui::Snapshot shot = vekgui::Snapshot::Capture(bar_);
    ASSERT_TRUE(shot.Valid());
    const play::TimebarView& v = predict_.view();
    const int top = 25 + 3;  // row 0's bars start 3 pixels into the row
    EXPECT_EQ(shot.At(80 + v.TimeToX(2, 0, 0), top), RGB(0xF0, 0x80, 0x20))
        << vekgui::ColorText(shot.At(82, top));
    EXPECT_EQ(shot.At(80 + v.TimeToX(9, 0, 0), top), RGB(0x30, 0xC0, 0x30));
    EXPECT_EQ(shot.At(80 + v.TimeToX(5, 0, 0), top + 8), RGB(0x1E, 0x1E, 0x1E)) << "between bars";
    EXPECT_EQ(shot.At(80 + v.TimeToX(10, 0, 0), 25 + 18 + 10), RGB(255, 255, 255)) << "row 1's cursor";
    EXPECT_GT(shot.Count(RECT{0, 25, 80, 43}, RGB(0x00, 0x96, 0x96)), 10) << "row 0's name";
}

TEST_F(TimebarWindow, ASeekTimeStoredFromTheRecordingListIsWhatFindRecordAtReads) {
    bar_.SetClickedTime(9, 30, 15);
    play::RecfileTime at{};
    EXPECT_EQ(bar_.FindRecordAt(3, &at), 1);
    EXPECT_EQ(play::TimeKey(at), play::TimeKey({2024, 3, 5, 9, 30, 15, 0}));
    bar_.SetClickedTime(7, 0, 0);  // in the gap of row 3 (4:00-6:30, 8:00-12:00): the next start
    EXPECT_EQ(bar_.FindRecordAt(3, &at), 2);
    EXPECT_EQ(play::TimeKey(at), play::TimeKey({2024, 3, 5, 8, 0, 0, 0}));
}

TEST_F(TimebarWindow, ANarrowBarStillPaintsAndHitsCells) {
    bar_.MoveWindow(10, 10, 100, kHeight);  // (100 - 90) / 12 is no whole pixel
    bar_.ShowCursor(0, 1, 0);
    EXPECT_TRUE(vekgui::Snapshot::Capture(bar_).Valid());
    EXPECT_EQ(bar_.Model().view().cellWidth(), 1);
    bar_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(85, 30));
    bar_.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(85, 30));
    Pump();
    ASSERT_EQ(host_.seeks.size(), 1u);
    EXPECT_EQ(bar_.Model().ClickedTime(), (play::ClockTime{10, 0, 0}));
}

}  // namespace
