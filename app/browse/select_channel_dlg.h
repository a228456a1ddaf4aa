// app/browse/select_channel_dlg.h
//
// CDlgSelectChannel: the modal chooser of up to four channels out of 48
// (IDD_SELECT_CHANNEL), one per play pane. A thin shell over
// browse::ChannelChooserModel: its 48 check boxes are exchanged with the
// model, "Saved" accepts the checked channels in ascending order (empty
// places -1) and closes the dialog, more than four checked shows the refusal
// and keeps it open, "Clear" unchecks every box.
//
//   CDlgSelectChannel dlg;
//   dlg.SetConfigAndSkin(config, skin);
//   dlg.SetChannels(current);
//   dlg.DoModal();
//   if (dlg.IsAccepted()) dlg.GetChannels(chosen);
//
// The refusal's text is not in the code page the other texts use, so it is
// shown as wide text (MessageBoxW) rather than through the ANSI message-box
// hook; tests answer it as a window.
#pragma once

#include "app/base/play_child_wnd.h"
#include "app/browse/channel_chooser_model.h"
#include "res/file_list_ids.h"

class CDlgSelectChannel : public CDialog {
  public:
    enum { IDD = IDD_SELECT_CHANNEL };
    explicit CDlgSelectChannel(CWnd* parent = nullptr) : CDialog(IDD, parent) {}

    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }
    void SetChannels(const browse::ChosenChannels& channels) { m_model.SetChannels(channels); }
    void GetChannels(browse::ChosenChannels& channels) const { channels = m_model.GetChannels(); }
    BOOL IsAccepted() const { return m_model.IsAccepted() ? TRUE : FALSE; }

  protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnSave();
    afx_msg void OnClear();
    DECLARE_MESSAGE_MAP()

  private:
    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
    browse::ChannelChooserModel m_model;
};
