// app/map/offset_db.cpp
#include "app/map/offset_db.h"

#include <sqlite3.h>

#include <cstring>

CDBConnection g_offsetDb;

namespace {

int AppendRow(void* context, int columns, char** cells, char** /*names*/) {
    auto* table = static_cast<std::vector<OffsetRecord>*>(context);
    if (table->size() >= kOffsetTableMaxRows)
        return 1;  // ends the query: too many rows
    table->push_back(OffsetRecordFromRow(columns, cells));
    return 0;
}

int CopyCorrections(void* context, int columns, char** cells, char** /*names*/) {
    auto* record = static_cast<OffsetRecord*>(context);
    const OffsetRecord row = OffsetRecordFromRow(columns, cells);
    std::memcpy(record->LatCorrection, row.LatCorrection, sizeof row.LatCorrection);
    std::memcpy(record->LngCorrection, row.LngCorrection, sizeof row.LngCorrection);
    return 0;
}

std::string FieldText(const char* field, size_t size) {
    return std::string(field, strnlen(field, size));
}

}  // namespace

CDBConnection::~CDBConnection() {
    Close();
}

int CDBConnection::Fail(const std::string& what) {
    error_ = what;
    return 0;
}

int CDBConnection::OpenOffsetDb() {
    return OpenOffsetDb(OffsetDbPath());
}

int CDBConnection::OpenOffsetDb(const std::string& utf8Path) {
    Close();
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(utf8Path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        const std::string why = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return Fail(utf8Path + ": " + why);
    }
    db_ = db;
    error_.clear();
    return 1;
}

void CDBConnection::Close() {
    if (db_ != nullptr)
        sqlite3_close(db_);
    db_ = nullptr;
}

int CDBConnection::LoadOffsetTable() {
    table_.clear();
    if (db_ == nullptr)
        return Fail("the offset database is not open");
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, "SELECT * FROM [min]", AppendRow, &table_, &message);
    std::string why;
    if (rc == SQLITE_ABORT && table_.size() >= kOffsetTableMaxRows)
        why = "more than " + std::to_string(kOffsetTableMaxRows) + " rows; the rest is left out";
    else if (rc != SQLITE_OK)
        why = message != nullptr ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    SortOffsetTable(table_);
    if (!why.empty())
        return Fail(why);
    error_.clear();
    return 1;
}

int CDBConnection::LookupOffset(OffsetRecord& record) {
    if (db_ == nullptr)
        return Fail("the offset database is not open");
    // %q doubles quotes: the keys cannot end the literal.
    char* query = sqlite3_mprintf("SELECT * FROM [min] where [Lng] = '%q' and [Lat] = '%q'",
                                  FieldText(record.Lng, sizeof record.Lng).c_str(),
                                  FieldText(record.Lat, sizeof record.Lat).c_str());
    if (query == nullptr)
        return Fail("out of memory");
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, query, CopyCorrections, &record, &message);
    sqlite3_free(query);
    if (rc != SQLITE_OK) {
        const std::string why = message != nullptr ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        return Fail(why);
    }
    error_.clear();
    return 1;
}

const OffsetRecord* FindOffsetRow(const char* latKey, const char* lngKey) {
    return FindOffsetRow(g_offsetDb.OffsetTable(), latKey, lngKey);
}
