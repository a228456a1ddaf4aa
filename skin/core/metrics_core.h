// skin/core/metrics_core.h
//
// The skin's system-wide values: the 31 system colours with a solid brush
// each, the button-face and window brushes, the caption, small-caption and
// menu fonts, and the frame, edge, scroll-bar and caption sizes that the
// replaced system functions hand out instead of the system's. Refresh takes
// the system's values and the skin's [SysMetrics] section; the GDI objects are
// made and freed through MetricsGdi, whose freeing must bypass the replaced
// DeleteObject (which refuses to delete the skin's own brushes).
//
// A system colour index is valid only in 0 .. 30: ColorAt and BrushAt answer
// 0 for every other index.
#pragma once

#include <cstdint>
#include <functional>

#include "skin/core/frame_geometry.h"
#include "skin/core/plym_types.h"
#include "skin/core/schema_store.h"

namespace plym {

inline constexpr int kSysColorCount = 31;

// The colours a skin without [SysMetrics] colours gets (before the colour
// filters), system colour index 0 .. 30.
extern const Color kDefaultSysColors[kSysColorCount];

// What Refresh reads from the system.
struct SystemMetricsValues {
    Color sysColors[kSysColorCount] = {};  // GetSysColor
    int borderMultiplier = 1;              // SPI_GETBORDER
    int cxBorder = 1;
    int cyBorder = 1;
    int cxEdge = 2;
    int cyEdge = 2;
    int cxHScroll = 16;
    int cyHScroll = 16;
    int cxVScroll = 16;
    int cyVScroll = 16;
    int cyCaption = 18;
    int cySmCaption = 15;
    LogFont captionFont;  // SPI_GETNONCLIENTMETRICS
    LogFont smallCaptionFont;
    LogFont menuFont;
};

// GDI objects of the metrics, as opaque handles (0 = none).
class MetricsGdi {
  public:
    virtual ~MetricsGdi() = default;
    virtual uintptr_t CreateSolidBrush(Color color) = 0;
    virtual uintptr_t CreateFontObject(const LogFont& font) = 0;
    // The system's own DeleteObject, never a replacement.
    virtual void DeleteGdiObject(uintptr_t object) = 0;
};

class MetricsCore {
  public:
    explicit MetricsCore(MetricsGdi* gdi);
    virtual ~MetricsCore();  // frees every object it made
    MetricsCore(const MetricsCore&) = delete;
    MetricsCore& operator=(const MetricsCore&) = delete;

    // Without a schema the colours become the system's and the colour brushes
    // go. With one: the system's sizes and fonts, then (not on Windows 9x) the
    // skin's [SysMetrics] caption and scroll-bar sizes and fonts; colour n is
    // the skin's property 1601 + n, else the built-in default, both through the
    // schema's colour filter; a colour brush is made again only when its colour
    // changed.
    // `system` is asked once, while Refreshing() is already true for a skin.
    void Refresh(const SchemaStore* schema, const std::function<SystemMetricsValues()>& system, bool win9x);

    Color ColorAt(int n) const;
    uintptr_t BrushAt(int n) const;
    // True for the face brush, the window brush and the colour brushes.
    bool IsMetricsBrush(uintptr_t brush) const;
    bool Refreshing() const { return refreshing_; }

    uintptr_t CaptionFont() const { return captionFont_; }
    uintptr_t SmallCaptionFont() const { return smallCaptionFont_; }
    uintptr_t MenuFont() const { return menuFont_; }
    uintptr_t FaceBrush() const { return faceBrush_; }
    uintptr_t WindowBrush() const { return windowBrush_; }
    Color Light() const { return light_; }
    Color Highlight() const { return highlight_; }
    Color Shadow() const { return shadow_; }
    Color DarkShadow() const { return darkShadow_; }

    int BorderMultiplier() const { return borderMultiplier_; }
    int BorderWidth() const { return borderWidth_; }
    int BorderHeight() const { return borderHeight_; }
    int EdgeWidth() const { return edgeWidth_; }
    int EdgeHeight() const { return edgeHeight_; }
    int HScrollArrowWidth() const { return hScrollArrowWidth_; }    // SM_CXHSCROLL
    int HScrollHeight() const { return hScrollHeight_; }            // SM_CYHSCROLL
    int VScrollWidth() const { return vScrollWidth_; }              // SM_CXVSCROLL
    int VScrollArrowHeight() const { return vScrollArrowHeight_; }  // SM_CYVSCROLL
    int CaptionHeight() const { return captionHeight_; }
    int SmallCaptionHeight() const { return smallCaptionHeight_; }
    int SystemCaptionHeight() const { return sysCaptionHeight_; }
    int SystemSmallCaptionHeight() const { return sysSmallCaptionHeight_; }
    int SystemVScrollWidth() const { return sysVScrollWidth_; }

    FrameMetrics Frame() const;

  private:
    void Replace(uintptr_t* slot, uintptr_t object);

    MetricsGdi* gdi_;
    uintptr_t captionFont_ = 0;
    uintptr_t menuFont_ = 0;
    uintptr_t smallCaptionFont_ = 0;
    uintptr_t faceBrush_ = 0;
    uintptr_t windowBrush_ = 0;
    Color light_ = 0;
    Color highlight_ = 0;
    Color shadow_ = 0;
    Color darkShadow_ = 0;
    Color colors_[kSysColorCount];
    uintptr_t colorBrushes_[kSysColorCount] = {};
    int borderMultiplier_ = 1;
    int borderWidth_ = 1;
    int borderHeight_ = 1;
    int edgeWidth_ = 2;
    int edgeHeight_ = 2;
    int hScrollArrowWidth_ = 16;
    int hScrollHeight_ = 16;
    int vScrollWidth_ = 16;
    int vScrollArrowHeight_ = 16;
    int captionHeight_ = 18;
    int smallCaptionHeight_ = 15;
    int sysCaptionHeight_ = 18;
    int sysSmallCaptionHeight_ = 15;
    int sysVScrollWidth_ = 16;
    bool refreshing_ = false;
};

}  // namespace plym
