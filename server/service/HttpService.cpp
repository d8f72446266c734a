#include "HttpService.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

#include "ChannelWriter.h"
#include "DatabaseError.h"
#include "FieldRule.h"
#include "ListingsWriter.h"
#include "RequestBody.h"

namespace {

constexpr const char* listingsPath = "/pitchsidenew/matchray_data_dm.php";
constexpr const char* channelsPath = "/pitchsidenew/matchray_channels_dm.php";
constexpr const char* picturePrefix = "/fix/";
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

std::shared_ptr<const HttpAnswer> refusal(int status, const std::string& why) {
    return HttpAnswer::make(status, textType, why + "\n");
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

HttpServer::Limits serverLimits(const HttpService::Options& options) {
    HttpServer::Limits limits;
    limits.requestDeadlineMs = options.requestDeadlineMs;
    limits.idleLimitMs = options.idleLimitMs;
    limits.maxBodyBytes = HttpService::maxBodyBytes;
    limits.workers = options.threads;
    return limits;
}

AnswerCache::Limits cacheLimits() {
    AnswerCache::Limits limits;
    limits.lifetimeSeconds = HttpService::answerLifetimeSeconds;
    return limits;
}

}  // namespace

HttpService::HttpService(Options opts)
    : options(std::move(opts)),
      stores(options.dbPath),
      cache(options.dbPath, cacheLimits()),
      server(*this, serverLimits(options)) {
    if (!options.log) options.log = logToStderr;
}

HttpService::~HttpService() {
    stop();
}

int HttpService::bind() {
    return server.bind(options.bindAddress, options.port);
}

bool HttpService::run() {
    return server.run();
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

HttpService::Wanted HttpService::wanted(const HttpRequest& request) const {
    Wanted w;
    if (request.method == "POST" && request.path == listingsPath) {
        const auto body = RequestBody::parseListings(request.body);
        if (!body.ok()) {
            w.atOnce = refusal(400, "malformed body: " + body.error);
            return w;
        }
        w.zone = zones.map(body.value.zoneName);
        w.key = "z " + w.zone->name();
        return w;
    }
    if (request.method == "POST" && request.path == channelsPath) {
        const auto body = RequestBody::parseChannels(request.body);
        if (!body.ok()) {
            w.atOnce = refusal(400, "malformed body: " + body.error);
            return w;
        }
        w.kind = Wanted::Kind::channels;
        w.matchId = body.value.matchId;
        w.filter = body.value.filter;
        w.key = "c " + std::to_string(w.matchId) + " " + std::to_string(w.filter);
        return w;
    }
    const std::size_t prefix = std::char_traits<char>::length(picturePrefix);
    if ((request.method == "GET" || request.method == "HEAD") &&
        request.path.compare(0, prefix, picturePrefix) == 0 && request.path.size() > prefix) {
        w.kind = Wanted::Kind::picture;
        w.picture = request.path.substr(prefix);
        if (FieldRule::pictureName.problem(w.picture)) {
            w.atOnce = HttpAnswer::plain(404);
        } else {
            w.key = "p " + w.picture;
        }
        return w;
    }
    w.atOnce = HttpAnswer::plain(404);
    return w;
}

std::shared_ptr<const HttpAnswer> HttpService::fromMemory(const HttpRequest& request) {
    const Wanted w = wanted(request);
    if (w.atOnce) return w.atOnce;
    if (!cache.refresh()) return nullptr;
    return cache.find(w.key, currentTime());
}

std::shared_ptr<const HttpAnswer> HttpService::answer(const HttpRequest& request) {
    const Wanted w = wanted(request);
    if (w.atOnce) return w.atOnce;
    try {
        const std::optional<std::uint64_t> generation = cache.refresh();
        std::shared_ptr<const HttpAnswer> rendered = render(w);
        if (generation) cache.keep(w.key, *generation, currentTime(), rendered);
        return rendered;
    } catch (const std::exception& e) {
        options.log(utcTimestamp() + " error on " + request.path + ": " + e.what());
        return HttpAnswer::plain(500);
    }
}

std::shared_ptr<const HttpAnswer> HttpService::render(const Wanted& w) {
    switch (w.kind) {
        case Wanted::Kind::listings: {
            const std::int64_t now = currentTime();
            const Listings listings =
                stores.acquire()->listings(now - listedBeforeSeconds, now + listedAheadSeconds);
            return HttpAnswer::make(200, textType, ListingsWriter::write(listings, *w.zone),
                                    w.zone->name());
        }
        case Wanted::Kind::channels:
            return HttpAnswer::make(
                200, textType,
                ChannelWriter::write(w.matchId, stores.acquire()->channelsOf(w.matchId), w.filter));
        case Wanted::Kind::picture: {
            std::optional<std::string> bytes = stores.acquire()->picture(w.picture);
            if (!bytes) bytes = pictureFile(options.picturesDir, w.picture);
            if (!bytes) return HttpAnswer::plain(404);
            const bool png =
                w.picture.size() > 4 && w.picture.compare(w.picture.size() - 4, 4, ".png") == 0;
            return HttpAnswer::make(200, png ? "image/png" : "application/octet-stream",
                                    std::move(*bytes));
        }
    }
    return HttpAnswer::plain(500);
}

void HttpService::answered(const HttpRequest& request, const HttpAnswer& answer) {
    std::string line = utcTimestamp() + " " + request.remoteAddress + " " +
                       (request.method.empty() ? "-" : request.method) + " " +
                       quoted(request.path) + " " + std::to_string(answer.status) + " " +
                       std::to_string(answer.body.size()) +
                       " device=" + RequestBody::deviceForLog(request.body) +
                       " agent=" + quoted(request.userAgent);
    if (!answer.zone.empty()) line += " zone=" + answer.zone;
    options.log(line);
}
