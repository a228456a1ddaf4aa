// app/base/file_play_ports.h
//
// What the local file player needs from the rest of the program, as small
// interfaces, so that its controllers (app/fileplay/file_play_controller.h,
// app/fileplay/play_list.h) make every decision and are tested with recording
// fakes: the playback library's file calls, the control bar's window, the
// play list's rows and the folders on the computer's disks. The configuration,
// folder creation and the clock are the play panes' ports (play_ports.h).
//
// Threads: everything is called on the GUI thread, except FilePlayer's
// ShowWaterMark (the draw callback, on the playback library's render thread)
// and FolderLister (the folder scan's thread).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace play {

// The playback library (VekPlay) as the file player calls it: one instance of
// type 0 that plays a file.
class FilePlayer {
  public:
    virtual ~FilePlayer() = default;
    virtual uint32_t CreatePlayInstance(int type) = 0;  // 0 failed
    virtual void DestroyPlayInstance(uint32_t handle) = 0;
    virtual void SetPlayWnd(uint32_t handle, uintptr_t window) = 0;
    virtual void SetCallbackMessage(uint32_t handle, uintptr_t window, unsigned message, uintptr_t user) = 0;
    // Registers the draw callback (the watermark logo) with the user word.
    virtual void RegisterDrawFun(uint32_t handle, uintptr_t user) = 0;
    virtual int OpenPlayFile(uint32_t handle, const std::string& path) = 0;  // 0 opened
    virtual void ClosePlayFile(uint32_t handle) = 0;
    // Microseconds since 1970 UTC of the first and last video frame; 0 when read.
    virtual int GetPlayFileTimeRange(uint32_t handle, uint64_t* first, uint64_t* last) = 0;
    virtual void StartPlay(uint32_t handle) = 0;
    virtual void StopPlay(uint32_t handle) = 0;
    virtual void SetPlayMode(uint32_t handle, int mode) = 0;
    virtual uint64_t GetCurPlayedTime(uint32_t handle) = 0;  // 0 while no time is known
    virtual void SetCurPlayedTime(uint32_t handle, uint64_t time) = 0;
    virtual void OpenSound(uint32_t handle) = 0;
    virtual void CloseSound(uint32_t handle) = 0;
    virtual void SetPlayVolume(uint32_t handle, int volume) = 0;  // VekPlaySetPlayVolume_s, 0..100
    virtual int CapturePicture(uint32_t handle, const std::string& path) = 0;  // -1 failed
    virtual bool ShowWaterMark(uint32_t handle) = 0;
};

// The control bar's window and what it shows (control ids of
// res/file_play_ids.h).
class FilePlayView {
  public:
    virtual ~FilePlayView() = default;
    virtual uintptr_t Window() const = 0;       // gets WM_FILEPLAY_END
    virtual uintptr_t VideoWindow() const = 0;  // the page's video window VekPlay draws into
    virtual void EnableControl(int id, bool enable) = 0;
    virtual void ShowControl(int id, bool show) = 0;
    virtual void SetChecked(int id, bool checked) = 0;  // a picture button's latched look
    virtual void SetTooltip(int id, const std::string& text) = 0;
    virtual void SetTimeText(const std::string& text) = 0;
    virtual void SetStateText(const std::string& text) = 0;
    virtual void SetSeekRange(int max) = 0;  // 0..max
    virtual void SetSeekPos(int position) = 0;
    virtual void SetVolumePos(int position) = 0;
    virtual void SetPlayTimer(bool on) = 0;  // timer 103, 1000 ms
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    virtual void ShowOpenPopup(bool show) = 0;
    virtual void EraseVideo() = 0;  // repaints the video window, erasing it
    virtual void RepaintBar() = 0;
    virtual void PostPlayListShown(bool shown) = 0;  // WM_PLAYLIST_SHOW to the page
};

// The play list's rows: one column of file names with a small image (0 idle,
// 1 playing).
class PlayListView {
  public:
    virtual ~PlayListView() = default;
    virtual void InsertRow(int row, const std::string& name) = 0;  // image 0
    virtual void DeleteRow(int row) = 0;
    virtual void DeleteAllRows() = 0;
    virtual void SetRowImage(int row, int image) = 0;
    virtual void Redraw() = 0;
};

// One entry of a folder.
struct FolderEntry {
    std::string name;
    bool folder = false;
};

// The folders of the computer's disks. Paths use '\' between folders.
class FolderLister {
  public:
    virtual ~FolderLister() = default;
    // Calls `each` for the entries of `folder` ("*.*", as the system lists
    // them, "." and ".." included) until it returns false; nothing when the
    // folder cannot be read.
    virtual void List(const std::string& folder, const std::function<bool(const FolderEntry&)>& each) = 0;
    virtual bool IsFolder(const std::string& path) = 0;
};

}  // namespace play
