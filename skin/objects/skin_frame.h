// skin/objects/skin_frame.h
//
// CPlymSkinObjectFrame: the skin object that draws a window's non-client
// area itself -- its borders and caption through the schema, the caption
// buttons with their hot and pressed states, a window region cut to the
// skin's frame shape, and the window's own scroll bars (WS_HSCROLL,
// WS_VSCROLL), drawn and tracked here instead of by the system. It is the base
// of the application frame (skin_application_frame.h) and of every control
// skin; the skin manager never attaches a plain frame. Theme class "WINDOW".
//
// Everything that touches the non-client area is gated by apply option 2
// (frames and scroll bars); the keyboard menu by option 8 (popup menus).
//
// The modal loops (a caption button held down, a scroll bar pressed or its
// thumb dragged) run on the window's thread until the button goes up or the
// capture is lost; a WM_QUIT met inside one is posted again and ends it.
//
// The scroll-bar machinery (layout, hit test, drawing, tracking) lives in
// skin_frame_scrollbar.cpp; SB_CTL scroll-bar controls use it with records
// of their own (bar kind 2, client coordinates).
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "skin/core/frame_geometry.h"
#include "skin/core/skin_interfaces.h"
#include "skin/objects/skin_object.h"

// One scroll bar as the frame measured it (see frame_geometry.h).
using SCROLLBARPOSINFO = plym::ScrollBarPosInfo;

// A scroll bar pressed and held: what is tracked and where.
struct SCROLLBARTRACKINFO {
    BOOL over = FALSE;      // the cursor is over the pressed element
    BOOL vertical = FALSE;  //
    RECT trackRect{};       // the pressed element, or the drag tolerance
    int command = -1;       // SB_LINEUP .. SB_PAGEDOWN, 4 = thumb drag, -1 none
    UINT_PTR timer = 0;     // the repeat timer while set
    int thumbOffset = 0;    // from the cursor to the thumb start
    int lastThumbPixel = 0;
    int currentPos = 0;
    int trackPos = 0;
    BOOL dragging = FALSE;
    HWND control = nullptr;  // SB_CTL: the scroll-bar control
    HWND notify = nullptr;   // the window told; NULL ends the loop
    int barKind = SB_HORZ;
    BOOL nonClient = FALSE;  // points are in window (not client) coordinates
    SCROLLBARPOSINFO* bar = nullptr;
};

class CPlymSkinObjectFrame : public CPlymSkinObject {
    DECLARE_DYNCREATE(CPlymSkinObjectFrame)

  public:
    // Dialog kinds: 1 any window, 2 a dialog box, 6 a dialog on a tab page.
    static constexpr int kNotDialog = 1;
    static constexpr int kDialog = 2;
    static constexpr int kTabPageDialog = 6;

    // Timers: the hot-state poll, the scroll-state refresh, scroll repeat.
    static constexpr UINT_PTR kHotStateTimer = 2763;
    static constexpr UINT_PTR kScrollStateTimer = 2765;
    static constexpr UINT_PTR kScrollRepeatTimer = 64069;

    // One caption button (window coordinates; the rectangle is filled when
    // the schema draws the caption).
    class CCaptionButton {
      public:
        int m_hitCode = 0;
        RECT m_rect{};
        int m_part = 0;
        CPlymSkinObjectFrame* m_frame = nullptr;
        UINT m_command = 0;
        BOOL m_enabled = FALSE;
        void DrawButton(HDC dc, BOOL active);
    };

    CPlymSkinObjectFrame();
    ~CPlymSkinObjectFrame() override;

    int GetDialogKind() const { return m_dialogKind; }
    void SetDialogKind(int kind) { m_dialogKind = kind; }

    // ---- what derived skins override -------------------------------------------------
    // The brush the client area is filled with: the parent's answer to the
    // background message.
    virtual HBRUSH GetClientBrush(HDC dc);
    // Lays the menu bar out again (the application frame has one).
    virtual void RefreshMenuBar() {}
    virtual UINT GetClientBrushMessage() { return m_backgroundMessage; }
    // The whole non-client area into a DC in window coordinates.
    virtual void PaintNonClient(HDC dc);
    // TRUE when the system command was consumed.
    virtual BOOL HandleSysCommand(UINT command, LPARAM lParam);
    // The mouse at a screen point ((-1, -1) clears); TRUE when something of
    // the frame is hot.
    virtual BOOL UpdateHotState(int x, int y);
    // The frame's own hit code at a screen point, 0 when it has none.
    virtual int HitTest(int x, int y);
    // The colour of the inner line of a bordered client edge (the skin's
    // window colour here).
    virtual COLORREF GetClientEdgeColor();

