// app/map/offset_db.h
//
// CDBConnection: the connection to the map offset database "GoogleMapOffset.db"
// beside the executable. One global instance (g_offsetDb) lives for the whole
// process; the start-up opens the file and reads the whole table `min` into
// memory once, the track view searches that copy (FindOffsetRow) or asks the
// database for one position (LookupOffset).
//
// The file is only read: it is opened read-only, so a missing file is reported
// (OpenOffsetDb returns 0, LastError says why) and never created as an empty
// database. Its path goes to SQLite as UTF-8, so a folder name outside the
// ANSI code page still opens. Every failure leaves the table empty (or as far
// as it was read) and positions uncorrected; nothing is shown to the user.
//
// The rows come from a file, so they are not trusted: a NULL cell or a short
// row gives empty texts, and at most kOffsetTableMaxRows rows are kept. After
// the load the table is sorted, as FindOffsetRow needs.
#pragma once

#include <string>
#include <vector>

#include "app/map/offset_table.h"

struct sqlite3;

inline constexpr const char* kOffsetDbFileName = "GoogleMapOffset.db";
inline constexpr size_t kOffsetTableMaxRows = 1 << 20;

// The database's path beside the executable, in UTF-8.
std::string OffsetDbPath();

class CDBConnection {
  public:
    CDBConnection() = default;
    virtual ~CDBConnection();
    CDBConnection(const CDBConnection&) = delete;
    CDBConnection& operator=(const CDBConnection&) = delete;

    // Opens the database beside the executable, or at `utf8Path`; closes one
    // open before. 1 when it opened, else 0.
    int OpenOffsetDb();
    int OpenOffsetDb(const std::string& utf8Path);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

    // Reads every row of `min` into the table (replacing what it held) and
    // sorts it. 1 on success; 0 when the database is not open, the query
    // failed or the table had more rows than are kept.
    int LoadOffsetTable();

    // Asks the database for the row of the record's Lng and Lat texts (exact
    // texts) and copies its corrections into the record; with several rows
    // the last wins, with none the corrections stay. 1 when the query ran.
    int LookupOffset(OffsetRecord& record);

    const std::vector<OffsetRecord>& OffsetTable() const { return table_; }
    // Why the last call failed; empty after a success.
    const std::string& LastError() const { return error_; }

  private:
    int Fail(const std::string& what);

    sqlite3* db_ = nullptr;
    std::vector<OffsetRecord> table_;
    std::string error_;
};

extern CDBConnection g_offsetDb;

// FindOffsetRow on the table of g_offsetDb.
const OffsetRecord* FindOffsetRow(const char* latKey, const char* lngKey);
