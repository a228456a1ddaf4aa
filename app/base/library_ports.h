// app/base/library_ports.h
//
// The panes' and the tool bar's Player, DiskSource and NetSource over the real
// libraries: VekPlay, VKFS and VekNet. Every call is carried over as it is. The
// libraries call back on their own threads through plain C functions with one
// user word; the functions here take that word back to the object it stands
// for (the pane's StreamSink, or the pane's overlay painter) and do nothing
// else.
//
// The draw callback: a pane registers its user word with Player::RegisterDrawFun,
// but drawing needs the pane's window side (its logo and device contexts), so
// a VekPlayPlayer is made with the painter of its pane and registers that
// painter instead. A player without one (the tool bar's) registers no callback.
//
// The same object serves the file player's control bar (FilePlayer: the calls
// of both interfaces that share a name are the one library call).
#pragma once

#include <cstdint>
#include <string>

#include "app/base/file_play_ports.h"
#include "app/base/play_ports.h"
#include "vekplay/vekplay_api.h"

namespace play {

// Draws over a pane's picture; called on the playback library's render thread,
// before the picture is shown.
class OverlayPainter {
  public:
    virtual ~OverlayPainter() = default;
    virtual void PaintOverlay(VekPlayDC dc, int width, int height) = 0;
};

class VekPlayPlayer final : public Player, public FilePlayer {
  public:
    explicit VekPlayPlayer(OverlayPainter* overlay = nullptr) : overlay_(overlay) {}

    uint32_t CreatePlayInstance(int type) override;
    void DestroyPlayInstance(uint32_t handle) override;
    void SetPlayWnd(uint32_t handle, uintptr_t window) override;
    void SetCallbackMessage(uint32_t handle, uintptr_t window, unsigned message, uintptr_t user) override;
    void RegisterDrawFun(uint32_t handle, uintptr_t user) override;
    void StartPlay(uint32_t handle) override;
    void StopPlay(uint32_t handle) override;
    void SetPlayMode(uint32_t handle, int mode) override;
    int GetPlayMode(uint32_t handle) override;
    uint32_t InputNetFrame(uint32_t handle, const uint8_t* frame, uint32_t length) override;
    uint64_t GetCurPlayedTime(uint32_t handle) override;
    void OpenSound(uint32_t handle) override;
    void CloseSound(uint32_t handle) override;
    int GetPlayVolume(uint32_t handle) override;
    void SetPlayVolume(int volume) override;
    int CapturePicture(uint32_t handle, const std::string& path) override;
    int StartLocalRecord(uint32_t handle, const std::string& path, int type) override;
    void StopLocalRecord(uint32_t handle) override;
    void AddSyncPlayInstance(uint32_t master, uint32_t member) override;
    bool ShowWaterMark(uint32_t handle) override;
    // FilePlayer's own calls.
    int OpenPlayFile(uint32_t handle, const std::string& path) override;
    void ClosePlayFile(uint32_t handle) override;
    int GetPlayFileTimeRange(uint32_t handle, uint64_t* first, uint64_t* last) override;
    void SetCurPlayedTime(uint32_t handle, uint64_t time) override;
    void SetPlayVolume(uint32_t handle, int volume) override;

  private:
    static void VEK_CALL Draw(VekPlayDC dc, int32_t width, int32_t height, uintptr_t user);

    OverlayPainter* overlay_;
};

class VkfsDiskSource final : public DiskSource {
  public:
    void Play(FSDiskHandle disk,
              const RecTime& from,
              const RecTime& to,
              int slot,
              StreamSink* sink,
              bool reportSpans) override;
    void StopPlay(FSDiskHandle disk, int slot) override;
    void SeekPlay(FSDiskHandle disk, const RecTime& time, int slot) override;
    void RequestData(FSDiskHandle disk, int slot, bool on) override;

  private:
    static int VEK_CALL OnData(uintptr_t user, unsigned char* data, int length);
    static int VEK_CALL OnSpan(uintptr_t user, RecTime start, RecTime end);
};

class VekNetSource final : public NetSource {
  public:
    uint32_t StartRecordPlay(int login, const NetPlayRequest& request, StreamSink* sink) override;
    void ReqRecordData(uint32_t play) override;
    void ReposRecordData(uint32_t play, const RecfileTime& position, const RecfileTime& end) override;
    void ReplayRecordData(uint32_t play) override;
    void StopRecordPlay(uint32_t play) override;

  private:
    static int32_t VEK_CALL OnData(const uint8_t* buffer, uint32_t length, uintptr_t user);
};

}  // namespace play
