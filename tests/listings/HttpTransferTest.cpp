// Every way a transfer can fail, in one table: the upper layers only see the
// result code, so their own tests never repeat these.
#include "HttpTransfer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "LoopbackServer.h"
#include "RefusingPort.h"
#include "SafeFile.h"
#include "TempRoot.h"
#include "eConfig.h"

namespace {

using Delivery = LoopbackServer::Answer::Delivery;

LoopbackServer::Answer repeated(Delivery delivery, size_t times) {
    LoopbackServer::Answer a = answer(delivery, std::string(100, 'b'));
    a.repeat = times;
    return a;
}

struct TransferCase {
    const char* name;
    LoopbackServer::Answer answer;
    int expected;
    int64_t cap = 5000;
    long deadlineMs = 20000;
    bool refused = false;
    bool toFullDisk = false;
};

const TransferCase transferCases[] = {
    {"ok", answer("page"), CURLE_OK},
    {"notFound", answer("missing", 404), CURLE_HTTP_RETURNED_ERROR},
    {"serverError", answer("broken", 500), CURLE_HTTP_RETURNED_ERROR},
    {"refused", answer("x"), CURLE_COULDNT_CONNECT, 5000, 20000, true},
    {"neverAnswers", answer(Delivery::silent), CURLE_OPERATION_TIMEDOUT},
    {"stallsInTheBody", answer(Delivery::stall, std::string(1000, 's')), CURLE_OPERATION_TIMEDOUT},
    {"cutBody", answer(Delivery::cut, std::string(1000, 'c')), CURLE_PARTIAL_FILE},
    {"exactlyTheCap", repeated(Delivery::whole, 50), CURLE_OK},
    {"exactlyTheCapChunked", repeated(Delivery::chunked, 50), CURLE_OK},
    {"overTheCap", repeated(Delivery::whole, 50), CURLE_FILESIZE_EXCEEDED, 4999},
    {"overTheCapChunked", repeated(Delivery::chunked, 50), CURLE_WRITE_ERROR, 4999},
    // Never stalls, but takes longer than the deadline.
    {"pastTheDeadline",
     [] {
         LoopbackServer::Answer a = answer(Delivery::trickle, std::string(40, 't'));
         a.trickleMs = 250;
         return a;
     }(),
     CURLE_OPERATION_TIMEDOUT, 5000, 1000},
    // A short answer stays in the stream's buffer until the final flush, which fails.
    {"unwritable", answer("page"), CURLE_WRITE_ERROR, 5000, 20000, false, true},
};

void PrintTo(const TransferCase& c, std::ostream* os) {
    *os << c.name;
}

class TransferFailure : public testing::TestWithParam<TransferCase> {};

TEST_P(TransferFailure, GivesItsResultAndNoMoreThanTheCap) {
    const TransferCase& c = GetParam();
    TempRoot root;
    LoopbackServer server;
    RefusingPort refusing;
    server.answer("/x", c.answer);
    TransferLimits limits;
    limits.lowSpeedSeconds = 1;
    limits.maxBodyBytes = c.cap;
    limits.totalMilliseconds = c.deadlineMs;
    HttpTransfer transfer(limits);
    UniqueFile out{c.toFullDisk ? std::fopen("/dev/full", "w")
                                : SafeFile::openForWrite("/tmp/out")};
    ASSERT_TRUE(out);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(transfer.get("http://" + (c.refused ? refusing.hostPort() : server.hostPort()) + "/x",
                           "PS", out.get()),
              c.expected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12));
    out.reset();
    if (c.toFullDisk) return;
    const std::string written = root.readFile("/tmp/out");
    EXPECT_LE(int64_t(written.size()), c.cap);
    if (c.expected == CURLE_OK || c.expected == CURLE_HTTP_RETURNED_ERROR) {
        const size_t whole = c.answer.body.size() * c.answer.repeat;
        EXPECT_EQ(written.size(), c.expected == CURLE_OK ? whole : 0) << "an error writes no body";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TransferFailure, testing::ValuesIn(transferCases),
                         [](const testing::TestParamInfo<TransferCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(HttpTransferTest, PostsTheBodyUnchangedThenGetsOnTheSameHandle) {
    TempRoot root;
    LoopbackServer server;
    server.answerOthers(answer("answer"));
    const std::string body = "z=(GMT+05:30) Chennai, Kolkata&m=ab:cd";
    UniqueFile out{SafeFile::openForWrite("/tmp/out")};
    HttpTransfer transfer;
    EXPECT_EQ(transfer.post("http://" + server.hostPort() + "/echo", "PS", body, out.get()), 0);
    EXPECT_EQ(transfer.get("http://" + server.hostPort() + "/page", "UA", out.get()), 0);
    out.reset();
    EXPECT_EQ(root.readFile("/tmp/out"), "answeranswer");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method + " " + requests[0].path + " " + requests[0].userAgent + " " +
                  requests[0].body,
              "POST /echo PS " + body);
    EXPECT_EQ(requests[1].method + " " + requests[1].userAgent + " " + requests[1].body, "GET UA ");
}

TEST(HttpTransferTest, LimitsComeFromTheConfigurationOrTheirDefaults) {
    TempRoot root;
    using Kind = TransferLimits::Kind;
    // A key set to a value (none: the default), and what the read must give.
    const struct {
        const char* key;
        const char* value;
        std::function<long long()> read;
        long long expected;
    } settings[] = {
        {"connect_timeout", "3", [] { return TransferLimits::fromConfig().connectSeconds; }, 3},
        {"connect_timeout", "0", [] { return TransferLimits::fromConfig().connectSeconds; }, 10},
        {"stall_timeout", "4", [] { return TransferLimits::fromConfig().lowSpeedSeconds; }, 4},
        {"stall_timeout", nullptr, [] { return TransferLimits::fromConfig().lowSpeedSeconds; }, 15},
        {"", nullptr, [] { return TransferLimits::fromConfig().lowSpeedBytes; }, 1},
        {"answer_timeout", "5", [] { return TransferLimits::fromConfig().totalMilliseconds; },
         5000},
        {"answer_timeout", "soon", [] { return TransferLimits::fromConfig().totalMilliseconds; },
         30000},
        {"picture_timeout", "6",
         [] { return TransferLimits::fromConfig(Kind::picture).totalMilliseconds; }, 6000},
        {"picture_timeout", nullptr,
         [] { return TransferLimits::fromConfig(Kind::picture).totalMilliseconds; }, 10000},
        {"picture_pass_timeout", "7", [] { return TransferLimits::picturePassMilliseconds(); },
         7000},
        {"picture_pass_timeout", nullptr, [] { return TransferLimits::picturePassMilliseconds(); },
         30000},
        {"max_answer_kib", "8", [] { return TransferLimits::fromConfig().maxBodyBytes; }, 8192},
        {"max_answer_kib", nullptr, [] { return TransferLimits::fromConfig().maxBodyBytes; },
         1 << 20},
        {"max_picture_kib", "9",
         [] { return TransferLimits::fromConfig(Kind::picture).maxBodyBytes; }, 9216},
        {"max_picture_kib", nullptr,
         [] { return TransferLimits::fromConfig(Kind::picture).maxBodyBytes; }, 512 << 10},
        {"max_matches", "10", [] { return RecordCaps::fromConfig().matches; }, 10},
        {"max_matches", nullptr, [] { return RecordCaps::fromConfig().matches; }, 2000},
        {"max_satellites", "11", [] { return RecordCaps::fromConfig().satellites; }, 11},
        {"max_satellites", nullptr, [] { return RecordCaps::fromConfig().satellites; }, 8000},
        {"max_channels", "12", [] { return RecordCaps::fromConfig().channels; }, 12},
        {"max_channels", "-1", [] { return RecordCaps::fromConfig().channels; }, 500},
    };
    for (const auto& setting : settings) {
        const std::string key = std::string("/matchray/") + setting.key;
        if (setting.value) eConfig::instance()->setKey(key.c_str(), setting.value);
        EXPECT_EQ(setting.read(), setting.expected) << key << "=" << (setting.value ?: "");
        eConfig::instance()->delKey(key.c_str());
    }
}

}  // namespace
