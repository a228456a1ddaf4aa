// app/browse/export_dlg.cpp
#include "app/browse/export_dlg.h"

#include <iterator>

#include "app/browse/list_dialog_parts.h"
#include "app/messages.h"

namespace {

// Language strings.
constexpr int kStrStop = 129;
constexpr int kStrFile = 145;
constexpr int kStrSize = 146;
constexpr int kStrId = 147;
constexpr int kStrSelectFolder = 170;
constexpr int kStrDestination = 200;
constexpr int kStrStartTime = 208;
constexpr int kStrEndTime = 209;
constexpr int kStrExport = 211;
constexpr int kStrDate = 223;
constexpr int kStrSearch = 227;
constexpr int kStrAlarm = 232;
constexpr int kStrNormal = 283;
constexpr int kStrRecordType = 284;
constexpr int kStrIo = 318;
constexpr int kStrIntelligent = 319;
constexpr int kStrMotion = 320;
constexpr int kStrSelectChannel = 321;

// The list's columns: title (0: none), width. The channel column is hidden.
constexpr struct {
    int text;
    int width;
} kColumns[] = {{kStrFile, 180}, {kStrId, 80}, {kStrSize, 100}, {kStrRecordType, 118}, {0, 0}, {0, 0}};

SYSTEMTIME TodayAt(WORD hour, WORD minute, WORD second) {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = 0;
    return t;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlg264Export, CDialog)
ON_BN_CLICKED(IDC_EXPORT_START, &CDlg264Export::OnExport)
ON_BN_CLICKED(IDC_EXPORT_BROWSE, &CDlg264Export::OnDestination)
ON_BN_CLICKED(IDC_EXPORT_SEARCH, &CDlg264Export::OnSearch)
ON_BN_CLICKED(IDC_EXPORT_SELECT_CHANNEL, &CDlg264Export::OnSelectChannel)
ON_BN_CLICKED(IDC_EXPORT_STOP, &CDlg264Export::OnStop)
ON_WM_TIMER()
ON_MESSAGE(WM_DAY_SEARCH_DONE, &CDlg264Export::OnDaySearchDone)
ON_MESSAGE(WM_EXPORT_PROGRESS, &CDlg264Export::OnExportProgress)
END_MESSAGE_MAP()

CDlg264Export::CDlg264Export(CWnd* parent) : CDialog(IDD, parent) {}

CDlg264Export::~CDlg264Export() {
    if (m_model)
        m_model->StopAll();
}

INT_PTR CDlg264Export::DoModal() {
    // The date and time pickers of the template.
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    return CDialog::DoModal();
}

void CDlg264Export::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_EXPORT_DATE, m_pickDate);
    DDX_Control(dx, IDC_EXPORT_FROM, m_pickFrom);
    DDX_Control(dx, IDC_EXPORT_TO, m_pickTo);
    DDX_Control(dx, IDC_EXPORT_PROGRESS, m_progress);
    DDX_Control(dx, IDC_EXPORT_ROWS, m_listRows);
}

std::string CDlg264Export::Text(int id) const {
    return m_pConfig != nullptr ? std::string(m_pConfig->LoadLangString(id).GetString()) : std::string();
}

BOOL CDlg264Export::OnInitDialog() {
    CDialog::OnInitDialog();
    m_window = m_hWnd;
    m_model = std::make_unique<browse::ExportModel>(
        browse::ExportModel::Links{m_disks, m_streams, m_drives, *this}, &m_window,
        browse::ExportTexts{Text(kStrNormal), Text(kStrMotion), Text(kStrAlarm), Text(kStrIo),
                            Text(kStrIntelligent), Text(browse::kStrExportError)});
    SetUpTexts();
    SetUpList();

    const SYSTEMTIME from = TodayAt(0, 0, 0);
    const SYSTEMTIME to = TodayAt(23, 59, 59);
    m_pickFrom.SetTime(&from);
    m_pickTo.SetTime(&to);
    m_progress.SetRange32(0, browse::kProgressDone);
    m_model->Init(m_pConfig != nullptr ? m_pConfig->m_videoType : 0);
    return TRUE;
}

void CDlg264Export::SetUpTexts() {
    if (m_pConfig != nullptr)
        SetWindowText(m_pConfig->LoadLangString(browse::kStrExportCaption));
    const struct {
        int control;
        int text;
    } texts[] = {{IDC_EXPORT_SEARCH, kStrSearch},
                 {IDC_EXPORT_DATE_LABEL, kStrDate},
                 {IDC_EXPORT_START, kStrExport},
                 {IDC_EXPORT_DESTINATION_LABEL, kStrDestination},
                 {IDC_EXPORT_FROM_LABEL, kStrStartTime},
                 {IDC_EXPORT_TO_LABEL, kStrEndTime},
                 {IDC_EXPORT_STOP, kStrStop},
                 {IDC_EXPORT_SELECT_CHANNEL, kStrSelectChannel}};
    if (m_pConfig != nullptr)
        for (const auto& t : texts)
            SetDlgItemText(t.control, m_pConfig->LoadLangString(t.text));
    if (CWnd* chooser = GetDlgItem(IDC_EXPORT_SELECT_CHANNEL))
        chooser->ShowWindow(SW_SHOW);
}

void CDlg264Export::SetUpList() {
    SetUpRecordTypeImages(m_typeImages, m_listRows);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); i++) {
        const std::string heading = kColumns[i].text != 0 ? Text(kColumns[i].text) : std::string();
        m_listRows.InsertColumn(i, heading.c_str(), LVCFMT_LEFT, kColumns[i].width);
    }
}

// ---- buttons and messages ------------------------------------------------------------------

