// skin/core/skin_metrics.cpp
#include "skin/core/skin_metrics.h"

#include <cstddef>

#include "skin/core/os_version_info.h"
#include "skin/core/skin_schema.h"
#include "skin/core/unpatched_gdi.h"
#include "skin/core/win_types.h"

namespace {

class Win32MetricsGdi : public plym::MetricsGdi {
  public:
    uintptr_t CreateSolidBrush(plym::Color color) override {
        return reinterpret_cast<uintptr_t>(::CreateSolidBrush(color));
    }
    uintptr_t CreateFontObject(const plym::LogFont& font) override {
        const LOGFONTA record = ToLogFontA(font);
        return reinterpret_cast<uintptr_t>(CreateFontIndirectA(&record));
    }
    void DeleteGdiObject(uintptr_t object) override {
        PlymUnpatchedDeleteObject(reinterpret_cast<HGDIOBJ>(object));
    }
};

Win32MetricsGdi g_gdi;

// NONCLIENTMETRICSA as systems before Vista know it.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
static_assert(kNonClientMetricsSize == 340);

}  // namespace

CPlymSkinManagerMetrics::CPlymSkinManagerMetrics(CPlymSkinManagerSchema* schema)
    : plym::MetricsCore(&g_gdi), m_schema(schema) {}

plym::SystemMetricsValues CPlymSkinManagerMetrics::ReadSystemValues() {
    plym::SystemMetricsValues values;
    for (int n = 0; n < plym::kSysColorCount; ++n)
        values.sysColors[n] = GetSysColor(n);
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
        values.captionFont = ToPlymLogFont(metrics.lfCaptionFont);
        values.smallCaptionFont = ToPlymLogFont(metrics.lfSmCaptionFont);
        values.menuFont = ToPlymLogFont(metrics.lfMenuFont);
    }
    int border = 1;
    if (SystemParametersInfoA(SPI_GETBORDER, 0, &border, 0))
        values.borderMultiplier = border;
    values.cxBorder = GetSystemMetrics(SM_CXBORDER);
    values.cyBorder = GetSystemMetrics(SM_CYBORDER);
    values.cxEdge = GetSystemMetrics(SM_CXEDGE);
    values.cyEdge = GetSystemMetrics(SM_CYEDGE);
    values.cxHScroll = GetSystemMetrics(SM_CXHSCROLL);
    values.cyHScroll = GetSystemMetrics(SM_CYHSCROLL);
    values.cxVScroll = GetSystemMetrics(SM_CXVSCROLL);
    values.cyVScroll = GetSystemMetrics(SM_CYVSCROLL);
    values.cyCaption = GetSystemMetrics(SM_CYCAPTION);
    values.cySmCaption = GetSystemMetrics(SM_CYSMCAPTION);
    return values;
}

void CPlymSkinManagerMetrics::Refresh() {
    plym::MetricsCore::Refresh(m_schema, &ReadSystemValues, GetPlymOSVersionInfo().OnWin9xFamily());
}

BOOL CPlymSkinManagerMetrics::IsMetricsBrush(HBRUSH brush) const {
    return brush && GetObjectType(brush) == OBJ_BRUSH &&
           plym::MetricsCore::IsMetricsBrush(reinterpret_cast<uintptr_t>(brush));
}
