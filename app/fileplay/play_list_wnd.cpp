// app/fileplay/play_list_wnd.cpp
#include "app/fileplay/play_list_wnd.h"

#include <commctrl.h>

#include "app/fileplay/file_play_ctrl_wnd.h"
#include "app/fileplay/file_play_layout.h"
#include "app/fileplay/file_play_system_win32.h"
#include "app/messages.h"
#include "controls/draw_gradient.h"

namespace {

constexpr COLORREF kKeyColour = RGB(255, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kFace = 0x514843;
constexpr COLORREF kTopGrey = 0x545454;
constexpr COLORREF kRowsBack = 0x141414;
constexpr COLORREF kRowsText = 0xC8C8C8;
constexpr COLORREF kImageMask = RGB(255, 255, 255);
constexpr int kStripHeight = 25;  // the gradient at the top, the black strip at the bottom
constexpr int kImageSize = 18;
constexpr int kColumnWidth = 280;
constexpr int kTitleFontHeight = 18;
constexpr int kTitleInsetY = 3;

// Language strings.
constexpr int kStrFile = 145;
constexpr int kStrClear = 149;
constexpr int kStrSelectVideoFile = 169;
constexpr int kStrAdd = 197;
constexpr int kStrDelete = 198;
constexpr int kStrPlayList = 273;
constexpr int kStrVideoFilter = 274;

}  // namespace

BEGIN_MESSAGE_MAP(CDlgPlayList, CPlayChildDialog)
ON_BN_CLICKED(IDC_PLAY_LIST_ADD, &CDlgPlayList::OnAdd)
ON_BN_CLICKED(IDC_PLAY_LIST_DELETE, &CDlgPlayList::OnDelete)
ON_BN_CLICKED(IDC_PLAY_LIST_CLEAR, &CDlgPlayList::OnClear)
ON_NOTIFY(NM_DBLCLK, IDC_PLAY_LIST_ROWS, &CDlgPlayList::OnRowDoubleClick)
ON_NOTIFY(NM_RCLICK, IDC_PLAY_LIST_ROWS, &CDlgPlayList::OnRowRightClick)
ON_MESSAGE(WM_PLAYLIST_MARK_NONE, &CDlgPlayList::OnMarkNone)
ON_MESSAGE(WM_PLAYLIST_MARK_CURRENT, &CDlgPlayList::OnMarkCurrent)
END_MESSAGE_MAP()

CDlgPlayList::CDlgPlayList() : CPlayChildDialog(IDD, Face::Painted, kFace), m_model(*this) {}

void CDlgPlayList::AttachControlBar(CDlgFilePlayCtrl* bar) {
    m_model.AttachPlayer(bar != nullptr ? &bar->Controller() : nullptr);
}

std::string CDlgPlayList::Text(int id) const {
    return m_pConfig != nullptr ? std::string(m_pConfig->LoadLangString(id).GetString()) : std::string();
}

void CDlgPlayList::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PLAY_LIST_ROWS, m_list);
    DDX_Control(dx, IDC_PLAY_LIST_TITLE, m_title);
    DDX_Control(dx, IDC_PLAY_LIST_ADD, m_add);
    DDX_Control(dx, IDC_PLAY_LIST_DELETE, m_delete);
    DDX_Control(dx, IDC_PLAY_LIST_CLEAR, m_clear);
}

BOOL CDlgPlayList::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_title.SetImageFile(IDB_FP_LIST_TITLE, kKeyColour, 0);
    m_title.SetCaption(0, kTitleInsetY, 0, Text(kStrPlayList).c_str(), kWhite, kTitleFontHeight);
    m_title.EnableWindow(FALSE);
    const struct {
        CBmpButton& button;
        UINT bitmap;
        int tooltip;
    } buttons[] = {{m_add, IDB_FP_LIST_ADD, kStrAdd},
                   {m_delete, IDB_FP_LIST_DELETE, kStrDelete},
                   {m_clear, IDB_FP_LIST_CLEAR, kStrClear}};
    for (const auto& b : buttons) {
        b.button.SetImageFile(b.bitmap, kKeyColour, 0);
        b.button.SetTooltipText(Text(b.tooltip).c_str());
    }

    m_images.Create(kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK, 2, 1);
    CBitmap strip;
    if (strip.LoadBitmap(IDB_FP_LIST_IMAGES))
        m_images.Add(&strip, kImageMask);
    m_list.SetImageList(&m_images, LVSIL_SMALL);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_list.SetBkColor(kRowsBack);
    m_list.SetTextBkColor(kRowsBack);
    m_list.SetTextColor(kRowsText);
    m_list.InsertColumn(0, Text(kStrFile).c_str(), LVCFMT_LEFT, kColumnWidth);
    ChildrenMade();
    return TRUE;
}

void CDlgPlayList::PlaceChildren() {
    play_wnd::PlaceControls(*this, play::LayOutPlayList(play_wnd::ClientOf(*this)));
    Invalidate(FALSE);
}

void CDlgPlayList::PaintFace(CDC& dc, const CRect& client) {
    dc.FillSolidRect(&client, kFace);
    CRect bottom(client.left, client.bottom - kStripHeight, client.right, client.bottom);
    dc.FillSolidRect(&bottom, RGB(0, 0, 0));
    const CRect top(client.left, client.top, client.right, client.top + kStripHeight);
    DrawGradient(&dc, top, kTopGrey, RGB(0, 0, 0), FALSE, TRUE);
}

// ---- buttons and rows ---------------------------------------------------------------------

void CDlgPlayList::OnAdd() {
    std::vector<std::string> chosen;
    if (!play::ChooseVideoFiles(m_hWnd, Text(kStrVideoFilter), Text(kStrSelectVideoFile), true, &chosen))
        return;
    for (const std::string& path : chosen)
        m_model.AddPath(path);
}

void CDlgPlayList::OnDelete() {
    m_model.DeleteRow(m_list.GetNextItem(-1, LVNI_SELECTED));
}

void CDlgPlayList::OnClear() {
    m_model.ClearList();
}

void CDlgPlayList::OnRowDoubleClick(NMHDR* header, LRESULT* result) {
    const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
    m_model.OnDoubleClick(activate != nullptr ? activate->iItem : -1);
    *result = 0;
}

void CDlgPlayList::OnRowRightClick(NMHDR*, LRESULT* result) {
    *result = 0;
}

LRESULT CDlgPlayList::OnMarkNone(WPARAM, LPARAM) {
    m_model.MarkNone();
    return 0;
}

LRESULT CDlgPlayList::OnMarkCurrent(WPARAM, LPARAM) {
    m_model.MarkCurrent();
    return 0;
}

// ---- PlayListView -------------------------------------------------------------------------

void CDlgPlayList::InsertRow(int row, const std::string& name) {
    m_list.InsertItem(row, name.c_str(), 0);
}

void CDlgPlayList::DeleteRow(int row) {
    m_list.DeleteItem(row);
}

void CDlgPlayList::DeleteAllRows() {
    m_list.DeleteAllItems();
}

void CDlgPlayList::SetRowImage(int row, int image) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    m_list.SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void CDlgPlayList::Redraw() {
    Invalidate(FALSE);
}
