// app/browse/list_playback.h
//
// What a recording list asks of the playback frame beside it, as one object:
// the disk list's PlaybackControl and the network list's NetPlayback (the two
// share StopAllAndClear and AddTimebarRecord). The page that holds both the
// list and the frame makes it (app/play/file_list_playback.h) and hands it to
// the list before the list's window is made. A list on its own has
// NoPlayback, whose calls do nothing.
#pragma once

#include <optional>

#include "app/browse/device_list_model.h"
#include "app/browse/file_list_model.h"

namespace browse {

class ListPlayback : public PlaybackControl, public NetPlayback {};

class NoPlayback final : public ListPlayback {
  public:
    void StopAllAndClear() override {}
    void AddTimebarRecord(int, const play::_recfile_info_t&) override {}
    bool HasSyncMaster() override { return false; }
    bool PaneHasPlay(int) override { return false; }
    void PlayPane(int) override {}
    void SetCursorTime(int, int, int, int, bool) override {}
    void StoreSeekTime(const RowSeekTime&) override {}
    void SyncSeekAll() override {}
    void SeekPane(int) override {}
    void SelectPane(int) override {}
    void ClearRecords(int) override {}
    void SetPlayDay(int, std::optional<CalendarDate>) override {}
    void PostRecordsChanged() override {}
};

}  // namespace browse
