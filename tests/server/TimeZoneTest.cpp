#include <gtest/gtest.h>

#include "ListingsWriter.h"
#include "TimeZoneMapper.h"
#include "TimeZoneName.h"

namespace {

std::int64_t utc(int y, unsigned mo, unsigned d, int h, int mi) {
    const date::sys_days day{date::year{y} / date::month{mo} / date::day{d}};
    return std::chrono::duration_cast<std::chrono::seconds>(day.time_since_epoch()).count() +
           h * 3600 + mi * 60;
}

class TimeZoneMapping : public testing::Test {
protected:
    // The local date and time that a receiver with this display name sees.
    std::string local(const std::string& displayName, std::int64_t kickoffUtc) {
        const ReceiverZone zone = mapper().map(displayName);
        return date::format("%F %a %H:%M",
                            zone.toLocal(date::sys_seconds{std::chrono::seconds{kickoffUtc}}));
    }
    std::string zoneOf(const std::string& displayName) { return mapper().map(displayName).name(); }

    static const TimeZoneMapper& mapper() {
        static const TimeZoneMapper instance;
        return instance;
    }
};

const char* const centralEurope = "(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb";
const char* const easternUs = "(GMT-05:00) Eastern Time (US & Canada)";

}  // namespace

TEST(TimeZoneName, ReadsOffsetAndPlaces) {
    TimeZoneName n = TimeZoneName::parse(centralEurope);
    EXPECT_EQ(n.offsetMinutes, 60);
    EXPECT_EQ(n.places, (std::vector<std::string>{"Sarajevo", "Skopje", "Warsaw", "Zagreb"}));

    n = TimeZoneName::parse("(GMT) Greenwich Mean Time : Dublin, Edinburgh, Lisbon, London");
    EXPECT_EQ(n.offsetMinutes, 0);
    EXPECT_EQ(n.places.front(), "Greenwich Mean Time");
    EXPECT_EQ(n.places.back(), "London");

    EXPECT_EQ(TimeZoneName::parse("(GMT-03:30) Newfoundland").offsetMinutes, -210);
    EXPECT_EQ(TimeZoneName::parse("(UTC+05:45) Kathmandu").offsetMinutes, 345);
    EXPECT_EQ(TimeZoneName::parse("GMT+1 Berlin").offsetMinutes, 60);
    EXPECT_EQ(TimeZoneName::parse("GMT+1 Berlin").places, std::vector<std::string>{"Berlin"});
    EXPECT_EQ(TimeZoneName::parse("(GMT+14:00) Kiritimati").offsetMinutes, 840);
}

TEST(TimeZoneName, ToleratesAnyText) {
    EXPECT_FALSE(TimeZoneName::parse("").offsetMinutes);
    EXPECT_TRUE(TimeZoneName::parse("").places.empty());
    EXPECT_FALSE(TimeZoneName::parse("Sarajevo").offsetMinutes);
    EXPECT_FALSE(TimeZoneName::parse("(GMT+15:00) Nowhere").offsetMinutes);
    EXPECT_FALSE(TimeZoneName::parse("(GMT+01:75) Nowhere").offsetMinutes);
    EXPECT_FALSE(TimeZoneName::parse("(GMT+01:00 Sarajevo").offsetMinutes);
    EXPECT_FALSE(TimeZoneName::parse("Utcheck").offsetMinutes);
    EXPECT_TRUE(TimeZoneName::parse(" , ;: ").places.empty());
}

TEST_F(TimeZoneMapping, CityNamesPickTheZone) {
    EXPECT_EQ(zoneOf(centralEurope), "Europe/Sarajevo");
    EXPECT_EQ(zoneOf("(GMT-06:00) Guadalajara, Mexico City, Monterrey"), "America/Mexico_City");
    EXPECT_EQ(zoneOf("(GMT+05:30) Chennai, Kolkata, Mumbai, New Delhi"), "Asia/Kolkata");
    EXPECT_EQ(zoneOf(easternUs), "America/New_York");
    EXPECT_EQ(zoneOf("Sarajevo"), "Europe/Sarajevo");  // no offset
    EXPECT_EQ(zoneOf("europe/lisbon"), "Europe/Lisbon");
    // The city wins over an outdated offset: Minsk has kept +03:00 all year since 2011.
    EXPECT_EQ(zoneOf("(GMT+02:00) Minsk"), "Europe/Minsk");
}

TEST_F(TimeZoneMapping, WithoutAKnownPlaceTheOffsetHoldsAllYear) {
    EXPECT_EQ(zoneOf("(GMT+03:00) Atlantis"), "UTC+03:00");
    EXPECT_EQ(zoneOf("(GMT-09:30) Nowhere"), "UTC-09:30");
    EXPECT_EQ(zoneOf("(GMT) Nowhere"), "UTC");
    EXPECT_EQ(local("(GMT+03:00) Atlantis", utc(2025, 1, 15, 19, 0)), "2025-01-15 Wed 22:00");
    EXPECT_EQ(local("(GMT+03:00) Atlantis", utc(2025, 7, 15, 19, 0)), "2025-07-15 Tue 22:00");
    // Neither a place nor an offset.
    EXPECT_EQ(zoneOf("Somewhere"), "UTC");
    EXPECT_EQ(zoneOf(""), "UTC");
    EXPECT_EQ(local("Somewhere", utc(2025, 7, 15, 19, 0)), "2025-07-15 Tue 19:00");
}

