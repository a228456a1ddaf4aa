// The sensor panel's curve chart without its window: the zoom buttons and
// their cap, the pan clamp at the day's ends, where times and values land in
// pixels, the curves, keys and dots of a GPS table, and ranges that cannot
// place a value.
#include "app/sensors/curve_chart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace play {
namespace {

constexpr int kWidth = 700;   // cells of (700 - 60) / 12 = 53 pixels
constexpr int kHeight = 160;  // value cells of (160 - 40) / 4 = 30 pixels

GpsRecord Fix(int second, float speed, int temperature = 0) {
    GpsRecord fix{};
    fix.Hour = static_cast<uint8_t>(second / 3600);
    fix.Minute = static_cast<uint8_t>(second / 60 % 60);
    fix.Second = static_cast<uint8_t>(second % 60);
    fix.Speed = speed;
    fix.Temperature = temperature;
    return fix;
}

class Chart : public ::testing::Test {
  protected:
    Chart() {
        chart_.Resize(kWidth, kHeight);
        chart_.SetRange(0, 120, "km/h", SensorQuantity::Speed);
    }
    void Click(int button, int releaseOn = -2) {
        const PixelRect down = chart_.ZoomButtonRect(button);
        const PixelRect up = chart_.ZoomButtonRect(releaseOn == -2 ? button : releaseOn);
        chart_.LeftButtonDown(down.x + 9, down.y + 9);
        chart_.LeftButtonUp(up.x + 9, up.y + 9);
    }
    void Drag(int fromX, int toX) {
        chart_.LeftButtonDown(fromX, 80);
        chart_.MouseMove(toX, 80, true);
        chart_.LeftButtonUp(toX, 80);
    }

