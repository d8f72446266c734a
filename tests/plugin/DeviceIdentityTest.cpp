#include "DeviceIdentity.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(DeviceIdentityTest, FormatsEveryByteUnsignedInLowerCase) {
    const unsigned char bytes[6] = {0x00, 0x7f, 0x80, 0xab, 0xfe, 0xff};
    EXPECT_EQ(DeviceIdentity::format(bytes), "00:7f:80:ab:fe:ff");
    const unsigned char small[6] = {0x01, 0x02, 0x0a, 0x10, 0x20, 0x09};
    EXPECT_EQ(DeviceIdentity::format(small), "01:02:0a:10:20:09");
}

TEST(DeviceIdentityTest, MissingInterfaceGivesZeros) {
    EXPECT_EQ(DeviceIdentity::read("mr-none0"), "00:00:00:00:00:00");
    EXPECT_EQ(DeviceIdentity::read("an-overlong-interface-name"), "00:00:00:00:00:00");
}

// The kernel's own text of each interface's address, bytes of 0x80 and above
// included, is what the identity must say.
TEST(DeviceIdentityTest, MatchesTheKernelsAddressOfEveryInterface) {
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/net")) {
        std::ifstream file(entry.path() / "address");
        std::string address;
        if (!std::getline(file, address) || address.size() != 17) continue;
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(DeviceIdentity::read(name.c_str()), address) << name;
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "no network interface with a hardware address";
}

}  // namespace
