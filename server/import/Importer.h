#pragma once
// Loads a JSON document of channels, pictures and matches into the database in
// one transaction. Records are added, or replaced when their id (a picture's
// name) is already stored. The first bad value stops the import with a message
// that names the record and the field, and the database stays as it was.
// The format is described in docs/server.md.

#include <cstdint>
#include <string>

#include "Database.h"

class Importer {
public:
    struct Result {
        std::string error;  // empty on success
        int channels = 0;
        int pictures = 0;
        int matches = 0;
        bool ok() const { return error.empty(); }
    };

    // nowUtc fixes the day that relative kick-offs ("today+2 19:00") count from.
    Importer(Database& db, std::int64_t nowUtc) : db(db), nowUtc(nowUtc) {}

    // Picture files are read relative to the document's directory.
    Result importFile(const std::string& jsonPath);
    Result importText(const std::string& json, const std::string& baseDir);

private:
    Database& db;
    std::int64_t nowUtc;
};
