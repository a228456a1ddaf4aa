// app/app_config_ini.cpp
//
// The ini file, in the system's profile format: integers as decimal text, the
// three folders as strings (at most 259 characters), the chart ranges as the
// 32-byte block of WritePrivateProfileStructA (hex digits and a checksum; a
// block with a bad checksum or length is not read).
#include <io.h>

#include "app/app_config.h"

namespace {

constexpr const char* kIniName = "\\Config\\Lumerad.ini";

struct IntKey {
    const char* section;
    const char* key;
    int AppConfig::*field;
};

// In the order they are read and written.
constexpr IntKey kIntKeys[] = {
    {"Language", "lang", &AppConfig::m_language},   {"Watermark", "watermark", &AppConfig::m_watermark},
    {"Logo", "logo", &AppConfig::m_logo},           {"Version", "version", &AppConfig::m_version},
    {"Mimic", "mimic", &AppConfig::m_mimic},        {"GPS", "gps", &AppConfig::m_gps},
    {"Path", "VideoType", &AppConfig::m_videoType},
};

struct PathKey {
    const char* key;
    char (AppConfig::*field)[kConfigPathSize];
};

constexpr PathKey kPathKeys[] = {
    {"CapturePath", &AppConfig::m_capturePath},
    {"ClipPath", &AppConfig::m_clipPath},
    {"RecordPath", &AppConfig::m_recordPath},
};

}  // namespace

void AppConfig::FillIniPath() {
    if (m_exeFolder.IsEmpty())
        m_exeFolder = CString(winlib::ExeFolder());
    m_iniPath = m_exeFolder + kIniName;
}

int AppConfig::ReadConfig() {
    FillIniPath();
    if (_access(m_iniPath, 0) != 0)
        return 0;
    for (const IntKey& k : kIntKeys)
        this->*k.field = static_cast<int>(GetPrivateProfileIntA(k.section, k.key, 0, m_iniPath));
    for (const PathKey& k : kPathKeys) {
        char text[kConfigPathSize] = {};
        // Missing and empty keys both read as "": either leaves the folder.
        if (GetPrivateProfileStringA("Path", k.key, "", text, sizeof text, m_iniPath) == 0)
            continue;
        char* field = this->*k.field;
        memset(field, 0, kConfigPathSize);
        memcpy(field, text, strnlen(text, kConfigPathSize - 1));
    }
    CoordSet ranges;
    if (GetPrivateProfileStructA("CoordSet", "CoordSet", &ranges, sizeof ranges, m_iniPath))
        m_coordSet = ranges;
    return 1;
}

int AppConfig::WriteConfig() {
    FillIniPath();
    CreateDirectoryA(m_exeFolder + "\\Config", nullptr);
    for (const IntKey& k : kIntKeys) {
        CString text;
        text.Format("%d", this->*k.field);
        WritePrivateProfileStringA(k.section, k.key, text, m_iniPath);
    }
    for (const PathKey& k : kPathKeys) {
        const char* field = this->*k.field;
        const CString text(field, static_cast<int>(strnlen(field, kConfigPathSize - 1)));
        WritePrivateProfileStringA("Path", k.key, text, m_iniPath);
    }
    WritePrivateProfileStructA("CoordSet", "CoordSet", &m_coordSet, sizeof m_coordSet, m_iniPath);
    return 1;
}
