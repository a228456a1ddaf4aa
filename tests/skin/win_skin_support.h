// tests/skin/win_skin_support.h
//
// What the Windows skin tests stand on in place of the pieces that come with
// the skin file reader and the frame skin objects: a skin file that reads a
// skin module's INI resource and its bitmaps (stretched cell by cell, key
// colour left out; no nine-grid), a frame for a real window that draws its
// caption buttons from the skin, and a 32-bit canvas to draw into and probe.
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

// A whole-bitmap image: cells are stretched, the key colour is left out.
class BitmapImage : public IPlymSkinImage {
  public:
    explicit BitmapImage(HBITMAP bitmap) : bitmap_(bitmap) {
        BITMAP info{};
        GetObjectA(bitmap_, sizeof(info), &info);
        width_ = info.bmWidth;
        height_ = info.bmHeight;
    }
    ~BitmapImage() override { DeleteObject(bitmap_); }
    int PixelWidth() const override { return width_; }
    int PixelHeight() const override { return height_; }
    BOOL HasAlpha() const override { return FALSE; }
    void SetMirrorAllowed(BOOL) override {}
    void PrepareSolidRects(int, BOOL, const RECT&) override {}
    BOOL PaintPart(HDC dc, const RECT& to, const RECT& from, const RECT&, COLORREF key, int, BOOL) override {
        HDC source = CreateCompatibleDC(dc);
        const HGDIOBJ old = SelectObject(source, bitmap_);
        const int w = to.right - to.left, h = to.bottom - to.top;
        const int sw = from.right - from.left, sh = from.bottom - from.top;
        BOOL done;
        if (key != CLR_INVALID) {
            done = TransparentBlt(dc, to.left, to.top, w, h, source, from.left, from.top, sw, sh, key);
        } else {
            SetStretchBltMode(dc, COLORONCOLOR);
            done = StretchBlt(dc, to.left, to.top, w, h, source, from.left, from.top, sw, sh, SRCCOPY);
        }
        SelectObject(source, old);
        DeleteDC(source);
        return done;
    }

  private:
    HBITMAP bitmap_;
    int width_ = 0;
    int height_ = 0;
};

// The INI section "NormalBlack.ini" of a skin module and its bitmaps.
class ModuleSkinFile : public IPlymSkinFile {
  public:
    explicit ModuleSkinFile(HMODULE module) : module_(module) {
        const std::wstring text = ModuleText(module, "NORMALBLACK_INI");
        size_t at = !text.empty() && text[0] == 0xFEFF ? 1 : 0;
        for (size_t end; (end = text.find(L'\r', at)) != std::wstring::npos; at = end + 1) {
            std::string line;
            for (size_t i = at; i < end; ++i)
                line.push_back(static_cast<char>(text[i]));
            lines_.push_back(line);
            if (end + 1 < text.size() && text[end + 1] == L'\n')
                ++end;
        }
    }
    bool ReadLine(std::string* line) override {
        if (next_ >= lines_.size())
            return false;
        *line = lines_[next_++];
        return true;
    }
    IPlymSkinImage* LoadSkinImage(const char* imagePath) override {
        std::string name = imagePath;
        for (char& c : name) {
            if (c == '.' || c == '\\')
                c = '_';
        }
        HANDLE bitmap = ::LoadImageA(module_, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        return bitmap ? new BitmapImage(static_cast<HBITMAP>(bitmap)) : nullptr;
    }
    size_t LineCount() const { return lines_.size(); }

  private:
    HMODULE module_;
    std::vector<std::string> lines_;
    size_t next_ = 0;
};

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

// A 32-bit top-down drawing surface.
class Canvas {
  public:
    Canvas(int width, int height) : width_(width) {
        const BITMAPINFO info = TopDownDibInfo(width, height);
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        PatBlt(dc_, 0, 0, width, height, WHITENESS);
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
