// plugin_exec as the host runs it: the real plug-in module in the real
// emulator, headless, against servers on loopback.

#include <fcntl.h>
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

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>

#include "LoopbackServer.h"
#include "ProcessRun.h"
#include "SilentServer.h"
#include "TempRoot.h"

namespace {

const char* const listingsPath = "/pitchsidenew/matchray_data_dm.php";
const char* const listings =
    "1\n"
    "4#Croatia - Spain#hr#m4.png#es#Sat 20:45\n"
    "1\n"
    "4#13.0#e\n";

// The kernel's text of eth0's address, or the zeros the plug-in sends without it.
std::string expectedIdentity() {
    std::ifstream file("/sys/class/net/eth0/address");
    std::string address;
    if (std::getline(file, address) && address.size() == 17) return address;
    return "00:00:00:00:00:00";
}

bool showsErrorBox(const std::string& out) {
    return out.find("eMessageBox \"\" \"Error\"") != std::string::npos &&
           out.find("\"Can't connect to server!\"") != std::string::npos;
}

class PluginExecTest : public testing::Test {
protected:
    void SetUp() override {
        server.server().Post(listingsPath, [this](const httplib::Request&, httplib::Response& res) {
            res.status = status;
            res.set_content(status == 200 ? answer : "error page", "text/plain");
        });
        server.server().Get("/fix/m4.png", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("not really a png", "image/png");
        });
        server.start();
    }

    ProcessResult run(const std::string& script, std::vector<std::string> settings = {}) {
        std::vector<std::string> argv = {MATCHRAY_BIN_DIR "/receiver-emu", "--root", root.path(),
                                         "--headless"};
        for (const std::string& setting : settings) {
            argv.push_back("--set");
            argv.push_back(setting);
        }
        argv.push_back(MATCHRAY_LIB_DIR "/matchray.so");
        ProcessResult result = runProcess(argv, script, 60000);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result;
    }

    std::vector<std::string> hosts(const std::string& host) {
        return {"/matchray/listings_host=" + host, "/matchray/pictures_host=" + host};
    }

    TempRoot root;
    LoopbackServer server;
    int status = 200;
    std::string answer = listings;
};

TEST_F(PluginExecTest, SendsTheRequestAndRunsTheMainWindow) {
    auto settings = hosts(server.hostPort());
    settings.push_back("/elitedvb/timezone=(GMT+05:30) Chennai, Kolkata, Mumbai, New Delhi");
    ProcessResult result = run("wait 100\ndump\nkey exit\n", settings);

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, listingsPath);
    EXPECT_EQ(requests[0].userAgent, "PS");
    EXPECT_EQ(requests[0].body,
              "z=(GMT+05:30) Chennai, Kolkata, Mumbai, New Delhi&m=" + expectedIdentity());
    EXPECT_EQ(requests[1].path, "/fix/m4.png");

    EXPECT_NE(result.out.find("\"choices\""), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Zavrsio thread1\n"), std::string::npos);
    EXPECT_NE(result.out.find("plugin_exec returned -1"), std::string::npos) << result.out;
    EXPECT_FALSE(root.exists("/tmp/psn"));
    EXPECT_EQ(root.readFile("/tmp/m4.png"), "not really a png");
}

TEST_F(PluginExecTest, WithoutTimeZoneKeySendsTheFallbackZone) {
    run("", hosts(server.hostPort()));
    auto requests = server.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].body,
              "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=" + expectedIdentity());
}

TEST_F(PluginExecTest, ErrorStatusShowsTheErrorBoxAndReturnsZero) {
    for (int code : {404, 500}) {
        status = code;
        ProcessResult result = run("dump\nkey ok\n", hosts(server.hostPort()));
        EXPECT_TRUE(showsErrorBox(result.out)) << code << "\n" << result.out;
        EXPECT_EQ(result.out.find("\"choices\""), std::string::npos) << "no main window";
        EXPECT_EQ(result.out.find("Download data"), std::string::npos) << "wait box hidden";
        EXPECT_NE(result.out.find("plugin_exec returned 0\n"), std::string::npos);
    }
}

TEST_F(PluginExecTest, UncreatableListingsFileReturnsZeroSilently) {
    ASSERT_EQ(mkdir(root.real("/tmp/psn").c_str(), 0700), 0);
    ProcessResult result = run("dump\n", hosts(server.hostPort()));
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(showsErrorBox(result.out));
    EXPECT_EQ(result.out, "plugin_exec returned 0\n");
}

TEST_F(PluginExecTest, SymbolicLinkAtTheListingsFileIsNotFollowed) {
    root.writeFile("/victim", "keep");
    ASSERT_EQ(symlink(root.real("/victim").c_str(), root.real("/tmp/psn").c_str()), 0);
    ProcessResult result = run("", hosts(server.hostPort()));
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(root.readFile("/victim"), "keep");
    EXPECT_EQ(result.out, "plugin_exec returned 0\n");
}

TEST_F(PluginExecTest, HangingServerFailsWithinTheLimitAndExitEndsTheRun) {
    SilentServer silent;
    auto settings = hosts(silent.hostPort());
    settings.push_back("/matchray/stall_timeout=1");
    settings.push_back("/matchray/connect_timeout=1");
    auto start = std::chrono::steady_clock::now();
    ProcessResult result = run("dump\nkey exit\n", settings);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(showsErrorBox(result.out)) << result.out;
    EXPECT_NE(result.out.find("plugin_exec returned 0\n"), std::string::npos);
}

