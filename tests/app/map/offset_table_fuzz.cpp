// libFuzzer target: the map offset table loaded from hostile databases and
// searched.
//
// The input makes a table `min` in an in-memory SQLite database: one to six
// columns, declared TEXT (as the shipped file has them) or with no type, and
// rows whose cells are NULL, integers, texts or blobs of any bytes (quotes,
// zero bytes, far longer than a field). CDBConnection opens that database
// read-only as the program opens its file, loads the table and answers
// lookups; the search runs on the loaded table with keys taken from its rows,
// cut from them, or made up. Rows are also handed to the row decoder directly
// with odd column counts and missing cells.
//
// Checked: the load succeeds with one record per row, sorted, each field the
// cell's text cut to the field and zero-terminated (empty for NULL or a
// missing column); FindOffsetRow returns a row of the table whose texts begin
// with the keys, and finds one whenever a row holds both keys exactly and no
// other latitude text merely begins with the key; LookupOffset runs (when the
// table has both key columns) and copies the corrections of the last row
// whose key cells are exactly the texts asked for, or leaves them.
#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/map/offset_db.h"
#include "app/map/offset_table.h"
#include "tests/common/fuzz_input.h"

namespace {

using Input = vektest::FuzzInput;

using vektest::Check;

constexpr const char* kUri = "file:offset_table_fuzz?mode=memory&cache=shared";

// A cell as inserted, and how SQLite hands it back.
struct Cell {
    int kind = SQLITE_NULL;  // SQLITE_NULL, SQLITE_INTEGER, SQLITE_TEXT, SQLITE_BLOB
    int64_t number = 0;
    std::string bytes;  // text or blob

