#pragma once
// The listings and picture service over HTTP:
//   POST /pitchsidenew/matchray_data_dm.php      the listings answer for "z=...&m=..."
//   POST /pitchsidenew/matchray_channels_dm.php  the channel answer for "id=...&f=...&m=..."
//   GET  /fix/NAME                               a match picture
// Bodies are read raw. A malformed body gets 400, one over 4 KiB 413, an unknown
// path 404. Every request is logged as one line with the device identity.
// Answers are kept in memory for up to a minute: listings per zone, channels per
// match and filter, pictures per name; an import drops them all at once.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "AnswerCache.h"
#include "HttpServer.h"
#include "ReceiverZone.h"
#include "StorePool.h"
#include "TimeZoneMapper.h"

class HttpService : private HttpServer::Handler {
public:
    struct Options {
        std::string dbPath;
        std::string bindAddress = "127.0.0.1";
        int port = 8080;          // 0 lets the system choose
        std::string picturesDir;  // pictures not in the database are looked for here
        int threads = 8;          // for answers not in memory
        int requestDeadlineMs = 10000;
        int idleLimitMs = 5000;
        // The current time in UTC seconds; the system clock when not set.
        std::function<std::int64_t()> now;
        // Receives each log line, without line break; standard error when not set.
        std::function<void(const std::string&)> log;
    };

    static constexpr std::size_t maxBodyBytes = 4096;
    // A listings answer holds the matches that kick off from this long ago...
    static constexpr std::int64_t listedBeforeSeconds = 150 * 60;
    // ...until this far ahead.
    static constexpr std::int64_t listedAheadSeconds = 7 * 24 * 3600;
    // How long an answer is served from memory.
    static constexpr std::int64_t answerLifetimeSeconds = 60;

    // Opens the database; throws DatabaseError when it can't be used.
    explicit HttpService(Options options);
    ~HttpService() override;
    HttpService(const HttpService&) = delete;
    HttpService& operator=(const HttpService&) = delete;

    // Binds the address and port; returns the bound port, or -1.
    int bind();
    // Serves until stop(); returns false when serving could not start.
    bool run();
    // May be called from any thread, also before run() has started serving.
    void stop();

private:
    // What a request asks for: an answer at once, or the key of one that takes data.
    struct Wanted {
        enum class Kind { listings, channels, picture } kind = Kind::listings;
        std::shared_ptr<const HttpAnswer> atOnce;
        std::string key;
        std::optional<ReceiverZone> zone;
        std::int32_t matchId = 0;
        std::int32_t filter = 0;
        std::string picture;
    };

    std::shared_ptr<const HttpAnswer> fromMemory(const HttpRequest& request) override;
    std::shared_ptr<const HttpAnswer> answer(const HttpRequest& request) override;
    void answered(const HttpRequest& request, const HttpAnswer& answer) override;

    Wanted wanted(const HttpRequest& request) const;
    std::shared_ptr<const HttpAnswer> render(const Wanted& w);
    std::int64_t currentTime() const;

    Options options;
    StorePool stores;
    AnswerCache cache;
    TimeZoneMapper zones;
    HttpServer server;
};
