// What a drop and the folder scan take from a tree of folders (an in-memory
// lister), and the scan thread: it hands its paths over to the taking thread
// only, stops early, is joined when stopped or destroyed, and a second scan
// stops the first.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/fileplay/file_play_names.h"
#include "app/fileplay/folder_walk.h"

namespace {

using namespace play;
using Paths = std::vector<std::string>;

// Folders by path; every other path is a file. Lists "." and ".." first, as
// the system does. Safe to call from the scan thread.
class TreeLister final : public FolderLister {
  public:
    void Add(const std::string& folder, std::vector<FolderEntry> entries) {
        tree_[folder] = std::move(entries);
    }

    void List(const std::string& folder, const std::function<bool(const FolderEntry&)>& each) override {
        const auto it = tree_.find(folder);
        if (it == tree_.end())
            return;
        if (!each({".", true}) || !each({"..", true}))
            return;
        for (const FolderEntry& entry : it->second) {
            ++listed;
            if (delay.count() > 0)
                std::this_thread::sleep_for(delay);
            if (!each(entry))
                return;
        }
    }
    bool IsFolder(const std::string& path) override { return tree_.count(path) != 0; }

    std::atomic<int> listed{0};
    std::chrono::microseconds delay{0};

  private:
    std::map<std::string, std::vector<FolderEntry>> tree_;
};

void AddSampleTree(TreeLister& lister) {
    lister.Add("C:\\in", {{"a.avi", false},
                          {"B.AVI", false},
                          {"c.H264", false},
                          {"d.264", false},
                          {"e.nvr", false},
                          {"264", false},
                          {"x", false},
                          {"notes.txt", false},
                          {"sub", true},
                          {".hidden", true},
                          {"clip.avi", true}});
    lister.Add("C:\\in\\sub", {{"f.264", false}, {"g.Nvr", false}, {"deeper", true}});
    lister.Add("C:\\in\\sub\\deeper", {{"h.avi", false}});
    lister.Add("C:\\in\\.hidden", {{"i.264", false}});
    lister.Add("C:\\in\\clip.avi", {{"j.avi", false}});
}

TEST(FolderWalk, ADropTakesEveryVideoBelowItsFoldersInAnyCase) {
    TreeLister lister;
    AddSampleTree(lister);
    const Paths items = {"C:\\in", "C:\\loose\\k.H264", "C:\\loose\\readme", "C:\\loose\\l.mp4", ""};
    EXPECT_EQ(CollectDroppedFiles(lister, items),
              (Paths{"C:\\in\\a.avi", "C:\\in\\B.AVI", "C:\\in\\c.H264", "C:\\in\\d.264", "C:\\in\\e.nvr",
                     "C:\\in\\sub\\f.264", "C:\\in\\sub\\g.Nvr", "C:\\in\\sub\\deeper\\h.avi",
                     "C:\\in\\.hidden\\i.264", "C:\\in\\clip.avi\\j.avi", "C:\\loose\\k.H264"}));
}

TEST(FolderWalk, TheScanTakesLowerCase264AndAviAndPassesOverDotFolders) {
    TreeLister lister;
    AddSampleTree(lister);
    Paths taken;
    const std::atomic<bool> stop{false};
    WalkScanFolder(
        lister, "C:\\in", [&taken](const std::string& p) { taken.push_back(p); }, stop);
    EXPECT_EQ(taken, (Paths{"C:\\in\\a.avi", "C:\\in\\d.264", "C:\\in\\sub\\f.264",
                            "C:\\in\\sub\\deeper\\h.avi", "C:\\in\\clip.avi\\j.avi"}));
}

TEST(FolderWalk, PathsPastTheirBoundArePassedOverNotCut) {
    TreeLister lister;
    // A chain of folders, each adding 51 characters, with a file in each.
    std::string folder = "C:\\deep";
    for (int level = 0; level < 12; ++level) {
        const std::string sub(50, static_cast<char>('a' + level));
        lister.Add(folder, {{"v.264", false}, {sub, true}});
        folder += "\\" + sub;
    }
    Paths scanned;
    const std::atomic<bool> stop{false};
    WalkScanFolder(
        lister, "C:\\deep", [&scanned](const std::string& p) { scanned.push_back(p); }, stop);
    Paths dropped = CollectDroppedFiles(lister, {"C:\\deep"});
    ASSERT_FALSE(scanned.empty());
    for (const std::string& p : scanned)
        EXPECT_LE(p.size(), kScanPathMax);
    for (const std::string& p : dropped)
        EXPECT_LE(p.size(), kDropPathMax);
    // The file n levels down has 13 + 51 n characters.
    EXPECT_EQ(scanned.size(), 5u);   // up to 217; the next would have 268
    EXPECT_EQ(dropped.size(), 10u);  // up to 472; the next would have 523
    EXPECT_EQ(scanned.back().substr(scanned.back().size() - 6), "\\v.264");
}

// A big folder that takes a while to walk.
void AddBigFolder(TreeLister& lister, const std::string& folder, int files) {
    std::vector<FolderEntry> entries;
    for (int i = 0; i < files; ++i)
        entries.push_back({"f" + std::to_string(100000 + i) + ".264", false});
    lister.Add(folder, std::move(entries));
}

TEST(FolderScan, HandsEveryPathOverToTheTakingThreadAndTellsFromItsOwn) {
    TreeLister lister;
    AddBigFolder(lister, "C:\\big", 300);
    FolderScan scan(lister);
    std::atomic<int> told{0};
    std::atomic<bool> toldOnOwnThread{true};
    const std::thread::id me = std::this_thread::get_id();
    scan.Start("C:\\big", [&] {
        ++told;
        if (std::this_thread::get_id() == me)
            toldOnOwnThread = false;
    });
    Paths taken;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((scan.Running() || scan.HasFound()) && std::chrono::steady_clock::now() < deadline) {
        for (std::string& p : scan.TakeFound(16))  // a few at a time, as the page does
            taken.push_back(std::move(p));
        std::this_thread::yield();
    }
    ASSERT_EQ(taken.size(), 300u);
    for (size_t i = 0; i < taken.size(); ++i)
        EXPECT_EQ(taken[i], "C:\\big\\f" + std::to_string(100000 + i) + ".264");
    EXPECT_GE(told.load(), 1);
    EXPECT_TRUE(toldOnOwnThread.load());
}

TEST(FolderScan, StopsEarlyAndASecondScanStopsTheFirstAndDropsWhatItFound) {
    TreeLister lister;
    lister.delay = std::chrono::microseconds(200);
    AddBigFolder(lister, "C:\\first", 100000);  // 20 s at the least, were it walked to the end
    lister.Add("C:\\second", {{"only.avi", false}});
    FolderScan scan(lister);
    scan.Start("C:\\first", [] {});
    while (!scan.HasFound())
        std::this_thread::yield();

    const auto started = std::chrono::steady_clock::now();
    scan.Start("C:\\second", [] {});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    while (scan.Running())
        std::this_thread::yield();
    EXPECT_EQ(scan.TakeFound(1000), Paths{"C:\\second\\only.avi"});
    EXPECT_LT(lister.listed.load(), 100000);

    // Stopped, and destroyed while walking: joined, nothing left.
    scan.Start("C:\\first", [] {});
    scan.Stop();
    EXPECT_FALSE(scan.Running());
    EXPECT_FALSE(scan.HasFound());
    auto walking = std::make_unique<FolderScan>(lister);
    walking->Start("C:\\first", [] {});
    walking.reset();
}

}  // namespace