    // Whether the skin draws this window's non-client area, scroll bars and
    // menu bar now (skin on, option 2, skinning not switched off).
    virtual BOOL IsNonClientSkinned() const;
    // Redraws the window's own scroll bar (0 horizontal, 1 vertical).
    virtual void RepaintScrollBar(int bar);
    // The thumb position of a drag of that bar under way; FALSE when none.
    virtual BOOL GetScrollTrackPos(int bar, int* position);
    // The DrawMenuBar replacement: caption buttons and menu bar rebuilt and
    // the non-client area repainted.
    virtual void OnDrawMenuBar();

    // ---- overrides of the skin object ------------------------------------------------
    void ApplySkinChange(BOOL previous, BOOL now) override;
    void ReloadSkinMetrics() override;
    void AfterSubclass(const CREATESTRUCTA* create, BOOL automatic) override;
    void BeforeUnsubclass(BOOL destroying) override;
    BOOL RouteSubclassMessage(UINT message, WPARAM* wParam, LPARAM* lParam, LRESULT* result) override;
    BOOL RouteDefProcMessage(UINT message, WPARAM* wParam, LPARAM* lParam, LRESULT* result) override;
    BOOL IsDefaultProcOnly(UINT message) override;
    BOOL IsPassThroughMessage(UINT message) override;

    // ---- used by other skins and the replaced functions ------------------------------
    // The border widths (left, top with the caption, right, bottom) the last
    // WM_NCCALCSIZE stored.
    void GetFrameBorders(RECT* borders) const { *borders = m_borders; }
    void RepaintNonClient();
    // Rebuilds the caption buttons when the style changed.
    void UpdateCaptionButtons();
    HBRUSH GetParentCtlBrush(HDC dc, UINT message);
    HBRUSH FillParentBackground(HDC dc, const RECT& rect, UINT message);
    HBRUSH GetDialogBackgroundBrush(HDC dc, HWND child, UINT type);
    BOOL IsSizeGripVisible();
    BOOL IsFrameActive() const { return m_active; }
    int GetCaptionButtonCount() const { return static_cast<int>(m_buttons.size()); }
    const CCaptionButton* GetCaptionButton(int index) const;
    const CCaptionButton* GetHotButton() const { return m_hotButton; }
    const CCaptionButton* GetPressedButton() const { return m_pressedButton; }
    // The window's full caption (WS_CAPTION) test.
    BOOL HasFullCaption() const;
    // The skin manager's apply options with the skin on, else 0.
    DWORD ActiveOptions() const;
    // The schema's view of this frame.
    IPlymSkinFrame* GetSkinFrame() { return &m_skinFrame; }

    // ---- scroll bars (skin_frame_scrollbar.cpp) -------------------------------------
    // A bar's rectangle: SB_CTL the client rectangle; the others in window
    // coordinates beside the client area.
    RECT GetScrollBarRect(int kind);
    // Reads the bar's range and lays it out over its rectangle.
    void SetupScrollBar(SCROLLBARPOSINFO* bar);
    int ScrollBarHitTest(const SCROLLBARPOSINFO* bar, int x, int y) const;
    void DrawScrollBar(HDC dc, SCROLLBARPOSINFO* bar);
    // Redraws one bar on the window (client DC for SB_CTL).
    void RedrawScrollBar(SCROLLBARPOSINFO* bar);
    // The modal tracking of a press at (x, y) (the record's coordinates);
    // `shift` turns a track press into a thumb drag.
    void TrackScrollBar(int x, int y, SCROLLBARPOSINFO* bar, BOOL shift, HWND control = nullptr);
    const SCROLLBARTRACKINFO* GetScrollTracking() const { return m_tracking.get(); }
    SCROLLBARPOSINFO* GetScrollBarInfo(int kind) { return kind == SB_VERT ? &m_vertBar : &m_horzBar; }

