// skin/core/sound_player.cpp
#include "skin/core/sound_player.h"

#include <mmsystem.h>

namespace {

constexpr DWORD kPlayFlags = SND_ALIAS | SND_NOWAIT | SND_NODEFAULT;  // 0x12002
constexpr DWORD kPollMilliseconds = 100;
constexpr int kMaxPolls = 10;

}  // namespace

CPlymSoundPlayer::CPlymSoundPlayer(const PlymSoundApi* api)
    : m_api(api ? *api : PlymSoundApi{&waveOutGetNumDevs, &PlaySoundA}) {
    m_soundAvailable = m_api.waveOutGetNumDevs() > 0;
    m_wake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CPlymSoundPlayer::~CPlymSoundPlayer() {
    Stop();
    if (m_wake)
        CloseHandle(m_wake);
}

void CPlymSoundPlayer::QueueSound(int sound) {
    if (!m_enabled || !m_soundAvailable || !m_wake)
        return;
    if (!m_thread) {
        m_stop = false;
        m_thread = CreateThread(nullptr, 0, &Worker, this, CREATE_SUSPENDED, nullptr);
        if (!m_thread)
            return;
        SetThreadPriority(m_thread, THREAD_PRIORITY_BELOW_NORMAL);
        ResumeThread(m_thread);
    }
    m_sound = sound;
    SetEvent(m_wake);
}

void CPlymSoundPlayer::Stop() {
    if (!m_thread)
        return;
    m_stop = true;
    SetEvent(m_wake);
    // A worker inside PlaySound returns once the sound is stopped.
    m_api.playSoundA(nullptr, nullptr, SND_PURGE);
    m_terminated = FALSE;
    DWORD code = STILL_ACTIVE;
    for (int polls = 0;; ++polls) {
        if (!GetExitCodeThread(m_thread, &code) || code != STILL_ACTIVE)
            break;
        if (polls > kMaxPolls) {
            TerminateThread(m_thread, 1);
            m_terminated = TRUE;
            break;
        }
        Sleep(kPollMilliseconds);
    }
    CloseHandle(m_thread);
    m_thread = nullptr;
    ResetEvent(m_wake);
}

DWORD WINAPI CPlymSoundPlayer::Worker(LPVOID self) {
    auto* player = static_cast<CPlymSoundPlayer*>(self);
    while (!player->m_stop) {
        const int sound = player->m_sound.exchange(kNone);
        if (sound == kMenuCommand || sound == kMenuPopup)
            player->m_api.playSoundA(sound == kMenuCommand ? "MenuCommand" : "MenuPopup", nullptr,
                                     kPlayFlags);
        WaitForSingleObject(player->m_wake, INFINITE);
        ResetEvent(player->m_wake);
    }
    player->m_api.playSoundA(nullptr, nullptr, SND_PURGE);
    return 0;
}

CPlymSoundPlayer* GetPlymSoundPlayer() {
    static CPlymSoundPlayer player;
    return &player;
}
