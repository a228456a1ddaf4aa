// The map page bridge's statements: the texts of a track and of the car, the
// signs of the southern and western hemispheres and their offset keys, a car
// standing still, fixes without a position, indexes outside the table, and
// what happens before the page has loaded. Positions are chosen exact in
// binary, so every text is known to the last digit.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/map/map_bridge.h"
#include "app/map/offset_db.h"

namespace {

using track::MapBridge;

class RecordingHost : public track::MapScriptHost {
  public:
    bool RunScript(const std::string& statement) override {
        statements.push_back(statement);
        return statements.size() != failAt;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::vector<std::string> statements;
    std::vector<std::string> messages;
    size_t failAt = 0;  // the 1-based statement whose page window cannot be had
};

using Keys = std::pair<std::string, std::string>;  // (latitude key, longitude key)
using Corrections = std::pair<std::string, std::string>;

// Corrections by key: `queried` answers the database lookups of single fixes,
// `loaded` the search of the table in memory; both record the keys asked for.
class FakeOffsets : public track::OffsetSource {
  public:
    bool LookupOffset(OffsetRecord& record) override {
        lookups.emplace_back(record.Lng, record.Lat);
        const auto row = queried.find(lookups.back());
        if (row != queried.end()) {
            CopyOffsetField(record.LatCorrection, sizeof record.LatCorrection, row->second.first.c_str());
            CopyOffsetField(record.LngCorrection, sizeof record.LngCorrection, row->second.second.c_str());
        }
        return true;
    }
    const OffsetRecord* FindOffsetRow(const char* latKey, const char* lngKey) override {
        searches.emplace_back(latKey, lngKey);
        const auto row = loaded.find(searches.back());
        if (row == loaded.end())
            return nullptr;
        found_ = {};
        CopyOffsetField(found_.LatCorrection, sizeof found_.LatCorrection, row->second.first.c_str());
        CopyOffsetField(found_.LngCorrection, sizeof found_.LngCorrection, row->second.second.c_str());
        return &found_;
    }

    std::map<Keys, Corrections> queried;
    std::map<Keys, Corrections> loaded;
    std::vector<Keys> lookups;
    std::vector<Keys> searches;

  private:
    OffsetRecord found_{};
};

GpsRecord Fix(int second, double latitude, double longitude, float speed = 0, char ns = 'N', char ew = 'E') {
    GpsRecord fix{};
    fix.Year = 24;
    fix.Month = 5;
    fix.Day = 6;
    fix.Hour = 0;
    fix.Minute = 10;
    fix.Second = static_cast<uint8_t>(second);
    fix.Latitude = latitude;
    fix.Longitude = longitude;
    fix.Speed = speed;
    fix.NorthSouth = ns;
    fix.EastWest = ew;
    return fix;
}

class Bridge : public ::testing::Test {
  protected:
    // The page has loaded (its SetLanguage call is not kept).
    void Load() {
        bridge_.OnPageLoaded(256);
        host_.statements.clear();
    }
    int CarCalls() const {
        int n = 0;
        for (const std::string& s : host_.statements)
            n += s.rfind("SetCarPosition(", 0) == 0;
        return n;
    }

