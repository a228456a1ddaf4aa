// app/browse/convert_dlg.h
//
// CDlg264ToAvi: the modal .264-to-AVI converter (IDD_264_TO_AVI) over the
// conversion engine (media/convert_engine.h). The user picks a raw recorder
// stream file and an AVI file to write; Convert runs the conversion on the
// engine's worker thread, which reports the per mille read and the time taken
// by posted messages only; Stop ends it after the block being written, and
// so does closing the dialog, which waits for the worker.
//
// Everything a window needs is done on the GUI thread: Convert itself disables
// its button and resets the progress before the worker starts (a worker that
// sent to the window while the window waits for it would never end). A
// Convert while one runs is refused. Progress shows at most 99% while the
// worker runs; its end shows 100% for a whole file, and the error text for a
// source that could not be read or an AVI file that could not be made or
// written completely (a full disk); the button is enabled again in every case.
//
//   CDlg264ToAvi dlg(this);
//   dlg.SetConfigAndSkin(config, skin);
//   dlg.DoModal();
#pragma once

#include <string>

#include "app/app_config.h"
#include "app/pub_skin.h"
#include "media/convert_engine.h"
#include "res/export_ids.h"
#include "winlib/winlib.h"

class CDlg264ToAvi : public CDialog {
  public:
    enum { IDD = IDD_264_TO_AVI };
    explicit CDlg264ToAvi(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
    ~CDlg264ToAvi() override;

    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }
    INT_PTR DoModal() override;

    bool Converting() const { return m_engine.Running(); }

    CProgressCtrl m_progress;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}  // no default button: Enter does not close it
    void OnCancel() override;
    afx_msg void OnConvert();
    afx_msg void OnSource();
    afx_msg void OnDestination();
    afx_msg void OnStop();
    afx_msg void OnClose();
    afx_msg LRESULT OnConvertProgress(WPARAM perMille, LPARAM elapsedMs);
    afx_msg LRESULT OnConvertFinished(WPARAM result, LPARAM);
    DECLARE_MESSAGE_MAP()

  private:
    std::string Text(int id) const;

    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
    std::string m_source;
    std::string m_destination;
    C264ToAviEngine m_engine;
};
