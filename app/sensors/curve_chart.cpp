// app/sensors/curve_chart.cpp
#include "app/sensors/curve_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace play {

namespace {

constexpr int kTextHeight = 14;
constexpr int kValueLabelX = 5;
constexpr int kValueLabelRise = 6;   // a value label's top above its line
constexpr int kTimeLabelShift = 20;  // a time label's left before its line
constexpr int kTimeLabelGap = 5;     // below the plot
constexpr int kTimeLabelWidth = 48;
constexpr int kKeyInset = 2;
constexpr int kKeyThickness = 2;

// A value label: two decimals, or none (the alarm inputs' numbers).
std::string ValueText(double value, bool whole) {
    char text[64];
    if (whole)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.02f", value);
    return text;
}

int Round(double value) {
    // Far outside any window: keep the conversion defined.
    return static_cast<int>(std::lround(std::clamp(value, -1e9, 1e9)));
}

int FixSecond(const GpsRecord& fix) {
    return fix.Hour * 3600 + fix.Minute * 60 + fix.Second;
}

}  // namespace

const SensorQuantitySetup& QuantitySetup(SensorQuantity quantity) {
    static const SensorQuantitySetup kSetups[] = {
        {0, 1, {0x0000FF}, 191, 0, 0, 0},                      // speed, "km/h"
        {1, 3, {0x0000FF, 0x00FF00, 0xFF0000}, 192, 1, 0, 0},  // acceleration X Y Z, "g"
        {4, 1, {0x0000FF}, 193, 2, 0, 0},                      // temperature, degrees Celsius
        {5, 1, {0x0000FF}, 194, 3, 0, 0},                      // voltage, "V"
        {6,
         8,
         {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0xFFFFFF, 0x3264FF},
         233,
         -1,
         1,
         8},  // alarm inputs 1..8, "Type"
    };
    const int index = std::clamp(static_cast<int>(quantity), 0, 4);
    return kSetups[index];
}

double ChartSecondsPerCell(int zoom) {
    return std::ldexp(kChartZoom0CellSeconds, -std::clamp(zoom, 0, kChartMaxZoom));
}

int64_t ChartLastStart(int zoom) {
    const double last = std::ceil(kChartDaySeconds - kChartTimeCells * ChartSecondsPerCell(zoom) - 0.5);
    return std::max<int64_t>(0, static_cast<int64_t>(last));
}

std::string ChartClockText(double seconds) {
    const int64_t whole = static_cast<int64_t>(std::floor(std::clamp(seconds, -1e12, 1e12) + 0.5));
    const int64_t inDay = ((whole % kChartDaySeconds) + kChartDaySeconds) % kChartDaySeconds;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(inDay / 3600),
                  static_cast<int>(inDay / 60 % 60), static_cast<int>(inDay % 60));
    return text;
}

// ---- geometry ---------------------------------------------------------------------------

void CurveChart::Resize(int width, int height) {
    width_ = width;
    height_ = height;
}

void CurveChart::SetRange(float min, float max, std::string unit, SensorQuantity quantity) {
    min_ = min;
    max_ = max;
    unit_ = std::move(unit);
    quantity_ = quantity;
}

ChartPlot CurveChart::Plot() const {
    ChartPlot p;
    p.valueLines = quantity_ == SensorQuantity::Alarm ? kChartAlarmInputs + 1 : 5;
    p.cellWidth = std::max(1, (width_ - kChartMarginLeft - kChartMarginRight) / kChartTimeCells);
    p.cellHeight = std::max(1, (height_ - kChartMarginTop - kChartMarginBottom) / (p.valueLines - 1));
    p.left = kChartMarginLeft;
    p.bottom = height_ - kChartMarginBottom;
    p.right = p.left + kChartTimeCells * p.cellWidth;
    p.top = p.bottom - (p.valueLines - 1) * p.cellHeight;
    return p;
}

bool CurveChart::RangeValid() const {
    return std::isfinite(min_) && std::isfinite(max_) && max_ > min_;
}

int CurveChart::TimeToX(double seconds) const {
    const ChartPlot p = Plot();
    return p.left + Round((seconds - static_cast<double>(start_)) * p.cellWidth / secondsPerCell());
}

std::optional<int> CurveChart::ValueToY(double value) const {
    const double min = static_cast<double>(min_);
    const double max = static_cast<double>(max_);
    if (!RangeValid() || !(value >= min && value <= max))
        return std::nullopt;
    const ChartPlot p = Plot();
    return p.bottom - Round((value - min) * p.height() / (max - min));
}

std::optional<int64_t> CurveChart::XToTime(int x) const {
    const ChartPlot p = Plot();
    if (x < p.left || x > p.right)
        return std::nullopt;
    return start_ + static_cast<int64_t>(std::floor((x - p.left) * secondsPerCell() / p.cellWidth));
}

