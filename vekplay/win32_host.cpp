// vekplay/win32_host.cpp
//
// The host of VekPlay.dll: pictures drawn into the play window with GDI, notices
// posted with PostMessage, sound through waveOut.
//
// Drawing, on the render thread: the picture is stretched into a memory bitmap
// the size of the window's client area, the caller's draw callback draws over
// it there (so an overlay is part of the picture before anyone sees it), and the
// result is copied to the window in one BitBlt. Nothing here sends a message:
// the GUI thread may be waiting for this thread in VekPlayDestroyPlayInstance.
#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <cstring>
#include <deque>
#include <mutex>

#include "vekplay/play_host.h"
#include "vekplay/vekplay_api.h"

namespace vekplay {

namespace {

class GdiTarget final : public RenderTarget {
  public:
    ~GdiTarget() override { ReleaseBuffer(); }

    void SetWindow(uintptr_t window) override {
        std::lock_guard<std::mutex> lock(mutex_);
        window_ = reinterpret_cast<HWND>(window);
    }
    void SetDrawHook(const DrawHook& hook) override {
        std::lock_guard<std::mutex> lock(mutex_);
        hook_ = hook;
    }
    int64_t RefreshUs() const override { return kScreenRefreshUs; }

    void Present(const Picture& picture) override {
        HWND window = nullptr;
        DrawHook hook;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            window = window_;
            hook = hook_;
        }
        if (!window || !IsWindow(window) || picture.width <= 0 || picture.height <= 0)
            return;
        RECT client{};
        if (!GetClientRect(window, &client))
            return;
        const int width = client.right - client.left;
        const int height = client.bottom - client.top;
        if (width <= 0 || height <= 0)
            return;
        HDC dc = GetDC(window);
        if (!dc)
            return;
        if (EnsureBuffer(dc, width, height)) {
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            info.bmiHeader.biWidth = picture.width;
            info.bmiHeader.biHeight = -picture.height;  // rows top-down
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 24;
            info.bmiHeader.biCompression = BI_RGB;
            SetStretchBltMode(memory_, COLORONCOLOR);
            StretchDIBits(memory_, 0, 0, width, height, 0, 0, picture.width, picture.height,
                          picture.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
            if (hook.fn)
                reinterpret_cast<VekPlayDrawFun>(hook.fn)(memory_, width, height, hook.user);
            BitBlt(dc, 0, 0, width, height, memory_, 0, 0, SRCCOPY);
        }
        ReleaseDC(window, dc);
    }

  private:
    bool EnsureBuffer(HDC dc, int width, int height) {
        if (memory_ && width == width_ && height == height_)
            return true;
        ReleaseBuffer();
        memory_ = CreateCompatibleDC(dc);
        bitmap_ = memory_ ? CreateCompatibleBitmap(dc, width, height) : nullptr;
        if (!bitmap_) {
            ReleaseBuffer();
            return false;
        }
        old_ = SelectObject(memory_, bitmap_);
        width_ = width;
        height_ = height;
        return true;
    }
    void ReleaseBuffer() {
        if (memory_ && old_)
            SelectObject(memory_, old_);
        if (bitmap_)
            DeleteObject(bitmap_);
        if (memory_)
            DeleteDC(memory_);
        memory_ = nullptr;
        bitmap_ = nullptr;
        old_ = nullptr;
        width_ = height_ = 0;
    }

    std::mutex mutex_;
    HWND window_ = nullptr;
    DrawHook hook_;
    // Render thread only.
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// waveOut without callbacks: finished buffers are collected on the next Play.
// With no sound device (as under a Wine prefix without audio drivers) the sink
// stays closed and drops what it gets.
class WaveSink final : public AudioSink {
  public:
    ~WaveSink() override { Close(); }

    void Play(const int16_t* samples, size_t count, int rate, int channels, int volume) override {
        if (count == 0 || rate <= 0 || channels <= 0)
            return;
        if (!Open(rate, channels))
            return;
        Collect();
        if (buffers_.size() >= kMaxQueued)
            return;  // behind: drop rather than grow
        Buffer b;
        b.samples.resize(count);
        for (size_t i = 0; i < count; i++)
            b.samples[i] = static_cast<int16_t>(samples[i] * volume / 100);
        buffers_.push_back(std::move(b));
        Buffer& q = buffers_.back();
        q.header.lpData = reinterpret_cast<LPSTR>(q.samples.data());
        q.header.dwBufferLength = static_cast<DWORD>(q.samples.size() * sizeof(int16_t));
        if (waveOutPrepareHeader(out_, &q.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            buffers_.pop_back();
            return;
        }
        if (waveOutWrite(out_, &q.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            waveOutUnprepareHeader(out_, &q.header, sizeof(WAVEHDR));
            buffers_.pop_back();
        }
    }

    void Stop() override {
        if (!out_)
            return;
        waveOutReset(out_);
        Collect();
    }

  private:
    static constexpr size_t kMaxQueued = 32;
    struct Buffer {
        WAVEHDR header{};
        std::vector<int16_t> samples;
    };

    bool Open(int rate, int channels) {
        if (out_ && rate == rate_ && channels == channels_)
            return true;
        if (failed_ && rate == rate_ && channels == channels_)
            return false;
        Close();
        rate_ = rate;
        channels_ = channels;
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = static_cast<WORD>(channels);
        format.nSamplesPerSec = static_cast<DWORD>(rate);
        format.wBitsPerSample = 16;
        format.nBlockAlign = static_cast<WORD>(channels * 2);
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        failed_ = waveOutGetNumDevs() == 0 ||
                  waveOutOpen(&out_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR;
        if (failed_)
            out_ = nullptr;
        return !failed_;
    }
    // Unprepares the buffers the device has finished with (all after a reset).
    void Collect() {
        while (!buffers_.empty() && (buffers_.front().header.dwFlags & WHDR_DONE)) {
            waveOutUnprepareHeader(out_, &buffers_.front().header, sizeof(WAVEHDR));
            buffers_.pop_front();
        }
    }
    void Close() {
        if (!out_)
            return;
        waveOutReset(out_);
        Collect();
        for (Buffer& b : buffers_)
            waveOutUnprepareHeader(out_, &b.header, sizeof(WAVEHDR));
        buffers_.clear();
        waveOutClose(out_);
        out_ = nullptr;
    }

    HWAVEOUT out_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    bool failed_ = false;
    std::deque<Buffer> buffers_;
};

class Win32Host final : public Host {
  public:
    Clock& clock() override { return TheSystemClock(); }
    std::unique_ptr<RenderTarget> CreateTarget() override { return std::make_unique<GdiTarget>(); }
    std::unique_ptr<AudioSink> CreateAudioSink() override { return std::make_unique<WaveSink>(); }
    void Post(uintptr_t window, uint32_t message, uint32_t code, uintptr_t user) override {
        PostMessageA(reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(code),
                     static_cast<LPARAM>(user));
    }
};

}  // namespace

std::shared_ptr<Host> MakeSystemHost() {
    return std::make_shared<Win32Host>();
}

}  // namespace vekplay
