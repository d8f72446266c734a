#include "ListingsService.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "ChannelWriter.h"
#include "FieldRule.h"
#include "ListingsWriter.h"
#include "RequestBody.h"

namespace {

constexpr const char* listingsPath = "/pitchsidenew/matchray_data_dm.php";
constexpr const char* channelsPath = "/pitchsidenew/matchray_channels_dm.php";
constexpr const char* picturePrefix = "/fix/";
constexpr const char* textType = "text/plain; charset=utf-8";
constexpr std::size_t maxPictureBytes = 1024 * 1024;

std::int64_t secondsOf(std::chrono::system_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

std::string utcTimestamp(std::int64_t seconds) {
    return date::format("%FT%TZ", date::sys_seconds{std::chrono::seconds{seconds}});
}

// A client-given text for the log: at most 80 bytes, visible ASCII as it is (and blanks, when
// it is quoted), any other byte, '"' and '\' written as \xHH.
std::string escaped(std::string_view text, bool blanks = false) {
    std::string out;
    for (const char c : text.substr(0, 80)) {
        const auto u = static_cast<unsigned char>(c);
        if ((u > 0x20 || (blanks && u == 0x20)) && u < 0x7f && c != '"' && c != '\\') {
            out += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            out += hex;
        }
    }
    return out;
}

std::string quoted(std::string_view text) {
    return "\"" + escaped(text, true) + "\"";
}

std::shared_ptr<const HttpResponse> refusal(int status, const std::string& why) {
    return HttpResponse::make(status, textType, why + "\n");
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

HttpServer::Limits serverLimits(const ListingsService::Options& options) {
    HttpServer::Limits limits;
    limits.requestDeadlineMs = options.requestDeadlineMs;
    limits.idleLimitMs = options.idleLimitMs;
    limits.maxBodyBytes = ListingsService::maxBodyBytes;
    limits.workers = options.threads;
    return limits;
}

ResponseMemory::Limits memoryLimits() {
    ResponseMemory::Limits limits;
    limits.lifetimeSeconds = ListingsService::answerLifetimeSeconds;
    return limits;
}

}  // namespace

// The SQLite read a request waits for, on a worker; its response is kept in memory after.
class ListingsService::Lookup : public HttpServer::Task {
public:
    Lookup(ListingsService& service, Query query, std::string path)
        : service(service), query(std::move(query)), path(std::move(path)) {}

    std::shared_ptr<const HttpResponse> run() override {
        readIn = service.watch.generation();
        try {
            return service.render(query);
        } catch (const std::exception& e) {
            service.options.log(utcTimestamp(service.currentTime()) + " error on " + path + ": " +
                                e.what());
            readIn = 0;  // not kept
            return HttpResponse::plain(500);
        }
    }

    void finished(const std::shared_ptr<const HttpResponse>& response) override {
        if (readIn != 0) service.memory.keep(query.key, readIn, service.currentTime(), response);
    }

private:
    ListingsService& service;
    Query query;
    std::string path;
    std::uint64_t readIn = 0;  // the database's generation when the read began
};

ListingsService::ListingsService(Options opts)
    : options(std::move(opts)),
      ownLog(options.log ? nullptr : std::make_unique<LogWriter>(STDERR_FILENO)),
      stores(options.dbPath),
      watch(options.dbPath, changeWatchPeriod),
      memory(watch, memoryLimits()),
      server(*this, serverLimits(options)) {
    if (ownLog) options.log = [log = ownLog.get()](const std::string& line) { log->write(line); };
}

ListingsService::~ListingsService() {
    stop();
}

HttpServer::Listening ListingsService::bind() {
    return server.bind(options.bindAddress, options.port);
}

bool ListingsService::run() {
    return server.run();
}

void ListingsService::stop() {
    server.stop();
}

std::int64_t ListingsService::currentTime() const {
    return options.now ? options.now() : secondsOf(std::chrono::system_clock::now());
}

const std::string& ListingsService::loopTimestamp() {
    const std::int64_t second = secondsOf(std::chrono::system_clock::now());
    if (second != stampedSecond) {
        stampedSecond = second;
        stamp = utcTimestamp(second);
    }
    return stamp;
}

ListingsService::Query ListingsService::query(const HttpRequest& request) const {
    Query q;
    if (request.method == "POST" && request.path == listingsPath) {
        const auto body = RequestBody::parseListings(request.body);
        if (!body.ok()) {
            q.refusal = refusal(400, "malformed body: " + body.error);
            return q;
        }
        q.zone = zones.map(body.value.zoneName);
        q.key = "z " + q.zone->name();
        return q;
    }
    if (request.method == "POST" && request.path == channelsPath) {
        const auto body = RequestBody::parseChannels(request.body);
        if (!body.ok()) {
            q.refusal = refusal(400, "malformed body: " + body.error);
            return q;
        }
        q.kind = Query::Kind::channels;
        q.matchId = body.value.matchId;
        q.filter = body.value.filter;
        q.key = "c " + std::to_string(q.matchId) + " " + std::to_string(q.filter);
        return q;
    }
    const std::size_t prefix = std::char_traits<char>::length(picturePrefix);
    if ((request.method == "GET" || request.method == "HEAD") &&
        request.path.compare(0, prefix, picturePrefix) == 0 && request.path.size() > prefix) {
        q.kind = Query::Kind::picture;
        q.picture = request.path.substr(prefix);
        if (FieldRule::pictureName.problem(q.picture)) {
            q.refusal = HttpResponse::plain(404);
        } else {
            q.key = "p " + q.picture;
        }
        return q;
    }
    q.refusal = HttpResponse::plain(404);
    return q;
}

HttpServer::Reply ListingsService::reply(const HttpRequest& request) {
    Query q = query(request);
    if (q.refusal) return {q.refusal, nullptr};
    if (auto kept = memory.find(q.key, currentTime())) return {std::move(kept), nullptr};
    return {nullptr, std::make_unique<Lookup>(*this, std::move(q), request.path)};
}

std::shared_ptr<const HttpResponse> ListingsService::render(const Query& q) {
    switch (q.kind) {
        case Query::Kind::listings: {
            const std::int64_t now = currentTime();
            const Listings listings =
                stores.acquire()->listings(now - listedBeforeSeconds, now + listedAheadSeconds);
            const std::string zone = q.zone->name();
            auto response =
                HttpResponse::make(200, textType, ListingsWriter::write(listings, *q.zone),
                                   "X-Listings-Zone: " + zone + "\r\n");
            response->logNote = "zone=" + zone;
            return response;
        }
        case Query::Kind::channels:
            return HttpResponse::make(
                200, textType,
                ChannelWriter::write(q.matchId, stores.acquire()->channelsOf(q.matchId), q.filter));
        case Query::Kind::picture: {
            std::optional<std::string> bytes = stores.acquire()->picture(q.picture);
            if (!bytes) bytes = pictureFile(options.picturesDir, q.picture);
            if (!bytes) return HttpResponse::plain(404);
            const bool png =
                q.picture.size() > 4 && q.picture.compare(q.picture.size() - 4, 4, ".png") == 0;
            return HttpResponse::make(200, png ? "image/png" : "application/octet-stream",
                                      std::move(*bytes));
        }
    }
    return HttpResponse::plain(500);
}

void ListingsService::responded(const HttpRequest& request, const HttpResponse& response) {
    std::string line = loopTimestamp() + " " + request.remoteAddress + " " +
                       (request.method.empty() ? "-" : escaped(request.method)) + " " +
                       quoted(request.path) + " " + std::to_string(response.status) + " " +
                       std::to_string(response.body.size()) +
                       " device=" + escaped(RequestBody::deviceForLog(request.body)) +
                       " agent=" + quoted(request.userAgent);
    if (!response.logNote.empty()) line += " " + response.logNote;
    options.log(line);
}

void ListingsService::failed(const std::string& what) {
    options.log(loopTimestamp() + " error: " + what);
}
