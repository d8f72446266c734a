#include "FaultScenario.h"

#include <filesystem>

namespace fs = std::filesystem;

FaultScenario::FaultScenario() {
    before = outsideTmp();
}

EmulatorRun FaultScenario::run(const std::string& script) {
    return run(script, server.hostPort(), server.hostPort());
}

EmulatorRun FaultScenario::run(const std::string& script, const std::string& listingsHost,
                               const std::string& picturesHost) {
    EmulatorSettings emulator;
    emulator.listingsHost = listingsHost;
    emulator.picturesHost = picturesHost;
    emulator.connectTimeout = limit;
    emulator.stallTimeout = limit;
    emulator.more = settings;
    return EmulatorRun(root, script, emulator);
}

std::set<std::string> FaultScenario::outsideTmp() const {
    std::set<std::string> paths;
    const fs::path top(root.path());
    for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string relative = fs::relative(it->path(), top).string();
        if (relative == "tmp") it.disable_recursion_pending();
        if (relative != "var/tuxbox/config/host/config") paths.insert(relative);
    }
    return paths;
}

void FaultScenario::expectCleanEnd(const EmulatorRun& run) const {
    EXPECT_FALSE(run.process().timedOut) << run.transcript();
    EXPECT_EQ(run.process().signal, 0) << run.transcript();
    EXPECT_EQ(run.process().exitCode, 0) << run.transcript();
    EXPECT_TRUE(run.returned().has_value()) << run.transcript();
    EXPECT_EQ(outsideTmp(), before) << "written outside /tmp/";
}

void FaultScenario::expectEndedByTheLimit(const EmulatorRun& run, int blockedTransfers) const {
    EXPECT_GE(run.seconds(), blockedTransfers * limit - 0.5);
    EXPECT_LT(run.seconds(), blockedTransfers * (limit + 6) + 15);
}