void CDlg264Export::OnCancel() {
    // Before the window goes: no search or export may post to it afterwards,
    // and a disk this dialog opened is removed.
    if (m_model)
        m_model->StopAll();
    CDialog::OnCancel();
}

void CDlg264Export::OnExport() {
    if (m_model)
        m_model->OnExport();
}

void CDlg264Export::OnDestination() {
    if (m_model)
        m_model->OnPickDestination();
}

void CDlg264Export::OnSearch() {
    if (m_model)
        m_model->OnSearch();
}

void CDlg264Export::OnStop() {
    if (m_model)
        m_model->OnStop();
}

void CDlg264Export::OnTimer(UINT_PTR id) {
    if (id != browse::kExportWatchTimerId) {
        Default();
        return;
    }
    if (m_model)
        m_model->OnWatchTimer();
}

void CDlg264Export::OnSelectChannel() {
    if (!m_model)
        return;
    browse::ChosenChannels channels = m_model->Channels();
    if (ChooseChannels(this, m_pConfig, m_pSkin, channels))
        m_model->OnChannelsChosen(channels);
}

LRESULT CDlg264Export::OnDaySearchDone(WPARAM, LPARAM) {
    if (m_model)
        m_model->OnDaySearchDone();
    return 1;
}

LRESULT CDlg264Export::OnExportProgress(WPARAM perMille, LPARAM tag) {
    if (m_model)
        m_model->OnProgress(static_cast<int>(perMille), static_cast<uint32_t>(tag));
    return 0;
}

// ---- browse::ExportPage -------------------------------------------------------------------

void CDlg264Export::EnableSearch(bool enable) {
    if (CWnd* button = GetDlgItem(IDC_EXPORT_SEARCH))
        button->EnableWindow(enable);
}

void CDlg264Export::EnableExport(bool enable) {
    if (CWnd* button = GetDlgItem(IDC_EXPORT_START))
        button->EnableWindow(enable);
}

void CDlg264Export::EnableDestination(bool enable) {
    if (CWnd* button = GetDlgItem(IDC_EXPORT_BROWSE))
        button->EnableWindow(enable);
}

void CDlg264Export::SetProgress(int perMille) {
    if (m_progress.IsWindow())
        m_progress.SetPos(perMille);
}

void CDlg264Export::ShowProgressText(const std::string& text) {
    SetDlgItemText(IDC_EXPORT_PERCENT, text.c_str());
}

void CDlg264Export::ShowRows(const std::vector<browse::ExportRow>& rows) {
    m_listRows.SetRedraw(FALSE);
    m_listRows.DeleteAllItems();
    for (int i = 0; i < static_cast<int>(rows.size()); i++) {
        const browse::ExportRow& row = rows[static_cast<size_t>(i)];
        m_listRows.InsertItem(i, row.file.c_str(), row.image);
        m_listRows.SetItemText(i, 1, row.id.c_str());
        m_listRows.SetItemText(i, 2, row.size.c_str());
        m_listRows.SetItemText(i, 3, row.type.c_str());
        m_listRows.SetItemText(i, 4, row.channel.c_str());
    }
    m_listRows.SetRedraw(TRUE);
    m_listRows.Invalidate();
}

std::vector<int> CDlg264Export::SelectedRows() {
    std::vector<int> rows;
    for (int row = m_listRows.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = m_listRows.GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

browse::ExportSpan CDlg264Export::Span() {
    SYSTEMTIME day{}, from{}, to{};
    m_pickDate.GetTime(&day);
    m_pickFrom.GetTime(&from);
    m_pickTo.GetTime(&to);
    return browse::ExportSpan{{day.wYear, day.wMonth, day.wDay},
                              {from.wHour, from.wMinute, from.wSecond},
                              {to.wHour, to.wMinute, to.wSecond}};
}

void CDlg264Export::ShowDestination(const std::string& folder) {
    SetDlgItemText(IDC_EXPORT_DESTINATION, folder.c_str());
}

void CDlg264Export::MakeFolder(const std::string& folder) {
    ::CreateDirectoryA(folder.c_str(), nullptr);
}

std::optional<std::string> CDlg264Export::PickFolder() {
    std::string folder;
    if (!winlib::BrowseForFolder(m_hWnd, Text(kStrSelectFolder).c_str(), folder))
        return std::nullopt;
    return folder;
}

void CDlg264Export::TellNoSelection() {
    AfxMessageBox(Text(browse::kStrExportNoSelection).c_str());
}

void CDlg264Export::SetWatchTimer(bool on) {
    if (!IsWindow())
        return;
    if (on)
        SetTimer(browse::kExportWatchTimerId, browse::kExportWatchMs);
    else
        KillTimer(browse::kExportWatchTimerId);
}

FSDiskHandle CDlg264Export::DiskHandle() {
    return m_pConfig != nullptr ? m_pConfig->m_diskHandle : m_ownDisk;
}

void CDlg264Export::StoreDiskHandle(FSDiskHandle disk) {
    if (m_pConfig != nullptr)
        m_pConfig->m_diskHandle = disk;
    else
        m_ownDisk = disk;
}

void CDlg264Export::StoreDiskFolder(const std::string& folder) {
    if (m_pConfig != nullptr)
        m_pConfig->m_diskFolder = folder.c_str();
}

void CDlg264Export::StorePhysicalDrive(int drive) {
    if (m_pConfig != nullptr)
        m_pConfig->m_physicalDrive = drive;
}

void CDlg264Export::PostDaySearchDone() {
    ::PostMessageA(m_window, WM_DAY_SEARCH_DONE, 0, 0);
}

void CDlg264Export::PostProgress(int perMille, uint32_t tag) {
    ::PostMessageA(m_window, WM_EXPORT_PROGRESS, static_cast<WPARAM>(perMille), static_cast<LPARAM>(tag));
}
