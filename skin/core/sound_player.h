// skin/core/sound_player.h
//
// CPlymSoundPlayer: the menu sounds ("MenuCommand", "MenuPopup") played by a
// worker thread so that opening a menu never waits for the sound system. The
// worker starts on the first sound, and only when the machine has a sound
// device; it plays the latest queued sound and sleeps until the next.
//
// Stopping (on destruction and before every skin change) asks the worker to
// end, stops any sound playing (PlaySound(NULL, SND_PURGE)) so that it can,
// and waits up to about a second (polls every 100 ms); only a worker still
// running after that is terminated.
#pragma once

#include <windows.h>

#include <atomic>

// The sound functions the player calls (WINMM's unless a test gives others).
struct PlymSoundApi {
    UINT(WINAPI* waveOutGetNumDevs)();
    BOOL(WINAPI* playSoundA)(LPCSTR, HMODULE, DWORD);
};

class CPlymSoundPlayer {
  public:
    enum Sound { kNone = 0, kMenuCommand = 1, kMenuPopup = 2 };

    explicit CPlymSoundPlayer(const PlymSoundApi* api = nullptr);
    ~CPlymSoundPlayer();
    CPlymSoundPlayer(const CPlymSoundPlayer&) = delete;
    CPlymSoundPlayer& operator=(const CPlymSoundPlayer&) = delete;

    void QueueSound(int sound);
    void Stop();

    BOOL m_enabled = TRUE;
    BOOL HasSoundDevice() const { return m_soundAvailable; }
    BOOL IsWorkerRunning() const { return m_thread != nullptr; }
    // Whether the last Stop had to terminate the worker.
    BOOL LastStopTerminated() const { return m_terminated; }

  private:
    static DWORD WINAPI Worker(LPVOID self);

    PlymSoundApi m_api;
    std::atomic<int> m_sound{kNone};
    BOOL m_soundAvailable = FALSE;
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    HANDLE m_wake = nullptr;  // manual reset
    BOOL m_terminated = FALSE;
};

// The program's player, destroyed at process exit.
CPlymSoundPlayer* GetPlymSoundPlayer();
