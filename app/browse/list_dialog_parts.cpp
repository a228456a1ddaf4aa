// app/browse/list_dialog_parts.cpp
#include "app/browse/list_dialog_parts.h"

#include "app/browse/select_channel_dlg.h"
#include "res/file_list_ids.h"

namespace {

constexpr COLORREF kTypeImageMask = RGB(255, 255, 255);
constexpr int kTypeImageSize = 15;

}  // namespace

void SetUpRecordTypeImages(CImageList& images, CListCtrl& list) {
    images.Create(kTypeImageSize, kTypeImageSize, ILC_COLOR24 | ILC_MASK, 32, 32);
    CBitmap strip;
    if (strip.LoadBitmap(IDB_RECORD_TYPES))
        images.Add(&strip, kTypeImageMask);
    list.SetImageList(&images, LVSIL_SMALL);
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
}

bool ChooseChannels(CWnd* owner, AppConfig* config, CPubSkin* skin, browse::ChosenChannels& channels) {
    CDlgSelectChannel chooser(owner);
    chooser.SetConfigAndSkin(config, skin);
    chooser.SetChannels(channels);
    chooser.DoModal();
    if (!chooser.IsAccepted())
        return false;
    chooser.GetChannels(channels);
    return true;
}
