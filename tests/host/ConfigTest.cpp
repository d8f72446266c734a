// Receiver paths under the receiver root, and the settings file kept there.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "TempRoot.h"
#include "eConfig.h"
#include "eReceiverRoot.h"

namespace {

TEST(ReceiverRoot, MapsReceiverPathsUnderTheRoot) {
    const std::array<const char*, 3> cases[] = {
        // root, receiver path, mapped
        {"/", "tmp/psn", "/tmp/psn"},
        {"/work/root/", "/tmp/psn", "/work/root/tmp/psn"},
        {"/work/root", "var/x", "/work/root/var/x"},
    };
    for (const auto& [root, path, mapped] : cases) {
        eReceiverRoot::set(root);
        EXPECT_EQ(eReceiverRoot::map(path), mapped) << root << " " << path;
    }
    eReceiverRoot::set("/");
}

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
    int number = 0;
    EXPECT_EQ(config->getKey("/count", number), 0);
    EXPECT_EQ(config->getKey("/word", number), -1);
    EXPECT_EQ(number, 42);

    config->setKey("/count", "7");
    config->setKey("/a", "x=y");
    config->delKey("/word");
    ASSERT_TRUE(config->flush());
    EXPECT_EQ(root.readFile(file), "/a=x=y\n/count=7\n/tz=(GMT+01:00) A, B\n");
}

}  // namespace
