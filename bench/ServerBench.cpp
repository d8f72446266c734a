// The listings server's work per request, without the network: reading a body,
// choosing the receiver's zone, querying a week of listings and writing the answer.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ChannelWriter.h"
#include "Database.h"
#include "ListingsStore.h"
#include "ListingsWriter.h"
#include "RequestBody.h"
#include "TimeZoneMapper.h"

namespace {

const char* const body = "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=00:1a:2b:3c:4d:5e";

// A week of 200 matches, each carried by four of 40 channels.
class Week {
public:
    Week() {
        char pattern[] = "/tmp/server-bench-XXXXXX";
        dir = mkdtemp(pattern);
        Database db(dir + "/listings.db", Database::Mode::create);
        db.exec("BEGIN");
        for (int c = 0; c < 40; ++c) {
            db.exec("INSERT INTO channels VALUES (" + std::to_string(c) + ", 'Channel " +
                    std::to_string(c) + " HD', " + std::to_string(c % 2 ? 192 : 130) +
                    ", 'e', '11494', 'H', 22000, '2/3', 'Free To Air', 1)");
        }
        for (int m = 0; m < 200; ++m) {
            db.exec("INSERT INTO matches VALUES (" + std::to_string(m) +
                    ", 'Home team - Away team', 'de', 'cup.png', 'fr', " +
                    std::to_string(m * 3000) + ")");
            for (int k = 0; k < 4; ++k) {
                db.exec("INSERT INTO match_channels VALUES (" + std::to_string(m) + ", " +
                        std::to_string((m + k * 7) % 40) + ", " + std::to_string(k) + ")");
            }
        }
        db.exec("COMMIT");
    }
    ~Week() {
        std::remove((dir + "/listings.db-wal").c_str());
        std::remove((dir + "/listings.db-shm").c_str());
        std::remove((dir + "/listings.db").c_str());
        std::remove(dir.c_str());
    }
    std::string path() const { return dir + "/listings.db"; }

private:
    std::string dir;
};

void parseListingsBody(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(RequestBody::parseListings(body));
}
BENCHMARK(parseListingsBody);

void mapTimeZone(benchmark::State& state) {
    static const TimeZoneMapper mapper;
    for (auto _ : state) benchmark::DoNotOptimize(mapper.map(body + 2));
}
BENCHMARK(mapTimeZone);

void listingsAnswerForAWeek(benchmark::State& state) {
    static const Week week;
    static const TimeZoneMapper mapper;
    ListingsStore store(Database(week.path(), Database::Mode::existing));
    const ReceiverZone zone = mapper.map("(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb");
    for (auto _ : state) {
        const Listings listings = store.listings(0, 7 * 86400);
        benchmark::DoNotOptimize(ListingsWriter::write(listings, zone));
    }
}
BENCHMARK(listingsAnswerForAWeek);

void channelAnswer(benchmark::State& state) {
    static const Week week;
    ListingsStore store(Database(week.path(), Database::Mode::existing));
    for (auto _ : state) benchmark::DoNotOptimize(ChannelWriter::write(7, store.channelsOf(7), 2));
}
BENCHMARK(channelAnswer);

}  // namespace
