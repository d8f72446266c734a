#include "SatelliteFilter.h"

#include <gtest/gtest.h>

#include <random>

#include "ColourKeyPositions.h"

// Which colour takes which well-formed key is in the main window's snapshot.
TEST(ColourKeyPositions, AcceptOnlyExactKeys) {
    for (const char* key : {"13.0E", "13.0", "13.0e ", ""})
        for (int filter = -1; filter <= 4; ++filter)  // outside 0 to 3 is like "All"
            EXPECT_EQ(ColourKeyPositions::accepts(filter, key), filter <= 0 || filter > 3) << key;
}

TEST(SatelliteFilter, AnswersLikeAScanOfEverySatellite) {
    const char* positions[] = {"1.0", "13.0", "16.0", "19.2", "28.2", "13.0E"};
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::list<matchray_satellites> satellites(random() % 60);
        for (matchray_satellites& s : satellites) {
            s.match_id = static_cast<int32_t>(random() % 25) - 3;
            s.sat_position = positions[random() % 6];
            s.sat_direction = std::string(1, "weE"[random() % 3]);
        }
        const SatelliteFilter index(satellites);
        for (int32_t id = -4; id < 23; ++id)
            for (int filter = -1; filter <= 4; ++filter) {
                bool scan = false;  // a match without satellites passes no filter, not even "All"
                for (const matchray_satellites& s : satellites)
                    scan |=
                        s.match_id == id && ColourKeyPositions::accepts(filter, s.positionKey());
                ASSERT_EQ(index.qualifies(id, filter), scan)
                    << "round " << round << " id " << id << " filter " << filter;
            }
    }
}
