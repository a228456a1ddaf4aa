// tests/skin/control_skins_win_test.cpp
//
// The control skins under Wine with the state-coded skin, in this process:
// each family of controls is created in a skinned host window, put at rest,
// hot, pressed and disabled, and printed with WM_PRINTCLIENT into a canvas
// whose pixels name the part and state that were drawn. Also the mended
// faults that need a window (a tool-bar button's long text), and what the
// program's owner-drawn buttons keep. Tool-bar states are the class's in a
// skin ([Toolbar(Hot)]), so a tool-bar button reads as its class's state.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "skin/core/skin_manager.h"
#include "skin/core/skin_metrics.h"
#include "skin/objects/skin_controls.h"
#include "tests/skin/win_skin_support.h"

namespace {

using skintest::Canvas;
using skintest::Coded;

// Class codes of the state-coded skin.
constexpr int kButton = 7;
constexpr int kToolBar = 9;
constexpr int kHeader = 13;
constexpr int kProgress = 14;
constexpr int kTrackBar = 16;
constexpr int kSpin = 19;
constexpr int kScrollBar = 21;
constexpr int kComboBox = 23;

// [SysMetrics] colours of the state-coded skin.
constexpr COLORREF kSkinActiveCaption = RGB(16, 239, 128);
constexpr COLORREF kSkinWindow = RGB(40, 215, 128);
constexpr COLORREF kSkinWindowText = RGB(64, 191, 128);
constexpr COLORREF kSkinCaptionText = RGB(72, 183, 128);
constexpr COLORREF kSkinGrayText = RGB(136, 119, 128);
constexpr COLORREF kSkinButtonText = RGB(144, 111, 128);

int g_drawItems = 0;
int g_sizeCommands = 0;  // WM_SYSCOMMAND SC_SIZE: a size grip asks its parent to be resized

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_SIZE) {
        ++g_sizeCommands;
        return 0;
    }
    if (message == WM_DRAWITEM) {
        ++g_drawItems;
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        FillRect(draw->hDC, &draw->rcItem, brush);
        DeleteObject(brush);
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class ControlSkinTest : public testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_PROGRESS_CLASS |
                                                   ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
        manager_ = GetPlymSkinManager();
        manager_->SetHookedGroups(7);
        ASSERT_TRUE(manager_->OpenSkin(VEK_STATE_CODED_SKIN_MODULE, "NormalBlack.ini"));
        WNDCLASSW record{};
        record.lpfnWndProc = HostProc;
        record.hInstance = GetModuleHandleW(nullptr);
        record.lpszClassName = L"ControlSkinHost";
        record.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        RegisterClassW(&record);
        host_ = CreateWindowExW(0, L"ControlSkinHost", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                500, 400, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(host_, nullptr);
    }
    void TearDown() override {
        if (host_)
            DestroyWindow(host_);
    }

    HWND Make(const wchar_t* className, DWORD style, int x, int y, int width, int height, DWORD exStyle = 0) {
        HWND control = CreateWindowExW(
            exStyle, className, L"", WS_CHILD | WS_VISIBLE | style, x, y, width, height, host_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + count_++)), nullptr, nullptr);
        EXPECT_NE(control, nullptr) << className;
        EXPECT_NE(manager_->FindSkinObject(control), nullptr) << className;
        return control;
    }

    // The colour WM_PRINTCLIENT leaves at (x, y) of the control's client area.
    static COLORREF Printed(HWND control, int x, int y) {
        RECT client{};
        GetClientRect(control, &client);
        Canvas canvas(client.right + 1, client.bottom + 1, RGB(250, 0, 250));
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
        return canvas.At(x, y);
    }

    static void Hover(HWND control, int x, int y) {
        SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }
    static void Leave(HWND control) { SendMessageW(control, WM_MOUSELEAVE, 0, 0); }

    CPlymSkinManager* manager_ = nullptr;
    HWND host_ = nullptr;
    int count_ = 0;
};

