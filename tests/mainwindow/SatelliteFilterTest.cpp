#include "SatelliteFilter.h"

#include <gtest/gtest.h>

#include <random>

namespace {

matchray_satellites satellite(int32_t matchId, const char* position, const char* direction) {
    matchray_satellites s;
    s.match_id = matchId;
    s.sat_position = position;
    s.sat_direction = direction;
    return s;
}

// The join as a scan of every satellite record, the reference for the index.
bool scanQualifies(const std::list<matchray_satellites>& satellites, int32_t matchId, int filter) {
    bool qualifies = false;
    for (const matchray_satellites& s : satellites)
        if (s.match_id == matchId && SatelliteFilter::accepts(filter, s.positionKey()))
            qualifies = true;
    return qualifies;
}

}  // namespace

TEST(SatelliteFilter, AcceptsTheKeysOfEachColour) {
    struct Row {
        const char* key;
        bool red, green, yellow, blue;
    };
    const Row rows[] = {
        {"1.0w", true, true, false, false},   {"13.0e", true, true, true, true},
        {"16.0e", true, true, true, false},   {"19.2e", true, true, true, true},
        {"28.2e", true, false, false, false}, {"13.0E", true, false, false, false},
        {"13.0", true, false, false, false},  {"13.0e ", true, false, false, false},
        {"", true, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(SatelliteFilter::accepts(0, row.key), row.red);
        EXPECT_EQ(SatelliteFilter::accepts(1, row.key), row.green);
        EXPECT_EQ(SatelliteFilter::accepts(2, row.key), row.yellow);
        EXPECT_EQ(SatelliteFilter::accepts(3, row.key), row.blue);
        // Values outside 0 to 3 accept every key, like 0.
        EXPECT_TRUE(SatelliteFilter::accepts(4, row.key));
        EXPECT_TRUE(SatelliteFilter::accepts(-1, row.key));
    }
}

TEST(SatelliteFilter, IndexJoinsEverySatelliteOfAMatch) {
    const SatelliteFilter index({satellite(1, "13.0", "e"), satellite(1, "19.2", "e"),
                                 satellite(2, "1.0", "w"), satellite(2, "28.2", "e"),
                                 satellite(3, "28.2", "e")});
    // Two satellites of one match: one answer, under every filter.
    for (int filter = 0; filter < 4; ++filter) EXPECT_TRUE(index.qualifies(1, filter));
    EXPECT_TRUE(index.qualifies(2, 1));
    EXPECT_FALSE(index.qualifies(2, 2));
    EXPECT_TRUE(index.qualifies(3, 0));
    EXPECT_FALSE(index.qualifies(3, 1));
    // A match without satellites qualifies nowhere, not even under "All".
    EXPECT_FALSE(index.qualifies(4, 0));
    EXPECT_FALSE(SatelliteFilter().qualifies(1, 0));
}

TEST(SatelliteFilter, IndexAnswersLikeTheFullScan) {
    const char* positions[] = {"1.0", "13.0", "16.0", "19.2", "28.2", "13.0E"};
    const char* directions[] = {"w", "e", "E"};
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::list<matchray_satellites> satellites;
        const int count = static_cast<int>(random() % 60);
        for (int i = 0; i < count; ++i)
            satellites.push_back(satellite(static_cast<int32_t>(random() % 25) - 3,
                                           positions[random() % 6], directions[random() % 3]));
        const SatelliteFilter index(satellites);
        for (int32_t id = -4; id < 23; ++id)
            for (int filter = -1; filter <= 4; ++filter)
                ASSERT_EQ(index.qualifies(id, filter), scanQualifies(satellites, id, filter))
                    << "round " << round << " id " << id << " filter " << filter;
    }
}
