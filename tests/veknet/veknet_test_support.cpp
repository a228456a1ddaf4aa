#include "tests/veknet/veknet_test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

#include "veknet/status_post.h"

namespace veknet::testing {

void StatusLog::Add(uintptr_t window, uint32_t message, uint32_t status) {
    std::lock_guard<std::mutex> hold(lock_);
    entries_.push_back({window, message, status});
    changed_.notify_all();
}

std::vector<uint32_t> StatusLog::Of(uintptr_t window) const {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<uint32_t> out;
    for (const Entry& e : entries_)
        if (e.window == window && e.message == kStatusMessage)
            out.push_back(e.status);
    return out;
}

bool StatusLog::WaitCount(uintptr_t window, size_t count, int ms) const {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::milliseconds(ms), [&] {
        return static_cast<size_t>(std::count_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
                   return e.window == window;
               })) >= count;
    });
}

simrecorder::GeneratedTable TestTable() {
    simrecorder::GeneratedTable table;
    table.days = {{2024, 3, 5, 0, 0, 0}, {2024, 3, 12, 0, 0, 0}, {2024, 4, 2, 0, 0, 0}};
    table.channels = 4;
    table.recordsPerDay = 3;
    table.seconds = 10;
    table.fps = 25;
    table.audio = true;
    table.seed = 11;
    return table;
}

NetRecordTime Time(int year, int month, int day, int hour, int minute, int second) {
    return MakeNetRecordTime(year, month, day, hour, minute, second);
}

void VekNetTest::SetUp() {
    VekNetInit();
    SetStatusHook([this](const StatusTarget& target, uint32_t status) {
        statuses_.Add(target.window, target.message, status);
    });
}

void VekNetTest::TearDown() {
    VekNetRelease();
    SetStatusHook(nullptr);
    StopRecorder();
}

void VekNetTest::StartRecorder(simrecorder::SimOptions options,
                               std::shared_ptr<simrecorder::RecorderContent> content) {
    StopRecorder();
    if (!content) {
        if (!table_)
            table_ = std::make_shared<simrecorder::GeneratedContent>(TestTable());
        content = table_;
    }
    recorder_ = std::make_unique<simrecorder::SimRecorder>(options, content);
    std::string error;
    ASSERT_TRUE(recorder_->Start(&error)) << error;
}

void VekNetTest::StopRecorder() {
    if (recorder_)
        recorder_->Stop();
    recorder_.reset();
}

uint32_t VekNetTest::StartLogin(const char* user, const char* password, const char* ip, int port) {
    const uintptr_t window = nextWindow_++;
    NetLoginRequest request{};
    request.ip = ip;
    request.port = port < 0 ? Port() : port;
    request.user = user;
    request.password = password;
    request.window = reinterpret_cast<NetHwnd>(window);
    request.message = kStatusMessage;
    request.reserved1 = 1;
    const uint32_t login = VekNetConnectionStart(&request);
    windows_.push_back({login, window});
    return login;
}

uintptr_t VekNetTest::WindowOf(uint32_t login) const {
    for (const auto& entry : windows_)
        if (entry.first == login)
            return entry.second;
    return 0;
}

uint32_t VekNetTest::FirstStatus(uint32_t login) {
    const uintptr_t window = WindowOf(login);
    if (!statuses_.WaitCount(window, 1))
        return 0;
    return statuses_.Of(window).front();
}

uint32_t VekNetTest::LogIn() {
    const uint32_t login = StartLogin();
    EXPECT_NE(login, 0u);
    EXPECT_EQ(FirstStatus(login), uint32_t{VEKNET_STATUS_LOGGED_IN});
    return login;
}

void VEK_CALL DownloadEvents::Callback(int32_t code, int32_t value, uintptr_t user) {
    auto* self = reinterpret_cast<DownloadEvents*>(user);
    std::lock_guard<std::mutex> hold(self->lock);
    self->events.push_back({code, value});
    self->changed.notify_all();
}

bool DownloadEvents::WaitEnd(int ms) {
    std::unique_lock<std::mutex> hold(lock);
    return changed.wait_for(hold, std::chrono::milliseconds(ms), [&] {
        return std::any_of(events.begin(), events.end(),
                           [](const auto& e) { return e.first == VEKNET_DOWNLOAD_END; });
    });
}

std::vector<std::pair<int32_t, int32_t>> DownloadEvents::Copy() {
    std::lock_guard<std::mutex> hold(lock);
    return events;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace veknet::testing
