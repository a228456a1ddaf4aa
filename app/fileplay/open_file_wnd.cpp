// app/fileplay/open_file_wnd.cpp
#include "app/fileplay/open_file_wnd.h"

#include "app/fileplay/file_play_layout.h"
#include "app/fileplay/file_play_wnd.h"
#include "app/messages.h"

namespace {

constexpr COLORREF kKeyColour = RGB(255, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kCaptionInsetX = 25;
constexpr int kCaptionInsetY = 5;
constexpr int kCaptionHeight = 16;

// Language strings.
constexpr int kStrSelectFolder = 170;
constexpr int kStrOpenFile = 267;

}  // namespace

BEGIN_MESSAGE_MAP(CDlgOpenFile, CPlayChildDialog)
ON_BN_CLICKED(IDC_OPEN_FILE, &CDlgOpenFile::OnOpenFile)
ON_BN_CLICKED(IDC_OPEN_FOLDER, &CDlgOpenFile::OnOpenFolder)
ON_MESSAGE(WM_FOLDER_SCAN_FOUND, &CDlgOpenFile::OnScanFound)
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgOpenFile::CDlgOpenFile() : CPlayChildDialog(IDD, Face::Painted) {}

CDlgOpenFile::~CDlgOpenFile() {
    m_scan.Stop();
}

void CDlgOpenFile::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_OPEN_FILE, m_open);
    DDX_Control(dx, IDC_OPEN_FOLDER, m_folder);
}

BOOL CDlgOpenFile::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    if (m_back.LoadBitmap(IDB_FP_POPUP_BACK))
        m_backBrush.CreatePatternBrush(&m_back);
    const CString caption = m_pConfig != nullptr ? m_pConfig->LoadLangString(kStrOpenFile) : CString();
    m_open.SetImageFile(IDB_FP_POPUP_OPEN, kKeyColour, 0);
    m_open.SetCaption(kCaptionInsetX, kCaptionInsetY, 0, caption, kWhite, kCaptionHeight);
    m_folder.SetImageFile(IDB_FP_POPUP_FOLDER, kKeyColour, 0);
    ChildrenMade();
    return TRUE;
}

void CDlgOpenFile::PlaceChildren() {
    play_wnd::PlaceControls(*this, play::LayOutOpenPopup(play_wnd::ClientOf(*this)));
    Invalidate(FALSE);
}

void CDlgOpenFile::PaintFace(CDC& dc, const CRect& client) {
    if (m_backBrush.GetSafeHandle() != nullptr)
        dc.FillRect(&client, &m_backBrush);
    else
        CPlayChildDialog::PaintFace(dc, client);
}

void CDlgOpenFile::OnOpenFile() {
    if (m_page != nullptr)
        m_page->m_ctrl.OnOpenFile();
}

void CDlgOpenFile::OnOpenFolder() {
    const CString title = m_pConfig != nullptr ? m_pConfig->LoadLangString(kStrSelectFolder) : CString();
    std::string folder;
    if (winlib::BrowseForFolder(m_hWnd, title, folder))
        ScanFolder(folder);
}

void CDlgOpenFile::ScanFolder(const std::string& folder) {
    // The old scan first, so that none of its paths lands in the cleared list.
    m_scan.Stop();
    if (m_page != nullptr)
        m_page->m_playList.ClearList();
    m_lastFolder = folder;
    std::string walked = folder;
    if (walked.size() > 1 && walked.back() == '\\')
        walked.pop_back();  // a drive's root ("Y:\")
    const HWND window = m_hWnd;
    m_scan.Start(walked, [window] { ::PostMessageA(window, WM_FOLDER_SCAN_FOUND, 0, 0); });
}

LRESULT CDlgOpenFile::OnScanFound(WPARAM, LPARAM) {
    AddFoundBatch();
    return 0;
}

void CDlgOpenFile::OnTimer(UINT_PTR id) {
    if (id != kScanTimer) {
        Default();
        return;
    }
    AddFoundBatch();
}

void CDlgOpenFile::AddFoundBatch() {
    for (const std::string& path : m_scan.TakeFound(kPathsPerBatch)) {
        if (m_page != nullptr)
            m_page->m_playList.AddPath(path);
    }
    // More wait: the next batch comes with a timer, which the system gives
    // only once the user's input and the other messages are done.
    if (m_scan.HasFound())
        SetTimer(kScanTimer, 1);
    else
        KillTimer(kScanTimer);
}

void CDlgOpenFile::OnDestroy() {
    m_scan.Stop();
    KillTimer(kScanTimer);
    Default();
}
