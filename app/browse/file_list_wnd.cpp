// app/browse/file_list_wnd.cpp
#include "app/browse/file_list_wnd.h"

#include <span>

#include "app/browse/convert_dlg.h"
#include "app/browse/export_dlg.h"
#include "app/browse/list_dialog_parts.h"
#include "app/messages.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kKeyColour = RGB(255, 0, 255);
constexpr int kButtonFontHeight = 16;
constexpr int kButtonCaptionTop = 4;
constexpr int kStatusFontHeight = -12;

// Language strings.
constexpr int kStrSelectDisk = 111;
constexpr int kStrFile = 145;
constexpr int kStrSize = 146;
constexpr int kStrId = 147;
constexpr int kStrClear = 149;
constexpr int kStrExport = 211;
constexpr int kStrSelectChannel = 321;

// The list's columns: text, width.
constexpr struct {
    int text;
    int width;
} kColumns[] = {{kStrFile, 155}, {kStrId, 40}, {kStrSize, 60}};

}  // namespace

BEGIN_MESSAGE_MAP(CDlgFileList, CPlayChildDialog)
ON_BN_CLICKED(IDC_FILE_LIST_SELECT_DISK, &CDlgFileList::OnSelectDisk)
ON_BN_CLICKED(IDC_FILE_LIST_CLEAR, &CDlgFileList::OnClear)
ON_BN_CLICKED(IDC_FILE_LIST_SELECT_CHANNEL, &CDlgFileList::OnSelectChannel)
ON_BN_CLICKED(IDC_FILE_LIST_EXPORT, &CDlgFileList::OnExport)
ON_COMMAND(ID_FILE_LIST_EXPORT, &CDlgFileList::OnExport)
ON_COMMAND(ID_FILE_LIST_CONVERT, &CDlgFileList::OnConvert)
ON_NOTIFY(NM_DBLCLK, IDC_FILE_LIST_ROWS, &CDlgFileList::OnRowDoubleClick)
ON_WM_TIMER()
ON_MESSAGE(WM_MONTH_SEARCH_DONE, &CDlgFileList::OnMonthSearchDone)
ON_MESSAGE(WM_DAY_SEARCH_DONE, &CDlgFileList::OnDaySearchDone)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgFileList::CDlgFileList() : CPlayChildDialog(IDD, Face::Painted, browse::kFileListBackground) {}

CDlgFileList::~CDlgFileList() {
    // No search thread may outlive the model it calls back.
    if (m_model)
        m_model->CloseDisk();
}

void CDlgFileList::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_FILE_LIST_SELECT_DISK, m_btnSelectDisk);
    DDX_Control(dx, IDC_FILE_LIST_EXPORT, m_btnExport);
    DDX_Control(dx, IDC_FILE_LIST_SELECT_CHANNEL, m_btnSelectChannel);
    DDX_Control(dx, IDC_FILE_LIST_CLEAR, m_btnClear);
    DDX_Control(dx, IDC_FILE_LIST_ROWS, m_listRows);
    DDX_Control(dx, IDC_FILE_LIST_STATUS, m_status);
}

