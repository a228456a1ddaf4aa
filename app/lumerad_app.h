// app/lumerad_app.h
//
// CLumeradApp: the application object. InitInstance prepares the process in a
// fixed order (skin, common controls, crash dump, configuration, offset
// database, language, VekPlay and VekNet), runs the main window modally and
// returns FALSE, so the process ends when the main window closes;
// ExitInstance releases what InitInstance made. Each step is noted in the
// start-up trace (app/startup_trace.h).
#pragma once

#include "app/app_config.h"
#include "app/pub_skin.h"
#include "res/resource.h"
#include "winlib/winlib.h"

class CLumeradApp : public CWinApp {
  public:
    CLumeradApp() = default;

    BOOL InitInstance() override;
    int ExitInstance() override;

    AppConfig* m_pConfig = nullptr;  // owned
    CPubSkin* m_pSkin = nullptr;     // owned

    DECLARE_MESSAGE_MAP()
};