TEST_F(PluginExecTest, RefusedConnectionShowsTheErrorBox) {
    const std::string host = server.hostPort();
    server.stop();
    ProcessResult result = run("dump\n", hosts(host));
    EXPECT_TRUE(showsErrorBox(result.out)) << result.out;
    EXPECT_NE(result.out.find("plugin_exec returned 0\n"), std::string::npos);
}

// With the record and size caps lifted, an answer that needs more memory than
// the process may take: the allocation fails inside the plug-in, the run ends
// on the error box, and the host goes on.
TEST_F(PluginExecTest, ExhaustedMemoryEndsOnTheErrorBox) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
    const std::string emulator = MATCHRAY_BIN_DIR "/receiver-emu";
    if (commandFor({emulator}).size() > 1) GTEST_SKIP() << "the limit would bind the emulator";
    // Ten million one-field match lines: about 2 GB of records.
    constexpr int lines = 10000000;
    answer = std::to_string(lines) + "\n";
    answer.reserve(answer.size() + 2 * lines);
    for (int i = 0; i < lines; ++i) answer += "1\n";
    auto settings = hosts(server.hostPort());
    settings.insert(settings.end(),
                    {"/matchray/max_answer_kib=1000000", "/matchray/max_matches=1000000000"});

    rlimit unlimited{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &unlimited), 0);
    rlimit limited = unlimited;
    limited.rlim_cur = rlim_t(1) << 30;  // inherited by the emulator
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
    ProcessResult result = run("dump\nkey exit\n", settings);
    setrlimit(RLIMIT_AS, &unlimited);

    EXPECT_TRUE(showsErrorBox(result.out)) << result.out;
    EXPECT_NE(result.out.find("plugin_exec returned 0\n"), std::string::npos) << result.out;
}

// Runs body in a child process inside new namespaces of the given kinds
// (CLONE_NEW...), as root there. Returns the child's exit status, or -1 when
// the system allows no such namespaces or body returns 100 (it can't set up).
int inNamespaces(int kinds, const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        const std::string uidMap = "0 " + std::to_string(getuid()) + " 1";
        const std::string gidMap = "0 " + std::to_string(getgid()) + " 1";
        auto write = [](const char* path, const std::string& text) {
            int fd = open(path, O_WRONLY);
            bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == ssize_t(text.size());
            if (fd >= 0) close(fd);
            return ok;
        };
        if (unshare(CLONE_NEWUSER | kinds) != 0) _exit(100);
        if (!write("/proc/self/setgroups", "deny") || !write("/proc/self/uid_map", uidMap) ||
            !write("/proc/self/gid_map", gidMap)) {
            _exit(100);
        }
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 100) return -1;
    return WEXITSTATUS(status);
}

// The new network namespace has only a loopback interface, and no eth0.
TEST(PluginExecNoEth0Test, WithoutEth0SendsZeros) {
    TempRoot root;
    int status = inNamespaces(CLONE_NEWNET, [&root] {
        int fd = socket(AF_INET, SOCK_DGRAM, 0);
        struct ifreq request {};
        std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
        if (fd < 0 || ioctl(fd, SIOCGIFFLAGS, &request) != 0) return 100;
        request.ifr_flags |= IFF_UP;
        if (ioctl(fd, SIOCSIFFLAGS, &request) != 0) return 100;
        close(fd);
        LoopbackServer server;
        server.start();
        ProcessResult result = runProcess(
            {MATCHRAY_BIN_DIR "/receiver-emu", "--root", root.path(), "--headless", "--set",
             "/matchray/listings_host=" + server.hostPort(), MATCHRAY_LIB_DIR "/matchray.so"},
            "", 60000);
        auto requests = server.requests();
        root.writeFile("/received", requests.empty() ? "" : requests[0].body);
        return result.exitCode;
    });
    if (status < 0) GTEST_SKIP() << "no user and network namespaces here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(root.readFile("/received"),
              "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=00:00:00:00:00:00");
}

// /tmp is RAM on a receiver. On a small tmpfs the answer fills it, and its
// last buffered bytes can't be written: a cut answer must never count as whole.
TEST(PluginExecSmallTmpTest, FullTmpDuringTheAnswerGivesTheErrorBox) {
    TempRoot root;
    LoopbackServer server;
    constexpr size_t tmpBytes = 16384;
    // Cut after tmpBytes, the answer still reads as a whole listings file.
    std::string answer = listings;
    answer.resize(tmpBytes + 100, ' ');
    server.server().Post(listingsPath, [&answer](const httplib::Request&, httplib::Response& res) {
        res.set_content(answer, "text/plain");
    });
    server.start();
    int status = inNamespaces(CLONE_NEWNS, [&] {
        const std::string size = "size=" + std::to_string(tmpBytes);
        if (mount("tmpfs", root.real("/tmp").c_str(), "tmpfs", 0, size.c_str()) != 0) return 100;
        ProcessResult result = runProcess(
            {MATCHRAY_BIN_DIR "/receiver-emu", "--root", root.path(), "--headless", "--set",
             "/matchray/listings_host=" + server.hostPort(), MATCHRAY_LIB_DIR "/matchray.so"},
            "dump\nkey exit\n", 60000);
        root.writeFile("/out", result.out);
        return result.exitCode;
    });
    if (status < 0) GTEST_SKIP() << "no user and mount namespaces here, or no tmpfs in them";
    EXPECT_EQ(status, 0);
    const std::string out = root.readFile("/out");
    EXPECT_TRUE(showsErrorBox(out)) << out;
    EXPECT_EQ(out.find("\"choices\""), std::string::npos) << "no list from a cut answer";
    EXPECT_NE(out.find("plugin_exec returned 0\n"), std::string::npos) << out;
}

}  // namespace
