// app/base/library_ports.cpp
#include "app/base/library_ports.h"

#include "veknet/veknet_api.h"

namespace play {

namespace {

VekPlayWindow AsWindow(uintptr_t window) {
    return reinterpret_cast<VekPlayWindow>(window);
}

}  // namespace

// ---- VekPlay ------------------------------------------------------------------------------

uint32_t VekPlayPlayer::CreatePlayInstance(int type) {
    return VekPlayCreatePlayInstance(type);
}

void VekPlayPlayer::DestroyPlayInstance(uint32_t handle) {
    VekPlayDestroyPlayInstance(handle);
}

void VekPlayPlayer::SetPlayWnd(uint32_t handle, uintptr_t window) {
    VekPlaySetPlayWnd(handle, AsWindow(window));
}

void VekPlayPlayer::SetCallbackMessage(uint32_t handle, uintptr_t window, unsigned message, uintptr_t user) {
    VekPlaySetCallbackMessage(handle, AsWindow(window), message, user);
}

void VekPlayPlayer::RegisterDrawFun(uint32_t handle, uintptr_t /*user*/) {
    if (overlay_ != nullptr)
        VekPlayRegisterDrawFun(handle, &VekPlayPlayer::Draw, reinterpret_cast<uintptr_t>(overlay_));
}

void VEK_CALL VekPlayPlayer::Draw(VekPlayDC dc, int32_t width, int32_t height, uintptr_t user) {
    if (user != 0)
        reinterpret_cast<OverlayPainter*>(user)->PaintOverlay(dc, width, height);
}

void VekPlayPlayer::StartPlay(uint32_t handle) {
    VekPlayStartPlay(handle);
}

void VekPlayPlayer::StopPlay(uint32_t handle) {
    VekPlayStopPlay(handle);
}

void VekPlayPlayer::SetPlayMode(uint32_t handle, int mode) {
    VekPlaySetPlayMode(handle, mode, 0);
}

int VekPlayPlayer::GetPlayMode(uint32_t handle) {
    return VekPlayGetPlayMode(handle);
}

uint32_t VekPlayPlayer::InputNetFrame(uint32_t handle, const uint8_t* frame, uint32_t length) {
    return static_cast<uint32_t>(VekPlayInputNetFrame(handle, frame, length));
}

uint64_t VekPlayPlayer::GetCurPlayedTime(uint32_t handle) {
    return VekPlayGetCurPlayedTime(handle);
}

void VekPlayPlayer::OpenSound(uint32_t handle) {
    VekPlayOpenSound(handle);
}

void VekPlayPlayer::CloseSound(uint32_t handle) {
    VekPlayCloseSound(handle);
}

int VekPlayPlayer::GetPlayVolume(uint32_t handle) {
    return VekPlayGetPlayVolume_s(handle);
}

void VekPlayPlayer::SetPlayVolume(int volume) {
    VekPlaySetPlayVolume(volume);
}

int VekPlayPlayer::CapturePicture(uint32_t handle, const std::string& path) {
    return VekPlayCapturePicture(handle, path.c_str());
}

int VekPlayPlayer::StartLocalRecord(uint32_t handle, const std::string& path, int type) {
    return VekPlayStartlocalrecord(handle, path.c_str(), type, 0);
}

void VekPlayPlayer::StopLocalRecord(uint32_t handle) {
    uint64_t first = 0;
    uint64_t last = 0;
    VekPlayStoplocalrecord(handle, &first, &last);
}

void VekPlayPlayer::AddSyncPlayInstance(uint32_t master, uint32_t member) {
    VekPlayAddSyncPlayInstance(master, member);
}

bool VekPlayPlayer::ShowWaterMark(uint32_t handle) {
    return VekShowWaterMark(handle) != 0;
}

int VekPlayPlayer::OpenPlayFile(uint32_t handle, const std::string& path) {
    return VekPlayOpenPlayFile(handle, path.c_str());
}

void VekPlayPlayer::ClosePlayFile(uint32_t handle) {
    VekPlayClosePlayFile(handle);
}

int VekPlayPlayer::GetPlayFileTimeRange(uint32_t handle, uint64_t* first, uint64_t* last) {
    return VekPlayGetPlayFileTimeRange(handle, first, last);
}

void VekPlayPlayer::SetCurPlayedTime(uint32_t handle, uint64_t time) {
    VekPlaySetCurPlayedTime(handle, time);
}

void VekPlayPlayer::SetPlayVolume(uint32_t handle, int volume) {
    VekPlaySetPlayVolume_s(handle, volume);
}

// ---- VKFS ---------------------------------------------------------------------------------

void VkfsDiskSource::Play(FSDiskHandle disk,
                          const RecTime& from,
                          const RecTime& to,
                          int slot,
                          StreamSink* sink,
                          bool reportSpans) {
    FSPlay(disk, from, to, slot, reinterpret_cast<uintptr_t>(sink), &VkfsDiskSource::OnData,
           reportSpans ? &VkfsDiskSource::OnSpan : nullptr);
}

void VkfsDiskSource::StopPlay(FSDiskHandle disk, int slot) {
    FSStopPlay(disk, slot);
}

void VkfsDiskSource::SeekPlay(FSDiskHandle disk, const RecTime& time, int slot) {
    FSSeekPlay(disk, time, slot);
}

void VkfsDiskSource::RequestData(FSDiskHandle disk, int slot, bool on) {
    FSRequestData(disk, slot, on ? 1 : 0);
}

int VEK_CALL VkfsDiskSource::OnData(uintptr_t user, unsigned char* data, int length) {
    if (user != 0)
        reinterpret_cast<StreamSink*>(user)->OnDiskData(data, length);
    return 0;
}

int VEK_CALL VkfsDiskSource::OnSpan(uintptr_t user, RecTime start, RecTime end) {
    if (user != 0)
        reinterpret_cast<StreamSink*>(user)->OnRecordSpan(start, end);
    return 1;
}

// ---- VekNet -------------------------------------------------------------------------------

uint32_t VekNetSource::StartRecordPlay(int login, const NetPlayRequest& request, StreamSink* sink) {
    NetRecordPlayParam param{};
    param.channel = request.channel;
    param.reserved4 = -1;
    param.start = NetRecordTimeOf(request.start);
    param.end = NetRecordTimeOf(request.end);
    param.dataCallback = &VekNetSource::OnData;
    param.user = reinterpret_cast<uintptr_t>(sink);
    return VekNetStartRecordPlay(static_cast<uint32_t>(login), &param);
}

void VekNetSource::ReqRecordData(uint32_t play) {
    VekNetReqRecordData(play);
}

void VekNetSource::ReposRecordData(uint32_t play, const RecfileTime& position, const RecfileTime& end) {
    const NetRecordTime times[2] = {NetRecordTimeOf(position), NetRecordTimeOf(end)};
    VekNetReposRecordData(play, times);
}

void VekNetSource::ReplayRecordData(uint32_t play) {
    VekNetReplayRecordData(play);
}

void VekNetSource::StopRecordPlay(uint32_t play) {
    VekNetStopRecordPlay(&play);
}

int32_t VEK_CALL VekNetSource::OnData(const uint8_t* buffer, uint32_t length, uintptr_t user) {
    // Without a pane the frame counts as taken, so the library does not hold.
    if (user == 0)
        return 1;
    return reinterpret_cast<StreamSink*>(user)->OnNetData(buffer, static_cast<int>(length));
}

}  // namespace play
