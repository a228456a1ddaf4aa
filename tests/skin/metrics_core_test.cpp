// tests/skin/metrics_core_test.cpp
//
// The skin metrics over injected system values and a counting GDI: the
// skin's [SysMetrics] sizes, fonts and colours, the built-in colours, Windows
// 9x keeping the system's sizes, brushes that are not leaked over refreshes,
// and system colour indices checked against 0 .. 30.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>

#include "skin/core/metrics_core.h"
#include "tests/skin/skin_test_support.h"

namespace {

using plym::Color;

// Hands out numbered objects and keeps the live ones.
class CountingGdi : public plym::MetricsGdi {
  public:
    uintptr_t CreateSolidBrush(Color color) override {
        brushes[++last] = color;
        return last;
    }
    uintptr_t CreateFontObject(const plym::LogFont& font) override {
        fonts[++last] = font;
        return last;
    }
    void DeleteGdiObject(uintptr_t object) override {
        ASSERT_TRUE(brushes.erase(object) + fonts.erase(object) == 1)
            << "object " << object << " is not live";
    }
    std::map<uintptr_t, Color> brushes;
    std::map<uintptr_t, plym::LogFont> fonts;
    uintptr_t last = 0;
};

plym::SystemMetricsValues SystemValues() {
    plym::SystemMetricsValues system;
    for (int n = 0; n < plym::kSysColorCount; ++n)
        system.sysColors[n] = static_cast<Color>(0x010000 * n + 0x77);
    system.cyCaption = 19;
    system.cySmCaption = 16;
    system.cxVScroll = 17;
    system.cyVScroll = 17;
    system.cxHScroll = 17;
    system.cyHScroll = 17;
    system.borderMultiplier = 1;
    std::strcpy(system.captionFont.faceName, "System Caption");
    std::strcpy(system.menuFont.faceName, "System Menu");
    return system;
}

const char kSkin[] =
    "[SysMetrics]\n"
    "CaptionBarHeight = 24\n"
    "SmCaptionBarHeight = 18\n"
    "ScrollbarWidth = 15\n"
    "ScrollbarHeight = 0\n"  // not above 0: the system's
    "CaptionFont = Tahoma, 9, Bold\n"
    "BtnFace = 40 40 43\n"
    "Window = 26 26 28\n";

TEST(MetricsCoreTest, SkinSizesFontsAndColoursReplaceTheSystemsExceptOnWindows9x) {
    plym::SchemaStore skin;
    skin.SetColorFilter([](Color c) { return c | 0x01000000; });  // marks what passed the filter
    skintest::Parse(&skin, kSkin);
    CountingGdi gdi;
    plym::MetricsCore metrics(&gdi);
    metrics.Refresh(&skin, SystemValues, false);

    EXPECT_EQ(metrics.CaptionHeight(), 25);
    EXPECT_EQ(metrics.SmallCaptionHeight(), 19);
    EXPECT_EQ(metrics.SystemCaptionHeight(), 19);
    EXPECT_EQ(metrics.VScrollWidth(), 15);
    EXPECT_EQ(metrics.HScrollArrowWidth(), 15);
    EXPECT_EQ(metrics.VScrollArrowHeight(), 17);
    EXPECT_EQ(metrics.SystemVScrollWidth(), 17);
    EXPECT_STREQ(gdi.fonts.at(metrics.CaptionFont()).faceName, "TAHOMA");
    EXPECT_EQ(gdi.fonts.at(metrics.CaptionFont()).weight, 700);
    EXPECT_STREQ(gdi.fonts.at(metrics.MenuFont()).faceName, "System Menu");

    EXPECT_EQ(metrics.ColorAt(15), plym::Rgb(40, 40, 43) | 0x01000000);
    EXPECT_EQ(metrics.ColorAt(0), plym::kDefaultSysColors[0] | 0x01000000);
    EXPECT_EQ(gdi.brushes.at(metrics.FaceBrush()), metrics.ColorAt(15));
    EXPECT_EQ(gdi.brushes.at(metrics.WindowBrush()), metrics.ColorAt(5));
    EXPECT_EQ(gdi.brushes.at(metrics.BrushAt(30)), metrics.ColorAt(30));
    EXPECT_EQ(metrics.Light(), metrics.ColorAt(22));
    EXPECT_EQ(metrics.DarkShadow(), metrics.ColorAt(21));
    EXPECT_TRUE(metrics.IsMetricsBrush(metrics.FaceBrush()));
    EXPECT_TRUE(metrics.IsMetricsBrush(metrics.BrushAt(7)));
    EXPECT_FALSE(metrics.IsMetricsBrush(metrics.CaptionFont()));
    EXPECT_FALSE(metrics.IsMetricsBrush(0));

    plym::MetricsCore old(&gdi);
    old.Refresh(&skin, SystemValues, true);
    EXPECT_EQ(old.CaptionHeight(), 19);
    EXPECT_EQ(old.VScrollWidth(), 17);
    EXPECT_STREQ(gdi.fonts.at(old.CaptionFont()).faceName, "System Caption");
    EXPECT_EQ(old.ColorAt(15), metrics.ColorAt(15));  // colours are the skin's there too
}

// A colour refresh deletes the brushes it replaces (through the system's own
// DeleteObject, never the skin's replacement, which refuses skin brushes), so
// any number of refreshes leaves exactly one brush a colour plus the face and
// window brushes; a colour that did not change keeps its brush.
TEST(MetricsCoreTest, RefreshesDeleteTheBrushesTheyReplace) {
    plym::SchemaStore first;
    skintest::Parse(&first, kSkin);
    plym::SchemaStore second;
    skintest::Parse(&second, "[SysMetrics]\nBtnFace = 1 2 3\nWindow = 26 26 28\n");
    CountingGdi gdi;
    {
        plym::MetricsCore metrics(&gdi);
        for (int round = 0; round < 5; ++round) {
            metrics.Refresh(&first, SystemValues, false);
            EXPECT_EQ(gdi.brushes.size(), 33u);
            const uintptr_t windowColourBrush = metrics.BrushAt(5);
            metrics.Refresh(&second, SystemValues, false);
            EXPECT_EQ(gdi.brushes.size(), 33u);
            EXPECT_EQ(gdi.fonts.size(), 3u);
            EXPECT_EQ(metrics.BrushAt(5), windowColourBrush);
        }
        // Without a skin only the face and window brushes remain.
        metrics.Refresh(nullptr, SystemValues, false);
        EXPECT_EQ(gdi.brushes.size(), 2u);
        EXPECT_EQ(metrics.ColorAt(3), SystemValues().sysColors[3]);
        EXPECT_EQ(metrics.BrushAt(3), 0u);
    }
    EXPECT_TRUE(gdi.brushes.empty());
    EXPECT_TRUE(gdi.fonts.empty());
}

TEST(MetricsCoreTest, SystemColourIndicesOutside0To30GiveNothing) {
    plym::SchemaStore skin;
    skintest::Parse(&skin, kSkin);
    CountingGdi gdi;
    plym::MetricsCore metrics(&gdi);
    metrics.Refresh(&skin, SystemValues, false);
    for (int n : {-1, 31, 32, INT_MIN, INT_MAX, -31}) {
        EXPECT_EQ(metrics.ColorAt(n), 0u) << n;
        EXPECT_EQ(metrics.BrushAt(n), 0u) << n;
    }
    EXPECT_NE(metrics.BrushAt(0), 0u);
    EXPECT_NE(metrics.BrushAt(30), 0u);
}

}  // namespace