TEST_F(TimeZoneMapping, SummerAndWinter) {
    EXPECT_EQ(local(centralEurope, utc(2025, 1, 15, 19, 45)), "2025-01-15 Wed 20:45");
    EXPECT_EQ(local(centralEurope, utc(2025, 7, 1, 18, 45)), "2025-07-01 Tue 20:45");
    EXPECT_EQ(local(easternUs, utc(2025, 1, 15, 19, 45)), "2025-01-15 Wed 14:45");
    EXPECT_EQ(local(easternUs, utc(2025, 7, 1, 18, 45)), "2025-07-01 Tue 14:45");
}

TEST_F(TimeZoneMapping, EuropeanChangeDays) {
    // Clocks go forward at 01:00 UTC on 30 March 2025 and back at 01:00 UTC on 26 October.
    EXPECT_EQ(local(centralEurope, utc(2025, 3, 30, 0, 30)), "2025-03-30 Sun 01:30");
    EXPECT_EQ(local(centralEurope, utc(2025, 3, 30, 1, 30)), "2025-03-30 Sun 03:30");
    EXPECT_EQ(local(centralEurope, utc(2025, 10, 26, 0, 30)), "2025-10-26 Sun 02:30");
    EXPECT_EQ(local(centralEurope, utc(2025, 10, 26, 1, 30)), "2025-10-26 Sun 02:30");
    EXPECT_EQ(local(centralEurope, utc(2025, 10, 26, 18, 0)), "2025-10-26 Sun 19:00");
}

TEST_F(TimeZoneMapping, AmericanChangeDays) {
    // 9 March 2025 at 07:00 UTC and 2 November 2025 at 06:00 UTC in New York.
    EXPECT_EQ(local(easternUs, utc(2025, 3, 9, 6, 30)), "2025-03-09 Sun 01:30");
    EXPECT_EQ(local(easternUs, utc(2025, 3, 9, 7, 30)), "2025-03-09 Sun 03:30");
    EXPECT_EQ(local(easternUs, utc(2025, 11, 2, 5, 30)), "2025-11-02 Sun 01:30");
    EXPECT_EQ(local(easternUs, utc(2025, 11, 2, 6, 30)), "2025-11-02 Sun 01:30");
    // Between the American and the European change London is four hours ahead, not five.
    const char* london = "(GMT) Greenwich Mean Time : Dublin, Edinburgh, Lisbon, London";
    EXPECT_EQ(local(london, utc(2025, 3, 15, 20, 0)), "2025-03-15 Sat 20:00");
    EXPECT_EQ(local(easternUs, utc(2025, 3, 15, 20, 0)), "2025-03-15 Sat 16:00");
}

TEST_F(TimeZoneMapping, WestOfGreenwich) {
    EXPECT_EQ(local("(GMT-03:00) Buenos Aires, Georgetown", utc(2025, 6, 14, 19, 0)),
              "2025-06-14 Sat 16:00");
    // Mexico has had no daylight saving time since 2022.
    EXPECT_EQ(local("(GMT-06:00) Guadalajara, Mexico City, Monterrey", utc(2025, 6, 14, 19, 0)),
              "2025-06-14 Sat 13:00");
    EXPECT_EQ(local("(GMT-08:00) Pacific Time (US & Canada)", utc(2025, 6, 15, 2, 0)),
              "2025-06-14 Sat 19:00");
}

TEST_F(TimeZoneMapping, HalfAndQuarterHourOffsets) {
    EXPECT_EQ(local("(GMT+05:30) Chennai, Kolkata, Mumbai, New Delhi", utc(2025, 6, 14, 19, 0)),
              "2025-06-15 Sun 00:30");
    EXPECT_EQ(local("(GMT+05:45) Kathmandu", utc(2025, 6, 14, 19, 0)), "2025-06-15 Sun 00:45");
    // Newfoundland keeps daylight saving time on top of its half hour.
    EXPECT_EQ(local("(GMT-03:30) Newfoundland", utc(2025, 6, 14, 19, 0)), "2025-06-14 Sat 16:30");
    EXPECT_EQ(local("(GMT-03:30) Newfoundland", utc(2025, 1, 14, 19, 0)), "2025-01-14 Tue 15:30");
    EXPECT_EQ(local("(GMT+05:30) Nowhere", utc(2025, 6, 14, 19, 0)), "2025-06-15 Sun 00:30");
}

TEST_F(TimeZoneMapping, KickoffWordingShowsDayAndTimeWithinItsCapacity) {
    const ReceiverZone zone = mapper().map(centralEurope);
    EXPECT_EQ(ListingsWriter::kickoffText(zone, utc(2025, 6, 14, 19, 0)), "Sat 21:00");
    EXPECT_EQ(ListingsWriter::kickoffText(zone, utc(2025, 12, 31, 23, 5)), "Thu 00:05");
    EXPECT_EQ(ListingsWriter::kickoffText(mapper().map("(GMT-12:00) Nowhere"), 0), "Wed 12:00");
    EXPECT_LE(ListingsWriter::kickoffText(mapper().map("(GMT+14:00) Kiritimati"), 0).size(), 49u);
}
