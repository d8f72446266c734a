// A hostile server at each stage of a run (the listings answer, the pictures,
// the channel answer) with each fault that could exhaust the receiver's
// memory, /tmp or time. Every case ends in its outcome within the stage's
// deadline plus 5 s, and leaves no partial picture in /tmp. Small caps and
// deadlines, set as the plug-in's settings, keep the cases quick.

#include <filesystem>
#include <ostream>
#include <sstream>
#include <tuple>

#include "FaultScenario.h"
#include "TestFiles.h"

namespace {

using Delivery = LoopbackServer::Answer::Delivery;

enum class Stage { listings, pictures, channels };
enum class Fault { oversizeWithLength, oversizeChunked, hugeCounts, trickle, neverAnswers };

const char* const stageNames[] = {"Listings", "Pictures", "Channels"};
const char* const faultNames[] = {"OversizeWithLength", "OversizeChunked", "HugeCounts", "Trickle",
                                  "NeverAnswers"};

std::ostream& operator<<(std::ostream& out, Stage stage) {
    return out << stageNames[int(stage)];
}
std::ostream& operator<<(std::ostream& out, Fault fault) {
    return out << faultNames[int(fault)];
}

constexpr int answerKib = 128;
constexpr int pictureKib = 16;
constexpr size_t maxMatches = 20;
constexpr size_t maxChannels = 10;
constexpr int answerSeconds = 4;
constexpr int pictureSeconds = 4;
constexpr int passSeconds = 5;
// Records far past the caps, yet an answer within its size cap.
constexpr int hugeCount = 3000;

class HostileFaults : public FaultScenario,
                      public ::testing::WithParamInterface<std::tuple<Stage, Fault>> {
protected:
    HostileFaults() {
        settings = {
            "/matchray/max_answer_kib=" + std::to_string(answerKib),
            "/matchray/max_picture_kib=" + std::to_string(pictureKib),
            "/matchray/answer_timeout=" + std::to_string(answerSeconds),
            "/matchray/picture_timeout=" + std::to_string(pictureSeconds),
            "/matchray/picture_pass_timeout=" + std::to_string(passSeconds),
            "/matchray/max_matches=" + std::to_string(maxMatches),
            "/matchray/max_satellites=30",
            "/matchray/max_channels=" + std::to_string(maxChannels),
        };
    }

    // A well-formed answer of the stage that the fault then delivers.
    static std::string payload(Stage stage) {
        if (stage == Stage::listings) return TestFiles::listings({{1, "A v B", "a.png"}});
        if (stage == Stage::channels) return TestFiles::channels("HRT 1");
        return TestFiles::png();
    }

    static std::string hugeCounts(Stage stage) {
        std::string text = std::to_string(hugeCount) + "\n";
        if (stage == Stage::channels) {
            for (int i = 1; i <= hugeCount; ++i)
                text += "7#1#C" + std::to_string(i) + "#13.0#e#1#V#1#3/4#FTA#1\n";
            return text;
        }
        // Every match its own picture; satellites after the matches, as many.
        for (int i = 1; i <= hugeCount; ++i)
            text += std::to_string(i) + "#M" + std::to_string(i) + "#de#p" + std::to_string(i) +
                    ".png#fr#K\n";
        text += std::to_string(hugeCount) + "\n";
        for (int i = 1; i <= hugeCount; ++i) text += std::to_string(i) + "#13.0#e\n";
        return text;
    }

    LoopbackServer::Answer hostile(Stage stage, Fault fault) {
        LoopbackServer::Answer a;
        switch (fault) {
            case Fault::oversizeWithLength:
            case Fault::oversizeChunked: {
                // Whole answers followed by blanks, which readers skip: within
                // its cap, each block alone would be read as a good answer.
                const int capKib = stage == Stage::pictures ? pictureKib : answerKib;
                a = answer(fault == Fault::oversizeChunked ? Delivery::chunked : Delivery::whole,
                           payload(stage));
                a.body.resize(1024, stage == Stage::pictures ? '\0' : ' ');
                a.repeat = size_t(capKib) * 2;
                return a;
            }
            case Fault::hugeCounts:
                return answer(hugeCounts(stage));
            case Fault::trickle:
                return answer(Delivery::trickle, payload(stage));
            case Fault::neverAnswers:
                return answer(Delivery::silent);
        }
        return a;
    }

    void serve(Stage stage, Fault fault) {
        const LoopbackServer::Answer bad = hostile(stage, fault);
        const std::string good = TestFiles::listings({{1, "A v B", "a.png"}});
        if (stage == Stage::listings || (stage == Stage::pictures && fault == Fault::hugeCounts)) {
            // Every match of the huge listings names its own picture, which is not found.
            server.answer(listingsPath, bad);
        } else if (stage == Stage::pictures) {
            // Three pictures: together they outlast the pass's budget.
            server.answer(listingsPath, answer(TestFiles::listings({{1, "A v B", "p1.png"},
                                                                    {2, "C v D", "p2.png"},
                                                                    {3, "E v F", "p3.png"}})));
            for (const char* path : {"/fix/p1.png", "/fix/p2.png", "/fix/p3.png"})
                server.answer(path, bad);
        } else {
            server.answer(listingsPath, answer(good));
            server.answer(channelsPath, bad);
        }
    }

    // Files of /tmp that hold something, other than the answer file.
    std::vector<std::string> filledTmp() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root.real("/tmp"))) {
            const std::string name = entry.path().filename().string();
            if (name != "psn" && std::filesystem::file_size(entry.path()) > 0)
                names.push_back(name);
        }
        return names;
    }

    size_t pictureRequests() {
        size_t count = 0;
        for (const auto& request : server.requests()) count += request.path.rfind("/fix/", 0) == 0;
        return count;
    }
};