    CurveChart chart_;
};

TEST_F(Chart, PlotGeometry) {
    const ChartPlot p = chart_.Plot();
    EXPECT_EQ(p.left, 40);
    EXPECT_EQ(p.cellWidth, 53);
    EXPECT_EQ(p.right, 40 + 12 * 53);
    EXPECT_EQ(p.bottom, 140);
    EXPECT_EQ(p.cellHeight, 30);
    EXPECT_EQ(p.top, 20);
    EXPECT_EQ(chart_.ZoomButtonRect(0), (PixelRect{45, 1, 18, 18}));
    EXPECT_EQ(chart_.ZoomButtonRect(1), (PixelRect{64, 1, 18, 18}));
}

TEST_F(Chart, ZoomInStopsAtLevelTenAndAClickZoomsOnlyWhenReleasedOnItsButton) {
    Click(0, 1);
    EXPECT_EQ(chart_.zoom(), 0);
    for (int i = 0; i < 12; ++i)
        Click(0);
    EXPECT_EQ(chart_.zoom(), 10);
    EXPECT_EQ(chart_.secondsPerCell(), 7200.0 / 1024);  // 7.03125 s
    Click(1);
    EXPECT_EQ(chart_.secondsPerCell(), 7200.0 / 512);
    for (int i = 0; i < 12; ++i)
        Click(1);
    EXPECT_EQ(chart_.zoom(), 0);
    EXPECT_EQ(chart_.secondsPerCell(), 7200.0);
}

TEST_F(Chart, PanningStopsAtTheDaysEndsWhereTheLastLabelReadsMidnight) {
    Drag(400, 100);  // zoom 0 shows the whole day: nothing to pan
    EXPECT_EQ(chart_.start(), 0);
    for (int zoom = 1; zoom <= 10; ++zoom) {
        Click(0);
        // Two cells to the left move the window two cells later.
        Drag(400, 400 - 2 * 53);
        EXPECT_EQ(chart_.start(), std::llround(2 * chart_.secondsPerCell())) << zoom;
        for (int far = 0; far < 3000 && chart_.start() < ChartLastStart(zoom); ++far)
            Drag(600, 60);
        EXPECT_EQ(chart_.start(), ChartLastStart(zoom)) << zoom;
        const std::vector<ChartLabel> labels = chart_.TimeLabels();
        ASSERT_EQ(labels.size(), 13u);
        EXPECT_EQ(labels.back().text, "00:00:00") << zoom;
        EXPECT_EQ(labels.back().box.x, chart_.Plot().right - 20);
        for (int far = 0; far < 3000 && chart_.start() > 0; ++far)
            Drag(60, 600);
        EXPECT_EQ(chart_.start(), 0) << zoom;
        // A press whose release went elsewhere: the next move without the
        // button ends it, and the chart does not follow the pointer.
        chart_.LeftButtonDown(400, 80);
        EXPECT_TRUE(chart_.MouseMove(300, 80, false).release);
        chart_.MouseMove(100, 80, false);
        EXPECT_EQ(chart_.start(), 0) << zoom;
        EXPECT_FALSE(chart_.dragging());
        EXPECT_EQ(chart_.TimeLabels().front().text, "00:00:00");
    }
}

TEST_F(Chart, TimesAndValuesToPixelsAndBack) {
    const ChartPlot p = chart_.Plot();
    EXPECT_EQ(chart_.TimeToX(0), p.left);
    EXPECT_EQ(chart_.TimeToX(86400), p.right);
    EXPECT_EQ(chart_.TimeToX(7200 * 3 + 3600), p.left + 3 * 53 + 27);  // half a cell rounds up
    EXPECT_EQ(chart_.XToTime(p.left), 0);
    EXPECT_EQ(chart_.XToTime(p.left + 53), 7200);
    EXPECT_EQ(chart_.XToTime(p.left - 1), std::nullopt);
    EXPECT_EQ(chart_.XToTime(p.right + 1), std::nullopt);

    // The range's ends are drawn on the top and bottom lines; just outside is not.
    EXPECT_EQ(chart_.ValueToY(0), p.bottom);
    EXPECT_EQ(chart_.ValueToY(120), p.top);
    EXPECT_EQ(chart_.ValueToY(60), p.bottom - 60);
    EXPECT_EQ(chart_.ValueToY(static_cast<double>(std::nextafter(120.0f, 200.0f))), std::nullopt);
    EXPECT_EQ(chart_.ValueToY(static_cast<double>(std::nextafter(0.0f, -1.0f))), std::nullopt);
    EXPECT_EQ(chart_.ValueToY(std::numeric_limits<double>::quiet_NaN()), std::nullopt);

    const std::vector<ChartLabel> values = chart_.ValueLabels();
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[0].text, "0.00");
    EXPECT_EQ(values[4].text, "120.00");
    EXPECT_EQ(values[4].box.y, p.top - 6);

    chart_.MouseMove(p.left + 53 + 26, 80, false);
    EXPECT_EQ(chart_.hoverText(), "02:58:52");  // 26 / 53 of 7200 s past 02:00
    chart_.MouseMove(p.left - 3, 80, false);
    EXPECT_EQ(chart_.hoverText(), "");
}

TEST_F(Chart, SpeedAndTemperatureCurvesOfTheFixesInTheWindow) {
    std::vector<GpsRecord> day;
    for (int t = 0; t < 86400; t += 600)
        day.push_back(Fix(t, static_cast<float>(t % 7200) / 60.0f, t / 1200 - 20));
    day.push_back(Fix(43210, 130));  // above the range: left out
    const ChartPlot p = chart_.Plot();

    std::vector<ChartCurve> curves = chart_.Curves(day, 1);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_FALSE(curves[0].dots);
    ASSERT_EQ(curves[0].points.size(), day.size() - 1);
    for (size_t i = 0; i + 1 < day.size(); ++i) {
        const int t = static_cast<int>(i) * 600;
        EXPECT_EQ(curves[0].points[i],
                  (ChartPoint{chart_.TimeToX(t), *chart_.ValueToY(static_cast<double>(day[i].Speed))}))
            << i;
    }
    EXPECT_EQ(curves[0].points[12], (ChartPoint{p.left + 53, p.bottom}));  // 02:00, speed 0

    // Zoomed in and panned: only the fixes of the window, at their new places.
    for (int i = 0; i < 3; ++i)
        chart_.Zoom(0);
    chart_.SetStart(3600);
    curves = chart_.Curves(day, 1);
    ASSERT_EQ(curves[0].points.size(), 19u);  // 01:00 .. 04:00 by ten minutes
    EXPECT_EQ(curves[0].points.front().x, p.left);
    EXPECT_EQ(curves[0].points.back().x, p.right);

    chart_.SetRange(-20, 52, "C", SensorQuantity::Temperature);
    curves = chart_.Curves(day, 1);
    ASSERT_EQ(curves[0].points.size(), 19u);
    EXPECT_EQ(curves[0].points.front().y, *chart_.ValueToY(3600 / 1200 - 20));

    chart_.SetRange(-2, 2, "g", SensorQuantity::Acceleration);
    curves = chart_.Curves(day, 3);
    ASSERT_EQ(curves.size(), 3u);
    for (const ChartCurve& curve : curves)
        EXPECT_TRUE(curve.points.empty());
    const std::vector<ChartKey> keys = chart_.Keys(3);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[1].rect,
              (PixelRect{p.right + 2, p.bottom - p.height() / 2 - 1, kWidth - 2 - (p.right + 2), 2}));
}

