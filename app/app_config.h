// app/app_config.h
//
// AppConfig: the one configuration and shared-state object of the program.
// The application object creates it before any window and hands its address,
// with the one CPubSkin, to every dialog (SetConfigAndSkin) before the dialog
// is created. It holds the ini settings, what the pages share (mode, open
// disk, network login, the records chosen per play pane, the GPS table), the
// language module and the IP/port history of the network login.
//
// A plain class: no virtual functions, no lock. Everything runs on the GUI
// thread except the day search's callback, which fills the pane maps from the
// access library's thread; the GUI reads them only after the done message that
// callback posts last.
//
// Choices of this class:
//   - The snapshot, clip and download folders start as "D:\DVR\Capture",
//     "D:\DVR\Clip" and "D:\DVR\Download", the same folders the settings
//     dialog offers when there is no ini file, so that what it shows is what
//     is used. An ini key that is missing or empty leaves them.
//   - The chart ranges start all zero until the ini file gives them.
//   - The GPS table is a vector the object owns; GpsRecords are ordered by
//     time of day. Nothing fills it yet.
//   - The IP history is most-recent-first in memory and in the file, and the
//     file is replaced through a temporary file, so a failed write leaves the
//     previous history whole.
//   - Language modules are loaded from the executable's folder (the first
//     place the system's module search looks) so that the working folder does
//     not matter.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/gps_record.h"
#include "app/ip_history.h"
#include "vkfs/vkfs_api.h"
#include "winlib/winlib.h"

// Chart ranges of the sensor panel: minimum and maximum of speed,
// acceleration, temperature and voltage, in that order (32 bytes in the ini).
struct CoordSet {
    float range[8];
};
static_assert(sizeof(CoordSet) == 32);

inline constexpr int kPaneCount = 4;
inline constexpr int kConfigPathSize = 260;

inline constexpr const char* kDefaultCapturePath = "D:\\DVR\\Capture";
inline constexpr const char* kDefaultClipPath = "D:\\DVR\\Clip";
inline constexpr const char* kDefaultRecordPath = "D:\\DVR\\Download";

class AppConfig {
  public:
    AppConfig();
    ~AppConfig();
    AppConfig(const AppConfig&) = delete;
    AppConfig& operator=(const AppConfig&) = delete;

    void ClearPaneRecords();

    // The ini file "<exe folder>\Config\Lumerad.ini". ReadConfig: 1 when it
    // existed and was read, 0 when there is none (nothing changed, nothing
    // created). WriteConfig creates the Config folder and writes every key;
    // it returns 1.
    int ReadConfig();
    int WriteConfig();

    // The IP history "TessorIpAndPort.fig" in the common application-data
    // folder. Load reads it (creating it empty when it cannot be opened); Add
    // puts the recorder first and rewrites the file; Clear deletes it. None
    // reports an error: the list in memory is always updated.
    void LoadIpPorts();
    void AddIpPort(const std::string& ip, int port);
    void ClearIpPorts();
    // The history file's path; "" when the folder cannot be found.
    static std::string IpHistoryPath();

    // Searches of the GPS table by time of day (app/gps_search.h).
    int FindGpsIndexByTime(const GpsTimeKey& key) const;
    void FindGpsRangeByTime(const GpsTimeKey& start, const GpsTimeKey& end, int* first, int* last) const;

    // Languages: the module of the configured language (codes 257-261), loaded
    // once at start-up; a text by id from it, or from the program's own table
    // when there is no module; "" for an id the table lacks.
    void LoadLanguageDll();
    CString LoadLangString(int id) const;
    // A font of the GUI: SimSun for simplified Chinese, else Arial.
    BOOL CreateUiFont(CFont& font, int height, int weight) const;

    // Shared state.
    int m_mode = 1;               // 1 recorder disk (local playback), 0 network recorder
    BOOL m_syncPlay = TRUE;       // the "Sync Playback" check of the playback pages
    int m_netFlag = 0;            // flag word of the network pages
    BOOL m_showWatermark = TRUE;  // the show-watermark check of the view type bar
    int m_spareFlag = 0;
    int m_loginHandle = 0;  // VekNet login of the connected recorder, 0 = none

    // Ini settings.
    int m_language = 256;  // 256 English ... 261 Japanese (app/language_codes.h)
    int m_logo = 288;
    int m_version = 0;
    int m_watermark = 0;  // 1 switches VekPlay's watermark decoder on at start-up
    int m_mimic = 0;      // 1 opens the sensor panel
    int m_gps = 0;        // 1 enables the GPS track features
    CoordSet m_coordSet = {};

    std::vector<GpsRecord> m_gpsTable;

    FSDiskHandle m_diskHandle = 0;  // the open recorder disk, 0 = none
    int m_physicalDrive = 0;        // n of "\\.\PhysicalDrive<n>", 0 = none
    CString m_diskFolder;           // the folder picked on the recorder disk
    // Per play pane, the records chosen for playing (entry 0 is the one it plays).
    std::map<int, FSRecordInfo> m_paneRecords[kPaneCount];

    char m_capturePath[kConfigPathSize];  // snapshots
    char m_clipPath[kConfigPathSize];     // local clip recordings
    char m_recordPath[kConfigPathSize];   // downloaded records
    CString m_modeText;                   // "Local" in disk mode, "" in network mode
    CString m_exeFolder;                  // without a trailing backslash; filled on the first ini access
    int m_videoType = 0;                  // 0 ".mp4", 1 ".avi"
    IpPortList m_ipPorts;                 // most recently used first
    CString m_iniPath;
    HMODULE m_languageModule = nullptr;  // NULL = the built-in English; never freed

  private:
    void FillIniPath();
    void SaveIpPorts() const;
};

// The executable's folder WITH a trailing backslash.
CString GetExeFolder();
// Creates every folder along `path`; failures (existing folders, a drive) are ignored.
void MakeDirTree(const char* path);
// -1, 0 or 1 by year, month, day, hour, minute, second.
int CompareSystemTime(const SYSTEMTIME& a, const SYSTEMTIME& b);
// A GUI font with the face Arial whatever the language.
BOOL CreateArialFont(CFont& font, int height, int weight);
