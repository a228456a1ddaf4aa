// app/pub_skin.h
//
// CPubSkin: the shared skin window. One instance, owned by the application
// object, is handed to every dialog beside the configuration; dialogs keep the
// pointer, but nothing calls into it and its window is never created.
#pragma once

#include "winlib/winlib.h"

class CPubSkin : public CWnd {
  public:
    CPubSkin() = default;
};
