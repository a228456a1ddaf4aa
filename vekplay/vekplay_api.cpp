// vekplay/vekplay_api.cpp
//
// The exported calls: each finds its instance by handle and hands over. No
// exception leaves the library.
#include "vekplay/vekplay_api.h"

#include <exception>

#include "vekplay/media_decoder.h"
#include "vekplay/play_registry.h"

namespace {

using vekplay::FindInstance;
using vekplay::Instance;

// Runs `body` on the instance of `handle`; `failed` for a stale handle or an
// exception (an allocation failing).
template <typename Result, typename Body>
Result WithInstance(VEKPLAY_HANDLE handle, Result failed, Body&& body) {
    try {
        const std::shared_ptr<Instance> instance = FindInstance(handle);
        if (!instance)
            return failed;
        return body(*instance);
    } catch (...) {
        return failed;
    }
}

}  // namespace

extern "C" {

int32_t VEK_CALL VekUseWaterMarkDecorder(int32_t use) {
    vekplay::SetWatermark(use != 0);
    return 0;
}

int32_t VEK_CALL VekPlayInitPlayLib(int32_t, int32_t, int32_t) {
    try {
        vekplay::InitMediaLibraries();
        vekplay::CurrentHost();
        return 0;
    } catch (...) {
        return -1;
    }
}

int32_t VEK_CALL VekPlayDeinitPlayLib(void) {
    try {
        vekplay::DestroyAllInstances();
        return 0;
    } catch (...) {
        return -1;
    }
}

VEKPLAY_HANDLE VEK_CALL VekPlayCreatePlayInstance(int32_t type) {
    using vekplay::InstanceKind;
    InstanceKind kind;
    switch (type) {
        case VEKPLAY_TYPE_FILE:
            kind = InstanceKind::kFile;
            break;
        case VEKPLAY_TYPE_STREAM:
            kind = InstanceKind::kStream;
            break;
        case VEKPLAY_TYPE_SYNC_MASTER:
            kind = InstanceKind::kMaster;
            break;
        default:
            return 0;
    }
    try {
        return vekplay::CreateInstance(kind);
    } catch (...) {
        return 0;
    }
}

int32_t VEK_CALL VekPlayDestroyPlayInstance(VEKPLAY_HANDLE handle) {
    try {
        return vekplay::DestroyInstance(handle) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

int32_t VEK_CALL VekPlaySetPlayWnd(VEKPLAY_HANDLE handle, VekPlayWindow window) {
    return WithInstance(handle, -1, [&](Instance& i) {
        i.SetWindow(reinterpret_cast<uintptr_t>(window));
        return 0;
    });
}

int32_t VEK_CALL VekPlaySetCallbackMessage(VEKPLAY_HANDLE handle,
                                           VekPlayWindow window,
                                           uint32_t message,
                                           uintptr_t user) {
    return WithInstance(handle, -1, [&](Instance& i) {
        i.SetNotify(reinterpret_cast<uintptr_t>(window), message, user);
        return 0;
    });
}

int32_t VEK_CALL VekPlayRegisterDrawFun(VEKPLAY_HANDLE handle, VekPlayDrawFun callback, uintptr_t user) {
    return WithInstance(handle, -1, [&](Instance& i) {
        vekplay::DrawHook hook;
        hook.fn = reinterpret_cast<vekplay::AnyFunction>(callback);
        hook.user = user;
        i.SetDrawHook(hook);
        return 0;
    });
}

int32_t VEK_CALL VekPlayStartPlay(VEKPLAY_HANDLE handle) {
    return WithInstance(handle, -1, [](Instance& i) { return i.Start(); });
}

int32_t VEK_CALL VekPlayStopPlay(VEKPLAY_HANDLE handle) {
    return WithInstance(handle, -1, [](Instance& i) { return i.Stop(); });
}

int32_t VEK_CALL VekPlaySetPlayMode(VEKPLAY_HANDLE handle, int32_t mode, int32_t) {
    return WithInstance(handle, -1, [&](Instance& i) { return i.SetMode(mode); });
}

int32_t VEK_CALL VekPlayGetPlayMode(VEKPLAY_HANDLE handle) {
    return WithInstance(handle, -1, [](Instance& i) { return i.GetMode(); });
}

int32_t VEK_CALL VekPlayInputNetFrame(VEKPLAY_HANDLE handle, const uint8_t* frame, uint32_t length) {
    // A stale handle is not "full": the caller would wait for a code 1 that
    // never comes.
    return WithInstance(handle, -1, [&](Instance& i) { return i.Input(frame, length); });
}

int32_t VEK_CALL VekPlayOpenPlayFile(VEKPLAY_HANDLE handle, const char* path) {
    return WithInstance(handle, -1, [&](Instance& i) { return i.OpenFile(path); });
}

int32_t VEK_CALL VekPlayClosePlayFile(VEKPLAY_HANDLE handle) {
    return WithInstance(handle, -1, [](Instance& i) { return i.CloseFile(); });
}

int32_t VEK_CALL VekPlayGetPlayFileTimeRange(VEKPLAY_HANDLE handle, uint64_t* first, uint64_t* last) {
    return WithInstance(handle, -1, [&](Instance& i) { return i.FileTimeRange(first, last); });
}

uint64_t VEK_CALL VekPlayGetCurPlayedTime(VEKPLAY_HANDLE handle) {
    return WithInstance(handle, uint64_t{0}, [](Instance& i) { return i.PlayedTime(); });
}

int32_t VEK_CALL VekPlaySetCurPlayedTime(VEKPLAY_HANDLE handle, uint64_t time) {
    return WithInstance(handle, -1, [&](Instance& i) { return i.SetPlayedTime(time); });
}

int32_t VEK_CALL VekPlayOpenSound(VEKPLAY_HANDLE handle) {
    return WithInstance(handle, -1, [](Instance& i) {
        i.SetSound(true);
        return 0;
    });
}

int32_t VEK_CALL VekPlayCloseSound(VEKPLAY_HANDLE handle) {
    return WithInstance(handle, -1, [](Instance& i) {
        i.SetSound(false);
        return 0;
    });
}

int32_t VEK_CALL VekPlaySetPlayVolume_s(VEKPLAY_HANDLE handle, int32_t volume) {
    return WithInstance(handle, -1, [&](Instance& i) {
        i.SetVolume(volume);
        return 0;
    });
}

int32_t VEK_CALL VekPlayGetPlayVolume_s(VEKPLAY_HANDLE handle) {
    return WithInstance(handle, -1, [](Instance& i) { return i.volume(); });
}

int32_t VEK_CALL VekPlaySetPlayVolume(int32_t volume) {
    vekplay::SetGlobalVolume(volume);
    return 0;
}

int32_t VEK_CALL VekPlayCapturePicture(VEKPLAY_HANDLE handle, const char* path) {
    return WithInstance(handle, -1, [&](Instance& i) { return i.Capture(path); });
}

int32_t VEK_CALL VekPlayStartlocalrecord(VEKPLAY_HANDLE handle, const char* path, int32_t, int32_t) {
    // Both types (1 ".mp4", 2 ".avi") hold AVI data.
    return WithInstance(handle, -1, [&](Instance& i) { return i.StartClip(path); });
}

int32_t VEK_CALL VekPlayStoplocalrecord(VEKPLAY_HANDLE handle, uint64_t* first, uint64_t* last) {
    return WithInstance(handle, -1, [&](Instance& i) { return i.StopClip(first, last); });
}

int32_t VEK_CALL VekPlayAddSyncPlayInstance(VEKPLAY_HANDLE master, VEKPLAY_HANDLE member) {
    try {
        const std::shared_ptr<Instance> m = FindInstance(master);
        const std::shared_ptr<Instance> p = FindInstance(member);
        if (!m || !p)
            return -1;
        return m->AddMember(*p);
    } catch (...) {
        return -1;
    }
}

int32_t VEK_CALL VekShowWaterMark(VEKPLAY_HANDLE handle) {
    return WithInstance(handle, 0, [](Instance&) { return vekplay::Watermark() ? 1 : 0; });
}

}  // extern "C"
