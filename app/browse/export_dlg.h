// app/browse/export_dlg.h
//
// CDlg264Export: the modal export-by-date dialog (IDD_EXPORT_BY_DATE). A thin
// shell over browse::ExportModel, which makes every decision
// (app/browse/export_model.h): the dialog forwards its buttons and the search
// and progress messages, and does what the model asks through the ExportPage
// calls (its controls, the configuration object, the folder picker, the posts
// from the library's threads).
//
//   CDlg264Export dlg(this);
//   dlg.SetConfigAndSkin(config, skin);
//   dlg.DoModal();
//
// Closing it stops its search and export and removes a disk it opened itself;
// a disk the recording list opened stays open, and the panes playing from it
// play on.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_config.h"
#include "app/browse/disk_library.h"
#include "app/browse/drive_locator_win32.h"
#include "app/browse/export_model.h"
#include "app/pub_skin.h"
#include "res/export_ids.h"
#include "winlib/winlib.h"

class CDlg264Export : public CDialog, private browse::ExportPage {
  public:
    enum { IDD = IDD_EXPORT_BY_DATE };
    explicit CDlg264Export(CWnd* parent = nullptr);
    ~CDlg264Export() override;

    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }
    INT_PTR DoModal() override;

    // NULL before the window is created.
    const browse::ExportModel* Model() const { return m_model.get(); }

    CDateTimeCtrl m_pickDate;
    CDateTimeCtrl m_pickFrom;
    CDateTimeCtrl m_pickTo;
    CProgressCtrl m_progress;
    CListCtrl m_listRows;
    CImageList m_typeImages;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}  // no default button: Enter does not close it
    void OnCancel() override;
    afx_msg void OnExport();
    afx_msg void OnDestination();
    afx_msg void OnSearch();
    afx_msg void OnSelectChannel();
    afx_msg void OnStop();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg LRESULT OnDaySearchDone(WPARAM, LPARAM);
    afx_msg LRESULT OnExportProgress(WPARAM perMille, LPARAM tag);
    DECLARE_MESSAGE_MAP()

  private:
    void SetUpTexts();
    void SetUpList();
    std::string Text(int id) const;

    // browse::ExportPage.
    void EnableSearch(bool enable) override;
    void EnableExport(bool enable) override;
    void EnableDestination(bool enable) override;
    void SetProgress(int perMille) override;
    void ShowProgressText(const std::string& text) override;
    void ShowRows(const std::vector<browse::ExportRow>& rows) override;
    std::vector<int> SelectedRows() override;
    browse::ExportSpan Span() override;
    void ShowDestination(const std::string& folder) override;
    void MakeFolder(const std::string& folder) override;
    std::optional<std::string> PickFolder() override;
    void TellNoSelection() override;
    void SetWatchTimer(bool on) override;
    FSDiskHandle DiskHandle() override;
    void StoreDiskHandle(FSDiskHandle disk) override;
    void StoreDiskFolder(const std::string& folder) override;
    void StorePhysicalDrive(int drive) override;
    void PostDaySearchDone() override;
    void PostProgress(int perMille, uint32_t tag) override;

    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
    browse::VkfsDiskLibrary m_disks;
    browse::VkfsExportStreams m_streams;
    browse::Win32DriveLocator m_drives;
    std::unique_ptr<browse::ExportModel> m_model;
    HWND m_window = nullptr;  // this dialog, for the library threads' posts
    // The configuration's disk fields when there is no configuration object.
    FSDiskHandle m_ownDisk = 0;
};
