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

namespace {

using Delivery = LoopbackServer::Answer::Delivery;

LoopbackServer::Answer make(Delivery delivery, size_t size, size_t repeat = 1, int trickleMs = 1) {
    LoopbackServer::Answer a = answer(delivery, std::string(size, 'b'));
    a.repeat = repeat;
    a.trickleMs = trickleMs;
    return a;
}

struct Case {
    const char* name;
    LoopbackServer::Answer answer;
    int expected;
    int64_t cap = 5000;
    long deadlineMs = 20000;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class HttpTransferCase : public testing::TestWithParam<Case> {};

TEST_P(HttpTransferCase, GivesItsResultWithinTheCap) {
    const Case& c = GetParam();
    TempRoot root;
    LoopbackServer server;
    RefusingPort refusing;
    server.answer("/x", c.answer);
    TransferLimits limits;
    limits.lowSpeedSeconds = 1;
    limits.maxBodyBytes = c.cap;
    limits.totalMilliseconds = c.deadlineMs;
    HttpTransfer transfer(limits);
    const bool full = c.name == std::string("Unwritable");
    UniqueFile out{full ? std::fopen("/dev/full", "w")
                        : SafeFile::openForWrite(root.real("/tmp/out"))};
    const auto start = std::chrono::steady_clock::now();
    const bool refused = c.name == std::string("Refused");
    const std::string host = refused ? refusing.hostPort() : server.hostPort();
    EXPECT_EQ(transfer.get("http://" + host + "/x", "PS", out.get()), c.expected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12));
    out.reset();
    const int64_t written = full ? 0 : root.readFile("/tmp/out").size();
    EXPECT_LE(written, c.cap);
    EXPECT_TRUE(c.expected != CURLE_OK || written == c.cap) << "the whole body";
    EXPECT_TRUE(c.expected != CURLE_HTTP_RETURNED_ERROR || written == 0) << "no error body";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpTransferCase,
    testing::Values(
        Case{"NotFound", answer("missing", 404), CURLE_HTTP_RETURNED_ERROR},
        Case{"ServerError", answer("broken", 500), CURLE_HTTP_RETURNED_ERROR},
        Case{"Refused", answer("x"), CURLE_COULDNT_CONNECT},
        Case{"NeverAnswers", answer(Delivery::silent), CURLE_OPERATION_TIMEDOUT},
        Case{"StallsInTheBody", make(Delivery::stall, 2), CURLE_OPERATION_TIMEDOUT},
        Case{"CutBody", make(Delivery::cut, 1000), CURLE_PARTIAL_FILE},
        Case{"ExactlyTheCap", make(Delivery::whole, 100, 50), CURLE_OK},
        Case{"ExactlyTheCapInChunks", make(Delivery::chunked, 100, 50), CURLE_OK},
        Case{"OverTheCap", make(Delivery::whole, 100, 50), CURLE_FILESIZE_EXCEEDED, 4999},
        Case{"OverTheCapInChunks", make(Delivery::chunked, 100, 50), CURLE_WRITE_ERROR, 4999},
        // Never stalls, but outlasts the deadline.
        Case{"Trickles", make(Delivery::trickle, 40, 1, 250), CURLE_OPERATION_TIMEDOUT, 5000, 1000},
        // A short answer stays in the stream's buffer until the final flush, which fails.
        Case{"Unwritable", answer("page"), CURLE_WRITE_ERROR}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
