// tests/platform/paths_test.cpp
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace platform {
namespace {

TEST(PathsTest, JoinPutsExactlyOneSeparatorBetween) {
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(JoinPath("dir", "file"), "dir" + sep + "file");
    EXPECT_EQ(JoinPath("dir" + sep, "file"), "dir" + sep + "file");
    EXPECT_EQ(JoinPath("dir", sep + "file"), "dir" + sep + "file");
    EXPECT_EQ(JoinPath("dir" + sep, sep + "file"), "dir" + sep + "file");
    EXPECT_EQ(JoinPath("a" + sep + "b", "c.ini"), "a" + sep + "b" + sep + "c.ini");
    EXPECT_EQ(JoinPath("", "file"), "file");
    EXPECT_EQ(JoinPath("dir", ""), "dir");
#ifdef _WIN32
    EXPECT_EQ(JoinPath("C:\\Program Files\\Movarel", "Vista.vyrstyles"),
              "C:\\Program Files\\Movarel\\Vista.vyrstyles");
    EXPECT_EQ(JoinPath("C:/skins/", "Vista.vyrstyles"), "C:/skins/Vista.vyrstyles");
    EXPECT_EQ(JoinPath("C:\\", "Language"), "C:\\Language");
#else
    EXPECT_EQ(JoinPath("/", "etc"), "/etc");
    EXPECT_EQ(JoinPath("a\\", "b"), "a\\/b");  // a backslash is an ordinary character here
#endif
}

TEST(PathsTest, ExecutableDirHoldsThisTestProgram) {
    const std::string path = ExecutablePath();
    const std::string dir = ExecutableDir();
    ASSERT_FALSE(path.empty());
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), kPathSeparator);
    EXPECT_EQ(path.compare(0, dir.size(), dir), 0) << path << " / " << dir;
    EXPECT_EQ(path[dir.size()], kPathSeparator);
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
    EXPECT_TRUE(std::filesystem::is_directory(dir)) << dir;
    EXPECT_EQ(std::filesystem::path(path).stem().string(), "platform_tests");
}

}  // namespace
}  // namespace platform
