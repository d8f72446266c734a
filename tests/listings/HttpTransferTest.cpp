#include "HttpTransfer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "LoopbackServer.h"
#include "SafeFile.h"
#include "SilentServer.h"
#include "TempRoot.h"
#include "eConfig.h"

namespace {

class HttpTransferTest : public testing::Test {
protected:
    void SetUp() override {
        server.server().Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("got " + req.body, "text/plain");
        });
        server.server().Get("/page", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("page", "text/plain");
        });
        server.server().Get("/error", [](const httplib::Request&, httplib::Response& res) {
            res.status = 500;
            res.set_content("broken", "text/plain");
        });
        // BYTES bytes of body, with a Content-Length or in chunks without one.
        server.server().Get(R"(/(sized|chunked)/(\d+))", [](const httplib::Request& req,
                                                            httplib::Response& res) {
            const std::string body(std::stoul(req.matches[2]), 'b');
            if (req.matches[1] == "sized") {
                res.set_content(body, "text/plain");
                return;
            }
            res.set_chunked_content_provider("text/plain", [body](size_t, httplib::DataSink& sink) {
                for (size_t at = 0; at < body.size(); at += 1000)
                    sink.write(body.data() + at, std::min<size_t>(1000, body.size() - at));
                sink.done();
                return true;
            });
        });
        server.start();
    }

    std::string url(const std::string& path) { return "http://" + server.hostPort() + path; }
    UniqueFile output() { return UniqueFile{SafeFile::openForWrite("/tmp/out")}; }

    TempRoot root;
    LoopbackServer server;
};

TEST_F(HttpTransferTest, PostsTheBodyUnchangedAndStoresTheAnswer) {
    const std::string body = "z=(GMT+05:30) Chennai, Kolkata&m=ab:cd";
    {
        UniqueFile out = output();
        HttpTransfer transfer;
        ASSERT_TRUE(transfer.valid());
        EXPECT_EQ(transfer.post(url("/echo"), "PS", body, out.get()), CURLE_OK);
    }
    EXPECT_EQ(root.readFile("/tmp/out"), "got " + body);
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/echo");
    EXPECT_EQ(requests[0].userAgent, "PS");
    EXPECT_EQ(requests[0].body, body);
}

TEST_F(HttpTransferTest, StatusesOf400AndAboveFail) {
    UniqueFile out = output();
    HttpTransfer transfer;
    EXPECT_EQ(transfer.get(url("/missing"), "PS", out.get()), CURLE_HTTP_RETURNED_ERROR);
    EXPECT_EQ(transfer.get(url("/error"), "PS", out.get()), CURLE_HTTP_RETURNED_ERROR);
    EXPECT_EQ(transfer.post(url("/missing"), "PS", "x", out.get()), CURLE_HTTP_RETURNED_ERROR);
    out.reset();
    EXPECT_EQ(root.readFile("/tmp/out"), "") << "an error status writes no body";
}

TEST_F(HttpTransferTest, GetAfterPostOnTheSameHandleIsAGet) {
    UniqueFile out = output();
    HttpTransfer transfer;
    EXPECT_EQ(transfer.post(url("/echo"), "PS", "a=1", out.get()), CURLE_OK);
    EXPECT_EQ(transfer.get(url("/page"), "UA", out.get()), CURLE_OK);
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].userAgent, "UA");
    EXPECT_EQ(requests[1].body, "");
}

TEST_F(HttpTransferTest, BodyOverTheSizeCapFailsWithOrWithoutContentLength) {
    TransferLimits limits;
    limits.maxBodyBytes = 5000;
    HttpTransfer transfer(limits);
    const struct {
        const char* path;
        int expected;
    } cases[] = {
        {"/sized/5000", CURLE_OK},
        {"/chunked/5000", CURLE_OK},
        {"/sized/5001", CURLE_FILESIZE_EXCEEDED},
        {"/chunked/5001", CURLE_WRITE_ERROR},
    };
    for (const auto& c : cases) {
        UniqueFile out = output();
        EXPECT_EQ(transfer.get(url(c.path), "PS", out.get()), c.expected) << c.path;
        out.reset();
        EXPECT_LE(root.readFile("/tmp/out").size(), 5000u) << c.path;
    }
}

