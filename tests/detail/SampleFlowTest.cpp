// The whole plug-in from the reference server's sample data, in the headless
// emulator: start, filter, choose a match, its channels with their icons, back,
// another match, exit. Screenshots of both windows are kept as artefacts in
// BUILD/test-artefacts/ for a person to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ProcessRun.h"
#include "TempRoot.h"

namespace {

namespace fs = std::filesystem;

const std::string bin = MATCHRAY_BIN_DIR;
const std::string artefacts = MATCHRAY_ARTEFACT_DIR;

// The texts between "dump begin" and "dump end", in order.
std::vector<std::string> dumpsOf(const std::string& out) {
    std::vector<std::string> dumps;
    const std::string begin = "dump begin\n", end = "dump end\n";
    for (size_t at = out.find(begin); at != std::string::npos; at = out.find(begin, at)) {
        at += begin.size();
        const size_t stop = out.find(end, at);
        if (stop == std::string::npos) break;
        dumps.push_back(out.substr(at, stop - at));
        at = stop;
    }
    return dumps;
}

std::vector<std::string> entriesOf(const std::string& dump) {
    std::vector<std::string> entries;
    static const std::regex entry(R"(^ *[* ] entry \d+: (.*)$)");
    std::smatch match;
    size_t start = 0;
    while (start < dump.size()) {
        size_t stop = dump.find('\n', start);
        if (stop == std::string::npos) stop = dump.size();
        const std::string line = dump.substr(start, stop - start);
        if (std::regex_match(line, match, entry)) entries.push_back(match[1]);
        start = stop + 1;
    }
    return entries;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A main window dump: the list with the focus, and the highlight on the button
// of this caption.
void expectMainWindow(const std::string& dump, const std::string& caption,
                      const std::string& colour) {
    EXPECT_TRUE(has(dump, "eListBox \"choices\" \"\" at 0,45 size 520x316 focus")) << dump;
    EXPECT_TRUE(std::regex_search(
        dump, std::regex("eButton \"\" \"" + caption + "\" at \\d+,0 size 120x40 bg=" + colour)))
        << dump;
}

}  // namespace

TEST(SampleFlow, FromTheSampleDataToTheChannelsAndBack) {
    if (!fs::exists(bin + "/listings-server")) GTEST_SKIP() << "built without the server";
    TempRoot root;
    const std::string db = root.path() + "/listings.db";
    const ProcessResult imported =
        runProcess({bin + "/listings-server", "import", "--db", db,
                    std::string(MATCHRAY_SOURCE_DIR) + "/data/sample/listings.json"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;

    ChildProcess server(
        {bin + "/listings-server", "serve", "--db", db, "--bind", "127.0.0.1", "--port", "0"},
        root.path() + "/server.log");
    const std::string listening = server.readLine(10000);
    std::smatch port;
    ASSERT_TRUE(std::regex_match(listening, port, std::regex(R"(listening on (127\.0\.0\.1:\d+))")))
        << listening;

    // Flags from Debian's set, the project's icons.
    const std::string pitchside = root.real("/var/tuxbox/config/pitchside");
    fs::create_directories(pitchside + "/countries");
    fs::create_directories(pitchside + "/images/matchray");
    for (const auto& flag : fs::directory_iterator("/usr/share/flags/countries/16x11"))
        fs::copy_file(flag.path(), pitchside + "/countries/" + flag.path().filename().string());
    for (const char* icon : {"hd.png", "fta.png"})
        fs::copy_file(std::string(MATCHRAY_SOURCE_DIR) + "/data/images/" + icon,
                      pitchside + "/images/matchray/" + icon);

    fs::create_directories(artefacts);
    const std::string channelsShot = artefacts + "/sample-channels.png";
    const std::string matchesShot = artefacts + "/sample-matches.png";
    const std::string script =
        "wait 1500\ndump\n"
        "key green\nwait 300\ndump\n"
        "key blue\nwait 300\ndump\n"
        "key yellow\nwait 300\ndump\n"
        "key ok\nwait 1000\ndump\n"
        "shot " +
        channelsShot +
        "\n"
        "key exit\nwait 300\ndump\n"
        "shot " +
        matchesShot +
        "\n"
        "key down\nkey ok\nwait 1000\ndump\n"
        "key exit\nwait 300\ndump\n"
        "key exit\n";
    const ProcessResult run = runProcess({bin + "/receiver-emu", "--root", root.path(), "--set",
                                          "/matchray/listings_host=" + port[1].str(), "--set",
                                          "/matchray/pictures_host=" + port[1].str(), "--headless",
                                          std::string(MATCHRAY_LIB_DIR) + "/matchray.so"},
                                         script, 120000);
    server.terminate(5000);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(has(run.out, "plugin_exec returned -1\n")) << run.out;

    std::vector<std::string> dumps = dumpsOf(run.out);
    ASSERT_EQ(dumps.size(), 8u) << run.out << run.err;
    const std::string green = dumps[1], blue = dumps[2];
    dumps.erase(dumps.begin() + 1, dumps.begin() + 3);

    // The match list: every entry with kick-off, title, two flags and a picture.
    expectMainWindow(dumps[0], "All", "std_dred");
    const std::vector<std::string> all = entriesOf(dumps[0]);
    ASSERT_FALSE(all.empty()) << dumps[0];
    static const std::regex matchEntry(
        R"(.+ \| .+ \| \[picture /var/tuxbox/config/pitchside/countries/[a-z]+\.png\] \| )"
        R"(\[picture /tmp/[^\]]+\] \| \[picture /var/tuxbox/config/pitchside/countries/[a-z]+\.png\])");
    for (const std::string& entry : all) {
        // Entries below the visible rows have not been drawn yet.
        if (entry.empty()) continue;
        EXPECT_TRUE(std::regex_match(entry, matchEntry)) << entry;
    }

    // Each colour narrows the list: blue within yellow within green within all.
    expectMainWindow(green, "1w, 13,16,19e", "std_dgreen");
    expectMainWindow(blue, "13,19e", "std_dblue");
    expectMainWindow(dumps[1], "13,16,19e", "std_dyellow");
    const std::vector<std::string> yellow = entriesOf(dumps[1]);
    EXPECT_LE(entriesOf(blue).size(), yellow.size());
    EXPECT_LE(yellow.size(), entriesOf(green).size());
    EXPECT_LE(entriesOf(green).size(), all.size());
    EXPECT_LT(entriesOf(blue).size(), all.size()) << "the sample data has matches off 13 and 19.2e";
    ASSERT_FALSE(yellow.empty());

    // The channels of the first match, then of the second, in the detail window.
    int icons = 0;
    for (const std::string* detail : {&dumps[2], &dumps[4]}) {
        EXPECT_TRUE(has(*detail, "eWindow \"\" \"Match Ray\" at 100,100 size 520x376")) << *detail;
        EXPECT_TRUE(has(*detail, "eListBox \"choices\" \"\" at 0,0 size 520x376 focus")) << *detail;
        EXPECT_FALSE(has(*detail, "eButton")) << *detail;
        const std::vector<std::string> channels = entriesOf(*detail);
        ASSERT_FALSE(channels.empty()) << *detail;
        for (const std::string& channel : channels) {
            EXPECT_TRUE(std::regex_search(
                channel,
                std::regex(
                    R"(^[^|]+ \| [^|]+ \| freq: \| [^|]+ \| symbol: \| -?\d+-[^|]* \| enc: \| )")))
                << channel;
            icons += has(channel, "/images/matchray/hd.png]") +
                     has(channel, "/images/matchray/fta.png]");
        }
    }
    EXPECT_GT(icons, 0) << "the sample data has HD and free-to-air channels";

    // Back in the unchanged list, after each detail window.
    for (const std::string* back : {&dumps[3], &dumps[5]}) {
        expectMainWindow(*back, "13,16,19e", "std_dyellow");
        EXPECT_EQ(entriesOf(*back), yellow);
    }
    EXPECT_TRUE(fs::exists(channelsShot));
    EXPECT_TRUE(fs::exists(matchesShot));
}
