// The file player's play list with its control bar over recording fakes: the
// sorted insert, the current row, previous and next at the ends, delete with
// re-keying, clear and double click.
#include <gtest/gtest.h>

#include "tests/app/fileplay/file_play_fakes.h"

namespace {

using namespace playtest;

TEST(PlayList, InsertsByFileNameAndAListedNameOnlyBecomesCurrent) {
    FilePlayRig rig;
    EXPECT_EQ(rig.list.AddPath("C:\\v\\m.avi"), 0);
    EXPECT_EQ(rig.list.AddPath("D:\\x\\b.264"), 0);
    EXPECT_EQ(rig.list.AddPath("C:\\v\\z.h264"), 2);
    EXPECT_EQ(rig.list.AddPath("C:\\v\\B.avi"), 0);  // byte order: capitals first
    EXPECT_EQ(rig.list.AddPath("plain.nvr"), 3);     // a path without a folder
    EXPECT_EQ(rig.rows.Names(), (std::vector<std::string>{"B.avi", "b.264", "m.avi", "plain.nvr", "z.h264"}));
    EXPECT_EQ(rig.list.currentIndex(), 3);

    // The same name from another folder adds nothing and makes that row current.
    EXPECT_EQ(rig.list.AddPath("E:\\other\\m.avi"), 2);
    EXPECT_EQ(rig.list.count(), 5);
    EXPECT_EQ(rig.list.currentIndex(), 2);
    EXPECT_EQ(rig.list.PathAt(2), "C:\\v\\m.avi");
    EXPECT_EQ(rig.list.CurrentPath(), "C:\\v\\m.avi");
}

TEST(PlayList, NextAtTheLastRowStopsAndPreviousThenPlaysTheLastRow) {
    FilePlayRig rig;
    for (const char* path : {"C:\\v\\a.avi", "C:\\v\\b.avi", "C:\\v\\c.avi"})
        rig.list.AddPath(path);
    rig.list.OnDoubleClick(1);
    EXPECT_EQ(rig.OpenFile(), "C:\\v\\b.avi");
    EXPECT_EQ(rig.rows.Images(), (std::vector<int>{0, 1, 0}));

    rig.bar.OnNext();
    EXPECT_EQ(rig.OpenFile(), "C:\\v\\c.avi");
    EXPECT_EQ(rig.rows.Images(), (std::vector<int>{0, 0, 1}));
    rig.bar.OnNext();  // past the last row: stopped, the index at the row count
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    EXPECT_EQ(rig.list.currentIndex(), 3);
    EXPECT_EQ(rig.rows.Images(), (std::vector<int>{0, 0, 0}));
    rig.bar.OnNext();
    EXPECT_EQ(rig.list.currentIndex(), 3);

    rig.bar.OnPrevious();
    EXPECT_EQ(rig.OpenFile(), "C:\\v\\c.avi");
    EXPECT_EQ(rig.list.currentIndex(), 2);
}

TEST(PlayList, PreviousAtTheFirstRowStopsAndPlaysNothing) {
    FilePlayRig rig;
    rig.list.AddPath("C:\\v\\b.avi");
    rig.list.AddPath("C:\\v\\a.avi");
    rig.list.OnDoubleClick(0);
    ASSERT_EQ(rig.OpenFile(), "C:\\v\\a.avi");
    rig.bar.OnPrevious();
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    EXPECT_EQ(rig.list.currentIndex(), 0);
    EXPECT_EQ(rig.log.Count("Create(0)=102"), 0);
    rig.bar.OnNext();
    EXPECT_EQ(rig.OpenFile(), "C:\\v\\b.avi");
}

TEST(PlayList, DeletingThePlayingRowStopsAndARowAboveKeepsTheSameFileCurrent) {
    FilePlayRig rig;
    for (const char* path : {"C:\\v\\a.avi", "C:\\v\\b.avi", "C:\\v\\c.avi", "C:\\v\\d.avi"})
        rig.list.AddPath(path);
    rig.list.OnDoubleClick(2);
    ASSERT_EQ(rig.OpenFile(), "C:\\v\\c.avi");

    rig.list.DeleteRow(0);  // above the playing row
    EXPECT_EQ(rig.OpenFile(), "C:\\v\\c.avi");
    EXPECT_EQ(rig.list.currentIndex(), 1);
    EXPECT_EQ(rig.rows.Names(), (std::vector<std::string>{"b.avi", "c.avi", "d.avi"}));
    for (int row = 0; row < rig.list.count(); ++row)  // row n keeps path n
        EXPECT_EQ(rig.list.PathAt(row), "C:\\v\\" + rig.rows.Names()[static_cast<size_t>(row)]);
    EXPECT_EQ(rig.rows.redraws, 1);

    rig.list.DeleteRow(-1);  // nothing selected
    rig.list.DeleteRow(3);   // past the end
    EXPECT_EQ(rig.list.count(), 3);

    rig.list.DeleteRow(1);  // the playing row
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    EXPECT_EQ(rig.bar.currentPath(), "");
    EXPECT_EQ(rig.list.currentIndex(), -1);
    EXPECT_EQ(rig.rows.Names(), (std::vector<std::string>{"b.avi", "d.avi"}));
    rig.bar.OnPlay();  // no current path: nothing
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    rig.bar.OnNext();  // the next row after none: the first
    EXPECT_EQ(rig.OpenFile(), "C:\\v\\b.avi");
}

TEST(PlayList, ClearStopsTheFileAndADoubleClickOnNoRowLeavesNoneCurrent) {
    FilePlayRig rig;
    rig.list.AddPath("C:\\v\\a.avi");
    rig.list.AddPath("C:\\v\\b.avi");
    rig.list.OnDoubleClick(5);  // no such row
    EXPECT_EQ(rig.list.currentIndex(), -1);
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    rig.list.OnDoubleClick(-1);
    EXPECT_EQ(rig.list.currentIndex(), -1);

    rig.list.OnDoubleClick(0);
    ASSERT_EQ(rig.OpenFile(), "C:\\v\\a.avi");
    rig.list.ClearList();
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    EXPECT_EQ(rig.bar.currentPath(), "");
    EXPECT_EQ(rig.list.count(), 0);
    EXPECT_TRUE(rig.rows.rows.empty());
    EXPECT_EQ(rig.list.CurrentPath(), "");
    EXPECT_EQ(rig.list.NextPath(), "");
    EXPECT_EQ(rig.list.PrevPath(), "");
}

// A double click on the list's empty part leaves no row current while the
// file plays on; Clear (and the page's reset, which clears) still stops it.
TEST(PlayList, ClearAfterADoubleClickOnNoRowStopsTheFileThatPlays) {
    FilePlayRig rig;
    rig.list.AddPath("C:\\v\\a.avi");
    rig.list.AddPath("C:\\v\\b.avi");
    rig.list.OnDoubleClick(1);
    const uint32_t h = rig.bar.playHandle();
    ASSERT_EQ(rig.OpenFile(), "C:\\v\\b.avi");
    rig.list.OnDoubleClick(-1);
    ASSERT_EQ(rig.list.currentIndex(), -1);
    ASSERT_EQ(rig.OpenFile(), "C:\\v\\b.avi");

    rig.list.ClearList();
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    EXPECT_TRUE(rig.player.open.empty());
    EXPECT_TRUE(rig.player.sounding.empty());
    EXPECT_TRUE(rig.log.Has("Destroy(" + H(h) + ")"));
    EXPECT_EQ(rig.bar.currentPath(), "");
}

}  // namespace