    // The text a row callback receives: up to its first zero byte; null for NULL.
    bool IsNull() const { return kind == SQLITE_NULL; }
    std::string Text() const {
        const std::string all = kind == SQLITE_INTEGER ? std::to_string(number) : bytes;
        return all.substr(0, all.find('\0'));
    }
};

struct Table {
    int columns = 0;
    bool typed = true;
    std::vector<std::vector<Cell>> rows;
};

// The database the writer connection keeps alive between inputs.
sqlite3* Database() {
    static sqlite3* db = [] {
        // URI names for every connection, the product's own included, so that
        // both reach the same in-memory database.
        if (sqlite3_config(SQLITE_CONFIG_URI, 1) != SQLITE_OK)
            std::abort();
        sqlite3* d = nullptr;
        if (sqlite3_open_v2(kUri, &d, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                            nullptr) != SQLITE_OK)
            std::abort();
        return d;
    }();
    return db;
}

void Exec(const std::string& sql) {
    if (sqlite3_exec(Database(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        std::abort();
}

Cell MakeCell(Input& in, bool typed) {
    Cell c;
    switch (in.U8() % 4) {
        case 0:
            break;
        case 1:
            c.kind = SQLITE_INTEGER;
            c.number = static_cast<int64_t>(in.U8() & 1 ? in.U64() : in.U8());
            break;
        case 2:
            c.kind = SQLITE_TEXT;
            c.bytes = in.Bytes(30);
            break;
        default:
            c.kind = SQLITE_BLOB;
            c.bytes = in.Bytes(30);
            break;
    }
    // A TEXT column stores an integer as its decimal text.
    if (typed && c.kind == SQLITE_INTEGER) {
        c.bytes = std::to_string(c.number);
        c.kind = SQLITE_TEXT;
    }
    return c;
}

Table MakeTable(Input& in) {
    Table t;
    t.columns = 1 + in.U8() % 6;
    t.typed = in.U8() % 4 != 0;
    std::string create = "DROP TABLE IF EXISTS [min]; CREATE TABLE [min] (";
    static const char* const kNames[] = {"Lng", "Lat", "LatOffset", "LngOffset", "e", "f"};
    for (int c = 0; c < t.columns; c++)
        create += std::string(c ? ", " : "") + "[" + kNames[c] + "]" + (t.typed ? " TEXT" : "");
    Exec(create + ")");

    std::string insert = "INSERT INTO [min] VALUES (";
    for (int c = 0; c < t.columns; c++)
        insert += c ? ", ?" : "?";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(Database(), (insert + ")").c_str(), -1, &statement, nullptr) != SQLITE_OK)
        std::abort();
    Exec("BEGIN");
    for (int rows = in.U8() % 48; rows > 0 && !in.Empty(); rows--) {
        std::vector<Cell> row;
        for (int c = 0; c < t.columns; c++) {
            row.push_back(MakeCell(in, t.typed));
            const Cell& cell = row.back();
            const int at = c + 1;
            if (cell.kind == SQLITE_NULL)
                sqlite3_bind_null(statement, at);
            if (cell.kind == SQLITE_INTEGER)
                sqlite3_bind_int64(statement, at, cell.number);
            if (cell.kind == SQLITE_TEXT)
                sqlite3_bind_text(statement, at, cell.bytes.data(), static_cast<int>(cell.bytes.size()),
                                  SQLITE_TRANSIENT);
            if (cell.kind == SQLITE_BLOB)
                sqlite3_bind_blob(statement, at, cell.bytes.data(), static_cast<int>(cell.bytes.size()),
                                  SQLITE_TRANSIENT);
        }
        if (sqlite3_step(statement) != SQLITE_DONE)
            std::abort();
        sqlite3_reset(statement);
        t.rows.push_back(std::move(row));
    }
    Exec("COMMIT");
    sqlite3_finalize(statement);
    return t;
}

// The field a cell's text gives: cut to size - 1 characters, zero-filled.
bool FieldHolds(const char* field, size_t size, const std::string& text) {
    const size_t n = std::min(text.size(), size - 1);
    if (std::memcmp(field, text.data(), n) != 0)
        return false;
    for (size_t i = n; i < size; i++)
        if (field[i] != '\0')
            return false;
    return true;
}

OffsetRecord Expected(const std::vector<Cell>& row) {
    std::vector<std::string> texts(row.size());
    std::vector<char*> cells(row.size());
    for (size_t i = 0; i < row.size(); i++) {
        texts[i] = row[i].Text();
        cells[i] = row[i].IsNull() ? nullptr : texts[i].data();
    }
    return OffsetRecordFromRow(static_cast<int>(cells.size()), cells.data());
}

bool SameRecord(const OffsetRecord& a, const OffsetRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The row decoder on its own, with column counts and cells as no database
// hands them.
void CheckRowDecoder(Input& in) {
    const int columns = static_cast<int>(in.U8() % 12) - 4;
    std::vector<std::string> texts;
    std::vector<char*> cells;
    for (int i = 0; i < columns; i++)
        texts.push_back(in.Bytes(40));
    for (int i = 0; i < columns; i++)
        cells.push_back(in.U8() % 3 == 0 ? nullptr : texts[static_cast<size_t>(i)].data());
    const bool none = in.U8() % 8 == 0;
    const OffsetRecord r = OffsetRecordFromRow(columns, none ? nullptr : cells.data());
    const auto text = [&](int i) {
        if (none || i >= columns || !cells[static_cast<size_t>(i)])
            return std::string();
        return std::string(cells[static_cast<size_t>(i)]);
    };
    Check(FieldHolds(r.Lng, sizeof r.Lng, text(0)) && FieldHolds(r.Lat, sizeof r.Lat, text(1)) &&
          FieldHolds(r.LatCorrection, sizeof r.LatCorrection, text(2)) &&
          FieldHolds(r.LngCorrection, sizeof r.LngCorrection, text(3)));
}

void CheckFind(const std::vector<OffsetRecord>& table, const std::string& lat, const std::string& lng) {
    const OffsetRecord* found = FindOffsetRow(table, lat.c_str(), lng.c_str());
    if (found) {
        Check(found >= table.data() && found < table.data() + table.size());
        Check(std::strncmp(found->Lng, lat.c_str(), lat.size()) == 0 &&
              std::strncmp(found->Lat, lng.c_str(), lng.size()) == 0);
        return;
    }
    bool exact = false;
    for (const OffsetRecord& r : table) {
        const bool latBegins = std::strncmp(r.Lng, lat.c_str(), lat.size()) == 0;
        if (latBegins && lat != r.Lng)
            return;  // a longer latitude text may hide the row
        exact = exact || (latBegins && std::strncmp(r.Lat, lng.c_str(), lng.size()) == 0);
    }
    Check(!exact);
}

// A key for the searches: a row's text, cut or whole, or the input's bytes.
std::string Key(Input& in, const std::vector<OffsetRecord>& table, bool latitude) {
    const uint8_t how = in.U8();
    if (table.empty() || how % 3 == 0) {
        std::string key = in.Bytes(9);
        return key.substr(0, key.find('\0'));
    }
    const OffsetRecord& r = table[in.U8() % table.size()];
    const std::string text = latitude ? r.Lng : r.Lat;
    return how % 3 == 1 ? text : text.substr(0, in.U8() % (text.size() + 1));
}

void CheckLookup(CDBConnection& db, const Table& t, const std::string& lat, const std::string& lng) {
    OffsetRecord asked{};
    CopyOffsetField(asked.Lng, sizeof asked.Lng, lat.c_str());
    CopyOffsetField(asked.Lat, sizeof asked.Lat, lng.c_str());
    CopyOffsetField(asked.LatCorrection, sizeof asked.LatCorrection, "kept");
    CopyOffsetField(asked.LngCorrection, sizeof asked.LngCorrection, "kept too");
    OffsetRecord record = asked;
    const int ran = db.LookupOffset(record);
    Check(ran == (t.columns >= 2 ? 1 : 0));
    if (!ran) {
        Check(SameRecord(record, asked));
        return;
    }
    // The query compares whole cells: only a text cell equal to the key matches.
    const std::string latKey(asked.Lng), lngKey(asked.Lat);
    OffsetRecord want = asked;
    for (const std::vector<Cell>& row : t.rows) {
        if (row[0].kind != SQLITE_TEXT || row[0].bytes != latKey || row[1].kind != SQLITE_TEXT ||
            row[1].bytes != lngKey)
            continue;
        const OffsetRecord r = Expected(row);
        std::memcpy(want.LatCorrection, r.LatCorrection, sizeof r.LatCorrection);
        std::memcpy(want.LngCorrection, r.LngCorrection, sizeof r.LngCorrection);
    }
    Check(SameRecord(record, want));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    CheckRowDecoder(in);
    const Table t = MakeTable(in);

    CDBConnection db;
    Check(db.OpenOffsetDb(kUri) == 1);
    Check(db.LoadOffsetTable() == 1);
    const std::vector<OffsetRecord>& table = db.OffsetTable();
    Check(table.size() == t.rows.size());
    std::vector<OffsetRecord> want;
    for (const std::vector<Cell>& row : t.rows)
        want.push_back(Expected(row));
    SortOffsetTable(want);
    for (size_t i = 0; i < table.size(); i++) {
        Check(SameRecord(table[i], want[i]));
        if (i > 0) {
            const int byLng = std::strcmp(table[i - 1].Lng, table[i].Lng);
            Check(byLng < 0 || (byLng == 0 && std::strcmp(table[i - 1].Lat, table[i].Lat) <= 0));
        }
    }

    for (int n = 0; n < 8 && !in.Empty(); n++) {
        const std::string lat = Key(in, table, true);
        const std::string lng = Key(in, table, false);
        CheckFind(table, lat, lng);
        CheckLookup(db, t, lat, lng);
    }
    return 0;
}
