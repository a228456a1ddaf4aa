// The sensor panel under Wine, on the disk page in a host that stands in for
// the main window, with a day of GPS fixes the test puts into the
// configuration's table: the speed and temperature curves and their keys are
// drawn at the pixels the chart's geometry predicts, before and after a zoom;
// the alarm view draws nine lines and a dot per active input; and a
// screenshot of the page with the panel showing the speed of the day.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/play/playback_pages.h"
#include "tests/app/play/play_windows_support.h"
#include "tests/common/temp_dir.h"
#include "tests/gui/harness/pixels.h"
#include "tests/gui/harness/script.h"
#include "tests/gui/harness/test_hooks.h"

namespace {

namespace fs = std::filesystem;
using play_test::Pump;
using play_test::PumpUntil;

constexpr int kWidth = 1200;
constexpr int kHeight = 800;
constexpr COLORREF kRed = RGB(255, 0, 0);  // the first curve's colour, 0x0000FF

GpsRecord Fix(int second) {
    GpsRecord fix{};
    fix.Year = 24;
    fix.Month = 3;
    fix.Day = 5;
    fix.Hour = static_cast<uint8_t>(second / 3600);
    fix.Minute = static_cast<uint8_t>(second / 60 % 60);
    fix.Second = static_cast<uint8_t>(second % 60);
    return fix;
}

// The COLORREF of a curve colour as the snapshot reads it.
COLORREF Colour(uint32_t colorref) {
    return static_cast<COLORREF>(colorref);
}

class SensorPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        // No ini file where the panel looks: the ranges are the configuration's.
        folder_ = fs::temp_directory_path() / ("vek_sensor_" + std::to_string(::GetCurrentProcessId()));
        fs::create_directories(folder_);
        hooks_.SetExeFolder(folder_.string());

        // A day of fixes, one a minute: speed rises and falls twice,
        // temperature once.
        for (int t = 0; t < 86400; t += 60) {
            GpsRecord fix = Fix(t);
            fix.Speed = static_cast<float>(60 + 50 * std::sin(t * 4 * 3.14159265 / 86400));
            fix.Temperature = static_cast<int32_t>(20 + 30 * std::sin(t * 3.14159265 / 86400));
            config_.m_gpsTable.push_back(fix);
        }
        config_.m_coordSet = {{0, 120, -2, 2, -20, 60, 0, 36}};
        config_.m_mimic = 1;

        ASSERT_TRUE(host_.Make(kWidth, kHeight));
        page_.SetConfigAndSkin(&config_, &skin_);
        ASSERT_TRUE(page_.Create(CDlgLocalPlayback::IDD, &host_));
        page_.MoveWindow(0, 0, kWidth, kHeight);
        page_.ShowWindow(SW_SHOW);
        Pump();
        ASSERT_TRUE(Panel().IsWindowVisible());
    }
    void TearDown() override {
        host_.DestroyWindow();
        Pump();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    CDlgMimic& Panel() { return page_.m_dlgMimic; }
    CCurveDraw& Chart() { return Panel().m_curve; }
    const play::CurveChart& Model() { return Chart().Model(); }
    void Choose(int buttonId) {
        Panel().SendMessage(WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                            reinterpret_cast<LPARAM>(::GetDlgItem(Panel(), buttonId)));
        Pump();
    }

    // How many of the fixes' predicted curve points (every tenth fix that
    // lies in the window and the range, but the last) show `colour`.
    template <class Value>
    std::pair<int, int> CurveHits(COLORREF colour, Value value) {
        const vekgui::Snapshot shot = vekgui::Snapshot::Capture(Chart());
        const double first = static_cast<double>(Model().start());
        const double last = first + 12 * Model().secondsPerCell();
        int probes = 0, hits = 0;
        const auto& table = config_.m_gpsTable;
        for (size_t i = 0; i + 1 < table.size(); i += 10) {
            const int t = table[i].Hour * 3600 + table[i].Minute * 60 + table[i].Second;
            const std::optional<int> y = Model().ValueToY(value(table[i]));
            if (t < first || t >= last || !y)
                continue;
            ++probes;
            hits += shot.At(Model().TimeToX(t), *y) == colour;
        }
        return {probes, hits};
    }

    fs::path folder_;
    vekgui::TestHooks hooks_;
    AppConfig config_;
    CPubSkin skin_;
    play_test::CTestHost host_;
    CDlgLocalPlayback page_;
};

