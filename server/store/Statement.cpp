#include "Statement.h"

#include <sqlite3.h>

#include "DatabaseError.h"

Statement::Statement(sqlite3* db, std::string_view sql) : db(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK) {
        throw DatabaseError(sqlite3_errmsg(db));
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt);
}

Statement::Statement(Statement&& other) noexcept : db(other.db), stmt(other.stmt) {
    other.stmt = nullptr;
}

Statement& Statement::bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt, index, value) != SQLITE_OK)
        throw DatabaseError(sqlite3_errmsg(db));
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    if (sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        throw DatabaseError(sqlite3_errmsg(db));
    }
    return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
    if (sqlite3_bind_blob(stmt, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        throw DatabaseError(sqlite3_errmsg(db));
    }
    return *this;
}

bool Statement::step() {
    switch (sqlite3_step(stmt)) {
        case SQLITE_ROW:
            return true;
        case SQLITE_DONE:
            return false;
        default: {
            // The detailed message is on the connection; reset would replace it.
            std::string message = sqlite3_errmsg(db);
            sqlite3_reset(stmt);
            throw DatabaseError(message);
        }
    }
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    sqlite3_reset(stmt);
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(stmt, column);
}

std::string Statement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return data ? std::string(data, sqlite3_column_bytes(stmt, column)) : std::string();
}

std::string Statement::blob(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, column));
    return data ? std::string(data, sqlite3_column_bytes(stmt, column)) : std::string();
}