BOOL CDlgFileList::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_window = m_hWnd;

    std::span<browse::PaneRecordMap, browse::kPaneCount> paneRecords =
        m_pConfig != nullptr ? std::span<browse::PaneRecordMap, browse::kPaneCount>(m_pConfig->m_paneRecords)
                             : std::span<browse::PaneRecordMap, browse::kPaneCount>(m_ownPaneRecords);
    const auto text = [this](int id) {
        return m_pConfig != nullptr ? std::string(m_pConfig->LoadLangString(id).GetString()) : std::string();
    };
    m_model = std::make_unique<browse::FileListModel>(
        browse::FileListModel::Links{m_disks, m_drives, *this, *m_playback},
        browse::FileListModel::Shared{paneRecords, std::span<int, browse::kPaneCount>(g_diskPaneHasRecords)},
        browse::FileListModel::Windows{this, &m_window},
        browse::FileListTexts{text(browse::kStrSearching), text(browse::kStrFinished),
                              text(browse::kStrSearchState)});

    play_wnd::CreateChild(m_dlgCalendar, CDlgCalendar::IDD, this, m_pConfig, m_pSkin, TRUE);
    SetUpList();

    const struct {
        CBmpButton& button;
        int text;
    } buttons[] = {{m_btnSelectChannel, kStrSelectChannel},
                   {m_btnSelectDisk, kStrSelectDisk},
                   {m_btnClear, kStrClear},
                   {m_btnExport, kStrExport}};
    for (const auto& b : buttons) {
        b.button.SetImageFile(IDB_FILE_LIST_BUTTON, kKeyColour, 0);
        b.button.SetCaption(0, kButtonCaptionTop, 0, text(b.text).c_str(), kWhite, kButtonFontHeight);
    }
    m_status.SetWindowText(m_model->StatusText().c_str());
    m_status.SetTextStyle(kWhite, kStatusFontHeight);
    // This window paints around its children, so a shorter text would leave
    // the old one: the status line fills its own background.
    m_status.SetBackground(browse::kFileListBackground);

    ChildrenMade();
    return TRUE;
}

void CDlgFileList::SetUpList() {
    SetUpRecordTypeImages(m_typeImages, m_listRows);
    m_listRows.SetBkColor(browse::kFileListRowsBackground);
    m_listRows.SetTextColor(browse::kFileListRowsText);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); i++) {
        const CString heading =
            m_pConfig != nullptr ? m_pConfig->LoadLangString(kColumns[i].text) : CString();
        m_listRows.InsertColumn(i, heading, LVCFMT_LEFT, kColumns[i].width);
    }
}

void CDlgFileList::PlaceChildren() {
    const browse::FileListLayout layout = browse::LayoutFileList(play_wnd::ClientOf(*this));
    play_wnd::Place(m_listRows, layout.list);
    play_wnd::Place(m_btnSelectChannel, layout.selectChannel);
    play_wnd::Place(m_btnSelectDisk, layout.selectDisk);
    play_wnd::Place(m_btnClear, layout.clear);
    play_wnd::Place(m_btnExport, layout.exportButton);
    play_wnd::Place(m_dlgCalendar, layout.calendar);
    play_wnd::Place(m_status, layout.status);
    Invalidate(FALSE);
}

// ---- what the page and the calendar call -------------------------------------------------

void CDlgFileList::Reset() {
    if (m_model)
        m_model->Reset();
}

void CDlgFileList::CloseDisk() {
    if (m_model)
        m_model->CloseDisk();
}

void CDlgFileList::PageDestroyed() {
    CloseDisk();
}

void CDlgFileList::OnSearchDay(const std::string& day) {
    if (m_model) {
        m_model->OnSearchDay(day);
    }
}

void CDlgFileList::OnSelectChannel() {
    if (!m_model)
        return;
    browse::ChosenChannels channels = m_model->Channels();
    if (ChooseChannels(this, m_pConfig, m_pSkin, channels))
        m_model->OnChannelsChosen(channels);
}

void CDlgFileList::OnSelectDisk() {
    if (m_model)
        m_model->OnSelectDisk();
}

void CDlgFileList::OnClear() {
    CloseDisk();
}

void CDlgFileList::OnExport() {
    CDlg264Export dlg(this);
    dlg.SetConfigAndSkin(m_pConfig, m_pSkin);
    dlg.DoModal();
}

void CDlgFileList::OnConvert() {
    CDlg264ToAvi dlg(this);
    dlg.SetConfigAndSkin(m_pConfig, m_pSkin);
    dlg.DoModal();
}

void CDlgFileList::OnRowDoubleClick(NMHDR*, LRESULT*) {
    if (m_model)
        m_model->OnPlayRow(m_listRows.GetNextItem(-1, LVNI_SELECTED),
                           m_pConfig != nullptr && m_pConfig->m_syncPlay);
}