TEST_F(SensorPanel, SpeedAndTemperatureCurvesLieWhereTheGeometryPutsThem) {
    // Speed at the start, in the configuration's speed range.
    EXPECT_EQ(Panel().Quantity(), 0);
    EXPECT_FALSE(Panel().m_buttons[0].IsWindowEnabled());
    EXPECT_TRUE(Panel().m_labels[0].IsWindowVisible());
    EXPECT_EQ(vekgui::WindowText(Panel().m_labels[0]), "Speed");
    EXPECT_EQ(Model().rangeMin(), 0);
    EXPECT_EQ(Model().rangeMax(), 120);
    const auto speed = [](const GpsRecord& fix) { return static_cast<double>(fix.Speed); };
    auto [probes, hits] = CurveHits(kRed, speed);
    EXPECT_GT(probes, 100);
    EXPECT_EQ(hits, probes);

    // The key of the one curve, in the right margin at the plot's middle.
    const play::ChartPlot plot = Model().Plot();
    const vekgui::Snapshot shot = vekgui::Snapshot::Capture(Chart());
    EXPECT_EQ(shot.At(plot.right + 8, plot.bottom - plot.height() / 2), kRed);
    // The frame, and the value grid dotted between.
    EXPECT_EQ(shot.At(plot.left + 3, plot.top), Colour(play::kChartFrame));
    EXPECT_GT(shot.Count(RECT{plot.left + 1, plot.ValueLineY(1), plot.right, plot.ValueLineY(1) + 1},
                         Colour(play::kChartGrid)),
              plot.width() / 4);

    // Zoom in twice through the button: three hours from the start of the day.
    const play::PixelRect zoomIn = Model().ZoomButtonRect(0);
    for (int i = 0; i < 2; ++i) {
        Chart().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(zoomIn.x + 5, zoomIn.y + 5));
        Chart().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(zoomIn.x + 5, zoomIn.y + 5));
    }
    EXPECT_EQ(Model().zoom(), 2);
    std::tie(probes, hits) = CurveHits(kRed, speed);
    EXPECT_GT(probes, 15);
    EXPECT_EQ(hits, probes);

    Choose(IDC_SENSOR_TEMPERATURE);
    EXPECT_EQ(Model().quantity(), play::SensorQuantity::Temperature);
    EXPECT_EQ(Model().rangeMin(), -20);
    EXPECT_EQ(Model().rangeMax(), 60);
    EXPECT_TRUE(Panel().m_labels[4].IsWindowVisible());
    EXPECT_FALSE(Panel().m_labels[0].IsWindowVisible());
    std::tie(probes, hits) =
        CurveHits(kRed, [](const GpsRecord& fix) { return static_cast<double>(fix.Temperature); });
    EXPECT_GT(probes, 15);
    EXPECT_EQ(hits, probes);
}

TEST_F(SensorPanel, TheAlarmViewDrawsNineLinesAndADotPerActiveInput) {
    // Input k is active at k hours and k hours and a half.
    auto& table = config_.m_gpsTable;
    for (int k = 0; k < 8; ++k)
        for (int t : {k * 3600 + 1800, k * 3600 + 3600})
            table[static_cast<size_t>(t / 60)].Inputs[k] = 1;
    Choose(IDC_SENSOR_ALARM);
    EXPECT_FALSE(Panel().m_buttons[4].IsWindowEnabled());
    for (int i = 0; i < play::kSensorLabelCount; ++i)
        EXPECT_EQ(Panel().m_labels[i].IsWindowVisible() != FALSE, i >= 6) << i;

    const play::ChartPlot plot = Model().Plot();
    ASSERT_EQ(plot.valueLines, 9);
    const vekgui::Snapshot shot = vekgui::Snapshot::Capture(Chart());
    // The frame's top and bottom and seven dotted lines between.
    EXPECT_EQ(shot.At(plot.left + 3, plot.ValueLineY(0)), Colour(play::kChartFrame));
    EXPECT_EQ(shot.At(plot.left + 3, plot.ValueLineY(8)), Colour(play::kChartFrame));
    for (int k = 1; k < 8; ++k)
        EXPECT_GT(shot.Count(RECT{plot.left + 1, plot.ValueLineY(k), plot.right, plot.ValueLineY(k) + 1},
                             Colour(play::kChartGrid)),
                  plot.width() / 4)
            << k;

    const std::vector<uint32_t>& colours = play::QuantitySetup(play::SensorQuantity::Alarm).colours;
    for (int k = 0; k < 8; ++k) {
        for (int t : {k * 3600 + 1800, k * 3600 + 3600})
            EXPECT_EQ(shot.At(Model().TimeToX(t), Model().AlarmRowY(k)), Colour(colours[k]))
                << "input " << k + 1 << " at " << t << ": "
                << vekgui::ColorText(shot.At(Model().TimeToX(t), Model().AlarmRowY(k)));
        // Its key in the right margin, on its row.
        EXPECT_EQ(shot.At(plot.right + 8, Model().AlarmRowY(k)), Colour(colours[k])) << k;
    }
    // Nothing where no input was active.
    EXPECT_EQ(shot.At(Model().TimeToX(20 * 3600 + 1800), Model().AlarmRowY(3)),
              Colour(play::kChartBackground));
}

// The page with the panel showing the day's speed, saved (BMP) into the
// folder VEK_SCREENSHOT_DIR names, else a temporary folder of the test's own.
TEST_F(SensorPanel, ScreenshotOfTheDiskPageWithTheSpeedOfADay) {
    const char* dir = std::getenv("VEK_SCREENSHOT_DIR");
    const vektest::TempDir temp;
    const fs::path out = dir != nullptr ? fs::path(dir) : fs::path(temp.Path());
    fs::create_directories(out);
    const vekgui::Snapshot page = vekgui::Snapshot::Capture(page_);
    ASSERT_TRUE(page.Valid());
    EXPECT_TRUE(page.SaveBmp((out / "sensor_panel.bmp").string()));
    const vekgui::Snapshot chart = vekgui::Snapshot::Capture(Chart());
    EXPECT_GT(chart.Count(RECT{0, 0, chart.Width(), chart.Height()}, kRed), 500);
}

}  // namespace
