// app/fileplay/play_list.h
//
// PlayList: the file player's play list without its window. It keeps the
// paths of the listed files, one a row (row n holds path n), sorted by file
// name, and the current row, and tells its view (PlayListView) how the rows
// change. The control bar (FilePlayController) asks it for the previous, next
// and current path; the list asks the bar to play a row or to stop and forget
// the file it plays.
//
// The rules:
//   - AddPath inserts by file name (byte order, case-sensitive) and makes the
//     row current; a file whose name is listed already (even from another
//     folder) adds nothing and makes that row current.
//   - PrevPath and NextPath move the current row one up or down and return its
//     path; past the top the current row is 0, past the bottom it is the row
//     count, and the result is empty. CurrentPath first brings an index
//     outside the rows back to 0.
//   - Deleting the current row stops the file and leaves no row current;
//     deleting a row above it keeps the same file current.
//   - Clearing (the Clear button, the page's reset) stops whatever plays,
//     whether or not a row is current.
//
// GUI thread only (the folder scan hands its paths over to it).
#pragma once

#include <string>
#include <vector>

#include "app/base/file_play_ports.h"

namespace play {

class FilePlayController;

class PlayList {
  public:
    explicit PlayList(PlayListView& view) : view_(view) {}

    void AttachPlayer(FilePlayController* player) { player_ = player; }

    // The row the path is in now, and current.
    int AddPath(const std::string& path);
    std::string PrevPath();
    std::string NextPath();
    std::string CurrentPath();

    // The Clear button and the page's reset.
    void ClearList();
    // The Delete button, with the first selected row (-1: none).
    void DeleteRow(int row);
    // A double click on a row (-1: no row).
    void OnDoubleClick(int row);
    // Every row idle / the current row playing.
    void MarkNone();
    void MarkCurrent();

    int count() const { return static_cast<int>(paths_.size()); }
    int currentIndex() const { return current_; }
    const std::string& PathAt(int row) const { return paths_.at(static_cast<size_t>(row)); }

  private:
    void StopAndForget();

    PlayListView& view_;
    FilePlayController* player_ = nullptr;
    std::vector<std::string> paths_;
    std::vector<std::string> names_;  // the file names, in the same order
    int current_ = -1;
};

}  // namespace play
