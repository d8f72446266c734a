#include <gtest/gtest.h>

#include <sstream>

#include "ChildProcess.h"
#include "ProcessRun.h"
#include "TempDir.h"

namespace {

const std::string server = MATCHRAY_BIN_DIR "/listings-server";
const std::string loadClient = MATCHRAY_BIN_DIR "/listings-load";
const std::string sample = MATCHRAY_SOURCE_DIR "/data/sample/listings.json";

}  // namespace

TEST(ServerProgram, ImportReportsTheBadRecordAndKeepsTheDatabase) {
    TempDir dir;
    const std::string db = dir.file("listings.db");
    ProcessResult ok = runProcess({server, "import", "--db", db, sample});
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.out, "imported 15 channels, 4 pictures, 20 matches into " + db + "\n");

    dir.write("bad.json", R"({"channels": [], "matches": [
        {"id": 101, "title": "Changed", "country1": "de", "picture": "p.png", "country2": "fr",
         "kickoff": "today+1 19:00", "channels": []},
        {"id": 500, "title": "Bad#Title", "country1": "de", "picture": "p.png", "country2": "fr",
         "kickoff": "today+1 19:00", "channels": []}]})");
    ProcessResult bad = runProcess({server, "import", "--db", db, dir.file("bad.json")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("matches[1] (id 500), field \"title\": contains '#'"), std::string::npos)
        << bad.err;
    EXPECT_NE(bad.err.find("nothing was imported"), std::string::npos);

    ProcessResult usage = runProcess({server, "serve"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("--db FILE is required"), std::string::npos);

    ProcessResult missing =
        runProcess({server, "serve", "--db", dir.file("none.db"), "--port", "0"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot open database"), std::string::npos) << missing.err;
}

TEST(ServerProgram, EightClientsOfFiveHundredRequestsGetNoError) {
    TempDir dir;
    const std::string db = dir.file("listings.db");
    ASSERT_EQ(runProcess({server, "import", "--db", db, sample}).exitCode, 0);

    ChildProcess child({server, "serve", "--db", db, "--port", "0", "--threads", "8"},
                       dir.file("server.log"));
    const int port = listeningPort(child);
    ASSERT_GT(port, 0) << dir.read("server.log");

    ProcessResult load = runProcess(
        {loadClient, "--port", std::to_string(port), "--clients", "8", "--requests", "500"}, "",
        120000);
    std::printf("%s", load.out.c_str());
    EXPECT_EQ(load.exitCode, 0) << load.out << load.err;
    EXPECT_NE(load.out.find("requests=4000 errors=0"), std::string::npos) << load.out;

    EXPECT_EQ(child.terminate(10000), 0);
    const std::string log = dir.read("server.log");
    std::size_t lines = 0, withDevice = 0;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        ++lines;
        if (line.find("device=02:00:00:00:00:") != std::string::npos) ++withDevice;
    }
    EXPECT_EQ(withDevice, 3600u);  // every POST; pictures carry no identity
    EXPECT_NE(log.find("listings-server: stopped"), std::string::npos);
    EXPECT_GE(lines, 4001u);
}
