// The receiver emulator against a hostile server, one case at a time, with the
// plug-in's default limits and a stall limit of 3 s: peak resident memory of
// the emulator process (against a well-behaved server's as the anchor), wall
// time, and the most /tmp held while it ran. Goals: at most 64 MiB resident in
// every case, and no file in /tmp past its size cap.
//   hostile_cases_bench [NAME-PART]   runs the cases whose name contains it

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "EmulatorRun.h"
#include "LoopbackServer.h"
#include "TempRoot.h"
#include "TestFiles.h"

namespace {

// A channel file with one free-to-air channel of this name.
std::string channelFile(const std::string& name) {
    return "1\n7#1#" + name + "#13.0#e#11034#V#27500#3/4#FTA#1\n";
}

namespace fs = std::filesystem;
using Delivery = LoopbackServer::Answer::Delivery;

const char* const listingsPath = "/pitchsidenew/matchray_data_dm.php";
const char* const channelsPath = "/pitchsidenew/matchray_channels_dm.php";
constexpr uintmax_t answerCap = 1024 << 10;
constexpr uintmax_t pictureCap = 512 << 10;

const char* const look = "wait 200\ndump\nkey exit\n";
const char* const chooseAndLook =
    "wait 200\nkey ok\nwait 200\ndump\nkey exit\nwait 200\ndump\nkey exit\n";

LoopbackServer::Answer reply(Delivery delivery, std::string body = "", size_t repeat = 1) {
    LoopbackServer::Answer a;
    a.delivery = delivery;
    a.body = std::move(body);
    a.repeat = repeat;
    return a;
}

LoopbackServer::Answer whole(std::string body) {
    return reply(Delivery::whole, std::move(body));
}

// One kibibyte: a good answer and blanks, sent megabytes times over.
LoopbackServer::Answer oversize(Delivery delivery, std::string block, size_t mebibytes, char pad) {
    block.resize(1024, pad);
    return reply(delivery, std::move(block), mebibytes * 1024);
}

// Count lines of one field each, as many as fit in the answer cap.
std::string oneFieldLines(size_t count, size_t lines) {
    std::string text = std::to_string(count) + "\n";
    text.reserve(text.size() + 2 * lines);
    for (size_t i = 0; i < lines; ++i) text += "1\n";
    return text;
}

const std::string goodListings =
    TestFiles::listings({{1, "A v B", "p1.png"}, {2, "C v D", "p2.png"}, {3, "E v F", "p3.png"}});

void serveGoodPictures(LoopbackServer& server) {
    for (const char* path : {"/fix/p1.png", "/fix/p2.png", "/fix/p3.png"})
        server.answer(path, whole(TestFiles::png()));
}

// Five matches, each picture answered with the same fault.
void serveFivePictures(LoopbackServer& server, const LoopbackServer::Answer& bad) {
    std::vector<TestFiles::Match> matches;
    for (int i = 1; i <= 5; ++i) {
        const std::string name = "p" + std::to_string(i) + ".png";
        matches.push_back({i, "Match " + std::to_string(i), name});
        server.answer("/fix/" + name, bad);
    }
    server.answer(listingsPath, whole(TestFiles::listings(matches)));
}

struct Case {
    const char* name;
    const char* script;
    std::function<void(LoopbackServer&)> serve;
};

std::vector<Case> cases() {
    // A good answer padded to 200 bytes: it would take 100 s.
    const auto trickle = [](std::string body) {
        body.resize(std::max<size_t>(body.size(), 200), ' ');
        LoopbackServer::Answer a = reply(Delivery::trickle, std::move(body));
        a.trickleMs = 2000;
        return a;
    };
    const auto listingsThen = [](LoopbackServer& server, const LoopbackServer::Answer& channels) {
        server.answer(listingsPath, whole(goodListings));
        serveGoodPictures(server);
        server.answer(channelsPath, channels);
    };
    return {
        {"anchor: well-behaved server", chooseAndLook,
         [=](LoopbackServer& s) { listingsThen(s, whole(channelFile("HRT 1"))); }},
        {"listings 6 MiB, Content-Length", look,
         [](LoopbackServer& s) {
             s.answer(listingsPath, oversize(Delivery::whole, goodListings, 6, ' '));
         }},
        {"listings 6 MiB, chunked", look,
         [](LoopbackServer& s) {
             s.answer(listingsPath, oversize(Delivery::chunked, goodListings, 6, ' '));
         }},
        {"listings 300,000 matches, 40,000 satellites", look,
         [](LoopbackServer& s) {
             std::string text = oneFieldLines(300000, 300000) + "40000\n";
             for (int i = 0; i < 40000; ++i) text += "1#13.0#e\n";
             s.answer(listingsPath, whole(text));
         }},
        {"listings trickle 4 B / 2 s", look,
         [=](LoopbackServer& s) { s.answer(listingsPath, trickle(goodListings)); }},
        {"listings never answers", look,
         [](LoopbackServer& s) { s.answer(listingsPath, reply(Delivery::silent)); }},
        {"pictures 300 MiB, Content-Length", look,
         [](LoopbackServer& s) {
             serveFivePictures(s, oversize(Delivery::whole, TestFiles::png(), 300, '\0'));
         }},
        {"pictures 300 MiB, chunked", look,
         [](LoopbackServer& s) {
             serveFivePictures(s, oversize(Delivery::chunked, TestFiles::png(), 300, '\0'));
         }},
        {"pictures 3,000 matches, each its own", look,
         [](LoopbackServer& s) {
             std::vector<TestFiles::Match> matches;
             for (int i = 1; i <= 3000; ++i) {
                 const std::string name = "m" + std::to_string(i) + ".png";
                 matches.push_back({i, "Match " + std::to_string(i), name});
                 s.answer("/fix/" + name, whole(TestFiles::png()));
             }
             s.answer(listingsPath, whole(TestFiles::listings(matches)));
         }},
        {"pictures trickle 4 B / 2 s", look,
         [=](LoopbackServer& s) { serveFivePictures(s, trickle(TestFiles::png())); }},
        {"pictures never answer", look,
         [](LoopbackServer& s) { serveFivePictures(s, reply(Delivery::silent)); }},
        {"channels 6 MB: count 3,000,000, lines \"1\"", chooseAndLook,
         [=](LoopbackServer& s) { listingsThen(s, whole(oneFieldLines(3000000, 3000000))); }},
        {"channels 6 MB chunked", chooseAndLook,
         [=](LoopbackServer& s) {
             LoopbackServer::Answer a = reply(Delivery::chunked, oneFieldLines(3000000, 3000000));
             listingsThen(s, a);
         }},
        {"channels 500,000 lines \"1\"", chooseAndLook,
         [=](LoopbackServer& s) { listingsThen(s, whole(oneFieldLines(500000, 500000))); }},
        {"channels trickle 4 B / 2 s", chooseAndLook,
         [=](LoopbackServer& s) { listingsThen(s, trickle(channelFile("HRT 1"))); }},
        {"channels never answers", chooseAndLook,
         [=](LoopbackServer& s) { listingsThen(s, reply(Delivery::silent)); }},
    };
}

// What the user saw last before leaving.
std::string outcome(const EmulatorRun& run) {
    if (run.process().exitCode != 0 || !run.returned()) return "CRASHED";
    std::string seen;
    for (const std::string& dump : run.dumps()) {
        if (showsErrorBox(dump)) {
            seen += seen.empty() ? "error box" : ", error box";
            break;
        }
        const char* window = showsDetailWindow(dump) ? "channels" : "matches";
        seen += (seen.empty() ? "" : ", ") + std::to_string(entryLines(dump).size()) + " " + window;
    }
    return seen;
}

// Watches a directory until stopped: the most it held in all, and its largest file.
class TmpWatch {
public:
    explicit TmpWatch(const std::string& directory)
        : thread([this, directory] {
              while (!stop) {
                  uintmax_t sum = 0;
                  std::error_code error;
                  for (const auto& entry : fs::directory_iterator(directory, error)) {
                      const uintmax_t size = entry.file_size(error);
                      if (error) continue;
                      sum += size;
                      largest = std::max<uintmax_t>(largest, size);
                  }
                  total = std::max<uintmax_t>(total, sum);
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          }) {}
    ~TmpWatch() { finish(); }
    void finish() {
        stop = true;
        if (thread.joinable()) thread.join();
    }
    std::atomic<uintmax_t> total{0};
    std::atomic<uintmax_t> largest{0};

private:
    std::atomic<bool> stop{false};
    std::thread thread;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    double anchorMib = 0;
    bool memoryMet = true, tmpMet = true;
    std::printf(
        "| case | outcome | peak RSS MiB | RSS / anchor | wall s | most /tmp KiB | largest file "
        "KiB |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|\n");
    for (const Case& c : cases()) {
        const bool anchor = anchorMib == 0;
        if (!anchor && c.name && std::string(c.name).find(only) == std::string::npos) continue;
        TempRoot root;
        LoopbackServer server;
        c.serve(server);
        EmulatorSettings settings;
        settings.listingsHost = settings.picturesHost = server.hostPort();
        settings.connectTimeout = 10;
        settings.stallTimeout = 3;
        settings.timeoutMs = 300000;
        TmpWatch watch(root.real("/tmp"));
        EmulatorRun run(root, c.script, settings);
        watch.finish();
        server.stop();

        const double mib = run.process().peakRssKib / 1024.0;
        if (anchor) anchorMib = mib;
        const bool isPicture = std::string(c.name).rfind("pictures", 0) == 0;
        memoryMet = memoryMet && mib <= 64;
        tmpMet = tmpMet && watch.largest <= (isPicture ? pictureCap : answerCap);
        std::printf("| %s | %s | %.1f | %.2f | %.1f | %.1f | %.1f |\n", c.name,
                    outcome(run).c_str(), mib, mib / anchorMib, run.seconds(), watch.total / 1024.0,
                    watch.largest / 1024.0);
        std::fflush(stdout);
    }
    std::printf("\ngoal: peak RSS at most 64 MiB in every case: %s\n",
                memoryMet ? "met" : "MISSED");
    std::printf("goal: no file in /tmp past its cap (answer %ju KiB, picture %ju KiB): %s\n",
                answerCap / 1024, pictureCap / 1024, tmpMet ? "met" : "MISSED");
    return memoryMet && tmpMet ? 0 : 1;
}