void CDlgFileList::OnTimer(UINT_PTR id) {
    if (id != browse::kStatusTimerId) {
        Default();
        return;
    }
    if (m_model)
        m_model->OnStatusTimer();
}

LRESULT CDlgFileList::OnMonthSearchDone(WPARAM, LPARAM) {
    if (m_model)
        m_model->OnMonthSearchDone();
    return 1;
}

LRESULT CDlgFileList::OnDaySearchDone(WPARAM, LPARAM) {
    if (m_model)
        m_model->OnDaySearchDone();
    return 1;
}

void CDlgFileList::OnDestroy() {
    // Normally the page let the disk go already (PageDestroyed).
    CloseDisk();
    Default();
}

// ---- browse::FileListPage ---------------------------------------------------------------

std::optional<std::string> CDlgFileList::PickFolder() {
    const CString title =
        m_pConfig != nullptr ? m_pConfig->LoadLangString(browse::kStrSelectFolder) : CString();
    std::string folder;
    if (!winlib::BrowseForFolder(m_hWnd, title, folder))
        return std::nullopt;
    return folder;
}

browse::CalendarDate CDlgFileList::Today() {
    return LocalToday();
}

void CDlgFileList::EnableDiskControls(bool enable) {
    if (m_btnSelectDisk.IsWindow())
        m_btnSelectDisk.EnableWindow(enable);
    if (m_dlgCalendar.IsWindow())
        m_dlgCalendar.EnableWindow(enable);
}

void CDlgFileList::EnableClear(bool enable) {
    if (m_btnClear.IsWindow())
        m_btnClear.EnableWindow(enable);
}

void CDlgFileList::ShowStatus(const std::string& text) {
    if (m_status.IsWindow())
        m_status.SetWindowText(text.c_str());
}

void CDlgFileList::SetStatusTimer(bool on) {
    if (!IsWindow())
        return;
    if (on)
        SetTimer(browse::kStatusTimerId, browse::kStatusTimerMs);
    else
        KillTimer(browse::kStatusTimerId);
}

void CDlgFileList::ShowRows(const std::vector<browse::ListRow>& rows) {
    if (!m_listRows.IsWindow())
        return;
    m_listRows.SetRedraw(FALSE);
    m_listRows.DeleteAllItems();
    for (int i = 0; i < static_cast<int>(rows.size()); i++) {
        const browse::ListRow& row = rows[i];
        m_listRows.InsertItem(i, row.file.c_str(), row.image);
        m_listRows.SetItemText(i, 1, row.id.c_str());
        m_listRows.SetItemText(i, 2, row.size.c_str());
    }
    m_listRows.SetRedraw(TRUE);
    m_listRows.Invalidate();
    m_listRows.VerticalBar().UpdateThumb();
    m_listRows.HorizontalBar().UpdateThumb();
}

void CDlgFileList::SetCalendarDays(const std::vector<std::string>& days) {
    if (m_dlgCalendar.IsWindow())
        m_dlgCalendar.SetDays(days);
}

void CDlgFileList::StoreDiskFolder(const std::string& folder) {
    if (m_pConfig != nullptr)
        m_pConfig->m_diskFolder = folder.c_str();
}

void CDlgFileList::StorePhysicalDrive(int drive) {
    if (m_pConfig != nullptr)
        m_pConfig->m_physicalDrive = drive;
}

void CDlgFileList::StoreDiskHandle(FSDiskHandle disk) {
    if (m_pConfig != nullptr)
        m_pConfig->m_diskHandle = disk;
}

void CDlgFileList::ClearGpsTable() {
    if (m_pConfig != nullptr)
        std::vector<GpsRecord>().swap(m_pConfig->m_gpsTable);
}

void CDlgFileList::PostMonthSearchDone() {
    ::PostMessageA(m_window, WM_MONTH_SEARCH_DONE, 0, 0);
}

void CDlgFileList::PostDaySearchDone() {
    ::PostMessageA(m_window, WM_DAY_SEARCH_DONE, 0, 0);
}

void CDlgFileList::PostRecordsChanged() {
    m_playback->PostRecordsChanged();
}