TEST_F(Chart, AlarmInputsAreDotsInNineLinedRows) {
    chart_.SetRange(1, 8, "Type", SensorQuantity::Alarm);
    const ChartPlot p = chart_.Plot();
    EXPECT_EQ(p.valueLines, 9);
    EXPECT_EQ(p.cellHeight, 15);
    std::vector<GpsRecord> fixes = {Fix(3600, 0), Fix(7200, 0)};
    fixes[0].Inputs[0] = 1;
    fixes[0].Inputs[7] = 1;
    fixes[1].Inputs[7] = 1;
    fixes[1].Inputs[3] = 2;  // not 1: not active

    const std::vector<ChartCurve> curves = chart_.Curves(fixes, 8);
    ASSERT_EQ(curves.size(), 8u);
    EXPECT_TRUE(curves[0].dots);
    EXPECT_EQ(curves[0].points, (std::vector<ChartPoint>{{chart_.TimeToX(3600), p.bottom - 7}}));
    EXPECT_EQ(curves[7].points, (std::vector<ChartPoint>{{chart_.TimeToX(3600), p.bottom - 7 * 15 - 7},
                                                         {chart_.TimeToX(7200), p.bottom - 7 * 15 - 7}}));
    EXPECT_TRUE(curves[3].points.empty());

    const std::vector<ChartLabel> labels = chart_.ValueLabels();
    ASSERT_EQ(labels.size(), 8u);
    EXPECT_EQ(labels[0].text, "1");
    EXPECT_EQ(labels[7].text, "8");
    EXPECT_EQ(labels[7].box, (PixelRect{0, p.top, p.left, 15}));
    EXPECT_TRUE(labels[7].centred);
    EXPECT_EQ(chart_.Keys(8)[5].rect.y, chart_.AlarmRowY(5) - 1);
}

// A range whose maximum is not above its minimum, or that is not finite,
// places no value: no curve, and no division by its span.
TEST_F(Chart, RangesThatCannotPlaceAValueDrawNoCurve) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<GpsRecord> fixes = {Fix(100, 50), Fix(200, 60), Fix(300, nan)};
    struct Range {
        float min, max;
    };
    for (const Range& r : {Range{50, 50}, Range{100, 0}, Range{0, 0}, Range{nan, 100}, Range{0, nan},
                           Range{0, inf}, Range{-inf, 0}}) {
        chart_.SetRange(r.min, r.max, "km/h", SensorQuantity::Speed);
        EXPECT_FALSE(chart_.RangeValid()) << r.min << " " << r.max;
        EXPECT_EQ(chart_.ValueToY(50), std::nullopt);
        const std::vector<ChartCurve> curves = chart_.Curves(fixes, 1);
        ASSERT_EQ(curves.size(), 1u);
        EXPECT_TRUE(curves[0].points.empty());
        EXPECT_EQ(chart_.ValueLabels().size(), 5u);
    }
    // The widest finite range still places values; NaN values are left out.
    chart_.SetRange(-std::numeric_limits<float>::max(), std::numeric_limits<float>::max(), "",
                    SensorQuantity::Speed);
    EXPECT_EQ(chart_.Curves(fixes, 1)[0].points.size(), 1u);  // both at the same pixel
}

