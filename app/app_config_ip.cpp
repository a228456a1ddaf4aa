// app/app_config_ip.cpp
//
// The IP history file. It is replaced, never rewritten in place: the new text
// goes to "<file>.tmp", which then takes the file's place in one rename, so a
// write that fails halfway (full disk, a locked folder) leaves the previous
// history as it was. The file code never throws and never reports: the list
// in memory is what the login form shows either way.
#include <shlobj.h>

#include "app/app_config.h"

namespace {

bool WriteWhole(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

std::string AppConfig::IpHistoryPath() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder)))
        return {};
    return std::string(folder) + "\\" + kIpHistoryFileName;
}

void AppConfig::LoadIpPorts() {
    m_ipPorts.clear();
    try {
        const std::string path = IpHistoryPath();
        if (path.empty())
            return;
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            // CREATE_NEW: a file that exists but could not be opened stays as it is.
            const HANDLE made = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
            if (made != INVALID_HANDLE_VALUE)
                CloseHandle(made);
            return;
        }
        std::string text(kIpHistoryMaxBytes, '\0');
        DWORD got = 0;
        const BOOL read = ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
        CloseHandle(file);
        if (!read)
            return;
        text.resize(got);
        m_ipPorts = ParseIpHistory(text);
    } catch (...) {
    }
}

void AppConfig::AddIpPort(const std::string& ip, int port) {
    try {
        AddIpPortEntry(m_ipPorts, ip, port);
        SaveIpPorts();
    } catch (...) {
    }
}

void AppConfig::SaveIpPorts() const {
    const std::string path = IpHistoryPath();
    if (path.empty())
        return;
    const std::string temporary = path + ".tmp";
    const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const bool written = WriteWhole(file, FormatIpHistory(m_ipPorts)) && FlushFileBuffers(file);
    CloseHandle(file);
    if (!written ||
        !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        DeleteFileA(temporary.c_str());
}

void AppConfig::ClearIpPorts() {
    const std::string path = IpHistoryPath();
    if (!path.empty())
        DeleteFileA(path.c_str());
    m_ipPorts.clear();
}
