// skin/objects/skin_controls.h
//
// The control skins: skin objects that repaint the system's and the common
// controls with the skin while their behaviour stays the controls' own. Each
// is a window frame (skin_frame.h), so it also has the frame's skinned border
// and scroll bars. What part and state a control shows and where its pieces
// go is decided without a window (control_states.h, control_layout.h).
//
// The common scheme: the face is painted on WM_PAINT and on WM_PRINTCLIENT
// with PRF_CLIENT (into the given DC), mostly into an off-screen buffer of the
// client rectangle; messages that change a control's state run its own
// procedure and then invalidate it without erasing; hot tracking follows
// WM_MOUSEMOVE with a leave notification. Controls that draw themselves in
// the skin's colours (tree and list views, the month calendar) are only fed
// the colours.
//
// Everything runs on the thread that owns the window.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "skin/objects/control_layout.h"
#include "skin/objects/control_states.h"
#include "skin/objects/skin_frame.h"

// ---- the system's controls ------------------------------------------------------------------

// "Button" (and the names other toolkits give it). Owner-drawn kinds are left
// to the button entirely.
class CPlymSkinObjectButton : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectButton)

  public:
    CPlymSkinObjectButton();

    // Draws the face (background, glyph or image, text, focus) into `dc`
    // over `rect`, the client rectangle.
    virtual void DrawButton(HDC dc, const RECT& rect);

    BOOL RouteSubclassMessage(UINT message, WPARAM* wParam, LPARAM* lParam, LRESULT* result) override;
    BOOL RouteDefProcMessage(UINT message, WPARAM* wParam, LPARAM* lParam, LRESULT* result) override;
    // The button's own rule, on the base's two state words (the system-
    // procedure flag first, the subclassed flag second): never for WM_TIMER;
    // never for a subclassed button's messages other than WM_CTLCOLORMSGBOX
    // .. WM_CTLCOLORSTATIC; always for a button with a system procedure (so a
    // subclassed button's own procedure answers the colour messages);
    // otherwise the frame's rule.
    BOOL IsDefaultProcOnly(UINT message) override;

    // The kind the button is drawn as (255: from the style).
    BYTE m_kindOverride = 255;
    BOOL m_hot = FALSE;
    BOOL m_pushed = FALSE;

  protected:
    int Kind() const;
    void PaintButton(HDC dc);
    BOOL OnCreateButton(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnPaintButton(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseMoveButton(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseLeaveButton(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnStateMessage(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSetStateButton(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSetTextButton(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

// "ComboBox". A drop-down combo box paints itself into a buffer and the skin
// frames its text and draws its button; a simple one gets its field framed.
class CPlymSkinObjectComboBox : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectComboBox)

  public:
    CPlymSkinObjectComboBox();

    virtual void DrawComboBox(HDC dc);
    // WM_CTLCOLORSTATIC when disabled or its edit is read-only, else
    // WM_CTLCOLOREDIT.
    UINT GetClientBrushMessage() override;

    BOOL m_hot = FALSE;
    BOOL m_painting = FALSE;  // the control's own painting runs into the buffer

  protected:
    BOOL OnCreateCombo(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnPaintCombo(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnPrintClientCombo(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseMoveCombo(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseLeaveCombo(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnStateMessage(WPARAM wParam, LPARAM lParam, LRESULT* result);
    void DrawSimpleComboField(HDC dc);

    DECLARE_MESSAGE_MAP()
};

// "ScrollBar": the frame's scroll-bar machinery on a record of its own
// (SB_CTL); size boxes and grips only draw.
class CPlymSkinObjectScrollBar : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectScrollBar)

  public:
    CPlymSkinObjectScrollBar();

    SCROLLBARPOSINFO m_bar;

  protected:
    BOOL IsSizeBox() const;
    void PaintBar(HDC dc);
    BOOL OnCreateBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnPaintBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnEnableBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseMoveBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseLeaveBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnLButtonDownBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSetInfoBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnGetInfoBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSetFocusBar(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

// The base of the skins of controls that keep their own scroll bars: with
// common controls older than 6.0 the frame's bars follow the control's.
class CPlymSkinObjectUser32Control : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectUser32Control)

  public:
    // Repaints the bars whose range or position changed since last time.
    virtual void SyncScrollBars();

  protected:
    virtual BOOL ShouldSyncScrollBars();
    BOOL OnDefaultThenSync(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnEraseThenSync(WPARAM wParam, LPARAM lParam, LRESULT* result);

    SCROLLINFO m_cachedBars[2]{};  // horizontal, vertical

    DECLARE_MESSAGE_MAP()
};

class CPlymSkinObjectEdit : public CPlymSkinObjectUser32Control {
    DECLARE_DYNCREATE(CPlymSkinObjectEdit)

  public:
    CPlymSkinObjectEdit();
    // WM_CTLCOLORSTATIC when disabled or read-only, else WM_CTLCOLOREDIT.
    UINT GetClientBrushMessage() override;
    // Leaves out the strip an attached up-down control overlaps.
    void PaintNonClient(HDC dc) override;
};

class CPlymSkinObjectListBox : public CPlymSkinObjectUser32Control {
    DECLARE_DYNCREATE(CPlymSkinObjectListBox)

  public:
    CPlymSkinObjectListBox();
};

// ---- the common controls ---------------------------------------------------------------------

class CPlymSkinObjectComCtl32Control : public CPlymSkinObjectUser32Control {
    DECLARE_DYNCREATE(CPlymSkinObjectComCtl32Control)

  protected:
    BOOL ShouldSyncScrollBars() override;
};

// Tree and list views draw themselves in the skin's colours.
class CPlymSkinObjectTreeView : public CPlymSkinObjectComCtl32Control {
    DECLARE_DYNCREATE(CPlymSkinObjectTreeView)

  public:
    CPlymSkinObjectTreeView();
    void ApplySkinChange(BOOL previous, BOOL now) override;

  protected:
    BOOL OnCreateTree(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

class CPlymSkinObjectListView : public CPlymSkinObjectComCtl32Control {
    DECLARE_DYNCREATE(CPlymSkinObjectListView)

  public:
    CPlymSkinObjectListView();
    void ApplySkinChange(BOOL previous, BOOL now) override;

  protected:
    BOOL OnCreateList(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnScrollList(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

class CPlymSkinObjectToolBar : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectToolBar)

  public:
    CPlymSkinObjectToolBar();

  protected:
    void PaintToolBar(HDC dc);
    // The image and text of a button in `rect` (already shifted when pressed).
    void DrawToolBarButton(HDC dc, const RECT& rect, const TBBUTTON& button, UINT itemState);
    BOOL OnPaintToolBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnEraseToolBar(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

class CPlymSkinObjectSpin : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectSpin)

  public:
    CPlymSkinObjectSpin();

    int m_hotPart = plym::kSpinNone;
    int m_pressedPart = plym::kSpinNone;

  protected:
    void PaintSpin(HDC dc);
    int HalfAt(POINT point) const;
    BOOL OnPaintSpin(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseMoveSpin(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseLeaveSpin(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnLButtonDownSpin(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnLButtonUpSpin(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnTimerSpin(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

class CPlymSkinObjectMDIClient : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectMDIClient)

  public:
    CPlymSkinObjectMDIClient();
    ~CPlymSkinObjectMDIClient() override;
    void AfterSubclass(const CREATESTRUCTA* create, BOOL automatic) override;
    void BeforeUnsubclass(BOOL destroying) override;
    BOOL IsDefaultProcOnly(UINT message) override;

    // The MDI client skin of a frame window's children (set on the frame).
    static CPlymSkinObjectMDIClient* ClientOf(CPlymSkinObjectFrame* frame);

    BOOL m_arranging = FALSE;
    CPlymSkinObjectFrame* m_mdiFrame = nullptr;  // reference held

  protected:
    BOOL OnScrollClient(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnRecalcScroll(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSizeClient(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnArrange(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

class CPlymSkinObjectTab : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectTab)

  public:
    CPlymSkinObjectTab();

    int m_hotTab = -1;

  protected:
    RECT PaneRect();
    void PaintTab(HDC dc);
    BOOL OnPaintTab(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnEraseTab(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseMoveTab(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseLeaveTab(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

class CPlymSkinObjectTrackBar : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectTrackBar)

  public:
    CPlymSkinObjectTrackBar();

    int m_tickFrequency = 1;
    plym::TrackBarLayout m_layout;
    BOOL m_hotThumb = FALSE;

  protected:
    void PaintTrackBar(HDC dc);
    LRESULT NotifyParent(HDC dc, DWORD stage, DWORD_PTR item);
    BOOL OnPaintTrackBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseMoveTrackBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseLeaveTrackBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnButtonTrackBar(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSetTicFreq(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

class CPlymSkinObjectProgress : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectProgress)

  public:
    CPlymSkinObjectProgress();
    void ApplySkinChange(BOOL previous, BOOL now) override;

    static constexpr UINT_PTR kMarqueeTimer = 102;
    int m_marqueePos = 0;
    int m_marqueeInterval = 0;

  protected:
    plym::ProgressFacts ReadFacts(const RECT& client);
    void PaintProgress(HDC dc);
    void StepMarquee(int steps);
    BOOL OnCreateProgress(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnPaintProgress(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSetPos(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnStepIt(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnSetMarquee(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnTimerProgress(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

class CPlymSkinObjectHeader : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectHeader)

  public:
    CPlymSkinObjectHeader();

    BOOL m_pressed = FALSE;
    int m_hotItem = -1;

  protected:
    void PaintHeader(HDC dc);
    void DrawHeaderItem(HDC dc, int index, const RECT& rect, int state);
    int ItemAt(POINT point, UINT* flags);
    BOOL OnPaintHeader(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnLButtonDownHeader(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnLButtonUpHeader(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseMoveHeader(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnMouseLeaveHeader(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

class CPlymSkinObjectStatusBar : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectStatusBar)

  public:
    CPlymSkinObjectStatusBar();
    void ReloadSkinMetrics() override;

  protected:
    BOOL OnCreateStatus(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

// "SysDateTimePick32": the combo box's messages with its own face drawing;
// its calendar gets the skin's colours when the picker is made under the skin
// and when the skin changes.
class CPlymSkinObjectDateTime : public CPlymSkinObjectComboBox {
    DECLARE_DYNCREATE(CPlymSkinObjectDateTime)

  public:
    CPlymSkinObjectDateTime();
    void DrawComboBox(HDC dc) override;
    void PaintNonClient(HDC dc) override;
    void ReloadSkinMetrics() override;

  protected:
    int PickerState();
    BOOL OnCreatePicker(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnLButtonDownPicker(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

// "SysMonthCal32": fed the skin's calendar colours when made under the skin
// and when the skin changes.
class CPlymSkinObjectMonthCal : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectMonthCal)

  public:
    void ReloadSkinMetrics() override;

  protected:
    BOOL OnCreateMonthCal(WPARAM wParam, LPARAM lParam, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};

// The month calendar colours of the skin (MCSC_* index, skin colour).
void PlymSetCalendarColors(CPlymSkinObject* object, UINT message);

// A tool-bar button's text, however long (its length is asked first).
std::wstring PlymToolBarButtonText(HWND toolBar, int command);
