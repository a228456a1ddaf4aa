// What the VekNet tests share: the posted statuses caught by a hook, a
// simulated recorder in the test's own process on a port the system picks,
// logins into it, and waiting with a deadline.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/common/temp_dir.h"
#include "tests/common/wait_for.h"
#include "tools/simrecorder/generated_content.h"
#include "tools/simrecorder/sim_server.h"
#include "veknet/veknet_api.h"

namespace veknet::testing {

inline constexpr uint32_t kStatusMessage = 0x432;

using vektest::WaitFor;

// Every status the library posts, by window. Installed as the library's hook
// by the fixture.
class StatusLog {
  public:
    void Add(uintptr_t window, uint32_t message, uint32_t status);
    std::vector<uint32_t> Of(uintptr_t window) const;
    // Waits until the window has had `count` statuses; false on time-out.
    bool WaitCount(uintptr_t window, size_t count, int ms = 20000) const;

  private:
    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    struct Entry {
        uintptr_t window;
        uint32_t message;
        uint32_t status;
    };
    std::vector<Entry> entries_;
};

// 2024-03-05, 2024-03-12 and 2024-04-02; four channels, three records of 10 s
// a day each (09:00, 11:00, 13:00, later by 5 minutes per channel), 25 fps.
simrecorder::GeneratedTable TestTable();

NetRecordTime Time(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// A test with a simulated recorder. Every login, play and download left is
// stopped at the end (VekNetRelease), then the recorder.
class VekNetTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the recorder (once per test; a second call restarts it).
    void StartRecorder(simrecorder::SimOptions options = {},
                       std::shared_ptr<simrecorder::RecorderContent> content = nullptr);
    void StopRecorder();
    uint16_t Port() const { return recorder_ ? recorder_->Port() : 0; }
    simrecorder::SimRecorder& Recorder() { return *recorder_; }

    // Starts a login on a window of its own; the handle.
    uint32_t StartLogin(const char* user = "admin",
                        const char* password = "admin",
                        const char* ip = "127.0.0.1",
                        int port = -1);
    // The window of a login started with StartLogin.
    uintptr_t WindowOf(uint32_t login) const;
    // Waits for the first status of the login and returns it (0 on time-out).
    uint32_t FirstStatus(uint32_t login);
    // A login that reached 101.
    uint32_t LogIn();

    StatusLog statuses_;
    std::shared_ptr<simrecorder::GeneratedContent> table_;

  private:
    std::unique_ptr<simrecorder::SimRecorder> recorder_;
    std::vector<std::pair<uint32_t, uintptr_t>> windows_;
    uintptr_t nextWindow_ = 0x1000;
};

// A download's events, as its callback saw them.
struct DownloadEvents {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::pair<int32_t, int32_t>> events;  // code, value

    static void VEK_CALL Callback(int32_t code, int32_t value, uintptr_t user);
    bool WaitEnd(int ms = 30000);
    std::vector<std::pair<int32_t, int32_t>> Copy();
};

std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

using vektest::TempDir;

}  // namespace veknet::testing
