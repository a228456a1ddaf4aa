// tests/skin/win_skin_support.h
//
// What the Windows skin tests stand on: a skin module's raw INI text, a frame
// for a real window that draws its caption buttons from the skin (in place of
// the frame skin objects), and a 32-bit canvas to draw into and probe.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "skin/core/skin_interfaces.h"
#include "skin/core/skin_schema.h"
#include "skin/core/win_types.h"

namespace skintest {

// The module's TEXTFILE resource `name` as UTF-16 text (the byte-order mark
// kept); empty when missing.
inline std::wstring ModuleText(HMODULE module, const char* name) {
    HRSRC found = FindResourceA(module, name, "TEXTFILE");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* text = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (!text)
        return {};
    return std::wstring(text, SizeofResource(module, found) / sizeof(wchar_t));
}

// A skinned frame for a real window: borders from the schema, the close,
// maximize and minimize buttons drawn from the WINDOW class.
class TestFrame : public IPlymSkinFrame {
  public:
    TestFrame(CPlymSkinManagerSchema* schema, HWND window) : schema_(schema), window_(window) {
        schema_->GetWindowFrameBorders(&borders_, window_);
    }
    HWND GetFrameWindow() const override { return window_; }
    RECT GetStoredFrameBorders() const override { return borders_; }
    BOOL IsFrameActive() const override { return active; }
    int GetCaptionButtonCount() const override { return 3; }
    void DrawCaptionButton(int index, HDC dc, const RECT& rect, BOOL isActive) override {
        static const int kParts[] = {18, 17, 15};  // close, maximize, minimize
        buttons.resize(3);
        buttons[index] = rect;
        schema_->GetThemeClass("WINDOW")->DrawThemeBackground(dc, kParts[index], isActive ? 1 : 5, &rect);
    }
    HBRUSH GetClientBrush(HDC) override { return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)); }
    COLORREF GetClientEdgeColor() override { return RGB(1, 2, 3); }
    const char* GetThemeClassName() const override { return "WINDOW"; }
    plym::ScrollBarTracking GetScrollTracking(const plym::ScrollBarPosInfo&) const override {
        return tracking;
    }

    BOOL active = TRUE;
    plym::ScrollBarTracking tracking;
    std::vector<RECT> buttons;

  private:
    CPlymSkinManagerSchema* schema_;
    HWND window_;
    RECT borders_{};
};

// A 32-bit top-down drawing surface, white or filled with one colour.
class Canvas {
  public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : width_(width) {
        const BITMAPINFO info = TopDownDibInfo(width, height);
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        const RECT all{0, 0, width, height};
        const COLORREF back = SetBkColor(dc_, fill);
        ExtTextOutA(dc_, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
        SetBkColor(dc_, back);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint32_t bgra = bits_[y * width_ + x];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }

  private:
    int width_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// Red = class * 8, green = part * 6, blue = state * 12: the state-coded skin.
inline COLORREF Coded(int classCode, int part, int state) {
    return RGB(classCode * 8, part * 6, state * 12);
}

}  // namespace skintest
