// skin/core/os_version_info.h
//
// The system's version record as the framework reads it once (GetVersionExA),
// with the tests of plym::OSVersion.
#pragma once

#include <windows.h>

#include <string>

#include "skin/core/os_version.h"

class CPlymOSVersionInfo : public plym::OSVersion {
  public:
    std::string servicePack;
};

// Filled on the first call.
const CPlymOSVersionInfo& GetPlymOSVersionInfo();
