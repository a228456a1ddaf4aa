// app/fileplay/file_play_ctrl_wnd.h
//
// CDlgFilePlayCtrl: the file player's control bar under the video (template
// IDD_FILE_PLAY_CTRL). A thin window over play::FilePlayController, which
// makes every decision: the dialog hands it its picture buttons, the seek and
// volume sliders (WM_BMPSLIDER_CHANGED), timer 103 and the playback library's
// end notice (WM_FILEPLAY_END), shows what it is told (play::FilePlayView),
// and owns the ports the controller works through (VekPlay, the configuration,
// folder creation, the clock).
//
// Controls (res/file_play_ids.h): Play and Pause in one place, Stop, Previous,
// Next, Speed Down, Speed Up, Mute, Open file, Snapshot, the play list's
// show/hide button, Tools (created hidden) and the watermark switch (shown
// when the configuration's watermark setting is on); the played-time and state
// texts; the seek and volume sliders. Placed by play::LayOutFileBar on a black
// face.
//
// Open file (and the open popup's button) shows the system's file-open dialog;
// a chosen file that exists goes into the play list and plays. The Tools menu
// and the bar's commands open the .264-to-AVI converter (ID_FP_CONVERT) and the
// export dialog (ID_FP_EXPORT) through the opener the program installs
// (SetExportDialogOpener); with none installed they open nothing.
//
// When the watermark is on, the logo (bitmap 276) is blended faintly over
// every picture, at its own size from the top left, on the playback library's
// render thread. Destroying the bar while a file plays stops it first.
#pragma once

#include <string>

#include "app/base/config_ports.h"
#include "app/base/file_play_ports.h"
#include "app/base/library_ports.h"
#include "app/base/play_child_wnd.h"
#include "app/fileplay/file_play_controller.h"
#include "controls/bmp_button.h"
#include "controls/bmp_slider.h"
#include "controls/color_static.h"
#include "controls/my_menu.h"
#include "controls/resource_picture.h"
#include "res/file_play_ids.h"
#include "res/resource.h"

class CDlgFilePlay;

class CDlgFilePlayCtrl : public CPlayChildDialog, private play::FilePlayView, private play::OverlayPainter {
  public:
    enum { IDD = IDD_FILE_PLAY_CTRL };
    static constexpr int kButtonCount = 13;

    // Opens the dialog of a command (ID_FP_CONVERT, ID_FP_EXPORT) modally over
    // `owner`, after handing it the configuration and the skin.
    using ExportDialogOpener = void (*)(UINT command, CWnd* owner, AppConfig* config, CPubSkin* skin);
    // Installed once by the program, before the bar's commands can be used.
    static void SetExportDialogOpener(ExportDialogOpener opener);

    CDlgFilePlayCtrl();
    ~CDlgFilePlayCtrl() override;

    // The page ties the bar to itself and its play list before creating it.
    void AttachPage(CDlgFilePlay* page);

    // Play (OpenAndPlayFile), what the play list, the open popup and a drop
    // ask for, and the Open file command.
    void OpenAndPlayFile() { m_controller.OnPlay(); }
    void PlayPath(const std::string& path) { m_controller.PlayPath(path); }
    void StopAndForget() { m_controller.StopAndForget(); }
    void OnOpenFile();

    play::FilePlayController& Controller() { return m_controller; }
    CBmpButton* Button(int id);

    CColorStatic m_timeText;
    CColorStatic m_stateText;
    CBmpSlider m_seek;
    CBmpSlider m_volume;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    void PaintFace(CDC& dc, const CRect& client) override;
    afx_msg void OnButton(UINT id);
    afx_msg void OnExportCommand(UINT command);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg LRESULT OnFilePlayEnd(WPARAM code, LPARAM user);
    afx_msg LRESULT OnSliderChanged(WPARAM control, LPARAM position);
    afx_msg void OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure);
    afx_msg void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    // FilePlayView.
    uintptr_t Window() const override { return reinterpret_cast<uintptr_t>(m_hWnd); }
    uintptr_t VideoWindow() const override;
    void EnableControl(int id, bool enable) override;
    void ShowControl(int id, bool show) override;
    void SetChecked(int id, bool checked) override;
    void SetTooltip(int id, const std::string& text) override;
    void SetTimeText(const std::string& text) override;
    void SetStateText(const std::string& text) override;
    void SetSeekRange(int max) override;
    void SetSeekPos(int position) override;
    void SetVolumePos(int position) override;
    void SetPlayTimer(bool on) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowOpenPopup(bool show) override;
    void EraseVideo() override;
    void RepaintBar() override;
    void PostPlayListShown(bool shown) override;

    // OverlayPainter: the logo, on the render thread.
    void PaintOverlay(VekPlayDC dc, int width, int height) override;

    void ShowToolsMenu();
    std::string Text(int id) const;

    play::VekPlayPlayer m_player;
    play::ConfigPlaySettings m_settings;
    play::DirTreeFileSystem m_files;
    play::SystemClock m_clock;
    play::FilePlayController m_controller;

    CDlgFilePlay* m_page = nullptr;
    CBmpButton m_buttons[kButtonCount];
    controls::ResourcePicture m_logo;
    CMyMenu m_toolsMenu;
    MyMenuItem m_convertItem;
};
