// tests/gui/harness/test_main.cpp
//
// The main of every Windows test program: it marks that the program ran
// (start_mark.h), then runs GoogleTest, and in a program that can open windows
// each test starts from the known desktop (known_desktop.h).
// A desktop that does not come to that state within the deadline fails the
// test with what never came.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "tests/gui/harness/known_desktop.h"
#include "tests/gui/harness/start_mark.h"

namespace {

class KnownDesktopStart : public testing::EmptyTestEventListener {
  public:
    explicit KnownDesktopStart(bool alone) : alone_(alone) {}

    void OnTestStart(const testing::TestInfo& /*test*/) override {
        const std::string missing = vekgui::StartFromKnownDesktop(alone_);
        if (!missing.empty())
            ADD_FAILURE() << missing;
    }

  private:
    bool alone_;
};

}  // namespace

int main(int argc, char** argv) {
    vekgui::MarkStarted();
    testing::InitGoogleTest(&argc, argv);
    if (vekgui::CanOpenWindows()) {
        const char* alone = std::getenv("VEK_TEST_ALONE");
        testing::UnitTest::GetInstance()->listeners().Append(
            new KnownDesktopStart(alone && std::strcmp(alone, "1") == 0));
    }
    return RUN_ALL_TESTS();
}
