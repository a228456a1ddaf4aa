// tests/app/download/file_download_model_test.cpp
#include "app/download/file_download_model.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/paths.h"

namespace {

using namespace play;

constexpr uint32_t kLogin = 77;

RecfileTime At(int hour, int minute, int second) {
    RecfileTime t;
    t.year = 2024;
    t.month = 3;
    t.day = 5;
    t.hour = static_cast<uint8_t>(hour);
    t.minute = static_cast<uint8_t>(minute);
    t.second = static_cast<uint8_t>(second);
    return t;
}

// The network library: what it was asked, with the answer of its next start.
struct FakeLibrary final : DownloadLibrary {
    struct Start {
        int channel;
        NetRecordItem record;
        std::string path;
        uintptr_t user;
    };
    uint32_t StartDownloadRecord(uint32_t login, const NetDownloadRequest& request) override {
        EXPECT_EQ(login, kLogin);
        starts.push_back({request.channel, *request.record, request.path, request.user});
        EXPECT_NE(request.callback, nullptr);
        return refuse ? 0 : nextHandle++;
    }
    void StopDownloadRecord(uint32_t* download) override {
        stops.push_back(*download);
        *download = 0;
    }
    // The tag the library's events of the last start carry.
    uint32_t LastTag() const { return reinterpret_cast<const DownloadRoute*>(starts.back().user)->tag; }
    std::vector<Start> starts;
    std::vector<uint32_t> stops;
    uint32_t nextHandle = 500;
    bool refuse = false;
};

struct FakeRecords final : DownloadRecords {
    int Count() const override { return static_cast<int>(rows.size()); }
    const _recfile_info_t* Get(int index) const override {
        return index >= 0 && index < Count() ? &rows[static_cast<size_t>(index)] : nullptr;
    }
    void Set(int index, const _recfile_info_t& record) override {
        rows.at(static_cast<size_t>(index)) = record;
    }
    std::vector<_recfile_info_t> rows;
};

struct FakeSettings final : DownloadSettings {
    std::string RecordPath() const override { return recordPath; }
    std::string ModeText() const override { return host; }
    int VideoType() const override { return videoType; }
    uint32_t LoginHandle() const override { return kLogin; }
    std::string Text(int id) const override {
        static const std::map<int, std::string> texts = {
            {kStringFileDownload, "File Download"},    {kStringChannel, "Channel"},
            {kStringNotDownload, "Not Download"},      {kStringWaitDownload, "Wait Download"},
            {kStringDownloading, "Downloading"},       {kStringCompleteDownload, "Complete Download"},
            {kStringDownloadFailed, "Download Failed"}};
        auto it = texts.find(id);
        return it != texts.end() ? it->second : "?";
    }
    void MakeDirTree(const std::string& folder) override { folders.push_back(folder); }
    std::string recordPath = "D:\\DVR\\Download";
    std::string host = "192.168.1.20";
    int videoType = 0;
    std::vector<std::string> folders;
};

struct FakeView final : DownloadView {
    struct Row {
        std::array<std::string, kDownloadColumns> texts;
        uint32_t data = 0;
        bool checked = false;
    };
    void SetCaption(const std::string& text) override { caption = text; }
    void DeleteAllRows() override { rows.clear(); }
    void InsertRow(int row, const std::array<std::string, kDownloadColumns>& texts, uint32_t data) override {
        rows.insert(rows.begin() + row, Row{texts, data, false});
    }
    void SetStateText(int row, const std::string& text) override {
        rows.at(static_cast<size_t>(row)).texts[4] = text;
    }
    void SetRowData(int row, uint32_t data) override { rows.at(static_cast<size_t>(row)).data = data; }
    bool IsChecked(int row) const override { return rows.at(static_cast<size_t>(row)).checked; }
    bool TakeQueuedEnd(uint32_t tag, int32_t* result) override {
        for (auto it = queuedEnds.begin(); it != queuedEnds.end(); it = queuedEnds.erase(it)) {
            if (it->first == tag) {
                *result = it->second;
                queuedEnds.erase(it);
                return true;
            }
        }
        return false;
    }
    void Hide() override { hidden = true; }
    std::string State(int row) const { return rows.at(static_cast<size_t>(row)).texts[4]; }
    std::string caption;
    std::vector<Row> rows;
    bool hidden = false;
    std::vector<std::pair<uint32_t, int32_t>> queuedEnds;  // (tag, result) sent, not yet delivered
};

void VEK_CALL IgnoreEvent(int32_t, int32_t, uintptr_t) {}

class Download : public testing::Test {
  protected:
    explicit Download(int pane = 0) : model(pane, library, settings, view, &IgnoreEvent, 0x1234) {
        for (int i = 0; i < 4; ++i) {
            _recfile_info_t r;
            r.sourceWord = 0;
            r.start = At(8 + i, 0, 0);
            r.end = At(8 + i, 30, 15);
            r.type = 1;
            r.length = 3u << 20;
            records.rows.push_back(r);
        }
        model.Fill(&records);
    }
    void Check(std::initializer_list<int> rows) {
        for (int row : rows)
            view.rows[static_cast<size_t>(row)].checked = true;
    }
    std::vector<std::string> States() const {
        std::vector<std::string> s;
        for (const auto& row : view.rows)
            s.push_back(row.texts[4]);
        return s;
    }
    // The row state as the list, the record and the model keep it.
    void ExpectState(int row, uint32_t state) {
        EXPECT_EQ(view.rows[static_cast<size_t>(row)].data, state) << row;
        EXPECT_EQ(records.rows[static_cast<size_t>(row)].downloadState, state) << row;
        EXPECT_EQ(model.RowState(row), state) << row;
    }

