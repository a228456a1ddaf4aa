// app/browse/device_panels.h
//
// The two panels at the top of the network recorder list (CDlgDeviceList),
// shown one at a time: the login form CDlgLogin while logged out, the device
// information panel CDlgDeviceInfo while logged in. Both are child dialogs
// with a white title and labels on the 0x545454 background, their rows laid
// out by browse::LayoutLoginForm / LayoutDeviceInfo; Enter and Escape never
// end them.
//
// The login form's decisions are browse's (login_form_model.h): the port
// edit takes digits only and at most 65535; the IP combo lists the history
// of recorders logged in to, most recent first, with "---Clear---" last,
// which empties the history; choosing an address puts its port in the port
// edit. Enter posts WM_LOGIN_ENTER to the recorder list. The status line is
// yellow; a text shown with the timer empties itself after 5 seconds.
//
// Decisions where the behaviour is otherwise open:
// - A status shown without the timer also stops a timer still running for an
//   earlier text, so "Login......" is not emptied by the last failure's timer.
// - Choosing "---Clear---" leaves the address empty rather than showing the
//   item's text as an address.
// - The status line sits under the five rows of the form.
#pragma once

#include <string>

#include "app/base/play_child_wnd.h"
#include "app/browse/device_list_model.h"
#include "app/browse/login_form_model.h"
#include "controls/color_static.h"
#include "res/device_list_ids.h"

// What both panels share: the background, the title and labels, the layout
// and the keys.
class CDevicePanel : public CPlayChildDialog {
  public:
    explicit CDevicePanel(UINT templateId);

    BOOL PreTranslateMessage(MSG* msg) override;

    static constexpr int kRows = 5;

  protected:
    // Binds the title and the five labels (control ids).
    void BindTexts(CDataExchange* dx, int title, const int (&labels)[kRows]);
    // The texts (language strings) of the title and of the five labels.
    void SetUpTexts(int title, const int (&labels)[kRows]);
    void LayOutRows(const browse::PanelLayout& layout, CWnd* const (&values)[kRows]);
    virtual void OnEnterKey() {}
    CString Text(int id) const { return m_pConfig != nullptr ? m_pConfig->LoadLangString(id) : CString(); }

    CColorStatic m_title;
    CColorStatic m_labels[kRows];
};

class CDlgLogin : public CDevicePanel {
  public:
    enum { IDD = IDD_LOGIN };
    CDlgLogin() : CDevicePanel(IDD) {}

    browse::LoginData GetLoginData() const;
    void ShowStatus(LPCSTR text, BOOL timer);
    // The history's addresses, then "---Clear---"; the address typed stays.
    void FillIpCombo();

    CComboBox m_comboIp;
    CEdit m_editPort;
    CEdit m_editUser;
    CEdit m_editPassword;
    CComboBox m_comboNetType;
    CColorStatic m_status;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    void OnEnterKey() override;

    afx_msg void OnIpChosen();
    afx_msg void OnPortChanged();
    afx_msg void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

  private:
    std::string m_lastPort;
    bool m_settingPort = false;
};

class CDlgDeviceInfo : public CDevicePanel {
  public:
    enum { IDD = IDD_DEVICE_INFO };
    CDlgDeviceInfo() : CDevicePanel(IDD) {}

    void SetInfo(LPCSTR ip, LPCSTR name, int port, int channels, LPCSTR user);

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
};
