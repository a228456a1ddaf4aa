// app/fileplay/play_list.cpp
#include "app/fileplay/play_list.h"

#include <algorithm>

#include "app/fileplay/file_play_controller.h"
#include "app/fileplay/file_play_names.h"

namespace play {

int PlayList::AddPath(const std::string& path) {
    const std::string name = FileNameOf(path);
    // The names stay sorted, so the first row not before the name is where a
    // walk down the rows would stop.
    const auto at = std::lower_bound(names_.begin(), names_.end(), name);
    const int row = static_cast<int>(at - names_.begin());
    if (at != names_.end() && *at == name) {
        current_ = row;
        return row;
    }
    names_.insert(at, name);
    paths_.insert(paths_.begin() + row, path);
    view_.InsertRow(row, name);
    current_ = row;
    return row;
}

std::string PlayList::PrevPath() {
    --current_;
    if (current_ < 0) {
        current_ = 0;
        return {};
    }
    if (current_ >= count())
        return {};
    return paths_[static_cast<size_t>(current_)];
}

std::string PlayList::NextPath() {
    ++current_;
    if (current_ >= count()) {
        current_ = count();
        return {};
    }
    if (current_ < 0)
        return {};
    return paths_[static_cast<size_t>(current_)];
}

std::string PlayList::CurrentPath() {
    if (current_ < 0 || current_ >= count())
        current_ = 0;
    return current_ < count() ? paths_[static_cast<size_t>(current_)] : std::string();
}

void PlayList::ClearList() {
    // Whatever plays stops, even a file whose row is no longer current (a
    // double click on no row leaves none current while the file plays on).
    StopAndForget();
    current_ = -1;
    view_.DeleteAllRows();
    paths_.clear();
    names_.clear();
}

void PlayList::DeleteRow(int row) {
    if (row < 0 || row >= count())
        return;
    if (row == current_) {
        StopAndForget();
        current_ = -1;
    }
    view_.DeleteRow(row);
    if (current_ > row)
        --current_;
    paths_.erase(paths_.begin() + row);
    names_.erase(names_.begin() + row);
    view_.Redraw();
}

void PlayList::OnDoubleClick(int row) {
    current_ = row < count() ? row : -1;
    if (current_ >= 0 && player_ != nullptr)
        player_->PlayPath(paths_[static_cast<size_t>(current_)]);
}

void PlayList::MarkNone() {
    for (int row = 0; row < count(); ++row)
        view_.SetRowImage(row, 0);
}

void PlayList::MarkCurrent() {
    if (current_ >= 0 && current_ < count())
        view_.SetRowImage(current_, 1);
}

void PlayList::StopAndForget() {
    if (player_ != nullptr)
        player_->StopAndForget();
}

}  // namespace play
