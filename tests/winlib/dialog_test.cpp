// tests/winlib/dialog_test.cpp
//
// Dialogs under Wine, driven from inside their own modal loops: child pages
// and the order of OnInitDialog, the PreTranslateMessage walk from a page's
// edit box up to the host, WM_QUIT leaving nested loops, and controls bound
// with DDX_Control answering reflected messages (painting checked by pixel).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui/harness/pixels.h"
#include "tests/gui/harness/script.h"
#include "tests/winlib/winlib_test_res.h"
#include "winlib/winlib.h"

namespace {

using vekgui::Do;
using vekgui::Script;
using vekgui::WaitUntil;

constexpr COLORREF kSwatch = RGB(0x12, 0x9A, 0x56);
constexpr COLORREF kLabelBack = RGB(0xC8, 0x30, 0x70);

std::vector<std::string> gInitOrder;

// A button that paints itself one colour: owner-drawn from PreSubclassWindow
// on, drawn through the parent's reflected WM_DRAWITEM.
class CSwatchButton : public CButton {
  public:
    int draws = 0;
    void PreSubclassWindow() override { ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW); }
    void DrawItem(LPDRAWITEMSTRUCT item) override {
        ++draws;
        CDC::FromHandle(item->hDC)->FillSolidRect(&item->rcItem, kSwatch);
    }
};

// A label that chooses its own colours through the reflected WM_CTLCOLORSTATIC.
class CColorLabel : public CStatic {
  public:
    CBrush back{kLabelBack};
    int calls = 0;

  protected:
    HBRUSH CtlColor(CDC* dc, UINT) {
        ++calls;
        dc->SetBkColor(kLabelBack);
        return back;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColorLabel, CStatic)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

// A list that counts its own insert notifications.
class CCountingList : public CListCtrl {
  public:
    int inserted = 0;

  protected:
    void OnInserted(NMHDR*, LRESULT* result) {
        ++inserted;
        *result = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingList, CListCtrl)
ON_NOTIFY_REFLECT(LVN_INSERTITEM, &CCountingList::OnInserted)
END_MESSAGE_MAP()

class CEditPage : public CDialog {
  public:
    CEditPage() : CDialog(IDD_PAGE_EDIT) {}
    BOOL OnInitDialog() override {
        gInitOrder.push_back("edit page");
        return CDialog::OnInitDialog();
    }
};

class CSwatchPage : public CDialog {
  public:
    CSwatchPage() : CDialog(IDD_PAGE_SWATCH) {}
    CSwatchButton swatch;
    CColorLabel label;
    CCountingList list;
    int parentNotifies = 0;  // insert notifications the list left to us
    int plainClicks = 0;     // BN_CLICKED of the unbound button
    int parentColors = 0;    // WM_CTLCOLOR* the controls left to us

    BOOL OnInitDialog() override {
        gInitOrder.push_back("swatch page");
        return CDialog::OnInitDialog();
    }

  protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_SWATCH, swatch);
        DDX_Control(dx, IDC_LABEL, label);
        DDX_Control(dx, IDC_LIST, list);
    }
    void OnListInserted(NMHDR*, LRESULT*) { ++parentNotifies; }
    void OnPlain() { ++plainClicks; }
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type) {
        ++parentColors;
        return CDialog::OnCtlColor(dc, control, type);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSwatchPage, CDialog)
ON_NOTIFY(LVN_INSERTITEM, IDC_LIST, &CSwatchPage::OnListInserted)
ON_BN_CLICKED(IDC_PLAIN, &CSwatchPage::OnPlain)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

// The host: two child pages side by side; optionally swallows Escape and Enter
// like the program's main window.
class CHostDlg : public CDialog {
  public:
    explicit CHostDlg(bool filterKeys = false) : CDialog(IDD_HOST), filterKeys_(filterKeys) {}
    CEditPage editPage;
    CSwatchPage swatchPage;
    int swallowed = 0;

    BOOL OnInitDialog() override {
        gInitOrder.push_back("host begins");
        CDialog::OnInitDialog();
        editPage.Create(IDD_PAGE_EDIT, this);
        swatchPage.Create(IDD_PAGE_SWATCH, this);
        editPage.SetWindowPos(nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        swatchPage.SetWindowPos(nullptr, 200, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        gInitOrder.push_back("host ends");
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (filterKeys_ && msg->message == WM_KEYDOWN &&
            (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN)) {
            ++swallowed;
            return TRUE;
        }
        return CDialog::PreTranslateMessage(msg);
    }

  private:
    bool filterKeys_;
};

bool Shown(const CWnd& wnd) {
    return wnd.m_hWnd && ::IsWindowVisible(wnd.m_hWnd);
}

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override { gInitOrder.clear(); }
    void TearDown() override { EXPECT_EQ(vekgui::TakeQuitMessage(), -1) << "a WM_QUIT was left behind"; }
};

TEST_F(DialogTest, ModalDialogCreatesItsPagesInsideItsOwnInit) {
    CHostDlg host;
    bool pagesOk = false;
    Script script({
        WaitUntil([&] { return Shown(host); }),
        Do([&] {
            pagesOk = ::GetParent(host.editPage.m_hWnd) == host.m_hWnd &&
                      ::GetParent(host.swatchPage.m_hWnd) == host.m_hWnd && Shown(host.editPage) &&
                      Shown(host.swatchPage);
            vekgui::Click(host.m_hWnd, IDOK);
        }),
    });
    EXPECT_EQ(host.DoModal(), IDOK);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(pagesOk);
    EXPECT_EQ(gInitOrder, (std::vector<std::string>{"host begins", "edit page", "swatch page", "host ends"}));
    // The host's window, and its pages with it, are gone; the objects know it.
    EXPECT_EQ(host.m_hWnd, nullptr);
    EXPECT_EQ(host.editPage.m_hWnd, nullptr);
    EXPECT_EQ(host.swatchPage.swatch.m_hWnd, nullptr);
}

TEST_F(DialogTest, MissingTemplateEndsDoModalWithMinusOne) {
    CDialog missing(9999);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.m_hWnd, nullptr);
}

