// app/download/file_download_dlg.cpp
#include "app/download/file_download_dlg.h"

#include "app/messages.h"
#include "app/play/timebar_wnd.h"
#include "res/file_download_ids.h"

namespace {

constexpr COLORREF kOddRows = 0xB4B4B4;
constexpr COLORREF kEvenRows = 0xA0A0A0;

struct Column {
    int title;  // language string, 0 for none
    const char* fixedTitle;
    int width;
};
constexpr Column kColumns[play::kDownloadColumns] = {
    {0, "", 30},
    {play::kStringIndex, nullptr, 60},
    {play::kStringStartTime, nullptr, 140},
    {play::kStringEndTime, nullptr, 140},
    {play::kStringStateTitle, nullptr, 100},
    {play::kStringSizeTitle, nullptr, 100},
    {0, "DownPath", 0},
};

}  // namespace

BEGIN_MESSAGE_MAP(CDlgFileDownload, CPlayChildDialog)
ON_BN_CLICKED(IDC_DOWNLOAD_START, &CDlgFileDownload::OnStart)
ON_BN_CLICKED(IDC_DOWNLOAD_STOP, &CDlgFileDownload::OnStop)
ON_WM_TIMER()
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_MESSAGE(WM_DOWNLOAD_DONE, &CDlgFileDownload::OnDownloadDone)
ON_MESSAGE(WM_DOWNLOAD_PROGRESS, &CDlgFileDownload::OnDownloadProgress)
END_MESSAGE_MAP()

CDlgFileDownload::CDlgFileDownload() : CPlayChildDialog(IDD, Face::Dialog) {}

CDlgFileDownload::~CDlgFileDownload() = default;

void VEK_CALL CDlgFileDownload::DownloadEventCallback(int32_t code, int32_t value, uintptr_t user) {
    const auto* route = reinterpret_cast<const play::DownloadRoute*>(user);
    if (route == nullptr)
        return;
    UINT message = 0;
    if (code == VEKNET_DOWNLOAD_END)
        message = WM_DOWNLOAD_DONE;
    else if (code == VEKNET_DOWNLOAD_PROGRESS)
        message = WM_DOWNLOAD_PROGRESS;
    else
        return;
    ::PostMessageA(reinterpret_cast<HWND>(route->window), message,
                   static_cast<WPARAM>(static_cast<uint32_t>(value)), static_cast<LPARAM>(route->tag));
}

