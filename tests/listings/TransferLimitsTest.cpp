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

// Not a positive number keeps the default: 0 would mean no limit at all to libcurl, a word
// means nothing.
TEST(TransferLimits, EveryKeyTakesOnlyAPositiveNumber) {
    TempRoot root;
    const std::string defaults = limits();
    for (const char* value : {"3", "0", "-1", "soon", "3x", ""}) {
        for (const char* key : keys)
            eConfig::instance()->setKey((std::string("/matchray/") + key).c_str(), value);
        EXPECT_EQ(limits(), value == std::string("3")
                                ? "{ 3, 3, 3000, 3000, 3072, 3072, 3000, 3, 3, 3, 1, 3 }"
                                : defaults)
            << value;
    }
    for (const char* key : keys)
        eConfig::instance()->delKey((std::string("/matchray/") + key).c_str());
}

}  // namespace
