// skin/core/skin_schema.h
//
// CPlymSkinManagerSchema: one parsed skin (plym::SchemaStore, read from its
// skin file) with everything that turns a (class, part, state) into pixels:
// part backgrounds and border fills, frame borders, whole window frames with
// their caption bars and buttons, the window regions cut from the frame
// images, and the frames' own scroll bars. It owns the skin metrics and the
// theme classes made for it. GUI thread only; the schema lock is held while a
// caption bar is drawn.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "skin/core/frame_geometry.h"
#include "skin/core/plym_sync.h"
#include "skin/core/schema_store.h"
#include "skin/core/skin_class.h"
#include "skin/core/skin_interfaces.h"
#include "skin/core/skin_metrics.h"

class CPlymSkinManager;

class CPlymSkinManagerSchema : public CPlymRefCounted, public plym::SchemaStore {
  public:
    // Holds a reference to `file` (may be NULL: a schema without images).
    CPlymSkinManagerSchema(CPlymSkinManager* manager, IPlymSkinFile* file);

    virtual BOOL DrawThemeBackground(HDC dc,
                                     CPlymSkinManagerClass* themeClass,
                                     int part,
                                     int state,
                                     const RECT* rect);
    // The whole non-client frame of a skinned window: edges, caption bar,
    // icon, caption buttons and text.
    virtual BOOL DrawThemeFrameCaption(HDC dc, IPlymSkinFrame* frame);
    virtual void GetFrameBorders(RECT* borders, DWORD style, DWORD exStyle);
    virtual void GetWindowFrameBorders(RECT* borders, HWND window);
    // The window region for a frame of this size; the caller owns it.
    virtual HRGN GetFrameRegion(IPlymSkinFrame* frame, int width, int height);
    virtual void ReloadMetrics();
    virtual void DrawFrameScrollBar(HDC dc, IPlymSkinFrame* frame, const plym::ScrollBarPosInfo* bar);
    virtual COLORREF GetFaceColor(HWND window);

    // Parses the skin file's INI text; 0.
    int ReadProperties();
    using plym::SchemaStore::ReadProperties;
    BOOL DrawBorderFill(HDC dc, CPlymSkinManagerClass* themeClass, int part, int state, const RECT* rect);
    // The small icon of a captioned window, NULL for tool windows, windows
    // without a system menu and modal-frame dialogs that were given none.
    HICON GetFrameIcon(HWND window, BOOL forCaption);
    // The square the caption icon takes, in window coordinates; empty without
    // a full caption.
    RECT GetFrameIconRect(IPlymSkinFrame* frame);
    int GetBorderCount(DWORD style, DWORD exStyle, BOOL frame, BOOL clientEdge);
    // Lays out and draws the caption buttons; the left edge of the row.
    int DrawCaptionButtons(HDC dc, IPlymSkinFrame* frame);
    SIZE GetCaptionButtonSize(CPlymSkinManagerClass* windowClass, int s);
    COLORREF GetSchemaColor(int n);
    // The frame-region cache entry for a frame; a temporary one is handed
    // over in `temporary`. NULL when the caption image cannot be rendered.
    const plym::FrameRegion* FindFrameRegion(IPlymSkinFrame* frame,
                                             int width,
                                             int height,
                                             std::unique_ptr<plym::FrameRegion>* temporary);
    // Renders WINDOW part `part` (state 1) as the frame-region scan reads it.
    BOOL RenderFramePart(IPlymSkinFrame* frame,
                         int part,
                         BOOL fixedWidth,
                         int size,
                         plym::PixelImage* image,
                         plym::Rect* margins,
                         plym::Color* key);
    // Adds a non-empty rectangle to the region, making the region if needed.
    static void AddRectToRegion(HRGN* region, int left, int top, int right, int bottom);
    void FreeFrameRegions() { m_regions.Clear(); }
    size_t FrameRegionCount() const { return m_regions.EntryCount(); }
    void DrawFrameEdges(HDC dc, const RECT& rect, IPlymSkinFrame* frame);
    void DrawClientEdge(HDC dc, const RECT& rect, IPlymSkinFrame* frame);

    // The theme class of a class name (any case), made on first request.
    CPlymSkinManagerClass* GetThemeClass(const std::string& className);
    // The theme class `handle` is when this schema made it, else NULL (a
    // visual-style handle from a caller is checked before use).
    CPlymSkinManagerClass* FindThemeClass(const void* handle) const;
    CPlymSkinManagerMetrics* GetMetrics() { return &m_metrics; }
    IPlymSkinFile* GetSkinFile() const { return m_file; }
    CPlymSkinManager* GetManager() const { return m_manager; }
    CPlymCritSec* GetLock() { return &m_lock; }
    const std::string& GetSkinPath() const { return m_skinPath; }
    void SetSkinPath(const std::string& path) { m_skinPath = path; }

  protected:
    ~CPlymSkinManagerSchema() override;
    // The theme classes cache pointers to the properties.
    void ForgetProperties() override { m_classes.clear(); }

  private:
    CPlymSkinManager* m_manager;
    IPlymSkinFile* m_file;
    CPlymSkinManagerMetrics m_metrics;
    std::string m_skinPath;
    CPlymCritSec m_lock;
    plym::FrameRegionCache m_regions;
    std::map<std::string, std::unique_ptr<CPlymSkinManagerClass>> m_classes;
};
