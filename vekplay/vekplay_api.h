// vekplay/vekplay_api.h
//
// VekPlay: the playback library of the program (VekPlay.dll). It decodes,
// draws and sounds the recorder's frames, from a stream the caller feeds or
// from a file, takes snapshots and records clips.
//
// Handles are non-zero 32-bit ids (0 = none or failure); a handle that was
// destroyed or never given out makes a call do nothing and fail (-1, or 0 for
// the calls that return a time or a handle). Times are microseconds since
// 1970-01-01 00:00 UTC.
//
// Notices are posted (never sent) to the window registered with
// VekPlaySetCallbackMessage: wParam = code, lParam = the user word.
//   1   the input wants data again (after a refusal of VekPlayInputNetFrame)
//   11  end: a stream's end mark played out, a file's last frame played, or
//       every member of a synchronised master ended
//
// Threads: every instance has a render thread that decodes and draws into the
// play window; the draw callback runs on it, before the picture is shown, and
// may call back into the library. VekPlayInputNetFrame may be called from any
// thread and never waits. VekPlayDestroyPlayInstance joins the render thread:
// when it returns, no callback runs and nothing more is posted for it.
#pragma once

#include <stdint.h>

#include "platform/callconv.h"

#ifdef _WIN32
#include <windows.h>
typedef HWND VekPlayWindow;
typedef HDC VekPlayDC;
#else
typedef void* VekPlayWindow;
typedef void* VekPlayDC;
#endif

typedef uint32_t VEKPLAY_HANDLE;

// Instance types of VekPlayCreatePlayInstance.
#define VEKPLAY_TYPE_FILE 0
#define VEKPLAY_TYPE_STREAM 1
#define VEKPLAY_TYPE_SYNC_MASTER 4

// VekPlayInputNetFrame: the input is full; the frame was not taken.
#define VEKPLAY_INPUT_FULL 0x8007000E

// Notice codes (wParam).
#define VEKPLAY_NOTIFY_WANT_DATA 1
#define VEKPLAY_NOTIFY_END 11

// Draw callback: the device context being drawn, its width and height in
// pixels, and the user word given at registration.
typedef void(VEK_CALL* VekPlayDrawFun)(VekPlayDC dc, int32_t width, int32_t height, uintptr_t user);

#ifdef __cplusplus
extern "C" {
#endif

// Library. The watermark switch is set once before initialisation.
int32_t VEK_CALL VekUseWaterMarkDecorder(int32_t use);
int32_t VEK_CALL VekPlayInitPlayLib(int32_t reserved1, int32_t reserved2, int32_t reserved3);
// Destroys every instance still alive.
int32_t VEK_CALL VekPlayDeinitPlayLib(void);

// Instances: type 0 file, 1 stream, 4 synchronised master; 0 on failure.
VEKPLAY_HANDLE VEK_CALL VekPlayCreatePlayInstance(int32_t type);
int32_t VEK_CALL VekPlayDestroyPlayInstance(VEKPLAY_HANDLE handle);
int32_t VEK_CALL VekPlaySetPlayWnd(VEKPLAY_HANDLE handle, VekPlayWindow window);
int32_t VEK_CALL VekPlaySetCallbackMessage(VEKPLAY_HANDLE handle,
                                           VekPlayWindow window,
                                           uint32_t message,
                                           uintptr_t user);
int32_t VEK_CALL VekPlayRegisterDrawFun(VEKPLAY_HANDLE handle, VekPlayDrawFun callback, uintptr_t user);

// Playing. Start and stop keep the input, the open file and its position.
int32_t VEK_CALL VekPlayStartPlay(VEKPLAY_HANDLE handle);
int32_t VEK_CALL VekPlayStopPlay(VEKPLAY_HANDLE handle);
// Modes: 1 normal, 2 reposition, 3 pause, 0x30 next frame, 7/6/5/4 1/16..1/2,
// 0x10..0x13 x2..x16. The mode reported is the last rate, pause or step mode,
// and 2 while stopped.
int32_t VEK_CALL VekPlaySetPlayMode(VEKPLAY_HANDLE handle, int32_t mode, int32_t reserved);
int32_t VEK_CALL VekPlayGetPlayMode(VEKPLAY_HANDLE handle);

// A whole recorder frame (40-byte header and payload). 0 taken (malformed
// frames are taken and dropped), VEKPLAY_INPUT_FULL when full (not taken; code
// 1 follows once the input has room again), -1 for a bad handle. A null frame
// or a length of 0 is the end mark.
int32_t VEK_CALL VekPlayInputNetFrame(VEKPLAY_HANDLE handle, const uint8_t* frame, uint32_t length);

// Files: raw frame streams (.264, .h264, .nvr), the program's .264 container and
// its AVI files. 0 when opened.
int32_t VEK_CALL VekPlayOpenPlayFile(VEKPLAY_HANDLE handle, const char* path);
int32_t VEK_CALL VekPlayClosePlayFile(VEKPLAY_HANDLE handle);
int32_t VEK_CALL VekPlayGetPlayFileTimeRange(VEKPLAY_HANDLE handle, uint64_t* first, uint64_t* last);

// Time of the last video frame shown (a master: its clock); 0 before any.
uint64_t VEK_CALL VekPlayGetCurPlayedTime(VEKPLAY_HANDLE handle);
// Files: play from the key frame at or before the time, showing from the time on.
int32_t VEK_CALL VekPlaySetCurPlayedTime(VEKPLAY_HANDLE handle, uint64_t time);

// Sound (played at normal speed only) and volumes 0..100.
int32_t VEK_CALL VekPlayOpenSound(VEKPLAY_HANDLE handle);
int32_t VEK_CALL VekPlayCloseSound(VEKPLAY_HANDLE handle);
int32_t VEK_CALL VekPlaySetPlayVolume_s(VEKPLAY_HANDLE handle, int32_t volume);
int32_t VEK_CALL VekPlayGetPlayVolume_s(VEKPLAY_HANDLE handle);
int32_t VEK_CALL VekPlaySetPlayVolume(int32_t volume);

// The picture shown, as a 24-bit BMP file; -1 on failure.
int32_t VEK_CALL VekPlayCapturePicture(VEKPLAY_HANDLE handle, const char* path);
// Clip of what plays from the next key frame on, as AVI data (type 1 ".mp4",
// 2 ".avi"); 0 when started.
int32_t VEK_CALL VekPlayStartlocalrecord(VEKPLAY_HANDLE handle,
                                         const char* path,
                                         int32_t type,
                                         int32_t reserved);
// Finishes the clip; first and last (may be null) receive the times of its
// first and last frame.
int32_t VEK_CALL VekPlayStoplocalrecord(VEKPLAY_HANDLE handle, uint64_t* first, uint64_t* last);

// The member plays in step with the master's clock.
int32_t VEK_CALL VekPlayAddSyncPlayInstance(VEKPLAY_HANDLE master, VEKPLAY_HANDLE member);

// Non-zero when the watermark decoder is in use (the overlay logo is drawn).
int32_t VEK_CALL VekShowWaterMark(VEKPLAY_HANDLE handle);

#ifdef __cplusplus
}
#endif
