#pragma once
// Fixture of the fault injection tests: a receiver root, a misbehaving server,
// a port that refuses connections, and the checks every run must pass.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "EmulatorRun.h"
#include "LoopbackServer.h"
#include "RefusingPort.h"
#include "TempRoot.h"

class FaultScenario : public ::testing::Test {
protected:
    static constexpr const char* listingsPath = "/pitchsidenew/matchray_data_dm.php";
    static constexpr const char* channelsPath = "/pitchsidenew/matchray_channels_dm.php";
    // The time limits the runs are given, in seconds (connect and stall).
    static constexpr int limit = 2;

    FaultScenario();

    // Runs the script against the fault server, or the given hosts.
    EmulatorRun run(const std::string& script);
    EmulatorRun run(const std::string& script, const std::string& listingsHost,
                    const std::string& picturesHost);

    // Every path under the root, except inside tmp/ and the configuration file.
    std::set<std::string> outsideTmp() const;

    // The run ended normally: no signal, exit code 0, not killed for time,
    // plugin_exec returned; and nothing was written outside "/tmp/".
    void expectCleanEnd(const EmulatorRun& run) const;

    // The run waited for the stall limit on this many transfers, one after the
    // other, and not much longer (the bound is generous: the emulator starts,
    // the ticker is joined, libcurl measures speed over a window of 5 s).
    void expectEndedByTheLimit(const EmulatorRun& run, int blockedTransfers = 1) const;

    // Further settings of every run, "KEY=VALUE".
    std::vector<std::string> settings;
    TempRoot root;
    LoopbackServer server;
    RefusingPort refusing;

private:
    std::set<std::string> before;
};
