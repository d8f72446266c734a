#include "HttpService.h"

#include <sys/socket.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "ChannelWriter.h"
#include "FieldRule.h"
#include "ListingsWriter.h"
#include "RequestBody.h"

namespace {

constexpr const char* listingsPath = "/pitchsidenew/matchray_data_dm.php";
constexpr const char* channelsPath = "/pitchsidenew/matchray_channels_dm.php";
constexpr const char* zoneHeader = "X-Listings-Zone";
constexpr const char* textType = "text/plain; charset=utf-8";
constexpr std::size_t maxPictureBytes = 1024 * 1024;

void logToStderr(const std::string& line) {
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

std::string utcTimestamp() {
    const auto now = std::chrono::system_clock::now();
    return date::format("%FT%TZ", date::floor<std::chrono::seconds>(now));
}

// Quotes a client-given text for the log: printable ASCII only.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text.substr(0, 80)) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u >= 0x7f || c == '"' || c == '\\') ? '?' : c;
    }
    return out + "\"";
}

std::string statusLine(int status) {
    switch (status) {
        case 400:
            return "400 Bad Request";
        case 404:
            return "404 Not Found";
        case 413:
            return "413 Payload Too Large";
        case 500:
            return "500 Internal Server Error";
        default:
            return std::to_string(status);
    }
}

void refuse(httplib::Response& res, int status, const std::string& why) {
    res.status = status;
    res.set_content(why + "\n", textType);
}

// A picture file of the pictures directory; nothing when it is missing or no regular file.
std::optional<std::string> pictureFile(const std::string& dir, const std::string& name) {
    if (dir.empty()) return std::nullopt;
    const std::string path = dir + "/" + name;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > maxPictureBytes) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

HttpService::HttpService(Options opts) : options(std::move(opts)), stores(options.dbPath) {
    if (!options.log) options.log = logToStderr;
    if (options.threads < 1) options.threads = 1;

    const int threads = options.threads;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    server.set_payload_max_length(maxBodyBytes);
    server.set_read_timeout(10);
    server.set_write_timeout(10);

    server.Post(listingsPath, [this](const httplib::Request& req, httplib::Response& res) {
        listings(req, res);
    });
    server.Post(channelsPath, [this](const httplib::Request& req, httplib::Response& res) {
        channels(req, res);
    });
    server.Get("/fix/(.+)",
               [this](const httplib::Request& req, httplib::Response& res) { picture(req, res); });
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty()) {
            res.set_content(statusLine(res.status) + "\n", textType);
        }
    });
    server.set_exception_handler(
        [this](const httplib::Request& req, httplib::Response& res, std::exception_ptr error) {
            std::string what = "unknown error";
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                what = e.what();
            } catch (...) {
            }
            options.log(utcTimestamp() + " error on " + req.path + ": " + what);
            refuse(res, 500, statusLine(500));
        });
    server.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        logRequest(req, res);
    });
}

HttpService::~HttpService() {
    stop();
}

void HttpService::Server::widenListenQueue(int connections) {
    // Listening again on a listening socket only changes the length of its queue.
    ::listen(svr_sock_, connections);
}

int HttpService::bind() {
    int port = -1;
    if (options.port == 0) {
        port = server.bind_to_any_port(options.bindAddress);
    } else if (server.bind_to_port(options.bindAddress, options.port)) {
        port = options.port;
    }
    if (port > 0) server.widenListenQueue(SOMAXCONN);
    return port;
}

bool HttpService::run() {
    return server.listen_after_bind();
}

void HttpService::stop() {
    server.stop();
}

std::int64_t HttpService::currentTime() const {
    if (options.now) return options.now();
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void HttpService::listings(const httplib::Request& req, httplib::Response& res) {
    const auto body = RequestBody::parseListings(req.body);
    if (!body.ok()) return refuse(res, 400, "malformed body: " + body.error);

    const ReceiverZone zone = zones.map(body.value.zoneName);
    const std::int64_t now = currentTime();
    const Listings listings =
        stores.acquire()->listings(now - listedBeforeSeconds, now + listedAheadSeconds);
    res.set_header(zoneHeader, zone.name());
    res.set_content(ListingsWriter::write(listings, zone), textType);
}

void HttpService::channels(const httplib::Request& req, httplib::Response& res) {
    const auto body = RequestBody::parseChannels(req.body);
    if (!body.ok()) return refuse(res, 400, "malformed body: " + body.error);

    const std::vector<ChannelRecord> channels = stores.acquire()->channelsOf(body.value.matchId);
    res.set_content(ChannelWriter::write(body.value.matchId, channels, body.value.filter),
                    textType);
}

void HttpService::picture(const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.matches[1];
    if (FieldRule::pictureName.problem(name)) return refuse(res, 404, statusLine(404));

    std::optional<std::string> bytes = stores.acquire()->picture(name);
    if (!bytes) bytes = pictureFile(options.picturesDir, name);
    if (!bytes) return refuse(res, 404, statusLine(404));
    const bool png = name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0;
    res.set_content(std::move(*bytes), png ? "image/png" : "application/octet-stream");
}

void HttpService::logRequest(const httplib::Request& req, const httplib::Response& res) const {
    std::string line = utcTimestamp() + " " + req.remote_addr + " " + req.method + " " +
                       quoted(req.path) + " " + std::to_string(res.status) + " " +
                       std::to_string(res.body.size()) +
                       " device=" + RequestBody::deviceForLog(req.body) +
                       " agent=" + quoted(req.get_header_value("User-Agent"));
    if (res.has_header(zoneHeader)) line += " zone=" + res.get_header_value(zoneHeader);
    options.log(line);
}
