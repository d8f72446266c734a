#include <gtest/gtest.h>

#include "RequestBody.h"

TEST(RequestBody, ListingsBodyIsReadRawWithPlusBlanksAndCommas) {
    const auto r = RequestBody::parseListings(
        "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=00:00:00:00:00:00");
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.value.zoneName, "(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb");
    EXPECT_EQ(r.value.device, "00:00:00:00:00:00");
}

TEST(RequestBody, ListingsDeviceIsAfterTheLastDeviceKey) {
    // Percent signs stay as they are, and an "&m=" inside the zone belongs to the zone.
    const auto r =
        RequestBody::parseListings("z=Eastern Time (US & Canada) 100%20&m=x&m=0a:1B:2c:3D:4e:5F");
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.value.zoneName, "Eastern Time (US & Canada) 100%20&m=x");
    EXPECT_EQ(r.value.device, "0a:1B:2c:3D:4e:5F");

    const auto empty = RequestBody::parseListings("z=&m=00:11:22:33:44:55");
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.value.zoneName, "");
}

TEST(RequestBody, MalformedListingsBodiesAreRefused) {
    for (const char* body :
         {"", "z=", "z=Berlin", "m=00:00:00:00:00:00", "Z=Berlin&m=00:00:00:00:00:00",
          " z=Berlin&m=00:00:00:00:00:00", "z=Berlin&m=", "z=Berlin&m=00:00:00:00:00",
          "z=Berlin&m=00:00:00:00:00:0g", "z=Berlin&m=00:00:00:00:00:00\n",
          "z=Berlin&m=00-00-00-00-00-00", "z=Ber\nlin&m=00:00:00:00:00:00"}) {
        EXPECT_FALSE(RequestBody::parseListings(body).ok()) << '"' << body << '"';
    }
}

TEST(RequestBody, ChannelBodyCarriesMatchFilterAndDevice) {
    const auto r = RequestBody::parseChannels("id=104&f=2&m=00:1a:2b:3c:4d:5e");
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.value.matchId, 104);
    EXPECT_EQ(r.value.filter, 2);
    EXPECT_EQ(r.value.device, "00:1a:2b:3c:4d:5e");

    const auto extremes =
        RequestBody::parseChannels("id=-2147483648&f=2147483647&m=00:00:00:00:00:00");
    ASSERT_TRUE(extremes.ok()) << extremes.error;
    EXPECT_EQ(extremes.value.matchId, INT32_MIN);
    EXPECT_EQ(extremes.value.filter, INT32_MAX);
}

TEST(RequestBody, MalformedChannelBodiesAreRefused) {
    for (const char* body :
         {"", "id=&f=0&m=00:00:00:00:00:00", "id=1&f=&m=00:00:00:00:00:00",
          "id=1&m=00:00:00:00:00:00", "f=0&id=1&m=00:00:00:00:00:00",
          "id=+1&f=0&m=00:00:00:00:00:00", "id=1 &f=0&m=00:00:00:00:00:00",
          "id=2147483648&f=0&m=00:00:00:00:00:00", "id=99999999999&f=0&m=00:00:00:00:00:00",
          "id=1&f=0x1&m=00:00:00:00:00:00", "id=1&f=0", "id=1&f=0&m=zz:00:00:00:00:00"}) {
        EXPECT_FALSE(RequestBody::parseChannels(body).ok()) << '"' << body << '"';
    }
}

TEST(RequestBody, DeviceForTheLogIsPrintableAndShort) {
    EXPECT_EQ(RequestBody::deviceForLog("z=x&m=00:11:22:33:44:55"), "00:11:22:33:44:55");
    EXPECT_EQ(RequestBody::deviceForLog("m=ab"), "ab");
    EXPECT_EQ(RequestBody::deviceForLog("z=x"), "-");
    EXPECT_EQ(RequestBody::deviceForLog("z=x&m="), "-");
    EXPECT_EQ(RequestBody::deviceForLog("id=1&f=0&m=a b\n\x01\xc3\xa9"), "a?b????");
    EXPECT_EQ(RequestBody::deviceForLog("&m=" + std::string(100, 'a')).size(), 32u);
}
