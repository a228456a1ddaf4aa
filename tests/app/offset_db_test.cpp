// The map offset database on databases made here: rows in any order, keys of
// every hemisphere, NULL cells and short rows, missing files and tables, and
// the in-memory search against the exact query.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/map/offset_db.h"
#include "platform/paths.h"
#include "tests/common/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Paths to and from the UTF-8 texts SQLite takes.
fs::path FromUtf8(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}
std::string ToUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class OffsetDb : public ::testing::Test {
  protected:
    void TearDown() override { db_.Close(); }

    // A database at `name` made of SQL statements.
    std::string Make(const std::string& name, const std::string& sql) {
        const std::string path = ToUtf8(dir_ / FromUtf8(name));
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
        return path;
    }

    // A grid of rows, inserted in an order that is not the sorted one.
    std::string MakeGrid(const std::string& name) {
        std::string sql = "CREATE TABLE [min] (Lng TEXT, Lat TEXT, c TEXT, d TEXT);";
        const char* lats[] = {"31.2", "-8.5", "0.0", "31.25", "-33.9"};
        const char* lngs[] = {"121.4", "-70.6", "115.2", "-0.1"};
        int n = 0;
        for (const char* lat : lats) {
            for (const char* lng : lngs) {
                sql += std::string("INSERT INTO [min] VALUES ('") + lat + "','" + lng + "','-0.00" +
                       std::to_string(n) + "','0.00" + std::to_string(n) + "');";
                n++;
            }
        }
        return Make(name, sql);
    }

    const vektest::TempDir temp_;
    const fs::path dir_{temp_.Path()};
    CDBConnection db_;
};

TEST_F(OffsetDb, LoadSortsAndSearchFindsEveryRowIncludingFirstAndLast) {
    ASSERT_EQ(db_.OpenOffsetDb(MakeGrid("grid.db")), 1) << db_.LastError();
    ASSERT_EQ(db_.LoadOffsetTable(), 1) << db_.LastError();
    const std::vector<OffsetRecord>& table = db_.OffsetTable();
    ASSERT_EQ(table.size(), 20u);
    for (size_t i = 1; i < table.size(); i++) {
        const int order = std::strcmp(table[i - 1].Lng, table[i].Lng);
        EXPECT_TRUE(order < 0 || (order == 0 && std::strcmp(table[i - 1].Lat, table[i].Lat) < 0)) << i;
    }
    // Byte order puts "-33.9" first and "31.25" last.
    EXPECT_STREQ(table.front().Lng, "-33.9");
    EXPECT_STREQ(table.front().Lat, "-0.1");
    EXPECT_STREQ(table.back().Lng, "31.25");
    EXPECT_STREQ(table.back().Lat, "121.4");
    for (const OffsetRecord& row : table) {
        const OffsetRecord* found = FindOffsetRow(table, row.Lng, row.Lat);
        ASSERT_NE(found, nullptr) << row.Lng << ' ' << row.Lat;
        EXPECT_STREQ(found->LatCorrection, row.LatCorrection);
        EXPECT_STREQ(found->LngCorrection, row.LngCorrection);
    }
    EXPECT_EQ(FindOffsetRow(table, "-8.5", "121.5"), nullptr);
    EXPECT_EQ(FindOffsetRow(table, "8.5", "-70.6"), nullptr);  // no minus, no row
    EXPECT_EQ(FindOffsetRow(table, "45.0", "-70.6"), nullptr);
    EXPECT_EQ(FindOffsetRow({}, "31.2", "121.4"), nullptr);
}

TEST_F(OffsetDb, InMemoryKeysMatchByPrefixTheQueryByExactText) {
    ASSERT_EQ(db_.OpenOffsetDb(Make("prefix.db",
                                    "CREATE TABLE [min] (Lng TEXT, Lat TEXT, c TEXT, d TEXT);"
                                    "INSERT INTO [min] VALUES ('31.25','121.45','0.5','0.6');")),
              1);
    ASSERT_EQ(db_.LoadOffsetTable(), 1);
    const OffsetRecord* found = FindOffsetRow(db_.OffsetTable(), "31.2", "121.4");
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found->LatCorrection, "0.5");

    OffsetRecord record = {};
    std::strcpy(record.Lng, "31.2");
    std::strcpy(record.Lat, "121.4");
    std::strcpy(record.LatCorrection, "untouched");
    EXPECT_EQ(db_.LookupOffset(record), 1);  // ran, found nothing
    EXPECT_STREQ(record.LatCorrection, "untouched");
    std::strcpy(record.Lng, "31.25");
    std::strcpy(record.Lat, "121.45");
    EXPECT_EQ(db_.LookupOffset(record), 1);
    EXPECT_STREQ(record.LatCorrection, "0.5");
    EXPECT_STREQ(record.LngCorrection, "0.6");
}