BOOL CDlgFileDownload::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    SetDlgItemText(IDC_DOWNLOAD_START, Text(play::kStringStartDownload).c_str());
    SetDlgItemText(IDC_DOWNLOAD_STOP, Text(play::kStringStopDownload).c_str());
    m_list.SubclassDlgItem(IDC_DOWNLOAD_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES |
                            LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
    m_list.SetTextColor(0x000000);
    for (int i = 0; i < play::kDownloadColumns; ++i) {
        const Column& c = kColumns[i];
        const std::string title = c.title != 0 ? Text(c.title) : c.fixedTitle;
        m_list.InsertColumn(i, title.c_str(), LVCFMT_LEFT, c.width);
    }
    m_list.InitCheckImages();
    m_list.SetAlternateRowColors(TRUE, kOddRows, kEvenRows);
    play::DownloadSettings& settings = *this;
    play::DownloadView& view = *this;
    m_model = std::make_unique<play::FileDownloadModel>(
        m_paneIndex, m_library != nullptr ? *m_library : m_vekNet, settings, view, &DownloadEventCallback,
        reinterpret_cast<uintptr_t>(m_hWnd));
    SetTimer(play::kDownloadTimerId, play::kDownloadTimerMs, nullptr);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

void CDlgFileDownload::FillRecordList(CVideoRecordTimeCtrl* timeBar) {
    m_timeBar = timeBar;
    play::DownloadRecords* records = this;
    if (m_model)
        m_model->Fill(timeBar != nullptr ? records : nullptr);
}

void CDlgFileDownload::StopAllDownloads() {
    if (m_model)
        m_model->StopAllDownloads();
}

void CDlgFileDownload::OnStart() {
    if (m_model)
        m_model->OnStart();
}

void CDlgFileDownload::OnStop() {
    if (m_model)
        m_model->OnStop();
}

void CDlgFileDownload::OnTimer(UINT_PTR id) {
    if (id == play::kDownloadTimerId && m_model)
        m_model->OnTimer();
}

void CDlgFileDownload::OnClose() {
    ShowWindow(SW_HIDE);
}

void CDlgFileDownload::OnDestroy() {
    KillTimer(play::kDownloadTimerId);
    StopAllDownloads();
    m_model.reset();
    Default();
}

LRESULT CDlgFileDownload::OnDownloadDone(WPARAM result, LPARAM tag) {
    if (m_model)
        m_model->OnDownloadEnd(static_cast<int32_t>(static_cast<uint32_t>(result)),
                               static_cast<uint32_t>(tag));
    return 0;
}

LRESULT CDlgFileDownload::OnDownloadProgress(WPARAM percent, LPARAM tag) {
    if (m_model)
        m_model->OnDownloadProgress(static_cast<int32_t>(static_cast<uint32_t>(percent)),
                                    static_cast<uint32_t>(tag));
    return 0;
}

// ---- the model's view ----------------------------------------------------------------------

void CDlgFileDownload::SetCaption(const std::string& text) {
    SetWindowText(text.c_str());
}

void CDlgFileDownload::DeleteAllRows() {
    m_list.DeleteAllItems();
}

void CDlgFileDownload::InsertRow(int row,
                                 const std::array<std::string, play::kDownloadColumns>& texts,
                                 uint32_t data) {
    const int item = m_list.InsertItem(row, texts[0].c_str());
    if (item < 0)
        return;
    for (int column = 1; column < play::kDownloadColumns; ++column)
        m_list.SetItemText(item, column, texts[static_cast<size_t>(column)].c_str());
    m_list.SetItemData(item, data);
}

void CDlgFileDownload::SetStateText(int row, const std::string& text) {
    m_list.SetItemText(row, play::kColumnState, text.c_str());
}

void CDlgFileDownload::SetRowData(int row, uint32_t data) {
    m_list.SetItemData(row, data);
}

bool CDlgFileDownload::IsChecked(int row) const {
    return m_list.GetCheck(row) != FALSE;
}

bool CDlgFileDownload::TakeQueuedEnd(uint32_t tag, int32_t* result) {
    MSG msg;
    while (::PeekMessageA(&msg, m_hWnd, WM_DOWNLOAD_DONE, WM_DOWNLOAD_DONE, PM_REMOVE)) {
        if (static_cast<uint32_t>(msg.lParam) == tag) {
            *result = static_cast<int32_t>(static_cast<uint32_t>(msg.wParam));
            return true;
        }
    }
    return false;
}

void CDlgFileDownload::Hide() {
    ShowWindow(SW_HIDE);
}

// ---- the configuration ---------------------------------------------------------------------

std::string CDlgFileDownload::RecordPath() const {
    return m_pConfig != nullptr ? std::string(m_pConfig->m_recordPath) : std::string();
}

std::string CDlgFileDownload::ModeText() const {
    return m_pConfig != nullptr ? std::string(m_pConfig->m_modeText.GetString()) : std::string();
}

int CDlgFileDownload::VideoType() const {
    return m_pConfig != nullptr ? m_pConfig->m_videoType : 0;
}

uint32_t CDlgFileDownload::LoginHandle() const {
    return m_pConfig != nullptr ? static_cast<uint32_t>(m_pConfig->m_loginHandle) : 0;
}

std::string CDlgFileDownload::Text(int id) const {
    return m_pConfig != nullptr ? std::string(m_pConfig->LoadLangString(id).GetString()) : std::string();
}

void CDlgFileDownload::MakeDirTree(const std::string& folder) {
    ::MakeDirTree(folder.c_str());
}

// ---- the pane's time-bar row ---------------------------------------------------------------

int CDlgFileDownload::Count() const {
    return m_timeBar != nullptr ? m_timeBar->GetRecordCount(m_paneIndex) : 0;
}

const play::_recfile_info_t* CDlgFileDownload::Get(int index) const {
    return m_timeBar != nullptr ? m_timeBar->GetRecord(m_paneIndex, index) : nullptr;
}

void CDlgFileDownload::Set(int index, const play::_recfile_info_t& record) {
    if (m_timeBar != nullptr)
        m_timeBar->SetRecord(m_paneIndex, index, record);
}
