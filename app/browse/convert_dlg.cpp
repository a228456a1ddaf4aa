// app/browse/convert_dlg.cpp
#include "app/browse/convert_dlg.h"

#include <algorithm>

#include "app/browse/export_model.h"
#include "app/browse/progress_text.h"
#include "app/messages.h"

namespace {

// Language strings.
constexpr int kStrTitle = 112;  // "264ToAvi"
constexpr int kStrStop = 129;
constexpr int kStrConvert = 199;
constexpr int kStrDestination = 200;
constexpr int kStrSourceFilter = 201;  // "264 file(*.264)|*.264|all file(*.*)|*.*||"
constexpr int kStrAviFilter = 212;     // "avi file(*.avi)|*.avi||"
constexpr int kStrSource = 213;
constexpr int kStrConvertTime = 215;
constexpr int kStrSeconds = 216;  // "S"
constexpr int kStrOpenFile = 218;
constexpr int kStrSaveAs = 219;

}  // namespace

BEGIN_MESSAGE_MAP(CDlg264ToAvi, CDialog)
ON_BN_CLICKED(IDC_CONVERT_START, &CDlg264ToAvi::OnConvert)
ON_BN_CLICKED(IDC_CONVERT_BROWSE_SOURCE, &CDlg264ToAvi::OnSource)
ON_BN_CLICKED(IDC_CONVERT_BROWSE_DESTINATION, &CDlg264ToAvi::OnDestination)
ON_BN_CLICKED(IDC_CONVERT_STOP, &CDlg264ToAvi::OnStop)
ON_MESSAGE(WM_CONVERT_PROGRESS, &CDlg264ToAvi::OnConvertProgress)
ON_MESSAGE(WM_CONVERT_FINISHED, &CDlg264ToAvi::OnConvertFinished)
ON_WM_CLOSE()
END_MESSAGE_MAP()

CDlg264ToAvi::~CDlg264ToAvi() {
    m_engine.Stop();
    m_engine.Wait();
}

INT_PTR CDlg264ToAvi::DoModal() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    return CDialog::DoModal();
}

void CDlg264ToAvi::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CONVERT_PROGRESS, m_progress);
}

std::string CDlg264ToAvi::Text(int id) const {
    return m_pConfig != nullptr ? std::string(m_pConfig->LoadLangString(id).GetString()) : std::string();
}

BOOL CDlg264ToAvi::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pConfig != nullptr) {
        SetWindowText(Text(kStrTitle).c_str());
        const struct {
            int control;
            int text;
        } texts[] = {{IDC_CONVERT_TITLE, kStrTitle},
                     {IDC_CONVERT_SOURCE_LABEL, kStrSource},
                     {IDC_CONVERT_DESTINATION_LABEL, kStrDestination},
                     {IDC_CONVERT_TIME_LABEL, kStrConvertTime},
                     {IDC_CONVERT_SECONDS_UNIT, kStrSeconds},
                     {IDC_CONVERT_START, kStrConvert},
                     {IDC_CONVERT_STOP, kStrStop}};
        for (const auto& t : texts)
            SetDlgItemText(t.control, Text(t.text).c_str());
    }
    SetDlgItemText(IDC_CONVERT_SECONDS, "0");
    m_progress.SetRange32(0, browse::kProgressDone);
    m_progress.SetPos(0);
    return TRUE;
}

void CDlg264ToAvi::OnClose() {
    // The worker only posts, so waiting for it here cannot block it; it ends
    // after the block it is writing. Then the dialog manager cancels.
    m_engine.Stop();
    m_engine.Wait();
    Default();
}

void CDlg264ToAvi::OnCancel() {
    m_engine.Stop();
    m_engine.Wait();
    CDialog::OnCancel();
}

void CDlg264ToAvi::OnSource() {
    std::string file;
    if (!winlib::ChooseFile(m_hWnd, false, Text(kStrSourceFilter).c_str(), Text(kStrOpenFile).c_str(),
                            nullptr, file))
        return;
    m_source = file;
    SetDlgItemText(IDC_CONVERT_SOURCE, m_source.c_str());
}

void CDlg264ToAvi::OnDestination() {
    std::string file;
    if (!winlib::ChooseFile(m_hWnd, true, Text(kStrAviFilter).c_str(), Text(kStrSaveAs).c_str(), "avi", file))
        return;
    m_destination = file;
    SetDlgItemText(IDC_CONVERT_DESTINATION, m_destination.c_str());
}

void CDlg264ToAvi::OnConvert() {
    if (m_engine.Running() || m_source.empty() || m_destination.empty())
        return;
    CWnd* button = GetDlgItem(IDC_CONVERT_START);
    if (button != nullptr)
        button->EnableWindow(FALSE);
    m_progress.SetPos(0);
    SetDlgItemText(IDC_CONVERT_PERCENT, browse::PercentText(0).c_str());
    SetDlgItemText(IDC_CONVERT_SECONDS, "0");

    const HWND window = m_hWnd;
    const bool started = m_engine.Start(
        m_source, m_destination,
        [window](int perMille, uint64_t elapsedMs) {
            ::PostMessageA(window, WM_CONVERT_PROGRESS, static_cast<WPARAM>(perMille),
                           static_cast<LPARAM>(elapsedMs));
        },
        [window](const ConvertReport& report) {
            ::PostMessageA(window, WM_CONVERT_FINISHED, static_cast<WPARAM>(report.result), 0);
        });
    if (!started && button != nullptr)
        button->EnableWindow(TRUE);
}

void CDlg264ToAvi::OnStop() {
    m_engine.Stop();
}

LRESULT CDlg264ToAvi::OnConvertProgress(WPARAM perMille, LPARAM elapsedMs) {
    // 100% only once the AVI file is known to be complete (the end message).
    const int shown = std::min(static_cast<int>(perMille), browse::kProgressMidMax);
    m_progress.SetPos(shown);
    SetDlgItemText(IDC_CONVERT_PERCENT, browse::PercentText(shown).c_str());
    SetDlgItemText(IDC_CONVERT_SECONDS, browse::SecondsText(static_cast<uint64_t>(elapsedMs)).c_str());
    return 0;
}

LRESULT CDlg264ToAvi::OnConvertFinished(WPARAM result, LPARAM) {
    switch (static_cast<ConvertResult>(result)) {
        case ConvertResult::Done:
            m_progress.SetPos(browse::kProgressDone);
            SetDlgItemText(IDC_CONVERT_PERCENT, browse::PercentText(browse::kProgressDone).c_str());
            break;
        case ConvertResult::Stopped:
            break;
        case ConvertResult::SourceError:
        case ConvertResult::OutputError:
        case ConvertResult::WriteError:
            SetDlgItemText(IDC_CONVERT_PERCENT, Text(browse::kStrExportError).c_str());
            break;
    }
    if (CWnd* button = GetDlgItem(IDC_CONVERT_START))
        button->EnableWindow(TRUE);
    return 0;
}
