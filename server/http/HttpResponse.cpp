#include "HttpResponse.h"

#include <array>

#include "HttpDate.h"

namespace {

constexpr std::string_view textType = "text/plain; charset=utf-8";

}  // namespace

std::string HttpResponse::statusText(int status) {
    switch (status) {
        case 100:
            return "100 Continue";
        case 200:
            return "200 OK";
        case 304:
            return "304 Not Modified";
        case 400:
            return "400 Bad Request";
        case 404:
            return "404 Not Found";
        case 405:
            return "405 Method Not Allowed";
        case 408:
            return "408 Request Timeout";
        case 412:
            return "412 Precondition Failed";
        case 413:
            return "413 Content Too Large";
        case 414:
            return "414 URI Too Long";
        case 431:
            return "431 Request Header Fields Too Large";
        case 500:
            return "500 Internal Server Error";
        case 501:
            return "501 Not Implemented";
        case 505:
            return "505 HTTP Version Not Supported";
        default:
            return std::to_string(status) + " Status";
    }
}

std::shared_ptr<HttpResponse> HttpResponse::make(int status, std::string_view contentType,
                                                 std::string body, std::string_view extraHeaders) {
    auto response = std::make_shared<HttpResponse>();
    response->status = status;
    response->head = "HTTP/1.1 " + statusText(status) + "\r\nContent-Type: ";
    response->head += contentType;
    response->head += "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    response->head += extraHeaders;
    response->body = std::move(body);
    return response;
}

std::shared_ptr<HttpResponse> HttpResponse::withValidators(std::string_view contentType,
                                                           std::string body, std::string etag,
                                                           std::int64_t lastModified,
                                                           std::string_view cacheHeaders) {
    std::string validators = "ETag: " + etag + "\r\n";
    if (lastModified >= 0)
        validators += "Last-Modified: " + HttpDate::format(lastModified) + "\r\n";
    validators += cacheHeaders;
    auto notModified = std::make_shared<HttpResponse>();
    notModified->status = 304;
    notModified->head = "HTTP/1.1 " + statusText(304) + "\r\n" + validators;
    auto response = make(200, contentType, std::move(body), validators);
    response->etag = std::move(etag);
    response->lastModified = lastModified;
    response->notModified = std::move(notModified);
    return response;
}

std::shared_ptr<const HttpResponse> HttpResponse::refusal(Refusal refusal,
                                                          std::string_view extraHeaders,
                                                          std::string_view why) {
    const auto made = [&](Refusal r) {
        const int status = statusOf(r);
        auto response =
            make(status, textType,
                 why.empty() ? statusText(status) + "\n" : std::string(why) + "\n", extraHeaders);
        response->logNote = "refused=" + std::string(nameOf(r));
        return std::shared_ptr<const HttpResponse>(std::move(response));
    };
    if (!extraHeaders.empty() || !why.empty()) return made(refusal);
    // The usual ones are made once.
    static const auto kept = [&] {
        std::array<std::shared_ptr<const HttpResponse>, refusalCount> all;
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = made(static_cast<Refusal>(i));
        return all;
    }();
    return kept[static_cast<std::size_t>(refusal)];
}

std::shared_ptr<HttpResponse> HttpResponse::plain(int status) {
    return make(status, textType, statusText(status) + "\n");
}
