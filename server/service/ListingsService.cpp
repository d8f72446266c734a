#include "ListingsService.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "ChannelWriter.h"
#include "ColourKeyPositions.h"
#include "FieldRule.h"
#include "ListingsWriter.h"
#include "RequestBody.h"

namespace {

constexpr const char* listingsPath = "/pitchsidenew/matchray_data_dm.php";
constexpr const char* channelsPath = "/pitchsidenew/matchray_channels_dm.php";
constexpr const char* picturePrefix = "/fix/";
constexpr const char* textType = "text/plain; charset=utf-8";
// The methods of RFC 9110 and PATCH: those a resource here may not take, rather than unknown.
constexpr std::string_view knownMethods[] = {"GET",     "HEAD",    "POST",  "PUT",  "DELETE",
                                             "CONNECT", "OPTIONS", "TRACE", "PATCH"};

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

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A strong entity tag from the bytes themselves, so that replicas holding the same picture
// give the same tag.
std::string entityTag(std::string_view bytes) {
    char tag[48];
    std::snprintf(tag, sizeof tag, "\"%zx-%zx\"", bytes.size(),
                  std::hash<std::string_view>{}(bytes));
    return tag;
}

HttpServer::Limits serverLimits(const ListingsService::Options& options) {
    HttpServer::Limits limits;
    limits.requestDeadlineMs = options.requestDeadlineMs;
    limits.idleLimitMs = options.idleLimitMs;
    limits.maxBodyBytes = ListingsService::maxBodyBytes;
    limits.workers = options.threads;
    return limits;
}

ListingsService::Options withLog(ListingsService::Options options, LogWriter* log) {
    if (!options.log) options.log = [log](const std::string& line) { log->write(line); };
    return options;
}

}  // namespace

// The read a request waits for, on a worker; its response is kept in memory after, for as
// long as render says, unless the data changed meanwhile.
class ListingsService::Lookup : public HttpServer::Task {
public:
    Lookup(ListingsService& service, Query query, std::string path)
        : service(service), query(std::move(query)), path(std::move(path)) {}

    std::shared_ptr<const HttpResponse> run() override {
        // The generation first: what is read is then never newer than it says.
        readIn = service.database.generation();
        readAtMs = service.currentMs();
        try {
            Rendered rendered = service.render(query, *service.database.stores());
            lifetimeMs = rendered.lifetimeMs;
            return rendered.response;
        } catch (const std::exception& e) {
            service.options.log(utcTimestamp(service.currentTime()) + " error on " + path + ": " +
                                e.what());
            return HttpResponse::plain(500);
        }
    }

    void finished(const std::shared_ptr<const HttpResponse>& response) override {
        if (lifetimeMs <= 0) return;
        service.memory.follow(service.database.generation());
        service.memory.keep(query.key, readIn, readAtMs, lifetimeMs, response);
    }

private:
    ListingsService& service;
    Query query;
    std::string path;
    std::uint64_t readIn = 0;     // the data's generation when the read began
    std::int64_t readAtMs = 0;    // and the time
    std::int64_t lifetimeMs = 0;  // 0: not kept
};

ListingsService::ListingsService(Options opts)
    : ownLog(opts.log ? nullptr : std::make_unique<LogWriter>(STDERR_FILENO)),
      options(withLog(std::move(opts), ownLog.get())),
      database(options.dbPath, options.threads, changeWatchPeriod,
               [this](const std::string& line) {
                   options.log(utcTimestamp(currentTime()) + " " + line);
               }),
      folder(options.picturesDir.empty()
                 ? std::nullopt
                 : std::make_optional<PictureFolder>(options.picturesDir, options.dbPath)),
      memory(ResponseMemory::Limits{}),
      server(*this, serverLimits(options)) {}

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

