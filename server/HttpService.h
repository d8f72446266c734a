#pragma once
// The listings and picture service over HTTP:
//   POST /pitchsidenew/matchray_data_dm.php      the listings answer for "z=...&m=..."
//   POST /pitchsidenew/matchray_channels_dm.php  the channel answer for "id=...&f=...&m=..."
//   GET  /fix/NAME                               a match picture
// Bodies are read raw. A malformed body gets 400, one over 4 KiB 413, an unknown
// path 404. Every request is logged as one line with the device identity.

#include <httplib.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "StorePool.h"
#include "TimeZoneMapper.h"

class HttpService {
public:
    struct Options {
        std::string dbPath;
        std::string bindAddress = "127.0.0.1";
        int port = 8080;          // 0 lets the system choose
        std::string picturesDir;  // pictures not in the database are looked for here
        int threads = 8;
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

    // Opens the database; throws DatabaseError when it can't be used.
    explicit HttpService(Options options);
    ~HttpService();
    HttpService(const HttpService&) = delete;
    HttpService& operator=(const HttpService&) = delete;

    // Binds the address and port; returns the bound port, or -1.
    int bind();
    // Serves until stop(); returns false when serving could not start.
    bool run();
    // May be called from any thread, also before run() has started serving.
    void stop();

private:
    // httplib listens with a queue of 5 connections; when receivers connect in a burst the
    // kernel drops the rest and they retry only after a second. This widens the queue.
    class Server : public httplib::Server {
    public:
        void widenListenQueue(int connections);
    };

    void listings(const httplib::Request& req, httplib::Response& res);
    void channels(const httplib::Request& req, httplib::Response& res);
    void picture(const httplib::Request& req, httplib::Response& res);
    void logRequest(const httplib::Request& req, const httplib::Response& res) const;
    std::int64_t currentTime() const;

    Options options;
    StorePool stores;
    TimeZoneMapper zones;
    Server server;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> runStarted{false};
    std::atomic<bool> runFinished{false};
};
