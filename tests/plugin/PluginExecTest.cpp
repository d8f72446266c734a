// plugin_exec as the host runs it: the real plug-in module in the real
// emulator, headless, against a server on loopback.

#include <grp.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "EmulatorRun.h"
#include "LoopbackServer.h"
#include "TempRoot.h"
#include "TestFiles.h"

namespace {

const std::string fallbackZone = "(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb";

// The kernel's text of eth0's address, or the zeros the plug-in sends without it.
std::string expectedIdentity() {
    std::ifstream file("/sys/class/net/eth0/address");
    std::string address;
    return std::getline(file, address) && address.size() == 17 ? address : "00:00:00:00:00:00";
}

class PluginExecTest : public testing::Test {
protected:
    EmulatorRun run(const std::string& script, std::vector<std::string> more = {}) {
        EmulatorSettings settings;
        settings.listingsHost = settings.picturesHost = server.hostPort();
        settings.more = std::move(more);
        EmulatorRun result(root, script, settings);
        EXPECT_EQ(result.process().exitCode, 0) << result.transcript();
        return result;
    }

    TempRoot root;
    LoopbackServer server;
};

// Without its key, the fallback time zone; the key, once set, goes into the body as it is.
TEST_F(PluginExecTest, SendsTheListingsRequestByteForByte) {
    server.answer(listingsPath, answer(TestFiles::listings({{4, "Croatia - Spain", "m4.png"}})));
    for (const std::string zone : {"", "(GMT-03:30) Newfoundland & +x,=%20"}) {
        SCOPED_TRACE(zone);
        const size_t before = server.requests().size();
        run("",
            zone.empty() ? std::vector<std::string>{} : std::vector{"/elitedvb/timezone=" + zone});
        const auto requests = server.requests();
        ASSERT_GT(requests.size(), before);
        EXPECT_EQ(requests[before].bytes, postBytes(server, listingsPath, "PS",
                                                    "z=" + (zone.empty() ? fallbackZone : zone) +
                                                        "&m=" + expectedIdentity()));
    }
}

// A listings file that can't be created safely: no request, no message, 0.
TEST_F(PluginExecTest, UnsafeListingsFileReturnsZeroSilently) {
    root.writeFile("/victim", "keep");
    const std::string psn = root.real("/tmp/psn");
    for (bool link : {false, true}) {
        std::remove(psn.c_str());
        ASSERT_EQ(
            link ? symlink(root.real("/victim").c_str(), psn.c_str()) : mkdir(psn.c_str(), 0700),
            0);
        EXPECT_EQ(run("dump\n").process().out, "plugin_exec returned 0\n");
    }
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(root.readFile("/victim"), "keep");
}

// With the caps lifted, an answer that needs more memory than the process may take: the
// allocation fails inside the plug-in, the run ends on the error box, and the host goes on.
TEST_F(PluginExecTest, ExhaustedMemoryEndsOnTheErrorBox) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
    if (commandFor({emulatorPath()}).size() > 1)
        GTEST_SKIP() << "the limit would bind the emulator";
    std::string huge = "10000000\n";  // one-field match lines: about 2 GB of records
    for (int i = 0; i < 10000000; ++i) huge += "1\n";
    server.answer(listingsPath, answer(std::move(huge)));
    rlimit unlimited{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &unlimited), 0);
    const rlimit limited{rlim_t(1) << 30, unlimited.rlim_max};  // inherited by the emulator
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
    EmulatorRun result = run("dump\nkey exit\n", {"/matchray/max_answer_kib=1000000",
                                                  "/matchray/max_matches=1000000000"});
    setrlimit(RLIMIT_AS, &unlimited);
    ASSERT_EQ(result.dumps().size(), 1u) << result.transcript();
    EXPECT_TRUE(showsErrorBox(result.dumps()[0])) << result.dumps()[0];
    EXPECT_EQ(result.returned(), std::optional<int>(0));
}

// The emulator puts the plug-in's /tmp under its root: the stale pictures the plug-in clears
// there go, a decoy picture in the real /tmp stays, and the answer file that a failed channel
// request leaves behind is the root's, not the real /tmp/psn. 0 when so.
int keepsToTheRoot() {
    const bool hadPsn = access("/tmp/psn", F_OK) == 0;
    char decoy[] = "/tmp/matchray-decoy-XXXXXX.png";
    const int fd = mkstemps(decoy, 4);
    if (fd < 0) return 1;
    close(fd);
    TempRoot root;
    LoopbackServer server;
    server.answer(listingsPath, answer(TestFiles::listings({{4, "A - B", "kept.png"}})));
    root.writeFile("/tmp/stale.png", "x");
    root.writeFile("/tmp/kept.png", TestFiles::png());
    EmulatorSettings settings;
    settings.listingsHost = settings.picturesHost = server.hostPort();
    // A match chosen: its channel request fails (404) and leaves its answer file; the error box.
    const EmulatorRun run(root, "key ok\nkey ok\nkey exit\n", settings);
    const bool psnKept = hadPsn || access("/tmp/psn", F_OK) != 0;
    const bool kept = access(decoy, F_OK) == 0 && unlink(decoy) == 0;
    const bool good = run.returned() == -1 && !root.exists("/tmp/stale.png") &&
                      root.exists("/tmp/kept.png") && root.exists("/tmp/psn") && kept && psnKept;
    if (!good)
        std::fprintf(stderr, "decoy %s, /tmp/psn %s\n%s", kept ? "kept" : "gone",
                     psnKept ? "untouched" : "touched", run.transcript().c_str());
    return good ? 0 : 1;
}

// For root, and for another user that root becomes.
TEST(PluginFiles, StayUnderTheEmulatorsRootForAnyUser) {
    EXPECT_EQ(keepsToTheRoot(), 0) << "as user " << getuid();
    if (getuid() != 0) return;  // the run above was an ordinary user's
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(77);
        if (runProcess({emulatorPath(), "--help"}).exitCode != 0 ||
            access(MATCHRAY_LIB_DIR "/matchray.so", R_OK) != 0)
            _exit(78);
        _exit(keepsToTheRoot());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == 77) GTEST_SKIP() << "root could not become nobody here";
    if (code == 78) GTEST_SKIP() << "nobody can't run this build: its folders are closed to others";
    EXPECT_EQ(code, 0) << "as nobody";
}

// In new user, network and mount namespaces, with a tmpfs of 16 KiB as /tmp (RAM on a receiver):
// the answer fills /tmp, its last buffered bytes can't be written, and a cut answer must never
// count as whole.
TEST(PluginExecNamespace, FullTmpEndsOnTheErrorBox) {
    TempRoot root;
    constexpr size_t tmpBytes = 16384;
    const pid_t pid = fork();
    if (pid == 0) {
        auto write = [](const char* path, const std::string& text) {
            std::ofstream file(path);
            return (file << text).flush().good();
        };
        const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
        if (unshare(CLONE_NEWUSER | CLONE_NEWNET | CLONE_NEWNS) != 0 ||
            !write("/proc/self/setgroups", "deny") ||
            !write("/proc/self/uid_map", "0 " + uid + " 1") ||
            !write("/proc/self/gid_map", "0 " + gid + " 1"))
            _exit(100);
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        ifreq request{};
        std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
        if (fd < 0 || ioctl(fd, SIOCGIFFLAGS, &request) != 0) _exit(100);
        request.ifr_flags |= IFF_UP;
        const std::string size = "size=" + std::to_string(tmpBytes);
        if (ioctl(fd, SIOCSIFFLAGS, &request) != 0 ||
            mount("tmpfs", root.real("/tmp").c_str(), "tmpfs", 0, size.c_str()) != 0)
            _exit(100);
        LoopbackServer server;
        // Cut after tmpBytes, the answer still reads as a whole listings file.
        std::string listings = TestFiles::listings({{4, "Croatia - Spain", "m4.png"}});
        listings.resize(tmpBytes + 100, ' ');
        server.answer(listingsPath, answer(listings));
        EmulatorSettings settings;
        settings.listingsHost = server.hostPort();
        EmulatorRun result(root, "dump\nkey exit\n", settings);
        const bool errorBox = result.dumps().size() == 1 && showsErrorBox(result.dumps()[0]);
        _exit(result.process().exitCode == 0 && result.returned() == 0 && errorBox ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 100) GTEST_SKIP() << "no namespaces here";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "no error box on a full /tmp";
}

}  // namespace
