// The real plug-in in the real emulator, headless, with a misbehaving server at one stage of a run
// (listings answer, picture pass, channel answer); small caps and deadlines keep the runs quick.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "EmulatorRun.h"
#include "LoopbackServer.h"
#include "TempRoot.h"
#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;
using Delivery = LoopbackServer::Answer::Delivery;

enum class Stage { listings, pictures, channels };
enum class Fault { status, garbage, oversize, chunked, hugeCounts, trickle, silent };
enum class Outcome { errorBox, mainWindow, detailWindow };

struct Row {
    const char* name;
    Stage stage;
    Fault fault;
    Outcome outcome;
    size_t entries;  // in the window of the outcome
};

constexpr int answerKib = 256, pictureKib = 16, answerSeconds = 2, passSeconds = 3;
constexpr size_t maxMatches = 2000, maxChannels = 10;  // the default cap on matches
constexpr int hugeCount = 3000;  // records far past the caps, in an answer within its size cap

// A picture, or an answer of count records: matches (match i shows picture p<i>.png) or channels.
std::string payload(Stage stage, int count = 1) {
    if (stage == Stage::pictures) return TestFiles::png();
    std::vector<TestFiles::Match> matches;
    std::string channels = std::to_string(count) + "\n";
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        matches.push_back({i, "M" + n, "p" + n + ".png"});
        channels += "7#1#C" + n + "#13.0#e#1#V#1#3/4#FTA#1\n";
    }
    return stage == Stage::listings ? TestFiles::listings(matches) : channels;
}