TEST_F(HttpTransferTest, AnswerThatCannotBeWrittenFails) {
    // A short answer stays in the stream's buffer until the final flush, which fails.
    UniqueFile full{std::fopen("/dev/full", "w")};
    ASSERT_TRUE(full);
    HttpTransfer transfer;
    EXPECT_EQ(transfer.post(url("/echo"), "PS", "x", full.get()), CURLE_WRITE_ERROR);
}

TEST_F(HttpTransferTest, RefusedConnectionFails) {
    const std::string refused = url("/echo");
    server.stop();
    UniqueFile out = output();
    HttpTransfer transfer;
    EXPECT_EQ(transfer.post(refused, "PS", "x", out.get()), CURLE_COULDNT_CONNECT);
}

TEST(TransferLimitsTest, DefaultsAndConfiguredValues) {
    TempRoot root;
    using Kind = TransferLimits::Kind;
    const TransferLimits answer = TransferLimits::fromConfig(Kind::answer);
    const TransferLimits picture = TransferLimits::fromConfig(Kind::picture);
    const RecordCaps caps = RecordCaps::fromConfig();
    EXPECT_EQ(answer.connectSeconds, 10);
    EXPECT_EQ(answer.lowSpeedSeconds, 15);
    EXPECT_EQ(answer.lowSpeedBytes, 1);
    EXPECT_EQ(answer.totalMilliseconds, 30000);
    EXPECT_EQ(answer.maxBodyBytes, 1 << 20);
    EXPECT_EQ(picture.totalMilliseconds, 10000);
    EXPECT_EQ(picture.maxBodyBytes, 512 << 10);
    EXPECT_EQ(TransferLimits::picturePassMilliseconds(), 30000);
    EXPECT_EQ(caps.matches, 2000u);
    EXPECT_EQ(caps.satellites, 8000u);
    EXPECT_EQ(caps.channels, 500u);

    // Each key with the value it is set to; the read must give the second number.
    const struct {
        const char* key;
        const char* value;
        std::function<long long()> read;
        long long expected;
    } settings[] = {
        {"/matchray/connect_timeout", "3",
         [] { return TransferLimits::fromConfig().connectSeconds; }, 3},
        {"/matchray/stall_timeout", "4",
         [] { return TransferLimits::fromConfig().lowSpeedSeconds; }, 4},
        {"/matchray/answer_timeout", "5",
         [] { return TransferLimits::fromConfig().totalMilliseconds; }, 5000},
        {"/matchray/picture_timeout", "6",
         [] { return TransferLimits::fromConfig(Kind::picture).totalMilliseconds; }, 6000},
        {"/matchray/picture_pass_timeout", "7",
         [] { return TransferLimits::picturePassMilliseconds(); }, 7000},
        {"/matchray/max_answer_kib", "8", [] { return TransferLimits::fromConfig().maxBodyBytes; },
         8192},
        {"/matchray/max_picture_kib", "9",
         [] { return TransferLimits::fromConfig(Kind::picture).maxBodyBytes; }, 9216},
        {"/matchray/max_matches", "10", [] { return RecordCaps::fromConfig().matches; }, 10},
        {"/matchray/max_satellites", "11", [] { return RecordCaps::fromConfig().satellites; }, 11},
        {"/matchray/max_channels", "12", [] { return RecordCaps::fromConfig().channels; }, 12},
        // 0 would mean no limit at all to libcurl; a word means nothing.
        {"/matchray/connect_timeout", "0",
         [] { return TransferLimits::fromConfig().connectSeconds; }, 10},
        {"/matchray/answer_timeout", "soon",
         [] { return TransferLimits::fromConfig().totalMilliseconds; }, 30000},
        {"/matchray/max_channels", "-1", [] { return RecordCaps::fromConfig().channels; }, 500},
    };
    for (const auto& setting : settings) {
        eConfig::instance()->setKey(setting.key, setting.value);
        EXPECT_EQ(setting.read(), setting.expected) << setting.key << "=" << setting.value;
        eConfig::instance()->delKey(setting.key);
    }
}

TEST(HttpTransferStallTest, ServerThatNeverAnswersFailsWithinTheStallLimit) {
    TempRoot root;
    SilentServer silent;
    ASSERT_NE(silent.port, 0);
    eConfig::instance()->setKey("/matchray/stall_timeout", "1");
    UniqueFile out{SafeFile::openForWrite("/tmp/out")};
    HttpTransfer transfer;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(transfer.post("http://" + silent.hostPort() + "/x", "PS", "x", out.get()),
              CURLE_OPERATION_TIMEDOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