int CurveChart::AlarmRowY(int input) const {
    const ChartPlot p = Plot();
    return p.bottom - input * p.cellHeight - p.cellHeight / 2;
}

// ---- zoom and pan -----------------------------------------------------------------------

void CurveChart::Zoom(int button) {
    if (button == 0 && zoom_ < kChartMaxZoom)
        ++zoom_;
    else if (button == 1 && zoom_ > 0)
        --zoom_;
    SetStart(start_);
}

void CurveChart::SetStart(int64_t start) {
    start_ = std::clamp<int64_t>(start, 0, ChartLastStart(zoom_));
}

PixelRect CurveChart::ZoomButtonRect(int button) const {
    const int x = Plot().left + 5 + button * (kChartZoomButtonSize + 1);
    return {x, (kChartMarginTop - kChartZoomButtonSize) / 2, kChartZoomButtonSize, kChartZoomButtonSize};
}

int CurveChart::ZoomButtonAt(int x, int y) const {
    for (int button = 0; button < 2; ++button)
        if (ZoomButtonRect(button).Contains(x, y))
            return button;
    return -1;
}

int CurveChart::ZoomImage(int button, int imageCount) const {
    const int perButton = imageCount / 2;
    if (perButton <= 0)
        return -1;
    const int state = (hotButton_ == button ? 1 : 0) + (pressedButton_ == button ? 1 : 0);
    return button * perButton + std::min(state, perButton - 1);
}

// ---- mouse ------------------------------------------------------------------------------

ChartResponse CurveChart::LeftButtonDown(int x, int y) {
    pressed_ = true;
    pressedButton_ = ZoomButtonAt(x, y);
    dragging_ = pressedButton_ < 0;
    pressX_ = x;
    dragOrigin_ = start_;
    return {true, kChartCursorHeld, true, false};
}

ChartResponse CurveChart::MouseMove(int x, int y, bool leftButtonDown) {
    ChartResponse response;
    if (pressed_ && !leftButtonDown) {
        pressed_ = false;
        pressedButton_ = -1;
        dragging_ = false;
        dragOrigin_ = start_;
        response.repaint = true;
        response.release = true;
    }
    response.cursor = pressed_ ? kChartCursorHeld : kChartCursorFree;
    const int hot = ZoomButtonAt(x, y);
    if (hot != hotButton_) {
        hotButton_ = hot;
        response.repaint = true;
    }
    std::string hover;
    if (const std::optional<int64_t> t = XToTime(x))
        hover = ChartClockText(static_cast<double>(*t));
    if (hover != hoverText_ || (!hover.empty() && x != hoverX_)) {
        hoverText_ = std::move(hover);
        hoverX_ = x;
        response.repaint = true;
    }
    if (dragging_) {
        const int64_t before = start_;
        const double moved = static_cast<double>(pressX_ - x) * secondsPerCell() / Plot().cellWidth;
        SetStart(dragOrigin_ + std::llround(moved));
        response.repaint = response.repaint || start_ != before;
    }
    return response;
}

ChartResponse CurveChart::LeftButtonUp(int x, int y) {
    const bool wasPressed = pressed_;
    if (pressedButton_ >= 0 && ZoomButtonAt(x, y) == pressedButton_)
        Zoom(pressedButton_);
    pressed_ = false;
    pressedButton_ = -1;
    dragging_ = false;
    dragOrigin_ = start_;
    return {wasPressed, kChartCursorFree, false, wasPressed};
}

ChartResponse CurveChart::MouseLeave() {
    const bool changed = !hoverText_.empty() || hotButton_ >= 0;
    hoverText_.clear();
    hotButton_ = -1;
    return {changed, 0, false, false};
}

// ---- what to paint ----------------------------------------------------------------------

std::vector<ChartLabel> CurveChart::ValueLabels() const {
    const ChartPlot p = Plot();
    std::vector<ChartLabel> labels;
    if (quantity_ == SensorQuantity::Alarm) {
        for (int k = 0; k < kChartAlarmInputs; ++k)
            labels.push_back(
                {ValueText(k + 1.0, true), {0, p.ValueLineY(k + 1), p.left, p.cellHeight}, true});
        return labels;
    }
    const double step = (static_cast<double>(max_) - static_cast<double>(min_)) / (p.valueLines - 1);
    for (int k = 0; k < p.valueLines; ++k)
        labels.push_back(
            {ValueText(static_cast<double>(min_) + k * step, false),
             {kValueLabelX, p.ValueLineY(k) - kValueLabelRise, p.left - kValueLabelX, kTextHeight},
             false});
    return labels;
}

std::vector<ChartLabel> CurveChart::TimeLabels() const {
    const ChartPlot p = Plot();
    std::vector<ChartLabel> labels;
    for (int k = 0; k <= kChartTimeCells; ++k)
        labels.push_back(
            {ChartClockText(static_cast<double>(start_) + k * secondsPerCell()),
             {p.TimeLineX(k) - kTimeLabelShift, p.bottom + kTimeLabelGap, kTimeLabelWidth, kTextHeight},
             false});
    return labels;
}

