// winlib/controls.cpp
#include "winlib/controls.h"

namespace {

// Creates a child control of a system class.
BOOL CreateControl(CWnd* wnd,
                   LPCSTR className,
                   LPCSTR text,
                   DWORD style,
                   const RECT& rect,
                   CWnd* parent,
                   UINT id) {
    return wnd->CreateEx(0, className, text, style | WS_CHILD, rect, parent, id);
}

}  // namespace

BOOL COwnerDrawCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        *result = TRUE;
        return TRUE;
    }
    if (message == WM_MEASUREITEM) {
        MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        *result = TRUE;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}

BOOL CStatic::Create(LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(this, "STATIC", text, style, rect, parent, id);
}

BOOL CButton::Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(this, "BUTTON", caption, style, rect, parent, id);
}

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(this, "EDIT", "", style, rect, parent, id);
}

void CEdit::SetSel(int start, int end, BOOL noScroll) {
    SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
    if (!noScroll)
        SendMessage(EM_SCROLLCARET);
}

void CEdit::GetSel(int& start, int& end) const {
    DWORD s = 0, e = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = static_cast<int>(s);
    end = static_cast<int>(e);
}

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(this, "COMBOBOX", "", style, rect, parent, id);
}

void CComboBox::GetLBText(int index, CString& text) const {
    const int length = GetLBTextLen(index);
    text.Empty();
    if (length <= 0)
        return;
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index),
                reinterpret_cast<LPARAM>(text.GetBuffer(length + 1)));
    text.ReleaseBuffer();
}

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(this, PROGRESS_CLASSA, "", style, rect, parent, id);
}

BOOL CDateTimeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(this, DATETIMEPICK_CLASSA, "", style, rect, parent, id);
}

// ---- image list ------------------------------------------------------------------------

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList)
        return FALSE;
    const BOOL ok = ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return ok;
}

BOOL CImageList::Attach(HIMAGELIST list) {
    if (!list)
        return FALSE;
    DeleteImageList();
    m_hImageList = list;
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST list = m_hImageList;
    m_hImageList = nullptr;
    return list;
}

int CImageList::Add(CBitmap* bitmap, CBitmap* mask) {
    if (!bitmap)
        return -1;
    return ImageList_Add(m_hImageList, *bitmap, mask ? static_cast<HBITMAP>(*mask) : nullptr);
}

int CImageList::Add(CBitmap* bitmap, COLORREF maskColor) {
    return bitmap ? ImageList_AddMasked(m_hImageList, *bitmap, maskColor) : -1;
}

BOOL CImageList::Draw(CDC* dc, int image, POINT p, UINT style) {
    return dc ? ImageList_Draw(m_hImageList, image, dc->m_hDC, p.x, p.y, style) : FALSE;
}

// ---- list view -------------------------------------------------------------------------

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(this, WC_LISTVIEWA, "", style, rect, parent, id);
}

int CListCtrl::InsertColumn(int column, LPCSTR heading, int format, int width, int subItem) {
    LVCOLUMNA col{};
    col.mask = LVCF_FMT | LVCF_TEXT;
    col.fmt = format;
    col.pszText = const_cast<LPSTR>(heading ? heading : "");
    if (width >= 0) {
        col.mask |= LVCF_WIDTH;
        col.cx = width;
    }
    if (subItem >= 0) {
        col.mask |= LVCF_SUBITEM;
        col.iSubItem = subItem;
    }
    return static_cast<int>(
        SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::InsertItem(int item, LPCSTR text) {
    LVITEMA row{};
    row.mask = LVIF_TEXT;
    row.iItem = item;
    row.pszText = const_cast<LPSTR>(text ? text : "");
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
}

int CListCtrl::InsertItem(int item, LPCSTR text, int image) {
    LVITEMA row{};
    row.mask = LVIF_TEXT | LVIF_IMAGE;
    row.iItem = item;
    row.iImage = image;
    row.pszText = const_cast<LPSTR>(text ? text : "");
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCSTR text) {
    LVITEMA row{};
    row.iSubItem = subItem;
    row.pszText = const_cast<LPSTR>(text ? text : "");
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)));
}

CString CListCtrl::GetItemText(int item, int subItem) const {
    // The control copies at most cchTextMax; grow until the text fits.
    CString text;
    for (int size = 256; size <= 65536; size *= 4) {
        LVITEMA row{};
        row.iSubItem = subItem;
        row.cchTextMax = size;
        row.pszText = text.GetBufferSetLength(size);
        const int copied = static_cast<int>(
            SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)));
        text.ReleaseBuffer(copied < size ? copied : size - 1);
        if (copied < size - 1)
            break;
    }
    return text;
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
    LVITEMA row{};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    row.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&row)));
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
    LVITEMA row{};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    if (!SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row)))
        return 0;
    return static_cast<DWORD_PTR>(row.lParam);
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    LVITEMA row{};
    row.state = state;
    row.stateMask = mask;
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)));
}

BOOL CListCtrl::GetItemRect(int item, LPRECT rect, UINT code) const {
    if (!rect)
        return FALSE;
    rect->left = static_cast<LONG>(code);
    return static_cast<BOOL>(
        SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(rect)));
}

BOOL CListCtrl::GetSubItemRect(int item, int subItem, int code, CRect& rect) const {
    rect.top = subItem;
    rect.left = code;
    return static_cast<BOOL>(SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(item),
                                         reinterpret_cast<LPARAM>(static_cast<RECT*>(&rect))));
}

CImageList* CListCtrl::SetImageList(CImageList* list, int which) {
    SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(which),
                reinterpret_cast<LPARAM>(list ? list->m_hImageList : nullptr));
    return list;
}

// ---- tree view -------------------------------------------------------------------------

BOOL CTreeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(this, WC_TREEVIEWA, "", style, rect, parent, id);
}

HTREEITEM CTreeCtrl::InsertItem(LPCSTR text, HTREEITEM parent, HTREEITEM after) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<LPSTR>(text ? text : "");
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM CTreeCtrl::InsertItem(LPCSTR text,
                                int image,
                                int selectedImage,
                                HTREEITEM parent,
                                HTREEITEM after) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<LPSTR>(text ? text : "");
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

CString CTreeCtrl::GetItemText(HTREEITEM item) const {
    char buffer[1024] = {};
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = sizeof buffer;
    if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)))
        return CString();
    return CString(buffer);
}

BOOL CTreeCtrl::SetItemText(HTREEITEM item, LPCSTR text) {
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = const_cast<LPSTR>(text ? text : "");
    return static_cast<BOOL>(SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv)));
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const {
    TVITEMA tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)))
        return 0;
    return static_cast<DWORD_PTR>(tv.lParam);
}

BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data) {
    TVITEMA tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    tv.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv)));
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM item) const {
    return GetChildItem(item) != nullptr;
}

CImageList* CTreeCtrl::SetImageList(CImageList* list, int which) {
    SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(which),
                reinterpret_cast<LPARAM>(list ? list->m_hImageList : nullptr));
    return list;
}

HTREEITEM CTreeCtrl::HitTest(POINT p, UINT* flags) const {
    TVHITTESTINFO info{};
    info.pt = p;
    auto item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags)
        *flags = info.flags;
    return item;
}
