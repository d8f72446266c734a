#include "ListingsRequest.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "LoopbackServer.h"
#include "SilentServer.h"
#include "TempRoot.h"
#include "eConfig.h"

namespace {

const char* const fallbackZone = "(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb";
const char* const listingsPath = "/pitchsidenew/matchray_data_dm.php";

class ListingsRequestTest : public testing::Test {
protected:
    void SetUp() override {
        server.server().Post(listingsPath, [](const httplib::Request&, httplib::Response& res) {
            res.set_content("1\n1#A#hr#a.png#es#now\n0\n", "text/plain");
        });
        server.server().Post("/error/pitchsidenew/matchray_data_dm.php",
                             [](const httplib::Request&, httplib::Response& res) {
                                 res.status = 500;
                                 res.set_content("partial", "text/plain");
                             });
        server.start();
        useHost(server.hostPort());
    }
    void useHost(const std::string& host) {
        eConfig::instance()->setKey("/matchray/listings_host", host.c_str());
    }

    TempRoot root;
    LoopbackServer server;
};

TEST_F(ListingsRequestTest, TimeZoneComesFromTheConfigurationOrFallsBack) {
    eConfig::instance()->delKey("/elitedvb/timezone");
    EXPECT_EQ(ListingsRequest::timeZone(), fallbackZone);
    eConfig::instance()->setKey("/elitedvb/timezone", "(GMT+05:30) Chennai, Kolkata");
    EXPECT_EQ(ListingsRequest::timeZone(), "(GMT+05:30) Chennai, Kolkata");
}

TEST_F(ListingsRequestTest, SendsTheBodyByteForByte) {
    const eString body =
        ListingsRequest::body("(GMT-03:30) Newfoundland & +x", "02:fc:80:00:ab:ff");
    EXPECT_EQ(body, "z=(GMT-03:30) Newfoundland & +x&m=02:fc:80:00:ab:ff");
    EXPECT_EQ(ListingsRequest::send(body), ListingsRequest::Outcome::ok);

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, listingsPath);
    EXPECT_EQ(requests[0].userAgent, "PS");
    EXPECT_EQ(requests[0].body, body);
    EXPECT_EQ(root.readFile("/tmp/psn"), "1\n1#A#hr#a.png#es#now\n0\n");
}

TEST_F(ListingsRequestTest, FallbackBodyIsExact) {
    EXPECT_EQ(ListingsRequest::body(fallbackZone, "00:00:00:00:00:00"),
              "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=00:00:00:00:00:00");
}

TEST_F(ListingsRequestTest, ErrorStatusesFail) {
    useHost(server.hostPort() + "/missing");
    EXPECT_EQ(ListingsRequest::send("z=a&m=b"), ListingsRequest::Outcome::failed);
    useHost(server.hostPort() + "/error");
    EXPECT_EQ(ListingsRequest::send("z=a&m=b"), ListingsRequest::Outcome::failed);
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(ListingsRequestTest, RefusedConnectionFails) {
    server.stop();
    EXPECT_EQ(ListingsRequest::send("z=a&m=b"), ListingsRequest::Outcome::failed);
}

TEST_F(ListingsRequestTest, UncreatableFileSendsNothing) {
    ASSERT_EQ(mkdir(root.real("/tmp/psn").c_str(), 0700), 0);
    EXPECT_EQ(ListingsRequest::send("z=a&m=b"), ListingsRequest::Outcome::noFile);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(ListingsRequestTest, SymbolicLinkAtTheFileIsNotFollowed) {
    root.writeFile("/victim", "keep");
    ASSERT_EQ(symlink(root.real("/victim").c_str(), root.real("/tmp/psn").c_str()), 0);
    EXPECT_EQ(ListingsRequest::send("z=a&m=b"), ListingsRequest::Outcome::noFile);
    EXPECT_EQ(root.readFile("/victim"), "keep");
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(ListingsRequestTest, ServerThatNeverAnswersFailsWithinTheStallLimit) {
    SilentServer silent;
    useHost(silent.hostPort());
    eConfig::instance()->setKey("/matchray/stall_timeout", "1");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ListingsRequest::send("z=a&m=b"), ListingsRequest::Outcome::failed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
