#include "HttpTransfer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>

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

TEST_F(HttpTransferTest, RefusedConnectionFails) {
    const std::string refused = url("/echo");
    server.stop();
    UniqueFile out = output();
    HttpTransfer transfer;
    EXPECT_EQ(transfer.post(refused, "PS", "x", out.get()), CURLE_COULDNT_CONNECT);
}

TEST(TransferLimitsTest, DefaultsAndConfiguredValues) {
    TempRoot root;
    TransferLimits defaults = TransferLimits::fromConfig();
    EXPECT_EQ(defaults.connectSeconds, 10);
    EXPECT_EQ(defaults.lowSpeedSeconds, 15);
    EXPECT_EQ(defaults.lowSpeedBytes, 1);

    eConfig::instance()->setKey("/matchray/connect_timeout", "3");
    eConfig::instance()->setKey("/matchray/stall_timeout", "4");
    TransferLimits set = TransferLimits::fromConfig();
    EXPECT_EQ(set.connectSeconds, 3);
    EXPECT_EQ(set.lowSpeedSeconds, 4);

    eConfig::instance()->setKey("/matchray/connect_timeout", "0");
    eConfig::instance()->setKey("/matchray/stall_timeout", "soon");
    TransferLimits bad = TransferLimits::fromConfig();
    EXPECT_EQ(bad.connectSeconds, 10) << "0 would mean no limit at all";
    EXPECT_EQ(bad.lowSpeedSeconds, 15);
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
