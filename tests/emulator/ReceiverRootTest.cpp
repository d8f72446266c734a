// Receiver paths under the emulator's receiver root.

#include "ReceiverRoot.h"

#include <gtest/gtest.h>

#include <array>

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

}  // namespace