    RecordingHost host_;
    FakeOffsets offsets_;
    std::vector<GpsRecord> table_;
    MapBridge bridge_{host_, offsets_};
};

TEST_F(Bridge, ATrackAndTheCarInTheirTextsMarkersAndCarQueriedPathSearched) {
    table_ = {Fix(0, 22.5625, 113.3125), Fix(1, 22.5703125, 113.328125, 42.25),
              Fix(2, 22.578125, 113.34375, 40), Fix(3, 22.75, 113.5)};
    table_[0].Heading = 90.5f;
    table_[0].State = 3;
    table_[1].Heading = 45;
    table_[1].State = 1;
    // Different corrections for the query and the table show which served.
    offsets_.queried[{"22.6", "113.3"}] = {"0.25", "-0.125"};
    offsets_.loaded[{"22.6", "113.3"}] = {"0.5", "0.5"};
    bridge_.SetGpsTable(&table_);

    bridge_.OnPageLoaded(257);
    EXPECT_TRUE(bridge_.PageLoaded());
    EXPECT_TRUE(bridge_.OnDrawTrack(0, 3));
    EXPECT_TRUE(bridge_.OnCarPosition(1));
    const std::vector<std::string> want = {
        "SetLanguage(\"257\")",
        "clearMarker()",
        "clearCarPath()",
        "InitCarPos()",
        "addMarker(\"113.18750000000000,22.81250000000000,0\")",
        "SetCarPosition(\"113.18750000000000,22.81250000000000,90.500000,0.00,3,2024-05-06--00:10:00\")",
        "addMarker(\"113.50000000000000,22.75000000000000,1\")",
        "drawCarPath(\"113.81250000000000,23.06250000000000,113.82812500000000,23.07031250000000,"
        "113.84375000000000,23.07812500000000,113.50000000000000,22.75000000000000\")",
        "SetCarPosition(\"113.20312500000000,22.82031250000000,45.000000,42.25,1,2024-05-06--00:10:01\")",
    };
    EXPECT_EQ(host_.statements, want);
    EXPECT_TRUE(host_.messages.empty());
    const std::vector<Keys> lookups = {
        {"22.6", "113.3"}, {"22.6", "113.3"}, {"22.8", "113.5"}, {"22.6", "113.3"}};
    EXPECT_EQ(offsets_.lookups, lookups);
    EXPECT_EQ(offsets_.searches.size(), 4u);
}

TEST_F(Bridge, SouthernAndWesternFixesAreNegativeInEveryCallAndInTheirKeys) {
    table_ = {Fix(0, 33.875, 70.5625, 12.5f, 'S', 'W'), Fix(1, 33.9375, 70.65625, 12.5f, 'S', 'W')};
    offsets_.queried[{"-33.9", "-70.6"}] = {"-0.125", "0.25"};
    offsets_.loaded[{"-33.9", "-70.6"}] = {"-0.125", "0.25"};
    bridge_.SetGpsTable(&table_);
    Load();
    bridge_.OnDrawTrack(0, 1);
    bridge_.OnCarPosition(1);
    const std::vector<std::string> want = {
        "clearMarker()",
        "clearCarPath()",
        "InitCarPos()",
        "addMarker(\"-70.31250000000000,-34.00000000000000,0\")",
        "SetCarPosition(\"-70.31250000000000,-34.00000000000000,0.000000,12.50,0,2024-05-06--00:10:00\")",
        "addMarker(\"-70.65625000000000,-33.93750000000000,1\")",
        "drawCarPath(\"-70.31250000000000,-34.00000000000000,-70.65625000000000,-33.93750000000000\")",
        "SetCarPosition(\"-70.65625000000000,-33.93750000000000,0.000000,12.50,0,2024-05-06--00:10:01\")",
    };
    EXPECT_EQ(host_.statements, want);
    const std::vector<Keys> lookups = {
        {"-33.9", "-70.6"}, {"-33.9", "-70.6"}, {"-33.9", "-70.7"}, {"-33.9", "-70.7"}};
    EXPECT_EQ(offsets_.lookups, lookups);
    EXPECT_EQ(offsets_.searches, (std::vector<Keys>{{"-33.9", "-70.6"}, {"-33.9", "-70.7"}}));
}

TEST_F(Bridge, ACarStandingWhereItStoodIsNotSentAgainTheFirstFixAlwaysIs) {
    table_ = {Fix(0, 22.5, 113.25), Fix(1, 22.5, 113.25), Fix(2, 22.5, 113.375), Fix(3, 22.5, 113.375, 3.5f),
              Fix(4, 0, 0)};
    bridge_.SetGpsTable(&table_);
    Load();
    const struct {
        int index;
        bool sent;
    } cases[] = {
        {0, true},   // the first fix of the table, standing
        {1, false},  // standing where fix 0 stood
        {2, true},   // moved since fix 1, though its speed is 0
        {3, true},   // moving at the same place
        {4, true},   // no position any more: differs from fix 3
    };
    for (const auto& c : cases) {
        const int before = CarCalls();
        EXPECT_TRUE(bridge_.OnCarPosition(c.index));
        EXPECT_EQ(CarCalls() - before, c.sent ? 1 : 0) << "fix " << c.index;
    }
}

// The path takes every fix from first to last that has a position, the two
// ends included; fixes without one are skipped. A first index past the last
// still draws both markers, and an empty path.
TEST_F(Bridge, FixesWithoutAPositionAreLeftOutOfThePathTheMarkersStay) {
    table_ = {Fix(0, 22.5, 113.25), Fix(1, 0, 0), Fix(2, 0, 0), Fix(3, 22.75, 113.5)};
    bridge_.SetGpsTable(&table_);
    Load();
    bridge_.OnDrawTrack(0, 3);
    std::vector<std::string> want = {
        "clearMarker()",
        "clearCarPath()",
        "InitCarPos()",
        "addMarker(\"113.25000000000000,22.50000000000000,0\")",
        "SetCarPosition(\"113.25000000000000,22.50000000000000,0.000000,0.00,0,2024-05-06--00:10:00\")",
        "addMarker(\"113.50000000000000,22.75000000000000,1\")",
        "drawCarPath(\"113.25000000000000,22.50000000000000,113.50000000000000,22.75000000000000\")",
    };
    EXPECT_EQ(host_.statements, want);

    host_.statements.clear();
    bridge_.OnDrawTrack(3, 0);
    want = {
        "clearMarker()",
        "clearCarPath()",
        "InitCarPos()",
        "addMarker(\"113.50000000000000,22.75000000000000,0\")",
        "SetCarPosition(\"113.50000000000000,22.75000000000000,0.000000,0.00,0,2024-05-06--00:10:03\")",
        "addMarker(\"113.25000000000000,22.50000000000000,1\")",
        "drawCarPath(\"\")",
    };
    EXPECT_EQ(host_.statements, want);

    // Without a position at the start nothing follows the clearing calls; an
    // end without one gets no end marker.
    host_.statements.clear();
    bridge_.OnDrawTrack(1, 3);
    EXPECT_EQ(host_.statements.size(), 3u);
    host_.statements.clear();
    bridge_.OnDrawTrack(0, 2);
    ASSERT_EQ(host_.statements.size(), 6u);
    EXPECT_EQ(host_.statements[5], "drawCarPath(\"113.25000000000000,22.50000000000000\")");
}

// The table may be replaced by a shorter one while a message is queued.
TEST_F(Bridge, IndexesOutsideTheTableMakeNoCarCallAndEndATrackAfterClearing) {
    table_ = {Fix(0, 22.5, 113.25, 1), Fix(1, 22.5, 113.5, 1), Fix(2, 22.75, 113.5, 1), Fix(3, 23, 113.5, 1)};
    bridge_.SetGpsTable(&table_);
    Load();
    table_ = {Fix(0, 22.5, 113.25, 1), Fix(1, 22.5, 113.5, 1)};
    for (int index : {2, 3, -1, track::MessageIndex(-5), track::MessageIndex(intptr_t{1} << 40)}) {
        EXPECT_TRUE(bridge_.OnCarPosition(index)) << index;
        EXPECT_TRUE(host_.statements.empty()) << index;
    }
    const std::pair<int, int> tracks[] = {{0, 3}, {-1, 1}, {2, 1}, {0, -1}, {5, 9}};
    for (const auto& [first, last] : tracks) {
        host_.statements.clear();
        EXPECT_TRUE(bridge_.OnDrawTrack(first, last));
        const std::vector<std::string> clearing = {"clearMarker()", "clearCarPath()", "InitCarPos()"};
        EXPECT_EQ(host_.statements, clearing) << first << ".." << last;
    }
    EXPECT_TRUE(offsets_.lookups.empty());
}

TEST_F(Bridge, BeforeThePageHasLoadedOrWithoutFixesNoMessageMakesACall) {
    std::vector<GpsRecord> empty;
    table_ = {Fix(0, 22.5, 113.25, 1), Fix(1, 22.5, 113.5, 1)};
    const struct {
        const char* what;
        bool loaded;
        const std::vector<GpsRecord>* table;
    } cases[] = {
        {"not loaded", false, &table_},
        {"empty table", true, &empty},
        {"no table", true, nullptr},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        MapBridge bridge(host, offsets_);
        bridge.SetGpsTable(c.table);
        if (c.loaded)
            bridge.OnPageLoaded(256);
        host.statements.clear();
        EXPECT_FALSE(bridge.OnClear()) << c.what;
        EXPECT_FALSE(bridge.OnDrawTrack(0, 1)) << c.what;
        EXPECT_FALSE(bridge.OnCarPosition(0)) << c.what;
        EXPECT_TRUE(host.statements.empty()) << c.what;
    }
    // Loaded, with fixes: clear makes its three calls.
    bridge_.SetGpsTable(&table_);
    Load();
    EXPECT_TRUE(bridge_.OnClear());
    EXPECT_EQ(host_.statements,
              (std::vector<std::string>{"clearMarker()", "clearCarPath()", "InitCarPos()"}));
}

TEST_F(Bridge, AStatementWhosePageWindowCannotBeHadShowsTheErrorTheOthersStillRun) {
    table_ = {Fix(0, 22.5, 113.25), Fix(1, 22.75, 113.5)};
    bridge_.SetGpsTable(&table_);
    Load();
    host_.failAt = 2;
    bridge_.OnDrawTrack(0, 1);
    EXPECT_EQ(host_.statements.size(), 7u);
    EXPECT_EQ(host_.messages, std::vector<std::string>{"Get parentWindow error!"});
}

// The program's source of corrections: the database answers single fixes by
// exact key text, the table in memory by prefix ("113.3" finds "113.31").
TEST(BridgeOnADatabase, MarkersAndCarAreCorrectedByTheQueryThePathByTheLoadedTable) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("vek_map_bridge_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "GoogleMapOffset.db").string();
    sqlite3* made = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &made), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(made,
                           "CREATE TABLE [min] (Lng TEXT, Lat TEXT, c TEXT, d TEXT);"
                           "INSERT INTO [min] VALUES ('-33.9','-70.6','0.25','0.5');"
                           "INSERT INTO [min] VALUES ('22.6','113.31','0.125','0.125');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(made);

    {
        CDBConnection db;
        ASSERT_EQ(db.OpenOffsetDb(path), 1) << db.LastError();
        ASSERT_EQ(db.LoadOffsetTable(), 1) << db.LastError();
        track::DbOffsetSource offsets(db);
        RecordingHost host;
        MapBridge bridge(host, offsets);
        std::vector<GpsRecord> table = {Fix(0, 22.5625, 113.3125), Fix(1, 33.875, 70.5625, 5, 'S', 'W')};
        bridge.SetGpsTable(&table);
        bridge.OnPageLoaded(256);
        bridge.OnDrawTrack(0, 1);
        const std::vector<std::string> want = {
            "SetLanguage(\"256\")",
            "clearMarker()",
            "clearCarPath()",
            "InitCarPos()",
            "addMarker(\"113.31250000000000,22.56250000000000,0\")",  // no row of that exact text
            "SetCarPosition(\"113.31250000000000,22.56250000000000,0.000000,0.00,0,2024-05-06--00:10:00\")",
            "addMarker(\"-70.06250000000000,-33.62500000000000,1\")",
            "drawCarPath(\"113.43750000000000,22.68750000000000,-70.06250000000000,-33.62500000000000\")",
        };
        EXPECT_EQ(host.statements, want);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace
