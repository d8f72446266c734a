#include <gtest/gtest.h>

#include "eReceiverRoot.h"

namespace {

class ReceiverRoot : public ::testing::Test {
protected:
    ~ReceiverRoot() override { eReceiverRoot::set("/"); }
};

TEST_F(ReceiverRoot, SlashRootKeepsPaths) {
    eReceiverRoot::set("/");
    EXPECT_EQ(eReceiverRoot::map("/tmp/psn"), "/tmp/psn");
    EXPECT_EQ(eReceiverRoot::map("tmp/psn"), "/tmp/psn");
    EXPECT_EQ(eReceiverRoot::unmap("/tmp/psn"), "/tmp/psn");
}

TEST_F(ReceiverRoot, DirectoryRootPrefixesAndUnmaps) {
    eReceiverRoot::set("/work/root/");
    EXPECT_EQ(eReceiverRoot::get(), "/work/root");
    EXPECT_EQ(eReceiverRoot::map("/tmp/psn"), "/work/root/tmp/psn");
    EXPECT_EQ(eReceiverRoot::map("var/x"), "/work/root/var/x");
    EXPECT_EQ(eReceiverRoot::unmap("/work/root/tmp/psn"), "/tmp/psn");
    EXPECT_EQ(eReceiverRoot::unmap("/work/root"), "/");
    EXPECT_EQ(eReceiverRoot::unmap("/work/rooted/tmp"), "/work/rooted/tmp");
    EXPECT_EQ(eReceiverRoot::unmap("/elsewhere/tmp"), "/elsewhere/tmp");
}

}  // namespace
