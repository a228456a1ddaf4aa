// tests/gui/harness/test_hooks.cpp
#include "tests/gui/harness/test_hooks.h"

#include "winlib/hooks.h"

namespace vekgui {

namespace {

std::string RealExePath() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

}  // namespace

TestHooks::TestHooks() {
    winlib::Hooks hooks;
    hooks.messageBox = [this](HWND owner, const char* text, const char* caption, UINT type) {
        int answer = unscripted_;
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
        boxes_.push_back(Box{owner, text ? text : "", caption ? caption : "", type, answer});
        return answer;
    };
    hooks.shellExecute = [this](HWND, const char* verb, const char* file, const char* parameters, const char*,
                                int show) {
        launches_.push_back(Launch{verb ? verb : "", file ? file : "", parameters ? parameters : "", show});
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));  // > 32: started
    };
    hooks.browseForFolder = [this](HWND, const char* title, std::string& folder) {
        browseTitles_.push_back(title ? title : "");
        if (!browse_)
            return false;
        folder = *browse_;
        return true;
    };
    hooks.chooseFile = [this](HWND, bool save, const char* filter, const char* title, const char* extension,
                              std::string& file) {
        fileRequests_.push_back(
            FileRequest{save, filter ? filter : "", title ? title : "", extension ? extension : ""});
        if (files_.empty())
            return false;
        const std::optional<std::string> answer = files_.front();
        files_.pop_front();
        if (!answer)
            return false;
        file = *answer;
        return true;
    };
    hooks.exePath = [this] {
        const std::string real = RealExePath();
        if (!exeFolder_)
            return real;
        const size_t slash = real.find_last_of('\\');
        return *exeFolder_ + "\\" + (slash == std::string::npos ? real : real.substr(slash + 1));
    };
    hooks.physicalDrivePath = [this](int drive) {
        auto it = drives_.find(drive);
        return it != drives_.end() ? it->second : "\\\\.\\PhysicalDrive" + std::to_string(drive);
    };
    winlib::SetHooks(std::move(hooks));
}

TestHooks::~TestHooks() {
    winlib::ResetHooks();
}

}  // namespace vekgui
