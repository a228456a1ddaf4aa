// app/fileplay/folder_walk.cpp
#include "app/fileplay/folder_walk.h"

#include <utility>

#include "app/fileplay/file_play_names.h"

namespace play {

void WalkDroppedFolder(FolderLister& lister,
                       const std::string& folder,
                       const std::function<void(const std::string&)>& take) {
    lister.List(folder, [&](const FolderEntry& entry) {
        if (entry.name.empty() || entry.name == "." || entry.name == "..")
            return true;
        const std::optional<std::string> path = JoinPath(folder, entry.name, kDropPathMax);
        if (!path)
            return true;
        if (entry.folder)
            WalkDroppedFolder(lister, *path, take);
        else if (IsDropVideoName(entry.name))
            take(*path);
        return true;
    });
}

void WalkScanFolder(FolderLister& lister,
                    const std::string& folder,
                    const std::function<void(const std::string&)>& take,
                    const std::atomic<bool>& stop) {
    lister.List(folder, [&](const FolderEntry& entry) {
        if (stop.load())
            return false;
        if (entry.folder) {
            if (!entry.name.empty() && entry.name[0] != '.') {
                if (const std::optional<std::string> path = JoinPath(folder, entry.name, kScanPathMax))
                    WalkScanFolder(lister, *path, take, stop);
            }
        } else if (IsScanVideoName(entry.name)) {
            if (const std::optional<std::string> path = JoinPath(folder, entry.name, kScanPathMax))
                take(*path);
        }
        return !stop.load();
    });
}

std::vector<std::string> CollectDroppedFiles(FolderLister& lister, const std::vector<std::string>& items) {
    std::vector<std::string> files;
    const auto take = [&files](const std::string& path) { files.push_back(path); };
    for (const std::string& item : items) {
        if (item.empty() || item.size() > kDropPathMax)
            continue;
        if (lister.IsFolder(item)) {
            std::string folder = item;
            if (folder.size() > 1 && folder.back() == '\\')
                folder.pop_back();  // a drive's root
            WalkDroppedFolder(lister, folder, take);
        } else if (IsDropVideoName(FileNameOf(item))) {
            files.push_back(item);
        }
    }
    return files;
}

// ---- the scan thread ----------------------------------------------------------------------

FolderScan::~FolderScan() {
    Stop();
}

void FolderScan::Start(const std::string& folder, std::function<void()> found) {
    Stop();
    found_ = std::move(found);
    stop_ = false;
    running_ = true;
    thread_ = std::thread(&FolderScan::Walk, this, folder);
}

void FolderScan::Stop() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    running_ = false;
    const std::lock_guard<std::mutex> lock(mutex_);
    waiting_.clear();
    taken_ = 0;
}

std::vector<std::string> FolderScan::TakeFound(size_t most) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const size_t count = std::min(most, waiting_.size() - taken_);
    std::vector<std::string> paths(
        std::make_move_iterator(waiting_.begin() + static_cast<ptrdiff_t>(taken_)),
        std::make_move_iterator(waiting_.begin() + static_cast<ptrdiff_t>(taken_ + count)));
    taken_ += count;
    if (taken_ == waiting_.size()) {
        waiting_.clear();
        taken_ = 0;
    }
    return paths;
}

bool FolderScan::HasFound() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return taken_ < waiting_.size();
}

void FolderScan::Walk(std::string folder) {
    WalkScanFolder(
        lister_, folder, [this](const std::string& path) { Keep(path); }, stop_);
    running_ = false;
}

void FolderScan::Keep(const std::string& path) {
    bool first = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        first = taken_ == waiting_.size();
        waiting_.push_back(path);
    }
    if (first && found_)
        found_();
}

}  // namespace play
