// Every way a transfer can fail, in one table: the upper layers only see the
// result code, so their own tests never repeat these.
#include "HttpTransfer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>

#include "LoopbackServer.h"
#include "RefusingPort.h"
#include "SafeFile.h"
#include "TempRoot.h"
#include "eConfig.h"

namespace {

using Delivery = LoopbackServer::Answer::Delivery;

LoopbackServer::Answer make(Delivery delivery, size_t size, size_t repeat = 1, int trickleMs = 1) {
    LoopbackServer::Answer a = answer(delivery, std::string(size, 'b'));
    a.repeat = repeat;
    a.trickleMs = trickleMs;
    return a;
}

TEST(HttpTransferTest, EveryFailureGivesItsResultAndNoMoreThanTheCap) {
    const struct {
        const char* name;
        LoopbackServer::Answer answer;
        int expected;
        int64_t cap = 5000;
        long deadlineMs = 20000;
    } cases[] = {
        {"not found", answer("missing", 404), CURLE_HTTP_RETURNED_ERROR},
        {"server error", answer("broken", 500), CURLE_HTTP_RETURNED_ERROR},
        {"refused", answer("x"), CURLE_COULDNT_CONNECT},
        {"never answers", answer(Delivery::silent), CURLE_OPERATION_TIMEDOUT},
        {"stalls in the body", make(Delivery::stall, 1000), CURLE_OPERATION_TIMEDOUT},
        {"cut body", make(Delivery::cut, 1000), CURLE_PARTIAL_FILE},
        {"exactly the cap", make(Delivery::whole, 100, 50), CURLE_OK},
        {"exactly the cap in chunks", make(Delivery::chunked, 100, 50), CURLE_OK},
        {"over the cap", make(Delivery::whole, 100, 50), CURLE_FILESIZE_EXCEEDED, 4999},
        {"over the cap in chunks", make(Delivery::chunked, 100, 50), CURLE_WRITE_ERROR, 4999},
        {"never stalls, but outlasts the deadline", make(Delivery::trickle, 40, 1, 250),
         CURLE_OPERATION_TIMEDOUT, 5000, 1000},
        // A short answer stays in the stream's buffer until the final flush, which fails.
        {"unwritable", answer("page"), CURLE_WRITE_ERROR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempRoot root;
        LoopbackServer server;
        RefusingPort refusing;
        server.answer("/x", c.answer);
        TransferLimits limits;
        limits.lowSpeedSeconds = 1;
        limits.maxBodyBytes = c.cap;
        limits.totalMilliseconds = c.deadlineMs;
        HttpTransfer transfer(limits);
        const bool full = c.name == std::string("unwritable");
        UniqueFile out{full ? std::fopen("/dev/full", "w")
                            : SafeFile::openForWrite(root.real("/tmp/out"))};
        const auto start = std::chrono::steady_clock::now();
        const bool refused = c.name == std::string("refused");
        const std::string host = refused ? refusing.hostPort() : server.hostPort();
        EXPECT_EQ(transfer.get("http://" + host + "/x", "PS", out.get()), c.expected);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12));
        out.reset();
        const int64_t written = full ? 0 : root.readFile("/tmp/out").size();
        EXPECT_LE(written, c.cap);
        EXPECT_TRUE(c.expected != CURLE_OK || written == c.cap) << "the whole body";
        EXPECT_TRUE(c.expected != CURLE_HTTP_RETURNED_ERROR || written == 0) << "no error body";
    }
}

TEST(HttpTransferTest, LimitsComeFromTheConfigurationOrTheirDefaults) {
    TempRoot root;
    const char* keys[] = {"connect_timeout",      "stall_timeout",  "answer_timeout",
                          "picture_timeout",      "max_answer_kib", "max_picture_kib",
                          "picture_pass_timeout", "max_matches",    "max_satellites",
                          "max_channels"};
    const auto limits = [] {
        const TransferLimits a = TransferLimits::fromConfig();
        const TransferLimits p = TransferLimits::fromConfig(TransferLimits::Kind::picture);
        const RecordCaps caps = RecordCaps::fromConfig();
        return testing::PrintToString(std::vector<long long>{
            a.connectSeconds, a.lowSpeedSeconds, a.totalMilliseconds, p.totalMilliseconds,
            a.maxBodyBytes, p.maxBodyBytes, TransferLimits::picturePassMilliseconds(),
            (long long)caps.matches, (long long)caps.satellites, (long long)caps.channels,
            a.lowSpeedBytes, p.connectSeconds});
    };
    const std::string defaults = limits();
    EXPECT_EQ(defaults, "{ 10, 15, 30000, 10000, 1048576, 524288, 30000, 2000, 8000, 500, 1, 10 }");
    // 0 would mean no limit at all to libcurl; a word means nothing.
    for (const char* value : {"0", "-1", "soon", "3"}) {
        for (const char* key : keys)
            eConfig::instance()->setKey((std::string("/matchray/") + key).c_str(), value);
        const char* threes = "{ 3, 3, 3000, 3000, 3072, 3072, 3000, 3, 3, 3, 1, 3 }";
        EXPECT_EQ(limits(), std::string(value) == "3" ? threes : defaults) << value;
    }
}

}  // namespace
