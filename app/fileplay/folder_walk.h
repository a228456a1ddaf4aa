// app/fileplay/folder_walk.h
//
// How the file player finds video files in folders: what a drop of files and
// folders on the page adds, and the folder scan of the open popup, which
// walks on a thread of its own.
//
// The two walks differ as the user sees them: a drop enters every sub-folder
// and takes ".avi", ".264", ".h264" and ".nvr" in any case; the scan passes
// over folders whose name begins with '.' and takes only ".264" and ".avi" in
// lower case (file_play_names.h). A path longer than its bound (kDropPathMax,
// kScanPathMax) is passed over with all that lies below it, which also ends a
// walk around a folder link that leads back up.
//
// The scan thread never touches a window. It keeps what it finds for the GUI
// thread, which takes it (TakeFound) when told (the `found` call, made on the
// scan thread once each time paths start to wait; the page posts a message
// from it). Stop sets the stop flag and joins the thread, and drops what it
// found and was not taken; a new scan stops the one running first, and so does
// the destructor.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/base/file_play_ports.h"

namespace play {

// Every file below `folder` a drop takes, as folder\...\name, in the order the
// lister gives them (each folder's files and sub-folders as they come).
void WalkDroppedFolder(FolderLister& lister,
                       const std::string& folder,
                       const std::function<void(const std::string&)>& take);

// Every file below `folder` the scan takes; ends early once `stop` is set.
void WalkScanFolder(FolderLister& lister,
                    const std::string& folder,
                    const std::function<void(const std::string&)>& take,
                    const std::atomic<bool>& stop);

// What a drop of `items` (files and folders, full paths) adds, in order:
// the files below each folder, and each file that a drop takes. Items longer
// than kDropPathMax are passed over.
std::vector<std::string> CollectDroppedFiles(FolderLister& lister, const std::vector<std::string>& items);

class FolderScan {
  public:
    explicit FolderScan(FolderLister& lister) : lister_(lister) {}
    ~FolderScan();
    FolderScan(const FolderScan&) = delete;
    FolderScan& operator=(const FolderScan&) = delete;

    // Stops a scan still running, then walks `folder` on a new thread.
    void Start(const std::string& folder, std::function<void()> found);
    void Stop();
    // GUI thread: up to `most` of the paths found so far, in the order found.
    std::vector<std::string> TakeFound(size_t most);
    bool HasFound();
    // The thread is still walking.
    bool Running() const { return running_.load(); }

  private:
    void Walk(std::string folder);
    void Keep(const std::string& path);

    FolderLister& lister_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::function<void()> found_;
    std::mutex mutex_;
    std::vector<std::string> waiting_;  // guarded by mutex_
    size_t taken_ = 0;                  // of waiting_, by TakeFound; guarded by mutex_
};

}  // namespace play
