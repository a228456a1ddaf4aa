// app/sensors/curve_chart.h
//
// The sensor panel's curve chart without its window: one quantity of the
// vehicle's sensor data (speed, acceleration, temperature, voltage or the
// eight alarm inputs) over the time of day, read from the GPS table. The
// window (CCurveDraw) feeds it its client size and the mouse, and paints what
// it returns; the panel (CDlgMimic) chooses the quantity through
// QuantitySetup and gives the chart its range.
//
// Geometry. The plot lies 40 pixels from the client's left edge and 20 from
// its right and bottom edges; it is 12 time cells wide and (value lines - 1)
// value cells high, both whole pixels and at least one pixel, so nothing
// divides by zero however small the window. The plot stands on its bottom
// edge: its top is where the last value line falls, so the range's maximum
// lies on the top line and its minimum on the bottom one, exactly where their
// labels are.
//
// Time. The twelve cells span 7200 / 2^zoom seconds each (zoom 0..10: the
// whole day down to about 84 seconds). The visible window starts at a whole
// second of the day and is kept inside the day; where the window's span is
// not a whole number of seconds, the last start is the whole second nearest
// to the day's end (halves down), and time labels show the nearest whole
// second, so the last label of a window panned to the end always reads
// 00:00:00.
//
// Values. A range whose maximum is not above its minimum (or that is not a
// finite span) draws no curve; values outside the range, and NaN, are left
// out. Speed and temperature are curves through their fixes in table order;
// the alarm inputs are one-pixel dots in the middle of the input's row, rows
// counted from the plot's bottom; acceleration and voltage have no values in
// a fix and draw nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/base/pixel_rect.h"
#include "app/gps_record.h"

namespace play {

inline constexpr int kChartMarginLeft = 40;
inline constexpr int kChartMarginRight = 20;
inline constexpr int kChartMarginTop = 20;
inline constexpr int kChartMarginBottom = 20;
inline constexpr int kChartTimeCells = 12;
inline constexpr int kChartMaxZoom = 10;
inline constexpr int kChartDaySeconds = 86400;
inline constexpr double kChartZoom0CellSeconds = 7200.0;
inline constexpr int kChartZoomButtonSize = 18;
inline constexpr int kChartAlarmInputs = 8;

// Colours (COLORREF, 0x00BBGGRR).
inline constexpr uint32_t kChartFrame = 0xFF7D00;
inline constexpr uint32_t kChartGrid = 0x555555;
inline constexpr uint32_t kChartBackground = 0x373737;
inline constexpr uint32_t kChartText = 0xFA9600;
inline constexpr uint32_t kChartHoverText = 0xFFFFFF;
inline constexpr uint32_t kChartStripTop = 0x000000;  // the top margin's gradient, top to bottom
inline constexpr uint32_t kChartStripBottom = 0x424242;

// Cursor resources: while the button is held, and otherwise.
inline constexpr int kChartCursorHeld = 171;
inline constexpr int kChartCursorFree = 172;

enum class SensorQuantity { Speed = 0, Acceleration = 1, Temperature = 2, Voltage = 3, Alarm = 4 };

// What choosing a quantity sets: the panel's labels shown (indexes 0..13 of
// its fourteen labels), the curve colours, the unit text's language string,
// and the range: the pair of the chart ranges (0 speed .. 3 voltage), or for
// the alarm inputs the fixed 1..8.
struct SensorQuantitySetup {
    int firstLabel = 0;
    int labelCount = 0;
    std::vector<uint32_t> colours;
    int unitString = 0;
    int rangePair = -1;  // -1: fixedMin..fixedMax
    float fixedMin = 0;
    float fixedMax = 0;
};
const SensorQuantitySetup& QuantitySetup(SensorQuantity quantity);

// Seconds one time cell spans at a zoom level (clamped to 0..10).
double ChartSecondsPerCell(int zoom);
// The latest start of the visible window at a zoom level.
int64_t ChartLastStart(int zoom);
// "HH:MM:SS" of the nearest whole second of the day (hours modulo 24).
std::string ChartClockText(double seconds);

// The plot of one client size.
struct ChartPlot {
    int left = 0;
    int top = 0;
    int right = 0;  // the frame's right and bottom lines
    int bottom = 0;
    int cellWidth = 1;
    int cellHeight = 1;
    int valueLines = 5;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    int TimeLineX(int k) const { return left + k * cellWidth; }      // k 0..12
    int ValueLineY(int k) const { return bottom - k * cellHeight; }  // k 0..lines-1, from the bottom
};

// Text at a place: `box` is where it is drawn (left aligned at box.x, or
// centred in the box when `centred`).
struct ChartLabel {
    std::string text;
    PixelRect box;
    bool centred = false;
};

// A curve key in the right margin: a two-pixel line.
struct ChartKey {
    int colour = 0;  // index into the colours
    PixelRect rect;
};

struct ChartPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ChartPoint&) const = default;
};

