#pragma once
// One prepared SQLite statement. Parameters are bound by index from 1, result
// columns are read by index from 0. Failures throw DatabaseError.

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bindBlob(int index, std::string_view bytes);

    // Runs to the next row: true when one is there, false when the statement is done.
    bool step();
    // Runs a statement that returns no rows, then resets it for the next use.
    void run();
    // Makes the statement ready to run again; bindings are kept.
    void reset();

    std::int64_t integer(int column) const;
    std::string text(int column) const;
    std::string blob(int column) const;

private:
    sqlite3* db;
    sqlite3_stmt* stmt = nullptr;
};