TEST_F(OffsetDb, LookupTakesTheLastRowAndQuotesItsKeys) {
    ASSERT_EQ(db_.OpenOffsetDb(Make("dup.db",
                                    "CREATE TABLE [min] (Lng TEXT, Lat TEXT, c TEXT, d TEXT);"
                                    "INSERT INTO [min] VALUES ('-8.5','-70.6','1','2');"
                                    "INSERT INTO [min] VALUES ('-8.5','-70.6','3','4');"
                                    "INSERT INTO [min] VALUES ('a''b','1',NULL,'5');")),
              1);
    OffsetRecord record = {};
    std::strcpy(record.Lng, "-8.5");
    std::strcpy(record.Lat, "-70.6");
    ASSERT_EQ(db_.LookupOffset(record), 1);
    EXPECT_STREQ(record.LatCorrection, "3");
    EXPECT_STREQ(record.LngCorrection, "4");
    // A key holding a quote is a literal, not SQL; its NULL cell reads empty.
    std::strcpy(record.Lng, "a'b");
    std::strcpy(record.Lat, "1");
    ASSERT_EQ(db_.LookupOffset(record), 1) << db_.LastError();
    EXPECT_STREQ(record.LatCorrection, "");
    EXPECT_STREQ(record.LngCorrection, "5");
    // Key fields filled to the last byte are read no further than their field.
    std::memset(record.Lng, '9', sizeof record.Lng);
    EXPECT_EQ(db_.LookupOffset(record), 1);
}

TEST_F(OffsetDb, NullCellsShortRowsAndLongCellsAreSafe) {
    ASSERT_EQ(db_.OpenOffsetDb(Make("odd.db",
                                    "CREATE TABLE [min] (Lng TEXT, Lat TEXT);"
                                    "INSERT INTO [min] VALUES ('1.0', NULL);"
                                    "INSERT INTO [min] VALUES (NULL, '2.0');"
                                    "INSERT INTO [min] VALUES ('123456789012', '-0.5');")),
              1);
    ASSERT_EQ(db_.LoadOffsetTable(), 1);
    const std::vector<OffsetRecord>& table = db_.OffsetTable();
    ASSERT_EQ(table.size(), 3u);
    EXPECT_STREQ(table[0].Lng, "");
    EXPECT_STREQ(table[0].Lat, "2.0");
    EXPECT_STREQ(table[1].Lng, "1.0");
    EXPECT_STREQ(table[1].Lat, "");
    EXPECT_STREQ(table[2].Lng, "1234567");  // cut to its field
    for (const OffsetRecord& row : table) {
        EXPECT_STREQ(row.LatCorrection, "");
        EXPECT_STREQ(row.LngCorrection, "");
    }
    char* wide[] = {const_cast<char*>("0123456789012345678901234"), nullptr, nullptr,
                    const_cast<char*>("0123456789012345678901234")};
    const OffsetRecord cut = OffsetRecordFromRow(4, wide);
    EXPECT_STREQ(cut.LngCorrection, "0123456789012345678");
    EXPECT_STREQ(OffsetRecordFromRow(0, nullptr).Lng, "");
}

TEST_F(OffsetDb, MissingFileIsReportedAndNotCreated) {
    const fs::path missing = dir_ / "GoogleMapOffset.db";
    EXPECT_EQ(db_.OpenOffsetDb(ToUtf8(missing)), 0);
    EXPECT_FALSE(db_.IsOpen());
    EXPECT_NE(db_.LastError().find("GoogleMapOffset.db"), std::string::npos) << db_.LastError();
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(db_.LoadOffsetTable(), 0);
    EXPECT_TRUE(db_.OffsetTable().empty());
    OffsetRecord record = {};
    EXPECT_EQ(db_.LookupOffset(record), 0);
}

TEST_F(OffsetDb, MissingTableOrNoDatabaseLeavesTheTableEmpty) {
    ASSERT_EQ(db_.OpenOffsetDb(Make("other.db", "CREATE TABLE other (x);")), 1);
    EXPECT_EQ(db_.LoadOffsetTable(), 0);
    EXPECT_NE(db_.LastError().find("min"), std::string::npos) << db_.LastError();
    EXPECT_TRUE(db_.OffsetTable().empty());

    const fs::path text = dir_ / "text.db";
    FILE* f = std::fopen(text.string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("this is not a database, but long enough to look at its header bytes", f);
    std::fclose(f);
    db_.OpenOffsetDb(ToUtf8(text));
    EXPECT_EQ(db_.LoadOffsetTable(), 0);
    EXPECT_TRUE(db_.OffsetTable().empty());
}

TEST_F(OffsetDb, OpensThroughAUtf8Path) {
    // "Карты 地图" as UTF-8: outside any single ANSI code page.
    const std::string folder = "\xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD1\x8B \xE5\x9C\xB0\xE5\x9B\xBE";
    fs::create_directories(dir_ / FromUtf8(folder));
    const std::string path = MakeGrid(folder + "/GoogleMapOffset.db");
    ASSERT_EQ(db_.OpenOffsetDb(path), 1) << db_.LastError();
    ASSERT_EQ(db_.LoadOffsetTable(), 1);
    EXPECT_EQ(db_.OffsetTable().size(), 20u);
}

TEST(OffsetDbPath, BesideTheExecutable) {
    EXPECT_EQ(OffsetDbPath(), platform::JoinPath(platform::ExecutableDir(), "GoogleMapOffset.db"));
}

}  // namespace
