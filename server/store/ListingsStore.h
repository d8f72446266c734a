#pragma once
// The queries that the answers need, on one connection with its statements
// prepared once. Not for use by two threads at a time.

#include <optional>
#include <string>
#include <vector>

#include "Database.h"
#include "Records.h"

class ListingsStore {
public:
    explicit ListingsStore(Database database);

    // Matches with from <= kick-off < to and their satellites, read together.
    Listings listings(std::int64_t fromUtc, std::int64_t toUtc);
    // The channels that carry a match, in the order they were given; none for an unknown id.
    std::vector<ChannelRecord> channelsOf(std::int32_t matchId);
    // A picture's bytes.
    std::optional<std::string> picture(const std::string& name);

private:
    Database db;
    Statement begin;
    Statement commit;
    Statement matchesQuery;
    Statement satellitesQuery;
    Statement channelsQuery;
    Statement pictureQuery;
};
