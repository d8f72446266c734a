#pragma once
// A connection to the listings database. Opening with Mode::create makes the
// file and its schema when they are missing, with a rollback journal;
// Mode::existing refuses a missing file. Failures throw DatabaseError.
//
// Tables: matches (kick-off in UTC seconds), channels with their transponder
// data and orbital position, match_channels (which channels carry a match, in
// order), pictures; the view match_satellites gives the positions of each match.

#include <string>
#include <string_view>

#include "Statement.h"

struct sqlite3;

class Database {
public:
    enum class Mode { create, existing };

    Database(const std::string& path, Mode mode);
    ~Database();
    Database(Database&& other) noexcept;
    Database& operator=(Database&&) = delete;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(const std::string& sql);
    Statement prepare(std::string_view sql);

    // The CREATE statements, with every field's constraints.
    static std::string schema();

private:
    sqlite3* db = nullptr;
};