std::int64_t ListingsService::currentMs() const {
    if (options.now) return options.now() * 1000;
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
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
    const std::string_view method = request.method;
    if (std::find(std::begin(knownMethods), std::end(knownMethods), method) ==
        std::end(knownMethods)) {
        q.refusal = HttpResponse::refusal(Refusal::unknownMethod);
        return q;
    }
    const std::size_t prefix = std::char_traits<char>::length(picturePrefix);
    if (request.path == listingsPath) {
        q.kind = Query::Kind::listings;
    } else if (request.path == channelsPath) {
        q.kind = Query::Kind::channels;
    } else if (request.path.compare(0, prefix, picturePrefix) == 0) {
        q.kind = Query::Kind::picture;
    } else {
        q.refusal = HttpResponse::refusal(Refusal::notFound);
        return q;
    }
    const bool picture = q.kind == Query::Kind::picture;
    if (picture ? method != "GET" && method != "HEAD" : method != "POST") {
        q.refusal = HttpResponse::refusal(Refusal::methodNotAllowed,
                                          picture ? "Allow: GET, HEAD\r\n" : "Allow: POST\r\n");
        return q;
    }
    switch (q.kind) {
        case Query::Kind::listings: {
            const auto body = RequestBody::parseListings(request.body);
            if (!body.ok()) {
                q.refusal =
                    HttpResponse::refusal(Refusal::badBody, {}, "malformed body: " + body.error);
                break;
            }
            q.zone = zones.map(body.value.zoneName);
            q.key = "z " + q.zone->name();
            break;
        }
        case Query::Kind::channels: {
            const auto body = RequestBody::parseChannels(request.body);
            if (!body.ok()) {
                q.refusal =
                    HttpResponse::refusal(Refusal::badBody, {}, "malformed body: " + body.error);
                break;
            }
            q.matchId = body.value.matchId;
            // Any filter but the colour keys' 1 to 3 lists every channel, as 0 does: one answer.
            const int filter = body.value.filter;
            q.filter = filter >= 1 && filter < ColourKeyPositions::count ? filter : 0;
            q.key = "c " + std::to_string(q.matchId) + " " + std::to_string(q.filter);
            break;
        }
        case Query::Kind::picture:
            q.picture = request.path.substr(prefix);
            if (FieldRule::pictureName.problem(q.picture) || !endsWith(q.picture, ".png")) {
                q.refusal = HttpResponse::refusal(Refusal::notFound);
            } else {
                q.key = "p " + q.picture;
            }
            break;
    }
    return q;
}

HttpServer::Reply ListingsService::reply(HttpRequest& request) {
    Query q = query(request);
    if (q.refusal) return {q.refusal, nullptr};
    memory.follow(database.generation());
    if (auto kept = memory.find(q.key, currentMs())) {
        request.logNote = "from=memory";
        return {std::move(kept), nullptr};
    }
    return {nullptr, std::make_unique<Lookup>(*this, std::move(q), request.path)};
}

ListingsService::Rendered ListingsService::render(const Query& q, StorePool& stores) {
    constexpr std::int64_t kept = answerLifetimeSeconds * 1000;
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
            return {response, kept};
        }
        case Query::Kind::channels: {
            const std::vector<ChannelRecord> channels = stores.acquire()->channelsOf(q.matchId);
            // An unknown match isn't kept: its id is anyone's choice.
            return {HttpResponse::make(200, textType,
                                       ChannelWriter::write(q.matchId, channels, q.filter)),
                    channels.empty() ? 0 : kept};
        }
        case Query::Kind::picture:
            return picture(q.picture, stores);
    }
    return {HttpResponse::plain(500), 0};
}

ListingsService::Rendered ListingsService::picture(const std::string& name, StorePool& stores) {
    static const std::string cacheHeaders =
        "Cache-Control: public, max-age=" + std::to_string(pictureMaxAgeSeconds) +
        "\r\nX-Content-Type-Options: nosniff\r\n";
    if (std::optional<std::string> bytes = stores.acquire()->picture(name)) {
        std::string tag = entityTag(*bytes);
        return {HttpResponse::withValidators("image/png", std::move(*bytes), std::move(tag), -1,
                                             cacheHeaders),
                answerLifetimeSeconds * 1000};
    }
    if (folder) {
        if (std::optional<PictureFolder::Picture> file = folder->read(name)) {
            std::string tag = entityTag(file->bytes);
            return {HttpResponse::withValidators("image/png", std::move(file->bytes),
                                                 std::move(tag), file->modified, cacheHeaders),
                    folderPictureLifetimeMs};
        }
    }
    return {HttpResponse::refusal(Refusal::notFound), 0};
}

void ListingsService::responded(const HttpRequest& request, const HttpResponse& response) {
    std::string line = loopTimestamp() + " " + request.remoteAddress + " " +
                       (request.method.empty() ? "-" : escaped(request.method)) + " " +
                       quoted(request.path) + " " + std::to_string(response.status) + " " +
                       std::to_string(response.body.size()) +
                       " device=" + escaped(RequestBody::deviceForLog(request.body)) +
                       " agent=" + quoted(request.userAgent);
    if (!response.logNote.empty()) line += " " + response.logNote;
    if (!request.logNote.empty()) line += " " + request.logNote;
    options.log(line);
}

void ListingsService::failed(const std::string& what) {
    options.log(loopTimestamp() + " error: " + what);
}
