#include "Database.h"

#include <sqlite3.h>

#include "DatabaseError.h"
#include "FieldRule.h"

namespace {

std::string textColumn(const FieldRule& rule) {
    return std::string(rule.column) + " TEXT NOT NULL CONSTRAINT " + rule.column + " CHECK(" +
           rule.sqlCheck() + ")";
}

// Identifiers are written with "%d" on the receiver.
std::string int32Check(const char* column) {
    return std::string("CONSTRAINT ") + column + " CHECK(typeof(" + column + ") = 'integer' AND " +
           column + " BETWEEN -2147483648 AND 2147483647)";
}

}  // namespace

Database::Database(const std::string& path, Mode mode) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mode == Mode::create) flags |= SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        db = nullptr;
        throw DatabaseError("cannot open database " + path + ": " + message);
    }
    sqlite3_busy_timeout(db, 5000);
    try {
        exec("PRAGMA foreign_keys = ON");
        if (mode == Mode::create) {
            // A rollback journal rather than a write-ahead log: SQLite finds a log and its
            // shared memory by the database's name, so a reader of a file that another
            // took the name of would share them with readers of the new one.
            try {
                exec("PRAGMA journal_mode = DELETE");
            } catch (const DatabaseError&) {
                // A log in use by a server: this import goes through it.
            }
            exec(schema());
        } else {
            Statement check = prepare("SELECT count(*) FROM sqlite_master WHERE name = 'matches'");
            if (!check.step() || check.integer(0) == 0) {
                throw DatabaseError(path + " holds no listings; import data into it first");
            }
        }
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
}

Database::~Database() {
    sqlite3_close(db);
}

Database::Database(Database&& other) noexcept : db(other.db) {
    other.db = nullptr;
}

void Database::exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        throw DatabaseError(message);
    }
}

Statement Database::prepare(std::string_view sql) {
    return Statement(db, sql);
}

std::string Database::schema() {
    return "CREATE TABLE IF NOT EXISTS matches (\n"
           "  id INTEGER PRIMARY KEY " +
           int32Check("id") +
           ",\n"
           "  " +
           textColumn(FieldRule::title) +
           ",\n"
           "  " +
           textColumn(FieldRule::country1) +
           ",\n"
           "  " +
           textColumn(FieldRule::picture) +
           ",\n"
           "  " +
           textColumn(FieldRule::country2) +
           ",\n"
           "  kickoff_utc INTEGER NOT NULL CONSTRAINT kickoff CHECK(typeof(kickoff_utc) = "
           "'integer')\n"
           ");\n"
           "CREATE INDEX IF NOT EXISTS matches_by_kickoff ON matches (kickoff_utc, id);\n"
           "CREATE TABLE IF NOT EXISTS channels (\n"
           "  id INTEGER PRIMARY KEY " +
           int32Check("id") +
           ",\n"
           "  " +
           textColumn(FieldRule::channelName) +
           ",\n"
           "  position_tenths INTEGER NOT NULL CONSTRAINT position\n"
           "    CHECK(typeof(position_tenths) = 'integer' AND position_tenths BETWEEN 0 AND "
           "1800),\n"
           "  direction TEXT NOT NULL CONSTRAINT direction CHECK(direction IN ('e', 'w')),\n"
           "  " +
           textColumn(FieldRule::frequency) +
           ",\n"
           "  " +
           textColumn(FieldRule::polarisation) +
           ",\n"
           "  symbol_rate INTEGER NOT NULL CONSTRAINT symbol_rate\n"
           "    CHECK(typeof(symbol_rate) = 'integer' AND symbol_rate BETWEEN 1 AND 2147483647),\n"
           "  " +
           textColumn(FieldRule::fec) +
           ",\n"
           "  " +
           textColumn(FieldRule::encryption) +
           ",\n"
           "  hd INTEGER NOT NULL CONSTRAINT hd CHECK(hd IN (0, 1))\n"
           ");\n"
           "CREATE TABLE IF NOT EXISTS match_channels (\n"
           "  match_id INTEGER NOT NULL REFERENCES matches (id) ON DELETE CASCADE,\n"
           "  channel_id INTEGER NOT NULL REFERENCES channels (id) ON DELETE CASCADE,\n"
           "  ordinal INTEGER NOT NULL,\n"
           "  PRIMARY KEY (match_id, channel_id)\n"
           ") WITHOUT ROWID;\n"
           "CREATE INDEX IF NOT EXISTS match_channels_by_channel ON match_channels (channel_id);\n"
           "CREATE VIEW IF NOT EXISTS match_satellites AS\n"
           "  SELECT DISTINCT mc.match_id, c.position_tenths, c.direction\n"
           "  FROM match_channels mc JOIN channels c ON c.id = mc.channel_id;\n"
           "CREATE TABLE IF NOT EXISTS pictures (\n"
           "  " +
           textColumn(FieldRule::pictureName) +
           " PRIMARY KEY,\n"
           "  data BLOB NOT NULL CONSTRAINT data\n"
           "    CHECK(typeof(data) = 'blob' AND length(data) BETWEEN 1 AND 1048576)\n"
           ");\n";
}