TEST_F(ControlSkinTest, ButtonsShowTheirPartInEveryState) {
    HWND push = Make(L"Button", BS_PUSHBUTTON, 10, 10, 80, 24);
    EXPECT_EQ(Printed(push, 2, 2), Coded(kButton, 1, 1));
    Hover(push, 5, 5);
    EXPECT_EQ(Printed(push, 2, 2), Coded(kButton, 1, 2));
    SendMessageW(push, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(Printed(push, 2, 2), Coded(kButton, 1, 3));
    SendMessageW(push, BM_SETSTATE, FALSE, 0);
    Leave(push);
    EXPECT_EQ(Printed(push, 2, 2), Coded(kButton, 1, 1));
    EnableWindow(push, FALSE);
    EXPECT_EQ(Printed(push, 2, 2), Coded(kButton, 1, 4));
    HWND defaulted = Make(L"Button", BS_DEFPUSHBUTTON, 100, 10, 80, 24);
    EXPECT_EQ(Printed(defaulted, 2, 2), Coded(kButton, 1, 5));

    // Check boxes and radio buttons: a 13 x 13 glyph at the left, vertically
    // centred; 4 more when checked, 8 more when indeterminate.
    HWND check = Make(L"Button", BS_AUTO3STATE, 10, 50, 120, 21);
    const struct {
        int check;
        bool hot, pressed, enabled;
        int state;
    } checks[] = {
        {BST_UNCHECKED, false, false, true, 1},       {BST_UNCHECKED, true, false, true, 2},
        {BST_UNCHECKED, true, true, true, 3},         {BST_UNCHECKED, false, false, false, 4},
        {BST_CHECKED, false, false, true, 5},         {BST_CHECKED, true, false, true, 6},
        {BST_INDETERMINATE, false, false, true, 9},   {BST_INDETERMINATE, true, true, true, 11},
        {BST_INDETERMINATE, false, false, false, 12},
    };
    for (const auto& c : checks) {
        EnableWindow(check, c.enabled);
        SendMessageW(check, BM_SETCHECK, static_cast<WPARAM>(c.check), 0);
        if (c.hot)
            Hover(check, 50, 10);
        else
            Leave(check);
        SendMessageW(check, BM_SETSTATE, c.pressed, 0);
        EXPECT_EQ(Printed(check, 6, 10), Coded(kButton, 3, c.state)) << "state " << c.state;
        SendMessageW(check, BM_SETSTATE, FALSE, 0);
    }
    HWND radio = Make(L"Button", BS_AUTORADIOBUTTON, 10, 80, 120, 21);
    EXPECT_EQ(Printed(radio, 6, 10), Coded(kButton, 2, 1));
    SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(Printed(radio, 6, 10), Coded(kButton, 2, 5));

    // A group box has no hot state.
    HWND group = Make(L"Button", BS_GROUPBOX, 200, 50, 150, 80);
    Hover(group, 5, 40);
    EXPECT_EQ(Printed(group, 5, 40), Coded(kButton, 4, 1));
    EnableWindow(group, FALSE);
    EXPECT_EQ(Printed(group, 5, 40), Coded(kButton, 4, 2));

    // An owner-drawn button keeps its own look: its owner draws it.
    HWND owner = Make(L"Button", BS_OWNERDRAW, 200, 150, 80, 24);
    g_drawItems = 0;
    EXPECT_EQ(Printed(owner, 2, 2), RGB(1, 2, 3));
    EXPECT_GE(g_drawItems, 1);
}

// A skinned button's face is the skin's, but the colour messages sent to it
// are answered by its own procedure, as an unskinned button answers them.
TEST_F(ControlSkinTest, AButtonLeavesTheColourMessagesSentToItToItsOwnProcedure) {
    HWND skinned = Make(L"Button", BS_GROUPBOX, 10, 10, 200, 100);
    manager_->m_autoSkinNewWindows = FALSE;
    HWND plain = CreateWindowExW(0, L"Button", L"", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 220, 10, 200, 100,
                                 host_, nullptr, nullptr, nullptr);
    manager_->m_autoSkinNewWindows = TRUE;
    ASSERT_EQ(manager_->FindSkinObject(plain), nullptr);
    Canvas canvas(4, 4);
    const HDC dc = canvas.Dc();
    for (UINT message : {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN, WM_CTLCOLORDLG}) {
        SetBkColor(dc, RGB(1, 2, 3));
        const LRESULT theirs = SendMessageW(plain, message, reinterpret_cast<WPARAM>(dc), 0);
        const COLORREF theirBackground = GetBkColor(dc);
        SetBkColor(dc, RGB(1, 2, 3));
        EXPECT_EQ(SendMessageW(skinned, message, reinterpret_cast<WPARAM>(dc), 0), theirs) << message;
        EXPECT_EQ(GetBkColor(dc), theirBackground) << message;
    }
    EXPECT_EQ(Printed(skinned, 100, 50), Coded(kButton, 4, 1));
}

TEST_F(ControlSkinTest, ComboBoxesAndDatePickersShowTheirStateOnTheButtonSide) {
    const int b = manager_->GetMetrics()->VScrollWidth();
    HWND combo = Make(L"ComboBox", CBS_DROPDOWNLIST, 10, 10, 150, 200);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"one"));
    RECT client{};
    GetClientRect(combo, &client);
    const int y = client.bottom / 2;
    const int buttonX = client.right - b / 2;
    EXPECT_EQ(Printed(combo, buttonX, y), Coded(kComboBox, 0, 1));
    Hover(combo, 5, 5);
    EXPECT_EQ(Printed(combo, buttonX, y), Coded(kComboBox, 0, 2));
    // Pressed only while the list is down and the left button held.
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_LBUTTON] = 0x80;
    SetKeyboardState(keys);
    EXPECT_EQ(Printed(combo, buttonX, y), Coded(kComboBox, 0, 3));
    keys[VK_LBUTTON] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(Printed(combo, buttonX, y), Coded(kComboBox, 0, 2));
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    Leave(combo);
    EnableWindow(combo, FALSE);
    EXPECT_EQ(Printed(combo, buttonX, y), Coded(kComboBox, 0, 4));
    // No border of the control's own is left.
    EXPECT_EQ(GetWindowLongPtrW(combo, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);

    HWND right = Make(L"ComboBox", CBS_DROPDOWNLIST, 200, 10, 150, 200, WS_EX_RIGHT);
    EXPECT_EQ(Printed(right, b / 2, y), Coded(kComboBox, 0, 1));
    EXPECT_NE(Printed(right, client.right - b / 2, y), Coded(kComboBox, 0, 1));

    // A date picker: the check box of DTS_SHOWNONE turns from unchecked to
    // checked once a date is set; its button side follows the library's branch.
    HWND picker = Make(L"SysDateTimePick32", DTS_SHOWNONE, 10, 60, 200, 24, WS_EX_CLIENTEDGE);
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_NONE, 0);
    RECT pickerClient{};
    GetClientRect(picker, &pickerClient);
    const int box = (pickerClient.bottom - pickerClient.top) / 2;
    EXPECT_EQ(Printed(picker, box, box), Coded(kButton, 3, 1));
    SYSTEMTIME day{2024, 5, 0, 17, 12, 0, 0, 0};
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day));
    EXPECT_EQ(Printed(picker, box, box), Coded(kButton, 3, 5));
    EnableWindow(picker, FALSE);
    EXPECT_EQ(Printed(picker, box, box), Coded(kButton, 3, 8));
    EnableWindow(picker, TRUE);
    if (manager_->m_comCtlVersion < 0x6000A) {
        const int dropX = pickerClient.right - GetSystemMetrics(SM_CXVSCROLL) / 2;
        EXPECT_EQ(Printed(picker, dropX, box), Coded(kComboBox, 0, 1));
        Hover(picker, 50, 5);
        EXPECT_EQ(Printed(picker, dropX, box), Coded(kComboBox, 0, 2));
    }
}

