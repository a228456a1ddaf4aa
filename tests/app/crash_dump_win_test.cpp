// The crash dump under Wine: a program that fails writes "Dravik.dmp" beside
// itself, a minidump ("MDMP"), and ends with exit code 1.
#include "app/crash_dump.h"
#include "tests/app/win_test_support.h"

namespace app_test {
namespace {

// Runs a copy of crash_probe.exe in a fresh folder; its exit code.
DWORD RunProbe(const fs::path& folder, const char* mode) {
    const fs::path probe = folder / "crash_probe.exe";
    fs::copy_file(ProgramFolder() / "crash_probe.exe", probe);
    std::string command = "\"" + probe.string() + "\" " + mode;
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.string().c_str(),
                        &start, &process)) {
        ADD_FAILURE() << "cannot start " << command;
        return 0xFFFFFFFF;
    }
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

class CrashDump : public ::testing::TestWithParam<const char*> {};

TEST_P(CrashDump, WritesDravikDmpBesideTheProgramAndExitsWith1) {
    const fs::path folder = FreshFolder("crash");
    EXPECT_EQ(RunProbe(folder, GetParam()), 1u);
    const std::string dump = ReadWhole(folder / "Dravik.dmp");
    ASSERT_GE(dump.size(), 32u);
    EXPECT_EQ(dump.substr(0, 4), "MDMP");
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

INSTANTIATE_TEST_SUITE_P(Failures, CrashDump, ::testing::Values("access", "throw"));

TEST(CrashDumpDirect, WithoutExceptionPointersDumpsAndReturns) {
    const fs::path folder = FreshFolder("dump");
    const fs::path path = folder / "direct.dmp";
    const HANDLE file = CreateFileA(path.string().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteMiniDump(file, nullptr));
    CloseHandle(file);
    EXPECT_EQ(ReadWhole(path).substr(0, 4), "MDMP");
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace
}  // namespace app_test
