#include "DeviceIdentity.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(DeviceIdentityTest, FormatsEveryByteUnsignedInLowerCase) {
    const struct {
        unsigned char bytes[6];
        const char* text;
    } rows[] = {{{0xab, 0x7f, 0x80, 0x00, 0xfe, 0xff}, "ab:7f:80:00:fe:ff"},
                {{0x01, 0xc2, 0x0a, 0x10, 0x20, 0x09}, "01:c2:0a:10:20:09"}};
    for (const auto& row : rows) EXPECT_EQ(DeviceIdentity::format(row.bytes), row.text);
}

TEST(DeviceIdentityTest, MissingInterfaceGivesZeros) {
    for (const char* name : {"mr-none0", "an-overlong-interface-name"})
        EXPECT_EQ(DeviceIdentity::read(name), "00:00:00:00:00:00") << name;
}

// The kernel's own text of each interface's address is what the identity must say.
TEST(DeviceIdentityTest, MatchesTheKernelsAddressOfEveryInterface) {
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/net")) {
        std::ifstream file(entry.path() / "address");
        std::string address;
        const std::string name = entry.path().filename().string();
        if (std::getline(file, address) && address.size() == 17) {
            EXPECT_EQ(DeviceIdentity::read(name.c_str()), address) << name;
        }
    }
}

}  // namespace
