// skin/core/os_version_info.cpp
#include "skin/core/os_version_info.h"

namespace {

CPlymOSVersionInfo ReadVersion() {
    CPlymOSVersionInfo info;
    OSVERSIONINFOA record{};
    record.dwOSVersionInfoSize = sizeof(record);  // 148
    if (GetVersionExA(&record)) {
        info.major = record.dwMajorVersion;
        info.minor = record.dwMinorVersion;
        info.build = record.dwBuildNumber;
        info.platformId = record.dwPlatformId;
        record.szCSDVersion[sizeof(record.szCSDVersion) - 1] = '\0';
        info.servicePack = record.szCSDVersion;
    }
    return info;
}

}  // namespace

const CPlymOSVersionInfo& GetPlymOSVersionInfo() {
    static const CPlymOSVersionInfo info = ReadVersion();
    return info;
}
