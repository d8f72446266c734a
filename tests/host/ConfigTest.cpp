// Receiver paths under the receiver root, and the settings file kept there.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "ReceiverRoot.h"
#include "TempRoot.h"
#include "eConfig.h"

namespace {

TEST(ReceiverRoot, MapsOnlyTheReceiversOwnFoldersUnderTheRoot) {
    const std::array<const char*, 3> cases[] = {
        // root, path, mapped
        {"/", "/tmp/psn", "/tmp/psn"},
        {"/work/root/", "/tmp/psn", "/work/root/tmp/psn"},
        {"/work/root", "/tmp", "/work/root/tmp"},
        {"/work/root", "/var/./tuxbox/../tuxbox//config/x", "/work/root/var/tuxbox/config/x"},
        {"/work/root", "/tmp/../etc/passwd", "/tmp/../etc/passwd"},
        {"/work/root", "/tmp/a/../../../tmp/b", "/work/root/tmp/b"},
        {"/work/root", "/tmpfile", "/tmpfile"},
        {"/work/root", "tmp/psn", "tmp/psn"},
        {"/tmp/root", "/tmp/root/tmp/psn", "/tmp/root/tmp/psn"},
    };
    for (const auto& [root, path, mapped] : cases) {
        ReceiverRoot::set(root);
        EXPECT_EQ(ReceiverRoot::map(path), mapped) << root << " " << path;
    }
    ReceiverRoot::set("/");
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

    config->setKey("/count", "7");
    config->setKey("/a", "x=y");
    config->delKey("/word");
    ASSERT_TRUE(config->flush());
    EXPECT_EQ(root.readFile(file), "/a=x=y\n/count=7\n/tz=(GMT+01:00) A, B\n");
}

}  // namespace
