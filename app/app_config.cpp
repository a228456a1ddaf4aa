// app/app_config.cpp
#include "app/app_config.h"

#include "app/dir_tree.h"
#include "app/gps_search.h"
#include "app/system_time_compare.h"

namespace {

void SetPath(char* field, const char* text) {
    memset(field, 0, kConfigPathSize);
    strncpy(field, text, kConfigPathSize - 1);
}

}  // namespace

AppConfig::AppConfig() {
    SetPath(m_capturePath, kDefaultCapturePath);
    SetPath(m_clipPath, kDefaultClipPath);
    SetPath(m_recordPath, kDefaultRecordPath);
}

AppConfig::~AppConfig() = default;

void AppConfig::ClearPaneRecords() {
    for (auto& records : m_paneRecords)
        records.clear();
}

int AppConfig::FindGpsIndexByTime(const GpsTimeKey& key) const {
    return ::FindGpsIndexByTime(m_gpsTable.data(), static_cast<int>(m_gpsTable.size()), key);
}

void AppConfig::FindGpsRangeByTime(const GpsTimeKey& start,
                                   const GpsTimeKey& end,
                                   int* first,
                                   int* last) const {
    ::FindGpsRangeByTime(m_gpsTable.data(), static_cast<int>(m_gpsTable.size()), start, end, first, last);
}

CString GetExeFolder() {
    return CString(winlib::ExeFolder() + "\\");
}

void MakeDirTree(const char* path) {
    if (path == nullptr)
        return;
    for (const std::string& folder : DirTreePrefixes(path))
        CreateDirectoryA(folder.c_str(), nullptr);
}

int CompareSystemTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return CompareSystemTime<SYSTEMTIME>(a, b);
}
