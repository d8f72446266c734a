// The whole plug-in on the reference server's sample data, in the headless emulator.
#include <gtest/gtest.h>

#include <regex>

#include "ChildProcess.h"
#include "EmulatorRun.h"
#include "TestFiles.h"

namespace {

const std::string source = MATCHRAY_SOURCE_DIR;

TEST(SampleFlow, RunsFromTheSampleDataToTheChannelWindows) {
    TempRoot root;
    const std::string server = MATCHRAY_BIN_DIR "/listings-server", db = root.real("/listings.db");
    ASSERT_EQ(
        runProcess({server, "import", "--db", db, source + "/data/sample/listings.json"}).exitCode,
        0);
    ChildProcess serving({server, "serve", "--db", db, "--bind", "127.0.0.1", "--port", "0"});
    EmulatorSettings settings;
    settings.listingsHost = settings.picturesHost =
        "127.0.0.1:" + std::to_string(listeningPort(serving));
    for (const char* icon : {"hd.png", "fta.png"})
        root.writeFile(std::string("/var/tuxbox/config/pitchside/images/matchray/") + icon,
                       readBinary(source + "/data/images/" + icon));
    // All, green, blue, yellow; the first match's channels, back; the second's, back.
    const EmulatorRun run(
        root,
        "wait 200\ndump\nkey green\nwait 100\ndump\nkey blue\nwait 100\ndump\n"
        "key yellow\nwait 100\ndump\nkey ok\nwait 200\ndump\nkey exit\nwait 100\n"
        "dump\nkey down\nkey ok\nwait 200\ndump\nkey exit\nwait 100\ndump\nkey exit\n",
        settings);
    const std::vector<std::string>& dumps = run.dumps();
    ASSERT_TRUE(run.returned() == -1 && dumps.size() == 8u) << run.transcript();

    // Every drawn match shows its kick-off, title and the picture from the server (the flags
    // are not installed); entries below the visible rows have not been drawn yet.
    const std::regex match(R"(entry \d+: (.+ \| .+ \| \[picture /tmp/[^\]]+\.png\])?$)");
    EXPECT_FALSE(linesWith(dumps[0], "[picture /tmp/").empty());
    size_t sizes[4];
    for (int i = 0; i < 4; ++i) {
        sizes[i] = entryLines(dumps[i]).size();
        for (const std::string& entry : entryLines(dumps[i]))
            EXPECT_TRUE(std::regex_search(entry, match)) << entry;
    }
    // Each colour narrows the list: blue within yellow within green within all.
    EXPECT_TRUE(sizes[0] >= sizes[1] && sizes[1] >= sizes[3] && sizes[3] >= sizes[2]);
    EXPECT_LT(sizes[2], sizes[0]) << "the sample data has matches off 13 and 19.2e";

    // The channels of two matches, with icons; back to the yellow list each time, unchanged.
    const std::regex channel(R"(entry \d+: [^|]+ \| [^|]+ \| freq: \| [^|]+ \| symbol: \| -?\d+-)");
    for (int detail : {4, 6}) {
        EXPECT_TRUE(showsDetailWindow(dumps[detail]) && !entryLines(dumps[detail]).empty());
        for (const std::string& line : entryLines(dumps[detail]))
            EXPECT_TRUE(std::regex_search(line, channel)) << line;
        EXPECT_EQ(entryLines(dumps[detail + 1]).size(), sizes[3]);
    }
    EXPECT_FALSE(linesWith(dumps[4] + dumps[6], "/images/matchray/").empty()) << "HD, free to air";
}

}  // namespace