// However small the window, cells are at least a pixel.
TEST_F(Chart, ANarrowWindowKeepsCellsOfAPixel) {
    chart_.Resize(30, 10);
    const ChartPlot p = chart_.Plot();
    EXPECT_EQ(p.cellWidth, 1);
    EXPECT_EQ(p.cellHeight, 1);
    EXPECT_EQ(chart_.TimeToX(86400), p.left + 12);
    EXPECT_EQ(chart_.ValueToY(120), p.bottom - 4);
    chart_.MouseMove(p.left + 1, 0, false);
    EXPECT_EQ(chart_.hoverText(), "02:00:00");
    Drag(50, 10);
    EXPECT_EQ(chart_.start(), 0);
}

TEST_F(Chart, ZoomButtonImagesFollowTheListSize) {
    const PixelRect in = chart_.ZoomButtonRect(1);
    chart_.MouseMove(in.x + 2, in.y + 2, false);
    EXPECT_EQ(chart_.ZoomImage(0, 8), 0);
    EXPECT_EQ(chart_.ZoomImage(1, 8), 5);  // under the mouse
    chart_.LeftButtonDown(in.x + 2, in.y + 2);
    EXPECT_EQ(chart_.ZoomImage(1, 8), 6);  // and pressed
    // One image a button: always the button's own.
    EXPECT_EQ(chart_.ZoomImage(0, 2), 0);
    EXPECT_EQ(chart_.ZoomImage(1, 2), 1);
    EXPECT_EQ(chart_.ZoomImage(1, 0), -1);
}

// Each of the panel's labels stands beside its own key line: "IO1" beside
// input 1's row at the plot's bottom, acceleration X beside the lowest key.
TEST(SensorPanelLayout, EachLabelStandsBesideItsOwnKeyAndRow) {
    for (const PixelRect client : {PixelRect{0, 0, 930, 190}, PixelRect{5, 40, 600, 420}}) {
        const SensorPanelRects r = LayOutSensorPanel(client);
        const auto middle = [&](int label) { return r.labels[label].y + r.labels[label].height / 2; };
        for (const SensorQuantity q :
             {SensorQuantity::Speed, SensorQuantity::Acceleration, SensorQuantity::Temperature,
              SensorQuantity::Voltage, SensorQuantity::Alarm}) {
            CurveChart chart;
            chart.Resize(r.chart.width, r.chart.height);
            chart.SetRange(0, 1, "", q);
            const SensorQuantitySetup& setup = QuantitySetup(q);
            const std::vector<ChartKey> keys = chart.Keys(setup.labelCount);
            ASSERT_EQ(keys.size(), static_cast<size_t>(setup.labelCount));
            for (int i = 0; i < setup.labelCount; ++i)
                EXPECT_EQ(middle(setup.firstLabel + i), r.chart.y + keys[i].rect.y + 1)
                    << "quantity " << static_cast<int>(q) << " label " << i << " of a panel "
                    << client.height;
        }

        CurveChart alarm;
        alarm.Resize(r.chart.width, r.chart.height);
        alarm.SetRange(1, 8, "", SensorQuantity::Alarm);
        const ChartPlot p = alarm.Plot();
        for (int k = 0; k < kChartAlarmInputs; ++k) {  // IOk+1 within input k's row
            EXPECT_GT(middle(6 + k), r.chart.y + p.ValueLineY(k + 1)) << "IO" << k + 1;
            EXPECT_LT(middle(6 + k), r.chart.y + p.ValueLineY(k)) << "IO" << k + 1;
            if (k > 0) {  // none covers the text of the one below
                EXPECT_LE(r.labels[6 + k].bottom(), r.labels[5 + k].y) << "IO" << k + 1;
            }
        }
        EXPECT_GT(middle(1), middle(3)) << "acceleration X below Z, as their keys";
    }
}

}  // namespace
}  // namespace play
