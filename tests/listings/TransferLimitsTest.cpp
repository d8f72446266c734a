#include "TransferLimits.h"

#include <gtest/gtest.h>

#include "TempRoot.h"
#include "eConfig.h"

namespace {

const char* const keys[] = {"connect_timeout",      "stall_timeout",  "answer_timeout",
                            "picture_timeout",      "max_answer_kib", "max_picture_kib",
                            "picture_pass_timeout", "max_matches",    "max_satellites",
                            "max_channels"};

// Every limit as the configuration gives it now.
std::string limits() {
    const TransferLimits a = TransferLimits::fromConfig();
    const TransferLimits p = TransferLimits::fromConfig(TransferLimits::Kind::picture);
    const RecordCaps caps = RecordCaps::fromConfig();
    return testing::PrintToString(std::vector<long long>{
        a.connectSeconds, a.lowSpeedSeconds, a.totalMilliseconds, p.totalMilliseconds,
        a.maxBodyBytes, p.maxBodyBytes, TransferLimits::picturePassMilliseconds(),
        (long long)caps.matches, (long long)caps.satellites, (long long)caps.channels,
        a.lowSpeedBytes, p.connectSeconds});
}

// Sets every key to value while it lives.
struct AllKeys {
    explicit AllKeys(const char* value) {
        for (const char* key : keys)
            eConfig::instance()->setKey((std::string("/matchray/") + key).c_str(), value);
    }
    ~AllKeys() {
        for (const char* key : keys)
            eConfig::instance()->delKey((std::string("/matchray/") + key).c_str());
    }
};

TEST(TransferLimits, EachKeySetsItsLimit) {
    TempRoot root;
    const AllKeys three("3");
    EXPECT_EQ(limits(), "{ 3, 3, 3000, 3000, 3072, 3072, 3000, 3, 3, 3, 1, 3 }");
}

// Not a positive number: 0 would mean no limit at all to libcurl; a word means nothing.
TEST(TransferLimits, UnusableValueKeepsTheDefault) {
    TempRoot root;
    const std::string defaults = limits();
    for (const char* value : {"0", "-1", "soon", "3x", ""}) {
        const AllKeys set(value);
        EXPECT_EQ(limits(), defaults) << value;
    }
}

}  // namespace