LoopbackServer::Answer hostile(Stage stage, Fault fault) {
    const std::string corpus = stage == Stage::listings ? "listings_loader" : "channel_file";
    if (fault == Fault::garbage)
        return answer(readBinary(MATCHRAY_SOURCE_DIR "/fuzz/corpus/" + corpus + "/fewer_lines"));
    if (fault == Fault::hugeCounts) return answer(payload(stage, hugeCount));
    if (fault == Fault::status) return answer(payload(stage), 500);
    if (fault == Fault::trickle) return answer(Delivery::trickle, payload(stage));
    if (fault == Fault::silent) return answer(Delivery::silent);
    // A whole answer followed by blanks, which readers skip: within its cap, each block alone
    // would be read as a good answer.
    auto a = answer(fault == Fault::chunked ? Delivery::chunked : Delivery::whole, payload(stage));
    a.body.resize(1024, stage == Stage::pictures ? '\0' : ' ');
    a.repeat = size_t(stage == Stage::pictures ? pictureKib : answerKib) * 2;
    return a;
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

// Every path under the root, except inside tmp/ and the configuration file.
std::set<std::string> outsideTmp(const TempRoot& root) {
    std::set<std::string> paths;
    for (auto it = fs::recursive_directory_iterator(root.path()); it != decltype(it)(); ++it) {
        const std::string relative = fs::relative(it->path(), root.path()).string();
        if (relative == "tmp") it.disable_recursion_pending();
        if (relative != "var/tuxbox/config/host/config") paths.insert(relative);
    }
    return paths;
}

class StageFaults : public ::testing::TestWithParam<Row> {};

TEST_P(StageFaults, EndsInItsOutcomeWithinTheDeadline) {
    const Row& row = GetParam();
    TempRoot root;
    LoopbackServer server;
    const std::set<std::string> before = outsideTmp(root);
    const LoopbackServer::Answer bad = hostile(row.stage, row.fault);
    const bool channels = row.stage == Stage::channels;
    // Three pictures: together, never answering, they outlast the picture pass's budget.
    server.answer(listingsPath,
                  row.stage == Stage::listings ? bad : answer(payload(Stage::listings, 3)));
    if (channels) server.answer(channelsPath, bad);
    if (row.stage == Stage::pictures) server.answerOthers(bad);
    EmulatorSettings settings;
    settings.listingsHost = settings.picturesHost = server.hostPort();
    for (const auto& [key, value] : {std::pair{"max_answer_kib", answerKib},
                                     {"max_picture_kib", pictureKib},
                                     {"answer_timeout", answerSeconds},
                                     {"picture_timeout", answerSeconds},
                                     {"picture_pass_timeout", passSeconds},
                                     {"max_channels", int(maxChannels)}})
        settings.more.push_back("/matchray/" + std::string(key) + "=" + std::to_string(value));
    // Look; on the channel stage choose the first match, look, leave it and look again.
    EmulatorRun run(root,
                    channels
                        ? "wait 200\nkey ok\nwait 200\ndump\nkey exit\nwait 200\ndump\nkey exit\n"
                        : "wait 200\ndump\nkey exit\n",
                    settings);

    // A clean end: exit code 0, plugin_exec returned, in time, nothing written outside /tmp/.
    const ProcessResult& process = run.process();
    EXPECT_TRUE(!process.timedOut && process.signal == 0 && process.exitCode == 0 && run.returned())
        << run.transcript();
    EXPECT_EQ(outsideTmp(root), before);
    EXPECT_LT(run.seconds(), passSeconds + 5);
    // Only empty files in /tmp: no partial picture, no answer that was read (a failed one may
    // stay).
    for (const auto& entry : fs::directory_iterator(root.real("/tmp"))) {
        const bool failedAnswer =
            entry.path().filename() == "psn" && row.outcome == Outcome::errorBox;
        EXPECT_TRUE(fs::file_size(entry.path()) == 0 || failedAnswer) << entry.path();
    }
    ASSERT_FALSE(run.dumps().empty()) << run.transcript();
    const std::string& first = run.dumps()[0];
    EXPECT_EQ(showsErrorBox(first), row.outcome == Outcome::errorBox) << first;
    EXPECT_EQ(showsDetailWindow(first), row.outcome == Outcome::detailWindow) << first;
    if (row.outcome != Outcome::errorBox) {
        EXPECT_EQ(showsMainWindow(first), row.outcome == Outcome::mainWindow) << first;
    }
    EXPECT_EQ(entryLines(first).size(), row.entries) << first;
    EXPECT_EQ(first.find("[picture /tmp/p"), std::string::npos) << first;
    // No more pictures asked for than the capped list shows.
    const auto requests = server.requests();
    EXPECT_LE(std::count_if(requests.begin(), requests.end(),
                            [](const auto& r) { return r.path.rfind("/fix/", 0) == 0; }),
              long(maxMatches));
    // The main window comes back after the error box or the detail window.
    if (channels && row.outcome != Outcome::mainWindow) {
        ASSERT_EQ(run.dumps().size(), 2u) << run.transcript();
        EXPECT_TRUE(showsMainWindow(run.dumps()[1])) << run.dumps()[1];
        EXPECT_FALSE(showsErrorBox(run.dumps()[1])) << run.dumps()[1];
    }
}

using S = Stage;
using F = Fault;
using O = Outcome;
INSTANTIATE_TEST_SUITE_P(
    StageByFault, StageFaults,
    ::testing::Values(
        Row{"ListingsStatus", S::listings, F::status, O::errorBox, 0},
        Row{"ListingsGarbage", S::listings, F::garbage, O::mainWindow, 0},
        Row{"ListingsOversize", S::listings, F::oversize, O::errorBox, 0},
        Row{"ListingsChunked", S::listings, F::chunked, O::errorBox, 0},
        Row{"ListingsHugeCounts", S::listings, F::hugeCounts, O::mainWindow, maxMatches},
        Row{"ListingsTrickle", S::listings, F::trickle, O::errorBox, 0},
        Row{"ListingsSilent", S::listings, F::silent, O::errorBox, 0},
        Row{"PicturesStatus", S::pictures, F::status, O::mainWindow, 3},
        Row{"PicturesOversize", S::pictures, F::oversize, O::mainWindow, 3},
        Row{"PicturesChunked", S::pictures, F::chunked, O::mainWindow, 3},
        Row{"PicturesTrickle", S::pictures, F::trickle, O::mainWindow, 3},
        Row{"PicturesSilent", S::pictures, F::silent, O::mainWindow, 3},
        Row{"ChannelsStatus", S::channels, F::status, O::errorBox, 3},
        Row{"ChannelsGarbage", S::channels, F::garbage, O::mainWindow, 3},
        Row{"ChannelsOversize", S::channels, F::oversize, O::errorBox, 3},
        Row{"ChannelsChunked", S::channels, F::chunked, O::errorBox, 3},
        Row{"ChannelsHugeCounts", S::channels, F::hugeCounts, O::detailWindow, maxChannels},
        Row{"ChannelsTrickle", S::channels, F::trickle, O::errorBox, 3},
        Row{"ChannelsSilent", S::channels, F::silent, O::errorBox, 3}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