// Escape typed into the edit box of a child page: the host's
// PreTranslateMessage sees it on the way up from the edit box and swallows
// it; without that filter the dialog manager turns it into IDCANCEL.
class EscapeTest : public DialogTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EscapeTest, EscapeInAPageEditIsOfferedToTheHostFirst) {
    const bool filter = GetParam();
    CHostDlg host(filter);
    bool stillOpen = false;
    Script script({
        WaitUntil([&] { return Shown(host); }),
        Do([&] {
            HWND edit = ::GetDlgItem(host.editPage.m_hWnd, IDC_PAGE_EDIT);
            ::SetFocus(edit);
            ::PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        }),
        Do([&] {
            stillOpen = Shown(host);
            vekgui::Click(host.m_hWnd, IDOK);
        }),
    });
    const INT_PTR result = host.DoModal();
    if (filter) {
        EXPECT_EQ(result, IDOK);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(host.swallowed, 1);
    } else {
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_FALSE(stillOpen);
    }
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutFilter, EscapeTest, ::testing::Bool());

TEST_F(DialogTest, QuitInANestedModalLoopEndsBothLoops) {
    CHostDlg host;
    CDialog inner(IDD_INNER, &host);
    INT_PTR innerResult = 0;
    bool hostDisabled = false, ownedByHost = false;
    Script script({
        WaitUntil([&] { return Shown(host); }),
        Do([&] { innerResult = inner.DoModal(); }),  // blocks: the next steps run inside it
        WaitUntil([&] { return Shown(inner); }),
        Do([&] {
            hostDisabled = !::IsWindowEnabled(host.m_hWnd);
            ownedByHost = ::GetWindow(inner.m_hWnd, GW_OWNER) == host.m_hWnd;
            ::PostMessageA(inner.m_hWnd, WM_QUIT, 7, 0);
        }),
    });
    const INT_PTR hostResult = host.DoModal();
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(innerResult, -1);
    EXPECT_EQ(hostResult, -1);
    EXPECT_TRUE(hostDisabled);
    EXPECT_TRUE(ownedByHost);
    EXPECT_EQ(CWinApp::LastQuitCode(), 7);
    EXPECT_EQ(vekgui::TakeQuitMessage(), 7);  // posted again for the loop outside both
    EXPECT_EQ(host.m_hWnd, nullptr);
    EXPECT_EQ(inner.m_hWnd, nullptr);
}

TEST_F(DialogTest, BoundControlsAnswerReflectedMessages) {
    CHostDlg host;
    CSwatchPage& page = host.swatchPage;
    vekgui::Snapshot swatchShot, labelShot;
    Script script({
        WaitUntil([&] { return Shown(host) && page.swatch.draws > 0; }),
        Do([&] {
            swatchShot = vekgui::Snapshot::Capture(page.swatch.m_hWnd);
            labelShot = vekgui::Snapshot::Capture(page.label.m_hWnd);
            page.list.InsertColumn(0, "name", LVCFMT_LEFT, 80);
            page.list.InsertItem(0, "row");
            vekgui::Click(page.m_hWnd, IDC_PLAIN);
            vekgui::Click(host.m_hWnd, IDOK);
        }),
    });
    EXPECT_EQ(host.DoModal(), IDOK);
    ASSERT_TRUE(script.Finished());

    // PreSubclassWindow made the button owner-drawn; DrawItem painted it all.
    ASSERT_TRUE(swatchShot.Valid());
    const RECT all{0, 0, swatchShot.Width(), swatchShot.Height()};
    EXPECT_EQ(swatchShot.Count(all, kSwatch), swatchShot.Width() * swatchShot.Height())
        << "centre is " << vekgui::ColorText(swatchShot.At(swatchShot.Width() / 2, swatchShot.Height() / 2));
    // The label's own colours; the page's OnCtlColor never saw the label.
    ASSERT_TRUE(labelShot.Valid());
    EXPECT_GT(page.label.calls, 0);
    EXPECT_EQ(labelShot.At(labelShot.Width() - 2, labelShot.Height() / 2), kLabelBack);
    // The list took its own notification; the unbound button's click reached the page.
    EXPECT_EQ(page.list.inserted, 1);
    EXPECT_EQ(page.parentNotifies, 0);
    EXPECT_EQ(page.plainClicks, 1);
}

}  // namespace
