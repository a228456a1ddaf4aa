// skin/core/monitor_helper.h
//
// CPlymMonitorHelper: the monitor rectangle and work area of the monitor that
// holds a point, a rectangle or a window. The multi-monitor functions are
// looked up by name in USER32; when one is missing or the monitor cannot be
// read, the work area is SPI_GETWORKAREA and the monitor rectangle the
// primary screen (0, 0, SM_CXSCREEN, SM_CYSCREEN).
#pragma once

#include <windows.h>

#include "skin/core/module_handle.h"

class CPlymMonitorHelper {
  public:
    // Without `lookUp` every multi-monitor function counts as missing.
    explicit CPlymMonitorHelper(bool lookUp = true);

    RECT MonitorRectFromPoint(POINT point) const { return FromMonitor(Monitor(point), false); }
    RECT WorkAreaFromPoint(POINT point) const { return FromMonitor(Monitor(point), true); }
    RECT MonitorRectFromRect(const RECT& rect) const { return FromMonitor(Monitor(rect), false); }
    RECT WorkAreaFromRect(const RECT& rect) const { return FromMonitor(Monitor(rect), true); }
    RECT MonitorRectFromWindow(HWND window) const { return FromMonitor(Monitor(window), false); }
    RECT WorkAreaFromWindow(HWND window) const { return FromMonitor(Monitor(window), true); }

  private:
    HMONITOR Monitor(POINT point) const;
    HMONITOR Monitor(const RECT& rect) const;
    HMONITOR Monitor(HWND window) const;
    RECT FromMonitor(HMONITOR monitor, bool workArea) const;

    CPlymModuleHandle m_user32;
    int(WINAPI* m_getSystemMetrics)(int) = nullptr;
    HMONITOR(WINAPI* m_monitorFromWindow)(HWND, DWORD) = nullptr;
    HMONITOR(WINAPI* m_monitorFromRect)(LPCRECT, DWORD) = nullptr;
    HMONITOR(WINAPI* m_monitorFromPoint)(POINT, DWORD) = nullptr;
    BOOL(WINAPI* m_getMonitorInfoA)(HMONITOR, LPMONITORINFO) = nullptr;
};

CPlymMonitorHelper* GetPlymMonitorHelper();
