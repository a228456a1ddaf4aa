// skin/core/skin_metrics.h
//
// CPlymSkinManagerMetrics: the skin metrics of one schema over the system --
// its GDI objects are real brushes and fonts, freed through the system's own
// DeleteObject, and Refresh reads the system's colours, sizes and fonts
// (SPI_GETNONCLIENTMETRICS in its 340-byte form, SPI_GETBORDER,
// GetSystemMetrics) before the skin's [SysMetrics] values replace them.
#pragma once

#include <windows.h>

#include "skin/core/metrics_core.h"

class CPlymSkinManagerSchema;

class CPlymSkinManagerMetrics : public plym::MetricsCore {
  public:
    explicit CPlymSkinManagerMetrics(CPlymSkinManagerSchema* schema);
    ~CPlymSkinManagerMetrics() override = default;

    // Without a schema the colours are the system's.
    virtual void Refresh();

    CPlymSkinManagerSchema* GetSchema() const { return m_schema; }
    HFONT GetCaptionFont() const { return reinterpret_cast<HFONT>(CaptionFont()); }
    HFONT GetSmallCaptionFont() const { return reinterpret_cast<HFONT>(SmallCaptionFont()); }
    HFONT GetMenuFont() const { return reinterpret_cast<HFONT>(MenuFont()); }
    HBRUSH GetFaceBrush() const { return reinterpret_cast<HBRUSH>(FaceBrush()); }
    HBRUSH GetWindowBrush() const { return reinterpret_cast<HBRUSH>(WindowBrush()); }
    // The brush of system colour n (0 .. 30), NULL for any other n.
    HBRUSH GetColorBrush(int n) const { return reinterpret_cast<HBRUSH>(BrushAt(n)); }
    // TRUE for a live brush that is one of this metrics' brushes.
    BOOL IsMetricsBrush(HBRUSH brush) const;

    // What the system says now (also what the replaced system functions fall
    // back to while a refresh runs).
    static plym::SystemMetricsValues ReadSystemValues();

  private:
    CPlymSkinManagerSchema* m_schema;
};
