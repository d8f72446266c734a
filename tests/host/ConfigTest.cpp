// The configuration store and its file under the receiver root.

#include <gtest/gtest.h>

#include <cstdlib>

#include "TempRoot.h"
#include "eConfig.h"

namespace {

TEST(Config, ReadsTheFileUnderTheReceiverRootAndWritesItBack) {
    TempRoot root;
    const char* file = "/var/tuxbox/config/host/config";
    root.writeFile(file, "/tz=(GMT+01:00) A, B\r\n/count=42\n/word=4x\nno equals sign\n");
    eConfig* config = eConfig::instance();
    config->reload();
    char* value = nullptr;
    ASSERT_EQ(config->getKey("/tz", value), 0);
    EXPECT_STREQ(value, "(GMT+01:00) A, B");
    free(value);
    char* untouched = const_cast<char*>("before");
    EXPECT_EQ(config->getKey("/missing", untouched), -1);
    EXPECT_STREQ(untouched, "before");

    config->setKey("/count", "7");
    config->setKey("/a", "x=y");
    config->delKey("/word");
    ASSERT_TRUE(config->flush());
    EXPECT_EQ(root.readFile(file), "/a=x=y\n/count=7\n/tz=(GMT+01:00) A, B\n");
}

}  // namespace
