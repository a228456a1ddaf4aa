// controls/check_list_ctrl.cpp
#include "controls/check_list_ctrl.h"

#include "controls/control_bitmaps.h"

namespace {

constexpr COLORREF kMaskColour = RGB(0xFF, 0x00, 0xFF);

int StateImage(const CListCtrl& list, int item) {
    return static_cast<int>(list.GetItemState(item, LVIS_STATEIMAGEMASK) >> 12);
}

}  // namespace

// ---- header ----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CCheckHeadCtrl, CHeaderCtrl)
// The list view asks its header for wide notifications; either form is taken.
ON_NOTIFY_REFLECT(HDN_ITEMCLICKA, &CCheckHeadCtrl::OnItemClicked)
ON_NOTIFY_REFLECT(HDN_ITEMCLICKW, &CCheckHeadCtrl::OnItemClicked)
END_MESSAGE_MAP()

int CCheckHeadCtrl::HeadImage() const {
    HDITEMA item{};
    item.mask = HDI_IMAGE;
    return GetItem(0, &item) ? item.iImage : -1;
}

void CCheckHeadCtrl::SetHeadImage(int image) {
    HDITEMA item{};
    item.mask = HDI_IMAGE;
    item.iImage = image;
    SetItem(0, &item);
}

void CCheckHeadCtrl::OnItemClicked(NMHDR* header, LRESULT* result) {
    *result = 0;
    if (reinterpret_cast<const NMHEADERA*>(header)->iItem != 0)
        return;
    const int image = HeadImage() == kCheckHeadEmpty ? kCheckHeadTicked : kCheckHeadEmpty;
    SetHeadImage(image);
    auto* list = dynamic_cast<CListCtrl*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
    if (list == nullptr)
        return;
    const int count = list->GetItemCount();
    for (int i = 0; i < count; ++i)
        list->SetCheck(i, image == kCheckHeadTicked);
}

// ---- list ------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CCheckListCtrl, CListCtrl)
ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, &CCheckListCtrl::OnItemChanged)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CCheckListCtrl::OnCustomDraw)
END_MESSAGE_MAP()

BOOL CCheckListCtrl::InitCheckImages() {
    if (m_imagesReady)
        return TRUE;
    m_header.SubclassWindow(GetHeaderCtrl());
    CBitmap boxes;
    if (m_headImages.Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 3) && boxes.LoadBitmap(IDB_CHECK_BOXES))
        m_headImages.Add(&boxes, kMaskColour);
    m_header.SetImageList(m_headImages.GetSafeHandle());
    HDITEMA item{};
    item.mask = HDI_WIDTH | HDI_FORMAT | HDI_IMAGE;
    m_header.GetItem(0, &item);
    item.mask = HDI_WIDTH | HDI_FORMAT | HDI_IMAGE;
    item.cxy = 16;
    item.fmt |= HDF_IMAGE;
    item.iImage = kCheckHeadEmpty;
    m_header.SetItem(0, &item);
    m_imagesReady = 1;
    return TRUE;
}

void CCheckListCtrl::SetAlternateRowColors(BOOL enable, COLORREF oddColor, COLORREF evenColor) {
    m_alternate = enable ? 1 : 0;
    m_oddColor = oddColor;
    m_evenColor = evenColor;
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
}

void CCheckListCtrl::OnItemChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (!m_imagesReady || change->uChanged != LVIF_STATE)
        return;
    BOOL all = TRUE;
    const int count = GetItemCount();
    for (int i = 0; i < count && all; ++i) {
        if (StateImage(*this, i) == 1)
            all = FALSE;
    }
    m_header.SetHeadImage(all ? kCheckHeadTicked : kCheckHeadEmpty);
    if (HWND parent = ::GetParent(m_hWnd))
        ::PostMessageA(parent, controls::WM_CHECKLIST_CHANGED, static_cast<WPARAM>(GetDlgCtrlID()), all);
}

void CCheckListCtrl::OnCustomDraw(NMHDR* header, LRESULT* result) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
        case CDDS_ITEMPREPAINT:
            *result = CDRF_NOTIFYSUBITEMDRAW;
            break;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            if (m_alternate)
                draw->clrTextBk = draw->nmcd.dwItemSpec % 2 != 0 ? m_oddColor : m_evenColor;
            else
                draw->clrTextBk = static_cast<COLORREF>(SendMessage(LVM_GETBKCOLOR));
            *result = CDRF_NEWFONT;
            break;
        default:
            *result = CDRF_DODEFAULT;
            break;
    }
}
