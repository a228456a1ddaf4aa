// skin/core/monitor_helper.cpp
#include "skin/core/monitor_helper.h"

namespace {

template <typename Fn>
void Resolve(CPlymModuleHandle& module, const char* name, Fn* target) {
    *target = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(module.GetFunction(name)));
}

}  // namespace

CPlymMonitorHelper::CPlymMonitorHelper(bool lookUp) {
    if (!lookUp || !m_user32.AttachOrLoad("User32.dll"))
        return;
    Resolve(m_user32, "GetSystemMetrics", &m_getSystemMetrics);
    Resolve(m_user32, "MonitorFromWindow", &m_monitorFromWindow);
    Resolve(m_user32, "MonitorFromRect", &m_monitorFromRect);
    Resolve(m_user32, "MonitorFromPoint", &m_monitorFromPoint);
    Resolve(m_user32, "GetMonitorInfoA", &m_getMonitorInfoA);
}

HMONITOR CPlymMonitorHelper::Monitor(POINT point) const {
    return m_monitorFromPoint ? m_monitorFromPoint(point, 0) : nullptr;
}

HMONITOR CPlymMonitorHelper::Monitor(const RECT& rect) const {
    return m_monitorFromRect ? m_monitorFromRect(&rect, 0) : nullptr;
}

HMONITOR CPlymMonitorHelper::Monitor(HWND window) const {
    return m_monitorFromWindow ? m_monitorFromWindow(window, 0) : nullptr;
}

RECT CPlymMonitorHelper::FromMonitor(HMONITOR monitor, bool workArea) const {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && m_getMonitorInfoA && m_getMonitorInfoA(monitor, &info))
        return workArea ? info.rcWork : info.rcMonitor;
    RECT rect{};
    if (workArea && SystemParametersInfoA(SPI_GETWORKAREA, 0, &rect, 0))
        return rect;
    const auto metric = m_getSystemMetrics ? m_getSystemMetrics : &GetSystemMetrics;
    return {0, 0, metric(SM_CXSCREEN), metric(SM_CYSCREEN)};
}

CPlymMonitorHelper* GetPlymMonitorHelper() {
    static CPlymMonitorHelper helper;
    return &helper;
}
