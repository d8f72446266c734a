#include "DeviceIdentity.h"

#include <gtest/gtest.h>

namespace {

// The kernel's address of eth0 is checked in the request the plug-in sends.
TEST(DeviceIdentity, FormatsEachByteAsTwoLowerCaseHexDigits) {
    const struct {
        unsigned char bytes[6];
        const char* text;
    } rows[] = {{{0xab, 0x7f, 0x80, 0x00, 0xfe, 0xff}, "ab:7f:80:00:fe:ff"},
                {{0x01, 0xc2, 0x0a, 0x10, 0x20, 0x09}, "01:c2:0a:10:20:09"}};
    for (const auto& row : rows) EXPECT_EQ(DeviceIdentity::format(row.bytes), row.text);
}

TEST(DeviceIdentity, IsZerosWithoutTheInterface) {
    for (const char* name : {"mr-none0", "an-overlong-interface-name"})
        EXPECT_EQ(DeviceIdentity::read(name), "00:00:00:00:00:00") << name;
}

}  // namespace
