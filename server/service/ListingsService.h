#pragma once
// The listings and picture service over HTTP:
//   POST /pitchsidenew/matchray_data_dm.php      the listings answer for "z=...&m=..."
//   POST /pitchsidenew/matchray_channels_dm.php  the channel answer for "id=...&f=...&m=..."
//   GET  /fix/NAME.png                           a match picture, also as HEAD
// Bodies are read raw. A malformed body gets 400, an unknown path 404, a method this server
// doesn't implement 501, and one the path doesn't take 405 with Allow. Each request is read
// once, on the event loop: answered there when its response is in memory, else looked up in
// SQLite or the picture folder on a worker thread. Every request is logged as one line with
// the device identity. Responses are kept in memory: listings per zone, channels per known
// match and filter, pictures per name; never an answer to what isn't there, so that no
// stranger can fill the memory with names of their own. A change to the database drops them
// all; a picture from the folder is looked at again after half a second.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "DatabaseWatch.h"
#include "HttpServer.h"
#include "LogWriter.h"
#include "PictureFolder.h"
#include "ReceiverZone.h"
#include "ResponseMemory.h"
#include "TimeZoneMapper.h"

class ListingsService : private HttpServer::Handler {
public:
    struct Options {
        std::string dbPath;
        std::string bindAddress = "127.0.0.1";
        int port = 8080;          // 0 lets the system choose
        std::string picturesDir;  // pictures not in the database are looked for here, if given
        int threads = 8;          // for responses not in memory
        int requestDeadlineMs = 10000;
        int idleLimitMs = 5000;
        // The current time in UTC seconds; the system clock when not set.
        std::function<std::int64_t()> now;
        // Receives each log line, without line break, from the loop's and the workers'
        // threads; when not set, a LogWriter of the service's own writes to standard error.
        std::function<void(const std::string&)> log;
    };

    static constexpr std::size_t maxBodyBytes = 4096;
    // A listings answer holds the matches that kick off from this long ago...
    static constexpr std::int64_t listedBeforeSeconds = 150 * 60;
    // ...until this far ahead.
    static constexpr std::int64_t listedAheadSeconds = 7 * 24 * 3600;
    // How long a response is served from memory: one read from the database...
    static constexpr std::int64_t answerLifetimeSeconds = 60;
    // ...and a picture from the folder, which is looked at again after this.
    static constexpr std::int64_t folderPictureLifetimeMs = 500;
    // How long a cache in front of the server may give a picture without asking again.
    static constexpr std::int64_t pictureMaxAgeSeconds = 300;
    // How often the database is asked whether it changed, and its path whether it names
    // another file: at most this long after an import, or a file renamed onto the path, a
    // response from before may still come from memory.
    static constexpr std::chrono::milliseconds changeWatchPeriod{20};

    // Opens the database; throws DatabaseError when it can't be used, std::runtime_error when
    // the picture folder can't be (PictureFolder), std::system_error when the event loop
    // can't be set up.
    explicit ListingsService(Options options);
    ~ListingsService() override;
    ListingsService(const ListingsService&) = delete;
    ListingsService& operator=(const ListingsService&) = delete;

    // Binds the address and port: the port bound, or what failed.
    HttpServer::Listening bind();
    // Serves until stop(); returns false when serving could not start or broke down.
    bool run();
    // May be called from any thread, also before run() has started serving.
    void stop();

private:
    // What a request asks for, read from it once.
    struct Query {
        enum class Kind { listings, channels, picture } kind = Kind::listings;
        std::shared_ptr<const HttpResponse> refusal;  // when it is refused at once
        std::string key;                              // of its response in memory
        std::optional<ReceiverZone> zone;
        std::int32_t matchId = 0;
        std::int32_t filter = 0;
        std::string picture;
    };
    // A response worked out, and how long it may be kept (0: not at all).
    struct Rendered {
        std::shared_ptr<const HttpResponse> response;
        std::int64_t lifetimeMs = 0;
    };
    class Lookup;

    HttpServer::Reply reply(HttpRequest& request) override;
    void responded(const HttpRequest& request, const HttpResponse& response) override;
    void failed(const std::string& what) override;

    Query query(const HttpRequest& request) const;
    Rendered render(const Query& query, StorePool& stores);
    Rendered picture(const std::string& name, StorePool& stores);
    std::int64_t currentTime() const;
    std::int64_t currentMs() const;
    // The time for a line logged on the loop: formatted once a second.
    const std::string& loopTimestamp();

    std::unique_ptr<LogWriter> ownLog;
    Options options;
    DatabaseWatch database;
    std::optional<PictureFolder> folder;
    ResponseMemory memory;
    TimeZoneMapper zones;
    std::int64_t stampedSecond = -1;
    std::string stamp;
    HttpServer server;
};
