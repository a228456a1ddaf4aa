// app/lumerad_app.cpp
#include "app/lumerad_app.h"

#include "app/crash_dump.h"
#include "app/lumerad_dlg.h"
#include "app/map/offset_db.h"
#include "app/startup_trace.h"
#include "skin/core/skin_manager.h"
#include "veknet/veknet_api.h"
#include "vekplay/vekplay_api.h"

CLumeradApp theApp;

BEGIN_MESSAGE_MAP(CLumeradApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CLumeradApp::InitInstance() {
    // Skin first, so that every window from here on is made under it. Without
    // the skin file the program keeps the system's look.
    const CString skinPath = GetExeFolder() + "Vista.vyrstyles";
    CPlymSkinManager* skin = GetPlymSkinManager();
    skin->SetHookedGroups(kPlymHookMetrics | kPlymHookFrames | kPlymHookColors);
    TraceStartup("SetHookedGroups", static_cast<long long>(skin->GetHookedGroups()));
    const BOOL skinned = skin->OpenSkin(skinPath, "NormalBlack.ini");
    TraceStartup("OpenSkin", static_cast<long long>(skinned));
    skin->m_skinNewThreads = FALSE;
    TraceStartup("SkinNewThreads", static_cast<long long>(skin->m_skinNewThreads));

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    TraceStartup("InitCommonControlsEx");
    InstallCrashDump();
    TraceStartup("SetUnhandledExceptionFilter");

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey("Local AppWizard-Generated Applications");
    TraceStartup("CWinApp::InitInstance");

    m_pConfig = new AppConfig();
    m_pSkin = new CPubSkin();
    TraceStartup("AppConfig");

    TraceStartup("OpenOffsetDb",
                 g_offsetDb.OpenOffsetDb() ? std::string("1") : "0 " + g_offsetDb.LastError());
    TraceStartup("ReadConfig", static_cast<long long>(m_pConfig->ReadConfig()));
    m_pConfig->LoadLanguageDll();
    TraceStartup("LoadLanguageDll", m_pConfig->m_languageModule != nullptr ? "module" : "English");

    VekUseWaterMarkDecorder(m_pConfig->m_watermark == 1 ? 1 : 0);
    TraceStartup("VekUseWaterMarkDecorder", static_cast<long long>(m_pConfig->m_watermark == 1));
    TraceStartup("VekPlayInitPlayLib", static_cast<long long>(VekPlayInitPlayLib(0, 0, 0)));
    TraceStartup("VekNetInit", static_cast<long long>(VekNetInit()));

    CLumeradDlg dialog;
    dialog.SetConfigAndSkin(m_pConfig, m_pSkin);
    TraceStartup("CLumeradDlg");
    const int loaded = g_offsetDb.LoadOffsetTable();
    TraceStartup("LoadOffsetTable", loaded ? std::to_string(g_offsetDb.OffsetTable().size()) + " rows"
                                           : "0 " + g_offsetDb.LastError());

    m_pMainWnd = &dialog;
    TraceStartup("DoModal");
    const INT_PTR result = dialog.DoModal();
    TraceStartup("DoModal returned", static_cast<long long>(result));
    m_pMainWnd = nullptr;
    return FALSE;
}

int CLumeradApp::ExitInstance() {
    TraceStartup("ExitInstance");
    delete m_pConfig;
    delete m_pSkin;
    m_pConfig = nullptr;
    m_pSkin = nullptr;
    TraceStartup("VekNetRelease", static_cast<long long>(VekNetRelease()));
    TraceStartup("VekPlayDeinitPlayLib", static_cast<long long>(VekPlayDeinitPlayLib()));
    return CWinApp::ExitInstance();
}
