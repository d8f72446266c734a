#include <gtest/gtest.h>

#include <cstdlib>

#include "TempRoot.h"
#include "eConfig.h"

namespace {

const char* const configFile = "/var/tuxbox/config/host/config";

TEST(Config, ReadsKeysFromFileUnderReceiverRoot) {
    TempRoot root;
    root.writeFile(configFile,
                   "/elitedvb/timezone=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb\r\n"
                   "/matchray/listings_host=127.0.0.1:8080\n"
                   "/count=42\n"
                   "/word=4x\n"
                   "no equals sign\n");
    eConfig* config = eConfig::instance();
    config->reload();

    char* value = nullptr;
    ASSERT_EQ(config->getKey("/elitedvb/timezone", value), 0);
    EXPECT_STREQ(value, "(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb");
    free(value);

    char* untouched = const_cast<char*>("before");
    EXPECT_EQ(config->getKey("/missing", untouched), -1);
    EXPECT_STREQ(untouched, "before");

    int number = 0;
    EXPECT_EQ(config->getKey("/count", number), 0);
    EXPECT_EQ(number, 42);
    EXPECT_EQ(config->getKey("/word", number), -1);
    EXPECT_EQ(number, 42);
}

TEST(Config, FlushWritesAndReloadReadsBack) {
    TempRoot root;
    eConfig* config = eConfig::instance();
    config->reload();
    config->setKey("/matchray/pictures_host", "localhost:9");
    config->setKey("/gone", "x");
    config->delKey("/gone");
    ASSERT_TRUE(config->flush());
    EXPECT_EQ(root.readFile(configFile), "/matchray/pictures_host=localhost:9\n");

    config->setKey("/matchray/pictures_host", "changed");
    config->reload();
    char* value = nullptr;
    ASSERT_EQ(config->getKey("/matchray/pictures_host", value), 0);
    EXPECT_STREQ(value, "localhost:9");
    free(value);
}

}  // namespace