    FakeLibrary library;
    FakeSettings settings;
    FakeView view;
    FakeRecords records;
    FileDownloadModel model;
};

TEST_F(Download, RowsDownloadOneAfterAnotherInListOrder) {
    EXPECT_EQ(view.caption, "File Download Channel01");
    ASSERT_EQ(view.rows.size(), 4u);
    EXPECT_EQ(view.rows[1].texts[1], "2");
    EXPECT_EQ(view.rows[1].texts[2], "2024-03-05 09:00:00");
    EXPECT_EQ(view.rows[1].texts[3], "2024-03-05 09:30:15");
    EXPECT_EQ(view.rows[1].texts[5], "3.00M");
    EXPECT_EQ(States(), (std::vector<std::string>(4, "Not Download")));

    Check({0, 2, 3});
    model.OnStart();
    EXPECT_EQ(States(),
              (std::vector<std::string>{"Downloading", "Not Download", "Wait Download", "Wait Download"}));
    EXPECT_TRUE(library.starts.empty()) << "the timer starts them";
    model.OnTimer();
    ASSERT_EQ(library.starts.size(), 1u);
    EXPECT_EQ(library.starts[0].channel, 0);
    EXPECT_EQ(library.starts[0].record.start.hour, 8);
    EXPECT_EQ(library.starts[0].record.end.minute, 30);
    EXPECT_EQ(library.starts[0].record.length, 3u << 20);
    EXPECT_EQ(records.rows[0].downloadHandle, 500u);
    ExpectState(0, kRowDownloading);
    model.OnTimer();  // busy: nothing more starts
    EXPECT_EQ(library.starts.size(), 1u);

    // While one downloads, Start queues further rows as waiting.
    Check({1});
    model.OnStart();
    EXPECT_EQ(view.State(1), "Wait Download");

    model.OnDownloadProgress(42, library.LastTag());
    EXPECT_EQ(view.State(0), "42%");
    model.OnDownloadEnd(VEKNET_DOWNLOAD_OK, library.LastTag());
    EXPECT_EQ(view.State(0), "Complete Download");
    EXPECT_EQ(library.stops, (std::vector<uint32_t>{500}));
    EXPECT_EQ(records.rows[0].downloadHandle, 0u);
    ExpectState(0, kRowIdle);

    std::vector<int> order;
    for (int i = 0; i < 3; ++i) {
        model.OnTimer();
        order.push_back(library.starts.back().record.start.hour - 8);
        model.OnDownloadEnd(VEKNET_DOWNLOAD_OK, library.LastTag());
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(States(), (std::vector<std::string>(4, "Complete Download")));
    model.OnTimer();
    EXPECT_EQ(library.starts.size(), 4u);
}

TEST_F(Download, StopOfAWaitingRowMakesNoNetworkCall) {
    Check({0, 1});
    model.OnStart();
    model.OnTimer();
    ASSERT_EQ(library.starts.size(), 1u);
    view.rows[0].checked = false;
    model.OnStop();  // row 1 only: waiting
    EXPECT_TRUE(library.stops.empty());
    EXPECT_EQ(view.State(1), "Not Download");
    ExpectState(1, kRowIdle);
    ExpectState(0, kRowDownloading);
    model.OnDownloadEnd(VEKNET_DOWNLOAD_OK, library.LastTag());
    model.OnTimer();
    EXPECT_EQ(library.starts.size(), 1u) << "the stopped row is not started";
}

TEST_F(Download, AFinishedRowStillCheckedIsDownloadedAgain) {
    Check({2});
    model.OnStart();
    model.OnTimer();
    model.OnDownloadEnd(VEKNET_DOWNLOAD_OK, library.LastTag());
    EXPECT_EQ(view.State(2), "Complete Download");
    model.OnStart();
    model.OnTimer();
    ASSERT_EQ(library.starts.size(), 2u);
    EXPECT_EQ(library.starts[1].record.start.hour, 10);
    EXPECT_EQ(library.starts[1].path, library.starts[0].path);
    ExpectState(2, kRowDownloading);
}

// A download that ends on a failure is shown failed; 100% is never shown
// before the end event says the file is complete.
TEST_F(Download, AFailedEndShowsFailedNeverComplete) {
    Check({0, 1});
    model.OnStart();
    model.OnTimer();
    model.OnDownloadProgress(100, library.LastTag());
    EXPECT_EQ(view.State(0), "99%");
    model.OnDownloadProgress(-5, library.LastTag());
    EXPECT_EQ(view.State(0), "0%");
    model.OnDownloadEnd(VEKNET_DOWNLOAD_LINK_LOST, library.LastTag());
    EXPECT_EQ(view.State(0), "Download Failed");
    ExpectState(0, kRowIdle);
    EXPECT_FALSE(model.busy());
    model.OnTimer();
    model.OnDownloadEnd(VEKNET_DOWNLOAD_WRITE_FAILED, library.LastTag());
    EXPECT_EQ(view.State(1), "Download Failed");
}

// Events of a stopped download, already queued when it was stopped, neither
// finish nor move the row that downloads next; with no current row they do nothing.
TEST_F(Download, LateEventsOfAStoppedDownloadAreDropped) {
    Check({0, 1});
    model.OnStart();
    model.OnTimer();
    const uint32_t stoppedTag = library.LastTag();
    view.rows[1].checked = false;
    model.OnStop();  // row 0 was downloading
    EXPECT_EQ(model.currentRow(), -1);
    EXPECT_EQ(library.stops, (std::vector<uint32_t>{500}));
    model.OnDownloadProgress(50, stoppedTag);
    model.OnDownloadEnd(VEKNET_DOWNLOAD_OK, stoppedTag);
    EXPECT_EQ(view.State(0), "Not Download");
    EXPECT_EQ(library.stops.size(), 1u);

    model.OnTimer();  // row 1 starts
    ASSERT_EQ(library.starts.size(), 2u);
    model.OnDownloadProgress(77, stoppedTag);
    model.OnDownloadEnd(VEKNET_DOWNLOAD_OK, stoppedTag);
    EXPECT_EQ(view.State(1), "Downloading");
    ExpectState(1, kRowDownloading);
    EXPECT_TRUE(model.busy());
    model.OnDownloadEnd(VEKNET_DOWNLOAD_OK, library.LastTag());
    EXPECT_EQ(view.State(1), "Complete Download");
}

// The recorder went away: the download's failed end was sent, but the page
// stops everything before it is delivered. The row shows the failure.
TEST_F(Download, AStopAfterTheDownloadEndedShowsHowItEnded) {
    Check({0, 1});
    model.OnStart();
    model.OnTimer();
    view.queuedEnds.push_back({library.LastTag() + 7, VEKNET_DOWNLOAD_OK});  // another download's
    view.queuedEnds.push_back({library.LastTag(), VEKNET_DOWNLOAD_LINK_LOST});
    model.StopAllDownloads();
    EXPECT_EQ(States(),
              (std::vector<std::string>{"Download Failed", "Not Download", "Not Download", "Not Download"}));
    EXPECT_TRUE(view.queuedEnds.empty());
}

TEST_F(Download, StopAllStopsEveryRowThenHides) {
    Check({0, 1, 3});
    model.OnStart();
    model.OnTimer();
    view.rows[0].checked = view.rows[1].checked = view.rows[3].checked = false;
    model.StopAllDownloads();
    EXPECT_TRUE(view.hidden);
    // The download under way is cut short (its file incomplete): a failure,
    // whether or not its own end came before the stop.
    EXPECT_EQ(States(),
              (std::vector<std::string>{"Download Failed", "Not Download", "Not Download", "Not Download"}));
    EXPECT_EQ(library.stops.size(), 1u);
    EXPECT_FALSE(model.busy());
}

// A row whose record left the time-bar row (a later query emptied or
// refilled it) fails when its turn comes, and its new record is left alone.
TEST_F(Download, ARowWhoseRecordWentAwayFails) {
    Check({1, 3});
    model.OnStart();
    records.rows.resize(2);
    records.rows[1].start = At(15, 0, 0);
    const _recfile_info_t before = records.rows[1];
    model.OnTimer();
    model.OnTimer();
    EXPECT_TRUE(library.starts.empty());
    EXPECT_EQ(States(), (std::vector<std::string>{"Not Download", "Download Failed", "Not Download",
                                                  "Download Failed"}));
    EXPECT_EQ(records.rows[1].downloadState, before.downloadState);
    EXPECT_EQ(records.rows[1].downloadState, 1u) << "the word Start set before the record was replaced";
}

TEST_F(Download, ARefusedStartFailsAndTheNextRowGoesOn) {
    Check({0, 1});
    model.OnStart();
    library.refuse = true;
    model.OnTimer();
    EXPECT_EQ(view.State(0), "Download Failed");
    ExpectState(0, kRowIdle);
    library.refuse = false;
    model.OnTimer();
    ExpectState(1, kRowDownloading);
}

// Joins path parts with the system's separator, as the library formats them.
std::string Join(std::initializer_list<std::string> parts) {
    std::string path;
    for (const std::string& part : parts)
        path += (path.empty() ? "" : std::string(1, platform::kPathSeparator)) + part;
    return path;
}

// Target paths: the folder tree and the file of a row, and the paths that
// are refused (the row fails, the library is never asked).
TEST(DownloadPath, TargetOfARowByVideoTypeHostAndLength) {
    const std::string deep = "D:\\" + std::string(211, 'p');  // 259 characters with ".avi"
    struct Case {
        std::string recordPath;
        std::string host;
        int pane;
        int videoType;
        std::string path;  // "" when the row must fail
    } cases[] = {
        {"D:\\DVR\\Download", "192.168.1.20", 0, 1,
         Join({"D:\\DVR\\Download", "192.168.1.20", "CH01", "20240305", "080000-083015.avi"})},
        {"D:\\DVR", "192.168.1.20", 3, 0,
         Join({"D:\\DVR", "192.168.1.20", "CH04", "20240305", "080000-083015.264"})},
        {"C:\\d", "10.0.0.1", 1, 7, Join({"C:\\d", "10.0.0.1", "CH02", "20240305", "080000-083015"})},
        {"C:\\d", "..", 0, 0, ""},
        {"C:\\d", "a\\b", 0, 0, ""},
        {"C:\\d", "C:", 0, 0, ""},
        {deep, "192.168.1.20", 0, 1, Join({deep, "192.168.1.20", "CH01", "20240305", "080000-083015.avi"})},
        {deep + "q", "192.168.1.20", 0, 1, ""},  // 260: no room for its zero
    };
    for (const Case& c : cases) {
        FakeLibrary library;
        FakeSettings settings;
        FakeView view;
        FakeRecords records;
        _recfile_info_t r;
        r.start = At(8, 0, 0);
        r.end = At(8, 30, 15);
        records.rows.push_back(r);
        settings.recordPath = c.recordPath;
        settings.host = c.host;
        settings.videoType = c.videoType;
        FileDownloadModel model(c.pane, library, settings, view, &IgnoreEvent, 1);
        model.Fill(&records);
        view.rows[0].checked = true;
        model.OnStart();
        model.OnTimer();
        if (c.path.empty()) {
            EXPECT_TRUE(library.starts.empty()) << c.recordPath.size() << " " << c.host;
            EXPECT_EQ(view.State(0), "Download Failed") << c.host;
            EXPECT_TRUE(settings.folders.empty());
            continue;
        }
        ASSERT_EQ(library.starts.size(), 1u) << c.host;
        EXPECT_EQ(library.starts[0].path, c.path);
        EXPECT_LT(c.path.size(), size_t{VEKNET_MAX_PATH});
        EXPECT_EQ(library.starts[0].channel, c.pane);
        EXPECT_EQ(view.rows[0].texts[kColumnPath] + DownloadExtension(c.videoType), c.path);
        // The folders above the file, never a folder of the file's name.
        EXPECT_EQ(settings.folders,
                  (std::vector<std::string>{c.path.substr(0, c.path.rfind(platform::kPathSeparator))}));
    }
}

}  // namespace
