// skin/core/metrics_core.cpp
#include "skin/core/metrics_core.h"

#include <climits>

namespace plym {
namespace {

// A skin height plus one, without overflow.
int PlusOne(int value) {
    return value == INT_MAX ? value : value + 1;
}

}  // namespace

const Color kDefaultSysColors[kSysColorCount] = {
    0xC0C0C0, 0xA56E3A, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
    0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000,
    0xE1FFFF, 0xB4B4B4, 0xFF0000, 0xD08410, 0xB5B5B5, 0x800000, 0xC0C0C0,
};

MetricsCore::MetricsCore(MetricsGdi* gdi) : gdi_(gdi) {
    for (Color& color : colors_)
        color = kNoColor;
}

MetricsCore::~MetricsCore() {
    for (uintptr_t* slot : {&captionFont_, &menuFont_, &smallCaptionFont_, &faceBrush_, &windowBrush_})
        Replace(slot, 0);
    for (uintptr_t& brush : colorBrushes_)
        Replace(&brush, 0);
}

void MetricsCore::Replace(uintptr_t* slot, uintptr_t object) {
    if (*slot)
        gdi_->DeleteGdiObject(*slot);
    *slot = object;
}

void MetricsCore::Refresh(const SchemaStore* schema,
                          const std::function<SystemMetricsValues()>& readSystem,
                          bool win9x) {
    if (!schema) {
        const SystemMetricsValues system = readSystem();
        for (int n = 0; n < kSysColorCount; ++n) {
            colors_[n] = system.sysColors[n];
            Replace(&colorBrushes_[n], 0);
        }
        return;
    }
    refreshing_ = true;
    const SystemMetricsValues system = readSystem();

    LogFont captionFont = system.captionFont;
    LogFont smallCaptionFont = system.smallCaptionFont;
    LogFont menuFont = system.menuFont;
    borderMultiplier_ = system.borderMultiplier;
    borderWidth_ = system.cxBorder;
    borderHeight_ = system.cyBorder;
    edgeWidth_ = system.cxEdge;
    edgeHeight_ = system.cyEdge;
    hScrollArrowWidth_ = system.cxHScroll;
    hScrollHeight_ = system.cyHScroll;
    vScrollWidth_ = system.cxVScroll;
    vScrollArrowHeight_ = system.cyVScroll;
    captionHeight_ = system.cyCaption;
    smallCaptionHeight_ = system.cySmCaption;
    sysCaptionHeight_ = system.cyCaption;
    sysSmallCaptionHeight_ = system.cySmCaption;
    sysVScrollWidth_ = system.cxVScroll;

    if (!win9x) {
        int value = 0;
        if (schema->GetIntProperty(kClassSysMetrics, 0, 0, kPropCaptionBarHeight, &value) == kResultOk)
            captionHeight_ = PlusOne(value);
        if (schema->GetIntProperty(kClassSysMetrics, 0, 0, kPropSmCaptionBarHeight, &value) == kResultOk)
            smallCaptionHeight_ = PlusOne(value);
        if (schema->GetIntProperty(kClassSysMetrics, 0, 0, kPropScrollBarWidth, &value) == kResultOk &&
            value > 0) {
            vScrollWidth_ = value;
            hScrollArrowWidth_ = value;
        }
        if (schema->GetIntProperty(kClassSysMetrics, 0, 0, kPropScrollBarHeight, &value) == kResultOk &&
            value > 0) {
            vScrollArrowHeight_ = value;
            hScrollHeight_ = value;
        }
        schema->GetFontProperty(kClassSysMetrics, 0, 0, kPropCaptionFont, &captionFont);
        schema->GetFontProperty(kClassSysMetrics, 0, 0, kPropSmallCaptionFont, &smallCaptionFont);
        schema->GetFontProperty(kClassSysMetrics, 0, 0, kPropMenuFont, &menuFont);
    }
    Replace(&captionFont_, gdi_->CreateFontObject(captionFont));
    Replace(&smallCaptionFont_, gdi_->CreateFontObject(smallCaptionFont));
    Replace(&menuFont_, gdi_->CreateFontObject(menuFont));

    for (int n = 0; n < kSysColorCount; ++n) {
        Color color = 0;
        if (schema->GetColorProperty(kClassSysMetrics, 0, 0, kPropFirstSysColor + n, &color) != kResultOk)
            color = schema->FilterColor(kDefaultSysColors[n]);
        if (color != colors_[n] || !colorBrushes_[n]) {
            colors_[n] = color;
            Replace(&colorBrushes_[n], gdi_->CreateSolidBrush(color));
        }
    }

    light_ = colors_[22];
    highlight_ = colors_[20];
    shadow_ = colors_[16];
    darkShadow_ = colors_[21];
    Replace(&faceBrush_, gdi_->CreateSolidBrush(colors_[15]));
    Replace(&windowBrush_, gdi_->CreateSolidBrush(colors_[5]));
    refreshing_ = false;
}

Color MetricsCore::ColorAt(int n) const {
    return n >= 0 && n < kSysColorCount ? colors_[n] : 0;
}

uintptr_t MetricsCore::BrushAt(int n) const {
    return n >= 0 && n < kSysColorCount ? colorBrushes_[n] : 0;
}

bool MetricsCore::IsMetricsBrush(uintptr_t brush) const {
    if (!brush)
        return false;
    if (brush == faceBrush_ || brush == windowBrush_)
        return true;
    for (uintptr_t own : colorBrushes_) {
        if (own == brush)
            return true;
    }
    return false;
}

FrameMetrics MetricsCore::Frame() const {
    FrameMetrics frame;
    frame.borderMultiplier = borderMultiplier_;
    frame.borderWidth = borderWidth_;
    frame.borderHeight = borderHeight_;
    frame.edgeWidth = edgeWidth_;
    frame.edgeHeight = edgeHeight_;
    frame.captionHeight = captionHeight_;
    frame.smallCaptionHeight = smallCaptionHeight_;
    return frame;
}

}  // namespace plym
