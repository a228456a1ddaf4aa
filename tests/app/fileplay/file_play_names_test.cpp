// The file player's names and places: the drop and scan filters (short names
// and names without '.' are read within their bounds), bounded paths, the open
// dialog's multi-select buffer, and the page and bar layouts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/fileplay/file_play_layout.h"
#include "app/fileplay/file_play_names.h"
#include "res/file_play_ids.h"

namespace {

using namespace play;

TEST(FilePlayNames, DropAndScanFiltersReadOnlyWithinTheNameAndTakeTheirExtensions) {
    struct Case {
        const char* name;
        bool drop;
        bool scan;
    };
    const Case cases[] = {
        {"a.avi", true, true},       {"a.264", true, true},    {"A.AVI", true, false},
        {"b.H264", true, false},     {"b.h264", true, false},  {"c.nvr", true, false},
        {"c.NVR", true, false},      {".avi", true, true},     {"a.b.264", true, true},
        {"a.avi.txt", false, false}, {"a.mp4", false, false},  {"avi", false, false},
        {"264", false, false},       {"ab", false, false},     {"", false, false},
        {"noext", false, false},     {"a.avi ", false, false}, {"a.", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsDropVideoName(c.name), c.drop) << c.name;
        EXPECT_EQ(IsScanVideoName(c.name), c.scan) << c.name;
    }
}

TEST(FilePlayNames, PathsAreMadeWithinTheirBoundOrNotAtAll) {
    const std::string folder(250, 'f');
    EXPECT_EQ(JoinPath(folder, "12345678", kScanPathMax), folder + "\\12345678");  // 259 characters
    EXPECT_EQ(JoinPath(folder, "123456789", kScanPathMax), std::nullopt);
    EXPECT_EQ(JoinPath("C:\\v", "a.avi", kDropPathMax), "C:\\v\\a.avi");
    EXPECT_EQ(FileNameOf("C:\\v\\w\\a.avi"), "a.avi");
    EXPECT_EQ(FileNameOf("a.avi"), "a.avi");
    EXPECT_EQ(FileNameOf("C:\\v\\"), "");
}

TEST(FilePlayNames, TheOpenDialogsBufferGivesEveryFileItHolds) {
    const auto split = [](const std::string& bytes) {
        return SplitOpenDialogFiles(bytes.data(), bytes.size());
    };
    using Files = std::vector<std::string>;
    EXPECT_EQ(split(std::string("C:\\v\\a.avi\0\0", 12)), Files{"C:\\v\\a.avi"});
    EXPECT_EQ(split(std::string("C:\\v\0a.avi\0b.264\0\0", 19)), (Files{"C:\\v\\a.avi", "C:\\v\\b.264"}));
    EXPECT_EQ(split(std::string("C:\\\0a.avi\0b.264\0\0", 17)), (Files{"C:\\a.avi", "C:\\b.264"}));
    EXPECT_EQ(split(std::string("C:\\v\0a.avi\0b.26", 15)), Files{"C:\\v\\a.avi"});  // unended: dropped
    EXPECT_EQ(split(std::string("\0", 1)), Files{});
    EXPECT_EQ(SplitOpenDialogFiles(nullptr, 10), Files{});

    // Many files: all of them, however long the selection.
    std::string many = std::string("Z:\\tmp\\videos") + '\0';
    Files want;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = "recording-" + std::to_string(100000 + i) + ".264";
        many += name + '\0';
        want.push_back("Z:\\tmp\\videos\\" + name);
    }
    many += '\0';
    EXPECT_GT(many.size(), 1024u);
    EXPECT_EQ(split(many), want);
}

TEST(FilePlayLayout, PageBarAndListFollowTheClientAndTheListSwitch) {
    const PixelRect client{0, 0, 1280, 800};
    const FilePageRects shown = LayOutFilePage(client, true);
    EXPECT_EQ(shown.video, (PixelRect{2, 2, 978, 718}));
    EXPECT_EQ(shown.list, (PixelRect{982, 2, 296, 796}));
    EXPECT_EQ(shown.bar, (PixelRect{2, 722, 978, 76}));
    EXPECT_EQ(shown.popup, (PixelRect{2 + (978 - 150) / 2, 2 + (718 - 170) / 2, 150, 170}));
    const FilePageRects hidden = LayOutFilePage(client, false);
    EXPECT_FALSE(hidden.listShown);
    EXPECT_EQ(hidden.video, (PixelRect{2, 2, 1276, 718}));
    EXPECT_EQ(hidden.bar, (PixelRect{2, 722, 1276, 76}));
    // Too small: nothing of negative size.
    const FilePageRects tiny = LayOutFilePage({0, 0, 100, 50}, true);
    EXPECT_EQ(tiny.video.width, 0);
    EXPECT_EQ(tiny.video.height, 0);

    // The bar: the middle row from x0 = (width - 300) / 2.
    std::vector<ToolbarPlacement> bar = LayOutFileBar({0, 0, 976, 76});
    const auto at = [&bar](int id) {
        for (const ToolbarPlacement& p : bar)
            if (p.control == id)
                return p.rect;
        return PixelRect{-1, -1, -1, -1};
    };
    EXPECT_EQ(at(IDC_FP_SEEK), (PixelRect{19, 0, 939, 18}));
    EXPECT_EQ(at(IDC_FP_SPEED_UP), (PixelRect{959, 5, 17, 8}));
    EXPECT_EQ(at(IDC_FP_OPEN), (PixelRect{338, 30, 24, 24}));
    EXPECT_EQ(at(IDC_FP_PLAY), (PixelRect{406, 25, 38, 34}));
    EXPECT_EQ(at(IDC_FP_PAUSE), at(IDC_FP_PLAY));
    EXPECT_EQ(at(IDC_FP_STOP), (PixelRect{488, 30, 24, 24}));
    EXPECT_EQ(at(IDC_FP_VOLUME), (PixelRect{586, 33, 100, 18}));
    EXPECT_EQ(at(IDC_FP_TOOLS), (PixelRect{864, 31, 23, 21}));
    EXPECT_EQ(at(IDC_FP_LIST_SHOW), (PixelRect{948, 31, 23, 21}));

    const std::vector<ToolbarPlacement> list = LayOutPlayList({0, 0, 296, 796});
    EXPECT_EQ(list[1], (ToolbarPlacement{IDC_PLAY_LIST_ROWS, {0, 26, 284, 733}}));
    EXPECT_EQ(list[2], (ToolbarPlacement{IDC_PLAY_LIST_CLEAR, {269, 774, 26, 14}}));
    EXPECT_EQ(list[4], (ToolbarPlacement{IDC_PLAY_LIST_ADD, {215, 774, 26, 14}}));
}

}  // namespace