TEST_P(HostileFaults, EndsInItsOutcomeWithinTheDeadline) {
    const auto [stage, fault] = GetParam();
    serve(stage, fault);
    const bool fails = fault != Fault::hugeCounts;
    // Look; on the channel stage choose the first match and look again.
    const std::string script = stage == Stage::channels
                                   ? "wait 200\nkey ok\nwait 200\ndump\nkey exit\nwait 200\ndump\n"
                                   : "wait 200\ndump\nkey exit\n";
    EmulatorRun result = run(script);

    expectCleanEnd(result);
    EXPECT_LT(result.seconds(), (stage == Stage::pictures ? passSeconds : answerSeconds) + 5)
        << result.transcript();
    EXPECT_EQ(filledTmp(), std::vector<std::string>{}) << "partial pictures left in /tmp";
    ASSERT_FALSE(result.dumps().empty()) << result.transcript();
    const std::string& first = result.dumps()[0];

    switch (stage) {
        case Stage::listings:
            EXPECT_EQ(showsErrorBox(first), fails) << first;
            EXPECT_EQ(showsMainWindow(first), !fails) << first;
            EXPECT_EQ(entryLines(first).size(), fails ? 0 : maxMatches) << first;
            if (fails) {
                EXPECT_EQ(result.returned(), std::optional<int>(0));
            }
            break;
        case Stage::pictures:
            ASSERT_TRUE(showsMainWindow(first)) << first;
            EXPECT_EQ(first.find("[picture /tmp/p"), std::string::npos) << first;
            if (!fails) {
                EXPECT_EQ(pictureRequests(), maxMatches);
            }
            break;
        case Stage::channels:
            EXPECT_EQ(showsErrorBox(first), fails) << first;
            EXPECT_EQ(showsDetailWindow(first), !fails) << first;
            EXPECT_EQ(entryLines(first).size(), fails ? 1 : maxChannels) << first;
            ASSERT_EQ(result.dumps().size(), 2u) << result.transcript();
            EXPECT_TRUE(showsMainWindow(result.dumps()[1])) << result.dumps()[1];
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    StageByFault, HostileFaults,
    ::testing::Combine(::testing::Values(Stage::listings, Stage::pictures, Stage::channels),
                       ::testing::Values(Fault::oversizeWithLength, Fault::oversizeChunked,
                                         Fault::hugeCounts, Fault::trickle, Fault::neverAnswers)),
    [](const ::testing::TestParamInfo<std::tuple<Stage, Fault>>& info) {
        std::ostringstream name;
        name << std::get<0>(info.param) << std::get<1>(info.param);
        return name.str();
    });

}  // namespace
