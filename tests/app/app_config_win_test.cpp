// The configuration under Wine: the ini file beside the executable (every key,
// its defaults, long and short folders, the chart-range block), the IP history
// in the common application-data folder, MakeDirTree, and the skin manager's
// start-up face.
#include <shlobj.h>

#include <cstring>

#include "app/app_config.h"
#include "skin/core/skin_manager.h"
#include "tests/app/win_test_support.h"

namespace app_test {
namespace {

using ConfigIni = ExeFolderTest;

void ExpectDefaultFolders(const AppConfig& config) {
    EXPECT_STREQ(config.m_capturePath, "D:\\DVR\\Capture");
    EXPECT_STREQ(config.m_clipPath, "D:\\DVR\\Clip");
    EXPECT_STREQ(config.m_recordPath, "D:\\DVR\\Download");
}

bool TailIsZero(const char (&field)[kConfigPathSize]) {
    for (size_t i = strlen(field); i < kConfigPathSize; i++)
        if (field[i] != 0)
            return false;
    return true;
}

TEST_F(ConfigIni, NoIniKeepsTheDefaultsAndCreatesNothing) {
    AppConfig config;
    EXPECT_EQ(config.ReadConfig(), 0);
    EXPECT_EQ(config.m_language, 256);
    EXPECT_EQ(config.m_logo, 288);
    EXPECT_EQ(config.m_watermark, 0);
    EXPECT_EQ(config.m_version + config.m_mimic + config.m_gps + config.m_videoType, 0);
    EXPECT_EQ(config.m_mode, 1);
    EXPECT_EQ(config.m_syncPlay, TRUE);
    EXPECT_EQ(config.m_showWatermark, TRUE);
    ExpectDefaultFolders(config);
    EXPECT_STREQ(config.m_iniPath, (Dir() + "\\Config\\Lumerad.ini").c_str());
    EXPECT_STREQ(config.m_exeFolder, Dir().c_str());
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ConfigIni, EveryKeyRoundTripsWithA259CharacterFolder) {
    const std::string longPath = "E:\\" + std::string(256, 'p');
    ASSERT_EQ(longPath.size(), 259u);
    AppConfig out;
    out.m_language = 259;
    out.m_watermark = 1;
    out.m_logo = 7;
    out.m_version = -3;
    out.m_mimic = 1;
    out.m_gps = 1;
    out.m_videoType = 1;
    strcpy(out.m_capturePath, longPath.c_str());
    strcpy(out.m_clipPath, "E:\\clips");
    out.m_coordSet = {{0.0f, 200.5f, -2.0f, 2.0f, -40.25f, 85.0f, 0.0f, 36.0f}};
    EXPECT_EQ(out.WriteConfig(), 1);
    ASSERT_TRUE(fs::exists(dir_ / "Config" / "Lumerad.ini"));

    // The sections stand in the order they are written.
    const std::string text = ReadWhole(dir_ / "Config" / "Lumerad.ini");
    size_t at = 0;
    for (const char* section :
         {"[Language]", "[Watermark]", "[Logo]", "[Version]", "[Mimic]", "[GPS]", "[Path]", "[CoordSet]"}) {
        const size_t found = text.find(section);
        ASSERT_NE(found, std::string::npos) << section;
        EXPECT_GE(found, at) << section;
        at = found;
    }

    AppConfig in;
    ASSERT_EQ(in.ReadConfig(), 1);
    EXPECT_EQ(in.m_language, 259);
    EXPECT_EQ(in.m_watermark, 1);
    EXPECT_EQ(in.m_logo, 7);
    EXPECT_EQ(in.m_version, -3);
    EXPECT_EQ(in.m_mimic, 1);
    EXPECT_EQ(in.m_gps, 1);
    EXPECT_EQ(in.m_videoType, 1);
    EXPECT_EQ(std::string(in.m_capturePath), longPath);
    EXPECT_STREQ(in.m_clipPath, "E:\\clips");
    EXPECT_STREQ(in.m_recordPath, "D:\\DVR\\Download");
    EXPECT_EQ(memcmp(&in.m_coordSet, &out.m_coordSet, sizeof(CoordSet)), 0);

    // A shorter folder over the long one leaves nothing of it behind.
    strcpy(out.m_capturePath, "C:\\short");
    out.WriteConfig();
    ASSERT_EQ(in.ReadConfig(), 1);
    EXPECT_STREQ(in.m_capturePath, "C:\\short");
    EXPECT_TRUE(TailIsZero(in.m_capturePath));
}

TEST_F(ConfigIni, MissingKeysReadAsZeroAndKeepFoldersAndRanges) {
    WriteWhole(dir_ / "Config" / "Lumerad.ini",
               "[Path]\r\nVideoType=1\r\nClipPath=\r\n[CoordSet]\r\nCoordSet=00112233\r\n");
    AppConfig config;
    config.m_coordSet.range[3] = 9.5f;
    ASSERT_EQ(config.ReadConfig(), 1);
    EXPECT_EQ(config.m_language, 0);  // behaves as English
    EXPECT_EQ(config.m_logo, 0);
    EXPECT_EQ(config.m_videoType, 1);
    ExpectDefaultFolders(config);                 // missing and empty keys alike
    EXPECT_EQ(config.m_coordSet.range[3], 9.5f);  // damaged block: not read
}

TEST_F(ConfigIni, MakeDirTreeCreatesEveryLevel) {
    const std::string deep = Dir() + "\\a\\b\\c";
    MakeDirTree(deep.c_str());
    EXPECT_TRUE(fs::is_directory(deep));
    MakeDirTree(deep.c_str());  // again: nothing fails
    MakeDirTree((Dir() + "/x/y/").c_str());
    EXPECT_TRUE(fs::is_directory(dir_ / "x" / "y"));
    MakeDirTree(nullptr);
}

// The history file is one per machine: these cases hold a ctest resource lock.
class IpHistoryFile : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = AppConfig::IpHistoryPath();
        ASSERT_FALSE(path_.empty());
        Clean();
    }
    void TearDown() override { Clean(); }
    void Clean() {
        std::error_code ignored;
        fs::remove(path_, ignored);
        fs::remove_all(path_ + ".tmp", ignored);
    }
    std::string path_;
};