// One curve in its colour: a line through `points`, or single pixels when
// `dots`.
struct ChartCurve {
    int colour = 0;
    bool dots = false;
    std::vector<ChartPoint> points;
};

struct ChartResponse {
    bool repaint = false;
    int cursor = 0;        // cursor resource to set, 0 to leave it
    bool capture = false;  // take the mouse (a drag began)
    bool release = false;  // let it go
};

class CurveChart {
  public:
    void Resize(int width, int height);
    // The value range, the unit text and the quantity: 9 value lines for the
    // alarm inputs, 5 for the others.
    void SetRange(float min, float max, std::string unit, SensorQuantity quantity);

    ChartPlot Plot() const;
    int zoom() const { return zoom_; }
    double secondsPerCell() const { return ChartSecondsPerCell(zoom_); }
    int64_t start() const { return start_; }
    float rangeMin() const { return min_; }
    float rangeMax() const { return max_; }
    SensorQuantity quantity() const { return quantity_; }
    const std::string& unit() const { return unit_; }
    // Whether the range can place a value: max above min, a finite span.
    bool RangeValid() const;

    // Client x of a second of the day, rounded; the window's start is the
    // plot's left edge.
    int TimeToX(double seconds) const;
    // Client y of a value; nothing when the range is not valid or the value
    // lies outside it.
    std::optional<int> ValueToY(double value) const;
    // The second of the day under client x (whole seconds, rounded down);
    // nothing outside the plot.
    std::optional<int64_t> XToTime(int x) const;
    // The middle of alarm input k's row (k 0..7, counted from the bottom).
    int AlarmRowY(int input) const;

    // Zoom: button 0 in, 1 out; the start is clamped into the day again.
    void Zoom(int button);
    // Pans to `start`, clamped into the day.
    void SetStart(int64_t start);

    // Mouse input. A move without the left button down ends a press whose
    // release went elsewhere, so the chart never pans without a held button.
    ChartResponse LeftButtonDown(int x, int y);
    ChartResponse MouseMove(int x, int y, bool leftButtonDown);
    ChartResponse LeftButtonUp(int x, int y);
    ChartResponse MouseLeave();

    // The two zoom buttons in the top margin: 0 zoom in, 1 zoom out.
    PixelRect ZoomButtonRect(int button) const;
    int ZoomButtonAt(int x, int y) const;  // -1 when none
    // The image of a button from a list of `imageCount` images, as many per
    // button: its first, + 1 under the mouse, + 1 pressed, as far as the
    // list goes.
    int ZoomImage(int button, int imageCount) const;
    int hotButton() const { return hotButton_; }
    int pressedButton() const { return pressedButton_; }
    bool dragging() const { return dragging_; }
    // The time under the mouse, centred at hoverX at the top; empty when none.
    const std::string& hoverText() const { return hoverText_; }
    int hoverX() const { return hoverX_; }

    // What to paint.
    std::vector<ChartLabel> ValueLabels() const;
    std::vector<ChartLabel> TimeLabels() const;
    ChartLabel UnitLabel() const;
    std::vector<ChartKey> Keys(int curveCount) const;
    // The curves of the fixes (ordered by time of day), one per colour.
    std::vector<ChartCurve> Curves(std::span<const GpsRecord> fixes, int curveCount) const;

  private:
    int width_ = 0;
    int height_ = 0;
    int zoom_ = 0;
    int64_t start_ = 0;
    int64_t dragOrigin_ = 0;
    float min_ = 0;
    float max_ = 100;
    SensorQuantity quantity_ = SensorQuantity::Speed;
    std::string unit_;
    std::string hoverText_;
    int hoverX_ = 0;
    int hotButton_ = -1;
    int pressedButton_ = -1;
    bool pressed_ = false;
    bool dragging_ = false;
    int pressX_ = 0;
};

// The sensor panel's layout in its client area: the chart, the fourteen
// labels in the 90-pixel column at the right (each centred beside its own key
// line, and so beside its own row for the alarm inputs: IO1 at the bottom,
// acceleration X the lowest of its three) and the five buttons along the
// bottom.
inline constexpr int kSensorLabelCount = 14;
inline constexpr int kSensorButtonCount = 5;
inline constexpr int kSensorColumnWidth = 90;
inline constexpr int kSensorLabelHeight = 21;
inline constexpr int kSensorButtonWidth = 90;
inline constexpr int kSensorButtonHeight = 22;

struct SensorPanelRects {
    PixelRect chart;
    PixelRect labels[kSensorLabelCount];
    PixelRect buttons[kSensorButtonCount];
};
SensorPanelRects LayOutSensorPanel(const PixelRect& client);

}  // namespace play
