// The configuration store and its file under the receiver root.

#include <gtest/gtest.h>

#include <cstdlib>

#include "TempRoot.h"
#include "eConfig.h"

namespace {

const char* const configFile = "/var/tuxbox/config/host/config";

TEST(Config, ReadsTheKeysOfItsFile) {
    TempRoot root;
    root.writeFile(configFile, "/tz=(GMT+01:00) A, B\r\n/count=42\nno equals sign\n=x\n");
    eConfig* config = eConfig::instance();
    config->reload();
    char* value = nullptr;
    ASSERT_EQ(config->getKey("/tz", value), 0);
    EXPECT_STREQ(value, "(GMT+01:00) A, B");
    free(value);
    char* untouched = const_cast<char*>("before");
    for (const char* missing : {"/missing", "no equals sign", ""})
        EXPECT_EQ(config->getKey(missing, untouched), -1) << missing;
    EXPECT_STREQ(untouched, "before");
}

TEST(Config, FlushWritesEveryKeyToItsFileInOrder) {
    TempRoot root;
    root.writeFile(configFile, "/tz=(GMT+01:00) A, B\n/count=42\n/word=4x\n");
    eConfig* config = eConfig::instance();
    config->reload();
    config->setKey("/count", "7");
    config->setKey("/a", "x=y");
    config->delKey("/word");
    ASSERT_TRUE(config->flush());
    EXPECT_EQ(root.readFile(configFile), "/a=x=y\n/count=7\n/tz=(GMT+01:00) A, B\n");
}

}  // namespace
