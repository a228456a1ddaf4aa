// tests/gui/uidriver/driver_target.cpp
//
// A small program for the driver's own test, built on the class layer like
// the real one (its WinMain, a modal main dialog, a message box through the
// layer's hook, a control painted through reflection). OK prints what the
// controls hold and the program ends with exit code 3.
#include <cstdio>

#include "tests/gui/uidriver/driver_target_res.h"
#include "winlib/winlib.h"

namespace {

constexpr COLORREF kSwatch = RGB(0x33, 0x99, 0x66);

class CSwatch : public CButton {
  public:
    void PreSubclassWindow() override { ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW); }
    void DrawItem(LPDRAWITEMSTRUCT item) override {
        CDC::FromHandle(item->hDC)->FillSolidRect(&item->rcItem, kSwatch);
    }
};

class CTargetDlg : public CDialog {
  public:
    CTargetDlg() : CDialog(IDD_TARGET) {}

  protected:
    CSwatch swatch_;
    CComboBox kind_;
    int answer_ = 0;

    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_SWATCH, swatch_);
        DDX_Control(dx, IDC_KIND, kind_);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        kind_.AddString(".mp4");
        kind_.AddString(".avi");
        kind_.SetCurSel(0);
        return TRUE;
    }
    void OnAsk() {
        answer_ = MessageBox("Really?", "Question", MB_OKCANCEL);
        CString text;
        text.Format("answer=%d", answer_);
        SetDlgItemText(IDC_ANSWER, text);
    }
    void OnKindChanged() {
        CString text;
        text.Format("kind=%d", kind_.GetCurSel());
        SetDlgItemText(IDC_KIND_SEEN, text);
    }
    void OnOK() override {
        CString name;
        GetDlgItemText(IDC_NAME, name);
        std::printf("name=%s kind=%d flag=%u answer=%d\n", name.GetString(), kind_.GetCurSel(),
                    IsDlgButtonChecked(IDC_FLAG), answer_);
        std::fflush(stdout);
        CDialog::OnOK();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTargetDlg, CDialog)
ON_BN_CLICKED(IDC_ASK, &CTargetDlg::OnAsk)
ON_CBN_SELCHANGE(IDC_KIND, &CTargetDlg::OnKindChanged)
END_MESSAGE_MAP()

class CTargetApp : public CWinApp {
  public:
    BOOL InitInstance() override {
        CTargetDlg dialog;
        m_pMainWnd = &dialog;
        result_ = dialog.DoModal();
        return FALSE;
    }
    int ExitInstance() override { return result_ == IDOK ? 3 : 4; }

  private:
    INT_PTR result_ = 0;
};

CTargetApp theApp;

}  // namespace