ChartLabel CurveChart::UnitLabel() const {
    const ChartPlot p = Plot();
    return {unit_, {kValueLabelX, p.top - kChartMarginTop, p.left * 2, kTextHeight}, false};
}

std::vector<ChartKey> CurveChart::Keys(int curveCount) const {
    const ChartPlot p = Plot();
    const int left = p.right + kKeyInset;
    const int width = std::max(0, width_ - kKeyInset - left);
    std::vector<ChartKey> keys;
    if (quantity_ == SensorQuantity::Alarm) {
        for (int k = 0; k < std::min(curveCount, kChartAlarmInputs); ++k)
            keys.push_back({k, {left, AlarmRowY(k) - 1, width, kKeyThickness}});
        return keys;
    }
    for (int j = 1; j <= curveCount; ++j)
        keys.push_back(
            {j - 1, {left, p.bottom - j * p.height() / (curveCount + 1) - 1, width, kKeyThickness}});
    return keys;
}

std::vector<ChartCurve> CurveChart::Curves(std::span<const GpsRecord> fixes, int curveCount) const {
    std::vector<ChartCurve> curves;
    if (fixes.empty() || curveCount <= 0)
        return curves;
    const double first = static_cast<double>(start_);
    const double last = first + kChartTimeCells * secondsPerCell();
    const auto visible = [&](const GpsRecord& fix) {
        const int t = FixSecond(fix);
        return t >= first && t <= last;
    };
    const auto add = [](ChartCurve& curve, ChartPoint point) {
        if (curve.points.empty() || !(curve.points.back() == point))
            curve.points.push_back(point);
    };

    for (int colour = 0; colour < curveCount; ++colour) {
        ChartCurve curve{colour, quantity_ == SensorQuantity::Alarm, {}};
        for (const GpsRecord& fix : fixes) {
            if (!visible(fix))
                continue;
            const int x = TimeToX(FixSecond(fix));
            std::optional<int> y;
            switch (quantity_) {
                case SensorQuantity::Speed:
                    y = ValueToY(static_cast<double>(fix.Speed));
                    break;
                case SensorQuantity::Temperature:
                    y = ValueToY(fix.Temperature);
                    break;
                case SensorQuantity::Alarm:
                    if (colour < kChartAlarmInputs && fix.Inputs[colour] == 1)
                        y = AlarmRowY(colour);
                    break;
                case SensorQuantity::Acceleration:
                case SensorQuantity::Voltage:
                    break;  // a fix holds no such values
            }
            if (y)
                add(curve, {x, *y});
        }
        curves.push_back(std::move(curve));
    }
    return curves;
}

// ---- the panel ----------------------------------------------------------------------------

SensorPanelRects LayOutSensorPanel(const PixelRect& client) {
    SensorPanelRects r;
    const int chartRight = client.right() - kSensorColumnWidth;
    const int chartBottom = client.bottom() - kSensorButtonHeight;
    r.chart = {client.x + 1, client.y + 1, std::max(0, chartRight - (client.x + 1)),
               std::max(0, chartBottom - (client.y + 1))};

    // Each label is centred beside its own key: the chart of the quantity,
    // in the chart's place, says where the key lines (and the alarm inputs'
    // rows) are. Where keys lie closer than a label's height, the labels take
    // the keys' spacing, so that none covers the next one's text.
    const PixelRect& c = r.chart;
    for (int q = 0; q <= static_cast<int>(SensorQuantity::Alarm); ++q) {
        const SensorQuantity quantity = static_cast<SensorQuantity>(q);
        const SensorQuantitySetup& setup = QuantitySetup(quantity);
        CurveChart chart;
        chart.Resize(c.width, c.height);
        chart.SetRange(0, 1, std::string(), quantity);
        const std::vector<ChartKey> keys = chart.Keys(setup.labelCount);
        const int spacing = keys.size() > 1 ? std::abs(keys[0].rect.y - keys[1].rect.y) : kSensorLabelHeight;
        const int height = std::clamp(spacing, 1, kSensorLabelHeight);
        for (size_t i = 0; i < keys.size(); ++i) {
            const int middle = c.y + keys[i].rect.y + keys[i].rect.height / 2;
            r.labels[setup.firstLabel + static_cast<int>(i)] = {chartRight, middle - height / 2,
                                                                kSensorColumnWidth, height};
        }
    }

    for (int i = 0; i < kSensorButtonCount; ++i)
        r.buttons[i] = {client.x + 1 + i * kSensorButtonWidth, chartBottom, kSensorButtonWidth,
                        kSensorButtonHeight};
    return r;
}

}  // namespace play
