#include "ListingsStore.h"

namespace {

// Resets a statement on every way out of a read.
class ResetOnExit {
public:
    explicit ResetOnExit(Statement& statement) : statement(statement) {}
    ~ResetOnExit() { statement.reset(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    Statement& statement;
};

OrbitalPosition positionAt(const Statement& row, int column) {
    const std::string direction = row.text(column + 1);
    return OrbitalPosition(static_cast<int>(row.integer(column)),
                           direction.empty() ? 'e' : direction[0]);
}

}  // namespace

ListingsStore::ListingsStore(Database database)
    : db(std::move(database)),
      begin(db.prepare("BEGIN")),
      commit(db.prepare("COMMIT")),
      matchesQuery(
          db.prepare("SELECT id, title, country1, picture, country2, kickoff_utc FROM matches "
                     "WHERE kickoff_utc >= ?1 AND kickoff_utc < ?2 ORDER BY kickoff_utc, id")),
      // What the match_satellites view gives, narrowed to the window before the join.
      satellitesQuery(db.prepare(
          "SELECT DISTINCT m.id, c.position_tenths, c.direction, m.kickoff_utc FROM matches m "
          "JOIN match_channels mc ON mc.match_id = m.id JOIN channels c ON c.id = mc.channel_id "
          "WHERE m.kickoff_utc >= ?1 AND m.kickoff_utc < ?2 "
          "ORDER BY m.kickoff_utc, m.id, c.position_tenths, c.direction")),
      channelsQuery(db.prepare(
          "SELECT c.id, c.name, c.position_tenths, c.direction, c.frequency, c.polarisation, "
          "c.symbol_rate, c.fec, c.encryption, c.hd FROM match_channels mc "
          "JOIN channels c ON c.id = mc.channel_id WHERE mc.match_id = ?1 "
          "ORDER BY mc.ordinal, c.id")),
      pictureQuery(db.prepare("SELECT data FROM pictures WHERE name = ?1")) {}

Listings ListingsStore::listings(std::int64_t fromUtc, std::int64_t toUtc) {
    Listings result;
    // One read transaction, so that an import in between can't split the two lists.
    begin.run();
    try {
        {
            ResetOnExit resetter(matchesQuery);
            matchesQuery.bind(1, fromUtc).bind(2, toUtc);
            while (matchesQuery.step()) {
                MatchRecord m;
                m.id = static_cast<std::int32_t>(matchesQuery.integer(0));
                m.title = matchesQuery.text(1);
                m.country1 = matchesQuery.text(2);
                m.picture = matchesQuery.text(3);
                m.country2 = matchesQuery.text(4);
                m.kickoffUtc = matchesQuery.integer(5);
                result.matches.push_back(std::move(m));
            }
        }
        {
            ResetOnExit resetter(satellitesQuery);
            satellitesQuery.bind(1, fromUtc).bind(2, toUtc);
            while (satellitesQuery.step()) {
                result.satellites.push_back({static_cast<std::int32_t>(satellitesQuery.integer(0)),
                                             positionAt(satellitesQuery, 1)});
            }
        }
    } catch (...) {
        db.exec("ROLLBACK");
        throw;
    }
    commit.run();
    return result;
}

std::vector<ChannelRecord> ListingsStore::channelsOf(std::int32_t matchId) {
    std::vector<ChannelRecord> channels;
    ResetOnExit resetter(channelsQuery);
    channelsQuery.bind(1, matchId);
    while (channelsQuery.step()) {
        ChannelRecord c;
        c.id = static_cast<std::int32_t>(channelsQuery.integer(0));
        c.name = channelsQuery.text(1);
        c.position = positionAt(channelsQuery, 2);
        c.frequency = channelsQuery.text(4);
        c.polarisation = channelsQuery.text(5);
        c.symbolRate = static_cast<std::int32_t>(channelsQuery.integer(6));
        c.fec = channelsQuery.text(7);
        c.encryption = channelsQuery.text(8);
        c.hd = channelsQuery.integer(9) == 1;
        channels.push_back(std::move(c));
    }
    return channels;
}

std::optional<std::string> ListingsStore::picture(const std::string& name) {
    ResetOnExit resetter(pictureQuery);
    pictureQuery.bind(1, name);
    if (!pictureQuery.step()) return std::nullopt;
    return pictureQuery.blob(0);
}