    // The timer procedure of the hot-state poll and the scroll-state refresh.
    static void CALLBACK FrameTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
    static void CALLBACK ScrollStateTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
    // Whether Alt went down alone and waits for its release (the
    // keyboard-menu flag, shared by every frame).
    static BOOL IsMenuKeyPending();

  protected:
    // Messages of the frame's message map; FALSE leaves the message to the
    // next handler (the default procedure).
    BOOL OnCreateMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnNcPaintMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL OnNcCalcSizeMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnNcHitTestMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnNcMouseMoveMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnNcMouseLeaveMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnNcLButtonDownMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnNcRButtonUpMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnNcActivateMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSetTextMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnStyleChangedMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnWindowPosChangingMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnWindowPosChangedMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnPrintMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnGetMinMaxInfoMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSysCommandMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnEraseBkgndMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSysKeyDownMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSysKeyUpMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnKeyUpMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The WM_CTLCOLOR* answers; FALSE when the frame leaves them.
    BOOL OnCtlColorMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Sends WM_NCCALCSIZE (wParam FALSE, the window rectangle) with the guard raised.
    void SendGuardedNcCalcSize();
    void RefreshScrollBarStyles();
    void AdjustFrameToSkin();
    void UpdateFrameRegion(int cx, int cy);
    // The modal loop of a caption button held down.
    void TrackCaptionButton();
    // The button with that hit code and command, NULL when there is none.
    CCaptionButton* FindCaptionButton(int hitCode, UINT command);
    CCaptionButton* CaptionButtonFromPoint(int x, int y);
    // A screen point in this window's coordinates.
    POINT ScreenToWindowPoint(int x, int y) const;
    // The window's style words.
    DWORD Style() const;
    DWORD ExStyle() const;
    void ClearButtons();

    int m_ncGuard = 0;
    int m_dialogKind = kNotDialog;
    CPlymSkinObject* m_mdiClient = nullptr;
    std::vector<CCaptionButton*> m_buttons;
    RECT m_borders{};
    CCaptionButton* m_hotButton = nullptr;
    CCaptionButton* m_pressedButton = nullptr;
    BOOL m_regionApplied = FALSE;
    std::unique_ptr<SCROLLBARTRACKINFO> m_tracking;
    SCROLLBARPOSINFO m_horzBar;
    SCROLLBARPOSINFO m_vertBar;
    int m_regionCx = 0;
    int m_regionCy = 0;
    int m_mdiClientFlag = 0;
    BOOL m_active = FALSE;
    DWORD m_lastStyle = static_cast<DWORD>(-1);
    DWORD m_lastExStyle = static_cast<DWORD>(-1);
    BOOL m_regionBusy = FALSE;
    UINT m_backgroundMessage = WM_CTLCOLORDLG;

  private:
    // Scroll tracking steps (skin_frame_scrollbar.cpp).
    void ScrollButtonHandler(UINT message, int x, int y);
    // `keys`: the mouse message's key flags (MK_LBUTTON while the button is down).
    void ScrollDragHandler(UINT message, int x, int y, WPARAM keys);
    void ScrollRepeatStep();
    void MoveThumb(int pixel);
    void EndScrollTracking();
    void SendScroll(int command, int position);
    POINT TrackingPoint(LPARAM lParam) const;

    // The schema's view of the frame.
    class SkinFrameView : public IPlymSkinFrame {
      public:
        explicit SkinFrameView(CPlymSkinObjectFrame* frame) : m_frame(frame) {}
        HWND GetFrameWindow() const override;
        RECT GetStoredFrameBorders() const override;
        BOOL IsFrameActive() const override;
        int GetCaptionButtonCount() const override;
        void DrawCaptionButton(int index, HDC dc, const RECT& rect, BOOL active) override;
        HBRUSH GetClientBrush(HDC dc) override;
        COLORREF GetClientEdgeColor() override;
        const char* GetThemeClassName() const override;
        plym::ScrollBarTracking GetScrollTracking(const plym::ScrollBarPosInfo& bar) const override;

      private:
        CPlymSkinObjectFrame* m_frame;
    };
    SkinFrameView m_skinFrame{this};
    HBRUSH m_tabPaneBrush = nullptr;
    const void* m_tabPaneMetrics = nullptr;

    DECLARE_MESSAGE_MAP()
};