TEST_F(ControlSkinTest, ScrollBarControlsAndSizeGrips) {
    HWND bar = Make(L"ScrollBar", SBS_HORZ, 10, 10, 200, 17);
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 100, 10, 0, 0};
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
    EXPECT_EQ(Printed(bar, 8, 8), Coded(kScrollBar, 1, 9));     // left arrow
    EXPECT_EQ(Printed(bar, 191, 8), Coded(kScrollBar, 1, 13));  // right arrow
    EnableWindow(bar, FALSE);
    EXPECT_EQ(Printed(bar, 8, 8), Coded(kScrollBar, 1, 12));

    // A grip takes no clicks: its own procedure would ask the host to be
    // resized.
    HWND grip = Make(L"ScrollBar", SBS_SIZEGRIP, 300, 10, 17, 17);
    EXPECT_EQ(Printed(grip, 8, 8), Coded(kScrollBar, 10, 1));
    g_sizeCommands = 0;
    SendMessageW(grip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    SendMessageW(grip, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    EXPECT_EQ(g_sizeCommands, 0);
    EXPECT_NE(GetCapture(), grip);
    manager_->m_autoSkinNewWindows = FALSE;
    HWND plain = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP, 330, 10, 17, 17,
                                 host_, nullptr, nullptr, nullptr);
    manager_->m_autoSkinNewWindows = TRUE;
    SendMessageW(plain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    SendMessageW(plain, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    EXPECT_EQ(g_sizeCommands, 1);  // what the skin keeps from happening
}

TEST_F(ControlSkinTest, ProgressBarsFillChunksAndRunTheirMarquee) {
    HWND progress = Make(L"msctls_progress32", 0, 10, 10, 200, 21);
    EXPECT_EQ(GetWindowLongPtrW(progress, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
    SendMessageW(progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(progress, PBM_SETPOS, 50, 0);
    // 21 high: chunks of 14 with gaps of 2; half of 200 is 100.
    EXPECT_EQ(Printed(progress, 5, 10), Coded(kProgress, 3, 0));
    EXPECT_EQ(Printed(progress, 15, 10), Coded(kProgress, 1, 0));  // a gap shows the bar
    EXPECT_EQ(Printed(progress, 150, 10), Coded(kProgress, 1, 0));
    // An empty range draws an empty bar.
    SendMessageW(progress, PBM_SETRANGE32, 5, 5);
    EXPECT_EQ(Printed(progress, 5, 10), Coded(kProgress, 1, 0));

    HWND marquee = Make(L"msctls_progress32", PBS_MARQUEE, 10, 50, 200, 21);
    SendMessageW(marquee, PBM_SETMARQUEE, TRUE, 30);
    EXPECT_EQ(Printed(marquee, 5, 10), Coded(kProgress, 3, 0));
    // A 30 ms tick steps twice: chunk + gap = 16, so the chunks start at 32.
    SendMessageW(marquee, WM_TIMER, CPlymSkinObjectProgress::kMarqueeTimer, 0);
    EXPECT_EQ(Printed(marquee, 5, 10), Coded(kProgress, 1, 0));
    EXPECT_EQ(Printed(marquee, 35, 10), Coded(kProgress, 3, 0));
    SendMessageW(marquee, PBM_SETMARQUEE, FALSE, 0);
}

TEST_F(ControlSkinTest, TrackBarThumbChannelAndTicks) {
    HWND track = Make(L"msctls_trackbar32", TBS_AUTOTICKS, 10, 10, 200, 40);
    SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    SendMessageW(track, TBM_SETPOS, TRUE, 5);
    RECT thumb{};
    SendMessageW(track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int tx = (thumb.left + thumb.right) / 2;
    const int ty = (thumb.top + thumb.bottom) / 2;
    EXPECT_EQ(Printed(track, tx, ty), Coded(kTrackBar, 4, 1));
    Hover(track, tx, ty);
    EXPECT_EQ(Printed(track, tx, ty), Coded(kTrackBar, 4, 2));
    SetCapture(track);
    EXPECT_EQ(Printed(track, tx, ty), Coded(kTrackBar, 4, 3));
    ReleaseCapture();
    Leave(track);
    EXPECT_EQ(Printed(track, tx, ty), Coded(kTrackBar, 4, 1));
    EnableWindow(track, FALSE);
    EXPECT_EQ(Printed(track, tx, ty), Coded(kTrackBar, 4, 5));

    RECT channel{};
    SendMessageW(track, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    EXPECT_EQ(Printed(track, channel.left + 3, (channel.top + channel.bottom) / 2), Coded(kTrackBar, 1, 0));

    // The end ticks under the band, four pixels long, in the text colour.
    const CPlymSkinObjectTrackBar* skin =
        static_cast<const CPlymSkinObjectTrackBar*>(manager_->FindSkinObject(track));
    const plym::TrackBarLayout& layout = skin->m_layout;
    for (int dy = 1; dy <= 4; ++dy)
        EXPECT_EQ(Printed(track, layout.bandLeft, layout.bandBottom + dy), kSkinButtonText) << dy;
}

TEST_F(ControlSkinTest, SpinHalvesFollowTheMouseAndTheRange) {
    HWND spin = Make(L"msctls_updown32", 0, 10, 10, 16, 31);
    SendMessageW(spin, UDM_SETRANGE32, 0, 10);
    SendMessageW(spin, UDM_SETPOS32, 0, 5);
    const int up = 5;
    const int down = 25;
    EXPECT_EQ(Printed(spin, 8, up), Coded(kSpin, 1, 1));
    EXPECT_EQ(Printed(spin, 8, down), Coded(kSpin, 2, 1));
    Hover(spin, 8, up);
    EXPECT_EQ(Printed(spin, 8, up), Coded(kSpin, 1, 2));
    SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, up));
    EXPECT_EQ(Printed(spin, 8, up), Coded(kSpin, 1, 3));
    // Dragged off the pressed half: hot, not pressed; the other stays normal.
    Hover(spin, 8, down);
    EXPECT_EQ(Printed(spin, 8, up), Coded(kSpin, 1, 2));
    EXPECT_EQ(Printed(spin, 8, down), Coded(kSpin, 2, 1));
    SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(8, down));
    ReleaseCapture();
    Leave(spin);
    // An empty range disables both halves.
    SendMessageW(spin, UDM_SETRANGE32, 3, 3);
    EXPECT_EQ(Printed(spin, 8, up), Coded(kSpin, 1, 4));
    EXPECT_EQ(Printed(spin, 8, down), Coded(kSpin, 2, 4));
}

TEST_F(ControlSkinTest, HeaderItemsAndTheFillerRightOfThem) {
    HWND header = Make(L"SysHeader32", HDS_BUTTONS, 10, 10, 300, 24);
    for (int i = 0; i < 2; ++i) {
        HDITEMW item{};
        item.mask = HDI_WIDTH | HDI_FORMAT;
        item.cxy = 100;
        item.fmt = HDF_LEFT;
        SendMessageW(header, HDM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    EXPECT_EQ(Printed(header, 50, 3), Coded(kHeader, 1, 1));
    EXPECT_EQ(Printed(header, 250, 12), Coded(kHeader, 0, 0));
    Hover(header, 50, 12);
    EXPECT_EQ(Printed(header, 50, 3), Coded(kHeader, 1, 2));
    EXPECT_EQ(Printed(header, 150, 3), Coded(kHeader, 1, 1));
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 12));
    EXPECT_EQ(Printed(header, 50, 3), Coded(kHeader, 1, 3));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(50, 12));
    ReleaseCapture();
    EXPECT_EQ(Printed(header, 50, 3), Coded(kHeader, 1, 2));
}

TEST_F(ControlSkinTest, ToolBarButtonsInEveryState) {
    HWND bar = Make(TOOLBARCLASSNAMEW, TBSTYLE_FLAT | CCS_NORESIZE | CCS_NOPARENTALIGN, 0, 0, 300, 30);
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON buttons[2] = {};
    for (int i = 0; i < 2; ++i) {
        buttons[i].iBitmap = I_IMAGENONE;
        buttons[i].idCommand = 1 + i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
        buttons[i].iString = -1;
    }
    SendMessageW(bar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons));
    RECT first{};
    SendMessageW(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    const int x = first.left + 2;
    const int y = first.top + 2;
    EXPECT_EQ(Printed(bar, x, y), Coded(kToolBar, 0, 1));
    SendMessageW(bar, TB_SETHOTITEM, 0, 0);
    EXPECT_EQ(Printed(bar, x, y), Coded(kToolBar, 0, 2));
    SendMessageW(bar, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
    SendMessageW(bar, TB_PRESSBUTTON, 1, TRUE);
    EXPECT_EQ(Printed(bar, x, y), Coded(kToolBar, 0, 3));
    SendMessageW(bar, TB_PRESSBUTTON, 1, FALSE);
    SendMessageW(bar, TB_CHECKBUTTON, 1, TRUE);
    EXPECT_EQ(Printed(bar, x, y), Coded(kToolBar, 0, 5));
    SendMessageW(bar, TB_CHECKBUTTON, 1, FALSE);
    SendMessageW(bar, TB_ENABLEBUTTON, 1, FALSE);
    EXPECT_EQ(Printed(bar, x, y), Coded(kToolBar, 0, 4));
}

TEST_F(ControlSkinTest, AToolBarButtonsTextIsReadWhateverItsLength) {
    HWND bar = Make(TOOLBARCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_LIST, 0, 0, 300, 30);
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    std::wstring text(600, L'x');
    text.back() = L'!';
    std::wstring strings = text + L'\0' + L'\0';
    const auto index = SendMessageW(bar, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(strings.c_str()));
    TBBUTTON button{};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = 7;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    button.iString = index;
    SendMessageW(bar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(PlymToolBarButtonText(bar, 7), text);
    EXPECT_EQ(PlymToolBarButtonText(bar, 8), L"");
    // Drawing such a button is safe.
    RECT rect{};
    SendMessageW(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect));
    EXPECT_EQ(Printed(bar, rect.left + 1, rect.top + 1), Coded(kToolBar, 0, 1));
}

TEST_F(ControlSkinTest, TreeAndListViewsTakeTheSkinsColoursAndGiveThemBack) {
    HWND list = Make(WC_LISTVIEWW, LVS_REPORT, 10, 10, 200, 100);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), kSkinWindow);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0)), kSkinWindow);
    HWND tree = Make(WC_TREEVIEWW, 0, 220, 10, 200, 100);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0)), kSkinWindow);
    manager_->FindSkinObject(tree)->ApplySkinChange(TRUE, FALSE);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0)), static_cast<COLORREF>(-1));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tree, TVM_GETTEXTCOLOR, 0, 0)), static_cast<COLORREF>(-1));
}

TEST_F(ControlSkinTest, DatePickersAndMonthCalendarsMadeUnderTheSkinTakeItsCalendarColours) {
    HWND picker = Make(L"SysDateTimePick32", 0, 10, 10, 200, 24);
    HWND calendar = Make(L"SysMonthCal32", 0, 10, 50, 250, 200);
    const struct {
        int part;
        COLORREF colour;
    } parts[] = {
        {MCSC_BACKGROUND, kSkinWindow},     {MCSC_MONTHBK, kSkinWindow},
        {MCSC_TEXT, kSkinWindowText},       {MCSC_TITLEBK, kSkinActiveCaption},
        {MCSC_TITLETEXT, kSkinCaptionText}, {MCSC_TRAILINGTEXT, kSkinGrayText},
    };
    for (const auto& p : parts) {
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(picker, DTM_GETMCCOLOR, p.part, 0)), p.colour) << p.part;
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(calendar, MCM_GETCOLOR, p.part, 0)), p.colour) << p.part;
    }
}

}  // namespace
