// tests/gui/harness/test_hooks.h
//
// Replacements for the layer's hooks (winlib/hooks.h) while a test runs:
// message boxes answered from a script and logged, program starts logged
// instead of made, the folder browser and the file dialogs answered, the executable's folder moved
// into a test folder, raw drives mapped to files. Installed by the
// constructor, removed by the destructor; one at a time.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vekgui {

class TestHooks {
  public:
    struct Box {
        HWND owner;
        std::string text;
        std::string caption;
        UINT type;
        int answer;
    };
    struct Launch {
        std::string verb;
        std::string file;
        std::string parameters;
        int show;
    };

    TestHooks();
    ~TestHooks();
    TestHooks(const TestHooks&) = delete;
    TestHooks& operator=(const TestHooks&) = delete;

    // Answers for the next message boxes, in order. A box with no answer left
    // gets `unscriptedAnswer` (IDCANCEL unless changed) and is still logged.
    void AnswerBoxes(std::initializer_list<int> answers) { answers_.insert(answers_.end(), answers); }
    void SetUnscriptedAnswer(int answer) { unscripted_ = answer; }
    const std::vector<Box>& boxes() const { return boxes_; }

    const std::vector<Launch>& launches() const { return launches_; }

    // The folder the next browse returns; nullopt makes it a cancel.
    void AnswerBrowse(std::optional<std::string> folder) { browse_ = std::move(folder); }
    const std::vector<std::string>& browseTitles() const { return browseTitles_; }

    // The files the next file dialogs return, in order; nullopt (or none
    // left) makes one a cancel.
    void AnswerFiles(std::initializer_list<std::optional<std::string>> files) {
        files_.insert(files_.end(), files);
    }
    struct FileRequest {
        bool save;
        std::string filter;
        std::string title;
        std::string defaultExtension;
    };
    const std::vector<FileRequest>& fileRequests() const { return fileRequests_; }

    // The program then believes it runs from `folder` (no trailing backslash),
    // under its own file name.
    void SetExeFolder(const std::string& folder) { exeFolder_ = folder; }
    // "\\.\PhysicalDrive<n>" becomes `path`; other drives keep their names.
    void MapDrive(int drive, const std::string& path) { drives_[drive] = path; }

  private:
    std::deque<int> answers_;
    int unscripted_ = IDCANCEL;
    std::vector<Box> boxes_;
    std::vector<Launch> launches_;
    std::optional<std::string> browse_;
    std::vector<std::string> browseTitles_;
    std::deque<std::optional<std::string>> files_;
    std::vector<FileRequest> fileRequests_;
    std::optional<std::string> exeFolder_;
    std::map<int, std::string> drives_;
};

}  // namespace vekgui