TEST_F(IpHistoryFile, LivesInTheCommonAppDataFolderMostRecentFirst) {
    char common[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common), S_OK);
    EXPECT_EQ(path_, std::string(common) + "\\TessorIpAndPort.fig");

    AppConfig config;
    config.LoadIpPorts();  // no file yet: an empty one is made
    EXPECT_TRUE(config.m_ipPorts.empty());
    ASSERT_TRUE(fs::exists(path_));
    EXPECT_EQ(fs::file_size(path_), 0u);

    config.AddIpPort("10.0.0.1", 8000);
    config.AddIpPort("10.0.0.2", 8001);
    config.AddIpPort("10.0.0.3", 8002);
    config.AddIpPort("10.0.0.1", 9000);
    EXPECT_EQ(ReadWhole(path_), "10.0.0.1 9000\r\n10.0.0.3 8002\r\n10.0.0.2 8001\r\n");
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));

    AppConfig next;  // the next login reads the same order
    next.LoadIpPorts();
    EXPECT_EQ(next.m_ipPorts, config.m_ipPorts);
    next.AddIpPort("10.0.0.2", 8001);
    EXPECT_EQ(ReadWhole(path_), "10.0.0.2 8001\r\n10.0.0.1 9000\r\n10.0.0.3 8002\r\n");

    next.ClearIpPorts();
    EXPECT_TRUE(next.m_ipPorts.empty());
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(IpHistoryFile, AFailedRewriteLeavesTheOldFileWhole) {
    WriteWhole(path_, "10.9.9.9 80\r\n");
    AppConfig config;
    config.LoadIpPorts();
    fs::create_directories(path_ + ".tmp");  // the temporary file cannot be made
    config.AddIpPort("10.0.0.5", 81);
    EXPECT_EQ(config.m_ipPorts, (IpPortList{{"10.0.0.5", "81"}, {"10.9.9.9", "80"}}));
    EXPECT_EQ(ReadWhole(path_), "10.9.9.9 80\r\n");
}

TEST(SkinManagerStartFace, KeepsItsOptionsAndReportsNoSkin) {
    CPlymSkinManager* manager = GetPlymSkinManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(GetPlymSkinManager(), manager);
    EXPECT_EQ(manager->GetHookedGroups(), 15u);
    EXPECT_TRUE(manager->m_skinNewThreads);
    manager->SetHookedGroups(7);
    EXPECT_EQ(manager->GetHookedGroups(), 7u);
    EXPECT_FALSE(manager->OpenSkin("C:\\nowhere\\Vista.vyrstyles", "NormalBlack.ini"));
    EXPECT_FALSE(manager->IsEnabled());
}

}  // namespace
}  // namespace app_test
